#include "SingleInstance.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
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

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>

#ifdef __GLIBC__
#include <malloc.h>
#endif

// One connection of a later start: what it sent so far and how long it may
// take; once its message is whole, waits for the program to serve it. Its
// socket is closed as soon as it is done with, so that its sender learns it
// at once; the object goes later.
class RequestConnection : public QObject {
public:
    RequestConnection(int socket, SingleInstance* owner)
        : QObject(owner), owner(owner), fd(socket), notifier(socket, QSocketNotifier::Read)
    {
        age.start();
        stall.setSingleShot(true);
    }
    ~RequestConnection() override { Shut(); }

    void Shut()
    {
        notifier.setEnabled(false);
        stall.stop();
        if (fd >= 0)
            ::close(fd);
        fd = -1;
        received = QByteArray();
    }
    // What this connection holds: its buffer while it reads, its message
    // while that waits to be served.
    qsizetype Held() const { return whole ? messageBytes : received.capacity(); }

    SingleInstance* const owner;
    int fd;
    QSocketNotifier notifier;
    QTimer stall;
    QElapsedTimer age;
    QByteArray received;
    qsizetype messageBytes = 0;
    bool whole = false;       // the message is read and waits to be served
    bool waitsForRoom = false; // not read further until bytes are free
};

namespace {

const QByteArray kKind = QByteArrayLiteral("ODR1");
constexpr qsizetype kHeaderBytes = 8; // the kind and the byte count of the rest
// How long a later start waits before it tries again, while the first is on
// its way to listening or on its way out.
constexpr int kRetryMs = 20;
// How long the listener waits where no descriptor was left to take a
// connection with.
constexpr int kDescriptorPauseMs = 100;
constexpr int kRefusalQuietMs = 60 * 1000;
// From this size on a buffer is worth giving back to the system once all
// connections are gone.
constexpr qsizetype kLargeBuffer = 64 * 1024;

QString SocketPathFor(const std::string& programName, const std::string& display)
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        return {};
    QString name = QString::fromStdString(programName) + QLatin1Char('-') + QString::number(::getuid())
        + QLatin1Char('-') + QString::fromLocal8Bit(display.empty() ? "none" : display.c_str());
    for (QChar& c : name) {
        const char16_t u = c.unicode();
        const bool plain = (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || u == '.'
            || u == '-' || u == '_';
        if (!plain)
            c = QLatin1Char('_');
    }
    return folder + QLatin1Char('/') + name;
}

// An X display name, [protocol/][host]:number[.screen], as host and number:
// the screen is the same display, and "unix" or no host both mean this
// machine's local socket.
std::string XDisplay(std::string name)
{
    const std::size_t colon = name.rfind(':');
    if (colon == std::string::npos)
        return name;
    std::string host = name.substr(0, colon);
    std::string number = name.substr(colon + 1);
    number = number.substr(0, number.find('.'));
    if (const std::size_t slash = host.find('/'); slash != std::string::npos && host.front() != '/') {
        const bool local = host.compare(0, slash, "unix") == 0;
        host = local ? std::string() : host.substr(slash + 1);
    }
    if (host == "unix")
        host.clear();
    return host + ':' + number;
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

// The size of the rest that a whole header announces.
qsizetype Announced(const QByteArray& received)
{
    return qFromBigEndian<quint32>(received.constData() + kKind.size());
}

// What the bytes received so far break of the header's rules, or null.
const char* HeaderRefusal(const QByteArray& received)
{
    if (!kKind.startsWith(received.left(kKind.size())))
        return "it is not a request";
    if (received.size() >= kHeaderBytes
        && static_cast<std::size_t>(Announced(received)) > SingleInstance::kMaxMessageBytes)
        return "it is too large";
    return nullptr;
}

// Bounds a blocking call on the socket by what is left of the deadline;
// false once nothing is left.
bool BoundBy(int fd, int option, const QDeadlineTimer& deadline)
{
    const qint64 ms = deadline.remainingTime();
    if (ms <= 0)
        return false;
    const timeval timeout{static_cast<time_t>(ms / 1000), static_cast<suseconds_t>(ms % 1000 * 1000)};
    return ::setsockopt(fd, SOL_SOCKET, option, &timeout, sizeof timeout) == 0;
}

} // namespace

SingleInstance::Answer::Answer(RequestConnection* connection) : m_connection(connection), m_fromLaterStart(true)
{
}

SingleInstance::Answer::Answer(Answer&& other) noexcept
    : m_connection(std::move(other.m_connection)), m_fromLaterStart(other.m_fromLaterStart)
{
    other.m_connection.clear();
}

SingleInstance::Answer& SingleInstance::Answer::operator=(Answer&& other) noexcept
{
    if (this != &other) {
        Drop();
        m_connection = std::move(other.m_connection);
        m_fromLaterStart = other.m_fromLaterStart;
        other.m_connection.clear();
    }
    return *this;
}

SingleInstance::Answer::~Answer()
{
    Drop();
}

void SingleInstance::Answer::Drop()
{
    if (RequestConnection* connection = m_connection.data())
        connection->owner->Close(connection, nullptr);
    m_connection.clear();
}

bool SingleInstance::Answer::Give()
{
    if (!m_fromLaterStart)
        return true;
    RequestConnection* connection = m_connection.data();
    m_connection.clear();
    if (!connection || connection->fd < 0)
        return false;
    // Fails where the sender shut its socket down: it gave up waiting.
    const bool heard = ::send(connection->fd, &kAnswer, 1, MSG_NOSIGNAL | MSG_DONTWAIT) == 1;
    connection->owner->Close(connection, nullptr);
    return heard;
}

SingleInstance::SingleInstance(const std::string& programName, const std::string& display,
                               RequestHandler requestsArrived)
    : m_socketPath(SocketPathFor(programName, display)), m_requestsArrived(std::move(requestsArrived))
{
    m_listenerPause.setSingleShot(true);
    connect(&m_listenerPause, &QTimer::timeout, this, &SingleInstance::Resume);
    m_refusalQuiet.setSingleShot(true);
    connect(&m_refusalQuiet, &QTimer::timeout, this, &SingleInstance::SayRefusals);
}

SingleInstance::~SingleInstance()
{
    StopListening();
}

std::string SingleInstance::DisplayKey(const std::string& platform, const std::vector<std::string>& arguments)
{
    if (platform == "xcb") {
        std::string display = qgetenv("DISPLAY").toStdString();
        // Taken by the X platform as the last one given, "--display" too.
        for (std::size_t i = 1; i + 1 < arguments.size(); ++i) {
            if (arguments[i] == "-display" || arguments[i] == "--display")
                display = arguments[++i];
        }
        return platform + '-' + XDisplay(display);
    }
    if (platform.rfind("wayland", 0) == 0) {
        std::string display = qgetenv("WAYLAND_DISPLAY").toStdString();
        // A name is that of a socket in the runtime folder.
        const std::string folder = qgetenv("XDG_RUNTIME_DIR").toStdString();
        if (!folder.empty() && display.rfind(folder + '/', 0) == 0)
            display.erase(0, folder.size() + 1);
        return "wayland-" + (display.empty() ? std::string("wayland-0") : display);
    }
    return platform.empty() ? std::string("none") : platform;
}

void SingleInstance::SetTimeouts(int stallMs, int answerMs)
{
    m_stallTimeoutMs = stallMs;
    m_answerTimeoutMs = answerMs;
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
    const QDeadlineTimer deadline(m_answerTimeoutMs);
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
        const Delivery delivery = HandOver(message, deadline);
        if (delivery == Delivery::Taken) {
            ReleaseLock();
            return Outcome::HandedOver;
        }
        if (delivery == Delivery::Unanswered || deadline.hasExpired()) {
            qWarning("The running program does not answer on %ls; running on its own.", qUtf16Printable(m_socketPath));
            break;
        }
        // The holder does not listen yet, or no longer: it is starting, or
        // quitting and about to free the lock.
        QThread::msleep(static_cast<unsigned long>(std::min<qint64>(kRetryMs, deadline.remainingTime())));
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
        // A socket left by a program that died or quit; no running program
        // owns it, as this process holds the lock.
        ::unlink(address->sun_path);
        if (m_listener < 0 || ::bind(m_listener, reinterpret_cast<const sockaddr*>(&*address), sizeof *address) != 0
            || ::chmod(address->sun_path, 0600) != 0 || ::listen(m_listener, SOMAXCONN) != 0)
            failure = std::strerror(errno);
    }
    if (failure) {
        qWarning("Cannot listen on %ls (%s); running on its own.", qUtf16Printable(m_socketPath), failure);
        // Lets a later start try instead of waiting for this one.
        StopListening();
        return false;
    }
    m_listenerNotifier = std::make_unique<QSocketNotifier>(m_listener, QSocketNotifier::Read);
    connect(m_listenerNotifier.get(), &QSocketNotifier::activated, this, &SingleInstance::Accept);
    return true;
}

