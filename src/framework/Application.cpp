#include "Application.h"

#include "Localization.h"
#include "MenuBar.h"
#include "RuntimeException.h"
#include "UiThread.h"
#include "Window.h"

#include <QApplication>
#include <QDesktopServices>
#include <QIcon>
#include <QMessageBox>
#include <QTimer>
#include <QUrl>

namespace {

struct Runtime {
    std::unique_ptr<QApplication> qtApp;
    std::shared_ptr<Application> appObject;
    std::vector<std::string> documentRequests;
    bool supportsHiDpi = false;
    std::function<void(const std::string&, const std::string&)> exceptionPresenter;
    std::function<void(const std::string&)> desktopHook;
};

Runtime& TheRuntime()
{
    static Runtime runtime;
    return runtime;
}

} // namespace

const ClassInfo& Application::StaticClassInfo()
{
    static const ClassInfo info("Application", &Object::StaticClassInfo(), {});
    return info;
}

Application::Application() = default;
Application::~Application() = default;

void Application::SetMenuBar(std::shared_ptr<::MenuBar> menuBar)
{
    RequireMainThread();
    m_menuBar = std::move(menuBar);
}

std::shared_ptr<FolderItem> Application::ExecutableFile() const
{
    return FolderItem::ExecutableFile();
}

void Application::_AddMenuHandler(const std::string& itemName, std::function<bool()> handler)
{
    RequireMainThread();
    m_menuHandlers[itemName] = std::move(handler);
}

bool Application::_HasMenuHandler(const std::string& itemName) const
{
    auto it = m_menuHandlers.find(itemName);
    return it != m_menuHandlers.end() && it->second;
}

bool Application::_InvokeMenuHandler(const std::string& itemName)
{
    RequireMainThread();
    auto it = m_menuHandlers.find(itemName);
    if (it == m_menuHandlers.end() || !it->second)
        return false;
    // Copy: the handler may rebind menu handlers while it runs.
    auto handler = it->second;
    return handler();
}

void Application::_SetSupportsHiDPI(bool supported)
{
    // Qt 6 always scales for high-resolution screens; the declaration is
    // kept for whoever asks.
    TheRuntime().supportsHiDpi = supported;
}

void _RuntimeInit(int& argc, char** argv, const ProgramInfo& program)
{
    RequireMainThread();
    Runtime& runtime = TheRuntime();
    if (!QCoreApplication::instance()) {
        runtime.qtApp = std::make_unique<QApplication>(argc, argv);
        QApplication::setApplicationName(QString::fromStdString(program.name));
        QApplication::setApplicationVersion(QString::fromStdString(program.version));
        QApplication::setDesktopFileName(QString::fromStdString(program.desktopName));
        // The desktop's theme icon where the program is installed, else the
        // one built into the program.
        QApplication::setWindowIcon(QIcon::fromTheme(QString::fromStdString(program.iconName),
                                                     QIcon(QString::fromStdString(program.iconResource))));
    }
    SetProgramTranslations(program.translationsName, program.translationsFolder);
    InstallTranslations();
    // QApplication has taken its own options out of argv; what is left are
    // the desktop's documents, kept as raw bytes.
    runtime.documentRequests.clear();
    for (int i = 1; i < argc; ++i)
        runtime.documentRequests.emplace_back(argv[i]);
}

void _RuntimeInitExternalClasses()
{
    RequireMainThread();
    // Class tables are built on first use; this makes sure the framework's
    // own are in place before the program's classes refer to them.
    (void)Object::StaticClassInfo();
    (void)Application::StaticClassInfo();
}

void _RuntimeRegisterAppObject(std::shared_ptr<Application> app)
{
    RequireMainThread();
    TheRuntime().appObject = std::move(app);
}

Application* _GetAppObject()
{
    return TheRuntime().appObject.get();
}

void _SetDocumentRequests(std::vector<std::string> paths)
{
    TheRuntime().documentRequests = std::move(paths);
}

void _RunFrameworkInitialization(std::function<void()> lateStartup)
{
    RequireMainThread();
    if (lateStartup)
        lateStartup();
    // The desktop's requests arrive from the event loop, after late
    // start-up, in the order the desktop gave them.
    std::vector<std::string> requests = TheRuntime().documentRequests;
    QTimer::singleShot(0, [requests]() {
        Application* app = _GetAppObject();
        if (!app)
            return;
        if (requests.empty()) {
            _CallGuarded([app] { app->Event_NewDocument(); });
            return;
        }
        for (const std::string& path : requests)
            _CallGuarded([app, &path] { app->Event_OpenDocument(std::make_shared<FolderItem>(path)); });
    });
}

int _RuntimeRun()
{
    RequireMainThread();
    return QApplication::exec();
}

void _RuntimeQuit()
{
    RequireMainThread();
    QCoreApplication::exit(0);
}

void _RuntimePerformFinalizers()
{
    RequireMainThread();
    for (const auto& window : OpenWindows())
        window->Close();
    // Closed windows are released from the event loop; let it run once.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    TheRuntime().appObject.reset();
}

int _RuntimeExit(int status)
{
    // Before static destruction, which would otherwise take the Qt
    // application down after the objects it depends on.
    TheRuntime().qtApp.reset();
    return status;
}

void SetUnhandledExceptionPresenter(std::function<void(const std::string&, const std::string&)> presenter)
{
    TheRuntime().exceptionPresenter = std::move(presenter);
}

void _UnhandledException(const std::exception& error)
{
    std::string className = "RuntimeException";
    std::string message = error.what();
    if (auto* runtimeError = dynamic_cast<const RuntimeException*>(&error))
        className = runtimeError->ClassName();
    if (TheRuntime().exceptionPresenter) {
        TheRuntime().exceptionPresenter(className, message);
        return;
    }
    QMessageBox::critical(QApplication::activeWindow(), QApplication::applicationName(),
                          QString::fromStdString("An exception of class " + className
                                                 + " was not handled.\n\n" + message));
}

void _CallGuarded(const std::function<void()>& code)
{
    try {
        code();
    } catch (const std::exception& error) {
        _UnhandledException(error);
    }
}

void SetDesktopServicesHook(std::function<void(const std::string&)> hook)
{
    TheRuntime().desktopHook = std::move(hook);
}

void ShowURL(const std::string& url)
{
    RequireMainThread();
    if (TheRuntime().desktopHook) {
        TheRuntime().desktopHook("url " + url);
        return;
    }
    QDesktopServices::openUrl(QUrl(QString::fromStdString(url)));
}

void ShowStandardAboutPanel()
{
    RequireMainThread();
    if (TheRuntime().desktopHook) {
        TheRuntime().desktopHook("about");
        return;
    }
    const QString name = QApplication::applicationName();
    QMessageBox box(QApplication::activeWindow());
    // Qt's own translations carry "About %1" in this context; the version
    // number goes without a word, which would stay English.
    box.setWindowTitle(QCoreApplication::translate("MAC_APPLICATION_MENU", "About %1").arg(name));
    box.setIconPixmap(QApplication::windowIcon().pixmap(64, 64));
    box.setText(QStringLiteral("<b>%1</b><br>%2").arg(name.toHtmlEscaped(), QApplication::applicationVersion().toHtmlEscaped()));
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}
