#pragma once

#include "FolderItem.h"
#include "Object.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class MenuBar;

// The program's one application object. The program subclasses it, registers
// it with _RuntimeRegisterAppObject and handles its events.
class Application : public Object {
    DECLARE_CLASS_INFO

public:
    Application();
    ~Application() override;

    std::shared_ptr<::MenuBar> MenuBar() const { return m_menuBar; }
    void SetMenuBar(std::shared_ptr<::MenuBar> menuBar);

    // The program's own executable.
    std::shared_ptr<FolderItem> ExecutableFile() const;

    // Binds a menu item, by its name, to a handler; the handler's result
    // says whether it handled the choice.
    void _AddMenuHandler(const std::string& itemName, std::function<bool()> handler);
    bool _HasMenuHandler(const std::string& itemName) const;
    // Runs the handler bound to the item's name; false when there is none.
    bool _InvokeMenuHandler(const std::string& itemName);

    // Raised by the framework after late start-up: NewDocument when the
    // process was started without documents, OpenDocument once per document
    // that the desktop asked the program to open, in order.
    virtual void Event_NewDocument() {}
    virtual void Event_OpenDocument(std::shared_ptr<FolderItem> item) { (void)item; }

    // The program declares at start-up that it supports high-resolution
    // screens. With Qt 6 that support is always on; the step changes nothing.
    static void _SetSupportsHiDPI(bool supported);

private:
    std::shared_ptr<::MenuBar> m_menuBar;
    std::map<std::string, std::function<bool()>> m_menuHandlers;
};

// --- Process life -----------------------------------------------------------

// What the program tells the framework about itself at start-up.
struct ProgramInfo {
    std::string name;         // shown to the user; also names the socket of the one running program
    std::string desktopName;  // its desktop entry's file name, without ".desktop"
    std::string version;
    std::string iconName;     // in the desktop's icon theme
    std::string iconResource; // built in (":/..."), where the theme has no such icon
    // Its translations are <translationsName>_<language>.qm, looked up in the
    // XDG data folders and then in translationsFolder (see Localization.h).
    std::string translationsName;
    std::string translationsFolder;
};

// Prepares the framework: the Qt application, the translations of the user's
// languages, and the desktop's open-document requests, one per process
// argument, each made absolute against the working folder and otherwise kept
// byte for byte. Where the program already runs for this user and display,
// hands the requests to it (see SingleInstance.h) and, once it answered that
// it serves them, returns false: the process should then end with status 0.
// Otherwise true is returned, and this process takes the requests of later
// starts from now on, until it starts to quit (or it runs on its own where
// the running program did not answer).
bool _RuntimeInit(int& argc, char** argv, const ProgramInfo& program);
// Initialises the framework's own classes.
void _RuntimeInitExternalClasses();
// Registers the application object; the framework holds it from now on.
void _RuntimeRegisterAppObject(std::shared_ptr<Application> app);
// The registered application object, or none.
Application* _GetAppObject();
// Finishes initialisation: calls lateStartup once, then queues the desktop's
// requests (one OpenDocument per process argument, or one NewDocument), and
// from then on those that later starts hand over, each batch followed by
// bringing the newest window to the front.
void _RunFrameworkInitialization(std::function<void()> lateStartup);
// The event loop; returns when the application quits.
int _RuntimeRun();
// Asks the event loop to end. From now on the program takes no requests of
// later starts, as with any other quit.
void _RuntimeQuit();
// Adds a step to shut-down: it runs in _RuntimePerformFinalizers, once, after
// the windows are closed, latest added first. A program releases the objects
// it shares between windows (a menu bar, say) this way.
void _RuntimeAddFinalizer(std::function<void()> finalizer);
// Stops taking the requests of later starts, closes and releases every
// window, runs the finalisers and releases the application object, all while
// Qt is still there to take the widgets down.
void _RuntimePerformFinalizers();
// Takes the Qt application down and returns the process's exit status.
int _RuntimeExit(int status);

// --- Failures -----------------------------------------------------------------

// Shows an exception that no handler took: its class and message in a
// message box. The program then goes on.
void _UnhandledException(const std::exception& error);
// Replaces the message box, for tests.
void SetUnhandledExceptionPresenter(std::function<void(const std::string& className, const std::string& message)> presenter);
// Runs program code called from an event; an exception that escapes goes to
// _UnhandledException.
void _CallGuarded(const std::function<void()>& code);

// --- Desktop services ---------------------------------------------------------

// Opens an address in the user's browser.
void ShowURL(const std::string& url);
// Shows the desktop's standard About box of the application.
void ShowStandardAboutPanel();
// Replaces ShowURL and the About box, for tests.
void SetDesktopServicesHook(std::function<void(const std::string& request)> hook);
