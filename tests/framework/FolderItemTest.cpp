// FolderItem on a temporary folder: dates read and written to the second,
// and items that are missing, special or read-only; on ext4, NTFS, FAT and
// exFAT volumes, dates they hold at their own step and dates they cannot
// hold.
#include "framework/CreationTime.h"
#include "framework/FolderItem.h"

#include "support/LoopVolume.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <future>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr std::int64_t kOldAccess = 1600000000;
constexpr std::int64_t kOldModified = 1650000000;

struct stat Stat(const std::string& path, bool follow = true)
{
    struct stat info{};
    EXPECT_EQ(follow ? ::stat(path.c_str(), &info) : ::lstat(path.c_str(), &info), 0) << path;
    return info;
}

// Known times with a fraction, so that an untouched time can be told from a
// rewritten one.
void SetOldTimes(const std::string& path)
{
    const timespec times[2] = {{kOldAccess, 123456789}, {kOldModified, 987654321}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << path;
}

bool operator==(const timespec& a, const timespec& b)
{
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

Date At(std::int64_t seconds) { return Date::FromSecondsSinceEpoch(seconds); }

class FolderItemTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_folder.IsValid()); }
    TempFolder m_folder;
};

TEST_F(FolderItemTest, ModificationTimeIsWrittenToTheSecondAndNothingElseChanges)
{
    const std::string file = m_folder.MakeFile("report.txt", "quarterly figures\n");
    const std::string folder = m_folder.Path("photos");
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    // A symbolic link is followed: the times are its target's.
    const std::string link = m_folder.Path("shortcut");
    ASSERT_EQ(::symlink(m_folder.MakeFile("target.txt", "twelve bytes").c_str(), link.c_str()), 0);
    for (const std::string& path : {file, folder, link}) {
        SCOPED_TRACE(path);
        const QByteArray hash = FileHash(path); // before the old times: reading moves the access time
        SetOldTimes(path);
        FolderItem item(path);
        EXPECT_EQ(Seconds(item.ModificationDate()), kOldModified);

        item.SetModificationDate(At(kFebruary15));
        EXPECT_EQ(item.LastWriteError(), "");
        EXPECT_EQ(Seconds(item.ModificationDate()), kFebruary15); // read again, not remembered
        const struct stat after = Stat(path);
        EXPECT_EQ(after.st_mtim.tv_sec, kFebruary15);
        EXPECT_EQ(after.st_mtim.tv_nsec, 0);
        EXPECT_EQ(after.st_atim.tv_sec, kOldAccess);
        EXPECT_EQ(after.st_atim.tv_nsec, 123456789);
        EXPECT_EQ(FileHash(path), hash);
    }
    EXPECT_EQ(FolderItem(file).Length(), 18u);
    EXPECT_EQ(FolderItem(link).Length(), 12u);
    EXPECT_NE(Stat(link, false).st_mtim.tv_sec, kFebruary15) << "the link's own time was written";
}

TEST_F(FolderItemTest, ADateReadFromTheItemGoesBackExactlyWithoutMovingTheChangeTime)
{
    // A fraction, also before 1970 (-141840000.123); and a nanosecond later.
    for (const timespec& time : {timespec{1761442200, 123456789}, timespec{-141840001, 877000000}}) {
        SCOPED_TRACE(time.tv_sec);
        const std::string path = m_folder.MakeFile("exact.txt");
        const timespec times[2] = {{kOldAccess, 0}, time};
        ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
        const struct stat before = Stat(path);
        FolderItem item(path);
        const std::optional<Date> read = item.ModificationDate();
        ASSERT_TRUE(read);
        ::usleep(20000); // so that a write would show in the change time
        item.SetModificationDate(*read);
        EXPECT_EQ(item.LastWriteError(), "");
        const struct stat after = Stat(path);
        EXPECT_TRUE(after.st_mtim == time) << after.st_mtim.tv_sec << "." << after.st_mtim.tv_nsec;
        EXPECT_TRUE(after.st_ctim == before.st_ctim) << "written again";

        const timespec later{time.tv_sec, time.tv_nsec + 1};
        item.SetModificationDate(Date::FromTimespec(later));
        EXPECT_TRUE(Stat(path).st_mtim == later);
    }
}

