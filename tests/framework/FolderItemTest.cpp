#include "framework/CreationTime.h"
#include "framework/FolderItem.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <future>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr std::int64_t kFebruary15 = 1739610000; // 2025-02-15 10:00:00 CET
constexpr std::int64_t kJanuary2001 = 978346800; // 2001-01-01 12:00:00 CET
constexpr std::int64_t kOldAccess = 1600000000;
constexpr std::int64_t kOldModified = 1650000000;

struct stat Stat(const std::string& path, bool follow = true)
{
    struct stat info{};
    EXPECT_EQ(follow ? ::stat(path.c_str(), &info) : ::lstat(path.c_str(), &info), 0) << path;
    return info;
}

bool Present(const std::string& path)
{
    struct stat info{};
    return ::lstat(path.c_str(), &info) == 0;
}

// Known times with a fraction, so that an untouched time can be told from a
// rewritten one.
void SetOldTimes(const std::string& path, int flags = 0)
{
    const timespec times[2] = {{kOldAccess, 123456789}, {kOldModified, 987654321}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, flags), 0) << path;
}

std::optional<std::int64_t> Seconds(const std::optional<Date>& date)
{
    return date ? std::optional(date->SecondsSinceEpoch()) : std::nullopt;
}

Date At(std::int64_t seconds) { return Date::FromSecondsSinceEpoch(seconds); }

