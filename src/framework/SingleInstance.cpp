#include "SingleInstance.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>
#include <QtEndian>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>

// One connection of a later start: what it sent so far and how long it may
// take. Closes its socket when it goes.
class RequestConnection : public QObject {
public:
    RequestConnection(int socket, QObject* parent)
        : QObject(parent), fd(socket), notifier(socket, QSocketNotifier::Read)
    {
    }
    ~RequestConnection() override
    {
        notifier.setEnabled(false);
        ::close(fd);
    }

    const int fd;
    QSocketNotifier notifier;
    QTimer stall;
    QByteArray received;
    bool done = false;
};

namespace {

const QByteArray kKind = QByteArrayLiteral("ODR1");
constexpr qsizetype kHeaderBytes = 8; // the kind and the byte count of the rest
// How long a later start keeps trying while the first is still on its way
// to listening.
constexpr int kStartTimeoutMs = 3000;

QString SocketPathFor(const std::string& programName)
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        return {};
    QByteArray display = qgetenv("WAYLAND_DISPLAY");
    if (display.isEmpty())
        display = qgetenv("DISPLAY");
    if (display.isEmpty())
        display = "none";
    QString name = QString::fromStdString(programName) + QLatin1Char('-') + QString::number(::getuid())
        + QLatin1Char('-') + QString::fromLocal8Bit(display);
    for (QChar& c : name) {
        const char16_t u = c.unicode();
        const bool plain = (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || u == '.'
            || u == '-' || u == '_';
        if (!plain)
            c = QLatin1Char('_');
    }
    return folder + QLatin1Char('/') + name;
}

// The socket's address; none where the path is too long for one.
std::optional<sockaddr_un> AddressOf(const QString& socketPath)
{
    const QByteArray path = QFile::encodeName(socketPath);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.isEmpty() || static_cast<std::size_t>(path.size()) >= sizeof address.sun_path)
        return std::nullopt;
    std::memcpy(address.sun_path, path.constData(), static_cast<std::size_t>(path.size()));
    return address;
}

void AppendNumber(QByteArray& bytes, quint32 value)
{
    const quint32 big = qToBigEndian(value);
    bytes.append(reinterpret_cast<const char*>(&big), sizeof big);
}

// The paths of a message's rest, or false where it breaks a rule.
bool Decode(const QByteArray& rest, std::vector<std::string>& paths)
{
    qsizetype at = 0;
    const auto next = [&](quint32& value) {
        if (rest.size() - at < 4)
            return false;
        value = qFromBigEndian<quint32>(rest.constData() + at);
        at += 4;
        return true;
    };
    quint32 count = 0;
    if (!next(count) || count > SingleInstance::kMaxPaths)
        return false;
    for (quint32 i = 0; i < count; ++i) {
        quint32 size = 0;
        if (!next(size) || size > rest.size() - at)
            return false;
        std::string path(rest.constData() + at, size);
        at += size;
        // A relative path would name an item in this process's folder, not
        // in the sender's.
        if ((!path.empty() && path.front() != '/') || path.find('\0') != std::string::npos)
            return false;
        paths.push_back(std::move(path));
    }
    return at == rest.size();
}

// The message that carries these paths, or empty where the listener would
// refuse it: beyond the bounds, or with a path that is not absolute (where
// the working folder is gone).
QByteArray Encode(const std::vector<std::string>& paths)
{
    if (paths.size() > SingleInstance::kMaxPaths)
        return {};
    QByteArray rest;
    AppendNumber(rest, static_cast<quint32>(paths.size()));
    for (const std::string& path : paths) {
        if (path.size() > SingleInstance::kMaxMessageBytes || (!path.empty() && path.front() != '/'))
            return {};
        AppendNumber(rest, static_cast<quint32>(path.size()));
        rest.append(path.data(), static_cast<qsizetype>(path.size()));
        if (static_cast<std::size_t>(rest.size()) > SingleInstance::kMaxMessageBytes)
            return {};
    }
    QByteArray message = kKind;
    AppendNumber(message, static_cast<quint32>(rest.size()));
    return message + rest;
}

