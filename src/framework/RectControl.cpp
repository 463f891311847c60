#include "RectControl.h"

#include "Fonts.h"
#include "UiThread.h"
#include "Window.h"

#include <QApplication>
#include <QFont>
#include <QWidget>

#include <utility>

const ClassInfo& RectControl::StaticClassInfo()
{
    static const ClassInfo info("RectControl", &Object::StaticClassInfo(), {
        MakeProperty("Name", PropertyType::String, &RectControl::Name, &RectControl::SetName),
        MakeProperty("Index", PropertyType::Integer, &RectControl::Index, &RectControl::SetIndex),
        MakeProperty("Left", PropertyType::Integer, &RectControl::Left, &RectControl::SetLeft),
        MakeProperty("Top", PropertyType::Integer, &RectControl::Top, &RectControl::SetTop),
        MakeProperty("Width", PropertyType::Integer, &RectControl::Width, &RectControl::SetWidth),
        MakeProperty("Height", PropertyType::Integer, &RectControl::Height, &RectControl::SetHeight),
        MakeProperty("LockLeft", PropertyType::Boolean, &RectControl::LockLeft, &RectControl::SetLockLeft),
        MakeProperty("LockTop", PropertyType::Boolean, &RectControl::LockTop, &RectControl::SetLockTop),
        MakeProperty("LockRight", PropertyType::Boolean, &RectControl::LockRight, &RectControl::SetLockRight),
        MakeProperty("LockBottom", PropertyType::Boolean, &RectControl::LockBottom, &RectControl::SetLockBottom),
        MakeStored("TabPanelIndex", PropertyType::Integer),
        MakeProperty("TabIndex", PropertyType::Integer, &RectControl::TabIndex, &RectControl::SetTabIndex),
        MakeProperty("TabStop", PropertyType::Boolean, &RectControl::TabStop, &RectControl::SetTabStop),
        MakeProperty("Enabled", PropertyType::Boolean, &RectControl::Enabled, &RectControl::SetEnabled),
        MakeProperty("Visible", PropertyType::Boolean, &RectControl::Visible, &RectControl::SetVisible),
        MakeProperty("HelpTag", PropertyType::String, &RectControl::HelpTag, &RectControl::SetHelpTag),
        MakeStored("AutoDeactivate", PropertyType::Boolean),
        MakeProperty("InitialParent", PropertyType::String, &RectControl::InitialParent, &RectControl::SetInitialParent),
    });
    return info;
}

std::vector<PropertyInfo> RectControl::FontProperties()
{
    std::vector<PropertyInfo> properties =
        FontPropertiesNamed("TextFont", "TextSize", "TextUnit", PropertyType::FontUnits, "Bold");
    properties.push_back(MakeProperty("Italic", PropertyType::Boolean, &RectControl::Italic, &RectControl::SetItalic));
    properties.push_back(
        MakeProperty("Underline", PropertyType::Boolean, &RectControl::Underline, &RectControl::SetUnderline));
    return properties;
}

std::vector<PropertyInfo> RectControl::FontPropertiesNamed(const std::string& family, const std::string& size,
                                                           const std::string& unit, PropertyType unitType,
                                                           const std::string& bold)
{
    return {
        MakeProperty(family, PropertyType::String, &RectControl::TextFont, &RectControl::SetTextFont),
        MakeProperty(size, PropertyType::Single, &RectControl::TextSize, &RectControl::SetTextSize),
        MakeProperty(unit, unitType, &RectControl::TextUnit, &RectControl::SetTextUnit),
        MakeProperty(bold, PropertyType::Boolean, &RectControl::Bold, &RectControl::SetBold),
    };
}

RectControl::RectControl(std::unique_ptr<QWidget> widget)
    : m_widget(std::move(widget)), m_focusPolicy(m_widget->focusPolicy())
{
    // Until the control joins a window its widget must not become a
    // top-level window of its own.
    m_widget->setAttribute(Qt::WA_DontShowOnScreen, false);
    m_widget->hide();
}

// The widget leaves its container as it goes; a window takes its controls'
// widgets out of their containers before letting them go.
RectControl::~RectControl() = default;

void RectControl::SetName(const std::string& name)
{
    m_name = name;
    m_widget->setObjectName(QString::fromStdString(name));
}

void RectControl::SetLeft(std::int64_t left)
{
    RequireMainThread();
    m_left = left;
    UpdateGeometry();
}

void RectControl::SetTop(std::int64_t top)
{
    RequireMainThread();
    m_top = top;
    UpdateGeometry();
}

