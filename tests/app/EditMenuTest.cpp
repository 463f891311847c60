// The Edit menu's standard commands chosen from the menu itself: they act on
// the focused picker as their keys would, and each is enabled only where it
// applies when the menu opens or its key is pressed; a key whose command does
// not apply is the focused widget's.
#include "MainWindowDriver.h"

#include "framework/CheckBox.h"
#include "framework/Listbox.h"
#include "framework/PushButton.h"
#include "framework/MenuItem.h"
#include "framework/TimeControl.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTableWidget>
#include <QTest>
#include <QTimeEdit>

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

    // Alt, Right, Down, as the user reaches the Edit menu without the mouse:
    // the menu bar takes the focus until the menu is left.
    QMenu* OpenEditMenuFromTheKeyboard()
    {
        QMenuBar* bar = window->Handle()->menuBar();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Alt);
        EXPECT_EQ(QApplication::focusWidget(), bar);
        QTest::keyClick(bar, Qt::Key_Right);
        QTest::keyClick(bar, Qt::Key_Down);
        QMenu* menu = window->EditMenu()->NativeMenu();
        EXPECT_TRUE(QTest::qWaitFor([&] { return menu->isVisible(); }));
        return menu;
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

TEST_F(EditMenu, ReachedFromTheKeyboardTheCommandsActOnTheSelectedSectionAndOtherKeysStayTheLists)
{
    TimeControl& time = window->tcModifiedTime();
    auto* edit = static_cast<QTimeEdit*>(time.NativeWidget());
    const QString shown = Editor(time)->text();
    const QString minutes = shown.mid(3, 2), rest = shown.left(3) + shown.mid(5);
    const struct {
        Qt::Key mnemonic;
        bool reopened; // the menu left with Escape and opened again
        QString clipboard, text;
    } cases[] = {
        {Qt::Key_C, false, minutes, shown}, // Copy
        {Qt::Key_C, true, minutes, shown},
        {Qt::Key_T, false, minutes, rest}, // Cut
        {Qt::Key_D, true, "x", rest},      // Delete
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << QKeySequence(c.mnemonic).toString().toStdString() << c.reopened);
        time.SetTimeValue(window->last->ModificationDate());
        Focus(time);
        edit->setSelectedSection(QDateTimeEdit::MinuteSection);
        QApplication::clipboard()->setText("x");
        QMenu* menu = OpenEditMenuFromTheKeyboard();
        if (c.reopened) {
            QTest::keyClick(menu, Qt::Key_Escape);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
            ASSERT_TRUE(QTest::qWaitFor([&] { return menu->isVisible(); }));
        }
        EXPECT_TRUE(window->EditCopy()->NativeAction()->isEnabled());
        QTest::keyClick(menu, c.mnemonic);
        EXPECT_EQ(QApplication::clipboard()->text(), c.clipboard);
        EXPECT_EQ(Editor(time)->text(), c.text);
        EXPECT_EQ(QApplication::focusWidget(), edit) << "the focus is back in the picker";
    }

    // The menu last opened with Copy enabled; Ctrl+C in the list is the list's.
    auto* list = static_cast<QTableWidget*>(window->lbFileDetails().NativeWidget());
    Focus(window->lbFileDetails());
    const QRect path = list->visualRect(list->model()->index(1, 1));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, path.center());
    QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(), window->lbFileDetails().Cell(1, 1));
}

TEST_F(EditMenu, UndoTakesNothingBackFromBeforeTheProgramShowedAValue)
{
    // Typed over and set back by the program to what was typed: the text is
    // the same, yet the typing is no longer the user's to undo.
    TimeControl& time = window->tcModifiedTime();
    auto* edit = static_cast<QTimeEdit*>(time.NativeWidget());
    Focus(time);
    edit->setSelectedSection(QDateTimeEdit::HourSection);
    QTest::keyClicks(edit, "07");
    ASSERT_TRUE(Editor(time)->isUndoAvailable());
    const QString typed = Editor(time)->text();
    window->pbChange().Push();
    EXPECT_EQ(Editor(time)->text(), typed) << "written and read back";
    OpenEditMenu();
    EXPECT_FALSE(window->EditUndo()->NativeAction()->isEnabled());
    QTest::keyClick(edit, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Editor(time)->text(), typed);
}

} // namespace
