#pragma once
// Shared by the bar tests: the main window's bar settings as design-time
// lists, a window built from them, paint counting, and pixel helpers.

#include "controls/qorActionBar.h"
#include "controls/qorStatusBar.h"
#include "framework/Graphics.h"
#include "framework/Picture.h"
#include "framework/PropertyList.h"
#include "framework/PushButton.h"
#include "framework/Window.h"

#include <QApplication>
#include <QCoreApplication>
#include <QImage>
#include <QMainWindow>
#include <QTest>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace bartest {

// A bar that counts its paints, then paints as the bar does.
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

// "RRGGBB" for an opaque pixel, "AARRGGBB" (Qt's opacity) otherwise, so
// failures read like the colour tables.
inline std::string Hex(QRgb pixel)
{
    char buffer[16];
    if (qAlpha(pixel) == 255)
        std::snprintf(buffer, sizeof buffer, "%02X%02X%02X", qRed(pixel), qGreen(pixel), qBlue(pixel));
    else
        std::snprintf(buffer, sizeof buffer, "%02X%02X%02X%02X", qAlpha(pixel), qRed(pixel), qGreen(pixel),
                      qBlue(pixel));
    return buffer;
}

inline std::string Hex(const QImage& image, int x, int y)
{
    return Hex(image.pixel(x, y));
}

// Paints a bar through its own Event_Paint into a picture of w x h, which
// starts transparent or filled with `under`; the calls go to log when given.
inline QImage PaintBar(Canvas& bar, std::int64_t w, std::int64_t h, std::optional<Color> under = {},
                       std::vector<std::string>* log = nullptr, double textSize = 0)
{
    Picture picture(w, h);
    Graphics& g = picture.GetGraphics();
    if (under) {
        g.SetForeColor(*under);
        g.FillRect(0, 0, w, h);
    }
    if (textSize > 0)
        g.SetTextSize(textSize);
    g.SetCallLog(log);
    bar.Event_Paint(g, {Rect{0, 0, w, h}});
    g.SetCallLog(nullptr);
    return picture.Image().copy();
}

// The main window's lists for the two bars and the Change button, with the
// values the program gives them.
inline std::string StatusBarList()
{
    return PropertyList()
        .String("Name", "qorStatusBar1")
        .Integer("Index", -2147483648LL)
        .Integer("Left", -1)
        .Integer("Top", 446)
        .Integer("Width", 387)
        .Integer("Height", 43)
        .Boolean("LockLeft", true)
        .Boolean("LockTop", false)
        .Boolean("LockRight", true)
        .Boolean("LockBottom", true)
        .Integer("TabPanelIndex", 0)
        .Integer("TabIndex", 9)
        .Boolean("TabStop", true)
        .String("InitialParent", "")
        .Boolean("Visible", true)
        .String("HelpTag", "")
        .Boolean("AutoDeactivate", true)
        .Boolean("Enabled", true)
        .Boolean("UseFocusRing", false)
        .Boolean("Border", true)
        .ColorValue("BorderColor", 0xA5A5A5)
        .ColorValue("StartColor", 0xFAFAFA)
        .ColorValue("EndColor", 0xB3B3B3)
        .Enum("Style", 3)
        .ColorValue("TextColor", 0x000000)
        .String("CenterCaption", "")
        .String("LeftCaption", "")
        .String("RightCaption", "")
        .Integer("MarginLeft", 20)
        .Integer("MarginRight", 0)
        .Boolean("AcceptFocus", false)
        .Boolean("AcceptTabs", false)
        .Boolean("DoubleBuffer", false)
        .Boolean("EraseBackground", true)
        .Boolean("Transparent", true)
        .Bytes();
}

inline std::string ChangeButtonList()
{
    return PropertyList()
        .String("Name", "pbChange")
        .Integer("Index", -2147483648LL)
        .Integer("Left", 240)
        .Integer("Top", 457)
        .Integer("Width", 126)
        .Integer("Height", 20)
        .Boolean("LockLeft", false)
        .Boolean("LockTop", true)
        .Boolean("LockRight", true)
        .Boolean("LockBottom", false)
        .Integer("TabPanelIndex", 0)
        .Integer("TabIndex", 0)
        .Boolean("TabStop", true)
        .Boolean("Default", true)
        .Boolean("Cancel", false)
        .Boolean("Enabled", false)
        .Boolean("Visible", true)
        .String("HelpTag", "")
        .Boolean("AutoDeactivate", true)
        .Enum("ButtonStyle", 0)
        .String("TextFont", "System")
        .Single("TextSize", 0)
        .FontUnit("TextUnit", 0)
        .Boolean("Bold", false)
        .Boolean("Italic", false)
        .Boolean("Underline", false)
        .String("InitialParent", "qorStatusBar1")
        .Bytes();
}

