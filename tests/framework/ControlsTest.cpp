// The leaf controls: Label, PushButton, CheckBox and Listbox, driven through
// their design-time lists and through their real widgets.
#include "WindowHost.h"

#include "framework/CheckBox.h"
#include "framework/Label.h"
#include "framework/Listbox.h"
#include "framework/PushButton.h"

#include <QApplication>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QHeaderView>
#include <QLabel>
#include <QMainWindow>
#include <QTableWidget>
#include <QTest>

#include <functional>
#include <utility>
#include <vector>

namespace {

// The reload arrow's text: the arrow, CR, its Unicode name, CR.
const std::string kReloadText = "\xE2\x9F\xB2\rANTICLOCKWISE GAPPED CIRCLE ARROW\r";

using ControlsTest = WindowHost<>;

QLabel* LabelWidget(const Label& label) { return static_cast<QLabel*>(label.NativeWidget()); }

// The columns and rows in which a widget's drawing differs from its drawing
// with another text: where that text's ink lies.
QRect InkBetween(QWidget* widget, const std::function<void()>& change)
{
    const QImage before = widget->grab().toImage();
    change();
    const QImage after = widget->grab().toImage();
    QRect ink;
    for (int y = 0; y < after.height(); ++y)
        for (int x = 0; x < after.width(); ++x)
            if (after.pixel(x, y) != before.pixel(x, y))
                ink |= QRect(x, y, 1, 1);
    return ink;
}
QTableWidget* Table(const Listbox& list) { return static_cast<QTableWidget*>(list.NativeWidget()); }

// --- Design-time lists ----------------------------------------------------------

TEST_F(ControlsTest, DetailsListEntriesShapeTheTable)
{
    Listbox& list = Add<Listbox>("lbFileDetails", Frame(3, 219, 379, 90)
                                                      .Boolean("Border", false)
                                                      .Integer("ColumnCount", 2)
                                                      .String("ColumnWidths", "100")
                                                      .Boolean("HasHeading", false)
                                                      .Boolean("ScrollbarHorizontal", false)
                                                      .Integer("DefaultRowHeight", 16)
                                                      .Single("TextSize", 11));
    QTableWidget* table = Table(list);
    EXPECT_EQ(table->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_TRUE(table->horizontalHeader()->isHidden());
    EXPECT_FALSE(table->showGrid());
    EXPECT_EQ(table->font().pixelSize(), 11) << "sizes in the default unit are pixel sizes";

    ASSERT_TRUE(QTest::qWaitForWindowExposed(window->Handle()));
    // "100": the first column 100 pixels, the second the rest of the width.
    EXPECT_EQ(table->columnWidth(0), 100);
    EXPECT_EQ(table->columnWidth(1), table->viewport()->width() - 100);
    list.AddRow("Name:");
    EXPECT_EQ(table->rowHeight(0), 16);
}

TEST_F(ControlsTest, LabelListSetsTextColourAlignmentAndGreysWhenDisabled)
{
    Label& label = Add<Label>("stCreatedReload", Frame(355, 371, 18, 20)
                                                     .String("Text", kReloadText)
                                                     .Integer("TextAlign", 2)
                                                     .ColorValue("TextColor", 0x666666u)
                                                     .Boolean("Enabled", false));
    EXPECT_TRUE(LabelWidget(label)->alignment() & Qt::AlignRight);
    const QPalette palette = LabelWidget(label)->palette();
    const QColor active = palette.color(QPalette::Active, QPalette::WindowText);
    EXPECT_EQ(active, QColor(0x66, 0x66, 0x66));
    EXPECT_GT(palette.color(QPalette::Disabled, QPalette::WindowText).lightness(), active.lightness() + 40);
}

// --- PushButton -----------------------------------------------------------------

TEST_F(ControlsTest, ButtonActsOnAClickAndAsTheDefaultOnReturnOnlyWhileEnabled)
{
    PushButton& button = Add<PushButton>("b", Frame(0, 0, 80, 24));
    CheckBox& box = Add<CheckBox>("c", Frame(100, 0, 20, 20));
    int actions = 0;
    button.Action.Bind([&](PushButton&) { ++actions; });
    window->Handle()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window->Handle()));

    QTest::mouseClick(button.NativeWidget(), Qt::LeftButton);
    EXPECT_EQ(actions, 1);
    box.NativeWidget()->setFocus();
    QTest::keyClick(box.NativeWidget(), Qt::Key_Return);
    EXPECT_EQ(actions, 1) << "not the default button yet";
    _SetProperties(button, PropertyList().Boolean("Default", true).Bytes());
    QTest::keyClick(box.NativeWidget(), Qt::Key_Return);
    EXPECT_EQ(actions, 2);

    button.SetEnabled(false);
    QTest::mouseClick(button.NativeWidget(), Qt::LeftButton);
    QTest::keyClick(box.NativeWidget(), Qt::Key_Return);
    EXPECT_EQ(actions, 2);
}