void SingleInstance::StopListening()
{
    m_listenerNotifier.reset();
    m_listenerPause.stop();
    // The name goes while this process still holds the lock: afterwards it
    // may be the next first's.
    if (m_listener >= 0) {
        ::close(m_listener);
        ::unlink(QFile::encodeName(m_socketPath).constData());
    }
    m_listener = -1;
    for (RequestConnection* connection : std::vector(m_connections))
        Close(connection, nullptr);
    ReleaseLock();
}

SingleInstance::Delivery SingleInstance::HandOver(const QByteArray& message, const QDeadlineTimer& deadline) const
{
    const auto address = AddressOf(m_socketPath);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (!address || fd < 0) {
        if (fd >= 0)
            ::close(fd);
        return Delivery::Unanswered;
    }
    const auto delivery = [&]() -> Delivery {
        // Each step waits no longer than the deadline: connecting where the
        // holder takes no one in, sending where it reads nothing, and
        // waiting for its answer.
        if (!BoundBy(fd, SO_SNDTIMEO, deadline))
            return Delivery::Unanswered;
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&*address), sizeof *address) != 0)
            return errno == EAGAIN ? Delivery::Unanswered : Delivery::NoListener;
        for (qsizetype at = 0; at < message.size();) {
            if (!BoundBy(fd, SO_SNDTIMEO, deadline))
                return Delivery::Unanswered;
            const ssize_t n = ::send(fd, message.constData() + at, static_cast<std::size_t>(message.size() - at),
                                     MSG_NOSIGNAL);
            if (n > 0)
                at += n;
            else if (errno == EAGAIN || errno == EWOULDBLOCK)
                return Delivery::Unanswered;
            else if (errno != EINTR)
                return Delivery::Closed;
        }
        char answer = 0;
        while (BoundBy(fd, SO_RCVTIMEO, deadline)) {
            const ssize_t n = ::recv(fd, &answer, 1, 0);
            if (n == 1)
                return answer == kAnswer ? Delivery::Taken : Delivery::Closed;
            if (n == 0 || (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK))
                return Delivery::Closed;
            if (errno != EINTR)
                break;
        }
        // No answer in time. Shut down first, then look once more: the
        // holder has either answered by now, or it can no longer answer and
        // drops the requests.
        ::shutdown(fd, SHUT_RDWR);
        if (::recv(fd, &answer, 1, MSG_DONTWAIT) == 1 && answer == kAnswer)
            return Delivery::Taken;
        return Delivery::Unanswered;
    }();
    ::close(fd);
    return delivery;
}

