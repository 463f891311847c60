#include "Window.h"

#include "Application.h"
#include "DragItem.h"
#include "FileDrop.h"
#include "FileType.h"
#include "MenuBar.h"
#include "UiThread.h"

#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QLayout>
#include <QMainWindow>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <QTimer>

#include <algorithm>
#include <map>

#include <sys/stat.h>

namespace {

std::vector<std::shared_ptr<Window>>& OpenWindowList()
{
    static std::vector<std::shared_ptr<Window>> windows;
    return windows;
}

bool IsDirectory(const std::string& path, struct stat* info)
{
    return ::stat(path.c_str(), info) == 0 && S_ISDIR(info->st_mode);
}

// A disk is the root folder of a mounted volume: its parent lies on another
// device, or it is the root itself.
bool IsVolumeRoot(const std::string& path, const struct stat& info)
{
    struct stat parent;
    const std::string parentPath = path + "/..";
    if (::stat(parentPath.c_str(), &parent) != 0)
        return false;
    return parent.st_dev != info.st_dev || parent.st_ino == info.st_ino;
}

} // namespace

// The native window: forwards closing, moves and drops to its Window.
class WindowWidget : public QMainWindow {
public:
    explicit WindowWidget(Window* owner) : m_owner(owner)
    {
        setAttribute(Qt::WA_DeleteOnClose, false);
        auto* content = new QWidget(this);
        content->setObjectName("content");
        setCentralWidget(content);
    }

    void Detach() { m_owner = nullptr; }

protected:
    void closeEvent(QCloseEvent* event) override
    {
        event->accept();
        if (m_owner)
            m_owner->HandleClosed();
    }

    void dragEnterEvent(QDragEnterEvent* event) override
    {
        if (m_owner && !m_owner->m_acceptedFileTypes.empty()) {
            for (const auto& path : DroppedPaths(*event->mimeData())) {
                if (path && Accepts(*path)) {
                    event->acceptProposedAction();
                    return;
                }
            }
        }
        event->ignore();
    }

    void dragMoveEvent(QDragMoveEvent* event) override { event->acceptProposedAction(); }

    void dropEvent(QDropEvent* event) override
    {
        if (!m_owner)
            return;
        std::vector<std::shared_ptr<FolderItem>> items;
        bool any = false;
        for (const auto& path : DroppedPaths(*event->mimeData())) {
            if (path && Accepts(*path)) {
                items.push_back(std::make_shared<FolderItem>(*path));
                any = true;
            } else {
                items.push_back(nullptr);
            }
        }
        if (!any) {
            event->ignore();
            return;
        }
        event->acceptProposedAction();
        m_owner->HandleDrop(std::make_unique<DragItem>(std::move(items)), std::int64_t(event->dropAction()));
    }

private:
    bool Accepts(const std::string& path) const
    {
        struct stat info {};
        if (IsDirectory(path, &info)) {
            return m_owner->AcceptsFileType(kFileTypeFolder)
                   || (m_owner->AcceptsFileType(kFileTypeDisk) && IsVolumeRoot(path, info));
        }
        return m_owner->AcceptsFileType(kFileTypeAny);
    }

    Window* m_owner;
};

