// The leaf controls: Label, PushButton, CheckBox and Listbox, driven through
// their design-time lists and through their real widgets.
#include "framework/Application.h"
#include "framework/Canvas.h"
#include "framework/CheckBox.h"
#include "framework/Label.h"
#include "framework/Listbox.h"
#include "framework/PropertyList.h"
#include "framework/PushButton.h"
#include "framework/Window.h"

#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr std::int64_t kNotIndexed = -2147483648LL;

// The reload arrow's text: the arrow, CR, its Unicode name, CR.
const std::string kReloadText = "\xE2\x9F\xB2\rANTICLOCKWISE GAPPED CIRCLE ARROW\r";

// Closes a window and lets it go. A closed window is released from the event
// loop, so the loop must turn once before the test ends; a release left for
// the application's own teardown would delete widgets too late.
template <class W>
void CloseAndRelease(std::shared_ptr<W>& window)
{
    window->Close();
    window.reset();
    QCoreApplication::sendPostedEvents();
}

// A bare, shown window to place controls in, closed at the end of the test.
class ControlsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        window = std::make_shared<Window>();
        window->Constructor();
    }

    void TearDown() override
    {
        SetUnhandledExceptionPresenter(nullptr);
        CloseAndRelease(window);
    }

    template <class T>
    T& Add(const std::string& name)
    {
        return static_cast<T&>(window->_AddControl(name, std::make_unique<T>()));
    }

    // The entries every control list opens with.
    static PropertyList Common(const std::string& name, std::int64_t left, std::int64_t top, std::int64_t width,
                               std::int64_t height, bool lockLeft, bool lockTop, bool lockRight, bool lockBottom,
                               std::int64_t tabIndex)
    {
        PropertyList list;
        list.String("Name", name)
            .Integer("Index", kNotIndexed)
            .Integer("Left", left)
            .Integer("Top", top)
            .Integer("Width", width)
            .Integer("Height", height)
            .Boolean("LockLeft", lockLeft)
            .Boolean("LockTop", lockTop)
            .Boolean("LockRight", lockRight)
            .Boolean("LockBottom", lockBottom)
            .Integer("TabPanelIndex", 0)
            .Integer("TabIndex", tabIndex);
        return list;
    }

    std::shared_ptr<Window> window;
};

QLabel* LabelWidget(const Label& label)
{
    return static_cast<QLabel*>(label.NativeWidget());
}

QTableWidget* Table(const Listbox& list)
{
    return static_cast<QTableWidget*>(list.NativeWidget());
}

// --- Design-time lists ----------------------------------------------------------

TEST_F(ControlsTest, ReloadLabelListAppliesEveryEntry)
{
    Label& label = Add<Label>("stCreatedReload");
    _SetProperties(label, Common("stCreatedReload", 355, 371, 18, 20, false, true, true, false, 11)
                              .String("Text", kReloadText)
                              .Integer("TextAlign", 0)
                              .ColorValue("TextColor", 0x666666u)
                              .Boolean("Multiline", false)
                              .Boolean("Enabled", false)
                              .Boolean("Visible", true)
                              .Boolean("Selectable", false)
                              .Boolean("Transparent", true)
                              .String("HelpTag", "")
                              .Boolean("AutoDeactivate", true)
                              .String("TextFont", "System")
                              .Single("TextSize", 0)
                              .FontUnit("TextUnit", 0)
                              .Boolean("Bold", false)
                              .Boolean("Italic", false)
                              .Boolean("Underline", false)
                              .String("DataSource", "")
                              .String("DataField", "")
                              .String("InitialParent", "")
                              .Bytes());

    EXPECT_EQ(label.Text(), kReloadText);
    EXPECT_EQ(label.TextAlign(), 0);
    EXPECT_EQ(label.TextColor(), Color(0x666666));
    EXPECT_FALSE(label.Multiline());
    EXPECT_FALSE(label.Enabled());
    EXPECT_TRUE(label.LockTop());
    EXPECT_TRUE(label.LockRight());
    EXPECT_EQ(label.TabIndex(), 11);
    EXPECT_EQ(std::get<bool>(GetPropertyValue(label, "Transparent")), true);
    EXPECT_EQ(std::get<std::int64_t>(GetPropertyValue(label, "TextUnit")), 0);
    EXPECT_EQ(label.NativeWidget()->geometry(), QRect(355, 371, 18, 20));
    EXPECT_TRUE(label.NativeWidget()->isVisible());
    EXPECT_EQ(LabelWidget(label)->palette().color(QPalette::Active, QPalette::WindowText), QColor(0x66, 0x66, 0x66));
}

