#pragma once

#include "EditCommand.h"
#include "Object.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class QAction;
class QMenu;
class QObject;

// One item of a menu tree: a menu bar's menu, a menu's command or a
// separator. Items are owned by shared_ptr; a parent holds its children.
//
// Each item is shown by one QAction, shared by every window's menu bar. An
// item that has children also gets a QMenu, whose menuAction() is that same
// QAction, so the item's settings apply whether or not it is a submenu.
//
// Choosing the item runs the application's menu handler bound to the item's
// Name; when none is bound, or the handler reports that it did not handle
// the choice, the item's own default action runs. An item named for a
// standard Edit command (EditCopy...) has that command as its default action
// (EditCommand.h).
//
// Enabled is the item's own setting. What the user can choose follows it,
// except that an automatically enabled Edit command is enabled only while
// it applies to the focused field, decided each time its menu opens. An
// Edit command's key is shown in the menu but left to the focused widget,
// which acts on it as the command would where the command applies.
//
// Every member raises ThreadAccessingUIException off the main thread.
class MenuItem : public Object, public std::enable_shared_from_this<MenuItem> {
    DECLARE_CLASS_INFO

public:
    MenuItem();
    ~MenuItem() override;

    const std::string& Name() const;
    void SetName(const std::string& name);

    // An automatically enabled item reports itself enabled while the setting
    // is on.
    bool AutoEnable() const;
    void SetAutoEnable(bool autoEnable);

    // "&" marks the mnemonic letter; the text "-" makes the item a separator.
    const std::string& Text() const;
    void SetText(const std::string& text);

    bool Visible() const;
    void SetVisible(bool visible);
    bool Enabled() const;
    void SetEnabled(bool enabled);

    // The key equivalent in the notation "Cmd+O": "Cmd" is the command key,
    // which is Ctrl on Linux ("Option" is Alt); "" means no key equivalent.
    const std::string& KeyboardShortcut() const;
    void SetKeyboardShortcut(const std::string& shortcut);
    // Whether the shortcut was ever set, to the empty text included.
    bool KeyboardShortcutIsSet() const;

    bool IsSeparator() const;

    // Makes item the last child; an item that has a parent leaves it first.
    // None raises NilObjectException.
    void Append(std::shared_ptr<MenuItem> item);
    // The direct child of that name, or none. Names are compared without
    // regard to letter case, like the framework's property names.
    std::shared_ptr<MenuItem> Child(std::string_view name) const;
    // The item of that name anywhere below this one (depth first, in menu
    // order), or none.
    std::shared_ptr<MenuItem> _Lookup(std::string_view name) const;
    std::size_t Count() const;
    // The child at index; OutOfBoundsException past the last one.
    std::shared_ptr<MenuItem> Item(std::size_t index) const;
    MenuItem* ParentItem() const;

    // The Qt objects behind the item. Framework code and tests only.
    QAction* NativeAction() const;
    // None until the item has a child.
    QMenu* NativeMenu() const;

protected:
    // What choosing the item does when no handler of the application took
    // the choice: its Edit command, if it has one. Returns whether it did
    // anything.
    virtual bool _DefaultAction();

    // Shows a newly appended child in the native menus. A menu bar shows its
    // children in the windows' menu bars instead of a QMenu.
    virtual void AttachNativeChild(MenuItem& child);
    virtual void DetachNativeChild(MenuItem& child);

private:
    void HandleTriggered();
    void ApplyEnabled();
    QMenu& EnsureMenu();

    // Without parents: the item is their one owner. It must go before the
    // QApplication does, which the runtime's finalisers see to.
    std::unique_ptr<QAction> m_action;
    std::unique_ptr<QMenu> m_menu;
    MenuItem* m_parent = nullptr;
    std::vector<std::shared_ptr<MenuItem>> m_children;
    std::string m_name;
    std::string m_text;
    std::string m_shortcut;
    bool m_shortcutSet = false;
    bool m_autoEnable = false;
    bool m_enabled = true;
    std::optional<EditCommand> m_editCommand;
};
