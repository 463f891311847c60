#include "CreationTime.h"

#include <fcntl.h>
#include <sys/stat.h>

namespace {

class StatxStore final : public CreationTimeStore {
public:
    bool Serves(std::uint64_t) const override { return true; }

    std::optional<timespec> Read(const std::string& path) const override
    {
        struct statx info{};
        // No AT_SYMLINK_NOFOLLOW: a link stands for its target, as with touch.
        if (::statx(AT_FDCWD, path.c_str(), AT_STATX_SYNC_AS_STAT, STATX_BTIME, &info) != 0)
            return std::nullopt;
        // File systems without a birth time leave the bit out of the mask
        // (ntfs-3g through FUSE, older NFS, FAT on some kernels).
        if (!(info.stx_mask & STATX_BTIME))
            return std::nullopt;
        return timespec{static_cast<time_t>(info.stx_btime.tv_sec), static_cast<long>(info.stx_btime.tv_nsec)};
    }

    std::string Write(const std::string&, const timespec&) const override
    {
        // The kernel sets the birth time when it creates the inode and
        // offers no call to change it.
        return kCreationTimeNotStorable;
    }
};

} // namespace

const CreationTimeStore& StatxCreationTime()
{
    static const StatxStore store;
    return store;
}
