#pragma once

#include "framework/Application.h"

#include <memory>

// The application object: answers the desktop's requests and the menu
// commands the program handles itself.
class App : public Application {
    DECLARE_CLASS_INFO

public:
    App();
    void Constructor();

    void Event_NewDocument() override;
    void Event_OpenDocument(std::shared_ptr<FolderItem> item) override;

    bool _FileOpen_Action();
    bool _HelpAbout_Action();
    bool _HelpSupport_Action();

    // The built-in address of the support web site.
    static const char* const SupportAddress;
};

namespace implicit {
// The registered application object, or none before it is registered.
::App* App();
} // namespace implicit
