// Change with both rows armed on a real NTFS volume, the one place where
// Linux lets a program store a creation date.
#include "MainWindowDriver.h"

#include "framework/CheckBox.h"
#include "framework/CreationTime.h"
#include "framework/FolderItem.h"
#include "framework/PushButton.h"
#include "support/LoopVolume.h"
#include "support/TestSupport.h"

#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace driver;

namespace {

class ChangeOnNtfs : public MainWindowTest {
protected:
    void SetUp() override
    {
        if (!volume.Ready())
            GTEST_SKIP() << "no NTFS volume: " << volume.Problem();
        MainWindowTest::SetUp();
    }

    LoopVolume volume{VolumeType::Ntfs};
};

TEST_F(ChangeOnNtfs, BothArmedRowsAreWrittenAndReadBackExactly)
{
    const std::string path = volume.Path("letter.txt");
    {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::write(fd, "dear reader", 11), 11);
        ::close(fd);
    }
    const QByteArray hash = FileHash(path);
    const std::int64_t old = LocalSeconds(2020, 5, 5, 5, 5, 5);
    SetTimes(path, old, 0, old, 0);

    ASSERT_TRUE(Drop(*window, {path}));
    ASSERT_NE(window->last, nullptr);
    ASSERT_TRUE(window->last->CreationDate()) << "no creation date read on NTFS";

    // A modification date on the 31st, then a creation date in February:
    // each row must get its own value from the one running Date.
    PickModification(*window, 2025, 1, 31, 23, 59, 58);
    PickCreation(*window, 2025, 2, 15, 9, 30, 0);
    ASSERT_TRUE(window->pbChange().Enabled());
    QTest::mouseClick(window->pbChange().NativeWidget(), Qt::LeftButton);

    const std::int64_t modified = LocalSeconds(2025, 1, 31, 23, 59, 58);
    const std::int64_t created = LocalSeconds(2025, 2, 15, 9, 30, 0);
    FolderItem item(path);
    EXPECT_EQ(Seconds(item.ModificationDate()), modified);
    EXPECT_EQ(Seconds(item.CreationDate()), created);
    EXPECT_EQ(ShownModification(*window), (Shown{2025, 1, 31, 23, 59, 58}));
    EXPECT_EQ(ShownCreation(*window), (Shown{2025, 2, 15, 9, 30, 0}));
    const Rows rows = DetailRows(*window);
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[3].second, window->formatDate(Date::FromSecondsSinceEpoch(created)));
    EXPECT_EQ(rows[4].second, window->formatDate(Date::FromSecondsSinceEpoch(modified)));
    const DateArea area = ReadDateArea(*window);
    EXPECT_FALSE(area.creation.boxTicked || area.modification.boxTicked || area.changeEnabled);
    EXPECT_EQ(ReadTimes(path).access.tv_sec, old);

    // From the disk, not the driver's memory.
    ASSERT_TRUE(volume.Remount());
    EXPECT_EQ(Seconds(FolderItem(path).ModificationDate()), modified);
    EXPECT_EQ(Seconds(FolderItem(path).CreationDate()), created);
    EXPECT_EQ(FileHash(path), hash);
}

TEST_F(ChangeOnNtfs, RowsTickedWithoutAnEditLeaveBothTimesExactlyToTheTick)
{
    const std::string path = volume.Path("exact.txt");
    ::close(::open(path.c_str(), O_WRONLY | O_CREAT, 0644));
    // The modification time first: ntfs-3g would lose one set after the creation time.
    SetTimes(path, 1600000000, 0, 1600000000, 123456700);
    const std::uint64_t ticks = FileTime::FromUnixSeconds(1500000000) + 9876543; // .9876543
    ASSERT_TRUE(SetNtfsCreationTicks(path, ticks));
    ASSERT_TRUE(volume.Remount());
    struct stat before {};
    ASSERT_EQ(::stat(path.c_str(), &before), 0);

    ASSERT_TRUE(Drop(*window, {path}));
    QTest::mouseClick(window->ckModified().NativeWidget(), Qt::LeftButton);
    QTest::mouseClick(window->ckCreated().NativeWidget(), Qt::LeftButton);
    QTest::mouseClick(window->pbChange().NativeWidget(), Qt::LeftButton);

    for (bool remounted : {false, true}) {
        SCOPED_TRACE(remounted ? "after a remount" : "at once");
        struct stat after {};
        ASSERT_EQ(::stat(path.c_str(), &after), 0);
        EXPECT_EQ(after.st_mtim.tv_sec, 1600000000);
        EXPECT_EQ(after.st_mtim.tv_nsec, 123456700);
        EXPECT_EQ(after.st_ctim.tv_nsec, before.st_ctim.tv_nsec);
        EXPECT_EQ(after.st_ctim.tv_sec, before.st_ctim.tv_sec);
        EXPECT_EQ(FileTime::FromTimespec(ReadCreationTime(path).value_or(timespec{})), ticks);
        ASSERT_TRUE(remounted || volume.Remount());
    }
}

TEST_F(ChangeOnNtfs, OnlyTheCreationRowLeavesTheModificationTimeAlone)
{
    const std::string path = volume.Path("archive");
    ASSERT_EQ(::mkdir(path.c_str(), 0755), 0);
    const std::int64_t old = LocalSeconds(2020, 5, 5, 5, 5, 5);
    SetTimes(path, old, 0, old, 0);
    ASSERT_TRUE(Drop(*window, {path}));

    PickCreation(*window, 1999, 12, 31, 23, 0, 0);
    QTest::mouseClick(window->pbChange().NativeWidget(), Qt::LeftButton);

    EXPECT_EQ(Seconds(FolderItem(path).CreationDate()), LocalSeconds(1999, 12, 31, 23, 0, 0));
    EXPECT_EQ(ReadTimes(path).modification.tv_sec, old);
    EXPECT_EQ(ShownCreation(*window), (Shown{1999, 12, 31, 23, 0, 0}));
}

TEST_F(ChangeOnNtfs, DatesBefore1601LeaveTheItemAndTheRowsAsTheyWere)
{
    const std::string path = volume.Path("ancient.txt");
    ::close(::open(path.c_str(), O_WRONLY | O_CREAT, 0644));
    const std::int64_t old = LocalSeconds(2020, 5, 5, 5, 5, 5);
    SetTimes(path, old, 0, old, 250000000);
    const std::optional<timespec> created = ReadCreationTime(path);
    ASSERT_TRUE(created);
    ASSERT_TRUE(Drop(*window, {path}));
    const Rows rows = DetailRows(*window);
    const Shown createdShown = ShownCreation(*window);

    PickModification(*window, 1500, 6, 1, 12, 0, 0);
    PickCreation(*window, 1500, 6, 1, 12, 0, 0);
    QTest::mouseClick(window->pbChange().NativeWidget(), Qt::LeftButton);

    const timespec modified = ReadTimes(path).modification;
    EXPECT_EQ(modified.tv_sec, old);
    EXPECT_EQ(modified.tv_nsec, 250000000);
    const std::optional<timespec> createdNow = ReadCreationTime(path);
    ASSERT_TRUE(createdNow);
    EXPECT_EQ(createdNow->tv_sec, created->tv_sec);
    EXPECT_EQ(createdNow->tv_nsec, created->tv_nsec);
    EXPECT_EQ(ShownModification(*window), ShownOf(old));
    EXPECT_EQ(ShownCreation(*window), createdShown);
    EXPECT_EQ(DetailRows(*window), rows);
    EXPECT_EQ(ReadDateArea(*window), Loaded());
}

} // namespace
