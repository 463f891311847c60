#pragma once

#include "Date.h"
#include "Object.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

// A file, folder or disk, named by its native path. The path is kept as the
// raw bytes the system gave (a Linux name need not be valid UTF-8), so every
// read and write reaches the very item the user chose; it becomes text only
// for display.
//
// Nothing is cached: each member asks the file system again. A symbolic link
// stands for its target (as with touch); a link whose target is missing does
// not exist. The item is never opened, so a FIFO, a socket or a device is as
// safe to ask as a file. No member raises an exception; a date write that
// does not take effect leaves the item as it was and says why through
// LastWriteError.
class FolderItem : public Object {
    DECLARE_CLASS_INFO

public:
    explicit FolderItem(std::string nativePathBytes);

    // The program's own executable (/proc/self/exe).
    static std::shared_ptr<FolderItem> ExecutableFile();

    const std::string& NativePathBytes() const { return m_path; }

    // The last component of the path, as UTF-8; bytes that are not UTF-8
    // show as U+FFFD.
    std::string Name() const;
    // The whole path, as UTF-8 in the same way.
    std::string NativePath() const;
    // A regular file's size in bytes; 0 for a folder, a disk, a device, a
    // FIFO, a socket and a missing item.
    std::uint64_t Length() const;
    bool Exists() const;

    // nullopt when the item is missing or its file system reports no date.
    std::optional<Date> CreationDate() const;
    std::optional<Date> ModificationDate() const;

    // Sets the modification time to the nanosecond the date holds (a date
    // read from an item keeps its fraction; one whose fields were set has
    // none); the access time and the content stay as they were. A time the
    // item already has is not written again, so not even its change time
    // moves. A new time is then read back:
    // - exactly as written, cut to the file system's step (FAT keeps even
    //   seconds, exFAT 10 ms, NTFS 100 ns; elsewhere the nanosecond): it
    //   counts as written, and LastWriteError is "";
    // - anything else, a time the volume cannot hold and the kernel clamped
    //   without refusing it (ext4 keeps 1901-12-13 20:45:52 UTC to 2446;
    //   NTFS starts in 1601), however close to the one asked: the previous
    //   time is put back, to the nanosecond, and LastWriteError says so;
    // - a write the system refuses (a missing item, a read-only volume, no
    //   permission) changes nothing; LastWriteError gives its reason.
    void SetModificationDate(const Date& date);
    // Sets the creation time where the file system lets user space store it
    // (NTFS and SMB, to their 100 ns ticks), skipped and read back in the
    // same way, at the tick:
    // a time the volume does not keep (NTFS before 1601) gives way to the
    // previous one, exactly as it was.
    // Elsewhere (ext4, XFS, Btrfs, tmpfs...) another time than the item's
    // changes nothing, and LastWriteError says that it cannot be stored there.
    void SetCreationDate(const Date& date);

    // Why the last date write did not take effect; "" after one that did.
    const std::string& LastWriteError() const { return m_lastWriteError; }

private:
    std::string m_path;
    std::string m_lastWriteError;
};
