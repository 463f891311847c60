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

} // namespace FileTime

namespace {
// The attribute store of the item's file system; none where only statx
// applies, and none with the error where statfs fails.
const CreationTimeStore* FileSystemStore(const std::string& path, int& error)
{
    struct statfs fs{};
    if (::statfs(path.c_str(), &fs) != 0) {
        error = errno;
        return nullptr;
    }
    error = 0;
    const auto type = static_cast<std::uint64_t>(fs.f_type);
    for (const CreationTimeStore* store : {&NtfsCreationTime(), &CifsCreationTime()}) {
        if (store->Serves(type))
            return store;
    }
    return nullptr;
}
} // namespace

std::optional<std::int64_t> ReadCreationTime(const std::string& path)
{
    if (auto seconds = StatxCreationTime().Read(path))
        return seconds;
    int error = 0;
    const CreationTimeStore* store = FileSystemStore(path, error);
    return store ? store->Read(path) : std::nullopt;
}

std::string WriteCreationTime(const std::string& path, std::int64_t seconds)
{
    int statfsError = 0;
    const CreationTimeStore* writer = FileSystemStore(path, statfsError);
    if (statfsError != 0)
        return std::generic_category().message(statfsError);
    if (!writer)
        writer = &StatxCreationTime();
    std::string error = writer->Write(path, seconds);
    if (!error.empty())
        return error;
    // A driver may accept the attribute and keep something else (a coarser
    // clock, a server that ignores it); only the value read back counts.
    if (ReadCreationTime(path) != seconds)
        return "the file system did not keep the creation time";
    return {};
}

std::string KeepModificationTime(const std::string& path, std::int64_t seconds)
{
    int error = 0;
    const CreationTimeStore* store = FileSystemStore(path, error);
    return store ? store->KeepModificationTime(path, seconds) : std::string();
}
