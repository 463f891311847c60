#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <optional>
#include <string>

// Linux has no one call that reads and writes an item's creation ("birth")
// time. The kernel reports it through statx where the file system keeps it,
// but offers no way to set it; the NTFS and SMB drivers expose it as an
// extended attribute that can be written. Each place is one store; the
// functions at the end pick the store for an item.
//
// Every path is the item's raw native path, followed if it is a symbolic
// link. No store opens the item, so a FIFO or a device is safe to ask.
class CreationTimeStore {
public:
    virtual ~CreationTimeStore() = default;

    // Whether the store keeps creation times on a file system of this type
    // (statfs f_type).
    virtual bool Serves(std::uint64_t fileSystemType) const = 0;
    // The step, in nanoseconds, to which the store keeps a time (TimeStep).
    virtual std::int64_t Step() const { return 1; }
    // The time as the store keeps it (to the store's own resolution);
    // nullopt when the store has none.
    virtual std::optional<timespec> Read(const std::string& path) const = 0;
    // "" once written, else the reason it was not.
    virtual std::string Write(const std::string& path, const timespec& time) const = 0;
    // Runs after utimensat has set the modification time, for a driver that
    // could otherwise lose it; "" when nothing was needed or it worked.
    virtual std::string KeepModificationTime(const std::string& path, const timespec& time) const
    {
        (void)path;
        (void)time;
        return {};
    }
};

// statx birth time: any file system that reports one; never writable.
const CreationTimeStore& StatxCreationTime();
// ntfs-3g and the kernel's ntfs3: the attribute system.ntfs_crtime.
const CreationTimeStore& NtfsCreationTime();
// SMB/CIFS mounts: the attribute user.cifs.creationtime.
const CreationTimeStore& CifsCreationTime();

// File system types as statfs reports them (f_type).
namespace FileSystemType {
inline constexpr std::uint64_t kFuse = 0x65735546;  // every FUSE file system: ntfs-3g (fuseblk), exfat-fuse...
inline constexpr std::uint64_t kNtfs = 0x5346544e;  // the kernel's old ntfs
inline constexpr std::uint64_t kNtfs3 = 0x7366746e; // the kernel's ntfs3
inline constexpr std::uint64_t kMsdos = 0x4d44;     // vfat and msdos
inline constexpr std::uint64_t kExfat = 0x2011bab0;
inline constexpr std::uint64_t kCifs = 0xff534d42;
inline constexpr std::uint64_t kSmb2 = 0xfe534d42;

// The type of the item's file system; nullopt with errno set where statfs fails.
std::optional<std::uint64_t> Of(const std::string& path);
} // namespace FileSystemType

// How finely a file system keeps a time, in nanoseconds: it cuts every time
// it is given down (towards the past) to a multiple of this step, as the
// kernel does with the granularity that each driver declares. A time is
// written when it reads back as exactly that multiple (KeptAsWritten).
namespace TimeStep {
inline constexpr std::int64_t kExact = 1;
inline constexpr std::int64_t kNtfs = 100;          // Windows FILETIME ticks
inline constexpr std::int64_t kExfat = 10'000'000;  // 10 ms
inline constexpr std::int64_t kFat = 2'000'000'000; // even seconds
} // namespace TimeStep

// The step of the modification times of the item's file system, known from
// its type: FAT, exFAT and NTFS (the kernel's drivers and ntfs-3g) have
// theirs. Everywhere else, and where the type says nothing of the driver
// (another FUSE file system, statfs failing), kExact: there a time that comes
// back other than written, to the nanosecond, does not count as written. That
// errs only towards refusing: a coarser volume there (ext4 with 128-byte
// inodes keeps whole seconds) still takes the whole seconds the pickers
// write, and the times read from it.
std::int64_t ModificationTimeStep(const std::string& path);

// The item's creation time from the first store that has one.
std::optional<timespec> ReadCreationTime(const std::string& path);
// Writes through the store of the item's file system and reads the value
// back. "" when the item now reports that time (KeptAsWritten); else the
// reason, and a value that the file system kept in its place has been
// replaced by the one before, exactly.
std::string WriteCreationTime(const std::string& path, const timespec& time);

// Gives the store of the item's file system its chance to keep a
// modification time just set; "" when kept.
std::string KeepModificationTime(const std::string& path, const timespec& time);

// Writes a time and reads it back. "" when the file system kept it at its
// step (KeptAsWritten); else the reason, after the time before (where there
// was one) has been written back in place of the one the file system kept.
// what names the time in the reason ("creation time"). A time equal to the
// one before, to the nanosecond, is not written at all (""), so that not
// even the item's change time moves.
std::string WriteAndReadBack(const std::string& what, const std::optional<timespec>& before, const timespec& time,
                             std::int64_t step, const std::function<std::string(const timespec&)>& write,
                             const std::function<std::optional<timespec>()>& read);

// Whether a time read back after a write is the one written: exactly the
// written time cut down to the file system's step (FAT keeps 10:00:01 as
// 10:00:00). Anything else is a time it could not hold and kept another in
// its place, however close: ext4 turns 1901-12-13 20:45:50 UTC into 20:45:52,
// its first second; NTFS turns 1600 into 1601.
bool KeptAsWritten(const timespec& kept, const timespec& written, std::int64_t step);

// The reason given where no store can write a creation time.
inline constexpr const char* kCreationTimeNotStorable = "creation time cannot be stored on this file system";

// Windows FILETIME: 100-nanosecond ticks since 1601-01-01 00:00:00 UTC.
namespace FileTime {
// Whole seconds since 1970, rounded down (also before 1970).
std::int64_t ToUnixSeconds(std::uint64_t ticks);
// Ticks of a time in whole seconds; times before 1601 become 1601.
std::uint64_t FromUnixSeconds(std::int64_t seconds);
// The same to the tick: the fraction is kept in whole ticks.
timespec ToTimespec(std::uint64_t ticks);
std::uint64_t FromTimespec(const timespec& time);
} // namespace FileTime