TEST_F(FolderItemTest, NameThatIsNotUtf8ReachesThatItemAndNoOther)
{
    const std::string latin1 = m_folder.MakeFile("caf\xE9.txt", "latin");
    const std::string utf8 = m_folder.MakeFile("caf\xC3\xA9.txt", "utf-8");
    SetOldTimes(latin1);
    SetOldTimes(utf8);

    FolderItem item(latin1);
    EXPECT_EQ(item.Name(), "caf\xEF\xBF\xBD.txt"); // U+FFFD for the stray byte
    EXPECT_EQ(item.NativePathBytes(), latin1);
    item.SetModificationDate(At(kFebruary15));
    EXPECT_EQ(item.LastWriteError(), "");

    EXPECT_EQ(Stat(latin1).st_mtim.tv_sec, kFebruary15);
    EXPECT_EQ(Stat(utf8).st_mtim.tv_sec, kOldModified);
}

TEST_F(FolderItemTest, ItemThatIsNotThereHasNoDatesAndAWriteRaisesNothingAndCreatesNothing)
{
    const std::string gone = m_folder.MakeFile("gone.txt", "soon gone");
    FolderItem vanished(gone);
    ASSERT_TRUE(vanished.Exists());
    ASSERT_EQ(::unlink(gone.c_str()), 0);
    const std::string missing = m_folder.Path("never-made.txt");
    ASSERT_EQ(::symlink(missing.c_str(), m_folder.Path("dangling").c_str()), 0);
    FolderItem dangling(m_folder.Path("dangling"));
    // The system would read "plan\0.txt" as "plan".
    const std::string plan = m_folder.MakeFile("plan");
    SetOldTimes(plan);
    FolderItem withNul(plan + std::string("\0.txt", 5));

    for (FolderItem* item : {&vanished, &dangling, &withNul}) {
        SCOPED_TRACE(item->Name());
        EXPECT_FALSE(item->Exists());
        EXPECT_EQ(item->Length(), 0u);
        EXPECT_FALSE(item->CreationDate());
        EXPECT_FALSE(item->ModificationDate());
        EXPECT_NO_THROW(item->SetModificationDate(At(kFebruary15)));
        EXPECT_NE(item->LastWriteError(), "");
        EXPECT_NO_THROW(item->SetCreationDate(At(kFebruary15)));
        EXPECT_NE(item->LastWriteError(), "");
    }
    EXPECT_EQ(vanished.LastWriteError(), std::strerror(ENOENT));
    EXPECT_NE(::access(gone.c_str(), F_OK), 0) << "created";
    EXPECT_NE(::access(missing.c_str(), F_OK), 0) << "created";
    EXPECT_EQ(Stat(plan).st_mtim.tv_sec, kOldModified);
}

TEST_F(FolderItemTest, FifoIsReadAndWrittenWithoutBeingOpened)
{
    const std::string path = m_folder.Path("pipe");
    ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0);
    // Off the test's thread: if a member opens the FIFO and blocks, opening
    // the other end after the timeout lets it go, and the test fails instead
    // of hanging.
    std::future<void> done = std::async(std::launch::async, [&] {
        FolderItem item(path);
        EXPECT_TRUE(item.Exists());
        (void)item.CreationDate();
        item.SetCreationDate(At(kFebruary15));
        item.SetModificationDate(At(kFebruary15));
        EXPECT_EQ(item.LastWriteError(), "");
        EXPECT_EQ(Seconds(item.ModificationDate()), kFebruary15);
    });
    const bool finished = done.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
    if (!finished) {
        const int fd = ::open(path.c_str(), O_RDWR | O_NONBLOCK);
        done.wait();
        ::close(fd);
    }
    EXPECT_TRUE(finished) << "a FolderItem member opened the FIFO";
}

