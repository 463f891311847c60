#pragma once

#include "Color.h"
#include "Object.h"
#include "RectControl.h"

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

class DragItem;
class MenuBar;
class QMainWindow;
class QWidget;
class WindowWidget;

// A top-level window. A subclass builds itself in Layout (the window's own
// settings) and CreateControls (its controls); Constructor builds the native
// window, raises both, and shows the window when Visible is set, which raises
// Open. Width and Height are the content area, in which control coordinates
// are given.
class Window : public Object, public std::enable_shared_from_this<Window> {
    DECLARE_CLASS_INFO

public:
    Window();
    ~Window() override;

    // Builds the window and registers it as the open implicit instance of
    // its class. The object must be owned by a shared_ptr.
    void Constructor();

    std::shared_ptr<::MenuBar> MenuBar() const { return m_menuBar; }
    void SetMenuBar(std::shared_ptr<::MenuBar> menuBar);

    // The native window, to which platform requests are sent.
    QMainWindow* Handle() const;

    // From now on the window accepts dragged items of the named file type
    // ("special/any", "special/folder", "special/disk" or a registered type).
    void AcceptFileDrop(const std::string& fileTypeName);
    bool AcceptsFileType(std::string_view fileTypeName) const;

    // Registers a control under its name; the window owns it from now on.
    RectControl& _AddControl(const std::string& name, std::unique_ptr<RectControl> control);
    RectControl* _ControlByName(std::string_view name) const;
    const std::vector<std::unique_ptr<RectControl>>& Controls() const { return m_controls; }

    // Keeps the window's frame in the user's configuration under this name
    // and restores a saved frame that lies on a screen.
    void SetFrameAutosaveName(const std::string& name);

    bool IsOpen() const { return m_open; }
    void Close();

    // Design-time settings.
    std::int64_t Width() const { return m_width; }
    void SetWidth(std::int64_t width);
    std::int64_t Height() const { return m_height; }
    void SetHeight(std::int64_t height);
    std::int64_t MinWidth() const { return m_minWidth; }
    void SetMinWidth(std::int64_t v);
    std::int64_t MinHeight() const { return m_minHeight; }
    void SetMinHeight(std::int64_t v);
    std::int64_t MaxWidth() const { return m_maxWidth; }
    void SetMaxWidth(std::int64_t v);
    std::int64_t MaxHeight() const { return m_maxHeight; }
    void SetMaxHeight(std::int64_t v);
    const std::string& Title() const { return m_title; }
    void SetTitle(const std::string& title);
    bool CloseButton() const { return m_closeButton; }
    void SetCloseButton(bool v);
    bool Resizeable() const { return m_resizeable; }
    void SetResizeable(bool v);
    bool MaximizeButton() const { return m_maximizeButton; }
    void SetMaximizeButton(bool v);
    bool MinimizeButton() const { return m_minimizeButton; }
    void SetMinimizeButton(bool v);
    bool Visible() const { return m_visible; }
    void SetVisible(bool v);
    bool HasBackColor() const { return m_hasBackColor; }
    void SetHasBackColor(bool v);
    Color BackColor() const { return m_backColor; }
    void SetBackColor(Color c);
    bool MenuBarVisible() const { return m_menuBarVisible; }
    void SetMenuBarVisible(bool v);

    // The content widget in which controls are placed. Framework code and
    // tests only.
    QWidget* ContentWidget() const;

protected:
    virtual void Layout() {}
    virtual void CreateControls() {}
    virtual void Event_Open() {}
    virtual void Event_DropObject(DragItem& item, std::int64_t action);

private:
    friend class WindowWidget;
    void ApplyWindowFlags();
    void ApplySize();
    void ApplyBackground();
    void ApplyTabOrder();
    void InstallMenuBar();
    void SaveFrame() const;
    void RestoreFrame();
    void HandleClosed();
    void HandleDrop(std::unique_ptr<DragItem> item, std::int64_t action);

    std::unique_ptr<WindowWidget> m_native; // no parent: the window is its one owner
    std::shared_ptr<::MenuBar> m_menuBar;
    std::vector<std::unique_ptr<RectControl>> m_controls;
    std::set<std::string, std::less<>> m_acceptedFileTypes;
    std::string m_frameAutosaveName;
    bool m_open = false;
    bool m_constructed = false;
    std::int64_t m_width = 300, m_height = 300;
    std::int64_t m_minWidth = 64, m_minHeight = 64, m_maxWidth = 32000, m_maxHeight = 32000;
    std::string m_title;
    bool m_closeButton = true, m_resizeable = true, m_maximizeButton = true, m_minimizeButton = true;
    bool m_visible = true, m_hasBackColor = false, m_menuBarVisible = true;
    Color m_backColor = Color(0xFFFFFF);
};

// The open window registered under a class name ("MainWindow.MainWindow"),
// or none. A window that the user has closed is no longer found.
std::shared_ptr<Window> _GetImplicitWindow(std::string_view className);
// Every open window, oldest first.
std::vector<std::shared_ptr<Window>> OpenWindows();
