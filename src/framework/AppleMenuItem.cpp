#include "AppleMenuItem.h"

#include <QAction>

const ClassInfo& AppleMenuItem::StaticClassInfo()
{
    static const ClassInfo info("AppleMenuItem", &MenuItem::StaticClassInfo(), {});
    return info;
}

AppleMenuItem::AppleMenuItem()
{
    // Where a platform has an application menu, Qt moves the item there by
    // this role; elsewhere the role has no effect.
    NativeAction()->setMenuRole(QAction::ApplicationSpecificRole);
}