TEST_F(ControlsTest, TextUnitOfALabelIsOneByte)
{
    Label& label = Add<Label>("x");
    // Eight bytes for TextUnit would swallow the next entry's name.
    EXPECT_THROW(_SetProperties(label, PropertyList().Integer("TextUnit", 0).Boolean("Bold", true).Bytes()),
                 UnsupportedFormatException);
}

TEST_F(ControlsTest, DetailsListListAppliesEveryEntry)
{
    Canvas& canvas = Add<Canvas>("cvDropFile");
    _SetProperties(canvas, PropertyList()
                               .Integer("Left", -1)
                               .Integer("Top", -1)
                               .Integer("Width", 387)
                               .Integer("Height", 319)
                               .Bytes());
    Listbox& list = Add<Listbox>("lbFileDetails");
    _SetProperties(list, Common("lbFileDetails", 3, 219, 379, 90, true, false, true, true, 10)
                             .Boolean("TabStop", true)
                             .Boolean("Visible", true)
                             .String("HelpTag", "")
                             .Boolean("AutoDeactivate", true)
                             .Boolean("Enabled", true)
                             .Boolean("Border", false)
                             .Integer("ColumnCount", 2)
                             .String("ColumnWidths", "100")
                             .Boolean("HasHeading", false)
                             .Boolean("UseFocusRing", false)
                             .String("InitialValue", "")
                             .Integer("HeadingIndex", -1)
                             .Boolean("ScrollbarHorizontal", false)
                             .Boolean("ScrollBarVertical", true)
                             .Integer("GridLinesHorizontal", 1)
                             .Integer("GridLinesVertical", 1)
                             .Integer("DefaultRowHeight", 16)
                             .Integer("_ScrollWidth", -1)
                             .Integer("_ScrollOffset", 0)
                             .String("TextFont", "System")
                             .Single("TextSize", 11)
                             .FontUnit("TextUnit", 0)
                             .Boolean("Bold", false)
                             .Boolean("Italic", false)
                             .Boolean("Underline", false)
                             .Boolean("Hierarchical", false)
                             .Boolean("EnableDrag", false)
                             .Boolean("EnableDragReorder", false)
                             .Boolean("RequiresSelection", false)
                             .Integer("SelectionType", 0)
                             .Boolean("ColumnsResizable", false)
                             .Boolean("AutoHideScrollbars", true)
                             .String("DataSource", "")
                             .String("DataField", "")
                             .String("InitialParent", "cvDropFile")
                             .Bytes());
    QTableWidget* table = Table(list);

    EXPECT_FALSE(list.ScrollBarHorizontal());
    EXPECT_EQ(table->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_TRUE(list.ScrollBarVertical());
    EXPECT_EQ(list.ColumnCount(), 2);
    EXPECT_EQ(list.RowCount(), 0);
    EXPECT_FALSE(list.HasHeading());
    EXPECT_TRUE(table->horizontalHeader()->isHidden());
    EXPECT_FALSE(list.Border());
    EXPECT_FALSE(table->showGrid());
    EXPECT_EQ(std::get<std::int64_t>(GetPropertyValue(list, "HeadingIndex")), -1);
    EXPECT_EQ(std::get<std::int64_t>(GetPropertyValue(list, "_ScrollWidth")), -1);
    // Sizes in the default unit are pixel sizes.
    EXPECT_EQ(table->font().pixelSize(), 11);
    EXPECT_EQ(std::get<std::string>(GetPropertyValue(list, "InitialParent")), "cvDropFile");
    // Inside the canvas, in the canvas's coordinates.
    EXPECT_EQ(table->parentWidget(), canvas.NativeWidget());
    EXPECT_EQ(table->geometry(), QRect(4, 220, 379, 90));

    ASSERT_TRUE(QTest::qWaitForWindowExposed(window->Handle()));
    // "100": the first column 100 pixels, the second the rest of the width.
    EXPECT_EQ(table->columnWidth(0), 100);
    EXPECT_EQ(table->columnWidth(1), table->viewport()->width() - 100);
    list.AddRow("Name:");
    EXPECT_EQ(table->rowHeight(0), 16);
}

TEST_F(ControlsTest, CheckBoxListLeavesItDisabledAndUnticked)
{
    CheckBox& box = Add<CheckBox>("ckCreated");
    int actions = 0;
    box.Action.Bind([&](CheckBox&) { ++actions; });
    _SetProperties(box, Common("ckCreated", 20, 367, 23, 23, true, true, false, false, 3)
                            .Boolean("TabStop", true)
                            .String("Caption", "")
                            .Boolean("Enabled", false)
                            .Boolean("Visible", true)
                            .String("HelpTag", "")
                            .Boolean("AutoDeactivate", true)
                            .String("TextFont", "System")
                            .Single("TextSize", 0)
                            .FontUnit("TextUnit", 0)
                            .Boolean("Bold", false)
                            .Boolean("Italic", false)
                            .Boolean("Underline", false)
                            .Enum("State", 0)
                            .Boolean("Value", false)
                            .String("DataSource", "")
                            .String("DataField", "")
                            .String("InitialParent", "")
                            .Bytes());

    EXPECT_EQ(box.Caption(), "");
    EXPECT_FALSE(box.Enabled());
    EXPECT_FALSE(box.Value());
    EXPECT_EQ(box.State(), CheckBox::Unchecked);
    EXPECT_EQ(box.NativeWidget()->geometry(), QRect(20, 367, 23, 23));
    EXPECT_EQ(actions, 0);

    // State is eight bytes wide: 1 ticks the box and the entry after it reads.
    _SetProperties(box, PropertyList().Enum("State", 1).String("DataField", "x").Bytes());
    EXPECT_TRUE(box.Value());
    EXPECT_EQ(std::get<std::string>(GetPropertyValue(box, "DataField")), "x");
}

TEST_F(ControlsTest, ChangeButtonListMakesItTheDisabledDefaultButton)
{
    Canvas& bar = Add<Canvas>("qorStatusBar1");
    _SetProperties(bar, PropertyList()
                            .Integer("Left", -1)
                            .Integer("Top", 446)
                            .Integer("Width", 387)
                            .Integer("Height", 43)
                            .Bytes());
    PushButton& button = Add<PushButton>("pbChange");
    button.SetCaption("Change");
    _SetProperties(button, Common("pbChange", 240, 457, 126, 20, false, true, true, false, 0)
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
                               .Bytes());

    auto* widget = static_cast<QPushButton*>(button.NativeWidget());
    EXPECT_EQ(button.Caption(), "Change");
    EXPECT_TRUE(button.Default());
    EXPECT_TRUE(widget->isDefault());
    EXPECT_FALSE(button.Enabled());
    EXPECT_EQ(std::get<bool>(GetPropertyValue(button, "Cancel")), false);
    EXPECT_EQ(widget->parentWidget(), bar.NativeWidget());
    EXPECT_EQ(widget->geometry(), QRect(241, 11, 126, 20));
}

// --- PushButton -----------------------------------------------------------------

TEST_F(ControlsTest, ButtonRaisesActionOnClickOnlyWhileEnabled)
{
    PushButton& button = Add<PushButton>("b");
    _SetProperties(button, PropertyList().Integer("Width", 80).Integer("Height", 24).Bytes());
    int actions = 0;
    button.Action.Bind([&](PushButton& sender) {
        EXPECT_EQ(&sender, &button);
        ++actions;
    });
    QTest::mouseClick(button.NativeWidget(), Qt::LeftButton);
    EXPECT_EQ(actions, 1);
    button.SetEnabled(false);
    QTest::mouseClick(button.NativeWidget(), Qt::LeftButton);
    EXPECT_EQ(actions, 1);
}

TEST_F(ControlsTest, ReturnPressesTheDefaultButton)
{
    PushButton& button = Add<PushButton>("b");
    CheckBox& box = Add<CheckBox>("c");
    _SetProperties(box, PropertyList().Integer("Left", 100).Integer("Width", 20).Integer("Height", 20).Bytes());
    int actions = 0;
    button.Action.Bind([&](PushButton&) { ++actions; });
    window->Handle()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window->Handle()));
    box.NativeWidget()->setFocus();

    QTest::keyClick(box.NativeWidget(), Qt::Key_Return);
    EXPECT_EQ(actions, 0) << "not the default button yet";
    button.SetDefault(true);
    QTest::keyClick(box.NativeWidget(), Qt::Key_Return);
    EXPECT_EQ(actions, 1);
    button.SetEnabled(false);
    QTest::keyClick(box.NativeWidget(), Qt::Key_Return);
    EXPECT_EQ(actions, 1);
}

