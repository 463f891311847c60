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
#include <optional>
#include <utility>
#include <vector>

namespace {

// The reload arrow's text: the arrow, CR, its Unicode name, CR.
const std::string kReloadText = "\xE2\x9F\xB2\rANTICLOCKWISE GAPPED CIRCLE ARROW\r";

using ControlsTest = WindowHost<>;

QLabel* LabelWidget(const Label& label) { return static_cast<QLabel*>(label.NativeWidget()); }

// Where a widget's drawing differs from its drawing before a change: where
// the new text's ink lies, its darkest pixel (the text's full colour where
// a stroke covers whole pixels) and the background it was drawn on.
struct Ink {
    QRect box;
    QColor darkest, background;
};
Ink InkBetween(QWidget* widget, const std::function<void()>& change)
{
    const QImage before = widget->grab().toImage();
    change();
    const QImage after = widget->grab().toImage();
    Ink ink{{}, Qt::white, before.pixelColor(0, 0)};
    for (int y = 0; y < after.height(); ++y)
        for (int x = 0; x < after.width(); ++x)
            if (after.pixel(x, y) != before.pixel(x, y)) {
                ink.box |= QRect(x, y, 1, 1);
                if (after.pixelColor(x, y).lightness() < ink.darkest.lightness())
                    ink.darkest = after.pixelColor(x, y);
            }
    return ink;
}

// Sets the desktop's font to this pixel size until it goes, as a desktop
// font change reaches the program.
class DesktopFontSize {
public:
    explicit DesktopFontSize(int pixelSize)
    {
        QFont font = m_was;
        font.setPixelSize(pixelSize);
        QApplication::setFont(font);
        // The widgets take it from the event loop.
        QCoreApplication::sendPostedEvents();
    }
    ~DesktopFontSize()
    {
        QApplication::setFont(m_was);
        QCoreApplication::sendPostedEvents();
    }
    DesktopFontSize(const DesktopFontSize&) = delete;
    DesktopFontSize& operator=(const DesktopFontSize&) = delete;

private:
    const QFont m_was = QApplication::font();
};

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
// fits, down to the readable floor (9 pixels, or its own size where that is
// smaller); only what does not fit even then is cut short at its end. One
// that fits keeps its size; the fit follows a change of the label's width
// and of the desktop's font. A disabled label draws it halfway between its
// colour (black here) and the background.
TEST_F(ControlsTest, LabelLineShrinksToItsWidthButNotBelowAReadableFloor)
{
    const QFontInfo desktop(QApplication::font());
    ASSERT_EQ(desktop.family(), "DejaVu Sans");
    ASSERT_EQ(desktop.pixelSize(), 12);
    const struct {
        const char *family, *text;
        int size; // 0: the desktop's
        bool bold, italic, enabled;
        std::int64_t align, width;
        int desktopAfterFit; // the desktop's pixel size once the line was fitted; 0: as it was
        int shownSize;
        bool whole;
    } cases[] = {
        {"DejaVu Sans", "Modified:", 12, false, false, true, 2, 75, 0, 12, true},
        {"DejaVu Sans", "Erstellungsdatum:", 12, false, false, true, 2, 75, 0, 9, false},
        {"DejaVu Sans Condensed", "Modified:", 12, false, false, true, 2, 75, 0, 12, true},
        {"DejaVu Sans Condensed", "Erstellungsdatum:", 12, false, false, true, 2, 75, 0, 9, true},
        // The drop prompt as the main window sizes it; the German one fits
        // at 13 pixels, far below three quarters of its size.
        {"DejaVu Sans", "Drop File or Folder here", 20, true, false, true, 1, 249, 0, 18, true},
        {"DejaVu Sans", "Datei oder Ordner hierher ziehen", 20, true, false, true, 1, 249, 0, 13, true},
        // Disabled: in the label's own grey, not the style's.
        {"DejaVu Sans", "Drop File or Folder here", 20, true, false, false, 1, 249, 0, 18, true},
        // Its advance (47.2) fits, but the oblique f's ink ends 2 pixels
        // beyond the label: one size smaller does it.
        {"DejaVu Sans", "Stoff", 20, false, true, true, 0, 48, 0, 19, true},
        // At the desktop's size, the desktop's font changing after the line
        // was fitted: to 20 pixels, at which it no longer fits, and to 10,
        // at which the floor is still 9.
        {"DejaVu Sans", "Modified:", 0, false, false, true, 2, 75, 20, 16, true},
        {"DejaVu Sans", "Erstellungsdatum:", 0, false, false, true, 2, 75, 10, 9, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.family) + ": " + c.text + (c.italic ? " oblique" : "") + (c.enabled ? "" : " disabled")
                     + " at " + std::to_string(c.size) + ", desktop " + std::to_string(c.desktopAfterFit));
        Label& label = Add<Label>("l", Frame(0, 0, c.width, 30)
                                           .Integer("TextAlign", c.align)
                                           .String("TextFont", c.family)
                                           .Single("TextSize", float(c.size))
                                           .Boolean("Bold", c.bold)
                                           .Boolean("Italic", c.italic)
                                           .Boolean("Enabled", c.enabled));
        ASSERT_EQ(QFontInfo(label.NativeWidget()->font()).family(), c.family) << "the font is not installed";
        std::optional<DesktopFontSize> changed;
        const Ink ink = InkBetween(label.NativeWidget(), [&] {
            label.SetText(c.text);
            (void)label._ShownLine();
            if (c.desktopAfterFit)
                changed.emplace(c.desktopAfterFit);
        });
        const int own = c.size ? c.size : QFontInfo(label.NativeWidget()->font()).pixelSize();
        const FittedLine shown = label._ShownLine();
        EXPECT_EQ(shown.font.pixelSize(), c.shownSize);
        EXPECT_EQ(shown.font.bold(), c.bold);
        EXPECT_EQ(shown.font.italic(), c.italic);
        EXPECT_LE(QFontMetricsF(shown.font).horizontalAdvance(shown.text), c.width);
        if (c.whole) {
            EXPECT_EQ(shown.text, c.text);
        } else {
            EXPECT_EQ(shown.font.pixelSize(), ReadableFloor(own));
            EXPECT_TRUE(shown.text.endsWith(QChar(0x2026)));
            EXPECT_TRUE(QString(c.text).startsWith(shown.text.chopped(1))) << shown.text.toStdString();
        }
        // Drawn so: its start not cut off, as high as its letters, not a
        // dash, and in its colour (exactly so where a stroke covers whole
        // pixels, as from 12 pixels up).
        if (c.align != 0) {
            EXPECT_GT(ink.box.left(), 0);
        }
        if (c.align == 1) {
            EXPECT_LT(ink.box.right(), c.width - 1);
        }
        EXPECT_GE(ink.box.height(), c.shownSize * 2 / 3);
        if (c.shownSize >= 12) {
            const QColor back = ink.background;
            const QColor colour = c.enabled ? QColor(Qt::black) : QColor(back.red() / 2, back.green() / 2, back.blue() / 2);
            EXPECT_EQ(ink.darkest.name().toStdString(), colour.name().toStdString());
        }

        label.SetWidth(400);
        EXPECT_EQ(label._ShownLine().font.pixelSize(), own);
        EXPECT_EQ(label._ShownLine().text, c.text);
    }
}

