#pragma once

#include "Application.h"
#include "Delegate.h"
#include "FolderItem.h"
#include "Object.h"
#include "RuntimeException.h"
#include "Window.h"

#include <cstdint>
#include <functional>
#include <string>

namespace fw {

// Who the program is, as its user and the desktop know it. The framework
// names nothing of its own: every name below comes from the program.
struct ProgramIdentity {
    // The name the user knows the program by, in the messages meant for them.
    std::string name {};
    // The command that starts it: the process's name, the desktop entry's
    // file name (which the desktop matches the windows to), and the prefix of
    // what it reports on standard error.
    std::string command {};
    // The folder of compiled-in resources whose pictures, one per size, make
    // the icon every window shows.
    std::string iconResources {};
    // The folder in share/ beside the executable's bin/ that holds the
    // program's resource files.
    std::string resourcesFolder {};
    // The version Application.LongVersion reports.
    std::string longVersion {};
};

// The runtime entry points that the program's start code calls, in the order
// it calls them.

// Names the program, before a backend is made: the backend takes its window
// icon and its process and desktop names from here.
void SetProgramIdentity(ProgramIdentity identity);
const ProgramIdentity& GetProgramIdentity();

// Readies the runtime: marks this thread as the main thread and resets the
// event loop. A backend must have been installed by the start code first.
void RuntimeInit();
// Builds the framework's own class records in the framework's order and
// initialises its window list right after Window; the first step of the
// program's static initialiser. Idempotent.
void InitializeFrameworkClasses();
// The exception helper: calls a function with an argument and gives back the
// RuntimeException that escaped it, or nothing.
using ExceptionHelper = CallableEntry;
void RuntimeSetExceptionHelper(CallableEntry helper);
// The helper installed by RuntimeSetExceptionHelper; empty before that.
ExceptionHelper GetExceptionHelper();
// The framework routine that start-up hands to RuntimeSetExceptionHelper:
// given a function object and its argument, it calls one with the other.
Variant CallFunctionWithExceptionHandling(const std::vector<Variant>& args);
void RuntimeInitExternalClasses();
// Looks up the plug-in controls' entry points by name; UpDownArrows can be
// made only afterwards.
void InitPluginEntrypoints();
bool PluginEntrypointsReady();
void RuntimeRegisterAppObject(Ref<Application> app);
RefPtr<Application> GetAppObject();
// Finishes the framework's initialisation and calls the late start-up hook.
void RunFrameworkInitialization(CallableEntry lateStartup);
// Raises the application's Open event, then runs the event loop on this thread
// until the application quits.
void RuntimeRun();
// The report of an unhandled exception: one line on stderr naming the
// exception's class and message; the application then ends with status 1.
void UnhandledException(const std::exception& error);
// Shuts the runtime down and gives the process's exit status.
int32_t RuntimeExit();
// Ends the application with `status` once the running handler returns.
void Quit(int32_t status = 0);

// _GetImplicitWindow.
RefPtr<Window> GetImplicitWindow(const std::string& className);
// _GetApplicationBundleResources: the program's resources folder in share/
// beside the folder that holds the executable (bin/), as a Linux program is
// installed; nil when it cannot be told or the program named no folder.
RefPtr<FolderItem> GetApplicationBundleResources();
// Where the executable lives; tests point it elsewhere. An empty path goes
// back to the running executable.
void SetExecutablePath(const std::string& path);

// Hands `url` to the desktop's handler for its scheme.
void ShowURL(const std::string& url);

bool IsMainThread();

// The framework's own module globals, released by the start code's
// finaliser: window lists, introspection maps, implicit windows.
void FinalizeFrameworkGlobals();

}
