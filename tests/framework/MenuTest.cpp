// Menu trees: finding items by name, shortcuts, and what choosing an item runs.
#include "framework/Application.h"
#include "framework/MenuBar.h"
#include "framework/MenuItem.h"
#include "framework/QuitMenuItem.h"
#include "framework/RuntimeException.h"

#include <QAction>
#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

std::shared_ptr<MenuItem> Item(const std::string& name, const std::string& text)
{
    auto item = std::make_shared<MenuItem>();
    item->SetName(name);
    item->SetText(text);
    return item;
}

// Bar > File > (Open, Recent > (Clear)), Edit.
std::shared_ptr<MenuBar> SampleBar()
{
    auto bar = std::make_shared<MenuBar>();
    auto file = Item("FileMenu", "&File");
    bar->Append(file);
    file->Append(Item("FileOpen", "&Open..."));
    auto recent = Item("FileRecent", "Recent");
    file->Append(recent);
    recent->Append(Item("RecentClear", "Clear"));
    bar->Append(Item("EditMenu", "&Edit"));
    return bar;
}

// Registers an application object for one test and takes it away again, so
// no handler leaks into the next test.
class RegisteredApp {
public:
    RegisteredApp() : app(std::make_shared<Application>()) { _RuntimeRegisterAppObject(app); }
    ~RegisteredApp() { _RuntimeRegisterAppObject(nullptr); }
    std::shared_ptr<Application> app;
};

} // namespace

TEST(MenuTest, FindsItemsByNameThroughTheWholeTreeWithoutRegardToCase)
{
    auto bar = SampleBar();
    // Child looks at direct children only; _Lookup goes all the way down.
    EXPECT_EQ(bar->Child("FileMenu"), bar->Item(0));
    EXPECT_EQ(bar->Child("FileOpen"), nullptr);
    auto clear = bar->_Lookup("RecentClear");
    ASSERT_NE(clear, nullptr);
    EXPECT_EQ(clear->Text(), "Clear");
    EXPECT_EQ(clear->ParentItem(), bar->_Lookup("FileRecent").get());
    EXPECT_EQ(bar->_Lookup("fileopen"), bar->Item(0)->Item(0));
    EXPECT_EQ(bar->_Lookup("NoSuchItem"), nullptr);
    EXPECT_THROW(bar->Item(2), OutOfBoundsException);
}

TEST(MenuTest, AutoEnabledItemStaysEnabled)
{
    // An Edit command is the exception: it follows the focused field.
    auto item = Item("FileOpen", "&Open...");
    item->SetEnabled(false);
    EXPECT_FALSE(item->NativeAction()->isEnabled());
    item->SetAutoEnable(true);
    item->SetEnabled(false);
    EXPECT_TRUE(item->Enabled());
    EXPECT_TRUE(item->NativeAction()->isEnabled());
}

TEST(MenuTest, CmdShortcutWorksAsCtrlInTheActiveWindow)
{
    RegisteredApp registered;
    auto bar = SampleBar();
    bar->_Lookup("FileOpen")->SetKeyboardShortcut("Cmd+O");
    EXPECT_EQ(bar->_Lookup("FileOpen")->NativeAction()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_O));
    int opened = 0;
    registered.app->_AddMenuHandler("FileOpen", [&] {
        ++opened;
        return true;
    });
    QMainWindow window;
    window.setMenuBar(bar->CreateNativeMenuBar(&window));
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

    QTest::keyClick(&window, Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(opened, 1);
    QTest::keyClick(&window, Qt::Key_O);
    EXPECT_EQ(opened, 1);
}

TEST(MenuTest, ChoosingAnItemRunsTheHandlerBoundToItsNameOnly)
{
    RegisteredApp registered;
    int handled = 0;
    registered.app->_AddMenuHandler("HelpSupport", [&] {
        ++handled;
        return true;
    });
    Item("HelpSupport", "Support")->NativeAction()->trigger();
    EXPECT_EQ(handled, 1);
    Item("HelpAbout", "About")->NativeAction()->trigger();
    EXPECT_EQ(handled, 1);
}

TEST(MenuTest, QuitItemEndsTheEventLoop)
{
    auto quit = std::make_shared<QuitMenuItem>();
    quit->SetName("FileQuit");
    bool timedOut = false;
    QTimer::singleShot(0, quit->NativeAction(), &QAction::trigger);
    // A guard against a quit item that does nothing; never reached when it works.
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [&] {
        timedOut = true;
        QCoreApplication::exit(1);
    });
    guard.start(10000);

    EXPECT_EQ(QCoreApplication::exec(), 0);
    EXPECT_FALSE(timedOut);
}
