#pragma once

#include "FolderItem.h"

#include <memory>
#include <vector>

// The items of one drop, one current at a time, beginning with the first.
class DragItem {
public:
    // Each entry is a dropped file-system item, or none for a dragged item
    // that carries none.
    explicit DragItem(std::vector<std::shared_ptr<::FolderItem>> items);

    bool FolderItemAvailable() const;
    std::shared_ptr<::FolderItem> FolderItem() const;
    // Moves to the next dragged item; false when there is none.
    bool NextItem();

    std::size_t Count() const { return m_items.size(); }

private:
    std::vector<std::shared_ptr<::FolderItem>> m_items;
    std::size_t m_current = 0;
};