// What the bytes received so far amount to: nothing yet (nullopt and no
// refusal), a whole message, or a refusal.
std::optional<std::vector<std::string>> Judge(const QByteArray& received, const char*& refusal)
{
    refusal = nullptr;
    if (!kKind.startsWith(received.left(kKind.size())))
        refusal = "it is not a request";
    if (refusal || received.size() < kHeaderBytes)
        return std::nullopt;
    const quint32 size = qFromBigEndian<quint32>(received.constData() + kKind.size());
    if (size > SingleInstance::kMaxMessageBytes)
        refusal = "it is too large";
    else if (received.size() > kHeaderBytes + size)
        refusal = "something follows the message";
    if (refusal || received.size() < kHeaderBytes + size)
        return std::nullopt;
    std::vector<std::string> paths;
    if (!Decode(received.mid(kHeaderBytes), paths)) {
        refusal = "it is malformed";
        return std::nullopt;
    }
    return paths;
}

} // namespace

SingleInstance::SingleInstance(const std::string& programName, RequestHandler requestsArrived)
    : m_socketPath(SocketPathFor(programName)), m_requestsArrived(std::move(requestsArrived))
{
}

SingleInstance::~SingleInstance()
{
    // The socket goes before the lock: once the lock is free, the next first
    // start makes its socket under the same name.
    StopListening();
    ReleaseLock();
}

void SingleInstance::ReleaseLock()
{
    if (m_lockFile >= 0)
        ::close(m_lockFile);
    m_lockFile = -1;
}

