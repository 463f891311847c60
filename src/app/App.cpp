#include "App.h"

#include "window/MainWindow.h"

const char* const App::SupportAddress = "https://kestrune.app";

const ClassInfo& App::StaticClassInfo()
{
    static const ClassInfo info("App", &Application::StaticClassInfo(), {});
    return info;
}

App::App() = default;

void App::Constructor()
{
    // Nothing to prepare: the framework has readied the object already.
}

void App::Event_NewDocument()
{
    // Brings the main window back after the user closed it; an open window
    // is left as it is.
    (void)implicit::MainWindow();
}

namespace implicit {
::App* App()
{
    return dynamic_cast<::App*>(_GetAppObject());
}
} // namespace implicit
