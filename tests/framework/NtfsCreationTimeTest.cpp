// Creation dates on a real NTFS volume, and the conversion of NTFS ticks.
#include "framework/CreationTime.h"
#include "framework/FolderItem.h"

#include "support/LoopVolume.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <limits>
#include <optional>
#include <string>

namespace {

constexpr std::int64_t kJuly1965 = -141840000; // 1965-07-04 09:00:00 CET

// 100-nanosecond ticks since 1601, worked out here independently of FileTime.
std::uint64_t Ticks(std::int64_t unixSeconds)
{
    return static_cast<std::uint64_t>(unixSeconds + 11644473600LL) * 10000000ULL;
}

// The attribute as ntfs-3g hands it out, decoded by hand so that a fault in
// the program's decoding cannot hide behind a matching fault in its encoding.
std::optional<std::uint64_t> RawCreationTicks(const std::string& path)
{
    unsigned char bytes[8];
    if (::getxattr(path.c_str(), "system.ntfs_crtime", bytes, sizeof bytes) != 8)
        return std::nullopt;
    std::uint64_t ticks = 0;
    for (int i = 7; i >= 0; --i)
        ticks = ticks << 8 | bytes[i];
    return ticks;
}

TEST(NtfsFileTime, ConvertsToAndFromUnixSecondsRoundingDownAndClampingAt1601)
{
    EXPECT_EQ(FileTime::ToUnixSeconds(Ticks(0)), 0);
    EXPECT_EQ(FileTime::ToUnixSeconds(Ticks(kFebruary15) + 9999999), kFebruary15);
    EXPECT_EQ(FileTime::ToUnixSeconds(Ticks(0) - 1), -1); // rounds down before 1970 too
    EXPECT_EQ(FileTime::FromUnixSeconds(kJuly1965), Ticks(kJuly1965));
    EXPECT_EQ(FileTime::FromUnixSeconds(-11644473601LL), 0u); // before 1601: the first tick
    EXPECT_EQ(FileTime::FromUnixSeconds(std::numeric_limits<std::int64_t>::min()), 0u);
    // To the tick, where a date is put back exactly as it was.
    EXPECT_EQ(FileTime::FromTimespec({kJuly1965, 123456789}), Ticks(kJuly1965) + 1234567);
    const timespec back = FileTime::ToTimespec(Ticks(kJuly1965) + 1234567);
    EXPECT_EQ(back.tv_sec, kJuly1965);
    EXPECT_EQ(back.tv_nsec, 123456700);
    EXPECT_EQ(FileTime::FromTimespec({-11644473601LL, 999999999}), 0u);
}

TEST(KeptAsWritten, OnlyTheWrittenTimeCutToTheVolumesStepCountsAsWritten)
{
    constexpr std::int64_t kExt4First = -2147483648; // 1901-12-13 20:45:52 UTC
    const struct {
        timespec written;
        std::int64_t step;
        timespec kept;
        bool expected;
    } cases[] = {
        {{kFebruary15, 123456789}, TimeStep::kExact, {kFebruary15, 123456789}, true},
        {{kFebruary15, 123456789}, TimeStep::kExact, {kFebruary15, 123456788}, false},
        // ext4 clamps 20:45:50 to its first second.
        {{kExt4First - 2, 0}, TimeStep::kExact, {kExt4First, 0}, false},
        {{kExt4First - 1, 0}, TimeStep::kFat, {kExt4First, 0}, false}, // rounded up, not cut
        {{kFebruary15 + 1, 0}, TimeStep::kFat, {kFebruary15, 0}, true},
        {{kFebruary15 + 1, 0}, TimeStep::kFat, {kFebruary15 + 1, 0}, false},
        {{kFebruary15 + 1, 0}, TimeStep::kFat, {kFebruary15 - 2, 0}, false},
        {{-3, 500000000}, TimeStep::kFat, {-4, 0}, true}, // towards the past before 1970 too
        {{kFebruary15, 123456789}, TimeStep::kExfat, {kFebruary15, 120000000}, true},
        {{kFebruary15, 123456789}, TimeStep::kExfat, {kFebruary15, 0}, false},
        {{kFebruary15, 123456789}, TimeStep::kNtfs, {kFebruary15, 123456700}, true},
        {{kFebruary15, 123456789}, TimeStep::kNtfs, {kFebruary15, 123456789}, false},
        // NTFS holds nothing before 1601.
        {{-11644473601, 0}, TimeStep::kNtfs, {-11644473600, 0}, false},
        {{kFebruary15, 0}, TimeStep::kFat, {std::numeric_limits<time_t>::min(), 0}, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(KeptAsWritten(c.kept, c.written, c.step), c.expected)
            << c.written.tv_sec << "." << c.written.tv_nsec << " step " << c.step << " kept " << c.kept.tv_sec << "."
            << c.kept.tv_nsec;
}

TEST(NtfsCreationTime, FileAndFolderKeepBothDatesToTheSecondAcrossARemount)
{
    LoopVolume volume(VolumeType::Ntfs);
    if (!volume.Ready())
        GTEST_SKIP() << "no NTFS volume: " << volume.Problem();
    const std::string file = volume.Path("letter.txt");
    const std::string folder = volume.Path("archive");
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT, 0644);
    ASSERT_EQ(::write(fd, "dear reader", 11), 11);
    ::close(fd);
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    const QByteArray hash = FileHash(file);

    // The file takes the creation time first, the folder the modification
    // time first (the window's order): ntfs-3g loses a modification time set
    // by utimensat after a creation time unless the program writes it again.
    FolderItem fileItem(file);
    ASSERT_TRUE(fileItem.CreationDate()) << "no creation date read on NTFS";
    fileItem.SetCreationDate(Date::FromSecondsSinceEpoch(kJanuary2001));
    fileItem.SetModificationDate(Date::FromSecondsSinceEpoch(kFebruary15));
    EXPECT_EQ(fileItem.LastWriteError(), "");
    FolderItem folderItem(folder);
    folderItem.SetModificationDate(Date::FromSecondsSinceEpoch(kFebruary15));
    folderItem.SetCreationDate(Date::FromSecondsSinceEpoch(kJuly1965));
    EXPECT_EQ(folderItem.LastWriteError(), "");
    EXPECT_EQ(RawCreationTicks(file), Ticks(kJanuary2001));
    EXPECT_EQ(RawCreationTicks(folder), Ticks(kJuly1965));
    EXPECT_EQ(FileHash(file), hash);

    ASSERT_TRUE(volume.Remount());
    for (const auto& [path, created] : {std::pair{file, kJanuary2001}, {folder, kJuly1965}}) {
        SCOPED_TRACE(path);
        EXPECT_EQ(Seconds(FolderItem(path).CreationDate()), created);
        EXPECT_EQ(Seconds(FolderItem(path).ModificationDate()), kFebruary15);
    }
}

} // namespace