TEST_F(FolderItemTest, ReadOnlyItemKeepsItsDatesWithoutAnException)
{
    TmpfsMount mount(m_folder.Path("ro"));
    if (!mount.Mounted())
        GTEST_SKIP() << "cannot mount a tmpfs here (mounting needs root)";
    const std::string path = m_folder.MakeFile("ro/frozen.txt", "frozen");
    SetOldTimes(path);
    ASSERT_TRUE(mount.MakeReadOnly());

    FolderItem item(path);
    const std::optional<std::int64_t> created = Seconds(item.CreationDate());
    EXPECT_NO_THROW(item.SetModificationDate(At(kFebruary15)));
    EXPECT_EQ(item.LastWriteError(), std::strerror(EROFS));
    EXPECT_NO_THROW(item.SetCreationDate(At(kFebruary15)));
    EXPECT_NE(item.LastWriteError(), "");
    EXPECT_EQ(Seconds(item.ModificationDate()), kOldModified);
    EXPECT_EQ(Seconds(item.CreationDate()), created);
}

TEST_F(FolderItemTest, CreationDateIsLeftAloneWhereTheFileSystemCannotStoreIt)
{
    TmpfsFolder tmpfs;
    std::vector<std::string> paths{m_folder.MakeFile("local.txt", "x")}; // ext4 on the build machine
    if (tmpfs.IsValid())
        paths.push_back(tmpfs.MakeFile("memory.txt", "y"));
    for (const std::string& path : paths) {
        SCOPED_TRACE(path);
        SetOldTimes(path);
        FolderItem item(path);
        const std::optional<std::int64_t> created = Seconds(item.CreationDate());
        EXPECT_NO_THROW(item.SetCreationDate(At(kJanuary2001)));
        EXPECT_EQ(item.LastWriteError(), kCreationTimeNotStorable);
        EXPECT_EQ(Seconds(item.CreationDate()), created);
        EXPECT_NE(created, kJanuary2001);
        EXPECT_EQ(Seconds(item.ModificationDate()), kOldModified);

        item.SetModificationDate(At(kJanuary2001)); // a write that works clears the reason
        EXPECT_EQ(item.LastWriteError(), "");
    }
}

// 15 February at 09:00 UTC in other years, and the ends of what ext4 (with
// 256-byte inodes) and NTFS hold.
constexpr std::int64_t k1500 = -14827849200, k1850 = -3782905200, k1975 = 161686800, k2500 = 16729146000;
constexpr std::int64_t kExt4First = -2147483648; // 1901-12-13 20:45:52 UTC
constexpr std::int64_t kExt4Last = 15032385535;  // 2446-05-10 22:38:55 UTC
constexpr std::int64_t kNtfsFirst = -11644473600; // 1601-01-01 00:00:00 UTC

class FolderItemOnVolumes : public ::testing::TestWithParam<VolumeType> {};

