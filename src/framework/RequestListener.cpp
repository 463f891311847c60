#include "RequestListener.h"

#include "HandOverMessage.h"

#include <QElapsedTimer>
#include <QSocketNotifier>

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#ifdef __GLIBC__
#include <malloc.h>
#endif

// One connection of a later start: what it sent so far and how long it may
// take; once its message is whole, waits for the program to serve it. Its
// socket is closed as soon as it is done with, so that its sender learns it
// at once; the object goes later.
class RequestConnection : public QObject {
public:
    RequestConnection(int socket, RequestListener* owner)
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

    RequestListener* const owner;
    int fd;
    QSocketNotifier notifier;
    QTimer stall;
    QElapsedTimer age;
    QByteArray received;
    qsizetype messageBytes = 0;
    bool whole = false;        // the message is read and waits to be served
    bool waitsForRoom = false; // not read further until bytes are free
};

namespace {

// How long the listener waits where no descriptor was left to take a
// connection with.
constexpr int kDescriptorPauseMs = 100;
// From this size on a buffer is worth giving back to the system once all
// connections are gone.
constexpr qsizetype kLargeBuffer = 64 * 1024;

} // namespace

RequestListener::Answer::Answer(RequestConnection* connection) : m_connection(connection), m_fromLaterStart(true)
{
}

RequestListener::Answer::Answer(Answer&& other) noexcept
    : m_connection(std::move(other.m_connection)), m_fromLaterStart(other.m_fromLaterStart)
{
    other.m_connection.clear();
}

RequestListener::Answer& RequestListener::Answer::operator=(Answer&& other) noexcept
{
    if (this != &other) {
        Drop();
        m_connection = std::move(other.m_connection);
        m_fromLaterStart = other.m_fromLaterStart;
        other.m_connection.clear();
    }
    return *this;
}

RequestListener::Answer::~Answer()
{
    Drop();
}

void RequestListener::Answer::Drop()
{
    if (RequestConnection* connection = m_connection.data())
        connection->owner->Close(connection, nullptr);
    m_connection.clear();
}

bool RequestListener::Answer::Give()
{
    if (!m_fromLaterStart)
        return true;
    RequestConnection* connection = m_connection.data();
    m_connection.clear();
    if (!connection || connection->fd < 0)
        return false;
    // Fails where the sender shut its socket down: it gave up waiting.
    const bool heard = ::send(connection->fd, &HandOverMessage::kAnswer, 1, MSG_NOSIGNAL | MSG_DONTWAIT) == 1;
    connection->owner->Close(connection, nullptr);
    return heard;
}

RequestListener::RequestListener(RequestHandler requestsArrived)
    : m_requestsArrived(std::move(requestsArrived)),
      m_refusals("Refused a request from another start of the program: %s.",
                 "Refused %d requests from other starts of the program in the last minute, the last because %s.")
{
    m_listenerPause.setSingleShot(true);
    connect(&m_listenerPause, &QTimer::timeout, this, &RequestListener::Resume);
}

RequestListener::~RequestListener()
{
    Stop();
}

const char* RequestListener::Listen(const sockaddr_un& address)
{
    m_socketPath = address.sun_path;
    m_listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    // A socket left by a program that died or quit.
    ::unlink(address.sun_path);
    if (m_listener < 0 || ::bind(m_listener, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0
        || ::chmod(address.sun_path, 0600) != 0 || ::listen(m_listener, SOMAXCONN) != 0) {
        const char* failure = std::strerror(errno);
        Stop();
        return failure;
    }
    m_listenerNotifier = std::make_unique<QSocketNotifier>(m_listener, QSocketNotifier::Read);
    connect(m_listenerNotifier.get(), &QSocketNotifier::activated, this, &RequestListener::Accept);
    return nullptr;
}

void RequestListener::Stop()
{
    m_listenerNotifier.reset();
    m_listenerPause.stop();
    if (m_listener >= 0) {
        ::close(m_listener);
        ::unlink(m_socketPath.constData());
    }
    m_listener = -1;
    for (RequestConnection* connection : std::vector(m_connections))
        Close(connection, nullptr);
}

void RequestListener::Accept()
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
                m_refusals.Warn(errno == EMFILE || errno == ENFILE ? "no file descriptor is left"
                                                                   : "the system refused it");
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

void RequestListener::Read(RequestConnection* connection)
{
    constexpr qsizetype kHeaderBytes = HandOverMessage::kHeaderBytes;
    QByteArray& received = connection->received;
    char buffer[64 * 1024];
    bool closed = false;
    while (connection->fd >= 0) {
        if (const char* refusal = HandOverMessage::HeaderRefusal(received))
            return Close(connection, refusal);
        // The header first, then the rest it announces and one byte more,
        // which would show that something follows.
        qsizetype end = kHeaderBytes;
        if (received.size() >= kHeaderBytes) {
            end = kHeaderBytes + HandOverMessage::Announced(received) + 1;
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
    const qsizetype whole = kHeaderBytes + HandOverMessage::Announced(received);
    if (received.size() > whole)
        return Close(connection, "something follows the message");
    if (received.size() < whole)
        return closed ? Close(connection, "it closed before sending a whole message") : void();
    std::optional<std::vector<std::string>> paths = HandOverMessage::Decode(received);
    if (!paths)
        return Close(connection, "it is malformed");
    // Held until served; the answer closes the connection.
    connection->whole = true;
    connection->messageBytes = whole;
    connection->notifier.setEnabled(false);
    connection->stall.stop();
    received = QByteArray();
    if (m_requestsArrived)
        m_requestsArrived(std::move(*paths), Answer(connection));
    else
        Close(connection, nullptr);
}

// Gives the connection a buffer for its whole message where the bytes held
// allow; otherwise it is not read further for now, and slow senders give way.
bool RequestListener::MakeRoom(RequestConnection* connection, qsizetype bytes)
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
void RequestListener::Squeeze()
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
void RequestListener::Resume()
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

std::size_t RequestListener::BufferedBytes() const
{
    std::size_t bytes = 0;
    for (const RequestConnection* connection : m_connections)
        bytes += static_cast<std::size_t>(connection->Held());
    return bytes;
}

void RequestListener::Close(RequestConnection* connection, const char* refusal)
{
    if (connection->fd < 0)
        return;
    if (refusal)
        m_refusals.Warn(refusal);
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
