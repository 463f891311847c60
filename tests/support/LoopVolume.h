#pragma once

#include "support/TestSupport.h"

#include <QString>

#include <cstdint>
#include <string>

enum class VolumeType {
    Ntfs,  // through ntfs-3g: the one place where Linux lets a program store a creation date
    Ext4,  // 256-byte inodes, as mkfs makes them for real volumes: the years 1901 to 2446
    Fat,   // FAT16 through the kernel's vfat: modification times in even seconds, 1980 to 2107
    Exfat, // through the kernel's exfat, else exfat-fuse: 10 ms (exfat-fuse whole seconds), 1980 to 2107
};

// A 16 MiB file-system image, made with mkntfs, mkfs.ext4, mkfs.vfat or
// mkfs.exfat, attached to a loop device and mounted in a temporary folder.
// Unmounted and detached however the test ends. Where it cannot be had (not
// root, no /dev/fuse, tools or the kernel's driver missing), Problem() says
// why, for the skip message:
//
//     LoopVolume volume(VolumeType::Ntfs);
//     if (!volume.Ready())
//         GTEST_SKIP() << "no NTFS volume: " << volume.Problem();
class LoopVolume {
public:
    explicit LoopVolume(VolumeType type);
    ~LoopVolume();
    LoopVolume(const LoopVolume&) = delete;
    LoopVolume& operator=(const LoopVolume&) = delete;

    bool Ready() const { return m_problem.empty(); }
    // "" once mounted, else why the volume cannot be had here.
    const std::string& Problem() const { return m_problem; }
    // Native path of an entry on the volume.
    std::string Path(const std::string& name) const { return m_mountPoint + "/" + name; }
    // Unmounts and mounts again, so that what is read next comes from the
    // disk and not from the driver's memory.
    bool Remount();
    // The mount type that serves the volume ("ntfs-3g", "exfat", "exfat-fuse"...).
    const QString& Driver() const { return m_driver; }

private:
    std::string Prepare();
    bool Mount();
    void Unmount();

    VolumeType m_type;
    QString m_driver;
    TempFolder m_folder; // declared before the mount, so it goes only after the unmount
    QString m_loopDevice;
    std::string m_mountPoint;
    bool m_mounted = false;
    std::string m_problem;
};

// Gives an item on an NTFS volume this creation time, in 100 ns ticks since
// 1601, through ntfs-3g's attribute, little-end first as the disk keeps it;
// a test's starting point, set without the program's own code.
bool SetNtfsCreationTicks(const std::string& path, std::uint64_t ticks);