inline std::string ActionBarList()
{
    return PropertyList()
        .String("Name", "qorActionBar1")
        .Integer("Index", -2147483648LL)
        .Integer("Left", -1)
        .Integer("Top", 317)
        .Integer("Width", 387)
        .Integer("Height", 22)
        .Boolean("LockLeft", true)
        .Boolean("LockTop", true)
        .Boolean("LockRight", true)
        .Boolean("LockBottom", false)
        .Integer("TabPanelIndex", 0)
        .Integer("TabIndex", 10)
        .Boolean("TabStop", true)
        .String("InitialParent", "")
        .Boolean("Visible", true)
        .String("HelpTag", "")
        .Boolean("AutoDeactivate", true)
        .Boolean("Enabled", true)
        .Boolean("UseFocusRing", true)
        .Boolean("Border", true)
        .ColorValue("BorderColor", 0xA5A5A5)
        .ColorValue("StartColor", 0xFAFAFA)
        .ColorValue("EndColor", 0xEFEFEF)
        .ColorValue("DrawColor", 0x000000)
        .Enum("Style", 0)
        .Boolean("HasAddButton", true)
        .Boolean("HasRemoveButton", true)
        .Boolean("HasActionButton", false)
        .Boolean("AcceptFocus", false)
        .Boolean("AcceptTabs", false)
        .Boolean("DoubleBuffer", false)
        .Boolean("EraseBackground", true)
        .Boolean("Transparent", true)
        .Bytes();
}

// A window of the main window's size holding both bars and the Change
// button, each made and configured as the main window does it: create,
// register, caption, list. The bars count their paints.
class BarsWindow : public Window {
    KESTRUNE_CLASS_INFO

public:
    using StatusBar = PaintCounting<qorStatusBar>;
    using ActionBar = PaintCounting<qorActionBar>;

    StatusBar& Status() const { return ControlCast<StatusBar>(_ControlByName("qorStatusBar1")); }
    PushButton& Change() const { return ControlCast<PushButton>(_ControlByName("pbChange")); }
    ActionBar& Actions() const { return ControlCast<ActionBar>(_ControlByName("qorActionBar1")); }

protected:
    void Layout() override
    {
        _SetProperties(*this, PropertyList()
                                  .Integer("Width", 385)
                                  .Integer("Height", 488)
                                  .String("Title", "Kestrune bars")
                                  .Boolean("CloseButton", true)
                                  .Boolean("Resizeable", false)
                                  .Boolean("MaximizeButton", false)
                                  .Boolean("MinimizeButton", false)
                                  .Boolean("Visible", true)
                                  .Boolean("HasBackColor", false)
                                  .ColorValue("BackColor", 0xFFFFFF)
                                  .Bytes());
    }

    void CreateControls() override
    {
        _AddControl("qorStatusBar1", std::make_unique<StatusBar>());
        _SetProperties(Status(), StatusBarList());
        _AddControl("pbChange", std::make_unique<PushButton>());
        Change().SetCaption("Change");
        _SetProperties(Change(), ChangeButtonList());
        _AddControl("qorActionBar1", std::make_unique<ActionBar>());
        _SetProperties(Actions(), ActionBarList());
    }
};

inline const ClassInfo& BarsWindow::StaticClassInfo()
{
    static const ClassInfo info("BarsWindow", &Window::StaticClassInfo(), {});
    return info;
}

// The window for one test: built, then waited for until it is on the
// (offscreen) screen so that repaint requests paint. At the end it is closed
// and the framework's queued release of it runs at once: a release still
// queued when the test program ends would run inside QApplication's
// teardown, where deleting the widgets deadlocks.
class OpenedBarsWindow {
public:
    OpenedBarsWindow() : m_window(std::make_shared<BarsWindow>())
    {
        m_window->Constructor();
        (void)QTest::qWaitForWindowExposed(m_window->Handle());
    }
    ~OpenedBarsWindow()
    {
        m_window->Close();
        m_window.reset();
        QCoreApplication::sendPostedEvents();
    }
    OpenedBarsWindow(const OpenedBarsWindow&) = delete;
    OpenedBarsWindow& operator=(const OpenedBarsWindow&) = delete;

    BarsWindow* operator->() const { return m_window.get(); }

private:
    std::shared_ptr<BarsWindow> m_window;
};

} // namespace bartest