// --- CheckBox -------------------------------------------------------------------

TEST_F(ControlsTest, CheckBoxRaisesActionOnEveryClick)
{
    CheckBox& box = Add<CheckBox>("c");
    _SetProperties(box, PropertyList().Integer("Width", 23).Integer("Height", 23).Bytes());
    std::vector<bool> seen;
    box.Action.Bind([&](CheckBox& sender) { seen.push_back(sender.Value()); });

    QTest::mouseClick(box.NativeWidget(), Qt::LeftButton, {}, QPoint(8, 11));
    QTest::mouseClick(box.NativeWidget(), Qt::LeftButton, {}, QPoint(8, 11));
    EXPECT_EQ(seen, (std::vector<bool>{true, false}));
    EXPECT_FALSE(box.Value());
}

TEST_F(ControlsTest, CheckBoxRaisesActionInsideTheSetterForANewValueOnly)
{
    CheckBox& box = Add<CheckBox>("c");
    bool insideSetter = false;
    std::vector<bool> seen;
    box.Action.Bind([&](CheckBox& sender) {
        EXPECT_TRUE(insideSetter);
        seen.push_back(sender.Value());
    });

    insideSetter = true;
    box.SetValue(true);
    box.SetValue(true); // the same value: nothing
    box.SetValue(false);
    box.SetValue(false);
    insideSetter = false;
    QApplication::processEvents();
    EXPECT_EQ(seen, (std::vector<bool>{true, false}));
}

