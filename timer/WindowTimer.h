#pragma once

#include "framework/ClassRecord.h"
#include "framework/Timer.h"
#include "framework/Window.h"

#include <climits>
#include <string>

namespace tockamo {

// What each window's timer subclass carries. A timer is no visual control, so
// it keeps what a control in a window's list needs itself: its control index
// and the window that owns it. The subclasses differ only in the name their
// class record is registered under.
class WindowTimer : public fw::Timer {
public:
    // _SetWindow, Window, _Index, _SetIndex and the empty Constructor.
    void SetWindow(fw::Window& window);
    fw::RefPtr<fw::Window> Window();
    int32_t Index() const { return m_index; }
    void SetIndex(int32_t value);
    void Constructor() { }

protected:
    WindowTimer() = default;

    // Builds the record `name` of subclass T: a Timer with the five
    // operations above, made by T::Create.
    template<typename T>
    static void BuildRecord(const std::string& name)
    {
        fw::ClassRecord::Build(name, &fw::Timer::Lookup(), [](fw::ClassRecord::Builder& b) {
            AddOperations(b);
            b.ClassAttribute("__Scope", "Public").Creatable<T>();
        });
    }

private:
    static void AddOperations(fw::ClassRecord::Builder& b);

    int32_t m_index = INT32_MIN;
    // Held weakly: the window owns the timer, never the reverse.
    fw::WeakPtr<fw::Window> m_ownerWindow;
};

}