const ClassInfo& Window::StaticClassInfo()
{
    static const ClassInfo info("Window", &Object::StaticClassInfo(), {
        MakeProperty("Width", PropertyType::Integer, &Window::Width, &Window::SetWidth),
        MakeProperty("Height", PropertyType::Integer, &Window::Height, &Window::SetHeight),
        MakeProperty("MinWidth", PropertyType::Integer, &Window::MinWidth, &Window::SetMinWidth),
        MakeProperty("MinHeight", PropertyType::Integer, &Window::MinHeight, &Window::SetMinHeight),
        MakeProperty("MaxWidth", PropertyType::Integer, &Window::MaxWidth, &Window::SetMaxWidth),
        MakeProperty("MaxHeight", PropertyType::Integer, &Window::MaxHeight, &Window::SetMaxHeight),
        MakeStored("Frame", PropertyType::Integer),
        MakeProperty("Title", PropertyType::String, &Window::Title, &Window::SetTitle),
        MakeProperty("CloseButton", PropertyType::Boolean, &Window::CloseButton, &Window::SetCloseButton),
        MakeProperty("Resizeable", PropertyType::Boolean, &Window::Resizeable, &Window::SetResizeable),
        MakeProperty("MaximizeButton", PropertyType::Boolean, &Window::MaximizeButton, &Window::SetMaximizeButton),
        MakeProperty("MinimizeButton", PropertyType::Boolean, &Window::MinimizeButton, &Window::SetMinimizeButton),
        MakeStored("FullScreenButton", PropertyType::Boolean),
        MakeStored("Composite", PropertyType::Boolean),
        MakeStored("MacProcID", PropertyType::Integer),
        MakeStored("Placement", PropertyType::Integer),
        MakeProperty("Visible", PropertyType::Boolean, &Window::Visible, &Window::SetVisible),
        MakeStored("LiveResize", PropertyType::Boolean),
        MakeStored("FullScreen", PropertyType::Boolean),
        MakeProperty("HasBackColor", PropertyType::Boolean, &Window::HasBackColor, &Window::SetHasBackColor),
        MakeProperty("BackColor", PropertyType::Color, &Window::BackColor, &Window::SetBackColor),
        MakeProperty("MenuBarVisible", PropertyType::Boolean, &Window::MenuBarVisible, &Window::SetMenuBarVisible),
    });
    return info;
}

Window::Window()
{
    RequireMainThread();
}

Window::~Window()
{
    // Each control owns its widget. Those inside another control's widget
    // are taken out first, so that no container deletes one as its child,
    // whatever order the controls were made in.
    for (const auto& control : m_controls) {
        if (control->m_parent)
            control->m_widget->setParent(nullptr);
    }
    m_controls.clear();
    if (m_native) {
        m_native->Detach();
        m_native.reset();
    }
}

void Window::Constructor()
{
    RequireMainThread();
    m_native = std::make_unique<WindowWidget>(this);
    m_constructed = true;
    ApplyWindowFlags();
    ApplySize();
    ApplyBackground();

    Layout();
    CreateControls();
    ApplyTabOrder();

    m_open = true;
    OpenWindowList().push_back(shared_from_this());
    if (m_visible) {
        RestoreFrame();
        m_native->show();
        for (const auto& control : m_controls)
            _CallGuarded([&] { control->Event_WindowOpen(); });
        _CallGuarded([&] { Event_Open(); });
    }
}

void Window::SetMenuBar(std::shared_ptr<::MenuBar> menuBar)
{
    RequireMainThread();
    m_menuBar = std::move(menuBar);
    InstallMenuBar();
}

void Window::InstallMenuBar()
{
    if (!m_native)
        return;
    if (m_menuBar)
        m_native->setMenuBar(m_menuBar->CreateNativeMenuBar(m_native.get()));
    else
        m_native->setMenuBar(new QMenuBar(m_native.get()));
    m_native->menuBar()->setVisible(m_menuBarVisible);
    ApplySize();
}

QMainWindow* Window::Handle() const
{
    RequireMainThread();
    return m_native.get();
}

QWidget* Window::ContentWidget() const
{
    return m_native ? m_native->centralWidget() : nullptr;
}

void Window::AcceptFileDrop(const std::string& fileTypeName)
{
    RequireMainThread();
    m_acceptedFileTypes.insert(fileTypeName);
    if (m_native)
        m_native->setAcceptDrops(true);
}

bool Window::AcceptsFileType(std::string_view fileTypeName) const
{
    return m_acceptedFileTypes.count(fileTypeName) != 0;
}

void Window::Event_DropObject(DragItem& item, std::int64_t action)
{
    (void)item;
    (void)action;
}

void Window::HandleDrop(std::unique_ptr<DragItem> item, std::int64_t action)
{
    _CallGuarded([&] { Event_DropObject(*item, action); });
}

