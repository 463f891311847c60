#pragma once

#include "FolderItem.h"

#include <memory>

// The open-file dialog: one item or none, no file-type filter.
class OpenDialog {
public:
    OpenDialog();
    // Shows the dialog application-modal and waits; returns the chosen item,
    // or none when the user cancels. It is the desktop's own file dialog
    // where the platform offers one (the portal, or the desktop theme's),
    // else Qt's.
    std::shared_ptr<FolderItem> ShowModal();

    // Always Qt's own dialog, which tests can drive on every platform.
    static void _UseQtDialog(bool use);
};
