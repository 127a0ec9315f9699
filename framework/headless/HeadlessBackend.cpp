#include "HeadlessBackend.h"

#include "../Application.h"
#include "../EventLoop.h"
#include "../MenuItem.h"
#include "../PushButton.h"
#include "../Runtime.h"
#include "../UpDownArrows.h"
#include "../Window.h"

#include <algorithm>
#include <fstream>

namespace fw {

namespace {

template<typename T>
RefPtr<T> ControlOfClass(Window& window, const std::string& name)
{
    RefPtr<Control> control = window.ControlByName(name);
    if (!control || !control->Class().IsA(T::Lookup()))
        return nullptr;
    return RefPtr<T>(static_cast<T*>(control.Get()));
}

bool IsWaveFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    char header[12] = {};
    if (!file.read(header, sizeof header))
        return false;
    return std::string(header, 4) == "RIFF" && std::string(header + 8, 4) == "WAVE";
}

}

HeadlessBackend::HeadlessBackend() = default;

void HeadlessBackend::SetScript(std::function<void(HeadlessBackend&)> script)
{
    m_script = std::move(script);
}

void HeadlessBackend::Advance(std::chrono::milliseconds duration)
{
    EventLoop& loop = EventLoop::Main();
    const Clock::Duration target = m_clock.Now() + duration;
    // Step from due time to due time, so that each handler sees the clock at
    // the moment its Action was due; a loop that is quitting delivers nothing.
    while (!loop.IsQuitting()) {
        std::optional<Clock::Duration> next = loop.NextDue();
        if (!next || *next > target)
            break;
        if (*next > m_clock.Now())
            m_clock.Set(*next);
        loop.FireDueTimers(m_clock.Now());
    }
    // A slow handler may have carried the clock past the target already.
    if (target > m_clock.Now())
        m_clock.Set(target);
}

bool HeadlessBackend::Act(const std::function<bool()>& action)
{
    EventLoop& loop = EventLoop::Main();
    if (loop.IsQuitting())
        return false;
    bool delivered = false;
    loop.Dispatch([&] { delivered = action(); });
    loop.RunPending();
    return delivered;
}

bool HeadlessBackend::Press(Window& window, const std::string& buttonName)
{
    RefPtr<PushButton> button = ControlOfClass<PushButton>(window, buttonName);
    if (!button)
        return false;
    return Act([&] { return button->Push(); });
}

bool HeadlessBackend::ClickUp(Window& window, const std::string& arrowsName)
{
    RefPtr<UpDownArrows> arrows = ControlOfClass<UpDownArrows>(window, arrowsName);
    if (!arrows)
        return false;
    return Act([&] { return arrows->ClickUp(); });
}

bool HeadlessBackend::ClickDown(Window& window, const std::string& arrowsName)
{
    RefPtr<UpDownArrows> arrows = ControlOfClass<UpDownArrows>(window, arrowsName);
    if (!arrows)
        return false;
    return Act([&] { return arrows->ClickDown(); });
}

bool HeadlessBackend::PressReturn(Window& window)
{
    Ref<Window> protect(window);
    return Act([&] { return protect->PressReturn(); });
}

bool HeadlessBackend::CloseWindow(Window& window)
{
    Ref<Window> protect(window);
    if (!window.IsOpen())
        return false;
    return Act([&] {
        protect->UserClose();
        return true;
    });
}

bool HeadlessBackend::MoveWindow(Window& window, int32_t top, int32_t left)
{
    Ref<Window> protect(window);
    if (!window.IsOpen())
        return false;
    return Act([&] {
        protect->UserMoved(top, left);
        return true;
    });
}

bool HeadlessBackend::ChooseMenuItem(const std::string& itemName)
{
    RefPtr<Window> window = WindowSupport::FrontWindowWithMenuBar();
    if (!window)
        return false;
    RefPtr<MenuItem> item = window->GetMenuBar()->FindItem(itemName);
    if (!item || !item->Enabled() || !item->Visible())
        return false;
    return Act([&] { return item->Choose(); });
}

void HeadlessBackend::Terminate()
{
    Act([] {
        if (RefPtr<Application> app = GetAppObject())
            app->QuitAction();
        else
            Quit(0);
        return true;
    });
}

std::vector<Window*> HeadlessBackend::VisibleWindows() const
{
    std::vector<Window*> visible;
    for (Window* window : m_shown) {
        if (window->Visible() && !window->IsClosed())
            visible.push_back(window);
    }
    return visible;
}

int HeadlessBackend::RefreshCount(const Control& control) const
{
    auto it = std::find_if(m_refreshes.begin(), m_refreshes.end(), [&](const auto& entry) { return entry.first == &control; });
    return it == m_refreshes.end() ? 0 : it->second;
}

void HeadlessBackend::Run(EventLoop& loop)
{
    if (loop.IsQuitting())
        return;
    if (m_script)
        m_script(*this);
    loop.RunPending();
}

void HeadlessBackend::TimersChanged(std::optional<Clock::Duration>)
{
    // Time moves only when a test advances it; Advance asks the loop for the
    // next due time itself.
}

void HeadlessBackend::WindowCreated(Window& window)
{
    m_windows.push_back(&window);
    Record(window, Notice::Created);
}

void HeadlessBackend::WindowShown(Window& window)
{
    Record(window, Notice::Shown);
    if (std::find(m_shown.begin(), m_shown.end(), &window) == m_shown.end())
        m_shown.push_back(&window);
}

void HeadlessBackend::WindowDestroyed(Window& window)
{
    // A later window may be made at the same address; its notices start afresh.
    std::erase_if(m_notices, [&](const auto& entry) { return entry.first == &window; });
    std::erase(m_windows, &window);
    std::erase(m_shown, &window);
    std::erase_if(m_refreshes, [&](const auto& entry) {
        return entry.first->ParentWindow() == &window;
    });
}

void HeadlessBackend::ControlRefreshed(Control& control)
{
    auto it = std::find_if(m_refreshes.begin(), m_refreshes.end(), [&](const auto& entry) { return entry.first == &control; });
    if (it == m_refreshes.end())
        m_refreshes.emplace_back(&control, 1);
    else
        ++it->second;
}

std::shared_ptr<SoundClip> HeadlessBackend::LoadSound(const std::string& path)
{
    ++m_loads;
    if (!IsWaveFile(path))
        return nullptr;
    return std::make_shared<SoundClip>();
}

void HeadlessBackend::PlaySound(const std::shared_ptr<SoundClip>&, const std::string& path)
{
    m_plays.push_back({ path, m_clock.Now() });
}

std::vector<HeadlessBackend::Notice> HeadlessBackend::NoticesFor(const Window& window) const
{
    std::vector<Notice> notices;
    for (const auto& [which, notice] : m_notices) {
        if (which == &window)
            notices.push_back(notice);
    }
    return notices;
}

}
