#include "Application.h"

#include "ArgumentPaths.h"
#include "DisplayKey.h"
#include "Localization.h"
#include "MenuBar.h"
#include "RuntimeException.h"
#include "SingleInstance.h"
#include "UiThread.h"
#include "Window.h"

#include <QApplication>
#include <QDesktopServices>
#include <QEvent>
#include <QIcon>
#include <QIconEngine>
#include <QMainWindow>
#include <QMessageBox>
#include <QPointer>
#include <QScopedValueRollback>
#include <QTimer>
#include <QUrl>

#include <deque>

namespace {

using Requests = std::vector<std::string>;

// An icon read from its file when it is first drawn, not when it is made:
// reading an image first loads Qt's image-format readers, a noticeable part
// of start-up, and a window shown offscreen, or by a desktop that takes the
// icon from the program's desktop entry, never draws it.
class IconFileEngine : public QIconEngine {
public:
    explicit IconFileEngine(QString path) : m_path(std::move(path)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        Read().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return Read().actualSize(size, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return Read().pixmap(size, mode, state);
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override
    {
        return Read().pixmap(size, scale, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override
    {
        return Read().availableSizes(mode, state);
    }
    bool isNull() override { return Read().isNull(); }
    QString key() const override { return QStringLiteral("IconFileEngine"); }
    QIconEngine* clone() const override { return new IconFileEngine(m_path); }

private:
    const QIcon& Read()
    {
        if (!m_read) {
            m_icon = QIcon(m_path);
            m_read = true;
        }
        return m_icon;
    }

    QString m_path;
    QIcon m_icon;
    bool m_read = false;
};

// Requests of one start, with the answer that its sender waits for (none for
// this start's own).
struct Batch {
    Requests paths;
    SingleInstance::Answer answer;
};

struct Runtime {
    std::unique_ptr<QApplication> qtApp;
    std::shared_ptr<Application> appObject;
    // Requests that arrived before the framework was initialised, in order:
    // this start's own, then those that later starts handed over.
    std::vector<Batch> pendingRequests;
    bool initialised = false;
    // Requests to serve from the event loop, in order, and whether they are
    // being served now.
    std::deque<Batch> toServe;
    bool serving = false;
    std::function<void(const std::string&, const std::string&)> exceptionPresenter;
    std::function<void(const std::string&)> desktopHook;
    std::vector<std::function<void()>> finalizers;
    QPointer<QObject> quitWatch;
    // Last, so that it goes before the Qt application does.
    std::unique_ptr<SingleInstance> singleInstance;
};

Runtime& TheRuntime()
{
    static Runtime runtime;
    return runtime;
}

void BringNewestWindowToFront()
{
    const auto windows = OpenWindows();
    if (windows.empty())
        return;
    QMainWindow* native = windows.back()->Handle();
    if (!native || !native->isVisible())
        return;
    native->setWindowState(native->windowState() & ~Qt::WindowMinimized);
    native->raise();
    native->activateWindow();
    // A dialog that waits for an answer stays in front of the window.
    if (QWidget* dialog = QApplication::activeModalWidget()) {
        dialog->raise();
        dialog->activateWindow();
    }
}

// Handles what the window system queued before now: a close or a quit that
// the user asked for while the program was busy comes before a request that
// arrived meanwhile. The window system's events may still be on their way
// into Qt: sync() asks the window system for a reply, which comes after them,
// and handles what came. Closing the last window asks to quit with an event
// of its own, which is sent at once.
void HandleWhatCameBefore()
{
    QGuiApplication::sync();
    QCoreApplication::sendPostedEvents(QCoreApplication::instance(), QEvent::Quit);
}

// Raises the application's events for the queued batches of requests, in
// order, from the event loop: one OpenDocument per path, or one NewDocument
// for none. A later start's batch is served only once what came before it is
// handled, and its start is told first, and ends; where it gave up waiting,
// or this program began to quit or close meanwhile (it listens no longer),
// the batch is not served here, and its start tries again.
void ServeRequests()
{
    Runtime& runtime = TheRuntime();
    // Handling what came before runs the event loop: a call for a batch
    // queued meanwhile finds it served here, in order.
    if (runtime.serving)
        return;
    const QScopedValueRollback serving(runtime.serving, true);
    while (!runtime.toServe.empty()) {
        const bool handedOver = runtime.toServe.front().answer.FromLaterStart();
        if (handedOver)
            HandleWhatCameBefore();
        Batch batch = std::move(runtime.toServe.front());
        runtime.toServe.pop_front();
        Application* app = _GetAppObject();
        if (!app || !batch.answer.Give())
            continue;
        if (batch.paths.empty())
            _CallGuarded([app] { app->Event_NewDocument(); });
        for (const std::string& path : batch.paths)
            _CallGuarded([app, &path] { app->Event_OpenDocument(std::make_shared<FolderItem>(path)); });
        if (handedOver)
            BringNewestWindowToFront();
    }
}

void DeliverRequests(Batch batch)
{
    TheRuntime().toServe.push_back(std::move(batch));
    QTimer::singleShot(0, QCoreApplication::instance(), ServeRequests);
}

// A batch handed over by a later start of the program.
void RequestsHandedOver(Requests requests, SingleInstance::Answer answer)
{
    Runtime& runtime = TheRuntime();
    Batch batch{std::move(requests), std::move(answer)};
    if (runtime.initialised)
        DeliverRequests(std::move(batch));
    else
        runtime.pendingRequests.push_back(std::move(batch));
}

// Once the program starts to quit it takes no more requests, before its
// windows go: a request it would no longer serve must not be answered, and
// the next start must find the lock free rather than a program on its way
// out.
void StopTakingRequests()
{
    if (SingleInstance* singleInstance = TheRuntime().singleInstance.get())
        singleInstance->StopListening();
}

// The platform's quit requests and the quit after the last window closed
// come as this event. Qt drops the latter where a window opened again
// meanwhile: for a request served just before, the program goes on.
class QuitWatch : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Quit && watched == QCoreApplication::instance())
            StopTakingRequests();
        return false;
    }
};

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
    // The program's declaration at start-up. Qt 6 always scales for
    // high-resolution screens, so there is nothing to switch on or off.
    (void)supported;
}

bool _RuntimeInit(int& argc, char** argv, const ProgramInfo& program)
{
    RequireMainThread();
    Runtime& runtime = TheRuntime();
    // As given: the display that the program shows its windows on may be
    // among the options that Qt takes.
    const std::vector<std::string> givenArguments(argv, argv + argc);
    if (!QCoreApplication::instance()) {
        runtime.qtApp = std::make_unique<QApplication>(argc, argv);
        QApplication::setApplicationName(QString::fromStdString(program.name));
        QApplication::setApplicationVersion(QString::fromStdString(program.version));
        QApplication::setDesktopFileName(QString::fromStdString(program.desktopName));
    }
    // QApplication has taken its own options out of argv; what is left are
    // the desktop's documents.
    Requests requests = ArgumentPaths::Of(argc, argv);

    runtime.singleInstance.reset();
    runtime.singleInstance = std::make_unique<SingleInstance>(
        program.name, DisplayKey::Of(QGuiApplication::platformName().toStdString(), givenArguments),
        RequestsHandedOver);
    if (runtime.singleInstance->Start(requests) == SingleInstance::Outcome::HandedOver) {
        runtime.singleInstance.reset();
        return false;
    }
    if (!runtime.quitWatch) {
        runtime.quitWatch = new QuitWatch(QCoreApplication::instance());
        QCoreApplication::instance()->installEventFilter(runtime.quitWatch);
        // Whatever else ends the event loop.
        QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, runtime.quitWatch,
                         &StopTakingRequests);
    }
    runtime.initialised = false;
    runtime.pendingRequests.insert(runtime.pendingRequests.begin(), Batch{std::move(requests), {}});

