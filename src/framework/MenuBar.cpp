#include "MenuBar.h"

#include "UiThread.h"

#include <QAction>
#include <QMenuBar>

#include <algorithm>

const ClassInfo& MenuBar::StaticClassInfo()
{
    static const ClassInfo info("MenuBar", &MenuItem::StaticClassInfo(), {});
    return info;
}

MenuBar::MenuBar() = default;
MenuBar::~MenuBar() = default;

QMenuBar* MenuBar::CreateNativeMenuBar(QWidget* parent) const
{
    RequireMainThread();
    auto* bar = new QMenuBar(parent);
    bar->setObjectName(QString::fromStdString(Name()));
    for (std::size_t i = 0; i < Count(); ++i)
        bar->addAction(Item(i)->NativeAction());
    std::erase_if(m_nativeBars, [](const QPointer<QMenuBar>& b) { return b.isNull(); });
    m_nativeBars.emplace_back(bar);
    return bar;
}

void MenuBar::AttachNativeChild(MenuItem& child)
{
    for (const auto& bar : m_nativeBars) {
        if (bar)
            bar->addAction(child.NativeAction());
    }
}

void MenuBar::DetachNativeChild(MenuItem& child)
{
    for (const auto& bar : m_nativeBars) {
        if (bar)
            bar->removeAction(child.NativeAction());
    }
}
