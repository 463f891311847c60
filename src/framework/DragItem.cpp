#include "DragItem.h"

DragItem::DragItem(std::vector<std::shared_ptr<::FolderItem>> items) : m_items(std::move(items)) {}

bool DragItem::FolderItemAvailable() const
{
    return m_current < m_items.size() && m_items[m_current] != nullptr;
}

std::shared_ptr<::FolderItem> DragItem::FolderItem() const
{
    return m_current < m_items.size() ? m_items[m_current] : nullptr;
}

bool DragItem::NextItem()
{
    if (m_current + 1 >= m_items.size())
        return false;
    ++m_current;
    return true;
}
