// Loading items into the real main window by drops: the state it leaves,
// the details list and its size and date texts.
#include "MainWindowDriver.h"

#include "framework/FolderItem.h"
#include "framework/Listbox.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QClipboard>
#include <QMainWindow>
#include <QTableWidget>
#include <QTest>
#include <QTextLayout>

#include <algorithm>
#include <atomic>
#include <thread>

#include <sys/stat.h>
#include <unistd.h>

using namespace driver;

namespace {

// What the pickers show before any item, from the window's design-time lists.
constexpr Shown kStartValue{2017, 1, 1, 0, 0, 0};

class ItemLoading : public MainWindowTest {
protected:
    // Shows an item and arms both rows, a state that loading must undo.
    void ShowArmed(const std::string& name)
    {
        window->run(std::make_shared<FolderItem>(folder.MakeFile(name, "earlier")));
        PickCreation(*window, 2003, 3, 3, 3, 3, 3);
        PickModification(*window, 2004, 4, 4, 4, 4, 4);
        ASSERT_EQ(ReadDateArea(*window), Loaded(true, true));
    }

    TempFolder folder;
};

TEST_F(ItemLoading, EachKindOfItemLeavesTheLoadedStateAndItsRows)
{
    enum Kind { File, EmptyFile, Folder, Vanished };
    const struct {
        Kind kind;
        const char* name;
        const char* size; // nullptr: no size row
    } cases[] = {{File, "notes.txt", "1.5 KB"}, {EmptyFile, "empty.txt", nullptr}, {Folder, "archive", nullptr},
                 {Vanished, "gone.txt", nullptr}};
    const std::int64_t february15 = LocalSeconds(2025, 2, 15, 10, 0, 0);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ShowArmed(std::string("before-") + c.name);

        const std::string path = folder.Path(c.name);
        if (c.kind == Folder)
            ASSERT_EQ(::mkdir(path.c_str(), 0755), 0);
        else
            folder.MakeFile(c.name, QByteArray(c.kind == File ? 1536 : 0, 'n'));
        if (c.kind == Vanished)
            ASSERT_EQ(::unlink(path.c_str()), 0);
        else
            SetTimes(path, LocalSeconds(2001, 1, 1, 12, 0, 0), 0, february15, 0);
        const std::optional<Date> created = FolderItem(path).CreationDate();

        EXPECT_TRUE(Drop(*window, {path}));

        EXPECT_EQ(ReadDateArea(*window), Loaded());
        ASSERT_NE(window->last, nullptr);
        EXPECT_EQ(window->last->NativePathBytes(), path);
        Rows expected = {{"Filename:", c.name}, {"Path:", path}};
        if (c.size)
            expected.emplace_back("File size:", c.size);
        expected.emplace_back("Created:", c.kind == Vanished ? "Nil" : window->formatDate(created));
        expected.emplace_back("Modified:", c.kind == Vanished ? "Nil" : "15 Feb 2025 10:00:00");
        EXPECT_EQ(DetailRows(*window), expected);
        EXPECT_EQ(window->lbFileDetails().CellHelpTag(1, 1), path);
        EXPECT_TRUE(window->lbFileDetails().CellBold(1, 0) && !window->lbFileDetails().CellBold(1, 1));

        if (c.kind == Vanished) {
            // No dates: the pickers show their start values, not the last item's.
            EXPECT_EQ(ShownCreation(*window), kStartValue);
            EXPECT_EQ(ShownModification(*window), kStartValue);
        } else {
            EXPECT_EQ(ShownModification(*window), ShownOf(february15));
            if (created) {
                EXPECT_EQ(ShownCreation(*window), ShownOf(created->SecondsSinceEpoch()));
            }
        }
    }
}