void RectControl::SetWidth(std::int64_t width)
{
    RequireMainThread();
    m_width = width;
    UpdateGeometry();
}

void RectControl::SetHeight(std::int64_t height)
{
    RequireMainThread();
    m_height = height;
    UpdateGeometry();
}

bool RectControl::Enabled() const
{
    RequireMainThread();
    // The control's own setting, whatever its container's state.
    return !m_widget->testAttribute(Qt::WA_ForceDisabled);
}

void RectControl::SetEnabled(bool enabled)
{
    RequireMainThread();
    m_widget->setEnabled(enabled);
}

void RectControl::SetVisible(bool visible)
{
    RequireMainThread();
    m_visible = visible;
    if (m_window)
        m_widget->setVisible(visible);
}

void RectControl::SetTabIndex(std::int64_t index)
{
    m_tabIndex = index;
}

void RectControl::SetTabStop(bool tabStop)
{
    RequireMainThread();
    m_tabStop = tabStop;
    // Off takes the control out of the Tab chain; on gives it back the
    // focus its kind of control takes.
    m_widget->setFocusPolicy(tabStop ? m_focusPolicy : Qt::NoFocus);
}

void RectControl::SetHelpTag(const std::string& tag)
{
    RequireMainThread();
    m_helpTag = tag;
    m_widget->setToolTip(QString::fromStdString(tag));
}

void RectControl::SetInitialParent(const std::string& parentName)
{
    RequireMainThread();
    m_initialParent = parentName;
    if (!m_window)
        return;
    RectControl* container = parentName.empty() ? nullptr : m_window->_ControlByName(parentName);
    if (container == this)
        container = nullptr;
    m_parent = container;
    m_widget->setParent(container ? container->NativeWidget() : m_window->ContentWidget());
    UpdateGeometry();
    m_widget->setVisible(m_visible);
}

// Qt composes every widget that is not opaque over what its parent drew, so
// a transparent control always has its container's background behind it;
// "do not erase" only tells that the control draws all of itself, which Qt
// needs no hint for.
void RectControl::Refresh(bool eraseBackground)
{
    RequireMainThread();
    (void)eraseBackground;
    m_widget->repaint();
}

void RectControl::Invalidate(bool eraseBackground)
{
    RequireMainThread();
    (void)eraseBackground;
    m_widget->update();
}

void RectControl::AttachToWindow(Window* window)
{
    m_window = window;
    m_parent = nullptr;
    m_widget->setParent(window->ContentWidget());
    UpdateGeometry();
    m_widget->setVisible(m_visible);
}

void RectControl::UpdateGeometry()
{
    // Coordinates are kept in window terms; Qt wants them relative to the
    // container.
    const std::int64_t originX = m_parent ? m_parent->Left() : 0;
    const std::int64_t originY = m_parent ? m_parent->Top() : 0;
    m_widget->setGeometry(int(m_left - originX), int(m_top - originY), int(std::max<std::int64_t>(m_width, 0)),
                          int(std::max<std::int64_t>(m_height, 0)));
    if (m_window) {
        for (const auto& control : m_window->Controls()) {
            if (control->m_parent == this)
                control->UpdateGeometry();
        }
    }
}

void RectControl::SetTextFont(const std::string& family)
{
    m_textFont = family;
    UpdateFont();
}

void RectControl::SetTextSize(float size)
{
    m_textSize = size;
    UpdateFont();
}

void RectControl::SetTextUnit(std::int64_t unit)
{
    m_textUnit = unit;
    UpdateFont();
}

void RectControl::SetBold(bool bold)
{
    m_bold = bold;
    UpdateFont();
}

void RectControl::SetItalic(bool italic)
{
    m_italic = italic;
    UpdateFont();
}

void RectControl::SetUnderline(bool underline)
{
    m_underline = underline;
    UpdateFont();
}

void RectControl::UpdateFont()
{
    RequireMainThread();
    if (m_applyingList) {
        m_fontPending = true;
        return;
    }
    const QFont font = ControlFont(m_textFont, m_textSize, m_textUnit, m_bold, m_italic, m_underline);
    ApplyFont(font);
}

void RectControl::_BeginProperties()
{
    m_applyingList = true;
}

void RectControl::_EndProperties()
{
    m_applyingList = false;
    if (std::exchange(m_fontPending, false))
        UpdateFont();
}

void RectControl::ApplyFont(const QFont& font)
{
    m_widget->setFont(font);
}

QWidget* RectControl::NativeWidget() const
{
    return m_widget.get();
}