TEST_F(ControlsTest, DisabledCheckBoxStillTakesValueAndRaisesAction)
{
    CheckBox& box = Add<CheckBox>("c");
    box.SetEnabled(false);
    int actions = 0;
    box.Action.Bind([&](CheckBox&) { ++actions; });
    box.SetValue(true);
    EXPECT_TRUE(box.Value());
    EXPECT_EQ(actions, 1);
    // The user cannot tick it, though.
    QTest::mouseClick(box.NativeWidget(), Qt::LeftButton, {}, QPoint(8, 8));
    EXPECT_TRUE(box.Value());
    EXPECT_EQ(actions, 1);
}

TEST_F(ControlsTest, CheckBoxWithoutHandlerChangesQuietly)
{
    CheckBox& box = Add<CheckBox>("c");
    _SetProperties(box, PropertyList().Integer("Width", 23).Integer("Height", 23).Bytes());
    box.SetValue(true);
    QTest::mouseClick(box.NativeWidget(), Qt::LeftButton, {}, QPoint(8, 11));
    EXPECT_FALSE(box.Value());
    EXPECT_FALSE(box.Action.IsBound());
}

TEST_F(ControlsTest, IndeterminateCheckBoxTicksOnClick)
{
    CheckBox& box = Add<CheckBox>("c");
    _SetProperties(box, PropertyList().Integer("Width", 23).Integer("Height", 23).Bytes());
    box.SetState(CheckBox::Indeterminate);
    EXPECT_FALSE(box.Value());
    QTest::mouseClick(box.NativeWidget(), Qt::LeftButton, {}, QPoint(8, 11));
    EXPECT_EQ(box.State(), CheckBox::Checked);
    QTest::mouseClick(box.NativeWidget(), Qt::LeftButton, {}, QPoint(8, 11));
    EXPECT_EQ(box.State(), CheckBox::Unchecked);
}

