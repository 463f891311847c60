// The date rows of the real main window: edits arm a row, Change writes
// exactly the armed date-times to the file shown, and the reload arrows and
// the action bar's "+" and "-" act as the user sees.
#include "MainWindowDriver.h"

#include "framework/CheckBox.h"
#include "framework/DateControl.h"
#include "framework/FolderItem.h"
#include "framework/Label.h"
#include "framework/Listbox.h"
#include "framework/PushButton.h"
#include "framework/TimeControl.h"
#include "controls/qorActionBar.h"
#include "framework/CreationTime.h"
#include "support/LoopVolume.h"
#include "support/TestSupport.h"

#include <QDateTimeEdit>
#include <QMainWindow>
#include <QTest>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <optional>

using namespace driver;

namespace {

bool operator==(const timespec& a, const timespec& b)
{
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

class DateRows : public MainWindowTest {
protected:
    // A loaded file with known content and times: access in 2001,
    // modification on 15 February 2025 10:00:00 and a fraction.
    std::string MakeLoadedFile(const std::string& name)
    {
        const std::string path = folder.MakeFile(name, "the content must survive\n");
        hash = FileHash(path);
        SetTimes(path, LocalSeconds(2001, 1, 1, 12, 0, 0), 250000000, LocalSeconds(2025, 2, 15, 10, 0, 0), 700000000);
        window->run(std::make_shared<FolderItem>(path));
        return path;
    }

    // Of the file loaded last. Call it last: reading may move the access time.
    void ExpectContentUnchanged(const std::string& path) { EXPECT_EQ(FileHash(path), hash); }

    static void Click(RectControl& control) { QTest::mouseClick(control.NativeWidget(), Qt::LeftButton); }
    void PressChange() { Click(window->pbChange()); }
    std::string ModifiedRowText() { return DetailRows(*window).back().second; }

    TempFolder folder;
    QByteArray hash;
};

// --- Change on the file system -------------------------------------------------

TEST_F(DateRows, ChangeWritesOnlyTheArmedRowToTheSecondAndLeavesTheRestAlone)
{
    DateArea ticked = Loaded();
    ticked.modification.boxTicked = ticked.changeEnabled = true; // by hand: the arrow stays off
    const struct {
        const char* name;
        void (*arm)(MainWindow&);
        DateArea armed;
        std::optional<std::int64_t> written; // the modification time, else left as it was
        const char* listed;
        std::int64_t now = 0; // what the clock says while Change runs, 0 for the real time
    } cases[] = {
        {"keys in the modification row",
         [](MainWindow& w) {
             StepUp(w.dcModifiedDate().NativeWidget(), QDateTimeEdit::YearSection);
             StepUp(w.tcModifiedTime().NativeWidget(), QDateTimeEdit::SecondSection);
         },
         Loaded(false, true), LocalSeconds(2026, 2, 15, 10, 0, 1), "15 Feb 2026 10:00:01"},
        // The loaded value goes back as it was, fraction and all.
        {"the modification box ticked by hand", [](MainWindow& w) { Click(w.ckModified()); }, ticked,
         std::nullopt, "15 Feb 2025 10:00:00"},
        // ext4, XFS, tmpfs... keep the birth time to themselves.
        {"a key in the creation row",
         [](MainWindow& w) { StepUp(w.dcCreatedDate().NativeWidget(), QDateTimeEdit::YearSection); },
         Loaded(true, false), std::nullopt, "15 Feb 2025 10:00:00"},
        // The written value starts from the current date: on the 31st, a month
        // set before the day must not carry it into March.
        {"15 February picked on the 31st", [](MainWindow& w) { PickModification(w, 2025, 2, 15, 11, 22, 33); },
         Loaded(false, true), LocalSeconds(2025, 2, 15, 11, 22, 33), "15 Feb 2025 11:22:33",
         LocalSeconds(2025, 3, 31, 8, 30, 0)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = MakeLoadedFile("report.txt");
        const FileTimes before = ReadTimes(path);
        const auto created = FolderItem(path).CreationDate();
        c.arm(*window);
        ASSERT_EQ(ReadDateArea(*window), c.armed);

        std::optional<FakeNow> now;
        if (c.now) {
            now.emplace(c.now);
            ASSERT_EQ(Date().Day(), 31) << "the fake clock is in force";
        }
        PressChange();
        now.reset();

        const FileTimes after = ReadTimes(path);
        if (c.written) {
            EXPECT_EQ(after.modification.tv_sec, *c.written);
            EXPECT_EQ(after.modification.tv_nsec, 0);
        } else {
            EXPECT_TRUE(after.modification == before.modification);
        }
        EXPECT_TRUE(after.access == before.access);
        // The list and the pickers show what the file holds now, both rows disarmed.
        EXPECT_EQ(ModifiedRowText(), c.listed);
        EXPECT_EQ(ShownModification(*window), ShownOf(after.modification.tv_sec));
        if (created) {
            EXPECT_EQ(ShownCreation(*window), ShownOf(created->SecondsSinceEpoch()));
        }
        EXPECT_EQ(ReadDateArea(*window), Loaded());
        ExpectContentUnchanged(path);
    }
}

TEST_F(DateRows, ARepeatedHourIsWrittenAsTheOccurrenceTheRowShowed)
{
    // 02:30 runs twice on 26 October 2025 in Berlin and on 6 April 2025 in Sydney.
    const std::pair<const char*, std::int64_t> cases[] = {
        {"Europe/Berlin", 1761438600},    // CEST
        {"Europe/Berlin", 1761442200},    // CET
        {"Australia/Sydney", 1743867000}, // AEDT
        {"Australia/Sydney", 1743870600}, // AEST
        {"right/Europe/Berlin", 1761438627}, // CEST, counting leap seconds
        {"right/Europe/Berlin", 1761442227}, // CET
    };
    for (const auto& [zoneName, loaded] : cases) {
        for (int up : {0, 1}) { // the box ticked by hand, or one second up
            SCOPED_TRACE(testing::Message() << zoneName << " " << loaded << " +" << up);
            const ScopedTimeZone zone(zoneName);
            const std::string path = folder.MakeFile("autumn.txt");
            SetTimes(path, loaded, 0, loaded, 0);
            window->run(std::make_shared<FolderItem>(path));
            ASSERT_EQ(ShownModification(*window), ShownOf(loaded));
            if (up)
                StepUp(window->tcModifiedTime().NativeWidget(), QDateTimeEdit::SecondSection);
            else
                Click(window->ckModified());
            PressChange();
            EXPECT_EQ(ReadTimes(path).modification.tv_sec, loaded + up);
        }
    }
}

// Where a row's item lives: the test's own folder (times any file system
// holds), a tmpfs (any year; /dev/shm needs no privilege) or an NTFS volume
// (a creation date of the user's own; mounting needs root). Each place runs
// as a test of its own, so a place that cannot be had skips alone.
enum class Place { Folder, Tmpfs, Ntfs };

class DateRowsIn : public DateRows, public ::testing::WithParamInterface<Place> {
protected:
    std::string CreatedRowText() { return DetailRows(*window).end()[-2].second; }
};

TEST_P(DateRowsIn, AnUneditedRowLeavesTheTimeExactlyAndOneThePickersCannotShowIsOff)
{
    const struct {
        Place place;
        bool created; // the row whose time is given; else the modification row
        const char* zone;
        timespec time;
        const char* listed;
        bool editable; // else the pickers hold only the years 100 to 9999
    } cases[] = {
        {Place::Folder, false, "Europe/Berlin", {1761442200, 123456789}, "26 Oct 2025 02:30:00", true},
        {Place::Folder, false, "right/Europe/Berlin", {1761442200, 0}, "26 Oct 2025 02:29:33", true},
        {Place::Tmpfs, false, "Europe/Berlin", {-5364662401, 877000000}, "1 Jan 1800 00:53:27", true}, // -5364662400.123
        {Place::Tmpfs, false, "Europe/Berlin", {-60574996800, 0}, "15 Jun 0050 12:53:28", false},
        {Place::Tmpfs, false, "Europe/Berlin", {400000000000, 0}, "30 Jun 14645 17:06:40", false},
        {Place::Tmpfs, false, "Pacific/Kiritimati", {253402257600, 0}, "1 Jan 10000 02:00:00", false},
        {Place::Ntfs, true, "Europe/Berlin", {1761442200, 123456700}, "26 Oct 2025 02:30:00", true},
        {Place::Ntfs, true, "Europe/Berlin", {400000000000, 0}, "30 Jun 14645 17:06:40", false},
        {Place::Ntfs, true, "Pacific/Kiritimati", {253402257600, 0}, "1 Jan 10000 02:00:00", false},
    };
    std::optional<TmpfsFolder> tmpfs;
    std::optional<LoopVolume> ntfs;
    if (GetParam() == Place::Tmpfs && !tmpfs.emplace().IsValid())
        GTEST_SKIP() << tmpfs->Problem();
    if (GetParam() == Place::Ntfs && !ntfs.emplace(VolumeType::Ntfs).Ready())
        GTEST_SKIP() << "no NTFS volume: " << ntfs->Problem();
    for (const auto& c : cases) {
        if (c.place != GetParam())
            continue;
        SCOPED_TRACE(testing::Message() << c.zone << " " << c.time.tv_sec << (c.created ? " created" : " modified"));
        const ScopedTimeZone zone(c.zone);
        const std::string path = tmpfs ? tmpfs->MakeFile("dated.txt", "dated")
                                 : ntfs ? ntfs->Path("dated.txt")
                                        : folder.MakeFile("dated.txt", "dated");
        ::close(::open(path.c_str(), O_WRONLY | O_CREAT, 0644));
        // The modification time first: ntfs-3g would lose one set after the creation time.
        const timespec modified = c.created ? timespec{kFebruary15, 0} : c.time;
        SetTimes(path, kJanuary2001, 0, modified.tv_sec, modified.tv_nsec);
        if (c.created) {
            ASSERT_TRUE(SetNtfsCreationTicks(path, FileTime::FromTimespec(c.time)));
        }
        const std::optional<timespec> created = ReadCreationTime(path);
        struct stat before {};
        ASSERT_EQ(::stat(path.c_str(), &before), 0);
        window->run(std::make_shared<FolderItem>(path));
        EXPECT_EQ(c.created ? CreatedRowText() : ModifiedRowText(), c.listed);
        DateArea loaded = Loaded();
        if (!c.editable)
            (c.created ? loaded.creation : loaded.modification) = {};
        ASSERT_EQ(ReadDateArea(*window), loaded);

        // Ticked without an edit, or beside the other row: nothing moves, not
        // even the change time.
        CheckBox& box = c.created ? window->ckCreated() : window->ckModified();
        CheckBox& otherBox = c.created ? window->ckModified() : window->ckCreated();
        ::usleep(20000);
        Click(c.editable ? box : otherBox);
        PressChange();
        struct stat after {};
        ASSERT_EQ(::stat(path.c_str(), &after), 0);
        EXPECT_TRUE(after.st_mtim == modified) << after.st_mtim.tv_sec << "." << after.st_mtim.tv_nsec;
        EXPECT_TRUE(after.st_atim == before.st_atim && after.st_ctim == before.st_ctim);
        const std::optional<timespec> createdAfter = ReadCreationTime(path);
        EXPECT_EQ(created.has_value(), createdAfter.has_value());
        if (created && createdAfter) {
            EXPECT_TRUE(*createdAfter == *created) << createdAfter->tv_sec << "." << createdAfter->tv_nsec;
        }
        EXPECT_EQ(c.created ? CreatedRowText() : ModifiedRowText(), c.listed);
        EXPECT_EQ(ReadDateArea(*window), loaded);
        // An edit is written as picked, to the second.
        if (c.editable) {
            StepUp((c.created ? window->tcCreatedTime() : window->tcModifiedTime()).NativeWidget(),
                   QDateTimeEdit::SecondSection);
            PressChange();
            const timespec edited{c.time.tv_sec + 1, 0};
            EXPECT_TRUE((c.created ? ReadCreationTime(path).value_or(timespec{}) : ReadTimes(path).modification)
                        == edited);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Places, DateRowsIn, ::testing::Values(Place::Folder, Place::Tmpfs, Place::Ntfs),
                         [](const ::testing::TestParamInfo<Place>& info) {
                             return info.param == Place::Folder ? "Folder"
                                    : info.param == Place::Tmpfs ? "Tmpfs"
                                                                 : "Ntfs";
                         });

TEST_F(DateRows, AnArrowThatFindsADateThePickersCannotShowTurnsItsRowOff)
{
    TmpfsFolder tmpfs;
    if (!tmpfs.IsValid())
        GTEST_SKIP() << tmpfs.Problem();
    const std::string path = tmpfs.MakeFile("later.txt");
    window->run(std::make_shared<FolderItem>(path));
    StepUp(window->dcModifiedDate().NativeWidget(), QDateTimeEdit::YearSection);
    SetTimes(path, kJanuary2001, 0, 400000000000, 0);
    Click(window->stModifiedReload());
    DateArea modificationOff = Loaded();
    modificationOff.modification = {};
    EXPECT_EQ(ReadDateArea(*window), modificationOff);
    EXPECT_EQ(ShownModification(*window), (Shown{9999, 6, 30, 17, 6, 40})); // the year held to 9999
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
    PickModification(*window, 2024, 12, 24, 18, 0, 0);
    PressChange();

    EXPECT_EQ(ReadTimes(latin1).modification.tv_sec, LocalSeconds(2024, 12, 24, 18, 0, 0));
    EXPECT_EQ(ReadTimes(latin1).access.tv_sec, old);
    for (const std::string& sibling : {replaced, utf8})
        EXPECT_EQ(ReadTimes(sibling).modification.tv_sec, old) << sibling;
    EXPECT_EQ(FileHash(latin1), latin1Hash);
}

TEST_F(DateRows, AWriteToAVanishedItemCreatesNothingAndShowsNil)
{
    const std::string gone = MakeLoadedFile("vanishing.txt");
    ASSERT_EQ(::unlink(gone.c_str()), 0);
    PickModification(*window, 2030, 1, 1, 0, 0, 0);
    PressChange();
    EXPECT_NE(::access(gone.c_str(), F_OK), 0);
    EXPECT_EQ(ModifiedRowText(), "Nil");
    EXPECT_EQ(ReadDateArea(*window), Loaded());
}

TEST_F(DateRows, ARefusedWriteLeavesTheItemAsItWasAndShowsTheTruth)
{
    // An immutable file, where the file system allows the flag.
    const std::string locked = MakeLoadedFile("locked.txt");
    const FileTimes before = ReadTimes(locked);
    const int fd = ::open(locked.c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    int flags = 0;
    const bool got = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (!got || (flags |= FS_IMMUTABLE_FL, ::ioctl(fd, FS_IOC_SETFLAGS, &flags)) != 0) {
        ::close(fd);
        GTEST_SKIP() << "no immutable flag here (needs root and a file system that keeps it)";
    }
    PickModification(*window, 2030, 1, 1, 0, 0, 0);
    PressChange();
    const FileTimes after = ReadTimes(locked);
    flags &= ~FS_IMMUTABLE_FL;
    (void)::ioctl(fd, FS_IOC_SETFLAGS, &flags);
    ::close(fd);

    EXPECT_TRUE(after.modification == before.modification);
    EXPECT_EQ(ShownModification(*window), ShownOf(before.modification.tv_sec));
    EXPECT_EQ(ModifiedRowText(), "15 Feb 2025 10:00:00");
    EXPECT_EQ(ReadDateArea(*window), Loaded());
    ExpectContentUnchanged(locked);
}

TEST_F(DateRows, ReturnInAnUneditedPickerArmsNothingAndInAnEditedOneRunsChange)
{
    const std::string path = MakeLoadedFile("return.txt");
    window->Handle()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window->Handle()));
    const FileTimes before = ReadTimes(path);
    for (RectControl* picker : std::initializer_list<RectControl*>{&window->dcCreatedDate(), &window->tcCreatedTime(),
                                                                   &window->dcModifiedDate(), &window->tcModifiedTime()}) {
        picker->NativeWidget()->setFocus();
        QTest::keyClick(picker->NativeWidget(), Qt::Key_Return);
        EXPECT_EQ(ReadDateArea(*window), Loaded()) << picker->Name();
    }
    EXPECT_TRUE(ReadTimes(path).modification == before.modification) << "nothing written, the fraction kept";

    // Change is the window's default button: Return in the edited picker writes the row.
    StepUp(window->tcModifiedTime().NativeWidget(), QDateTimeEdit::SecondSection);
    QTest::keyClick(window->tcModifiedTime().NativeWidget(), Qt::Key_Return);
    EXPECT_EQ(ReadTimes(path).modification.tv_sec, LocalSeconds(2025, 2, 15, 10, 0, 1));
    EXPECT_EQ(ReadDateArea(*window), Loaded());
}

// --- Reload arrows ----------------------------------------------------------------

TEST_F(DateRows, AnArrowPutsTheItemsCurrentDateBackOnlyWhileEnabled)
{
    // Disabled before any item, and right after run with the pickers set
    // apart from the file without an edit. A disabled widget gets no press,
    // so the handlers are asked too.
    std::string path;
    for (bool loaded : {false, true}) {
        SCOPED_TRACE(loaded ? "after run" : "no item");
        if (loaded)
            path = MakeLoadedFile("reload.txt");
        window->dcModifiedDate().SetYear(2040);
        window->dcCreatedDate().SetYear(2040);
        const DateArea area = ReadDateArea(*window);
        Click(window->stModifiedReload());
        Click(window->stCreatedReload());
        EXPECT_FALSE(window->stModifiedReload_MouseDown(window->stModifiedReload(), 0, 0));
        EXPECT_FALSE(window->stCreatedReload_MouseDown(window->stCreatedReload(), 0, 0));
        EXPECT_EQ(ShownModification(*window).year, 2040);
        EXPECT_EQ(ShownCreation(*window).year, 2040);
        EXPECT_EQ(ReadDateArea(*window), area);
    }

    // Enabled by edits; the file moves on meanwhile and the arrow reads it now.
    PickModification(*window, 2031, 3, 3, 3, 3, 3);
    PickCreation(*window, 2001, 1, 1, 12, 0, 0);
    const std::int64_t now = LocalSeconds(2022, 2, 22, 22, 22, 22);
    SetTimes(path, now, 0, now, 0);
    Click(window->stModifiedReload());
    EXPECT_EQ(ShownModification(*window), ShownOf(now));
    DateArea expected = Loaded(true, false);
    expected.modification.reloadEnabled = true; // the arrow stays on
    EXPECT_EQ(ReadDateArea(*window), expected);
    EXPECT_EQ(ReadTimes(path).modification.tv_sec, now) << "nothing written";

    Click(window->stCreatedReload());
    EXPECT_FALSE(window->ckCreated().Value());
    EXPECT_FALSE(window->pbChange().Enabled());
    if (const auto created = FolderItem(path).CreationDate()) {
        EXPECT_EQ(ShownCreation(*window), ShownOf(created->SecondsSinceEpoch()));
    }
}

// --- The action bar: "+" left of x 28, "-" from 29 to 58, both at 28 --------------

TEST_F(DateRows, PlusOpensAndMinusForgetsWhateverTheRowsHold)
{
    const std::string other = folder.MakeFile("chosen.txt", "chosen");
    const std::int64_t otherTime = LocalSeconds(2018, 8, 18, 8, 18, 8);
    SetTimes(other, otherTime, 0, otherTime, 0);
    enum Dialog { NoDialog, Cancel, Choose };
    enum Last { TheShownOne, TheChosenOne, Nothing };
    const struct {
        const char* name;
        bool armed; // an item shown and both rows armed, else nothing shown
        int x;
        Dialog dialog;
        Last last;
        DateArea area;
    } cases[] = {
        {"minus with nothing shown", false, 40, NoDialog, Nothing, kForgotten},
        {"plus cancelled", true, 10, Cancel, TheShownOne, Loaded(true, true)},
        {"plus with an item chosen", true, 10, Choose, TheChosenOne, Loaded()},
        {"minus with a row armed", true, 40, NoDialog, Nothing, kForgotten},
        {"both: opens first, then forgets", true, 28, Choose, Nothing, kForgotten},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string shown = c.armed ? MakeLoadedFile("shown.txt") : "";
        if (c.armed) {
            PickModification(*window, 2033, 4, 4, 4, 4, 4);
            PickCreation(*window, 2032, 3, 3, 3, 3, 3);
        }
        const Shown modified = ShownModification(*window), created = ShownCreation(*window);
        bool answered = false;
        if (c.dialog != NoDialog)
            AnswerNextOpenDialog(c.dialog == Choose ? other : "", &answered);

        QWidget* bar = window->qorActionBar1().NativeWidget();
        QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(c.x, 10));
        QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(c.x, 10));

        EXPECT_EQ(answered, c.dialog != NoDialog);
        EXPECT_EQ(window->last ? window->last->NativePathBytes() : "",
                  c.last == TheShownOne ? shown : c.last == TheChosenOne ? other : "");
        EXPECT_EQ(window->lbFileDetails().RowCount() == 0, c.last == Nothing);
        EXPECT_EQ(ReadDateArea(*window), c.area);
        // The pickers keep what they showed, edits included, unless an item was loaded.
        if (c.dialog == Choose) {
            EXPECT_EQ(ShownModification(*window), ShownOf(otherTime));
        } else {
            EXPECT_EQ(ShownModification(*window), modified);
            EXPECT_EQ(ShownCreation(*window), created);
        }
    }
}

} // namespace
