#include "support/NtfsVolume.h"

#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <optional>

namespace {

constexpr long kFuseMagic = 0x65735546;

QString Tool(const QString& name)
{
    // The tools live in sbin, which a non-login PATH may lack.
    return QStandardPaths::findExecutable(name, {"/usr/sbin", "/sbin", "/usr/bin", "/bin"});
}

// Runs a tool to its end: its trimmed standard output, or nullopt when it
// fails. ntfs-3g stays behind as the mount's daemon, so only a tool whose
// output is wanted gets a pipe; the others write to the null device.
std::optional<QString> Run(const QString& tool, const QStringList& arguments, bool keepOutput = false)
{
    QProcess process;
    if (!keepOutput)
        process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(Tool(tool), arguments);
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return std::nullopt;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return std::nullopt;
    return QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
}

} // namespace

NtfsVolume::NtfsVolume() : m_problem(Prepare()) {}

NtfsVolume::~NtfsVolume()
{
    Unmount();
    if (!m_loopDevice.isEmpty())
        Run("losetup", {"-d", m_loopDevice});
}

bool NtfsVolume::Remount()
{
    Unmount();
    return Mount();
}

std::string NtfsVolume::Prepare()
{
    if (::geteuid() != 0)
        return "mounting needs root";
    if (::access("/dev/fuse", R_OK | W_OK) != 0)
        return "no usable /dev/fuse";
    for (const char* tool : {"mkntfs", "losetup", "mount", "umount", "mount.ntfs-3g"})
        if (Tool(tool).isEmpty())
            return std::string(tool) + " is not installed";
    if (!m_folder.IsValid())
        return "no temporary folder";

    const std::string image = m_folder.Path("volume.img");
    const int fd = ::open(image.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const bool sized = fd >= 0 && ::ftruncate(fd, 16 * 1024 * 1024) == 0;
    if (fd >= 0)
        ::close(fd);
    if (!sized)
        return "cannot make the image file";
    if (!Run("mkntfs", {"-q", "-F", "-f", QString::fromStdString(image)}))
        return "mkntfs failed";
    const auto loop = Run("losetup", {"--find", "--show", QString::fromStdString(image)}, true);
    if (!loop || !loop->startsWith("/dev/loop"))
        return "losetup found no free loop device";
    m_loopDevice = *loop;

    m_mountPoint = m_folder.Path("mnt");
    ::mkdir(m_mountPoint.c_str(), 0755);
    if (!Mount())
        return "mount -t ntfs-3g failed";
    return {};
}

bool NtfsVolume::Mount()
{
    if (!Run("mount", {"-t", "ntfs-3g", m_loopDevice, QString::fromStdString(m_mountPoint)}))
        return false;
    m_mounted = true;
    // ntfs-3g (FUSE) that the test talks to, not the folder underneath.
    struct statfs fs {};
    return ::statfs(m_mountPoint.c_str(), &fs) == 0 && fs.f_type == kFuseMagic;
}

void NtfsVolume::Unmount()
{
    if (!m_mounted)
        return;
    const QString point = QString::fromStdString(m_mountPoint);
    if (!Run("umount", {point}))
        Run("umount", {"-l", point});
    m_mounted = false;
}