TEST_F(ControlsTest, ExceptionInActionGoesToTheUnhandledExceptionHandler)
{
    CheckBox& box = Add<CheckBox>("c");
    std::string reported;
    SetUnhandledExceptionPresenter([&](const std::string& className, const std::string&) { reported = className; });
    box.Action.Bind([](CheckBox&) { throw NilObjectException("no item"); });
    EXPECT_NO_THROW(box.SetValue(true));
    EXPECT_EQ(reported, "NilObjectException");
    EXPECT_TRUE(box.Value());
}

// --- Label ----------------------------------------------------------------------

TEST_F(ControlsTest, LabelPressReachesMouseDownWithLabelCoordinates)
{
    Label& label = Add<Label>("l");
    _SetProperties(label, PropertyList().Integer("Left", 50).Integer("Top", 60).Integer("Width", 40).Integer("Height", 20).Bytes());
    std::vector<std::pair<std::int64_t, std::int64_t>> presses;
    label.MouseDown.Bind([&](Label& sender, std::int64_t x, std::int64_t y) {
        EXPECT_EQ(&sender, &label);
        presses.emplace_back(x, y);
        return false;
    });
    QTest::mouseClick(label.NativeWidget(), Qt::LeftButton, {}, QPoint(5, 7));
    EXPECT_EQ(presses, (std::vector<std::pair<std::int64_t, std::int64_t>>{{5, 7}}));
}

TEST_F(ControlsTest, DisabledLabelStillReceivesPresses)
{
    Label& label = Add<Label>("l");
    _SetProperties(label, PropertyList()
                              .Integer("Left", 50)
                              .Integer("Top", 60)
                              .Integer("Width", 40)
                              .Integer("Height", 20)
                              .Boolean("Enabled", false)
                              .Bytes());
    std::vector<bool> enabledAtPress;
    label.MouseDown.Bind([&](Label& sender, std::int64_t, std::int64_t) {
        enabledAtPress.push_back(sender.Enabled());
        return false;
    });
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window->Handle()));

    // Straight to the widget, and the way a real press comes: through the
    // native window, which finds the widget under the pointer.
    QTest::mouseClick(label.NativeWidget(), Qt::LeftButton, {}, QPoint(3, 3));
    const QPoint inWindow = label.NativeWidget()->mapTo(window->Handle(), QPoint(10, 10));
    QTest::mouseClick(window->Handle()->windowHandle(), Qt::LeftButton, {}, inWindow);
    EXPECT_EQ(enabledAtPress, (std::vector<bool>{false, false}));
}

TEST_F(ControlsTest, UnboundLabelTakesPressesWithoutHarm)
{
    Label& label = Add<Label>("l");
    EXPECT_FALSE(label.MouseDown.IsBound());
    QTest::mouseClick(label.NativeWidget(), Qt::LeftButton, {}, QPoint(3, 3));
}

