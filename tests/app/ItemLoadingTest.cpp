// Loading an item into the real main window: drops, run's end state, the
// details list and its size and date texts, and the window frame.
#include "MainWindowDriver.h"

#include "app/App.h"
#include "framework/Application.h"
#include "framework/FolderItem.h"
#include "framework/Listbox.h"
#include "support/TestSupport.h"

#include <QMainWindow>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>

using namespace driver;

namespace {

// Functions, not constants: Date must not be used before its own statics
// are set up.
std::int64_t February15()
{
    return LocalSeconds(2025, 2, 15, 10, 0, 0);
}

std::int64_t January2001()
{
    return LocalSeconds(2001, 1, 1, 12, 0, 0);
}

class ItemLoading : public MainWindowTest {
protected:
    // Puts the window in a state that run must undo: an item shown and both
    // rows armed by edits.
    void ArmBothRowsOn(const std::string& path)
    {
        window->run(std::make_shared<FolderItem>(path));
        StepYearUp(CreationRow(*window).date);
        StepSecondsUp(ModificationRow(*window).time);
        const DateArea armed = ReadDateArea(*window);
        ASSERT_TRUE(armed.creation.boxTicked && armed.modification.boxTicked && armed.changeEnabled);
        ASSERT_TRUE(armed.creation.reloadEnabled && armed.modification.reloadEnabled);
    }

    void ExpectLoadedState(const std::string& path)
    {
        const DateArea area = ReadDateArea(*window);
        for (const RowState& row : {area.creation, area.modification}) {
            EXPECT_TRUE(row.pickersEnabled);
            EXPECT_TRUE(row.boxEnabled);
            EXPECT_FALSE(row.boxTicked);
            EXPECT_FALSE(row.reloadEnabled);
        }
        EXPECT_FALSE(area.changeEnabled);
        ASSERT_NE(window->last, nullptr);
        EXPECT_EQ(window->last->NativePathBytes(), path);
    }

