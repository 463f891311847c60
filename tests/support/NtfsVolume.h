#pragma once

#include "support/TestSupport.h"

#include <QString>

#include <string>

// A 16 MiB NTFS image, made with mkntfs, attached to a loop device and
// mounted through ntfs-3g in a temporary folder: the one place where Linux
// lets a program store a creation date. Unmounted and detached however the
// test ends. Where it cannot be had (not root, no /dev/fuse, tools missing),
// Problem() says why, for the skip message:
//
//     NtfsVolume volume;
//     if (!volume.Ready())
//         GTEST_SKIP() << "no NTFS volume: " << volume.Problem();
class NtfsVolume {
public:
    NtfsVolume();
    ~NtfsVolume();
    NtfsVolume(const NtfsVolume&) = delete;
    NtfsVolume& operator=(const NtfsVolume&) = delete;

    bool Ready() const { return m_problem.empty(); }
    // "" once mounted, else why the volume cannot be had here.
    const std::string& Problem() const { return m_problem; }
    // Native path of an entry on the volume.
    std::string Path(const std::string& name) const { return m_mountPoint + "/" + name; }
    // Unmounts and mounts again, so that what is read next comes from the
    // disk and not from the driver's memory.
    bool Remount();

private:
    std::string Prepare();
    bool Mount();
    void Unmount();

    TempFolder m_folder; // declared first, so it goes only after the unmount
    QString m_loopDevice;
    std::string m_mountPoint;
    bool m_mounted = false;
    std::string m_problem;
};
