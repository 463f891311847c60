#pragma once

#include "FolderItem.h"

#include <memory>

// The open-file dialog: one item or none, no file-type filter.
class OpenDialog {
public:
    OpenDialog();
    // Shows the dialog application-modal and waits; returns the chosen item,
    // or none when the user cancels.
    std::shared_ptr<FolderItem> ShowModal();
};
