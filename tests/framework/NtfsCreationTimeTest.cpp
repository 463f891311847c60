#include "framework/CreationTime.h"
#include "framework/FolderItem.h"

#include "support/TestSupport.h"

#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <limits>
#include <optional>
#include <string>

namespace {

constexpr std::int64_t kFebruary15 = 1739610000; // 2025-02-15 10:00:00 CET
constexpr std::int64_t kJanuary2001 = 978346800; // 2001-01-01 12:00:00 CET
constexpr std::int64_t kJuly1965 = -141840000;   // 1965-07-04 09:00:00 CET

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

std::optional<std::int64_t> Seconds(const std::optional<Date>& date)
{
    return date ? std::optional(date->SecondsSinceEpoch()) : std::nullopt;
}

// Runs a shell command with sbin on the PATH; its standard output, or
// nullopt when it fails. Output goes to a file, not a pipe: ntfs-3g stays
// behind as the mount's daemon and would hold a pipe open.
std::optional<QString> Shell(const QString& command, const TempFolder& folder)
{
    QProcess process;
    const QString out = QString::fromStdString(folder.Path("shell.out"));
    process.setStandardOutputFile(out);
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start("/bin/sh", {"-c", "PATH=/usr/sbin:/sbin:$PATH; " + command});
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return std::nullopt;
    QFile file(out);
    file.open(QIODevice::ReadOnly);
    return QString::fromLocal8Bit(file.readAll()).trimmed();
}

// A 16 MiB NTFS image on a loop device, mounted through ntfs-3g; unmounted
// and detached however the test ends.
class NtfsVolume {
public:
    NtfsVolume()
    {
        if (::geteuid() != 0 || ::access("/dev/fuse", R_OK | W_OK) != 0) {
            m_problem = "mounting through FUSE needs root and /dev/fuse";
            return;
        }
        const QString image = QString::fromStdString(m_folder.Path("volume.img"));
        ::mkdir(m_folder.Path("mnt").c_str(), 0755);
        const auto loop = Shell("command -v mount.ntfs-3g >/dev/null && truncate -s 16M " + image
                                    + " && mkntfs -q -F -f " + image + " && losetup --find --show " + image,
                                m_folder);
        if (!loop || !loop->startsWith("/dev/loop")) {
            m_problem = "mkntfs, ntfs-3g or a free loop device is missing";
            return;
        }
        m_loop = *loop;
        if (!Mount())
            m_problem = "mount -t ntfs-3g failed";
    }
    ~NtfsVolume()
    {
        Unmount();
        if (!m_loop.isEmpty())
            Shell("losetup -d " + m_loop, m_folder);
    }

    const std::string& Problem() const { return m_problem; }
    std::string Path(const std::string& name) const { return m_folder.Path("mnt/" + name); }
    // What is read after this comes from the disk, not the driver's memory.
    bool Remount()
    {
        Unmount();
        return Mount();
    }

private:
    QString MountPoint() const { return QString::fromStdString(m_folder.Path("mnt")); }
    bool Mount()
    {
        m_mounted = Shell("mount -t ntfs-3g " + m_loop + " " + MountPoint(), m_folder).has_value();
        struct statfs fs{}; // ntfs-3g (FUSE), not the folder underneath
        return m_mounted && ::statfs(m_folder.Path("mnt").c_str(), &fs) == 0 && fs.f_type == 0x65735546;
    }
    void Unmount()
    {
        if (m_mounted)
            Shell("umount " + MountPoint() + " || umount -l " + MountPoint(), m_folder);
        m_mounted = false;
    }

    TempFolder m_folder; // a member, so it goes only after the destructor has unmounted
    QString m_loop;
    bool m_mounted = false;
    std::string m_problem;
};

TEST(NtfsFileTime, ConvertsToAndFromUnixSeconds)
{
    EXPECT_EQ(FileTime::ToUnixSeconds(Ticks(0)), 0);
    EXPECT_EQ(FileTime::ToUnixSeconds(0), -11644473600LL);
    EXPECT_EQ(FileTime::ToUnixSeconds(Ticks(kFebruary15) + 9999999), kFebruary15);
    EXPECT_EQ(FileTime::ToUnixSeconds(Ticks(0) - 1), -1); // rounds down before 1970 too
    EXPECT_EQ(FileTime::FromUnixSeconds(kJuly1965), Ticks(kJuly1965));
    EXPECT_EQ(FileTime::FromUnixSeconds(-11644473601LL), 0u); // before 1601: the first tick
    EXPECT_EQ(FileTime::FromUnixSeconds(std::numeric_limits<std::int64_t>::min()), 0u);
    EXPECT_GT(FileTime::FromUnixSeconds(std::numeric_limits<std::int64_t>::max()), Ticks(kFebruary15));
}

TEST(NtfsCreationTime, FileAndFolderKeepBothDatesToTheSecondAcrossARemount)
{
    NtfsVolume volume;
    if (!volume.Problem().empty())
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
    const std::int64_t created[] = {kJanuary2001, kJuly1965};
    for (int i = 0; i < 2; ++i) {
        const std::string& path = i == 0 ? file : folder;
        SCOPED_TRACE(path);
        FolderItem item(path);
        ASSERT_TRUE(item.CreationDate()) << "no creation date read on NTFS (statx has none there)";
        if (i == 0)
            item.SetCreationDate(Date::FromSecondsSinceEpoch(created[i]));
        EXPECT_EQ(item.LastWriteError(), "");
        item.SetModificationDate(Date::FromSecondsSinceEpoch(kFebruary15));
        EXPECT_EQ(item.LastWriteError(), "");
        if (i == 1)
            item.SetCreationDate(Date::FromSecondsSinceEpoch(created[i]));
        EXPECT_EQ(item.LastWriteError(), "");
        EXPECT_EQ(RawCreationTicks(path), Ticks(created[i]));
    }
    EXPECT_EQ(FileHash(file), hash);

    ASSERT_TRUE(volume.Remount());
    for (int i = 0; i < 2; ++i) {
        FolderItem item(i == 0 ? file : folder);
        SCOPED_TRACE(item.NativePath());
        EXPECT_EQ(Seconds(item.CreationDate()), created[i]);
        EXPECT_EQ(Seconds(item.ModificationDate()), kFebruary15);
        EXPECT_EQ(item.Length(), i == 0 ? 11u : 0u);
    }
}

} // namespace
