#include "RuntimeFolder.h"

#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

// Why the opened folder will not do, or nothing: it must be the user's and
// give others none of the rights in mask.
QString Unfit(int descriptor, mode_t mask)
{
    struct stat status {};
    if (::fstat(descriptor, &status) != 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    if (!S_ISDIR(status.st_mode))
        return QStringLiteral("it is not a folder");
    if (status.st_uid != ::getuid())
        return QStringLiteral("it belongs to user %1").arg(status.st_uid);
    if (status.st_mode & mask)
        return QStringLiteral("its mode %1 lets others in").arg(status.st_mode & 07777, 4, 8, QLatin1Char('0'));
    return {};
}

// The address of a socket at this path, where it fits.
std::optional<sockaddr_un> AddressOf(const QByteArray& path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (static_cast<std::size_t>(path.size()) >= sizeof address.sun_path)
        return std::nullopt;
    std::memcpy(address.sun_path, path.constData(), static_cast<std::size_t>(path.size()));
    return address;
}

} // namespace

RuntimeFolder::RuntimeFolder(const QString& ownFolderName, const QString& socketName)
{
    const QString given = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!given.isEmpty() && Take(given, false, socketName))
        return;
    const QString own = QDir::tempPath() + QLatin1Char('/') + ownFolderName;
    ::mkdir(QFile::encodeName(own).constData(), 0700);
    if (Take(own, true, socketName))
        qWarning("XDG_RUNTIME_DIR is %s; the running program's socket is %ls.", given.isEmpty() ? "not set" : "unfit",
                 qUtf16Printable(m_socketPath));
}

RuntimeFolder::~RuntimeFolder()
{
    if (m_descriptor >= 0)
        ::close(m_descriptor);
}

// Takes the folder where it is fit: the user's runtime folder may be reached
// through a link that the user made, the program's own folder may not, and
// the user's runtime folder may be readable by others.
bool RuntimeFolder::Take(const QString& folder, bool ownFolder, const QString& socketName)
{
    const QByteArray path = QFile::encodeName(folder);
    const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | (ownFolder ? O_NOFOLLOW : 0);
    const int descriptor = path.startsWith('/') ? ::open(path.constData(), flags) : -1;
    QString unfit;
    if (!path.startsWith('/'))
        unfit = QStringLiteral("it is not a full path");
    else if (struct stat link {}; descriptor < 0)
        unfit = ::lstat(path.constData(), &link) == 0 && S_ISLNK(link.st_mode)
            ? QStringLiteral("it is a link")
            : QString::fromLocal8Bit(std::strerror(errno));
    else
        unfit = Unfit(descriptor, ownFolder ? mode_t(S_IRWXG | S_IRWXO) : mode_t(S_IWGRP | S_IWOTH));
    if (!unfit.isEmpty()) {
        qWarning("Cannot keep the running program's socket in %ls (%ls)%s", qUtf16Printable(folder),
                 qUtf16Printable(unfit), ownFolder ? "; running on its own." : ".");
        if (descriptor >= 0)
            ::close(descriptor);
        return false;
    }
    m_socketPath = folder + QLatin1Char('/') + socketName;
    const QByteArray name = QFile::encodeName(socketName);
    m_address = AddressOf(path + '/' + name);
    if (m_address) {
        ::close(descriptor);
        return true;
    }
    // The same folder by a short path, for as long as this object lives.
    m_descriptor = descriptor;
    m_address = AddressOf("/proc/self/fd/" + QByteArray::number(descriptor) + '/' + name);
    qWarning("%ls is too long a path for a socket address; the running program's socket is reached as %s.",
             qUtf16Printable(m_socketPath), m_address ? m_address->sun_path : "nothing shorter");
    return true;
}