RectControl& Window::_AddControl(const std::string& name, std::unique_ptr<RectControl> control)
{
    RequireMainThread();
    if (!control)
        throw NilObjectException("No control to add.");
    if (!m_native)
        throw NilObjectException("The window has not been constructed.");
    RectControl& added = *control;
    m_controls.push_back(std::move(control));
    added.SetName(name);
    added.AttachToWindow(this);
    return added;
}

RectControl* Window::_ControlByName(std::string_view name) const
{
    RequireMainThread();
    for (const auto& control : m_controls) {
        if (control->Name() == name)
            return control.get();
    }
    return nullptr;
}

void Window::ApplyTabOrder()
{
    // Keyboard focus walks the controls container by container, each in the
    // order of its TabIndex, the window's own controls first.
    std::vector<QWidget*> chain;
    std::function<void(RectControl*)> visit = [&](RectControl* container) {
        std::vector<RectControl*> members;
        for (const auto& control : m_controls) {
            if (control->Parent() == container)
                members.push_back(control.get());
        }
        std::stable_sort(members.begin(), members.end(),
                         [](RectControl* a, RectControl* b) { return a->TabIndex() < b->TabIndex(); });
        for (RectControl* member : members) {
            if (member->NativeWidget()->focusPolicy() != Qt::NoFocus)
                chain.push_back(member->NativeWidget());
            visit(member);
        }
    };
    visit(nullptr);
    for (std::size_t i = 1; i < chain.size(); ++i)
        QWidget::setTabOrder(chain[i - 1], chain[i]);
}

void Window::Close()
{
    RequireMainThread();
    if (m_native)
        m_native->close();
}

void Window::HandleClosed()
{
    if (!m_open)
        return;
    m_open = false;
    SaveFrame();
    auto& windows = OpenWindowList();
    auto it = std::find_if(windows.begin(), windows.end(), [this](const auto& w) { return w.get() == this; });
    if (it != windows.end()) {
        // The object may be inside one of its own event handlers: release it
        // once control returns to the event loop.
        std::shared_ptr<Window> keep = std::move(*it);
        windows.erase(it);
        QTimer::singleShot(0, [keep]() mutable { keep.reset(); });
    }
}

void Window::SetWidth(std::int64_t width)
{
    m_width = width;
    ApplySize();
}

void Window::SetHeight(std::int64_t height)
{
    m_height = height;
    ApplySize();
}

void Window::SetMinWidth(std::int64_t v)
{
    m_minWidth = v;
    ApplySize();
}

void Window::SetMinHeight(std::int64_t v)
{
    m_minHeight = v;
    ApplySize();
}

void Window::SetMaxWidth(std::int64_t v)
{
    m_maxWidth = v;
    ApplySize();
}

void Window::SetMaxHeight(std::int64_t v)
{
    m_maxHeight = v;
    ApplySize();
}

void Window::SetTitle(const std::string& title)
{
    RequireMainThread();
    m_title = title;
    if (m_native)
        m_native->setWindowTitle(QString::fromStdString(title));
}

void Window::SetCloseButton(bool v)
{
    m_closeButton = v;
    ApplyWindowFlags();
}

void Window::SetResizeable(bool v)
{
    m_resizeable = v;
    ApplyWindowFlags();
    ApplySize();
}

void Window::SetMaximizeButton(bool v)
{
    m_maximizeButton = v;
    ApplyWindowFlags();
}

void Window::SetMinimizeButton(bool v)
{
    m_minimizeButton = v;
    ApplyWindowFlags();
}

void Window::SetVisible(bool v)
{
    RequireMainThread();
    m_visible = v;
    // While the window is being built, showing waits for the end of
    // construction.
    if (m_native && m_open)
        m_native->setVisible(v);
}

void Window::SetHasBackColor(bool v)
{
    m_hasBackColor = v;
    ApplyBackground();
}

void Window::SetBackColor(Color c)
{
    m_backColor = c;
    ApplyBackground();
}

void Window::SetMenuBarVisible(bool v)
{
    m_menuBarVisible = v;
    if (m_native && m_native->menuWidget())
        m_native->menuWidget()->setVisible(v);
}

