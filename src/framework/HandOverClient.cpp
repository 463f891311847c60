#include "HandOverClient.h"

#include "HandOverMessage.h"

#include <QDeadlineTimer>

#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace {

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

HandOverClient::Delivery DeliverOn(int fd, const sockaddr_un& address, const QByteArray& message,
                                   const QDeadlineTimer& deadline)
{
    using Delivery = HandOverClient::Delivery;
    // Connecting waits where the listener takes no one in, sending where it
    // reads nothing.
    if (!BoundBy(fd, SO_SNDTIMEO, deadline))
        return Delivery::Unanswered;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        return errno == EAGAIN ? Delivery::Unanswered : Delivery::NoListener;
    for (qsizetype at = 0; at < message.size();) {
        if (!BoundBy(fd, SO_SNDTIMEO, deadline))
            return Delivery::Unanswered;
        const ssize_t n =
            ::send(fd, message.constData() + at, static_cast<std::size_t>(message.size() - at), MSG_NOSIGNAL);
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
            return answer == HandOverMessage::kAnswer ? Delivery::Taken : Delivery::Closed;
        if (n == 0 || (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK))
            return Delivery::Closed;
        if (errno != EINTR)
            break;
    }
    // No answer in time. Shut down first, then look once more.
    ::shutdown(fd, SHUT_RDWR);
    if (::recv(fd, &answer, 1, MSG_DONTWAIT) == 1 && answer == HandOverMessage::kAnswer)
        return Delivery::Taken;
    return Delivery::Unanswered;
}

} // namespace

HandOverClient::Delivery HandOverClient::Deliver(const sockaddr_un& address, const QByteArray& message,
                                                 const QDeadlineTimer& deadline)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return Delivery::Unanswered;
    const Delivery delivery = DeliverOn(fd, address, message, deadline);
    ::close(fd);
    return delivery;
}