TEST_F(ControlsTest, SingleLineLabelShowsItsFirstLineAndNeverWraps)
{
    Label& label = Add<Label>("l");
    _SetProperties(label, PropertyList()
                              .Integer("Width", 18)
                              .Integer("Height", 20)
                              .String("Text", kReloadText)
                              .Boolean("Multiline", false)
                              .Bytes());
    QLabel* widget = LabelWidget(label);
    EXPECT_EQ(widget->text(), QString::fromUtf8("\xE2\x9F\xB2"));
    EXPECT_FALSE(widget->wordWrap());
    EXPECT_EQ(label.Text(), kReloadText) << "the text itself keeps its breaks";

    label.SetMultiline(true);
    EXPECT_EQ(widget->text(), QString::fromUtf8("\xE2\x9F\xB2\nANTICLOCKWISE GAPPED CIRCLE ARROW\n"));
    EXPECT_TRUE(widget->wordWrap());
}

TEST_F(ControlsTest, LabelAlignmentAndGreyWhenDisabled)
{
    Label& label = Add<Label>("l");
    label.SetTextAlign(1);
    EXPECT_TRUE(LabelWidget(label)->alignment() & Qt::AlignHCenter);
    label.SetTextAlign(2);
    EXPECT_TRUE(LabelWidget(label)->alignment() & Qt::AlignRight);

    label.SetTextColor(Color(0x000000));
    const QPalette palette = LabelWidget(label)->palette();
    const QColor active = palette.color(QPalette::Active, QPalette::WindowText);
    const QColor disabled = palette.color(QPalette::Disabled, QPalette::WindowText);
    EXPECT_EQ(active, QColor(0, 0, 0));
    EXPECT_GT(disabled.lightness(), active.lightness() + 40);
}

// --- Listbox --------------------------------------------------------------------

TEST_F(ControlsTest, ListboxRowsCellsAndTooltips)
{
    Listbox& list = Add<Listbox>("lb");
    list.SetColumnCount(2);
    EXPECT_EQ(list.LastIndex(), -1);

    list.AddRow("Name:");
    EXPECT_EQ(list.LastIndex(), 0);
    list.SetCellBold(list.LastIndex(), 0, true);
    list.SetCell(0, 1, "a.txt");
    list.AddRow("Path:");
    EXPECT_EQ(list.LastIndex(), 1);
    list.SetCell(list.LastIndex(), 1, "/tmp/a.txt");
    list.SetCellHelpTag(list.LastIndex(), 1, "/tmp/a.txt");

    EXPECT_EQ(list.RowCount(), 2);
    EXPECT_EQ(list.Cell(0, 0), "Name:");
    EXPECT_EQ(list.Cell(0, 1), "a.txt");
    EXPECT_EQ(list.Cell(1, 1), "/tmp/a.txt");
    EXPECT_TRUE(list.CellBold(0, 0));
    EXPECT_FALSE(list.CellBold(0, 1));
    EXPECT_EQ(list.CellHelpTag(1, 1), "/tmp/a.txt");
    EXPECT_EQ(list.CellHelpTag(0, 1), "");

    QTableWidget* table = Table(list);
    EXPECT_TRUE(table->item(0, 0)->font().bold());
    EXPECT_FALSE(table->item(0, 1)->font().bold());
    EXPECT_EQ(table->item(1, 1)->toolTip(), "/tmp/a.txt");
    EXPECT_FALSE(table->item(0, 0)->flags() & Qt::ItemIsEditable);

    EXPECT_THROW(list.Cell(2, 0), OutOfBoundsException);
    EXPECT_THROW(list.SetCell(0, 2, "x"), OutOfBoundsException);
    EXPECT_THROW(list.SetCellBold(-1, 0, true), OutOfBoundsException);

    list.DeleteAllRows();
    EXPECT_EQ(list.RowCount(), 0);
    EXPECT_EQ(list.LastIndex(), -1);
    EXPECT_EQ(table->rowCount(), 0);
}