TEST_F(ItemLoading, AMissingCreationDateShowsTheStartValueInItsRow)
{
    // procfs reports no birth time on every kernel.
    const FolderItem proc("/proc");
    ASSERT_FALSE(proc.CreationDate());
    const std::optional<Date> modified = proc.ModificationDate();
    ASSERT_TRUE(modified);
    ShowArmed("dated.txt");

    EXPECT_TRUE(Drop(*window, {"/proc"}));
    EXPECT_EQ(ShownCreation(*window), kStartValue);
    EXPECT_EQ(ShownModification(*window), ShownOf(modified->SecondsSinceEpoch()));
    EXPECT_EQ(DetailRows(*window)[2], (std::pair<std::string, std::string>("Created:", "Nil")));
    EXPECT_EQ(ReadDateArea(*window), Loaded());
}

TEST_F(ItemLoading, ADropLoadsEachFileItemInTurnAndShowsTheLastOrIsRefusedWithoutOne)
{
    const std::string one = folder.MakeFile("one.txt", "1");
    const std::string two = folder.MakeFile("two.txt", "22");
    const std::string three = folder.MakeFile("three.txt", "333");

    EXPECT_TRUE(Drop(*window, {one}));
    EXPECT_EQ(DetailRows(*window)[0].second, "one.txt");
    // The same item again gives the same state.
    const Rows rows = DetailRows(*window);
    const Shown created = ShownCreation(*window), modified = ShownModification(*window);
    EXPECT_TRUE(Drop(*window, {one}));
    EXPECT_EQ(DetailRows(*window), rows);
    EXPECT_EQ(ShownCreation(*window), created);
    EXPECT_EQ(ShownModification(*window), modified);
    EXPECT_EQ(ReadDateArea(*window), Loaded());

    ShowArmed("armed.txt");
    // A trailing dragged item without a file leaves the last file shown.
    EXPECT_TRUE(Drop(*window, {one, two, three, "http://example.invalid/page"}));
    EXPECT_EQ(ReadDateArea(*window), Loaded());
    EXPECT_EQ(window->last->NativePathBytes(), three);
    EXPECT_EQ(DetailRows(*window)[0].second, "three.txt");
    EXPECT_EQ(DetailRows(*window)[2].second, "3 Byte");

    // A drop without any file item is refused and changes nothing.
    ShowArmed("armed-again.txt");
    const Rows armedRows = DetailRows(*window);
    const Shown armedModified = ShownModification(*window);
    EXPECT_FALSE(Drop(*window, {"http://example.invalid/a", "http://example.invalid/b"}));
    EXPECT_EQ(DetailRows(*window), armedRows);
    EXPECT_EQ(ShownModification(*window), armedModified);
    EXPECT_EQ(ReadDateArea(*window), Loaded(true, true));
}

// Where each word of a line starts when it is laid out left to right.
std::vector<qreal> WordStarts(const QString& text)
{
    QTextLayout layout(text);
    QTextOption option;
    option.setTextDirection(Qt::LeftToRight);
    layout.setTextOption(option);
    layout.beginLayout();
    const QTextLine line = layout.createLine();
    layout.endLayout();
    std::vector<qreal> starts;
    for (int i = 0; i < text.size(); ++i) {
        if (!text[i].isSpace() && (i == 0 || text[i - 1].isSpace()))
            starts.push_back(line.cursorToX(i));
    }
    return starts;
}

bool HasDirectionMark(const QString& text)
{
    return text.contains(QChar(0x200E)) || text.contains(QChar(0x200F)) || text.contains(QChar(0x061C));
}

