#include "Startup.h"

#include "App.h"
#include "FileTypes1.h"
#include "MainMenuBar.h"

#include "controls/qorActionBar.h"
#include "controls/qorStatusBar.h"
#include "framework/Application.h"
#include "framework/DateControl.h"
#include "framework/RuntimeException.h"
#include "framework/TimeControl.h"
#include "window/MainWindow.h"

#include <cxxabi.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <typeinfo>

namespace {

std::function<void(const std::string&)> g_stepWatcher;

// The name is put together only while someone watches.
void Step(const char* name, const char* detail = "")
{
    if (g_stepWatcher)
        g_stepWatcher(std::string(name) + detail);
}

int g_exitStatus = 0;

std::string ClassName(const std::exception& error)
{
    if (auto* runtimeError = dynamic_cast<const RuntimeException*>(&error))
        return runtimeError->ClassName();
    int status = 0;
    char* demangled = abi::__cxa_demangle(typeid(error).name(), nullptr, nullptr, &status);
    std::string name = status == 0 && demangled ? demangled : typeid(error).name();
    std::free(demangled);
    return name;
}

// Each step of the process run. An exception that leaves one ends the process
// with status 1, after saying what it was, and skips the rest.
bool RunStep(const std::function<void()>& step)
{
    try {
        step();
        return true;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "kestrune: stopped on an exception of class %s: %s\n", ClassName(error).c_str(),
                     error.what());
    } catch (...) {
        std::fprintf(stderr, "kestrune: stopped on an exception of unknown class\n");
    }
    return false;
}

void PerformInitializers()
{
    // Class tables: the framework's, the pickers', then the program's own.
    (void)Object::StaticClassInfo();
    (void)DateControl::StaticClassInfo();
    (void)TimeControl::StaticClassInfo();
    (void)App::StaticClassInfo();
    (void)MainWindow::StaticClassInfo();
    (void)MainMenuBar::StaticClassInfo();
    (void)qorStatusBar::StaticClassInfo();
    (void)qorActionBar::StaticClassInfo();
}

} // namespace

void _WatchStartupSteps(std::function<void(const std::string& step)> watcher)
{
    g_stepWatcher = std::move(watcher);
}

const ProgramInfo& Program()
{
    static const ProgramInfo program{
        .name = "Kestrune",
        .desktopName = "kestrune",
        .version = KESTRUNE_VERSION,
        .iconName = "kestrune",
        .iconResource = ":/application-icon.png",
        .translationsName = "kestrune",
        .translationsFolder = KESTRUNE_TRANSLATIONS_DIR,
    };
    return program;
}

int RunProcess(int argc, char** argv)
{
    bool handedOver = false;
    if (!RunStep([&] { handedOver = !_RuntimeInit(argc, argv, Program()); }))
        return 1;
    // The running program took this start's requests.
    if (handedOver)
        return _RuntimeExit(0);
    if (!RunStep(PerformInitializers))
        return 1;
    if (!RunStep(_Main))
        return 1;
    if (!RunStep(_RuntimePerformFinalizers))
        return 1;
    return _RuntimeExit(g_exitStatus);
}

void _Main()
{
    try {
        _EarlyStartup();
        Step("framework initialisation");
        _RunFrameworkInitialization(_LateStartup);
        Step("event loop");
        g_exitStatus = _RuntimeRun();
    } catch (const std::exception& error) {
        // What the handler raises itself passes on to the process run.
        _UnhandledException(error);
    }
}

void _EarlyStartup()
{
    Step("high-resolution support");
    Application::_SetSupportsHiDPI(true);
    Step("framework classes");
    _RuntimeInitExternalClasses();
    Step("picker controls");
    _InitPluginEntrypoints();
    Step("file types");
    _InitFileTypes();
    Step("application object");
    _NewAppInstance();
    _ApplicationAddMenuHandlers();
}

void _InitPluginEntrypoints()
{
    (void)DateControl::StaticClassInfo();
    (void)TimeControl::StaticClassInfo();
}

void _InitFileTypes()
{
    FileTypes1::_Initialize();
}

void _NewAppInstance()
{
    auto app = std::make_shared<App>();
    app->Constructor();
    app->SetMenuBar(implicit::MainMenuBar());
    _RuntimeRegisterAppObject(app);
}

void _ApplicationAddMenuHandlers()
{
    const struct {
        const char* item;
        bool (App::*handler)();
    } bindings[] = {
        {"FileOpen", &App::_FileOpen_Action},
        {"HelpAbout", &App::_HelpAbout_Action},
        {"HelpSupport", &App::_HelpSupport_Action},
    };
    for (const auto& binding : bindings) {
        ::App* app = implicit::App();
        if (!app)
            throw NilObjectException("The application object is not registered.");
        Step("menu handler ", binding.item);
        app->_AddMenuHandler(binding.item, [app, handler = binding.handler] { return (app->*handler)(); });
    }
}

void _LateStartup()
{
    Step("late start-up");
    _MakeDefaultView();
}

void _MakeDefaultView()
{
    (void)implicit::MainWindow();
    Step("main window");
}
