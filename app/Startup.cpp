#include "app/Startup.h"

#include "about/AboutBox.h"
#include "app/App.h"
#include "app/MenuBar1.h"
#include "framework/Delegate.h"
#include "framework/Runtime.h"
#include "prefs/directiveClass.h"
#include "prefs/prefModule.h"
#include "timer/Microwave.h"
#include "timer/Window1.h"
#include "timer/Window1Timer1.h"
#include "timer/Window2.h"
#include "timer/Window2Timer1.h"

#include <exception>
#include <variant>
#include <vector>

namespace tockamo {

fw::ProgramIdentity Identity()
{
    return {
        .name = "Tockamo",
        .command = "tockamo",
        // Compiled in by resources/CMakeLists.txt, one picture per size.
        .iconResources = ":/application-icon",
        // The alarm sound lies in share/tockamo/, beside bin/.
        .resourcesFolder = "tockamo",
        .longVersion = TOCKAMO_LONG_VERSION,
    };
}

int32_t main()
{
    fw::RuntimeInit();
    initialize();
    Main();
    finalize();
    return fw::RuntimeExit();
}

void initialize()
{
    // Module globals start each run from their start values, also a second
    // run in the same process: the preference values at zero, and the alarm
    // sound not yet looked for (its finaliser empties only the sound).
    prefModule::MySetMin = 0;
    prefModule::Window1Top = 0;
    prefModule::Window1Left = 0;
    x_Microwave::loaded = false;

    fw::InitializeFrameworkClasses();
    App::ctblinit();
    Window1::ctblinit();
    Window1Timer1::ctblinit();
    Window2::ctblinit();
    Window2Timer1::ctblinit();
    AboutBox::ctblinit();
    directiveClass::ctblinit();
    prefModule::gDirectives.Init();
    MenuBar1::ctblinit();
}

void Main()
{
    try {
        {
            fw::Ref<fw::Delegate> helper = fw::Delegate::ForRoutine("( Ptr, Ptr ) as Object", &fw::CallFunctionWithExceptionHandling);
            fw::RuntimeSetExceptionHelper(helper->Entry());
        }
        EarlyStartup();
        {
            fw::Ref<fw::Delegate> lateStartup = fw::Delegate::ForRoutine("(  )", [](const std::vector<fw::Variant>&) -> fw::Variant {
                LateStartup();
                return std::monostate {};
            });
            fw::RunFrameworkInitialization(lateStartup->Entry());
        }
        fw::RuntimeRun();
    } catch (const std::exception& error) {
        fw::UnhandledException(error);
    } catch (...) {
        fw::UnhandledException(fw::RuntimeException("an exception of unknown type"));
    }
}

void EarlyStartup()
{
    fw::RuntimeInitExternalClasses();
    fw::InitPluginEntrypoints();
    InitFileTypes();
    NewAppInstance();
    ApplicationAddMenuHandlers();
}

void InitFileTypes()
{
}

void NewAppInstance()
{
    // The framework keeps the object alive from here on; start-up keeps no
    // reference of its own.
    fw::Ref<class App> app = App::Create();
    app->Class().Operation("Constructor").Invoke(*app);
    fw::RuntimeRegisterAppObject(app);
}

void ApplicationAddMenuHandlers()
{
    fw::RefPtr<class App> registrar = App();
    fw::RefPtr<class App> handler = App();
    if (!registrar || !handler)
        throw fw::NilObjectException("there is no application object");
    fw::Ref<fw::Delegate> aboutBox = fw::Delegate::ForMethod("(  ) as Boolean", *handler, "_FileAboutBox_Action");
    registrar->AddMenuHandler("FileAboutBox", aboutBox->Entry());
}

void LateStartup()
{
}

void finalize()
{
    x_Microwave::permaSound.Exit();
    fw::FinalizeFrameworkGlobals();
    prefModule::gDirectives.Exit();
    MenuBar1::implicitInstance.Exit();
}

}
