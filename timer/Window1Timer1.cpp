#include "timer/Window1Timer1.h"

namespace tockamo {

fw::Ref<Window1Timer1> Window1Timer1::Create()
{
    return fw::Adopt(*new Window1Timer1);
}

void Window1Timer1::ctblinit()
{
    BuildRecord<Window1Timer1>("Window1.Timer1");
}

const fw::ClassRecord& Window1Timer1::Lookup()
{
    static const fw::ClassRecord& s_record = (ctblinit(), *fw::ClassRecord::Find("Window1.Timer1"));
    return s_record;
}

const fw::ClassRecord& Window1Timer1::Class() const
{
    return Lookup();
}

}