TEST_F(ControlsTest, ColumnAlignmentAppliesToPresentAndLaterRows)
{
    Listbox& list = Add<Listbox>("lb");
    _SetProperties(list, PropertyList()
                             .Integer("Left", 0)
                             .Integer("Top", 0)
                             .Integer("Width", 300)
                             .Integer("Height", 90)
                             .Integer("ColumnCount", 2)
                             .String("ColumnWidths", "100")
                             .Bytes());
    list.AddRow("before");
    list.SetColumnAlignment(0, 3);
    list.AddRow("after");
    list.SetCell(1, 1, "value");

    EXPECT_EQ(list.ColumnAlignment(0), 3);
    EXPECT_EQ(list.ColumnAlignment(1), 0);
    QTableWidget* table = Table(list);
    auto horizontal = [&](int row, int column) {
        return table->item(row, column)->data(Qt::TextAlignmentRole).toInt() & Qt::AlignHorizontal_Mask;
    };
    EXPECT_EQ(horizontal(0, 0), int(Qt::AlignRight));
    EXPECT_EQ(horizontal(1, 0), int(Qt::AlignRight));
    EXPECT_EQ(horizontal(1, 1), int(Qt::AlignLeft));

    // And on screen: the ink of a right-aligned caption ends at the column's
    // right edge, far from its left edge.
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window->Handle()));
    const QImage image = table->viewport()->grab().toImage();
    int left = image.width(), right = -1;
    const int rowTop = table->rowViewportPosition(0);
    for (int y = rowTop; y < rowTop + table->rowHeight(0); ++y) {
        for (int x = 0; x < 100; ++x) {
            if (qGray(image.pixel(x, y)) < 128) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
        }
    }
    ASSERT_GE(right, 0) << "no text drawn in the first column";
    EXPECT_GT(left, 30);
    EXPECT_GT(right, 85);
}

TEST_F(ControlsTest, InitialValueFillsRowsAndCells)
{
    Listbox& list = Add<Listbox>("lb");
    list.SetColumnCount(2);
    list.SetInitialValue("a\tA\rb\r\nc\n");
    ASSERT_EQ(list.RowCount(), 3);
    EXPECT_EQ(list.Cell(0, 0), "a");
    EXPECT_EQ(list.Cell(0, 1), "A");
    EXPECT_EQ(list.Cell(1, 0), "b");
    EXPECT_EQ(list.Cell(2, 0), "c");
    list.SetInitialValue("");
    EXPECT_EQ(list.RowCount(), 0);
}

// A window whose list binds Open, as the main window's does.
class ListWindow : public Window {
public:
    int opens = 0;
    std::int64_t columnsAtOpen = 0;

protected:
    void CreateControls() override
    {
        auto& list = static_cast<Listbox&>(_AddControl("lb", std::make_unique<Listbox>()));
        _SetProperties(list, PropertyList().Integer("ColumnCount", 2).Bytes());
        list.Open.Bind([this](Listbox& sender) {
            ++opens;
            columnsAtOpen = sender.ColumnCount();
            sender.SetColumnAlignment(0, 3);
        });
    }
};

TEST(ListboxOpenTest, OpenIsRaisedOnceWhenTheWindowOpens)
{
    auto window = std::make_shared<ListWindow>();
    window->Constructor();
    EXPECT_EQ(window->opens, 1);
    EXPECT_EQ(window->columnsAtOpen, 2) << "raised after the list's settings";
    auto& list = ControlCast<Listbox>(window->_ControlByName("lb"));
    EXPECT_EQ(list.ColumnAlignment(0), 3);
    CloseAndRelease(window);
}

} // namespace
