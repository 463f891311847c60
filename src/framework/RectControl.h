#pragma once

#include "Object.h"
#include "RuntimeException.h"
#include "UiThread.h"

#include <Qt>

#include <cstdint>
#include <memory>
#include <string>

class QFont;
class QWidget;
class Window;

// The base of every visible control. Left, Top, Width and Height are in
// window coordinates (origin at the top left of the window's content area),
// also for a control that lies inside another control; the container is
// named by InitialParent ("" for the window itself).
class RectControl : public Object {
    DECLARE_CLASS_INFO

public:
    ~RectControl() override;

    const std::string& Name() const { return m_name; }
    void SetName(const std::string& name);
    std::int64_t Index() const { return m_index; }
    void SetIndex(std::int64_t index) { m_index = index; }

    std::int64_t Left() const { return m_left; }
    void SetLeft(std::int64_t left);
    std::int64_t Top() const { return m_top; }
    void SetTop(std::int64_t top);
    std::int64_t Width() const { return m_width; }
    void SetWidth(std::int64_t width);
    std::int64_t Height() const { return m_height; }
    void SetHeight(std::int64_t height);

    // Edge locks are kept as the lists set them. Nothing moves a control when
    // its window changes size: the program's one window has a fixed size.
    bool LockLeft() const { return m_lockLeft; }
    void SetLockLeft(bool v) { m_lockLeft = v; }
    bool LockTop() const { return m_lockTop; }
    void SetLockTop(bool v) { m_lockTop = v; }
    bool LockRight() const { return m_lockRight; }
    void SetLockRight(bool v) { m_lockRight = v; }
    bool LockBottom() const { return m_lockBottom; }
    void SetLockBottom(bool v) { m_lockBottom = v; }

    bool Enabled() const;
    void SetEnabled(bool enabled);
    bool Visible() const { return m_visible; }
    void SetVisible(bool visible);
    std::int64_t TabIndex() const { return m_tabIndex; }
    void SetTabIndex(std::int64_t index);
    bool TabStop() const { return m_tabStop; }
    void SetTabStop(bool tabStop);
    const std::string& HelpTag() const { return m_helpTag; }
    void SetHelpTag(const std::string& tag);

    // The container's name, "" for the window. Setting it moves the control
    // into that container, keeping its window coordinates.
    const std::string& InitialParent() const { return m_initialParent; }
    void SetInitialParent(const std::string& parentName);
    RectControl* Parent() const { return m_parent; }

    // Repaint requests. Refresh repaints at once, Invalidate later. What the
    // control leaves undrawn shows its container behind it, whether or not
    // the caller asks for the background to be erased.
    void Refresh(bool eraseBackground = true);
    void Invalidate(bool eraseBackground = true);

    Window* TrueWindow() const { return m_window; }

    // The Qt widget behind the control. Framework code and tests only.
    QWidget* NativeWidget() const;

    // Declares the font settings (TextFont, TextSize, TextUnit, Bold, ...) for
    // a text control's class table.
    static std::vector<PropertyInfo> FontProperties();
    // The family, size, unit and bold settings under the names and unit
    // width a class declares them with.
    static std::vector<PropertyInfo> FontPropertiesNamed(const std::string& family, const std::string& size,
                                                         const std::string& unit, PropertyType unitType,
                                                         const std::string& bold);

protected:
    // Takes ownership of the widget, which stays hidden until the control is
    // added to a window. Make it with NewWidget.
    explicit RectControl(std::unique_ptr<QWidget> widget);

    // A control's widget, made only on the main thread: elsewhere nothing is
    // made and ThreadAccessingUIException is raised.
    template <class W, class... Args>
    static std::unique_ptr<QWidget> NewWidget(Args&&... args)
    {
        RequireMainThread();
        return std::make_unique<W>(std::forward<Args>(args)...);
    }

    // Font settings shared by the text controls; each class declares the
    // ones it has.
    const std::string& TextFont() const { return m_textFont; }
    void SetTextFont(const std::string& family);
    float TextSize() const { return m_textSize; }
    void SetTextSize(float size);
    std::int64_t TextUnit() const { return m_textUnit; }
    void SetTextUnit(std::int64_t unit);
    bool Bold() const { return m_bold; }
    void SetBold(bool bold);
    bool Italic() const { return m_italic; }
    void SetItalic(bool italic);
    bool Underline() const { return m_underline; }
    void SetUnderline(bool underline);
    // Applies the font settings to the widget; controls whose text lives
    // elsewhere override it.
    virtual void ApplyFont(const QFont& font);

    // Called once when the control's window opens, after every control of
    // the window has been created and configured.
    virtual void Event_WindowOpen() {}

    // A design-time list sets the font one setting at a time; the widget
    // takes it once, at the list's end.
    void _BeginProperties() override;
    void _EndProperties() override;

private:
    friend class Window;
    void AttachToWindow(Window* window);
    void UpdateGeometry();
    void UpdateFont();

    std::unique_ptr<QWidget> m_widget;
    Window* m_window = nullptr;
    RectControl* m_parent = nullptr;
    std::string m_name;
    std::int64_t m_index = 0;
    std::int64_t m_left = 0, m_top = 0, m_width = 0, m_height = 0;
    bool m_lockLeft = false, m_lockTop = false, m_lockRight = false, m_lockBottom = false;
    bool m_visible = true;
    bool m_tabStop = true;
    Qt::FocusPolicy m_focusPolicy;
    std::int64_t m_tabIndex = 0;
    std::string m_helpTag;
    std::string m_initialParent;
    std::string m_textFont = "System";
    float m_textSize = 0;
    std::int64_t m_textUnit = 0;
    bool m_bold = false, m_italic = false, m_underline = false;
    bool m_applyingList = false;
    bool m_fontPending = false;
};

// Casts a control to the class its caller expects; none of the expected
// class raises NilObjectException.
template <class T>
T& ControlCast(RectControl* control)
{
    auto* typed = dynamic_cast<T*>(control);
    if (!typed)
        throw NilObjectException("The control is missing or of another class.");
    return *typed;
}