TEST_F(ItemLoading, DatesAndNamesAreDrawnInReadingOrderAndCopiedWithoutMarks)
{
    // The list draws a date from left to right, each part (day, month, year,
    // time) right of the one before, while the cell, and so what Copy takes,
    // holds the date alone. A name of two right-to-left words is one phrase
    // read from right to left.
    const std::string name = "\u05e9\u05dc\u05d5\u05dd \u05e2\u05d5\u05dc\u05dd"; // two Hebrew words
    const std::string path = folder.MakeFile(name);
    SetTimes(path, kFebruary15, 0, kFebruary15, 0);
    auto* list = static_cast<QTableWidget*>(window->lbFileDetails().NativeWidget());
    window->Handle()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window->Handle()));
    const QLocale saved;
    for (const char* locale : {"en_GB", "de_DE", "he_IL", "ar_EG", "fa_IR", "ur_PK"}) {
        SCOPED_TRACE(locale);
        QLocale::setDefault(QLocale(QString::fromLatin1(locale)));
        window->run(std::make_shared<FolderItem>(path));
        const std::int64_t modified = window->lbFileDetails().RowCount() - 1;
        const QString cell = QString::fromStdString(window->lbFileDetails().Cell(modified, 1));
        EXPECT_EQ(cell.toStdString(), window->formatDate(Date::FromSecondsSinceEpoch(kFebruary15)));
        EXPECT_FALSE(HasDirectionMark(cell)) << cell.toStdString();

        const QString drawn = QString::fromStdString(window->lbFileDetails()._ShownCell(modified, 1));
        const std::vector<qreal> starts = WordStarts(drawn);
        EXPECT_TRUE(std::is_sorted(starts.begin(), starts.end()) && std::adjacent_find(starts.begin(), starts.end()) == starts.end())
            << drawn.toStdString();
        EXPECT_EQ(starts.size(), std::size_t(cell.count(QLatin1Char(' ')) + 1));
        const std::vector<qreal> words = WordStarts(QString::fromStdString(window->lbFileDetails()._ShownCell(0, 1)));
        ASSERT_EQ(words.size(), 2u);
        EXPECT_GT(words[0], words[1]) << "the first word stands right of the second";

        list->setFocus();
        list->setCurrentCell(int(modified), 1);
        QApplication::clipboard()->clear();
        QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
        EXPECT_EQ(QApplication::clipboard()->text(), cell);
    }
    QLocale::setDefault(saved);
}

TEST_F(ItemLoading, TheListAndThePickersShowOneReadWhileAnotherProgramChangesTheItem)
{
    // Another program moves the modification time back and forth all the
    // while; each load must still list the time its pickers show.
    const std::string path = folder.MakeFile("busy.txt");
    const std::int64_t times[] = {kFebruary15, kFebruary15 + 7};
    SetTimes(path, times[1], 0, times[1], 0);
    std::atomic<bool> stop = false;
    std::atomic<int> touches = 0;
    std::thread toucher([&] {
        for (std::size_t i = 0; !stop; ++i, ++touches)
            SetTimes(path, times[i % 2], 0, times[i % 2], 0);
    });
    while (touches < 100)
        std::this_thread::yield();
    int mixed = 0;
    for (int load = 0; load < 40; ++load) {
        window->run(std::make_shared<FolderItem>(path));
        const std::int64_t shown = ShownModification(*window) == ShownOf(times[0]) ? times[0] : times[1];
        const std::int64_t modified = window->lbFileDetails().RowCount() - 1;
        mixed += window->lbFileDetails().Cell(modified, 1) != window->formatDate(Date::FromSecondsSinceEpoch(shown));
    }
    stop = true;
    toucher.join();
    EXPECT_EQ(mixed, 0) << "loads whose list and pickers disagree";
}

TEST_F(ItemLoading, SizeTextIsTheNumberAndUnitOfTheLength)
{
    const std::pair<std::uint64_t, const char*> table[] = {
        {0, "0 Byte"},
        {1023, "1023 Byte"},
        {1024, "1 KB"},
        {1536, "1.5 KB"},
        {1048575, "1023.9990234375 KB"},
        {1048576, "1 MB"},
        {1073741823, "1023.99999904633 MB"},
        {1073741824, "1 GB"},
        {5 * 1073741824ULL, "5 GB"},
    };
    const std::string path = folder.MakeFile("sized.bin");
    for (const auto& [length, text] : table) {
        // Sparse, so the large ones take no room.
        ASSERT_EQ(::truncate(path.c_str(), static_cast<off_t>(length)), 0);
        EXPECT_EQ(window->getFileSize(std::make_shared<FolderItem>(path)), text) << length;
    }
    EXPECT_EQ(window->getFileSize(std::make_shared<FolderItem>(folder.Path("missing.bin"))), "");
}

} // namespace
