// The Edit menu's standard commands chosen from the menu itself: they act on
// the focused picker as their keys would, and each is enabled only where it
// applies when the menu opens.
#include "MainWindowDriver.h"

#include "framework/CheckBox.h"
#include "framework/MenuItem.h"
#include "framework/TimeControl.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QTest>

#include <array>

using namespace driver;

namespace {

class EditMenu : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        window->run(std::make_shared<FolderItem>(folder.MakeFile("item.txt")));
        window->Handle()->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window->Handle()));
    }

    void Focus(RectControl& control)
    {
        control.NativeWidget()->setFocus(Qt::OtherFocusReason);
        ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == control.NativeWidget(); }));
    }

    static QLineEdit* Editor(RectControl& picker) { return picker.NativeWidget()->findChild<QLineEdit*>(); }

    // Opens the Edit menu, as the user does before choosing from it.
    void OpenEditMenu()
    {
        QMenu* menu = window->EditMenu()->NativeMenu();
        menu->popup(window->Handle()->mapToGlobal(QPoint(0, 0)));
        ASSERT_TRUE(QTest::qWaitFor([&] { return menu->isVisible(); }));
        menu->hide();
    }

    void Choose(const std::shared_ptr<MenuItem>& item)
    {
        OpenEditMenu();
        ASSERT_TRUE(item->NativeAction()->isEnabled()) << item->Name();
        item->NativeAction()->trigger();
    }

    TempFolder folder;
};

TEST_F(EditMenu, SelectAllCopyPasteAndUndoActOnTheFocusedPickerAsTheUsersEdits)
{
    TimeControl& time = window->tcModifiedTime();
    Focus(time);
    Editor(time)->deselect();
    Choose(window->EditSelectAll());
    Choose(window->EditCopy());
    const QString copied = Editor(time)->text();
    EXPECT_EQ(QApplication::clipboard()->text(), copied);
    EXPECT_EQ(ReadDateArea(*window), Loaded()) << "selecting and copying edit nothing";

    QApplication::clipboard()->setText("12:34:56");
    Choose(window->EditSelectAll());
    Choose(window->EditPaste());
    EXPECT_EQ((std::array{time.Hours(), time.Minutes(), time.Seconds()}), (std::array<std::int64_t, 3>{12, 34, 56}));
    EXPECT_EQ(ReadDateArea(*window), Loaded(false, true)) << "the paste arms the row";
    Choose(window->EditUndo());
    EXPECT_EQ(Editor(time)->text(), copied) << "undo takes the paste back";
}

TEST_F(EditMenu, EachCommandIsEnabledOnlyWhereItApplies)
{
    const struct {
        const char* state;
        bool pickerFocused, selected;
        const char* clipboard;
        std::array<bool, 6> enabled; // Undo, Cut, Copy, Paste, Delete, Select All
    } cases[] = {
        {"a check box focused", false, false, "x", {false, false, false, false, false, false}},
        {"no selection", true, false, "x", {false, false, false, true, false, true}},
        {"text selected", true, true, "x", {false, true, true, true, true, true}},
        {"empty clipboard", true, true, "", {false, true, true, false, true, true}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.state);
        Focus(c.pickerFocused ? static_cast<RectControl&>(window->tcCreatedTime()) : window->ckCreated());
        if (c.pickerFocused) {
            if (c.selected)
                Editor(window->tcCreatedTime())->selectAll();
            else
                Editor(window->tcCreatedTime())->deselect();
        }
        QApplication::clipboard()->setText(c.clipboard);
        OpenEditMenu();
        std::array<bool, 6> enabled{};
        int i = 0;
        for (const auto& item : {window->EditUndo(), window->EditCut(), window->EditCopy(), window->EditPaste(),
                                 window->EditClear(), window->EditSelectAll()})
            enabled[i++] = item->NativeAction()->isEnabled();
        EXPECT_EQ(enabled, c.enabled);
    }
}

} // namespace
