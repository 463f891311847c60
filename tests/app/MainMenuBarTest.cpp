// The program's menu bar: the seventeen items of File, Edit and Help, built
// once and shared.
#include "app/MainMenuBar.h"

#include "framework/AppleMenuItem.h"
#include "framework/QuitMenuItem.h"
#include "framework/RuntimeException.h"

#include <QAction>
#include <QCoreApplication>
#include <QKeySequence>
#include <QMenu>
#include <QTranslator>

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>
#include <thread>
#include <vector>

namespace {
enum class Shortcut { NotSet, Empty, Key };

struct Row {
    const char* menu; // nullptr: on the bar itself
    const char* name;
    const char* className;
    const char* text;
    Shortcut shortcut;
    const char* keys;
    QKeySequence native;
};

const std::vector<Row>& MenuTable()
{
    static const std::vector<Row> rows = {
        {nullptr, "FileMenu", "MenuItem", "File", Shortcut::Empty, "", {}},
        {"FileMenu", "FileOpen", "MenuItem", "Open...", Shortcut::Key, "Cmd+O", QKeySequence(Qt::CTRL | Qt::Key_O)},
        {"FileMenu", "UntitledSeparator", "MenuItem", "-", Shortcut::NotSet, "", {}},
        {"FileMenu", "FileQuit", "QuitMenuItem", "&Quit", Shortcut::Key, "Cmd+Q", QKeySequence(Qt::CTRL | Qt::Key_Q)},
        {nullptr, "EditMenu", "MenuItem", "Edit", Shortcut::Empty, "", {}},
        {"EditMenu", "EditUndo", "MenuItem", "&Undo", Shortcut::Key, "Cmd+Z", QKeySequence(Qt::CTRL | Qt::Key_Z)},
        {"EditMenu", "EditSeparator1", "MenuItem", "-", Shortcut::NotSet, "", {}},
        {"EditMenu", "EditCut", "MenuItem", "Cu&t", Shortcut::Key, "Cmd+X", QKeySequence(Qt::CTRL | Qt::Key_X)},
        {"EditMenu", "EditCopy", "MenuItem", "&Copy", Shortcut::Key, "Cmd+C", QKeySequence(Qt::CTRL | Qt::Key_C)},
        {"EditMenu", "EditPaste", "MenuItem", "&Paste", Shortcut::Key, "Cmd+V", QKeySequence(Qt::CTRL | Qt::Key_V)},
        {"EditMenu", "EditClear", "MenuItem", "&Delete", Shortcut::Empty, "", {}},
        {"EditMenu", "EditSeparator2", "MenuItem", "-", Shortcut::NotSet, "", {}},
        {"EditMenu", "EditSelectAll", "MenuItem", "Select &All", Shortcut::Key, "Cmd+A",
         QKeySequence(Qt::CTRL | Qt::Key_A)},
        {nullptr, "HelpMenu", "MenuItem", "Help", Shortcut::Empty, "", {}},
        {"HelpMenu", "HelpSupport", "MenuItem", "Support", Shortcut::Empty, "", {}},
        {"HelpMenu", "UntitledSeparator0", "MenuItem", "-", Shortcut::NotSet, "", {}},
        {"HelpMenu", "HelpAbout", "AppleMenuItem", "About", Shortcut::Empty, "", {}},
    };
    return rows;
}

// The tree in creation order: each top-level menu followed by its items.
std::vector<std::shared_ptr<MenuItem>> Flatten(const MenuItem& bar)
{
    std::vector<std::shared_ptr<MenuItem>> items;
    for (std::size_t i = 0; i < bar.Count(); ++i) {
        auto menu = bar.Item(i);
        items.push_back(menu);
        for (std::size_t j = 0; j < menu->Count(); ++j)
            items.push_back(menu->Item(j));
    }
    return items;
}

// Translates every "Strings" key to "<key>!" while it lives.
class MarkingTranslator : public QTranslator {
public:
    MarkingTranslator() { QCoreApplication::installTranslator(this); }
    ~MarkingTranslator() override { QCoreApplication::removeTranslator(this); }
    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* sourceText, const char* = nullptr, int = -1) const override
    {
        if (std::string(context) != "Strings")
            return {};
        return QString::fromUtf8(sourceText) + QLatin1Char('!');
    }
};
} // namespace