// --- CheckBox -------------------------------------------------------------------

TEST_F(ControlsTest, CheckBoxRaisesActionOnAClickAndInsideTheSetterForANewValueOnly)
{
    CheckBox& box = Add<CheckBox>("c", Frame(0, 0, 23, 23));
    bool insideSetter = false;
    std::vector<std::pair<bool, bool>> seen; // the value, and whether raised inside SetValue
    box.Action.Bind([&](CheckBox& sender) { seen.emplace_back(sender.Value(), insideSetter); });

    QTest::mouseClick(box.NativeWidget(), Qt::LeftButton, {}, QPoint(8, 11));
    QTest::mouseClick(box.NativeWidget(), Qt::LeftButton, {}, QPoint(8, 11));
    insideSetter = true;
    box.SetValue(true);
    box.SetValue(true); // the same value: nothing
    box.SetValue(false);
    box.SetEnabled(false);
    box.SetValue(true); // disabled, it still takes the program's value
    insideSetter = false;
    QTest::mouseClick(box.NativeWidget(), Qt::LeftButton, {}, QPoint(8, 11)); // but no click
    QApplication::processEvents(); // and nothing comes later from the event loop
    EXPECT_EQ(seen, (std::vector<std::pair<bool, bool>>{{true, false}, {false, false}, {true, true}, {false, true},
                                                        {true, true}}));
    EXPECT_TRUE(box.Value());
}

// --- Label ----------------------------------------------------------------------

TEST_F(ControlsTest, LabelPressReachesMouseDownWithLabelCoordinatesAlsoWhenDisabled)
{
    Label& label = Add<Label>("l", Frame(50, 60, 40, 20).Boolean("Enabled", false));
    std::vector<std::pair<std::int64_t, std::int64_t>> presses;
    label.MouseDown.Bind([&](Label& sender, std::int64_t x, std::int64_t y) {
        EXPECT_EQ(&sender, &label);
        presses.emplace_back(x, y);
        return false;
    });
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window->Handle()));

    // Straight to the widget, and the way a real press comes: through the
    // native window, which finds the widget under the pointer.
    QTest::mouseClick(label.NativeWidget(), Qt::LeftButton, {}, QPoint(5, 7));
    const QPoint inWindow = label.NativeWidget()->mapTo(window->Handle(), QPoint(10, 12));
    QTest::mouseClick(window->Handle()->windowHandle(), Qt::LeftButton, {}, inWindow);
    EXPECT_EQ(presses, (std::vector<std::pair<std::int64_t, std::int64_t>>{{5, 7}, {10, 12}}));
}

TEST_F(ControlsTest, SingleLineLabelShowsItsFirstLineAndNeverWraps)
{
    Label& label = Add<Label>("l", Frame(0, 0, 18, 20).String("Text", kReloadText).Boolean("Multiline", false));
    QLabel* widget = LabelWidget(label);
    EXPECT_EQ(widget->text(), QString::fromUtf8("\xE2\x9F\xB2"));
    EXPECT_FALSE(widget->wordWrap());
    EXPECT_EQ(label.Text(), kReloadText) << "the text itself keeps its breaks";

    label.SetMultiline(true);
    EXPECT_EQ(widget->text(), QString::fromUtf8("\xE2\x9F\xB2\nANTICLOCKWISE GAPPED CIRCLE ARROW\n"));
    EXPECT_TRUE(widget->wordWrap());
}

// A line too wide for its label is drawn whole at the largest size that
// fits, down to the readable floor (9 pixels); only what does not fit even
// then is cut short at its end. One that fits keeps its size, and the fit
// follows a change of the label's width.
TEST_F(ControlsTest, LabelLineShrinksToItsWidthButNotBelowAReadableFloor)
{
    const struct {
        const char *family, *text;
        int size;
        bool bold;
        std::int64_t align, width;
        int shownSize;
        bool whole;
    } cases[] = {
        {"DejaVu Sans", "Modified:", 12, false, 2, 75, 12, true},
        {"DejaVu Sans", "Erstellungsdatum:", 12, false, 2, 75, 9, false},
        {"DejaVu Sans Condensed", "Modified:", 12, false, 2, 75, 12, true},
        {"DejaVu Sans Condensed", "Erstellungsdatum:", 12, false, 2, 75, 9, true},
        // The drop prompt as the main window sizes it.
        {"DejaVu Sans", "Drop File or Folder here", 20, true, 1, 249, 18, true},
        // The German one fits at 13 pixels, far below three quarters of its size.
        {"DejaVu Sans", "Datei oder Ordner hierher ziehen", 20, true, 1, 249, 13, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.family) + ": " + c.text);
        Label& label = Add<Label>("l", Frame(0, 0, c.width, 30)
                                           .Integer("TextAlign", c.align)
                                           .String("TextFont", c.family)
                                           .Single("TextSize", float(c.size))
                                           .Boolean("Bold", c.bold));
        ASSERT_EQ(QFontInfo(label.NativeWidget()->font()).family(), c.family) << "the font is not installed";
        const QRect ink = InkBetween(label.NativeWidget(), [&] { label.SetText(c.text); });
        const FittedLine shown = label._ShownLine();
        EXPECT_EQ(shown.font.pixelSize(), c.shownSize);
        EXPECT_EQ(shown.font.bold(), c.bold);
        EXPECT_LE(QFontMetricsF(shown.font).horizontalAdvance(shown.text), c.width);
        if (c.whole) {
            EXPECT_EQ(shown.text, c.text);
        } else {
            EXPECT_EQ(shown.font.pixelSize(), ReadableFloor(c.size));
            EXPECT_TRUE(shown.text.endsWith(QChar(0x2026)));
            EXPECT_TRUE(QString(c.text).startsWith(shown.text.chopped(1))) << shown.text.toStdString();
        }
        // Drawn so: its start not cut off, and as high as its letters, not a dash.
        EXPECT_GT(ink.left(), 0);
        if (c.align == 1) {
            EXPECT_LT(ink.right(), c.width - 1);
        }
        EXPECT_GE(ink.height(), c.shownSize * 2 / 3);

        label.SetWidth(400);
        EXPECT_EQ(label._ShownLine().font.pixelSize(), c.size);
        EXPECT_EQ(label._ShownLine().text, c.text);
    }
}

