#pragma once

#include "MenuItem.h"

#include <QPointer>

#include <vector>

class QMenuBar;
class QWidget;

// The root of a menu tree; its children are the top-level menus. One menu
// bar can be shown by the application and any number of windows at once:
// each window makes its own QMenuBar, and all of them show the same QMenus
// and QActions, so a shortcut or a choice works the same from any window.
class MenuBar : public MenuItem {
    DECLARE_CLASS_INFO

public:
    MenuBar();
    ~MenuBar() override;

    // A new Qt menu bar showing this tree's top-level menus, owned by parent.
    // Menus appended later appear in it too.
    QMenuBar* CreateNativeMenuBar(QWidget* parent) const;

protected:
    void AttachNativeChild(MenuItem& child) override;
    void DetachNativeChild(MenuItem& child) override;

private:
    // The Qt menu bars made so far; a closed window's one drops out by itself.
    mutable std::vector<QPointer<QMenuBar>> m_nativeBars;
};
