#include "FolderItem.h"

#include "CreationTime.h"

#include <QByteArrayView>
#include <QString>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <vector>

namespace {

std::string DisplayText(std::string_view bytes)
{
    // Qt's UTF-8 decoder puts U+FFFD for every byte it cannot read.
    return QString::fromUtf8(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size()))).toStdString();
}

std::string ErrorText(int error)
{
    return std::generic_category().message(error);
}

// A path that the system calls would read differently from what the caller
// meant: empty, or cut short by a NUL byte, which would name another item.
bool Unusable(const std::string& path)
{
    return path.empty() || path.find('\0') != std::string::npos;
}

// nullopt with errno set when the item cannot be asked.
std::optional<struct statx> StatItem(const std::string& path, unsigned mask)
{
    if (Unusable(path)) {
        errno = ENOENT;
        return std::nullopt;
    }
    struct statx info{};
    // Following links, and never opening the item (a FIFO would block).
    if (::statx(AT_FDCWD, path.c_str(), AT_STATX_SYNC_AS_STAT, mask, &info) != 0)
        return std::nullopt;
    return info;
}

timespec Time(const statx_timestamp& time)
{
    return {static_cast<time_t>(time.tv_sec), static_cast<long>(time.tv_nsec)};
}

bool Same(const timespec& a, const timespec& b)
{
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// To the nanosecond; nullopt with errno set when there is none.
std::optional<timespec> ModificationTime(const std::string& path)
{
    const auto info = StatItem(path, STATX_MTIME);
    if (!info)
        return std::nullopt;
    if (!(info->stx_mask & STATX_MTIME)) {
        errno = ENODATA;
        return std::nullopt;
    }
    return Time(info->stx_mtime);
}

// "" once set, else the reason.
std::string WriteModificationTime(const std::string& path, const timespec& time)
{
    const auto before = StatItem(path, STATX_ATIME | STATX_MTIME);
    if (!before)
        return ErrorText(errno);
    // By path, so the item is never opened and a missing one never created;
    // UTIME_OMIT keeps the access time.
    const timespec times[2] = {{0, UTIME_OMIT}, time};
    if (::utimensat(AT_FDCWD, path.c_str(), times, 0) != 0)
        return ErrorText(errno);
    // A FUSE file system written for libfuse's high-level interface without
    // UTIME_OMIT (exfat-fuse, fusefat) drops a modification time that comes
    // without the access time, and reports success. Where nothing moved there,
    // both go, the access time exactly as it was.
    const auto after = StatItem(path, STATX_MTIME);
    if (after && Same(Time(after->stx_mtime), Time(before->stx_mtime)) && !Same(Time(before->stx_mtime), time)
        && (before->stx_mask & STATX_ATIME) && FileSystemType::Of(path) == FileSystemType::kFuse) {
        const timespec both[2] = {Time(before->stx_atime), time};
        if (::utimensat(AT_FDCWD, path.c_str(), both, 0) != 0)
            return ErrorText(errno);
    }
    return KeepModificationTime(path, time);
}

// To the nanosecond: a date read from an item goes back exactly as it came.
timespec TimeOf(const Date& date)
{
    return {static_cast<time_t>(date.SecondsSinceEpoch()), static_cast<long>(date.Nanosecond())};
}

} // namespace

const ClassInfo& FolderItem::StaticClassInfo()
{
    static const ClassInfo info("FolderItem", &Object::StaticClassInfo(), {});
    return info;
}

FolderItem::FolderItem(std::string nativePathBytes) : m_path(std::move(nativePathBytes)) {}

std::shared_ptr<FolderItem> FolderItem::ExecutableFile()
{
    std::vector<char> buffer(256);
    for (;;) {
        const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0)
            return std::make_shared<FolderItem>(std::string());
        if (static_cast<std::size_t>(n) < buffer.size())
            return std::make_shared<FolderItem>(std::string(buffer.data(), static_cast<std::size_t>(n)));
        // readlink truncates silently; a full buffer may be a cut path.
        buffer.resize(buffer.size() * 2);
    }
}

std::string FolderItem::Name() const
{
    std::string_view path = m_path;
    while (path.size() > 1 && path.back() == '/')
        path.remove_suffix(1);
    if (path == "/")
        return "/";
    const std::size_t slash = path.rfind('/');
    return DisplayText(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string FolderItem::NativePath() const
{
    return DisplayText(m_path);
}

std::uint64_t FolderItem::Length() const
{
    const auto info = StatItem(m_path, STATX_TYPE | STATX_SIZE);
    if (!info || !S_ISREG(info->stx_mode))
        return 0;
    return info->stx_size;
}

bool FolderItem::Exists() const
{
    return StatItem(m_path, STATX_TYPE).has_value();
}

std::optional<Date> FolderItem::CreationDate() const
{
    if (Unusable(m_path))
        return std::nullopt;
    const auto time = ReadCreationTime(m_path);
    if (!time)
        return std::nullopt;
    return Date::FromTimespec(*time);
}

std::optional<Date> FolderItem::ModificationDate() const
{
    const auto time = ModificationTime(m_path);
    return time ? std::optional(Date::FromTimespec(*time)) : std::nullopt;
}

void FolderItem::SetModificationDate(const Date& date)
{
    const auto before = ModificationTime(m_path);
    if (!before) {
        m_lastWriteError = ErrorText(errno);
        return;
    }
    // A file system clamps a time it cannot hold without refusing it (ext4
    // keeps the years 1901 to 2446); the item then gets its old time back.
    m_lastWriteError = WriteAndReadBack(
        "modification time", before, TimeOf(date), ModificationTimeStep(m_path),
        [this](const timespec& time) { return WriteModificationTime(m_path, time); },
        [this] { return ModificationTime(m_path); });
}

void FolderItem::SetCreationDate(const Date& date)
{
    if (!Exists()) {
        m_lastWriteError = ErrorText(ENOENT);
        return;
    }
    m_lastWriteError = WriteCreationTime(m_path, TimeOf(date));
}
