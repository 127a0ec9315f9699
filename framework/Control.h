#pragma once

#include "ClassRecord.h"
#include "Object.h"

#include <string>
#include <vector>

namespace fw {

class Window;

// A window's handler operation bound to the window for one control event. It
// refers to the window weakly: a binding never keeps its window alive, and a
// binding whose window is gone does nothing.
class HandlerBinding {
public:
    // Takes `operation` from the window's class record now, so the binding
    // calls the most derived implementation as it is at the moment of wiring.
    static HandlerBinding Bind(Window& window, const std::string& operation);

    // Calls the handler with the window and the control; false when the
    // window is gone.
    bool Invoke(Object& control) const;

    const std::string& Operation() const { return m_entry->name; }

private:
    HandlerBinding(WeakPtr<Object> target, const MemberEntry* entry)
        : m_target(std::move(target))
        , m_entry(entry)
    {
    }
    WeakPtr<Object> m_target;
    const MemberEntry* m_entry;
};

// Anything that stands in a window's control list: the visual controls and
// the timers. The window owns its controls; a control keeps a raw pointer
// back to its window, valid while the control is in the list.
class Control : public Object {
public:
    static constexpr int kEventOpen = 2;

    static const ClassRecord& Lookup();
    const ClassRecord& Class() const override;

    const std::string& Name() const { return m_name; }
    void SetName(const std::string& name);
    int32_t Index() const { return m_index; }
    void SetIndex(int32_t index) { m_index = index; }

    Window* ParentWindow() const { return m_window; }

    // Handler wiring: `binding` is called when the control raises event
    // `number` of its class's event table.
    void AddHandler(int number, HandlerBinding binding);
    // Raises event `number`; false when nothing is bound to it.
    bool RaiseEvent(int number);

    // Called by the window when the control is added and when the window goes.
    void AttachToWindow(Window* window);
    virtual void Detach();

protected:
    Control() = default;
    // Tells the backend that the control's state changed.
    void Changed();

private:
    std::string m_name;
    int32_t m_index = INT32_MIN;
    Window* m_window = nullptr;
    std::vector<std::pair<int, HandlerBinding>> m_handlers;
};

}
