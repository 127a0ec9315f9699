#include "timer/WindowTimer.h"

namespace tockamo {

void WindowTimer::AddOperations(fw::ClassRecord::Builder& b)
{
    b.Method("_SetWindow", "%%o<Window>", &WindowTimer::SetWindow)
        .Method("Window", "%o<Window>%", &WindowTimer::Window)
        .AddMember("_Index", "%i4%", [](fw::Object& self, const std::vector<fw::Variant>&) -> fw::Variant {
            return static_cast<WindowTimer&>(self).Index();
        }, { { "__Scope", "Public" } })
        .AddMember("_SetIndex", "%%i4", [](fw::Object& self, const std::vector<fw::Variant>& args) -> fw::Variant {
            static_cast<WindowTimer&>(self).SetIndex(fw::detail::FromVariant<int32_t>(args.at(0)));
            return std::monostate {};
        }, { { "__Scope", "Public" } })
        .Method("Constructor", "%%", &WindowTimer::Constructor);
}

void WindowTimer::SetWindow(fw::Window& window)
{
    m_ownerWindow = fw::WeakPtr<fw::Window>(&window);
}

fw::RefPtr<fw::Window> WindowTimer::Window()
{
    // Until someone hands it an owner explicitly, the timer's owner is the
    // window whose control list it stands in.
    if (fw::RefPtr<fw::Window> owner = m_ownerWindow.Lock())
        return owner;
    return ParentWindow();
}

void WindowTimer::SetIndex(int32_t value)
{
    m_index = value;
    fw::Control::SetIndex(value);
}

}
