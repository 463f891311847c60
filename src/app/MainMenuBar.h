#pragma once

#include "framework/MenuBar.h"

#include <memory>
#include <string>

// The program's one menu bar: File, Edit and Help, seventeen items, built in
// code once and never changed. Items are found again by name; start-up binds
// FileOpen, HelpSupport and HelpAbout to the application's handlers.
class MainMenuBar : public MenuBar {
    DECLARE_CLASS_INFO

public:
    MainMenuBar();

    // Builds the three menus. Run once, right after creation.
    void Constructor();

private:
    void FileMenu();
    void EditMenu();
    void HelpMenu();

    // A caption is either fixed or looked up when the item is built.
    using Caption = std::string (*)(const std::string& language);
    struct ItemText {
        const char* fixed = nullptr;
        Caption localised = nullptr;
    };
    template <class ItemClass>
    void AddItem(const char* name, ItemText text, const char* shortcut, const char* menuName);
};

namespace implicit {
// The shared menu bar, built on the first call. If building fails, nothing
// is kept and the exception passes on; the next call tries again.
std::shared_ptr<::MainMenuBar> MainMenuBar();
} // namespace implicit