TEST(MainMenuBarTest, buildsTheSeventeenItemsOfTheMenuTable)
{
    auto bar = implicit::MainMenuBar();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->GetClassInfo().Name(), "MainMenuBar");
    ASSERT_EQ(bar->Count(), 3u);

    const auto items = Flatten(*bar);
    const auto& table = MenuTable();
    ASSERT_EQ(items.size(), table.size());
    for (std::size_t i = 0; i < table.size(); ++i) {
        const Row& row = table[i];
        const MenuItem& item = *items[i];
        SCOPED_TRACE(row.name);
        EXPECT_EQ(item.Name(), row.name);
        EXPECT_EQ(item.GetClassInfo().Name(), row.className);
        EXPECT_EQ(item.Text(), row.text);
        EXPECT_TRUE(item.AutoEnable());
        EXPECT_TRUE(item.Enabled());
        EXPECT_TRUE(item.Visible());
        EXPECT_EQ(item.IsSeparator(), std::string(row.text) == "-");
        EXPECT_EQ(item.KeyboardShortcutIsSet(), row.shortcut != Shortcut::NotSet);
        EXPECT_EQ(item.KeyboardShortcut(), row.keys);
        EXPECT_EQ(item.NativeAction()->shortcut(), row.native);
        const MenuItem* parent = row.menu ? bar->Child(row.menu).get() : bar.get();
        EXPECT_EQ(item.ParentItem(), parent);
        // Found again by name, as the window's item accessors do.
        EXPECT_EQ(bar->_Lookup(row.name), items[i]);
    }
    EXPECT_NE(std::dynamic_pointer_cast<QuitMenuItem>(bar->_Lookup("FileQuit")), nullptr);
    EXPECT_NE(std::dynamic_pointer_cast<AppleMenuItem>(bar->_Lookup("HelpAbout")), nullptr);
    // On Linux the About item stays in the Help menu.
    EXPECT_EQ(bar->_Lookup("HelpAbout")->NativeAction()->associatedObjects().contains(
                  bar->Child("HelpMenu")->NativeMenu()),
              true);
}

TEST(MainMenuBarTest, accessorBuildsOnceAndReturnsTheSameBar)
{
    auto first = implicit::MainMenuBar();
    const int built = MainMenuBar::ConstructionCount();
    EXPECT_GE(built, 1);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(implicit::MainMenuBar(), first);
    EXPECT_EQ(MainMenuBar::ConstructionCount(), built);
    EXPECT_EQ(first->Count(), 3u);
    EXPECT_EQ(Flatten(*first).size(), 17u);
}

TEST(MainMenuBarTest, aFailedBuildKeepsNothingAndTheNextCallBuildsAgain)
{
    // A fresh process: the shared bar must not exist yet. Building it off the
    // main thread fails at the first item.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            bool refused = false;
            std::thread([&] {
                try {
                    implicit::MainMenuBar();
                } catch (const ThreadAccessingUIException&) {
                    refused = true;
                }
            }).join();
            const int failedBuilds = MainMenuBar::ConstructionCount();
            auto bar = implicit::MainMenuBar();
            const bool ok = refused && bar && bar->Count() == 3 && MainMenuBar::ConstructionCount() == failedBuilds + 1
                            && implicit::MainMenuBar() == bar;
            std::exit(ok ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
}

TEST(MainMenuBarTest, captionsAreLookedUpWhenTheMenusAreBuilt)
{
    std::vector<std::shared_ptr<MenuItem>> items;
    {
        MarkingTranslator translator;
        auto bar = std::make_shared<MainMenuBar>();
        bar->Constructor();
        items = Flatten(*bar);
    }
    // The six looked-up captions carry the translation in force at build
    // time and keep it; the eleven fixed texts do not depend on the language.
    const auto& table = MenuTable();
    ASSERT_EQ(items.size(), table.size());
    const std::map<std::string, std::string> keys = {
        {"FileMenu", "Strings.File"}, {"FileOpen", "Strings.Open"},       {"EditMenu", "Strings.Edit"},
        {"HelpMenu", "Strings.Help"}, {"HelpSupport", "Strings.Support"}, {"HelpAbout", "Strings.About"},
    };
    for (std::size_t i = 0; i < table.size(); ++i) {
        SCOPED_TRACE(table[i].name);
        auto key = keys.find(table[i].name);
        EXPECT_EQ(items[i]->Text(), key != keys.end() ? key->second + "!" : std::string(table[i].text));
    }
}
