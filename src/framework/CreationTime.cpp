#include "CreationTime.h"

#include <sys/stat.h>
#include <sys/vfs.h>

#include <cerrno>
#include <limits>
#include <system_error>

namespace {
constexpr std::int64_t kTicksPerSecond = 10'000'000;
// Seconds from 1601-01-01 to 1970-01-01.
constexpr std::int64_t kEpochDifference = 11'644'473'600;
} // namespace

namespace FileTime {

std::int64_t ToUnixSeconds(std::uint64_t ticks)
{
    // Unsigned division already rounds down; the shift to 1970 comes after it.
    return static_cast<std::int64_t>(ticks / kTicksPerSecond) - kEpochDifference;
}

std::uint64_t FromUnixSeconds(std::int64_t seconds)
{
    constexpr std::int64_t kLastSecond =
        static_cast<std::int64_t>(std::numeric_limits<std::uint64_t>::max() / kTicksPerSecond) - kEpochDifference;
    if (seconds <= -kEpochDifference)
        return 0;
    if (seconds > kLastSecond)
        seconds = kLastSecond;
    return static_cast<std::uint64_t>(seconds + kEpochDifference) * kTicksPerSecond;
}

timespec ToTimespec(std::uint64_t ticks)
{
    return {static_cast<time_t>(ToUnixSeconds(ticks)), static_cast<long>(ticks % kTicksPerSecond * 100)};
}

std::uint64_t FromTimespec(const timespec& time)
{
    const std::uint64_t ticks = FromUnixSeconds(time.tv_sec);
    const auto fraction = static_cast<std::uint64_t>(time.tv_nsec / 100);
    // A time held at either end of the range keeps no fraction.
    if (time.tv_sec < -kEpochDifference || ticks > std::numeric_limits<std::uint64_t>::max() - fraction)
        return ticks;
    return ticks + fraction;
}

} // namespace FileTime

namespace FileSystemType {

std::optional<std::uint64_t> Of(const std::string& path)
{
    struct statfs fs{};
    if (::statfs(path.c_str(), &fs) != 0)
        return std::nullopt;
    return static_cast<std::uint64_t>(fs.f_type);
}

} // namespace FileSystemType

namespace {
// The attribute store of the item's file system; none where only statx
// applies, and none with the error where statfs fails.
const CreationTimeStore* FileSystemStore(const std::string& path, int& error)
{
    const std::optional<std::uint64_t> type = FileSystemType::Of(path);
    error = type ? 0 : errno;
    if (!type)
        return nullptr;
    for (const CreationTimeStore* store : {&NtfsCreationTime(), &CifsCreationTime()}) {
        if (store->Serves(*type))
            return store;
    }
    return nullptr;
}

// The time cut down to a multiple of the step, towards the past, as a file
// system cuts it.
timespec CutToStep(const timespec& time, std::int64_t step)
{
    constexpr std::int64_t kSecond = 1'000'000'000;
    if (step < kSecond)
        return {time.tv_sec, time.tv_nsec - time.tv_nsec % static_cast<long>(step)};
    const std::int64_t seconds = step / kSecond;
    std::int64_t rest = std::int64_t(time.tv_sec) % seconds;
    if (rest < 0)
        rest += seconds;
    return {static_cast<time_t>(time.tv_sec - rest), 0};
}
} // namespace

std::int64_t ModificationTimeStep(const std::string& path)
{
    const std::optional<std::uint64_t> type = FileSystemType::Of(path);
    if (!type)
        return TimeStep::kExact;
    switch (*type) {
    case FileSystemType::kMsdos:
        return TimeStep::kFat;
    case FileSystemType::kExfat:
        return TimeStep::kExfat;
    case FileSystemType::kNtfs:
    case FileSystemType::kNtfs3:
        return TimeStep::kNtfs;
    case FileSystemType::kFuse:
        // A FUSE driver keeps what it likes; ntfs-3g is known by the
        // attribute it alone offers.
        return NtfsCreationTime().Read(path) ? TimeStep::kNtfs : TimeStep::kExact;
    default:
        return TimeStep::kExact;
    }
}

bool KeptAsWritten(const timespec& kept, const timespec& written, std::int64_t step)
{
    const timespec cut = CutToStep(written, step);
    return kept.tv_sec == cut.tv_sec && kept.tv_nsec == cut.tv_nsec;
}

std::optional<timespec> ReadCreationTime(const std::string& path)
{
    if (auto time = StatxCreationTime().Read(path))
        return time;
    int error = 0;
    const CreationTimeStore* store = FileSystemStore(path, error);
    return store ? store->Read(path) : std::nullopt;
}

std::string WriteCreationTime(const std::string& path, const timespec& time)
{
    int statfsError = 0;
    const CreationTimeStore* writer = FileSystemStore(path, statfsError);
    if (statfsError != 0)
        return std::generic_category().message(statfsError);
    if (!writer)
        writer = &StatxCreationTime();
    // A driver may accept the attribute and keep something else: a time its
    // volume cannot hold (NTFS before 1601), a server that ignores it. Only
    // the value read back counts.
    return WriteAndReadBack(
        "creation time", writer->Read(path), time, writer->Step(),
        [&](const timespec& t) { return writer->Write(path, t); },
        [&] { return ReadCreationTime(path); });
}

std::string WriteAndReadBack(const std::string& what, const std::optional<timespec>& before, const timespec& time,
                             std::int64_t step, const std::function<std::string(const timespec&)>& write,
                             const std::function<std::optional<timespec>()>& read)
{
    // Written again, an unchanged time would still move the change time.
    if (before && before->tv_sec == time.tv_sec && before->tv_nsec == time.tv_nsec)
        return {};
    std::string error = write(time);
    if (!error.empty())
        return error;
    const std::optional<timespec> kept = read();
    if (kept && KeptAsWritten(*kept, time, step))
        return {};
    error = "the file system did not keep the " + what;
    if (!before)
        return error;
    const std::string restoreError = write(*before);
    return restoreError.empty() ? error + "; the previous one was put back"
                                : error + "; the previous one could not be put back: " + restoreError;
}

std::string KeepModificationTime(const std::string& path, const timespec& time)
{
    int error = 0;
    const CreationTimeStore* store = FileSystemStore(path, error);
    return store ? store->KeepModificationTime(path, time) : std::string();
}
