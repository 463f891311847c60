// Menu trees: finding items by name, their Qt actions and shortcuts, one
// menu bar shown by several windows, and what choosing an item runs.
#include "framework/AppleMenuItem.h"
#include "framework/Application.h"
#include "framework/MenuBar.h"
#include "framework/MenuItem.h"
#include "framework/QuitMenuItem.h"
#include "framework/RuntimeException.h"

#include <QAction>
#include <QApplication>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>

namespace {

std::shared_ptr<MenuItem> Item(const std::string& name, const std::string& text)
{
    auto item = std::make_shared<MenuItem>();
    item->SetName(name);
    item->SetText(text);
    return item;
}

// Bar > File > (Open, -, Recent > (Clear)), Edit.
std::shared_ptr<MenuBar> SampleBar()
{
    auto bar = std::make_shared<MenuBar>();
    auto file = Item("FileMenu", "&File");
    bar->Append(file);
    file->Append(Item("FileOpen", "&Open..."));
    file->Append(Item("Sep", "-"));
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
    ~RegisteredApp()
    {
        _RuntimeRegisterAppObject(nullptr);
        SetUnhandledExceptionPresenter(nullptr);
    }
    std::shared_ptr<Application> app;
};

class CountingItem : public MenuItem {
public:
    int defaultActions = 0;

protected:
    bool _DefaultAction() override
    {
        ++defaultActions;
        return true;
    }
};

} // namespace

TEST(MenuTest, findsItemsByNameThroughTheWholeTree)
{
    auto bar = SampleBar();

    ASSERT_EQ(bar->Count(), 2u);
    EXPECT_EQ(bar->Item(0)->Name(), "FileMenu");
    EXPECT_EQ(bar->Item(1)->Name(), "EditMenu");

    // Child looks at direct children only; _Lookup goes all the way down.
    EXPECT_EQ(bar->Child("FileMenu"), bar->Item(0));
    EXPECT_EQ(bar->Child("FileOpen"), nullptr);
    auto clear = bar->_Lookup("RecentClear");
    ASSERT_NE(clear, nullptr);
    EXPECT_EQ(clear->Text(), "Clear");
    EXPECT_EQ(clear->ParentItem(), bar->_Lookup("FileRecent").get());
    EXPECT_EQ(bar->_Lookup("fileopen"), bar->Item(0)->Item(0));
    EXPECT_EQ(bar->_Lookup("NoSuchItem"), nullptr);
    EXPECT_EQ(bar->ParentItem(), nullptr);
    EXPECT_THROW(bar->Item(2), OutOfBoundsException);
    EXPECT_THROW(bar->Append(nullptr), NilObjectException);
}

TEST(MenuTest, appendMovesAnItemToTheEndOfItsNewMenu)
{
    auto bar = SampleBar();
    auto open = bar->_Lookup("FileOpen");
    auto edit = bar->Child("EditMenu");
    edit->Append(open);

    EXPECT_EQ(bar->Child("FileMenu")->Child("FileOpen"), nullptr);
    EXPECT_EQ(edit->Item(edit->Count() - 1), open);
    EXPECT_EQ(open->ParentItem(), edit.get());
    EXPECT_TRUE(edit->NativeMenu()->actions().contains(open->NativeAction()));
    EXPECT_FALSE(bar->Child("FileMenu")->NativeMenu()->actions().contains(open->NativeAction()));
    EXPECT_THROW(open->Append(edit), OutOfBoundsException);
}

TEST(MenuTest, shortcutsUseCtrlForTheCommandKey)
{
    struct Case {
        const char* shortcut;
        QKeySequence expected;
    };
    const Case cases[] = {
        {"Cmd+O", QKeySequence(Qt::CTRL | Qt::Key_O)},
        {"Cmd+Shift+Z", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)},
        {"Cmd+Option+A", QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_A)},
        {"", QKeySequence()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shortcut);
        auto item = Item("Item", "Item");
        EXPECT_FALSE(item->KeyboardShortcutIsSet());
        item->SetKeyboardShortcut(c.shortcut);
        EXPECT_TRUE(item->KeyboardShortcutIsSet());
        EXPECT_EQ(item->KeyboardShortcut(), c.shortcut);
        EXPECT_EQ(item->NativeAction()->shortcut(), c.expected);
    }
}

TEST(MenuTest, settingsReachTheQtAction)
{
    auto item = Item("EditCut", "Cu&t");
    QAction* action = item->NativeAction();
    EXPECT_EQ(action->text(), "Cu&t");
    EXPECT_EQ(action->objectName(), "EditCut");
    EXPECT_FALSE(action->isSeparator());

    item->SetVisible(false);
    EXPECT_FALSE(action->isVisible());
    EXPECT_FALSE(item->Visible());
    item->SetVisible(true);
    EXPECT_TRUE(action->isVisible());

    item->SetEnabled(false);
    EXPECT_FALSE(action->isEnabled());
    item->SetAutoEnable(true);
    EXPECT_TRUE(action->isEnabled());
    item->SetEnabled(false); // automatic enabling keeps it on
    EXPECT_TRUE(item->Enabled());
    EXPECT_TRUE(action->isEnabled());
    // Hiding and showing again keeps the enabled state.
    item->SetVisible(false);
    EXPECT_TRUE(item->Enabled());
    item->SetVisible(true);
    EXPECT_TRUE(action->isEnabled());

    item->SetText("-");
    EXPECT_TRUE(item->IsSeparator());
    EXPECT_TRUE(action->isSeparator());
    EXPECT_EQ(item->Text(), "-");
}

