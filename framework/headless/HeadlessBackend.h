#pragma once

#include "../Backend.h"

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace fw {

class Window;

// A whole backend without a display. Windows and controls live only as the
// framework objects that hold their state; this backend records what a screen
// and a loudspeaker would have shown and played, keeps a virtual clock, and
// lets a test act as the user. Every user action is dispatched through the
// event loop exactly as a real backend delivers input, and runs the posted
// tasks afterwards.
class HeadlessBackend final : public Backend {
public:
    HeadlessBackend();

    // What Run does once the loop starts: the test's script of user actions.
    // When the script returns and nothing has quit, Run ends the loop as if
    // the session ended (the application is not asked to quit).
    void SetScript(std::function<void(HeadlessBackend&)> script);

    // Moves the virtual clock forward, firing every timer that falls due on
    // the way, in due order, each at its own due time.
    void Advance(std::chrono::milliseconds duration);
    Clock::Duration Now() const { return m_clock.Now(); }

    // The user's actions. Each returns false when the action reached nothing
    // (a disabled button, a window that is not open, ...).
    bool Press(Window& window, const std::string& buttonName);
    bool ClickUp(Window& window, const std::string& arrowsName);
    bool ClickDown(Window& window, const std::string& arrowsName);
    bool PressReturn(Window& window);
    bool CloseWindow(Window& window);
    bool MoveWindow(Window& window, int32_t top, int32_t left);
    // Chooses the menu item named `itemName` in the menu bar of the front-most
    // window that has one.
    bool ChooseMenuItem(const std::string& itemName);
    // SIGTERM, SIGINT or SIGHUP arriving: the framework's quit action.
    void Terminate();

    // What was seen and heard.
    struct Play {
        std::string path;
        Clock::Duration at;
    };
    const std::vector<Play>& SoundsPlayed() const { return m_plays; }
    int SoundsLoaded() const { return m_loads; }
    int Beeps() const { return m_beeps; }
    const std::vector<std::string>& URLsOpened() const { return m_urls; }
    // Windows the backend has been told of and not yet destroyed, in creation order.
    std::vector<Window*> LiveWindows() const { return m_windows; }
    // Windows shown and not yet destroyed.
    std::vector<Window*> VisibleWindows() const;
    int RefreshCount(const Control& control) const;

    // What an open window was told, in order: a real backend applies the
    // changes in that order, so this shows, say, whether its menu bar went on
    // before its own properties.
    enum class Notice { Created, Changed, MenuBarChanged, Shown };
    std::vector<Notice> NoticesFor(const Window& window) const;

    // Backend.
    Clock& GetClock() override { return m_clock; }
    void Run(EventLoop& loop) override;
    void TimersChanged(std::optional<Clock::Duration> nextDue) override;
    void Wake() override { }
    void WindowCreated(Window&) override;
    void WindowChanged(Window& window) override { Record(window, Notice::Changed); }
    void WindowShown(Window&) override;
    void WindowDestroyed(Window&) override;
    void MenuBarChanged(Window& window) override { Record(window, Notice::MenuBarChanged); }
    void ControlAdded(Window&, Control&) override { }
    void ControlChanged(Control&) override { }
    void ControlRefreshed(Control&) override;
    std::shared_ptr<SoundClip> LoadSound(const std::string& path) override;
    void PlaySound(const std::shared_ptr<SoundClip>& clip, const std::string& path) override;
    void Beep() override { ++m_beeps; }
    void OpenURL(const std::string& url) override { m_urls.push_back(url); }

private:
    bool Act(const std::function<bool()>& action);
    void Record(const Window& window, Notice notice) { m_notices.emplace_back(&window, notice); }

    VirtualClock m_clock;
    std::function<void(HeadlessBackend&)> m_script;
    std::vector<Play> m_plays;
    std::vector<std::string> m_urls;
    std::vector<Window*> m_windows;
    std::vector<Window*> m_shown;
    std::vector<std::pair<const Window*, Notice>> m_notices;
    std::vector<std::pair<const Control*, int>> m_refreshes;
    int m_loads = 0;
    int m_beeps = 0;
};

}
