#include "timer/Window2Timer1.h"

namespace tockamo {

fw::Ref<Window2Timer1> Window2Timer1::Create()
{
    return fw::Adopt(*new Window2Timer1);
}

void Window2Timer1::ctblinit()
{
    BuildRecord<Window2Timer1>("Window2.Timer1");
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

}