void SingleInstance::Accept()
{
    while (m_listener >= 0 && m_connections.size() < static_cast<std::size_t>(kMaxConnections)) {
        const int fd = ::accept4(m_listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            if (errno != EAGAIN && errno != EWOULDBLOCK) {
                // Out of descriptors or memory: the connection stays pending
                // and would wake the listener again at once. It waits a
                // moment, and slow senders give way meanwhile.
                Refused(errno == EMFILE || errno == ENFILE ? "no file descriptor is left" : "the system refused it");
                m_listenerNotifier->setEnabled(false);
                m_listenerPause.start(kDescriptorPauseMs);
                Squeeze();
            }
            return;
        }
        auto* connection = new RequestConnection(fd, this);
        m_connections.push_back(connection);
        ucred peer{};
        socklen_t size = sizeof peer;
        if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0 || peer.uid != ::getuid()) {
            Close(connection, "it comes from another user");
            continue;
        }
        connect(&connection->notifier, &QSocketNotifier::activated, this, [this, connection] { Read(connection); });
        connect(&connection->stall, &QTimer::timeout, connection,
                [this, connection] { Close(connection, "it did not send a whole message in time"); });
        connection->stall.start(m_stallTimeoutMs);
    }
    if (m_listener >= 0 && m_connections.size() >= static_cast<std::size_t>(kMaxConnections)) {
        // The next ones wait in the backlog until a place is free.
        m_listenerNotifier->setEnabled(false);
        Squeeze();
    }
}

