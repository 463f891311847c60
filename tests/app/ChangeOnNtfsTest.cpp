// Change with both rows armed on a real NTFS volume, the one place where
// Linux lets a program store a creation date.
#include "MainWindowDriver.h"

#include "framework/FolderItem.h"
#include "framework/PushButton.h"
#include "support/TestSupport.h"

#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

using namespace driver;

namespace {

QString FindTool(const QString& name)
{
    // The tools live in sbin, which a non-login PATH may lack.
    return QStandardPaths::findExecutable(name, {"/usr/sbin", "/sbin", "/usr/bin", "/bin"});
}

struct RunResult {
    bool ok;
    QString output;
};

RunResult Run(const QString& program, const QStringList& arguments, bool keepOutput = false)
{
    QProcess process;
    // ntfs-3g stays behind as the mount's daemon; it must not hold our pipes.
    if (!keepOutput)
        process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(program, arguments);
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return {false, {}};
    }
    const bool ok = process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    return {ok, keepOutput ? QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed() : QString()};
}

// A 16 MiB NTFS image on a loop device, mounted through ntfs-3g; unmounted
// and detached however the test ends.
class NtfsVolume {
public:
    NtfsVolume() { m_problem = Prepare(); }

    ~NtfsVolume()
    {
        Unmount();
        if (!m_loopDevice.isEmpty())
            Run(m_losetup, {"-d", m_loopDevice});
    }

    NtfsVolume(const NtfsVolume&) = delete;
    NtfsVolume& operator=(const NtfsVolume&) = delete;

    bool Ready() const { return m_mounted && m_problem.empty(); }
    const std::string& Problem() const { return m_problem; }
    std::string Path(const std::string& name) const { return m_mountPoint + "/" + name; }

    // Unmounts and mounts again, so what follows is read from the disk and
    // not from the driver's memory.
    bool Remount()
    {
        Unmount();
        return Mount();
    }

private:
    // "" once mounted, else why the volume cannot be had here.
    std::string Prepare()
    {
        if (::geteuid() != 0)
            return "mounting needs root";
        if (::access("/dev/fuse", R_OK | W_OK) != 0)
            return "no usable /dev/fuse";
        m_mkntfs = FindTool("mkntfs");
        m_losetup = FindTool("losetup");
        m_mount = FindTool("mount");
        m_umount = FindTool("umount");
        if (m_mkntfs.isEmpty() || m_losetup.isEmpty() || m_mount.isEmpty() || m_umount.isEmpty()
            || FindTool("mount.ntfs-3g").isEmpty())
            return "mkntfs, losetup or ntfs-3g is not installed";
        if (!m_folder.IsValid())
            return "no temporary folder";

        const std::string image = m_folder.Path("volume.img");
        const int fd = ::open(image.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const bool sized = fd >= 0 && ::ftruncate(fd, 16 * 1024 * 1024) == 0;
        if (fd >= 0)
            ::close(fd);
        if (!sized)
            return "cannot make the image file";
        if (!Run(m_mkntfs, {"-q", "-F", "-f", QString::fromStdString(image)}).ok)
            return "mkntfs failed";

        const RunResult loop = Run(m_losetup, {"--find", "--show", QString::fromStdString(image)}, true);
        if (!loop.ok || !loop.output.startsWith("/dev/loop"))
            return "losetup found no free loop device";
        m_loopDevice = loop.output;

        m_mountPoint = m_folder.Path("mnt");
        ::mkdir(m_mountPoint.c_str(), 0755);
        if (!Mount())
            return "mount -t ntfs-3g failed";
        return {};
    }

    bool Mount()
    {
        if (!Run(m_mount, {"-t", "ntfs-3g", m_loopDevice, QString::fromStdString(m_mountPoint)}).ok)
            return false;
        m_mounted = true;
        // Make sure it is ntfs-3g (FUSE) that we talk to and not the folder
        // underneath.
        struct statfs fs {};
        return ::statfs(m_mountPoint.c_str(), &fs) == 0 && fs.f_type == 0x65735546;
    }

    void Unmount()
    {
        if (!m_mounted)
            return;
        if (!Run(m_umount, {QString::fromStdString(m_mountPoint)}).ok)
            Run(m_umount, {"-l", QString::fromStdString(m_mountPoint)});
        m_mounted = false;
    }

    TempFolder m_folder;
    QString m_mkntfs, m_losetup, m_mount, m_umount;
    QString m_loopDevice;
    std::string m_mountPoint;
    bool m_mounted = false;
    std::string m_problem;
};

std::optional<std::int64_t> Seconds(const std::optional<Date>& date)
{
    return date ? std::optional(date->SecondsSinceEpoch()) : std::nullopt;
}

class ChangeOnNtfs : public MainWindowTest {};

TEST_F(ChangeOnNtfs, BothArmedRowsAreWrittenAndReadBackExactly)
{
    NtfsVolume volume;
    if (!volume.Ready())
        GTEST_SKIP() << "no NTFS volume: " << volume.Problem();

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

TEST_F(ChangeOnNtfs, OnlyTheCreationRowLeavesTheModificationTimeAlone)
{
    NtfsVolume volume;
    if (!volume.Ready())
        GTEST_SKIP() << "no NTFS volume: " << volume.Problem();

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

} // namespace