    if (runtime.qtApp) {
        // The desktop's theme icon where the program is installed, else the
        // one built into the program.
        QApplication::setWindowIcon(
            QIcon::fromTheme(QString::fromStdString(program.iconName),
                             QIcon(new IconFileEngine(QString::fromStdString(program.iconResource)))));
    }
    SetProgramTranslations(program.translationsName, program.translationsFolder);
    InstallTranslations();
    return true;
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

void _RunFrameworkInitialization(std::function<void()> lateStartup)
{
    RequireMainThread();
    if (lateStartup)
        lateStartup();
    // The desktop's requests arrive from the event loop, after late
    // start-up, in the order the desktop gave them; this start's own first.
    Runtime& runtime = TheRuntime();
    std::vector<Batch> pending = std::move(runtime.pendingRequests);
    runtime.pendingRequests.clear();
    if (pending.empty())
        pending.emplace_back();
    for (Batch& batch : pending)
        DeliverRequests(std::move(batch));
    runtime.initialised = true;
}

int _RuntimeRun()
{
    RequireMainThread();
    return QApplication::exec();
}

void _RuntimeQuit()
{
    RequireMainThread();
    StopTakingRequests();
    QCoreApplication::exit(0);
}

void _RuntimeAddFinalizer(std::function<void()> finalizer)
{
    TheRuntime().finalizers.push_back(std::move(finalizer));
}

void _RuntimePerformFinalizers()
{
    RequireMainThread();
    Runtime& runtime = TheRuntime();
    runtime.singleInstance.reset();
    runtime.toServe.clear();
    for (const auto& window : OpenWindows())
        window->Close();
    // Closed windows are released from the event loop; let it run once.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    std::vector<std::function<void()>> finalizers = std::move(runtime.finalizers);
    runtime.finalizers.clear();
    for (auto finalizer = finalizers.rbegin(); finalizer != finalizers.rend(); ++finalizer)
        (*finalizer)();
    runtime.appObject.reset();
}

int _RuntimeExit(int status)
{
    // Before static destruction, which would otherwise take the Qt
    // application down after the objects it depends on.
    TheRuntime().singleInstance.reset();
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
    box.setText(QStringLiteral("<b>%1</b><br>%2")
                    .arg(name.toHtmlEscaped(), QApplication::applicationVersion().toHtmlEscaped()));
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}