void SingleInstance::Read(RequestConnection* connection)
{
    QByteArray& received = connection->received;
    char buffer[64 * 1024];
    bool closed = false;
    while (connection->fd >= 0) {
        if (const char* refusal = HeaderRefusal(received))
            return Close(connection, refusal);
        // The header first, then the rest it announces and one byte more,
        // which would show that something follows.
        qsizetype end = kHeaderBytes;
        if (received.size() >= kHeaderBytes) {
            end = kHeaderBytes + Announced(received) + 1;
            if (received.capacity() < end && !MakeRoom(connection, end))
                return;
        }
        if (received.size() >= end)
            break;
        const qsizetype most = std::min<qsizetype>(end - received.size(), sizeof buffer);
        const ssize_t n = ::recv(connection->fd, buffer, static_cast<std::size_t>(most), 0);
        if (n > 0) {
            received.append(buffer, n);
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
    if (connection->fd < 0 || received.size() < kHeaderBytes)
        return closed ? Close(connection, "it closed before sending a whole message") : void();
    const qsizetype whole = kHeaderBytes + Announced(received);
    if (received.size() > whole)
        return Close(connection, "something follows the message");
    if (received.size() < whole)
        return closed ? Close(connection, "it closed before sending a whole message") : void();
    std::vector<std::string> paths;
    if (!Decode(QByteArray::fromRawData(received.constData() + kHeaderBytes, whole - kHeaderBytes), paths))
        return Close(connection, "it is malformed");
    // Held until served; the answer closes the connection.
    connection->whole = true;
    connection->messageBytes = whole;
    connection->notifier.setEnabled(false);
    connection->stall.stop();
    received = QByteArray();
    if (m_requestsArrived)
        m_requestsArrived(std::move(paths), Answer(connection));
    else
        Close(connection, nullptr);
}

// Gives the connection a buffer for its whole message where the bytes held
// allow; otherwise it is not read further for now, and slow senders give way.
bool SingleInstance::MakeRoom(RequestConnection* connection, qsizetype bytes)
{
    const std::size_t others = BufferedBytes() - static_cast<std::size_t>(connection->Held());
    if (others + static_cast<std::size_t>(bytes) > kMaxBufferedBytes) {
        connection->waitsForRoom = true;
        connection->notifier.setEnabled(false);
        Squeeze();
        return false;
    }
    connection->received.reserve(bytes);
    m_heldMuch = m_heldMuch || bytes >= kLargeBuffer;
    return true;
}

// While a limit is reached, a sender has kBusyStallTimeoutMs, not the whole
// stall timeout, to send its message.
void SingleInstance::Squeeze()
{
    for (RequestConnection* connection : std::vector(m_connections)) {
        if (connection->whole || connection->fd < 0)
            continue;
        const qint64 left = kBusyStallTimeoutMs - connection->age.elapsed();
        if (left <= 0)
            Close(connection, "it did not send a whole message in time");
        else if (connection->stall.remainingTime() > left)
            connection->stall.start(static_cast<int>(left));
    }
}

// Takes connections again where a place is free, and lets the connections
// that waited for bytes read again.
void SingleInstance::Resume()
{
    if (m_listenerNotifier && !m_listenerPause.isActive()
        && m_connections.size() < static_cast<std::size_t>(kMaxConnections))
        m_listenerNotifier->setEnabled(true);
    for (RequestConnection* connection : m_connections) {
        if (connection->waitsForRoom) {
            connection->waitsForRoom = false;
            connection->notifier.setEnabled(true);
        }
    }
}

std::size_t SingleInstance::BufferedBytes() const
{
    std::size_t bytes = 0;
    for (const RequestConnection* connection : m_connections)
        bytes += static_cast<std::size_t>(connection->Held());
    return bytes;
}

void SingleInstance::Close(RequestConnection* connection, const char* refusal)
{
    if (connection->fd < 0)
        return;
    if (refusal)
        Refused(refusal);
    connection->Shut();
    m_connections.erase(std::find(m_connections.begin(), m_connections.end(), connection));
    connection->deleteLater();
    if (m_connections.empty() && m_heldMuch) {
        m_heldMuch = false;
#ifdef __GLIBC__
        // Large buffers freed amid the heap would otherwise stay with the
        // process.
        ::malloc_trim(0);
#endif
    }
    // A descriptor is free again.
    m_listenerPause.stop();
    Resume();
}

void SingleInstance::Refused(const char* refusal)
{
    ++m_unsaidRefusals;
    m_lastRefusal = refusal;
    if (!m_refusalQuiet.isActive())
        SayRefusals();
}

// Says what was refused since the last warning, then keeps quiet for a
// minute: any process of the user can connect, and must not flood the log.
void SingleInstance::SayRefusals()
{
    if (m_unsaidRefusals == 0)
        return;
    if (m_unsaidRefusals == 1)
        qWarning("Refused a request from another start of the program: %s.", m_lastRefusal);
    else
        qWarning("Refused %d requests from other starts of the program in the last minute, the last because %s.",
                 m_unsaidRefusals, m_lastRefusal);
    m_unsaidRefusals = 0;
    m_refusalQuiet.start(kRefusalQuietMs);
}
