// The main window as it opens: its size and title, the seventeen controls
// at their places, the start state, the focus order, the dashed drop zone,
// the shared menu bar and the remembered frame.
#include "MainWindowDriver.h"

#include "app/MainMenuBar.h"
#include "controls/qorStatusBar.h"
#include "framework/Application.h"
#include "framework/Canvas.h"
#include "framework/CheckBox.h"
#include "framework/Graphics.h"
#include "framework/Label.h"
#include "framework/Listbox.h"
#include "framework/MenuBar.h"
#include "framework/Picture.h"
#include "framework/PushButton.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QFontInfo>
#include <QImage>
#include <QMainWindow>
#include <QTest>
#include <QTranslator>

#include <algorithm>

using namespace driver;

namespace {

class MainWindowLayout : public MainWindowTest {};

TEST_F(MainWindowLayout, IsAFixedKestruneWindowThatOpensWithNothingLoaded)
{
    QWidget* content = window->ContentWidget();
    EXPECT_EQ(content->size(), QSize(385, 488));
    EXPECT_EQ(window->Handle()->windowTitle(), "Kestrune");
    EXPECT_TRUE(window->Handle()->isVisible());
    EXPECT_FALSE(window->Resizeable());
    EXPECT_EQ(content->minimumSize(), content->maximumSize());
    EXPECT_FALSE(window->Handle()->windowFlags() & Qt::WindowMaximizeButtonHint);

    EXPECT_EQ(window->last, nullptr);
    EXPECT_EQ(ReadDateArea(*window), kForgotten);
    EXPECT_EQ(window->lbFileDetails().RowCount(), 0);
    EXPECT_EQ(window->lbFileDetails().ColumnAlignment(0), 3) << "labels right-aligned before any row";
    EXPECT_EQ(window->DropFileLabel().Text(), "Drop File or Folder here");
    EXPECT_EQ(window->ChangeCreatedLabel().Text(), "Created:");
    EXPECT_EQ(window->ChangeModifiedLabel().Text(), "Modified:");
    EXPECT_EQ(window->pbChange().Caption(), "Change");
    const qorStatusBar& status = window->qorStatusBar1();
    EXPECT_EQ(status.LeftCaption() + status.CenterCaption() + status.RightCaption(), "");
}

TEST_F(MainWindowLayout, EachControlStandsAtItsPlaceInItsContainer)
{
    struct Row {
        const char *name, *className, *container;
        int left, top, width, height; // in the window's content
        bool enabled, visible;
    };
    const Row table[] = {
        {"cvDropFile", "Canvas", "", -1, -1, 387, 319, true, true},
        {"DropFileLabel", "Label", "cvDropFile", 68, 96, 249, 30, true, true},
        {"stFilename", "Label", "cvDropFile", 86, 173, 213, 30, true, false},
        {"lbFileDetails", "Listbox", "cvDropFile", 3, 219, 379, 90, true, true},
        {"ChangeCreatedLabel", "Label", "", 36, 368, 75, 20, true, true},
        {"ChangeModifiedLabel", "Label", "", 36, 403, 75, 20, true, true},
        {"dcModifiedDate", "DateControl", "", 121, 403, 115, 23, false, true},
        {"tcModifiedTime", "TimeControl", "", 243, 403, 107, 23, false, true},
        {"dcCreatedDate", "DateControl", "", 121, 368, 115, 23, false, true},
        {"tcCreatedTime", "TimeControl", "", 243, 368, 107, 23, false, true},
        {"ckCreated", "CheckBox", "", 20, 367, 23, 23, false, true},
        {"qorStatusBar1", "qorStatusBar", "", -1, 446, 387, 43, true, true},
        {"pbChange", "PushButton", "qorStatusBar1", 240, 457, 126, 20, false, true},
        {"qorActionBar1", "qorActionBar", "", -1, 317, 387, 22, true, true},
        {"ckModified", "CheckBox", "", 20, 404, 23, 20, false, true},
        {"stCreatedReload", "Label", "", 355, 371, 18, 20, false, true},
        {"stModifiedReload", "Label", "", 355, 406, 18, 20, false, true},
    };
    ASSERT_EQ(window->Controls().size(), std::size(table));
    QWidget* content = window->ContentWidget();
    for (const Row& row : table) {
        SCOPED_TRACE(row.name);
        RectControl* control = window->_ControlByName(row.name);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->GetClassInfo().Name(), row.className);
        EXPECT_EQ(control->Parent() ? control->Parent()->Name() : "", row.container);
        QWidget* widget = control->NativeWidget();
        EXPECT_EQ(widget->parentWidget(), control->Parent() ? control->Parent()->NativeWidget() : content);
        EXPECT_EQ(QRect(widget->mapTo(content, QPoint(0, 0)), widget->size()),
                  QRect(row.left, row.top, row.width, row.height));
        EXPECT_EQ(control->Enabled(), row.enabled);
        EXPECT_EQ(widget->isVisibleTo(content), row.visible);
    }
}