    TempFolder folder;
};

std::string Text(const std::optional<Date>& date)
{
    return date ? date->AbbreviatedDate() + " " + date->LongTime() : "Nil";
}

// --- run's end state, item by item ---------------------------------------------

enum class Kind { File, EmptyFile, Folder, Vanished };

struct LoadCase {
    const char* name;
    Kind kind;
    std::int64_t rows;
    const char* size; // nullptr: no size row
};

void PrintTo(const LoadCase& c, std::ostream* os)
{
    *os << c.name;
}

class ItemLoadingByKind : public ItemLoading, public ::testing::WithParamInterface<LoadCase> {};

TEST_P(ItemLoadingByKind, RunLeavesTheLoadedStateAndTheItemsRows)
{
    const LoadCase& c = GetParam();
    const std::string before = folder.MakeFile("before.txt", "earlier item");
    ArmBothRowsOn(before);
    const Shown creationBefore = ShownCreation(*window);
    const Shown modificationBefore = ShownModification(*window);

    std::string path;
    switch (c.kind) {
    case Kind::File:
        path = folder.MakeFile("notes.txt", QByteArray(1536, 'n'));
        break;
    case Kind::EmptyFile:
        path = folder.MakeFile("empty.txt");
        break;
    case Kind::Folder:
        path = folder.Path("archive");
        ASSERT_EQ(::mkdir(path.c_str(), 0755), 0);
        break;
    case Kind::Vanished:
        path = folder.MakeFile("gone.txt", "soon gone");
        ASSERT_EQ(::unlink(path.c_str()), 0);
        break;
    }
    if (c.kind != Kind::Vanished)
        SetTimes(path, January2001(), 0, February15(), 0);
    auto item = std::make_shared<FolderItem>(path);
    window->run(item);

    ExpectLoadedState(path);
    EXPECT_EQ(window->last, item);

    Rows expected = {{"Filename:", item->Name()}, {"Path:", path}};
    if (c.size)
        expected.emplace_back("File size:", c.size);
    expected.emplace_back("Created:", Text(item->CreationDate()));
    expected.emplace_back("Modified:", c.kind == Kind::Vanished ? "Nil" : Text(Date::FromSecondsSinceEpoch(February15())));
    EXPECT_EQ(DetailRows(*window), expected);
    ASSERT_EQ(window->lbFileDetails().RowCount(), c.rows);

    Listbox& list = window->lbFileDetails();
    for (std::int64_t row = 0; row < list.RowCount(); ++row) {
        EXPECT_TRUE(list.CellBold(row, 0)) << row;
        EXPECT_FALSE(list.CellBold(row, 1)) << row;
    }
    EXPECT_EQ(list.CellHelpTag(1, 1), path);
    EXPECT_EQ(list.CellHelpTag(0, 1), "");

    if (c.kind == Kind::Vanished) {
        // Nothing to show: the pickers keep what they showed.
        EXPECT_EQ(DetailRows(*window)[2].second, "Nil");
        EXPECT_EQ(ShownCreation(*window), creationBefore);
        EXPECT_EQ(ShownModification(*window), modificationBefore);
    } else {
        EXPECT_EQ(ShownModification(*window), ShownOf(Date::FromSecondsSinceEpoch(February15())));
        if (const auto created = item->CreationDate()) {
            EXPECT_EQ(ShownCreation(*window), ShownOf(*created));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Items, ItemLoadingByKind,
                         ::testing::Values(LoadCase{"File", Kind::File, 5, "1.5 KB"},
                                           LoadCase{"ZeroLengthFile", Kind::EmptyFile, 4, nullptr},
                                           LoadCase{"Folder", Kind::Folder, 4, nullptr},
                                           LoadCase{"VanishedItem", Kind::Vanished, 4, nullptr}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ItemLoading, LoadingTheSameItemTwiceGivesTheSameState)
{
    const std::string path = folder.MakeFile("twice.txt", QByteArray(2048, 't'));
    auto item = std::make_shared<FolderItem>(path);
    window->run(item);
    const Rows rows = DetailRows(*window);
    const Shown created = ShownCreation(*window);
    const Shown modified = ShownModification(*window);

    window->run(item);
    EXPECT_EQ(DetailRows(*window), rows);
    EXPECT_EQ(rows[2], (std::pair<std::string, std::string>{"File size:", "2 KB"}));
    EXPECT_EQ(ShownCreation(*window), created);
    EXPECT_EQ(ShownModification(*window), modified);
    ExpectLoadedState(path);
}

// --- Drops --------------------------------------------------------------------

TEST_F(ItemLoading, DropsLoadEachFileItemInTurnAndShowTheLast)
{
    const std::string one = folder.MakeFile("one.txt", "1");
    const std::string two = folder.MakeFile("two.txt", "22");
    const std::string three = folder.MakeFile("three.txt", "333");

    EXPECT_TRUE(Drop(*window, {one}));
    ExpectLoadedState(one);
    EXPECT_EQ(DetailRows(*window)[0].second, "one.txt");

    ArmBothRowsOn(two);
    EXPECT_TRUE(Drop(*window, {one, two, three}));
    ExpectLoadedState(three);
    EXPECT_EQ(DetailRows(*window)[0].second, "three.txt");
    EXPECT_EQ(DetailRows(*window)[2].second, "3 Byte");

    // A trailing dragged item without a file leaves the last file shown.
    EXPECT_TRUE(Drop(*window, {three, two, "http://example.invalid/page"}));
    ExpectLoadedState(two);
}

TEST_F(ItemLoading, ADropWithoutAFileItemChangesNothing)
{
    const std::string shown = folder.MakeFile("shown.txt", "x");
    ArmBothRowsOn(shown);
    const Rows rows = DetailRows(*window);
    const Shown modified = ShownModification(*window);
    const std::shared_ptr<FolderItem> item = window->last;

    EXPECT_FALSE(Drop(*window, {"http://example.invalid/a", "http://example.invalid/b"}));

    EXPECT_EQ(window->last, item);
    EXPECT_EQ(DetailRows(*window), rows);
    EXPECT_EQ(ShownModification(*window), modified);
    const DateArea area = ReadDateArea(*window);
    EXPECT_TRUE(area.creation.boxTicked);
    EXPECT_TRUE(area.modification.boxTicked);
    EXPECT_TRUE(area.changeEnabled);
}

TEST_F(ItemLoading, AFolderDropIsAcceptedAndLoaded)
{
    const std::string path = folder.Path("drawer");
    ASSERT_EQ(::mkdir(path.c_str(), 0755), 0);
    EXPECT_TRUE(Drop(*window, {path}));
    ExpectLoadedState(path);
    EXPECT_EQ(DetailRows(*window).size(), 4u);
}

// --- Texts ----------------------------------------------------------------------

struct SizeCase {
    const char* name;
    std::uint64_t length;
    const char* text;
};

void PrintTo(const SizeCase& c, std::ostream* os)
{
    *os << c.name;
}

class ItemLoadingSizeText : public ItemLoading, public ::testing::WithParamInterface<SizeCase> {};

TEST_P(ItemLoadingSizeText, GivesTheNumberAndUnitOfTheLength)
{
    const SizeCase& c = GetParam();
    const std::string path = folder.MakeFile("sized.bin");
    // Sparse, so the large ones take no room.
    ASSERT_EQ(::truncate(path.c_str(), static_cast<off_t>(c.length)), 0);
    EXPECT_EQ(window->getFileSize(std::make_shared<FolderItem>(path)), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Lengths, ItemLoadingSizeText,
    ::testing::Values(SizeCase{"Zero", 0, "0 Byte"}, SizeCase{"JustBelowAKilobyte", 1023, "1023 Byte"},
                      SizeCase{"OneKilobyte", 1024, "1 KB"}, SizeCase{"AndAHalf", 1536, "1.5 KB"},
                      SizeCase{"JustBelowAMegabyte", 1048575, "1023.9990234375 KB"},
                      SizeCase{"OneMegabyte", 1048576, "1 MB"},
                      SizeCase{"JustBelowAGigabyte", 1073741823, "1023.99999904633 MB"},
                      SizeCase{"OneGigabyte", 1073741824, "1 GB"},
                      SizeCase{"FiveGigabytes", 5 * 1073741824ULL, "5 GB"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ItemLoading, SizeTextOfNoItemOrAMissingOneIsEmpty)
{
    EXPECT_EQ(window->getFileSize(nullptr), "");
    EXPECT_EQ(window->getFileSize(std::make_shared<FolderItem>(folder.Path("missing.bin"))), "");
}

TEST_F(ItemLoading, DateTextIsTheAbbreviatedDateAndTheLongTimeOrNil)
{
    EXPECT_EQ(window->formatDate(std::nullopt), "Nil");
    // LANG C.UTF-8, pinned by the test run.
    EXPECT_EQ(window->formatDate(Date::FromSecondsSinceEpoch(February15())), "15 Feb 2025 10:00:00");
    EXPECT_EQ(window->formatDate(Date::FromSecondsSinceEpoch(January2001() + 9)), "1 Jan 2001 12:00:09");
}

// --- Window frame ---------------------------------------------------------------

TEST_F(ItemLoading, TheFrameComesBackWhereTheUserLeftItOnTheNextStart)
{
    for (const QPoint place : {QPoint(137, 91), QPoint(211, 57)}) {
        window->Handle()->move(place);
        ASSERT_TRUE(QTest::qWaitFor([&] { return window->Handle()->pos() == place; }, 2000));
        CloseAllWindows();
        window = OpenMainWindow();
        EXPECT_EQ(window->Handle()->pos(), place);
    }

    // A place on no screen is not restored: the window would be out of reach.
    const QPoint lost(20000, 20000);
    window->Handle()->move(lost);
    // The platform may keep the window on screen by itself; either way the
    // place must not come back.
    (void)QTest::qWaitFor([&] { return window->Handle()->pos() == lost; }, 500);
    CloseAllWindows();
    window = OpenMainWindow();
    EXPECT_NE(window->Handle()->pos(), lost);
}

TEST_F(ItemLoading, OpeningWithoutTheApplicationObjectRaisesNilObjectAndAcceptsNoDrops)
{
    CloseAllWindows();
    // An application object that is not the program's own: the accessor
    // finds none.
    _RuntimeRegisterAppObject(std::make_shared<Application>());
    ASSERT_EQ(implicit::App(), nullptr);
    window = OpenMainWindow();
    const std::vector<std::string> caught = exceptions->Take();
    PrepareStartup();

    ASSERT_EQ(caught.size(), 1u);
    EXPECT_EQ(caught[0].rfind("NilObjectException: ", 0), 0u) << caught[0];
    // Open stopped before declaring what it accepts.
    EXPECT_FALSE(Drop(*window, {folder.MakeFile("refused.txt")}));
    EXPECT_EQ(window->last, nullptr);
}

} // namespace