// A tmpfs of the test's own, unmounted however the test ends.
class TmpfsMount {
public:
    explicit TmpfsMount(std::string dir) : m_dir(std::move(dir))
    {
        ::mkdir(m_dir.c_str(), 0755);
        m_mounted = ::mount("tmpfs", m_dir.c_str(), "tmpfs", 0, "size=1m") == 0;
    }
    ~TmpfsMount()
    {
        if (m_mounted)
            ::umount2(m_dir.c_str(), MNT_DETACH);
    }
    bool Mounted() const { return m_mounted; }
    bool MakeReadOnly() const { return ::mount(nullptr, m_dir.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0; }

private:
    std::string m_dir;
    bool m_mounted = false;
};

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
    for (const std::string& path : {file, folder}) {
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
    EXPECT_EQ(FolderItem(folder).Length(), 0u);
}

TEST_F(FolderItemTest, NameThatIsNotUtf8ReachesThatItemAndNoOther)
{
    const std::string latin1 = m_folder.MakeFile("caf\xE9.txt", "latin");
    const std::string utf8 = m_folder.MakeFile("caf\xC3\xA9.txt", "utf-8");
    SetOldTimes(latin1);
    SetOldTimes(utf8);

    FolderItem item(latin1);
    EXPECT_EQ(item.Name(), "caf\xEF\xBF\xBD.txt"); // U+FFFD for the stray byte
    EXPECT_EQ(item.NativePath(), m_folder.Path() + "/caf\xEF\xBF\xBD.txt");
    EXPECT_EQ(item.NativePathBytes(), latin1);
    EXPECT_EQ(item.Length(), 5u);
    item.SetModificationDate(At(kFebruary15));
    EXPECT_EQ(item.LastWriteError(), "");

    EXPECT_EQ(Stat(latin1).st_mtim.tv_sec, kFebruary15);
    EXPECT_EQ(Stat(utf8).st_mtim.tv_sec, kOldModified);
    EXPECT_EQ(Stat(utf8).st_mtim.tv_nsec, 987654321);
    EXPECT_EQ(FolderItem(utf8).Name(), "caf\xC3\xA9.txt");
}

TEST_F(FolderItemTest, NameIsTheLastComponentAndANulByteReachesNoOtherItem)
{
    EXPECT_EQ(FolderItem("/home/ana/Documents/").Name(), "Documents");
    EXPECT_EQ(FolderItem("a.txt").Name(), "a.txt");
    EXPECT_EQ(FolderItem("/").Name(), "/");

    // The system would read "plan\0.txt" as "plan".
    const std::string real = m_folder.MakeFile("plan");
    SetOldTimes(real);
    FolderItem item(real + std::string("\0.txt", 5));
    EXPECT_FALSE(item.Exists());
    EXPECT_FALSE(item.ModificationDate());
    item.SetModificationDate(At(kFebruary15));
    EXPECT_NE(item.LastWriteError(), "");
    EXPECT_EQ(Stat(real).st_mtim.tv_sec, kOldModified);
}

TEST_F(FolderItemTest, VanishedItemHasNoDatesAndAWriteCreatesNothing)
{
    const std::string path = m_folder.MakeFile("gone.txt", "soon gone");
    FolderItem item(path);
    ASSERT_TRUE(item.Exists());
    ASSERT_EQ(::unlink(path.c_str()), 0);

    EXPECT_FALSE(item.Exists());
    EXPECT_EQ(item.Length(), 0u);
    EXPECT_FALSE(item.CreationDate());
    EXPECT_FALSE(item.ModificationDate());
    EXPECT_NO_THROW(item.SetModificationDate(At(kFebruary15)));
    EXPECT_EQ(item.LastWriteError(), std::strerror(ENOENT));
    EXPECT_NO_THROW(item.SetCreationDate(At(kFebruary15)));
    EXPECT_EQ(item.LastWriteError(), std::strerror(ENOENT));
    EXPECT_FALSE(Present(path));
}

TEST_F(FolderItemTest, SymbolicLinkIsFollowedAndADanglingOneDoesNotExist)
{
    const std::string target = m_folder.MakeFile("target.txt", "twelve bytes");
    const std::string link = m_folder.Path("shortcut");
    ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
    SetOldTimes(target);
    const timespec linkTimes[2] = {{1500000000, 0}, {1550000000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, link.c_str(), linkTimes, AT_SYMLINK_NOFOLLOW), 0);

    FolderItem item(link);
    EXPECT_EQ(item.Name(), "shortcut");
    EXPECT_EQ(item.Length(), 12u);
    EXPECT_EQ(Seconds(item.ModificationDate()), kOldModified);
    item.SetModificationDate(At(kFebruary15));
    EXPECT_EQ(Stat(target).st_mtim.tv_sec, kFebruary15);
    EXPECT_EQ(Stat(link, false).st_mtim.tv_sec, 1550000000);

    const std::string missing = m_folder.Path("never-made.txt");
    const std::string dangling = m_folder.Path("dangling");
    ASSERT_EQ(::symlink(missing.c_str(), dangling.c_str()), 0);
    FolderItem broken(dangling);
    EXPECT_FALSE(broken.Exists());
    EXPECT_EQ(broken.Length(), 0u);
    EXPECT_FALSE(broken.ModificationDate());
    broken.SetModificationDate(At(kFebruary15));
    EXPECT_NE(broken.LastWriteError(), "");
    EXPECT_FALSE(Present(missing));
}

TEST_F(FolderItemTest, FifoAndDeviceAreAskedWithoutBeingOpened)
{
    const std::string path = m_folder.Path("pipe");
    ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0);
    struct Seen {
        bool exists;
        std::uint64_t length;
        std::string error;
        std::optional<std::int64_t> modified;
    };
    // Off the test's thread: if a member opens the FIFO and blocks, opening
    // the other end after the timeout lets it go, and the test fails instead
    // of hanging.
    std::promise<Seen> promise;
    std::future<Seen> result = promise.get_future();
    std::thread worker([&] {
        FolderItem item(path);
        Seen seen{item.Exists(), item.Length(), {}, {}};
        (void)item.CreationDate();
        item.SetCreationDate(At(kFebruary15));
        item.SetModificationDate(At(kFebruary15));
        seen.error = item.LastWriteError();
        seen.modified = Seconds(item.ModificationDate());
        promise.set_value(seen);
    });
    const bool finished = result.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
    if (!finished) {
        const int fd = ::open(path.c_str(), O_RDWR | O_NONBLOCK);
        result.wait();
        ::close(fd);
    }
    worker.join();
    ASSERT_TRUE(finished) << "a FolderItem member opened the FIFO";
    const Seen seen = result.get();
    EXPECT_TRUE(seen.exists);
    EXPECT_EQ(seen.length, 0u);
    EXPECT_EQ(seen.error, "");
    EXPECT_EQ(seen.modified, kFebruary15);

    FolderItem device("/dev/null");
    EXPECT_TRUE(device.Exists());
    EXPECT_EQ(device.Length(), 0u);
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
    TmpfsMount tmpfs(m_folder.Path("tmpfs"));
    std::vector<std::string> paths{m_folder.MakeFile("local.txt", "x")}; // ext4 on the build machine
    if (tmpfs.Mounted())
        paths.push_back(m_folder.MakeFile("tmpfs/memory.txt", "y"));
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

TEST_F(FolderItemTest, ExecutableFileIsThisProgram)
{
    const std::shared_ptr<FolderItem> item = FolderItem::ExecutableFile();
    EXPECT_EQ(item->Name(), "framework_tests");
    EXPECT_GT(item->Length(), 0u);
    EXPECT_EQ(item->GetClassInfo().Name(), "FolderItem");
    EXPECT_TRUE(item->GetClassInfo().InheritsFrom(Object::StaticClassInfo()));
}

} // namespace