TEST_F(MainWindowLayout, TabAndShiftTabWalkEveryControlRoundTheWindow)
{
    // An item loaded and a row armed: the list has rows and Change is on.
    TempFolder folder;
    window->run(std::make_shared<FolderItem>(folder.MakeFile("item.txt")));
    window->ckModified().SetValue(true);
    const std::vector<std::string> chain = {"lbFileDetails", "ckCreated",      "dcCreatedDate",  "tcCreatedTime",
                                            "ckModified",    "dcModifiedDate", "tcModifiedTime", "pbChange"};
    auto owner = [&](QWidget* widget) -> std::string {
        for (; widget; widget = widget->parentWidget())
            for (const auto& control : window->Controls())
                if (control->NativeWidget() == widget)
                    return control->Name();
        return "";
    };
    window->Handle()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window->Handle()));

    // The pickers take a Tab per section before the focus leaves them; the
    // walk ends once the focus is back in the list.
    for (const bool forward : {true, false}) {
        SCOPED_TRACE(forward ? "Tab" : "Shift+Tab");
        window->lbFileDetails().NativeWidget()->setFocus(Qt::TabFocusReason);
        ASSERT_TRUE(QTest::qWaitFor([&] { return owner(QApplication::focusWidget()) == "lbFileDetails"; }));
        std::vector<std::string> order = {"lbFileDetails"};
        for (int key = 0; key < 40 && (order.size() == 1 || order.back() != "lbFileDetails"); ++key) {
            QTest::keyClick(QApplication::focusWidget(), forward ? Qt::Key_Tab : Qt::Key_Backtab);
            if (const std::string now = owner(QApplication::focusWidget()); now != order.back())
                order.push_back(now);
        }
        std::vector<std::string> expected = chain;
        if (!forward)
            std::reverse(expected.begin() + 1, expected.end());
        expected.push_back("lbFileDetails");
        EXPECT_EQ(order, expected);
    }
}

// The main window as made while this translation is installed.
std::shared_ptr<MainWindow> MadeIn(QTranslator& translation)
{
    QCoreApplication::installTranslator(&translation);
    CloseAllWindows();
    auto made = implicit::MainWindow();
    QCoreApplication::removeTranslator(&translation);
    return made;
}

// The prompt is wider than its 249-pixel label at 20 pixels in some desktop
// fonts (DejaVu Sans among them), the German one by half: it is drawn
// smaller, whole and bold, with a clear column at each end, and no smaller
// than it needs to be.
TEST_F(MainWindowLayout, DropPromptShowsWholeInsideItsLabel)
{
    QTranslator german;
    ASSERT_TRUE(german.load(TEST_TRANSLATION_DE));
    const struct {
        QTranslator* translation;
        const char* prompt;
    } rows[] = {
        {nullptr, "Drop File or Folder here"},
        {&german, "Datei oder Ordner hierher ziehen"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.prompt);
        const auto shown = row.translation ? MadeIn(*row.translation) : window;
        const Label& prompt = shown->DropFileLabel();
        ASSERT_EQ(QFontInfo(prompt.NativeWidget()->font()).family(), "DejaVu Sans");
        EXPECT_EQ(prompt.Text(), row.prompt);
        EXPECT_EQ(prompt._ShownLine().text, row.prompt);
        EXPECT_TRUE(prompt._ShownLine().font.bold());

        const QImage image = shown->cvDropFile().Render();
        const QRect label(69, 97, 249, 30); // in the canvas, which starts at -1, -1
        int first = -1, last = -1;
        for (int x = 0; x < label.width(); ++x)
            for (int y = 0; y < label.height(); ++y)
                if (image.pixel(label.left() + x, label.top() + y) != 0xFFFFFFFF) {
                    first = first < 0 ? x : first;
                    last = x;
                }
        ASSERT_GE(first, 0) << "no text drawn";
        EXPECT_GE(first, 1);
        EXPECT_LE(last, label.width() - 2);
        EXPECT_LE(first, 10);
        EXPECT_GE(last, label.width() - 11);
    }
}

// Captions longer than their controls, as a German translation has them:
// the two row labels are drawn alike, at a readable size, each from its
// start; Change keeps its caption inside the button.
TEST_F(MainWindowLayout, LongTranslatedCaptionsStayReadableAndTheRowLabelsMatch)
{
    QTranslator german;
    ASSERT_TRUE(german.load(TEST_TRANSLATION_DE));
    const auto translated = MadeIn(german);

    const FittedLine created = translated->ChangeCreatedLabel()._ShownLine();
    const FittedLine modified = translated->ChangeModifiedLabel()._ShownLine();
    EXPECT_EQ(translated->ChangeCreatedLabel().Text(), "Erstellungsdatum:");
    EXPECT_EQ(created.font, modified.font);
    const int size = QFontInfo(translated->ChangeCreatedLabel().NativeWidget()->font()).pixelSize();
    EXPECT_GE(created.font.pixelSize(), ReadableFloor(size));
    for (const auto& [line, text] : {std::pair{created, "Erstellungsdatum:"}, {modified, "\xC3\x84nderungsdatum:"}})
        EXPECT_TRUE(QString::fromUtf8(text).startsWith(line.text.chopped(1))) << line.text.toStdString();
    const FittedLine change = translated->pbChange()._ShownCaption();
    EXPECT_GE(change.font.pixelSize(), ReadableFloor(size));
    EXPECT_TRUE(change.text.startsWith(QString::fromUtf8("\xC3\x84nderungen"))) << change.text.toStdString();
    translated->Close();
}

