#pragma once
// Shared by the bar tests: a bar painted into a picture, pixels as hex, and
// a window holding both bars and the Change button as the main window sets
// them up.

#include "controls/qorActionBar.h"
#include "controls/qorStatusBar.h"
#include "framework/Graphics.h"
#include "framework/Picture.h"
#include "framework/PropertyList.h"
#include "framework/PushButton.h"
#include "framework/Window.h"

#include <QMainWindow>
#include <QTest>

#include <cstdio>
#include <string>

namespace bartest {

// "RRGGBB" for an opaque pixel, "AARRGGBB" (Qt's opacity) otherwise.
inline std::string Hex(const QImage& image, int x, int y)
{
    const QRgb p = image.pixel(x, y);
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%02X%02X%02X%02X", qAlpha(p), qRed(p), qGreen(p), qBlue(p));
    return qAlpha(p) == 255 ? buffer + 2 : buffer;
}

// Paints a bar through its own Event_Paint into a w x h picture filled with
// `under` (123456 unless given), at text size 12; the drawing calls go to log
// when given.
inline QImage PaintBar(Canvas& bar, std::int64_t w, std::int64_t h, std::vector<std::string>* log = nullptr,
                       Color under = Color(0x123456))
{
    Picture picture(w, h);
    Graphics& g = picture.GetGraphics();
    g.SetForeColor(under);
    g.FillRect(0, 0, w, h);
    g.SetTextSize(12);
    g.SetCallLog(log);
    bar.Event_Paint(g, {Rect{0, 0, w, h}});
    g.SetCallLog(nullptr);
    return picture.Image().copy();
}

// The main window's settings for the two bars and the Change button.
inline std::string StatusBarList()
{
    return PropertyList().Integer("Left", -1).Integer("Top", 446).Integer("Width", 387).Integer("Height", 43)
        .Boolean("Border", true).ColorValue("BorderColor", 0xA5A5A5).ColorValue("StartColor", 0xFAFAFA)
        .ColorValue("EndColor", 0xB3B3B3).Enum("Style", 3).ColorValue("TextColor", 0x000000)
        .Integer("MarginLeft", 20).Bytes();
}

inline std::string ActionBarList()
{
    return PropertyList().Integer("Left", -1).Integer("Top", 317).Integer("Width", 387).Integer("Height", 22)
        .Boolean("Border", true).ColorValue("BorderColor", 0xA5A5A5).ColorValue("StartColor", 0xFAFAFA)
        .ColorValue("EndColor", 0xEFEFEF).ColorValue("DrawColor", 0x000000).Enum("Style", 0)
        .Boolean("HasAddButton", true).Boolean("HasRemoveButton", true).Boolean("HasActionButton", false).Bytes();
}

// The status bar (or the action bar) with the main window's settings, then
// the entries of extra; made without a window.
inline std::unique_ptr<Canvas> MainWindowBar(bool action, const PropertyList& extra = {})
{
    std::unique_ptr<Canvas> bar(action ? static_cast<Canvas*>(new qorActionBar) : new qorStatusBar);
    _SetProperties(*bar, (action ? ActionBarList() : StatusBarList()) + extra.Bytes());
    return bar;
}

// A bar that counts its paints.
template <class Bar>
class PaintCounting : public Bar {
public:
    int paints = 0;
    void Event_Paint(Graphics& g, const std::vector<Rect>& areas) override
    {
        ++paints;
        Bar::Event_Paint(g, areas);
    }
};

// A window of the main window's size with both bars and the Change button,
// each created and configured as the main window does it.
class BarsWindow : public Window {
    DECLARE_CLASS_INFO

public:
    using StatusBar = PaintCounting<qorStatusBar>;
    using ActionBar = PaintCounting<qorActionBar>;

    StatusBar& Status() const { return ControlCast<StatusBar>(_ControlByName("qorStatusBar1")); }
    PushButton& Change() const { return ControlCast<PushButton>(_ControlByName("pbChange")); }
    ActionBar& Actions() const { return ControlCast<ActionBar>(_ControlByName("qorActionBar1")); }

protected:
    void Layout() override
    {
        _SetProperties(*this, PropertyList().Integer("Width", 385).Integer("Height", 488)
                                  .Boolean("Resizeable", false).Bytes());
    }

    void CreateControls() override
    {
        _AddControl("qorStatusBar1", std::make_unique<StatusBar>());
        _SetProperties(Status(), StatusBarList());
        _AddControl("pbChange", std::make_unique<PushButton>());
        _SetProperties(Change(), PropertyList().Integer("Left", 240).Integer("Top", 457).Integer("Width", 126)
                                     .Integer("Height", 20).Boolean("Enabled", false)
                                     .String("InitialParent", "qorStatusBar1").Bytes());
        _AddControl("qorActionBar1", std::make_unique<ActionBar>());
        _SetProperties(Actions(), ActionBarList());
    }
};

inline const ClassInfo& BarsWindow::StaticClassInfo()
{
    static const ClassInfo info("BarsWindow", &Window::StaticClassInfo(), {});
    return info;
}

// Opened and painted once (so repaint requests paint) for one test. At the
// end it is closed and its queued release runs at once: one still queued at
// program exit would run inside QApplication's teardown and deadlock.
struct OpenedBarsWindow {
    OpenedBarsWindow() : m_window(std::make_shared<BarsWindow>())
    {
        m_window->Constructor();
        (void)QTest::qWaitForWindowExposed(m_window->Handle());
        (void)QTest::qWaitFor([&] { return m_window->Status().paints > 0 && m_window->Actions().paints > 0; });
        QCoreApplication::processEvents();
    }
    ~OpenedBarsWindow()
    {
        m_window->Close();
        m_window.reset();
        QCoreApplication::sendPostedEvents();
    }
    BarsWindow* operator->() const { return m_window.get(); }
    std::shared_ptr<BarsWindow> m_window;
};

} // namespace bartest
