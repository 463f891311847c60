#include "support/LoopVolume.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <optional>

namespace {

// How each type is made and mounted: the kernel's driver first, then a FUSE
// one where the kernel has none.
struct Recipe {
    QString make;
    QStringList makeArguments;
    QStringList drivers; // mount -t, in the order tried
};

Recipe RecipeOf(VolumeType type)
{
    switch (type) {
    case VolumeType::Ntfs:
        return {"mkntfs", {"-q", "-F", "-f"}, {"ntfs-3g"}};
    case VolumeType::Ext4:
        return {"mkfs.ext4", {"-q", "-F", "-I", "256"}, {"ext4"}};
    case VolumeType::Fat:
        return {"mkfs.vfat", {"-F", "16"}, {"vfat"}};
    case VolumeType::Exfat:
        return {"mkfs.exfat", {}, {"exfat", "exfat-fuse"}};
    }
    return {};
}

// statfs f_type of a mount by each driver: the kernel's own, or FUSE.
unsigned long TypeOf(const QString& driver)
{
    if (driver == "ext4")
        return 0xEF53;
    if (driver == "vfat")
        return 0x4d44;
    if (driver == "exfat")
        return 0x2011bab0;
    return 0x65735546; // ntfs-3g and exfat-fuse mount as fuseblk
}

// Whether the running kernel has the driver now (a module it loads on the
// first mount is not listed before).
bool KernelHas(const QString& driver)
{
    QFile file("/proc/filesystems");
    return file.open(QIODevice::ReadOnly) && file.readAll().contains("\t" + driver.toUtf8() + "\n");
}

QString Tool(const QString& name)
{
    // The tools live in sbin, which a non-login PATH may lack.
    return QStandardPaths::findExecutable(name, {"/usr/sbin", "/sbin", "/usr/bin", "/bin"});
}

// Runs a tool to its end: its trimmed standard output, or nullopt when it
// fails. ntfs-3g and exfat-fuse stay behind as the mount's daemon, so only a
// tool whose output is wanted gets a pipe; the others write to the null
// device.
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
    const Recipe recipe = RecipeOf(m_type);
    const bool fuseOnly = recipe.drivers == QStringList{"ntfs-3g"};
    if (fuseOnly && ::access("/dev/fuse", R_OK | W_OK) != 0)
        return "no usable /dev/fuse";
    for (const QString& tool : {recipe.make, QString("losetup"), QString("mount"), QString("umount")})
        if (Tool(tool).isEmpty())
            return tool.toStdString() + " is not installed";
    if (fuseOnly && Tool("mount.ntfs-3g").isEmpty())
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
    if (!Run(recipe.make, recipe.makeArguments + QStringList{QString::fromStdString(image)}))
        return recipe.make.toStdString() + " failed";
    const auto loop = Run("losetup", {"--find", "--show", QString::fromStdString(image)}, true);
    if (!loop || !loop->startsWith("/dev/loop"))
        return "losetup found no free loop device";
    m_loopDevice = *loop;

    m_mountPoint = m_folder.Path("mnt");
    ::mkdir(m_mountPoint.c_str(), 0755);
    for (const QString& driver : recipe.drivers) {
        m_driver = driver;
        if (Mount())
            return {};
    }
    // Tried and failed, a driver the kernel would load is listed now.
    QStringList why;
    for (const QString& driver : recipe.drivers) {
        if (driver == "ntfs-3g" || driver.endsWith("-fuse")) {
            if (Tool("mount." + driver).isEmpty())
                why << "mount." + driver + " is not installed";
        } else if (!KernelHas(driver)) {
            why << "the kernel has no " + driver + " driver";
        }
    }
    std::string problem = "mount -t " + recipe.drivers.join(" and -t ").toStdString() + " failed";
    if (!why.isEmpty())
        problem += ": " + why.join("; ").toStdString();
    m_driver.clear();
    return problem;
}

bool LoopVolume::Mount()
{
    if (!Run("mount", {"-t", m_driver, m_loopDevice, QString::fromStdString(m_mountPoint)}))
        return false;
    m_mounted = true;
    // The volume through the driver tried, not the folder underneath.
    struct statfs fs {};
    if (::statfs(m_mountPoint.c_str(), &fs) == 0 && static_cast<unsigned long>(fs.f_type) == TypeOf(m_driver))
        return true;
    Unmount();
    return false;
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

bool SetNtfsCreationTicks(const std::string& path, std::uint64_t ticks)
{
    unsigned char bytes[8];
    for (int i = 0; i < 8; ++i)
        bytes[i] = static_cast<unsigned char>(ticks >> (8 * i));
    return ::setxattr(path.c_str(), "system.ntfs_crtime", bytes, sizeof bytes, 0) == 0;
}
