#include "QuitMenuItem.h"

#include "Application.h"

#include <QAction>

const ClassInfo& QuitMenuItem::StaticClassInfo()
{
    static const ClassInfo info("QuitMenuItem", &MenuItem::StaticClassInfo(), {});
    return info;
}

QuitMenuItem::QuitMenuItem()
{
    // Lets desktops that move the quit command to their own place find it.
    NativeAction()->setMenuRole(QAction::QuitRole);
}

bool QuitMenuItem::_DefaultAction()
{
    _RuntimeQuit();
    return true;
}
