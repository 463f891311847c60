#include "MenuItem.h"

#include "Application.h"
#include "RuntimeException.h"
#include "UiThread.h"

#include <QAction>
#include <QCoreApplication>
#include <QKeySequence>
#include <QMenu>

#include <algorithm>
#include <cctype>

namespace {
// "Cmd+Shift+O" -> Ctrl+Shift+O. The notation names the Mac keys; the
// command key does on Linux what Ctrl does.
QKeySequence ToKeySequence(const std::string& shortcut)
{
    if (shortcut.empty())
        return {};
    QStringList parts = QString::fromStdString(shortcut).split(QLatin1Char('+'));
    for (QString& part : parts) {
        const QString key = part.trimmed();
        if (key.compare(QLatin1String("Cmd"), Qt::CaseInsensitive) == 0
            || key.compare(QLatin1String("Command"), Qt::CaseInsensitive) == 0)
            part = QStringLiteral("Ctrl");
        else if (key.compare(QLatin1String("Option"), Qt::CaseInsensitive) == 0
                 || key.compare(QLatin1String("Opt"), Qt::CaseInsensitive) == 0)
            part = QStringLiteral("Alt");
        else
            part = key;
    }
    return QKeySequence::fromString(parts.join(QLatin1Char('+')), QKeySequence::PortableText);
}
} // namespace

const ClassInfo& MenuItem::StaticClassInfo()
{
    static const ClassInfo info("MenuItem", &Object::StaticClassInfo(),
                                {
                                    MakeProperty("Name", PropertyType::String, &MenuItem::Name, &MenuItem::SetName),
                                    MakeProperty("AutoEnable", PropertyType::Boolean, &MenuItem::AutoEnable,
                                                 &MenuItem::SetAutoEnable),
                                    MakeProperty("Text", PropertyType::String, &MenuItem::Text, &MenuItem::SetText),
                                    MakeProperty("Visible", PropertyType::Boolean, &MenuItem::Visible,
                                                 &MenuItem::SetVisible),
                                    MakeProperty("Enabled", PropertyType::Boolean, &MenuItem::Enabled,
                                                 &MenuItem::SetEnabled),
                                    MakeProperty("KeyboardShortcut", PropertyType::String,
                                                 &MenuItem::KeyboardShortcut, &MenuItem::SetKeyboardShortcut),
                                });
    return info;
}

MenuItem::MenuItem()
{
    RequireMainThread();
    m_action = std::make_unique<QAction>();
    // The action dies with the item, and the connection with the action.
    QObject::connect(m_action.get(), &QAction::triggered, m_action.get(), [this] { HandleTriggered(); });
}

MenuItem::~MenuItem()
{
    for (const auto& child : m_children)
        child->m_parent = nullptr;
    // The menu goes before the action that shows it.
    m_action->setMenu(static_cast<QMenu*>(nullptr));
    m_menu.reset();
}

const std::string& MenuItem::Name() const
{
    RequireMainThread();
    return m_name;
}

void MenuItem::SetName(const std::string& name)
{
    RequireMainThread();
    m_name = name;
    m_editCommand = EditCommandOfItem(name);
    // An Edit command's key belongs to the focused widget, which handles it
    // itself where it applies (a text field, the list's Copy): the menu only
    // shows the key. Matched window-wide, a command last enabled for another
    // field would take the key from the one that has the focus now.
    m_action->setShortcutContext(m_editCommand ? Qt::WidgetShortcut : Qt::WindowShortcut);
    if (m_editCommand)
        FollowFocusForEditCommands();
    ApplyEnabled();
    m_action->setObjectName(QString::fromStdString(name));
    if (m_menu)
        m_menu->setObjectName(QString::fromStdString(name));
}

bool MenuItem::AutoEnable() const
{
    RequireMainThread();
    return m_autoEnable;
}

void MenuItem::SetAutoEnable(bool autoEnable)
{
    RequireMainThread();
    m_autoEnable = autoEnable;
    ApplyEnabled();
}

const std::string& MenuItem::Text() const
{
    RequireMainThread();
    return m_text;
}

void MenuItem::SetText(const std::string& text)
{
    RequireMainThread();
    m_text = text;
    const bool separator = IsSeparator();
    m_action->setSeparator(separator);
    m_action->setText(separator ? QString() : QString::fromStdString(text));
    if (m_menu)
        m_menu->setTitle(m_action->text());
}

bool MenuItem::Visible() const
{
    RequireMainThread();
    return m_action->isVisible();
}

void MenuItem::SetVisible(bool visible)
{
    RequireMainThread();
    m_action->setVisible(visible);
    ApplyEnabled();
}