// A caption too wide for its button is fitted as a label's line is: it
// stays inside the button instead of losing both its ends.
TEST_F(ControlsTest, ButtonCaptionTooWideShrinksInsideTheButton)
{
    PushButton& button = Add<PushButton>("pb", Frame(0, 0, 126, 20));
    InkBetween(button.NativeWidget(), [&] { button.SetCaption("Change"); });
    const QFont own = button.NativeWidget()->font();
    EXPECT_EQ(button._ShownCaption().font, own) << "a caption that fits keeps its size";

    const QString german = QString::fromUtf8("\xC3\x84nderungen \xC3\xBC" "bernehmen");
    const QRect ink = InkBetween(button.NativeWidget(), [&] { button.SetCaption(german.toStdString()); });
    const FittedLine shown = button._ShownCaption();
    EXPECT_EQ(button.Caption(), german.toStdString());
    EXPECT_GE(shown.font.pixelSize(), ReadableFloor(QFontInfo(own).pixelSize()));
    EXPECT_TRUE(shown.text == german || german.startsWith(shown.text.chopped(1))) << shown.text.toStdString();
    EXPECT_GT(ink.left(), 2);
    EXPECT_LT(ink.right(), 126 - 3);
}

// --- Listbox --------------------------------------------------------------------

TEST_F(ControlsTest, ListboxRowsCellsBoldHelpTagsAndColumnAlignmentThreeIsRight)
{
    Listbox& list = Add<Listbox>("lb", PropertyList().Integer("ColumnCount", 2));
    EXPECT_EQ(list.LastIndex(), -1);
    list.AddRow("Name:");
    EXPECT_EQ(list.LastIndex(), 0);
    list.SetCellBold(list.LastIndex(), 0, true);
    list.SetColumnAlignment(0, 3); // for the rows there and those to come
    list.AddRow("Path:");
    EXPECT_EQ(list.LastIndex(), 1);
    list.SetCell(list.LastIndex(), 1, "/tmp/a.txt");
    list.SetCellHelpTag(list.LastIndex(), 1, "/tmp/a.txt");

    EXPECT_EQ(list.Cell(0, 0), "Name:");
    EXPECT_EQ(list.Cell(1, 1), "/tmp/a.txt");
    EXPECT_TRUE(list.CellBold(0, 0));
    EXPECT_FALSE(list.CellBold(1, 0));
    EXPECT_EQ(list.CellHelpTag(1, 1), "/tmp/a.txt");
    EXPECT_EQ(list.CellHelpTag(0, 1), "");
    EXPECT_THROW(list.Cell(2, 0), OutOfBoundsException);
    EXPECT_THROW(list.SetCell(0, 2, "x"), OutOfBoundsException);

    QTableWidget* table = Table(list);
    EXPECT_TRUE(table->item(0, 0)->font().bold());
    EXPECT_EQ(table->item(1, 1)->toolTip(), "/tmp/a.txt");
    EXPECT_FALSE(table->item(0, 0)->flags() & Qt::ItemIsEditable);
    auto horizontal = [&](int row, int column) {
        return table->item(row, column)->data(Qt::TextAlignmentRole).toInt() & Qt::AlignHorizontal_Mask;
    };
    EXPECT_EQ(horizontal(0, 0), int(Qt::AlignRight));
    EXPECT_EQ(horizontal(1, 0), int(Qt::AlignRight));
    EXPECT_EQ(horizontal(1, 1), int(Qt::AlignLeft));

    list.DeleteAllRows();
    EXPECT_EQ(list.LastIndex(), -1);
    EXPECT_EQ(table->rowCount(), 0);
}

} // namespace