SingleInstance::Outcome SingleInstance::Start(const std::vector<std::string>& requests)
{
    if (m_socketPath.isEmpty())
        return Outcome::Alone;
    const QByteArray message = Encode(requests);
    // Never removed: a start that opened it a moment before would lock a
    // file that no longer has the name. Not inherited by programs this one
    // starts, which would hold the lock after it ends.
    const QByteArray lockPath = QFile::encodeName(m_socketPath + QStringLiteral(".lock"));
    m_lockFile = ::open(lockPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (m_lockFile < 0) {
        qWarning("Cannot open %s (%s); running on its own.", lockPath.constData(), std::strerror(errno));
        return Outcome::Alone;
    }
    const QDeadlineTimer deadline(kStartTimeoutMs);
    for (;;) {
        if (::flock(m_lockFile, LOCK_EX | LOCK_NB) == 0)
            return Listen() ? Outcome::First : Outcome::Alone;
        if (errno != EWOULDBLOCK && errno != EINTR) {
            qWarning("Cannot lock %s (%s); running on its own.", lockPath.constData(), std::strerror(errno));
            break;
        }
        if (message.isEmpty()) {
            qWarning("Cannot hand these arguments to the running program; running on its own.");
            break;
        }
        if (HandOver(message)) {
            ReleaseLock();
            return Outcome::HandedOver;
        }
        if (deadline.hasExpired()) {
            qWarning("The running program does not answer on %ls; running on its own.", qUtf16Printable(m_socketPath));
            break;
        }
        // The holder has the lock but does not listen yet.
        QThread::msleep(50);
    }
    ReleaseLock();
    return Outcome::Alone;
}

bool SingleInstance::Listen()
{
    const auto address = AddressOf(m_socketPath);
    const char* failure = address ? nullptr : "the path is too long";
    if (address) {
        m_listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        // A socket left by a program that died; no running program owns it,
        // as this process holds the lock.
        ::unlink(address->sun_path);
        if (m_listener < 0 || ::bind(m_listener, reinterpret_cast<const sockaddr*>(&*address), sizeof *address) != 0
            || ::chmod(address->sun_path, 0600) != 0 || ::listen(m_listener, SOMAXCONN) != 0)
            failure = std::strerror(errno);
    }
    if (failure) {
        qWarning("Cannot listen on %ls (%s); running on its own.", qUtf16Printable(m_socketPath), failure);
        StopListening();
        // Let a later start try instead of waiting for this one.
        ReleaseLock();
        return false;
    }
    m_listenerNotifier = std::make_unique<QSocketNotifier>(m_listener, QSocketNotifier::Read);
    connect(m_listenerNotifier.get(), &QSocketNotifier::activated, this, &SingleInstance::Accept);
    return true;
}

void SingleInstance::StopListening()
{
    m_listenerNotifier.reset();
    if (m_listener >= 0) {
        ::close(m_listener);
        ::unlink(QFile::encodeName(m_socketPath).constData());
    }
    m_listener = -1;
}

bool SingleInstance::HandOver(const QByteArray& message) const
{
    const auto address = AddressOf(m_socketPath);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (!address || fd < 0) {
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    // Bounds both the connection, where the holder takes no one in, and
    // each write, where it reads nothing.
    const timeval timeout{kStallTimeoutMs / 1000, (kStallTimeoutMs % 1000) * 1000};
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
    bool sent = ::connect(fd, reinterpret_cast<const sockaddr*>(&*address), sizeof *address) == 0;
    for (qsizetype at = 0; sent && at < message.size();) {
        const ssize_t n = ::send(fd, message.constData() + at, static_cast<std::size_t>(message.size() - at),
                                 MSG_NOSIGNAL);
        if (n > 0)
            at += n;
        else if (n < 0 && errno != EINTR)
            sent = false;
    }
    ::close(fd);
    return sent;
}

void SingleInstance::Accept()
{
    for (;;) {
        const int fd = ::accept4(m_listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0)
            return;
        auto* connection = new RequestConnection(fd, this);
        ucred peer{};
        socklen_t size = sizeof peer;
        if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0 || peer.uid != ::getuid()) {
            Close(connection, "it comes from another user");
            continue;
        }
        connect(&connection->notifier, &QSocketNotifier::activated, this, [this, connection] { Read(connection); });
        connect(&connection->stall, &QTimer::timeout, connection,
                [connection] { Close(connection, "it did not send a whole message in time"); });
        connection->stall.setSingleShot(true);
        connection->stall.start(kStallTimeoutMs);
    }
}

void SingleInstance::Read(RequestConnection* connection)
{
    if (connection->done)
        return;
    // Reads what is there, and no more than a message can hold plus what
    // shows that something follows it.
    constexpr qsizetype kMost = kHeaderBytes + static_cast<qsizetype>(kMaxMessageBytes) + 1;
    char buffer[64 * 1024];
    bool closed = false;
    while (connection->received.size() < kMost) {
        const ssize_t n = ::recv(connection->fd, buffer, sizeof buffer, 0);
        if (n > 0) {
            connection->received.append(buffer, n);
            continue;
        }
        if (n == 0)
            closed = true;
        else if (errno == EINTR)
            continue;
        else if (errno != EAGAIN && errno != EWOULDBLOCK)
            return Close(connection, "it could not be read");
        break;
    }
    const char* refusal = nullptr;
    std::optional<std::vector<std::string>> paths = Judge(connection->received, refusal);
    if (refusal)
        return Close(connection, refusal);
    if (!paths) {
        if (closed)
            Close(connection, "it closed before sending a whole message");
        return;
    }
    Close(connection, nullptr);
    if (m_requestsArrived)
        m_requestsArrived(std::move(*paths));
}

void SingleInstance::Close(RequestConnection* connection, const char* refusal)
{
    if (connection->done)
        return;
    if (refusal)
        qWarning("Refused a request from another start of the program: %s.", refusal);
    connection->done = true;
    connection->notifier.setEnabled(false);
    connection->stall.stop();
    connection->deleteLater();
}