TEST(MenuTest, classTableSetsTheItemByPropertyName)
{
    auto item = std::make_shared<QuitMenuItem>();
    EXPECT_EQ(item->GetClassInfo().Name(), "QuitMenuItem");
    EXPECT_TRUE(item->GetClassInfo().InheritsFrom(MenuItem::StaticClassInfo()));
    EXPECT_EQ(AppleMenuItem::StaticClassInfo().Base(), &MenuItem::StaticClassInfo());

    item->GetClassInfo().FindProperty("text")->set(*item, std::string("&Quit"));
    item->GetClassInfo().FindProperty("KeyboardShortcut")->set(*item, std::string("Cmd+Q"));
    EXPECT_EQ(item->NativeAction()->text(), "&Quit");
    EXPECT_EQ(item->NativeAction()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
}

TEST(MenuTest, everyWindowShowsTheSameMenus)
{
    auto bar = SampleBar();
    auto file = bar->Child("FileMenu");
    ASSERT_NE(file->NativeMenu(), nullptr);
    // The submenu's own action is the item's action: one object to configure.
    EXPECT_EQ(file->NativeMenu()->menuAction(), file->NativeAction());
    EXPECT_EQ(bar->_Lookup("FileOpen")->NativeMenu(), nullptr);

    QWidget first, second;
    QMenuBar* one = bar->CreateNativeMenuBar(&first);
    QMenuBar* two = bar->CreateNativeMenuBar(&second);
    ASSERT_EQ(one->actions().size(), 2);
    EXPECT_EQ(one->actions(), two->actions());
    EXPECT_EQ(one->actions().at(0)->menu(), file->NativeMenu());
    EXPECT_EQ(one->actions().at(0)->text(), "&File");

    // A menu added later shows up in the bars that exist already.
    bar->Append(Item("HelpMenu", "&Help"));
    EXPECT_EQ(one->actions().size(), 3);
    EXPECT_EQ(two->actions().at(2), bar->Child("HelpMenu")->NativeAction());

    // The submenu holds the items in order, separator included.
    const QList<QAction*> fileActions = file->NativeMenu()->actions();
    ASSERT_EQ(fileActions.size(), 3);
    EXPECT_EQ(fileActions.at(0)->text(), "&Open...");
    EXPECT_TRUE(fileActions.at(1)->isSeparator());
    EXPECT_EQ(fileActions.at(2)->menu(), bar->_Lookup("FileRecent")->NativeMenu());
}

TEST(MenuTest, shortcutChoosesTheItemInTheActiveWindow)
{
    RegisteredApp registered;
    auto bar = SampleBar();
    bar->_Lookup("FileOpen")->SetKeyboardShortcut("Cmd+O");
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

TEST(MenuTest, choosingAnItemRunsTheHandlerBoundToItsName)
{
    RegisteredApp registered;
    auto item = std::make_shared<CountingItem>();
    item->SetName("HelpSupport");

    // Without a handler the item's own action runs.
    item->NativeAction()->trigger();
    EXPECT_EQ(item->defaultActions, 1);

    bool handlerResult = true;
    int handled = 0;
    registered.app->_AddMenuHandler("HelpSupport", [&] {
        ++handled;
        return handlerResult;
    });
    item->NativeAction()->trigger();
    EXPECT_EQ(handled, 1);
    EXPECT_EQ(item->defaultActions, 1);

    // A handler that declines the choice leaves it to the item.
    handlerResult = false;
    item->NativeAction()->trigger();
    EXPECT_EQ(handled, 2);
    EXPECT_EQ(item->defaultActions, 2);

    // Another item's name is another binding.
    auto other = std::make_shared<CountingItem>();
    other->SetName("HelpAbout");
    other->NativeAction()->trigger();
    EXPECT_EQ(handled, 2);
    EXPECT_EQ(other->defaultActions, 1);
}

TEST(MenuTest, anExceptionFromAHandlerGoesToTheUnhandledExceptionHandler)
{
    RegisteredApp registered;
    std::string reported;
    SetUnhandledExceptionPresenter(
        [&](const std::string& className, const std::string& message) { reported = className + ": " + message; });
    registered.app->_AddMenuHandler("FileOpen", []() -> bool { throw NilObjectException("no item"); });
    auto item = Item("FileOpen", "Open...");

    item->NativeAction()->trigger();
    EXPECT_EQ(reported, "NilObjectException: no item");
}

TEST(MenuTest, quitItemEndsTheEventLoop)
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

    const int result = QCoreApplication::exec();
    EXPECT_FALSE(timedOut);
    EXPECT_EQ(result, 0);
}

TEST(MenuTest, membersRefuseOtherThreads)
{
    auto item = Item("FileOpen", "Open...");
    bool createRefused = false, nameRefused = false, appendRefused = false;
    std::thread worker([&] {
        try {
            MenuItem stray;
        } catch (const ThreadAccessingUIException&) {
            createRefused = true;
        }
        try {
            (void)item->Name();
        } catch (const ThreadAccessingUIException&) {
            nameRefused = true;
        }
        try {
            item->Append(item);
        } catch (const ThreadAccessingUIException&) {
            appendRefused = true;
        }
    });
    worker.join();
    EXPECT_TRUE(createRefused);
    EXPECT_TRUE(nameRefused);
    EXPECT_TRUE(appendRefused);
}
