#pragma once

#include "MenuItem.h"

// An item of the application-menu kind (About, Preferences). Desktops with
// an application menu move it there; on Linux it stays in the menu it was
// appended to.
class AppleMenuItem : public MenuItem {
    DECLARE_CLASS_INFO

public:
    AppleMenuItem();
};
