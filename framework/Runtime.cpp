#include "Runtime.h"

#include "ClassRecord.h"
#include "EventLoop.h"
#include "Label.h"
#include "MenuItem.h"
#include "PushButton.h"
#include "Sound.h"
#include "TextField.h"
#include "TextInputStream.h"
#include "Timer.h"
#include "UpDownArrows.h"

#include <cstdio>
#include <cxxabi.h>
#include <filesystem>
#include <optional>
#include <thread>
#include <typeinfo>
#include <utility>

namespace fw {

namespace {

struct RuntimeState {
    std::optional<std::thread::id> mainThread;
    RefPtr<Application> app;
    ExceptionHelper exceptionHelper;
    bool pluginsReady = false;
    std::optional<std::string> executablePath;
};

RuntimeState& State()
{
    static RuntimeState state;
    return state;
}

// Apart from the runtime's state: it is set before the runtime starts, and
// stays for every run in the process.
ProgramIdentity& Identity()
{
    static ProgramIdentity identity;
    return identity;
}

std::string ExceptionClassName(const std::exception& error)
{
    if (const auto* runtimeError = dynamic_cast<const RuntimeException*>(&error))
        return runtimeError->ClassName();
    int status = 0;
    char* demangled = abi::__cxa_demangle(typeid(error).name(), nullptr, nullptr, &status);
    std::string name = status == 0 && demangled ? demangled : typeid(error).name();
    std::free(demangled);
    return name;
}

}

void SetProgramIdentity(ProgramIdentity identity)
{
    Identity() = std::move(identity);
}

const ProgramIdentity& GetProgramIdentity()
{
    return Identity();
}

void RuntimeInit()
{
    RuntimeState& state = State();
    state.mainThread = std::this_thread::get_id();
    state.app = nullptr;
    state.exceptionHelper = nullptr;
    state.pluginsReady = false;
    EventLoop::Main().Reset();
}

void InitializeFrameworkClasses()
{
    Object::Lookup();
    Delegate::Lookup();
    Control::Lookup();
    RectControl::Lookup();
    Label::Lookup();
    PushButton::Lookup();
    TextField::Lookup();
    UpDownArrows::Lookup();
    Timer::Lookup();
    Window::Lookup();
    // The window list is a function-local static, made empty on first use;
    // touching it here gives it its place right after Window.
    WindowSupport::Windows();
    MenuItem::Lookup();
    MenuBar::Lookup();
    ApplicationMenuItem::Lookup();
    QuitMenuItem::Lookup();
    Application::Lookup();
    FolderItem::Lookup();
    TextInputStream::Lookup();
    Sound::Lookup();
}

void RuntimeSetExceptionHelper(CallableEntry helper)
{
    State().exceptionHelper = std::move(helper);
}

ExceptionHelper GetExceptionHelper()
{
    return State().exceptionHelper;
}

Variant CallFunctionWithExceptionHandling(const std::vector<Variant>& args)
{
    if (args.size() != 2)
        throw TypeMismatchException("the exception helper takes a function and its argument");
    const auto* function = std::get_if<RefPtr<Object>>(&args[0]);
    if (!function || !*function)
        throw NilObjectException("the exception helper was given no function");
    RefPtr<Delegate> delegate = Cast<Delegate>(*function);
    // The framework's exceptions are C++ exceptions, not objects; what comes
    // back is the escaped exception's description ("Class: message"), or nil
    // when the call returned normally. Other exceptions pass on.
    try {
        delegate->Invoke({ args[1] });
    } catch (const RuntimeException& error) {
        return std::string(error.ClassName()) + ": " + error.what();
    }
    return RefPtr<Object>();
}

void RuntimeInitExternalClasses()
{
    InitializeFrameworkClasses();
}

void InitPluginEntrypoints()
{
    // The plug-in controls are found by their registered names, as a plug-in
    // host resolves its entry points.
    for (const char* name : { "UpDownArrows" }) {
        if (!ClassRecord::Find(name))
            throw RuntimeException(std::string("plug-in control ") + name + " is not registered");
    }
    State().pluginsReady = true;
}

bool PluginEntrypointsReady()
{
    return State().pluginsReady;
}

void RuntimeRegisterAppObject(Ref<Application> app)
{
    State().app = app;
}

RefPtr<Application> GetAppObject()
{
    return State().app;
}

void RunFrameworkInitialization(CallableEntry lateStartup)
{
    InitializeFrameworkClasses();
    if (lateStartup)
        lateStartup({});
}

void RuntimeRun()
{
    EventLoop& loop = EventLoop::Main();
    // The application's Open comes before the loop delivers any input.
    if (RefPtr<Application> app = State().app) {
        loop.Dispatch([&] { app->CallOpen(); });
        loop.RunPending();
    }
    if (!loop.IsQuitting())
        GetBackend().Run(loop);
    loop.RunPending();
}

void UnhandledException(const std::exception& error)
{
    std::string message = error.what();
    const std::string& program = Identity().name;
    std::string line = (program.empty() ? "" : program + ": ") + "unhandled " + ExceptionClassName(error);
    if (!message.empty())
        line += ": " + message;
    std::fprintf(stderr, "%s\n", line.c_str());
    std::fflush(stderr);
    Quit(1);
}

int32_t RuntimeExit()
{
    EventLoop& loop = EventLoop::Main();
    int32_t status = loop.ExitStatus();
    WindowSupport::Exit();
    loop.Reset();
    RuntimeState& state = State();
    state.app = nullptr;
    state.exceptionHelper = nullptr;
    state.pluginsReady = false;
    return status;
}

void Quit(int32_t status)
{
    EventLoop::Main().Quit(status);
}

RefPtr<Window> GetImplicitWindow(const std::string& className)
{
    return WindowSupport::GetImplicitWindow(className);
}

RefPtr<FolderItem> GetApplicationBundleResources()
{
    namespace fs = std::filesystem;
    std::error_code error;
    fs::path executable;
    if (State().executablePath)
        executable = *State().executablePath;
    else
        executable = fs::read_symlink("/proc/self/exe", error);
    const std::string& resources = Identity().resourcesFolder;
    if (resources.empty() || error || executable.empty() || !executable.is_absolute())
        return nullptr;
    fs::path folder = executable.parent_path();
    if (folder.empty() || folder == folder.root_path())
        return nullptr;
    return RefPtr<FolderItem>(FolderItem::Create((folder.parent_path() / "share" / resources).string()));
}

void SetExecutablePath(const std::string& path)
{
    if (path.empty())
        State().executablePath.reset();
    else
        State().executablePath = path;
}

void ShowURL(const std::string& url)
{
    GetBackend().OpenURL(url);
}

bool IsMainThread()
{
    const auto& mainThread = State().mainThread;
    return !mainThread || *mainThread == std::this_thread::get_id();
}

void FinalizeFrameworkGlobals()
{
    WindowSupport::Exit();
}

}