TEST_P(FolderItemOnVolumes, ATimeCountsAsWrittenOnlyAtTheVolumesStepElseBothDatesStayExactlyAsTheyWere)
{
    // A volume clamps a time it cannot hold without refusing it, however
    // close: ext4 makes 20:45:50 and 20:45:51 its first second, 20:45:52.
    // What it keeps is the time cut to its step (FAT: even seconds, NTFS:
    // 100 ns ticks, exFAT whole seconds here), or nothing changes (nullopt).
    // exfat-fuse is left out of the last row: it reports a time before 1980
    // as kept until it lets the item go, and writes 1980 to the disk.
    const struct {
        VolumeType type;
        timespec asked;
        std::optional<timespec> kept;
        const char* driver = nullptr; // only through this one
    } cases[] = {
        {VolumeType::Ext4, {kFebruary15, 123456789}, timespec{kFebruary15, 123456789}},
        {VolumeType::Ext4, {kExt4First, 0}, timespec{kExt4First, 0}},
        {VolumeType::Ext4, {kExt4First - 2, 0}, std::nullopt},
        {VolumeType::Ext4, {kExt4First - 1, 0}, std::nullopt},
        {VolumeType::Ext4, {k1850, 0}, std::nullopt},
        {VolumeType::Ext4, {kExt4Last, 0}, timespec{kExt4Last, 0}},
        {VolumeType::Ext4, {kExt4Last, 500000000}, std::nullopt},
        {VolumeType::Ext4, {kExt4Last + 1, 0}, std::nullopt},
        {VolumeType::Ext4, {k2500, 0}, std::nullopt},
        {VolumeType::Ntfs, {kFebruary15, 123456789}, timespec{kFebruary15, 123456700}},
        {VolumeType::Ntfs, {kNtfsFirst, 0}, timespec{kNtfsFirst, 0}},
        {VolumeType::Ntfs, {kNtfsFirst - 1, 0}, std::nullopt},
        {VolumeType::Ntfs, {k1500, 0}, std::nullopt},
        {VolumeType::Ntfs, {k1850, 0}, timespec{k1850, 0}},
        {VolumeType::Ntfs, {k2500, 0}, timespec{k2500, 0}},
        {VolumeType::Fat, {kFebruary15 + 1, 0}, timespec{kFebruary15, 0}},
        {VolumeType::Fat, {kFebruary15 + 3, 500000000}, timespec{kFebruary15 + 2, 0}},
        {VolumeType::Fat, {k1975, 0}, std::nullopt},
        {VolumeType::Exfat, {kFebruary15 + 1, 0}, timespec{kFebruary15 + 1, 0}},
        {VolumeType::Exfat, {k1975, 0}, std::nullopt, "exfat"},
    };
    LoopVolume volume(GetParam());
    if (!volume.Ready())
        GTEST_SKIP() << "no volume: " << volume.Problem();
    std::vector<std::pair<std::string, struct stat>> expected;
    for (const auto& c : cases) {
        if (c.type != GetParam() || (c.driver && volume.Driver() != c.driver))
            continue;
        const std::string path = volume.Path("dated-" + std::to_string(expected.size()));
        ::close(::open(path.c_str(), O_WRONLY | O_CREAT, 0644));
        SCOPED_TRACE(testing::Message() << volume.Driver().toStdString() << " " << c.asked.tv_sec << "."
                                        << c.asked.tv_nsec);
        SetOldTimes(path);
        const struct stat before = Stat(path);
        const std::optional<timespec> created = ReadCreationTime(path);
        const Date date = Date::FromTimespec(c.asked);

        FolderItem item(path);
        item.SetModificationDate(date);
        EXPECT_EQ(item.LastWriteError().empty(), c.kept.has_value()) << item.LastWriteError();
        const struct stat after = Stat(path);
        EXPECT_TRUE(after.st_atim == before.st_atim);
        const timespec mtime = c.kept.value_or(before.st_mtim);
        EXPECT_TRUE(after.st_mtim == mtime) << after.st_mtim.tv_sec << "." << after.st_mtim.tv_nsec;
        if (GetParam() == VolumeType::Ntfs) {
            item.SetCreationDate(date);
            EXPECT_EQ(item.LastWriteError().empty(), c.kept.has_value()) << item.LastWriteError();
            const std::optional<timespec> now = ReadCreationTime(path);
            ASSERT_TRUE(created && now);
            EXPECT_TRUE(*now == c.kept.value_or(*created)) << now->tv_sec << "." << now->tv_nsec;
        }
        expected.emplace_back(path, after);
    }
    // From the disk, not the driver's memory.
    ASSERT_TRUE(volume.Remount());
    for (const auto& [path, times] : expected)
        EXPECT_TRUE(Stat(path).st_mtim == times.st_mtim) << path;
}

std::string VolumeName(const ::testing::TestParamInfo<VolumeType>& info)
{
    static const char* const names[] = {"Ntfs", "Ext4", "Fat", "Exfat"};
    return names[static_cast<int>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(Volumes, FolderItemOnVolumes,
                         ::testing::Values(VolumeType::Ext4, VolumeType::Ntfs, VolumeType::Fat, VolumeType::Exfat),
                         VolumeName);

} // namespace
