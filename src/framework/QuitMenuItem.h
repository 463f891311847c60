#pragma once

#include "MenuItem.h"

// A menu item that quits the application when chosen and no handler of the
// application takes the choice.
class QuitMenuItem : public MenuItem {
    DECLARE_CLASS_INFO

public:
    QuitMenuItem();

protected:
    bool _DefaultAction() override;
};
