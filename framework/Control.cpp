#include "Control.h"

#include "Backend.h"
#include "Window.h"

#include <algorithm>

namespace fw {

HandlerBinding HandlerBinding::Bind(Window& window, const std::string& operation)
{
    return HandlerBinding(WeakPtr<Object>(&window), &window.Class().Operation(operation));
}

bool HandlerBinding::Invoke(Object& control) const
{
    // The counted reference keeps the window alive until the handler has
    // returned, even when the handler closes it.
    RefPtr<Object> window = m_target.Lock();
    if (!window)
        return false;
    m_entry->Invoke(*window, { RefPtr<Object>(&control) });
    return true;
}

namespace {

const ClassRecord& ctblinit()
{
    return ClassRecord::Build("Control", &Object::Lookup(), [](ClassRecord::Builder& builder) {
        builder.ClassAttribute("__Scope", "Public");
        builder.Property("Name", &Control::SetName);
        builder.Property("Index", &Control::SetIndex);
    });
}

}

const ClassRecord& Control::Lookup()
{
    static const ClassRecord& record = ctblinit();
    return record;
}

const ClassRecord& Control::Class() const
{
    return Lookup();
}

void Control::SetName(const std::string& name)
{
    m_name = name;
    Changed();
}

void Control::AddHandler(int number, HandlerBinding binding)
{
    // One handler per event: wiring an event again replaces the earlier one.
    auto existing = std::find_if(m_handlers.begin(), m_handlers.end(), [number](const auto& entry) { return entry.first == number; });
    if (existing != m_handlers.end())
        existing->second = std::move(binding);
    else
        m_handlers.emplace_back(number, std::move(binding));
}

bool Control::RaiseEvent(int number)
{
    auto existing = std::find_if(m_handlers.begin(), m_handlers.end(), [number](const auto& entry) { return entry.first == number; });
    if (existing == m_handlers.end())
        return false;
    // The handler may close the window and with it release this control;
    // both the control and the binding must outlive the call.
    Ref<Control> protect(*this);
    HandlerBinding binding = existing->second;
    return binding.Invoke(*this);
}

void Control::AttachToWindow(Window* window)
{
    m_window = window;
}

void Control::Detach()
{
    m_window = nullptr;
    m_handlers.clear();
}

void Control::Changed()
{
    if (m_window && HasBackend())
        GetBackend().ControlChanged(*this);
}

}