// The drop zone: nine dashes on rows 25 and 192 from x = 28, five on columns
// 26 and W - 35 from y = 25, each 15 long, 38 apart.
TEST_F(MainWindowLayout, DropZoneShowsItsDashedFrame)
{
    constexpr QRgb kWhite = 0xFFFFFFFF, kDash = 0xFFE9E9E9;
    const QImage image = window->cvDropFile().Render();
    ASSERT_EQ(image.size(), QSize(387, 319));
    EXPECT_EQ(image.pixel(200, 100), kWhite);
    for (int row : {25, 192}) {
        for (int x = 28; x <= 332; x += 38) {
            EXPECT_EQ(image.pixel(x, row), kDash) << x << "," << row;
            EXPECT_EQ(image.pixel(x + 15, row), kDash) << x + 15 << "," << row;
            EXPECT_EQ(image.pixel(x + 32, row), kWhite) << "gap at " << x + 32 << "," << row;
        }
        EXPECT_EQ(image.pixel(20, row), kWhite);
    }
    for (int column : {26, 352}) {
        for (int y = 25; y <= 177; y += 38) {
            EXPECT_EQ(image.pixel(column, y + 15), kDash) << column << "," << y + 15;
            EXPECT_EQ(image.pixel(column, y + 27), kWhite) << "gap at " << column << "," << y + 27;
        }
        EXPECT_EQ(image.pixel(column, 216), kWhite) << "no sixth dash";
    }
    // Whole dashes, as the 12-pixel square pen leaves them: one on the top
    // edge and one on the left edge, each 15 long plus the pen.
    auto dashIn = [&](const QRect& area) {
        QRect box;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                if (image.pixel(x, y) == kDash)
                    box |= QRect(x, y, 1, 1);
        return box;
    };
    EXPECT_EQ(dashIn(QRect(170, 15, 45, 30)), QRect(180, 25, 27, 12));
    EXPECT_EQ(dashIn(QRect(16, 92, 30, 45)), QRect(26, 101, 12, 27));
}

TEST_F(MainWindowLayout, DropZonePaintsOneFillAndItsDashesByTheCanvasWidth)
{
    // Width 63 still has a top and a bottom dash (28 = W - 35); 62 has none.
    for (const auto& [width, lines] : {std::pair{387, 28}, {63, 12}, {62, 10}}) {
        SCOPED_TRACE(width);
        std::vector<std::string> log;
        Picture picture(width, 319);
        picture.GetGraphics().SetCallLog(&log);
        window->cvDropFile_Paint(window->cvDropFile(), picture.GetGraphics(), {});
        picture.GetGraphics().SetCallLog(nullptr);
        auto count = [&](const std::string& prefix) {
            return std::count_if(log.begin(), log.end(), [&](const auto& call) { return call.rfind(prefix, 0) == 0; });
        };
        EXPECT_EQ(count("FillRect 0 0 " + std::to_string(width) + " 319"), 1);
        EXPECT_EQ(count("FillRect"), 1);
        EXPECT_EQ(count("DrawLine"), lines);
        EXPECT_EQ(count("DrawLine 28 192 43 192"), width >= 63 ? 1 : 0);
        EXPECT_EQ(count("DrawLine " + std::to_string(width - 35) + " 177 "), 1) << "the right edge at W - 35";
    }
}

TEST_F(MainWindowLayout, AWindowMadeAgainSharesTheMenuBarAndComesBackWhereTheUserLeftIt)
{
    const auto menuBar = window->MenuBar();
    ASSERT_NE(menuBar, nullptr);
    EXPECT_EQ(window->MenuBar(), _GetAppObject()->MenuBar());
    EXPECT_EQ(window->MenuBar(), std::static_pointer_cast<::MenuBar>(implicit::MainMenuBar()));
    const QPoint place(137, 91);
    ASSERT_NE(window->Handle()->pos(), place);
    window->Handle()->move(place);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->Handle()->pos() == place; }, 2000));

    CloseAllWindows();
    const auto again = implicit::MainWindow();
    EXPECT_NE(again, window);
    EXPECT_EQ(again->MenuBar(), menuBar) << "the menus are not built again";
    EXPECT_EQ(again->Handle()->pos(), place) << "the frame is restored";
}

} // namespace