// A caption too wide for its button is fitted as a label's line is, to the
// room inside the button's frame: it stays inside the frame instead of
// losing both its ends or drawing over the frame.
TEST_F(ControlsTest, ButtonCaptionTooWideShrinksInsideTheButton)
{
    const struct {
        const char* caption;
        int shownSize;
    } cases[] = {
        {"Change", 12},
        {"\xC3\x84nderungen \xC3\xBC" "bernehmen", 9},
        // Narrower than the button (120.9 of 126), not than its inside.
        {"Datum \xC3\xBC" "bernehmen", 11},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.caption);
        PushButton& button = Add<PushButton>(
            "pb", Frame(0, 0, 126, 20).String("TextFont", "DejaVu Sans").Single("TextSize", 12));
        const Ink ink = InkBetween(button.NativeWidget(), [&] { button.SetCaption(c.caption); });
        const FittedLine shown = button._ShownCaption();
        EXPECT_EQ(button.Caption(), c.caption);
        EXPECT_EQ(shown.font.pixelSize(), c.shownSize);
        EXPECT_EQ(shown.text, QString::fromUtf8(c.caption)) << "whole, as it fits";
        EXPECT_GT(ink.box.left(), 2);
        EXPECT_LT(ink.box.right(), 126 - 3);
    }
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
