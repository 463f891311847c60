// The date rows of the real main window: edits arm a row, the boxes switch
// Change, Change writes exactly the armed date-times to the file shown, and
// the action bar's "+" and "-" and the reload arrows act as the user sees.
#include "MainWindowDriver.h"

#include "framework/CheckBox.h"
#include "framework/DateControl.h"
#include "framework/FolderItem.h"
#include "framework/Label.h"
#include "framework/Listbox.h"
#include "framework/PushButton.h"
#include "support/TestSupport.h"

#include <QTest>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <map>

using namespace driver;

namespace {

bool operator==(const timespec& a, const timespec& b)
{
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// The times Change must leave alone or may set. The content is checked
// apart, and last: reading it may move the access time.
struct FileSnapshot {
    FileTimes times;
    std::optional<std::int64_t> created;
};

std::optional<std::int64_t> Seconds(const std::optional<Date>& date)
{
    return date ? std::optional(date->SecondsSinceEpoch()) : std::nullopt;
}

class DateRows : public MainWindowTest {
protected:
    // A file with known content and times: access in 2001, modification on
    // 15 February 2025 10:00:00 and a fraction, which a write to the second
    // drops.
    std::string MakeLoadedFile(const std::string& name)
    {
        const std::string path = folder.MakeFile(name, "the content must survive\n");
        contentHash[path] = FileHash(path);
        SetTimes(path, LocalSeconds(2001, 1, 1, 12, 0, 0), 250000000, LocalSeconds(2025, 2, 15, 10, 0, 0),
                 700000000);
        window->run(std::make_shared<FolderItem>(path));
        return path;
    }

    static FileSnapshot Snapshot(const std::string& path)
    {
        FileSnapshot shot;
        shot.times = ReadTimes(path);
        shot.created = Seconds(FolderItem(path).CreationDate());
        return shot;
    }

    // Call after the last look at the times.
    void ExpectContentUnchanged(const std::string& path) { EXPECT_EQ(FileHash(path), contentHash.at(path)); }

    void PressChange() { QTest::mouseClick(window->pbChange().NativeWidget(), Qt::LeftButton); }

    // After Change, as after run: both rows disarmed, Change off.
    void ExpectDisarmed()
    {
        const DateArea area = ReadDateArea(*window);
        EXPECT_FALSE(area.creation.boxTicked);
        EXPECT_FALSE(area.modification.boxTicked);
        EXPECT_FALSE(area.creation.reloadEnabled);
        EXPECT_FALSE(area.modification.reloadEnabled);
        EXPECT_TRUE(area.creation.boxEnabled && area.modification.boxEnabled);
        EXPECT_TRUE(area.creation.pickersEnabled && area.modification.pickersEnabled);
        EXPECT_FALSE(area.changeEnabled);
    }

    std::string ModifiedRowText() { return DetailRows(*window).back().second; }

    TempFolder folder;
    std::map<std::string, QByteArray> contentHash;
};

std::string Text(const Date& date)
{
    return date.AbbreviatedDate() + " " + date.LongTime();
}

// --- Edits and boxes --------------------------------------------------------------

struct EditCase {
    const char* name;
    bool creationRow;
    bool datePicker;
};

void PrintTo(const EditCase& c, std::ostream* os)
{
    *os << c.name;
}

class DateRowsEdit : public DateRows, public ::testing::WithParamInterface<EditCase> {};

TEST_P(DateRowsEdit, AKeyPressInAPickerArmsOnlyItsRow)
{
    const EditCase& c = GetParam();
    MakeLoadedFile("edited.txt");
    const std::shared_ptr<FolderItem> item = window->last;
    const RowWidgets row = c.creationRow ? CreationRow(*window) : ModificationRow(*window);
    const Shown before = c.creationRow ? ShownCreation(*window) : ShownModification(*window);
    const Shown otherBefore = c.creationRow ? ShownModification(*window) : ShownCreation(*window);

    if (c.datePicker)
        StepYearUp(row.date);
    else
        StepSecondsUp(row.time);

    Shown expected = before;
    if (c.datePicker)
        ++expected.year;
    else
        expected.second = (expected.second + 1) % 60;
    EXPECT_EQ(c.creationRow ? ShownCreation(*window) : ShownModification(*window), expected);

    const DateArea area = ReadDateArea(*window);
    const RowState& edited = c.creationRow ? area.creation : area.modification;
    const RowState& other = c.creationRow ? area.modification : area.creation;
    EXPECT_TRUE(edited.boxTicked);
    EXPECT_TRUE(edited.reloadEnabled);
    EXPECT_FALSE(other.boxTicked);
    EXPECT_FALSE(other.reloadEnabled);
    EXPECT_TRUE(area.changeEnabled);
    EXPECT_EQ(c.creationRow ? ShownModification(*window) : ShownCreation(*window), otherBefore);
    EXPECT_EQ(window->last, item);
}

INSTANTIATE_TEST_SUITE_P(Pickers, DateRowsEdit,
                         ::testing::Values(EditCase{"CreationDate", true, true}, EditCase{"CreationTime", true, false},
                                           EditCase{"ModificationDate", false, true},
                                           EditCase{"ModificationTime", false, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(DateRows, ChangeIsOnExactlyWhileABoxIsTicked)
{
    MakeLoadedFile("boxes.txt");
    struct Step {
        const char* click; // the box clicked
        bool created, modified, change;
    };
    const Step steps[] = {
        {"created", true, false, true},  {"modified", true, true, true}, {"created", false, true, true},
        {"modified", false, false, false}, {"modified", false, true, true}, {"modified", false, false, false},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.click);
        Click(std::string(step.click) == "created" ? CreationRow(*window).box : ModificationRow(*window).box);
        const DateArea area = ReadDateArea(*window);
        EXPECT_EQ(area.creation.boxTicked, step.created);
        EXPECT_EQ(area.modification.boxTicked, step.modified);
        EXPECT_EQ(area.changeEnabled, step.change);
        // A box by hand arms without touching the reload arrows.
        EXPECT_FALSE(area.creation.reloadEnabled || area.modification.reloadEnabled);
    }
}

// --- Change on the file system -----------------------------------------------------

TEST_F(DateRows, ChangeWritesOnlyTheArmedModificationTimeToTheSecond)
{
    const std::string path = MakeLoadedFile("report.txt");
    const FileSnapshot before = Snapshot(path);
    const RowWidgets row = ModificationRow(*window);
    StepYearUp(row.date);
    StepSecondsUp(row.time);
    ASSERT_TRUE(window->pbChange().Enabled());

    PressChange();

    const FileSnapshot after = Snapshot(path);
    const std::int64_t written = LocalSeconds(2026, 2, 15, 10, 0, 1);
    EXPECT_EQ(after.times.modification.tv_sec, written);
    EXPECT_EQ(after.times.modification.tv_nsec, 0);
    EXPECT_TRUE(after.times.access == before.times.access);
    EXPECT_EQ(after.created, before.created);

    EXPECT_EQ(ModifiedRowText(), Text(Date::FromSecondsSinceEpoch(written)));
    EXPECT_EQ(ShownModification(*window), (Shown{2026, 2, 15, 10, 0, 1}));
    EXPECT_EQ(window->last->NativePathBytes(), path);
    ExpectDisarmed();
    ExpectContentUnchanged(path);
}

TEST_F(DateRows, OnlyTheCreationRowOnALinuxFileSystemLeavesTheFileAsItWas)
{
    const std::string path = MakeLoadedFile("birth.txt");
    const FileSnapshot before = Snapshot(path);
    PickCreation(*window, 2001, 1, 1, 12, 0, 0);
    ASSERT_TRUE(window->ckCreated().Value());
    ASSERT_FALSE(window->ckModified().Value());

    PressChange();

    // ext4, XFS, tmpfs... keep the birth time to themselves.
    const FileSnapshot after = Snapshot(path);
    EXPECT_TRUE(after.times.modification == before.times.modification);
    EXPECT_TRUE(after.times.access == before.times.access);
    EXPECT_EQ(after.created, before.created);
    // The re-read shows the truth, not the pick.
    if (before.created) {
        EXPECT_EQ(ShownCreation(*window), ShownOf(Date::FromSecondsSinceEpoch(*before.created)));
    }
    ExpectDisarmed();
    ExpectContentUnchanged(path);
}

TEST_F(DateRows, MonthLengthsNeverCarryThePickIntoTheNextMonth)
{
    // The written value is one Date whose fields are set one by one, from a
    // running value that may be on the 31st. Starting on 31 March, setting
    // February before the day must still give 15 February.
    Date running = LocalDate(2025, 3, 31, 8, 30, 0);
    running.SetYear(2025);
    running.SetMonth(2);
    running.SetDay(15);
    running.SetHour(10);
    running.SetMinute(0);
    running.SetSecond(0);
    EXPECT_EQ(running.SecondsSinceEpoch(), LocalSeconds(2025, 2, 15, 10, 0, 0));

    // Through the window: 15 February alone, then after a modification
    // date on the 31st with both rows armed.
    const std::string path = MakeLoadedFile("february.txt");
    const FileSnapshot before = Snapshot(path);
    PickModification(*window, 2025, 2, 15, 10, 0, 0);
    PressChange();
    EXPECT_EQ(ReadTimes(path).modification.tv_sec, LocalSeconds(2025, 2, 15, 10, 0, 0));

    PickModification(*window, 2025, 1, 31, 23, 59, 58);
    PickCreation(*window, 2025, 2, 15, 9, 30, 0);
    PressChange();
    const FileSnapshot after = Snapshot(path);
    EXPECT_EQ(after.times.modification.tv_sec, LocalSeconds(2025, 1, 31, 23, 59, 58));
    EXPECT_TRUE(after.times.access == before.times.access);
    EXPECT_EQ(after.created, before.created);
    ExpectDisarmed();
    ExpectContentUnchanged(path);
}

TEST_F(DateRows, ABoxTickedByHandWritesTheLoadedValues)
{
    const std::string path = MakeLoadedFile("as-loaded.txt");
    const FileSnapshot before = Snapshot(path);
    ASSERT_NE(before.times.modification.tv_nsec, 0);

    Click(ModificationRow(*window).box);
    ASSERT_TRUE(window->pbChange().Enabled());
    PressChange();

    // The same second, now without its fraction: the write did happen.
    const FileSnapshot after = Snapshot(path);
    EXPECT_EQ(after.times.modification.tv_sec, before.times.modification.tv_sec);
    EXPECT_EQ(after.times.modification.tv_nsec, 0);
    EXPECT_TRUE(after.times.access == before.times.access);
    ExpectDisarmed();
    ExpectContentUnchanged(path);
}

TEST_F(DateRows, AnArmedRowUntickedByHandIsNotWritten)
{
    const std::string path = MakeLoadedFile("unticked.txt");
    const FileSnapshot before = Snapshot(path);
    PickModification(*window, 2030, 6, 1, 8, 0, 0);
    PickCreation(*window, 2001, 1, 1, 12, 0, 0);
    Click(ModificationRow(*window).box);

    // The edit and its arrow stay; the other row keeps Change on.
    EXPECT_EQ(ShownModification(*window), (Shown{2030, 6, 1, 8, 0, 0}));
    EXPECT_TRUE(window->stModifiedReload().Enabled());
    EXPECT_TRUE(window->pbChange().Enabled());

    PressChange();
    EXPECT_TRUE(ReadTimes(path).modification == before.times.modification);
    EXPECT_EQ(ShownModification(*window), ShownOf(Date::FromTimespec(before.times.modification)));
    ExpectDisarmed();
    ExpectContentUnchanged(path);
}

TEST_F(DateRows, ANameThatIsNotUtf8IsWrittenAndNoSibling)
{
    // "café.txt" in Latin-1, beside the names it would turn into as text.
    const std::string latin1 = folder.MakeFile("caf\xE9.txt", "latin-1");
    const std::string replaced = folder.MakeFile("caf\xEF\xBF\xBD.txt", "replacement");
    const std::string utf8 = folder.MakeFile("caf\xC3\xA9.txt", "utf-8");
    const QByteArray latin1Hash = FileHash(latin1);
    const std::int64_t old = LocalSeconds(2020, 5, 5, 5, 5, 5);
    for (const std::string& path : {latin1, replaced, utf8})
        SetTimes(path, old, 0, old, 0);

    ASSERT_TRUE(Drop(*window, {latin1}));
    ASSERT_EQ(window->last->NativePathBytes(), latin1);
    EXPECT_EQ(DetailRows(*window)[0].second, "caf\xEF\xBF\xBD.txt");
    PickModification(*window, 2024, 12, 24, 18, 0, 0);
    PressChange();

    EXPECT_EQ(ReadTimes(latin1).modification.tv_sec, LocalSeconds(2024, 12, 24, 18, 0, 0));
    for (const std::string& sibling : {replaced, utf8}) {
        SCOPED_TRACE(sibling);
        EXPECT_EQ(ReadTimes(sibling).modification.tv_sec, old);
        EXPECT_EQ(ReadTimes(sibling).access.tv_sec, old);
    }
    EXPECT_EQ(ReadTimes(latin1).access.tv_sec, old);
    EXPECT_EQ(FileHash(latin1), latin1Hash);
}

TEST_F(DateRows, ARefusedWriteLeavesTheItemAsItWasAndShowsTheTruth)
{
    // A vanished item: the write fails, nothing is created in its place.
    const std::string gone = MakeLoadedFile("vanishing.txt");
    ASSERT_EQ(::unlink(gone.c_str()), 0);
    PickModification(*window, 2030, 1, 1, 0, 0, 0);
    PressChange();
    EXPECT_NE(::access(gone.c_str(), F_OK), 0);
    EXPECT_EQ(ModifiedRowText(), "Nil");
    ExpectDisarmed();

    // An immutable file, where the file system allows the flag.
    const std::string locked = MakeLoadedFile("locked.txt");
    const FileSnapshot before = Snapshot(locked);
    const int fd = ::open(locked.c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    int flags = 0;
    const bool immutable = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0
                           && (flags |= FS_IMMUTABLE_FL, ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0);
    if (!immutable) {
        ::close(fd);
        GTEST_SKIP() << "no immutable flag here (needs root and a file system that keeps it)";
    }
    PickModification(*window, 2030, 1, 1, 0, 0, 0);
    PressChange();
    const FileSnapshot after = Snapshot(locked);
    flags &= ~FS_IMMUTABLE_FL;
    (void)::ioctl(fd, FS_IOC_SETFLAGS, &flags);
    ::close(fd);

    EXPECT_TRUE(after.times.modification == before.times.modification);
    EXPECT_EQ(ShownModification(*window), ShownOf(Date::FromTimespec(before.times.modification)));
    EXPECT_EQ(ModifiedRowText(), Text(Date::FromTimespec(before.times.modification)));
    ExpectDisarmed();
    ExpectContentUnchanged(locked);
}

TEST_F(DateRows, ChangeWithNoBoxTickedWritesNothingAndReadsTheItemAgain)
{
    const std::string path = MakeLoadedFile("untouched.txt");
    // Changed behind the window's back: only a re-read can show it.
    const std::int64_t outside = LocalSeconds(2019, 9, 9, 9, 9, 9);
    SetTimes(path, outside, 0, outside, 0);
    window->pbChange_Action(window->pbChange());
    EXPECT_EQ(ReadTimes(path).modification.tv_sec, outside);
    EXPECT_EQ(ModifiedRowText(), Text(Date::FromSecondsSinceEpoch(outside)));

    // And with no item at all nothing is read or written.
    window->qorActionBar1_RemoveButtonClick(window->qorActionBar1());
    window->pbChange_Action(window->pbChange());
    EXPECT_EQ(window->last, nullptr);
    EXPECT_EQ(window->lbFileDetails().RowCount(), 0);
}

// --- Reload arrows -------------------------------------------------------------------

TEST_F(DateRows, AnEnabledArrowPutsTheItemsCurrentDateBackAndDisarmsItsRow)
{
    const std::string path = MakeLoadedFile("reload.txt");
    PickModification(*window, 2031, 3, 3, 3, 3, 3);
    PickCreation(*window, 2001, 1, 1, 12, 0, 0);
    // The file moves on meanwhile; the arrow reads it now.
    const std::int64_t now = LocalSeconds(2022, 2, 22, 22, 22, 22);
    SetTimes(path, now, 0, now, 0);

    QTest::mouseClick(ModificationRow(*window).reload, Qt::LeftButton);
    EXPECT_EQ(ShownModification(*window), ShownOf(Date::FromSecondsSinceEpoch(now)));
    DateArea area = ReadDateArea(*window);
    EXPECT_FALSE(area.modification.boxTicked);
    EXPECT_TRUE(area.modification.reloadEnabled);
    // The creation row is still armed, so Change stays on.
    EXPECT_TRUE(area.creation.boxTicked);
    EXPECT_TRUE(area.changeEnabled);
    EXPECT_EQ(ReadTimes(path).modification.tv_sec, now);

    QTest::mouseClick(CreationRow(*window).reload, Qt::LeftButton);
    area = ReadDateArea(*window);
    EXPECT_FALSE(area.creation.boxTicked);
    EXPECT_FALSE(area.changeEnabled);
    if (const auto created = FolderItem(path).CreationDate()) {
        EXPECT_EQ(ShownCreation(*window), ShownOf(*created));
    }

    // A reload on a row already disarmed restores the pickers and keeps Change.
    window->dcModifiedDate().SetYear(2040);
    QTest::mouseClick(ModificationRow(*window).reload, Qt::LeftButton);
    EXPECT_EQ(ShownModification(*window), ShownOf(Date::FromSecondsSinceEpoch(now)));
    EXPECT_FALSE(window->pbChange().Enabled());
    EXPECT_FALSE(window->stModifiedReload_MouseDown(window->stModifiedReload(), 1, 1));
}

TEST_F(DateRows, ADisabledArrowDoesNothing)
{
    // Before any item.
    const Shown start = ShownModification(*window);
    QTest::mouseClick(ModificationRow(*window).reload, Qt::LeftButton);
    QTest::mouseClick(CreationRow(*window).reload, Qt::LeftButton);
    EXPECT_EQ(ShownModification(*window), start);
    EXPECT_FALSE(window->stCreatedReload_MouseDown(window->stCreatedReload(), 0, 0));

    // Right after run, with the pickers set apart from the file without an
    // edit: the arrow must not bring them back.
    MakeLoadedFile("disabled.txt");
    window->dcModifiedDate().SetYear(2040);
    window->dcCreatedDate().SetYear(2040);
    ASSERT_FALSE(window->stModifiedReload().Enabled());
    QTest::mouseClick(ModificationRow(*window).reload, Qt::LeftButton);
    QTest::mouseClick(CreationRow(*window).reload, Qt::LeftButton);
    EXPECT_EQ(ShownModification(*window).year, 2040);
    EXPECT_EQ(ShownCreation(*window).year, 2040);
    EXPECT_FALSE(window->stModifiedReload_MouseDown(window->stModifiedReload(), 0, 0));

    // After "-", where there is no item behind it.
    window->qorActionBar1_RemoveButtonClick(window->qorActionBar1());
    QTest::mouseClick(ModificationRow(*window).reload, Qt::LeftButton);
    EXPECT_EQ(ShownModification(*window).year, 2040);
    EXPECT_FALSE(ReadDateArea(*window).modification.boxTicked);
}

// --- The action bar -----------------------------------------------------------------

// Action bar zones: "+" left of x 28, "-" from 29 to 58, both at 28.
constexpr int kPlusX = 10;
constexpr int kMinusX = 40;
constexpr int kBothX = 28;
constexpr int kBarY = 10;

TEST_F(DateRows, PlusCancelledKeepsTheEditTheBoxAndChange)
{
    const std::string path = MakeLoadedFile("kept.txt");
    PickModification(*window, 2033, 4, 4, 4, 4, 4);
    bool answered = false;
    AnswerNextOpenDialog("", &answered);
    ClickActionBar(*window, kPlusX, kBarY);
    EXPECT_TRUE(answered);

    EXPECT_EQ(window->last->NativePathBytes(), path);
    EXPECT_EQ(ShownModification(*window), (Shown{2033, 4, 4, 4, 4, 4}));
    const DateArea area = ReadDateArea(*window);
    EXPECT_TRUE(area.modification.boxTicked);
    EXPECT_TRUE(area.modification.reloadEnabled);
    EXPECT_TRUE(area.changeEnabled);
}

TEST_F(DateRows, PlusWithAChosenItemReplacesTheEdits)
{
    MakeLoadedFile("replaced.txt");
    PickModification(*window, 2033, 4, 4, 4, 4, 4);
    PickCreation(*window, 2001, 1, 1, 12, 0, 0);
    const std::string chosen = folder.MakeFile("chosen.txt", "chosen");
    const std::int64_t chosenTime = LocalSeconds(2018, 8, 18, 8, 18, 8);
    SetTimes(chosen, chosenTime, 0, chosenTime, 0);

    bool answered = false;
    AnswerNextOpenDialog(chosen, &answered);
    ClickActionBar(*window, kPlusX, kBarY);
    EXPECT_TRUE(answered);

    ASSERT_NE(window->last, nullptr);
    EXPECT_EQ(window->last->NativePathBytes(), chosen);
    EXPECT_EQ(ShownModification(*window), ShownOf(Date::FromSecondsSinceEpoch(chosenTime)));
    EXPECT_EQ(DetailRows(*window)[0].second, "chosen.txt");
    ExpectDisarmed();
}

struct MinusCase {
    const char* name;
    bool loaded;
    bool armed;
};

void PrintTo(const MinusCase& c, std::ostream* os)
{
    *os << c.name;
}

class DateRowsMinus : public DateRows, public ::testing::WithParamInterface<MinusCase> {};

TEST_P(DateRowsMinus, MinusForgetsTheItemAndDisablesTheDateArea)
{
    const MinusCase& c = GetParam();
    if (c.loaded)
        MakeLoadedFile("forgotten.txt");
    if (c.armed)
        PickModification(*window, 2034, 5, 5, 5, 5, 5);
    const Shown modifiedShown = ShownModification(*window);
    const Shown createdShown = ShownCreation(*window);

    ClickActionBar(*window, kMinusX, kBarY);

    EXPECT_EQ(window->last, nullptr);
    EXPECT_EQ(window->lbFileDetails().RowCount(), 0);
    const DateArea area = ReadDateArea(*window);
    for (const RowState& row : {area.creation, area.modification}) {
        EXPECT_FALSE(row.pickersEnabled);
        EXPECT_FALSE(row.boxEnabled);
        EXPECT_FALSE(row.boxTicked);
        EXPECT_FALSE(row.reloadEnabled);
    }
    EXPECT_FALSE(area.changeEnabled);
    // The pickers keep what they showed, edits included.
    EXPECT_EQ(ShownModification(*window), modifiedShown);
    EXPECT_EQ(ShownCreation(*window), createdShown);
}

INSTANTIATE_TEST_SUITE_P(States, DateRowsMinus,
                         ::testing::Values(MinusCase{"NoItem", false, false}, MinusCase{"ItemShown", true, false},
                                           MinusCase{"RowArmed", true, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(DateRows, OneReleaseOnBothButtonsOpensFirstThenForgets)
{
    MakeLoadedFile("first.txt");
    PickModification(*window, 2033, 4, 4, 4, 4, 4);
    const std::string chosen = folder.MakeFile("second.txt", "second");
    const std::int64_t chosenTime = LocalSeconds(2017, 7, 17, 7, 17, 7);
    SetTimes(chosen, chosenTime, 0, chosenTime, 0);

    bool answered = false;
    AnswerNextOpenDialog(chosen, &answered);
    ClickActionBar(*window, kBothX, kBarY);
    EXPECT_TRUE(answered);

    // The chosen item was loaded (its date is in the pickers) and then
    // forgotten.
    EXPECT_EQ(ShownModification(*window), ShownOf(Date::FromSecondsSinceEpoch(chosenTime)));
    EXPECT_EQ(window->last, nullptr);
    EXPECT_EQ(window->lbFileDetails().RowCount(), 0);
    const DateArea area = ReadDateArea(*window);
    EXPECT_FALSE(area.modification.pickersEnabled);
    EXPECT_FALSE(area.modification.boxEnabled);
    EXPECT_FALSE(area.changeEnabled);
}

} // namespace
