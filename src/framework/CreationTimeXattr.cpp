// The NTFS and SMB drivers both show the creation time as an 8-byte Windows
// FILETIME in an extended attribute; they differ in its name, its byte order
// and the file systems that carry it.
#include "CreationTime.h"

#include <sys/xattr.h>

#include <bit>
#include <cerrno>
#include <cstring>
#include <initializer_list>
#include <system_error>
#include <vector>

namespace {

enum class ByteOrder { Host, Little };

class AttributeStore final : public CreationTimeStore {
public:
    // timesName: an attribute with all the times, written again after the
    // modification time is set; nullptr where the driver needs no help.
    AttributeStore(const char* name, const char* timesName, ByteOrder order,
                   std::initializer_list<std::uint64_t> types)
        : m_name(name), m_timesName(timesName), m_order(order), m_types(types)
    {
    }

    // Both keep a Windows FILETIME.
    std::int64_t Step() const override { return TimeStep::kNtfs; }

    bool Serves(std::uint64_t type) const override
    {
        for (std::uint64_t served : m_types) {
            if (served == type)
                return true;
        }
        return false;
    }

    std::optional<timespec> Read(const std::string& path) const override
    {
        unsigned char bytes[8];
        // getxattr, not lgetxattr: a link stands for its target.
        if (::getxattr(path.c_str(), m_name, bytes, sizeof bytes) != static_cast<ssize_t>(sizeof bytes))
            return std::nullopt;
        return FileTime::ToTimespec(Decode(bytes));
    }

    std::string Write(const std::string& path, const timespec& time) const override
    {
        unsigned char bytes[8];
        Encode(FileTime::FromTimespec(time), bytes);
        if (::setxattr(path.c_str(), m_name, bytes, sizeof bytes, 0) == 0)
            return {};
        const int error = errno;
        // Another FUSE file system than ntfs-3g, or an SMB client built
        // without extended attributes.
        if (error == ENOTSUP || error == ENODATA)
            return kCreationTimeNotStorable;
        return std::generic_category().message(error);
    }

    // Once a time is set through an attribute, ntfs-3g stops writing the
    // times it keeps in memory to the disk for as long as it caches the
    // inode, so a modification time set by utimensat after a creation time
    // would read back now and be lost at unmount. system.ntfs_times (creation,
    // modification, access, change) writes straight to the disk record: the
    // new modification time goes there, the other two as they are.
    std::string KeepModificationTime(const std::string& path, const timespec& time) const override
    {
        if (!m_timesName)
            return {};
        unsigned char bytes[32];
        const ssize_t size = ::getxattr(path.c_str(), m_timesName, bytes, sizeof bytes);
        if (size < 24)
            return {}; // not ntfs-3g (another FUSE file system, the kernel's ntfs3)
        Encode(FileTime::FromTimespec(time), bytes + 8);
        if (::setxattr(path.c_str(), m_timesName, bytes, 24, 0) != 0)
            return std::generic_category().message(errno);
        return {};
    }

private:
    // ntfs-3g gives system.ntfs_crtime in the processor's byte order; the SMB
    // client always uses little-endian.
    bool Little() const { return m_order == ByteOrder::Little || std::endian::native == std::endian::little; }

    std::uint64_t Decode(const unsigned char* bytes) const
    {
        std::uint64_t ticks = 0;
        if (Little()) {
            for (int i = 7; i >= 0; --i)
                ticks = (ticks << 8) | bytes[i];
        } else {
            std::memcpy(&ticks, bytes, sizeof ticks);
        }
        return ticks;
    }

    void Encode(std::uint64_t ticks, unsigned char* bytes) const
    {
        if (Little()) {
            for (int i = 0; i < 8; ++i)
                bytes[i] = static_cast<unsigned char>(ticks >> (8 * i));
        } else {
            std::memcpy(bytes, &ticks, sizeof ticks);
        }
    }

    const char* m_name;
    const char* m_timesName;
    ByteOrder m_order;
    std::vector<std::uint64_t> m_types;
};

} // namespace

const CreationTimeStore& NtfsCreationTime()
{
    static const AttributeStore store("system.ntfs_crtime", "system.ntfs_times", ByteOrder::Host,
                                      {FileSystemType::kFuse, FileSystemType::kNtfs, FileSystemType::kNtfs3});
    return store;
}

const CreationTimeStore& CifsCreationTime()
{
    static const AttributeStore store("user.cifs.creationtime", nullptr, ByteOrder::Little,
                                      {FileSystemType::kCifs, FileSystemType::kSmb2});
    return store;
}
