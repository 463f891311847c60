#include "support/LoopVolume.h"

#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <optional>

namespace {

constexpr long kFuseMagic = 0x65735546; // ntfs-3g mounts as fuseblk
constexpr long kExt4Magic = 0xEF53;

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
    return keepOutput ? QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed() : QString();
}

} // namespace

LoopVolume::LoopVolume(VolumeType type) : m_type(type), m_problem(Prepare()) {}

LoopVolume::~LoopVolume()
{
    Unmount();
    if (!m_loopDevice.isEmpty())
        Run("losetup", {"-d", m_loopDevice});
}

bool LoopVolume::Remount()
{
    Unmount();
    return Mount();
}

std::string LoopVolume::Prepare()
{
    if (::geteuid() != 0)
        return "mounting needs root";
    const bool ntfs = m_type == VolumeType::Ntfs;
    if (ntfs && ::access("/dev/fuse", R_OK | W_OK) != 0)
        return "no usable /dev/fuse";
    const QString make = ntfs ? "mkntfs" : "mkfs.ext4";
    for (const QString& tool : {make, QString("losetup"), QString("mount"), QString("umount")})
        if (Tool(tool).isEmpty())
            return tool.toStdString() + " is not installed";
    if (ntfs && Tool("mount.ntfs-3g").isEmpty())
        return "mount.ntfs-3g is not installed";
    if (!m_folder.IsValid())
        return "no temporary folder";

    const std::string image = m_folder.Path("volume.img");
    const int fd = ::open(image.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const bool sized = fd >= 0 && ::ftruncate(fd, 16 * 1024 * 1024) == 0;
    if (fd >= 0)
        ::close(fd);
    if (!sized)
        return "cannot make the image file";
    const QStringList makeArguments = ntfs ? QStringList{"-q", "-F", "-f"} : QStringList{"-q", "-F", "-I", "256"};
    if (!Run(make, makeArguments + QStringList{QString::fromStdString(image)}))
        return make.toStdString() + " failed";
    const auto loop = Run("losetup", {"--find", "--show", QString::fromStdString(image)}, true);
    if (!loop || !loop->startsWith("/dev/loop"))
        return "losetup found no free loop device";
    m_loopDevice = *loop;

    m_mountPoint = m_folder.Path("mnt");
    ::mkdir(m_mountPoint.c_str(), 0755);
    if (!Mount())
        return ntfs ? "mount -t ntfs-3g failed" : "mount -t ext4 failed";
    return {};
}

bool LoopVolume::Mount()
{
    const bool ntfs = m_type == VolumeType::Ntfs;
    if (!Run("mount", {"-t", ntfs ? "ntfs-3g" : "ext4", m_loopDevice, QString::fromStdString(m_mountPoint)}))
        return false;
    m_mounted = true;
    // The volume (for NTFS, ntfs-3g through FUSE) that the test talks to,
    // not the folder underneath.
    struct statfs fs {};
    return ::statfs(m_mountPoint.c_str(), &fs) == 0 && fs.f_type == (ntfs ? kFuseMagic : kExt4Magic);
}

void LoopVolume::Unmount()
{
    if (!m_mounted)
        return;
    const QString point = QString::fromStdString(m_mountPoint);
    if (!Run("umount", {point}))
        Run("umount", {"-l", point});
    m_mounted = false;
}