bool MenuItem::Enabled() const
{
    RequireMainThread();
    // Not the action's state: Qt also reports a hidden action as disabled.
    return m_enabled || m_autoEnable;
}

void MenuItem::SetEnabled(bool enabled)
{
    RequireMainThread();
    m_enabled = enabled;
    ApplyEnabled();
}

void MenuItem::ApplyEnabled()
{
    // Automatic enabling decides only for the Edit commands; every other
    // automatically enabled item is always available.
    if (m_autoEnable && m_editCommand)
        m_action->setEnabled(EditCommandApplies(*m_editCommand));
    else
        m_action->setEnabled(m_enabled || m_autoEnable);
}

bool MenuItem::_DefaultAction()
{
    return m_editCommand && RunEditCommand(*m_editCommand);
}

const std::string& MenuItem::KeyboardShortcut() const
{
    RequireMainThread();
    return m_shortcut;
}

void MenuItem::SetKeyboardShortcut(const std::string& shortcut)
{
    RequireMainThread();
    m_shortcut = shortcut;
    m_shortcutSet = true;
    m_action->setShortcut(ToKeySequence(shortcut));
}

bool MenuItem::KeyboardShortcutIsSet() const
{
    RequireMainThread();
    return m_shortcutSet;
}

bool MenuItem::IsSeparator() const
{
    RequireMainThread();
    return m_text == "-";
}

void MenuItem::Append(std::shared_ptr<MenuItem> item)
{
    RequireMainThread();
    if (!item)
        throw NilObjectException("Append was given no menu item.");
    for (const MenuItem* ancestor = this; ancestor; ancestor = ancestor->m_parent) {
        if (ancestor == item.get())
            throw OutOfBoundsException("A menu item cannot hold itself or one of its parents.");
    }
    if (MenuItem* old = item->m_parent) {
        old->DetachNativeChild(*item);
        auto& siblings = old->m_children;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), item), siblings.end());
    }
    item->m_parent = this;
    m_children.push_back(item);
    AttachNativeChild(*item);
}

std::shared_ptr<MenuItem> MenuItem::Child(std::string_view name) const
{
    RequireMainThread();
    for (const auto& child : m_children) {
        if (EqualsIgnoringCase(child->m_name, name))
            return child;
    }
    return nullptr;
}

std::shared_ptr<MenuItem> MenuItem::_Lookup(std::string_view name) const
{
    RequireMainThread();
    for (const auto& child : m_children) {
        if (EqualsIgnoringCase(child->m_name, name))
            return child;
        if (auto found = child->_Lookup(name))
            return found;
    }
    return nullptr;
}

std::size_t MenuItem::Count() const
{
    RequireMainThread();
    return m_children.size();
}

std::shared_ptr<MenuItem> MenuItem::Item(std::size_t index) const
{
    RequireMainThread();
    if (index >= m_children.size())
        throw OutOfBoundsException("The menu has no item at index " + std::to_string(index) + ".");
    return m_children[index];
}

MenuItem* MenuItem::ParentItem() const
{
    RequireMainThread();
    return m_parent;
}

QAction* MenuItem::NativeAction() const
{
    RequireMainThread();
    return m_action.get();
}

QMenu* MenuItem::NativeMenu() const
{
    RequireMainThread();
    return m_menu.get();
}

QMenu& MenuItem::EnsureMenu()
{
    if (!m_menu) {
        // The menu takes over our action as its menuAction(), so windows that
        // already show the item see it turn into a submenu in place.
        m_menu = std::make_unique<QMenu>();
        m_menu->setObjectName(QString::fromStdString(m_name));
        m_menu->setTitle(m_action->text());
        m_action->setMenu(m_menu.get());
        // The menu dies with the item, and the connection with the menu.
        QObject::connect(m_menu.get(), &QMenu::aboutToShow, m_menu.get(), [this] {
            for (const auto& child : m_children)
                child->ApplyEnabled();
        });
    }
    return *m_menu;
}

void MenuItem::AttachNativeChild(MenuItem& child)
{
    EnsureMenu().addAction(child.m_action.get());
}

void MenuItem::DetachNativeChild(MenuItem& child)
{
    if (m_menu)
        m_menu->removeAction(child.m_action.get());
}

void MenuItem::HandleTriggered()
{
    // Hold the item while its handler runs: a handler may drop the tree.
    auto self = weak_from_this().lock();
    _CallGuarded([this] {
        bool handled = false;
        if (Application* app = _GetAppObject(); app && app->_HasMenuHandler(m_name))
            handled = app->_InvokeMenuHandler(m_name);
        if (!handled)
            _DefaultAction();
    });
}
