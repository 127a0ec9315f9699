#include "bench/TickWindow.h"

#include "framework/Backend.h"
#include "framework/ClassRecord.h"
#include "framework/EventLoop.h"
#include "framework/Runtime.h"

namespace bench {

fw::Ref<TickWindow> TickWindow::Create()
{
    return fw::Adopt(*new TickWindow);
}

const fw::ClassRecord& TickWindow::Lookup()
{
    static const fw::ClassRecord& record = fw::ClassRecord::Build("TickWindow.TickWindow", &fw::Window::Lookup(), [](fw::ClassRecord::Builder& builder) {
        builder.Method("Timer1_Action", "%%o<Timer>", &TickWindow::Timer1_Action);
        builder.Creatable<TickWindow>();
    });
    return record;
}

const fw::ClassRecord& TickWindow::Class() const
{
    return Lookup();
}

fw::Ref<fw::Timer> TickWindow::AddTimer(int32_t periodMs, std::function<void(fw::Timer&)> onAction)
{
    m_onAction = std::move(onAction);
    AddControl("Timer1", New(fw::Timer::Lookup()));
    fw::RefPtr<fw::Timer> timer = fw::Cast<fw::Timer>(ControlByName("Timer1"));
    timer->SetMode(fw::Timer::kModeOff);
    timer->SetPeriod(periodMs);
    timer->AddHandler(fw::Timer::kEventAction, fw::HandlerBinding::Bind(*this, "Timer1_Action"));
    return fw::Ref<fw::Timer>(*timer);
}

void TickWindow::Timer1_Action(fw::Timer& timer)
{
    if (m_onAction)
        m_onAction(timer);
}

void StartDesktopRuntime()
{
    fw::InstallBackend(fw::CreateDesktopBackend());
    fw::RuntimeInit();
    fw::InitializeFrameworkClasses();
}

void ShutdownRuntime()
{
    fw::FinalizeFrameworkGlobals();
    fw::RuntimeExit();
}

void RunLoop()
{
    fw::GetBackend().Run(fw::EventLoop::Main());
}

fw::Clock::Duration Now()
{
    return fw::GetBackend().GetClock().Now();
}

}