void Window::ApplyWindowFlags()
{
    RequireMainThread();
    if (!m_native)
        return;
    Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (m_closeButton)
        flags |= Qt::WindowCloseButtonHint;
    if (m_minimizeButton)
        flags |= Qt::WindowMinimizeButtonHint;
    if (m_maximizeButton && m_resizeable)
        flags |= Qt::WindowMaximizeButtonHint;
    const bool shown = m_native->isVisible();
    m_native->setWindowFlags(flags);
    if (shown)
        m_native->show();
}

void Window::ApplySize()
{
    RequireMainThread();
    if (!m_native)
        return;
    QWidget* content = ContentWidget();
    const int w = int(std::clamp<std::int64_t>(m_width, 1, 32000));
    const int h = int(std::clamp<std::int64_t>(m_height, 1, 32000));
    if (m_resizeable) {
        content->setMinimumSize(int(std::clamp<std::int64_t>(m_minWidth, 0, w)),
                                int(std::clamp<std::int64_t>(m_minHeight, 0, h)));
        content->setMaximumSize(int(std::clamp<std::int64_t>(m_maxWidth, w, QWIDGETSIZE_MAX)),
                                int(std::clamp<std::int64_t>(m_maxHeight, h, QWIDGETSIZE_MAX)));
        content->resize(w, h);
        m_native->layout()->setSizeConstraint(QLayout::SetDefaultConstraint);
        m_native->adjustSize();
    } else {
        // A window the user cannot resize: the content area is fixed and
        // the frame follows it.
        content->setFixedSize(w, h);
        m_native->layout()->setSizeConstraint(QLayout::SetFixedSize);
        m_native->adjustSize();
    }
}

void Window::ApplyBackground()
{
    if (!m_native)
        return;
    QWidget* content = ContentWidget();
    if (m_hasBackColor) {
        QPalette palette = content->palette();
        palette.setColor(QPalette::Window, ToQColor(m_backColor));
        content->setPalette(palette);
        content->setAutoFillBackground(true);
    } else {
        content->setAutoFillBackground(false);
    }
}

// --- Window frame -------------------------------------------------------------

namespace {
QString FrameSettingsPath(const std::string& name)
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/"
           + QString::fromStdString(name) + ".conf";
}
} // namespace

void Window::SetFrameAutosaveName(const std::string& name)
{
    RequireMainThread();
    m_frameAutosaveName = name;
    RestoreFrame();
}

void Window::SaveFrame() const
{
    if (m_frameAutosaveName.empty() || !m_native)
        return;
    // Kept when the window closes (also at quit). Nothing is written when
    // the window stands where it stood: most runs never move it.
    QSettings settings(FrameSettingsPath(m_frameAutosaveName), QSettings::IniFormat);
    const QPoint position = m_native->pos();
    if (settings.value("Window/Position").toPoint() == position && settings.contains("Window/Position"))
        return;
    // A lost position costs nothing worth a disk flush at every quit.
    settings.setAtomicSyncRequired(false);
    settings.setValue("Window/Position", position);
}

void Window::RestoreFrame()
{
    if (m_frameAutosaveName.empty() || !m_native)
        return;
    QSettings settings(FrameSettingsPath(m_frameAutosaveName), QSettings::IniFormat);
    const QVariant saved = settings.value("Window/Position");
    if (!saved.isValid())
        return;
    const QPoint position = saved.toPoint();
    // A position saved on a screen that is gone would put the window out of
    // reach: use it only when the title bar lands on a present screen.
    const QRect titleArea(position, QSize(std::max(1, m_native->width()), 20));
    for (QScreen* screen : QGuiApplication::screens()) {
        if (screen->availableGeometry().intersects(titleArea)) {
            m_native->move(position);
            return;
        }
    }
}

// --- Implicit instances -------------------------------------------------------

std::shared_ptr<Window> _GetImplicitWindow(std::string_view className)
{
    RequireMainThread();
    for (const auto& window : OpenWindowList()) {
        if (window->IsOpen() && window->GetClassInfo().Name() == className)
            return window;
    }
    return nullptr;
}

std::vector<std::shared_ptr<Window>> OpenWindows()
{
    return OpenWindowList();
}
