#include "timer/Window2Timer1.h"

#include "framework/ClassRecord.h"

namespace tockamo {

fw::Ref<Window2Timer1> Window2Timer1::Create()
{
    return fw::Adopt(*new Window2Timer1);
}

void Window2Timer1::ctblinit()
{
    fw::ClassRecord::Build("Window2.Timer1", &fw::Timer::Lookup(), [](fw::ClassRecord::Builder& b) {
        b.Method("_SetWindow", "%%o<Window>", &Window2Timer1::SetWindow)
            .Method("Window", "%o<Window>%", &Window2Timer1::Window)
            .AddMember("_Index", "%i4%", [](fw::Object& self, const std::vector<fw::Variant>&) -> fw::Variant {
                return static_cast<Window2Timer1&>(self).Index();
            }, { { "__Scope", "Public" } })
            .AddMember("_SetIndex", "%%i4", [](fw::Object& self, const std::vector<fw::Variant>& args) -> fw::Variant {
                static_cast<Window2Timer1&>(self).SetIndex(fw::detail::FromVariant<int32_t>(args.at(0)));
                return std::monostate {};
            }, { { "__Scope", "Public" } })
            .Method("Constructor", "%%", &Window2Timer1::Constructor)
            .ClassAttribute("__Scope", "Public")
            .Creatable<Window2Timer1>();
    });
}

const fw::ClassRecord& Window2Timer1::Lookup()
{
    static const fw::ClassRecord& s_record = (ctblinit(), *fw::ClassRecord::Find("Window2.Timer1"));
    return s_record;
}

const fw::ClassRecord& Window2Timer1::Class() const
{
    return Lookup();
}

void Window2Timer1::SetWindow(fw::Window& window)
{
    m_ownerWindow = fw::WeakPtr<fw::Window>(&window);
}

fw::RefPtr<fw::Window> Window2Timer1::Window()
{
    // Until someone hands it an owner explicitly, the timer's owner is the
    // window whose control list it stands in.
    if (fw::RefPtr<fw::Window> owner = m_ownerWindow.Lock())
        return owner;
    return ParentWindow();
}

void Window2Timer1::SetIndex(int32_t value)
{
    m_index = value;
    fw::Control::SetIndex(value);
}

}
