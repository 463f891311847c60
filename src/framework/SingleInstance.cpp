#include "SingleInstance.h"

#include "HandOverClient.h"
#include "HandOverMessage.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QThread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

// How long a later start waits before it tries again, while the first is on
// its way to listening or on its way out.
constexpr int kRetryMs = 20;

// The name with every character other than a letter, a digit, '.', '-' or
// '_' made '_'.
QString Plain(QString name)
{
    for (QChar& c : name) {
        const char16_t u = c.unicode();
        const bool plain = (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || u == '.'
            || u == '-' || u == '_';
        if (!plain)
            c = QLatin1Char('_');
    }
    return name;
}

} // namespace

SingleInstance::SingleInstance(const std::string& programName, const std::string& display,
                               RequestHandler requestsArrived)
    : m_folder(Plain(QString::fromStdString(programName).toLower() + QLatin1Char('-') + QString::number(::getuid())),
               Plain(QString::fromStdString(programName + '-' + std::to_string(::getuid()) + '-'
                                            + (display.empty() ? std::string("none") : display)))),
      m_listener(std::move(requestsArrived))
{
}

SingleInstance::~SingleInstance()
{
    StopListening();
}

void SingleInstance::SetTimeouts(int stallMs, int answerMs)
{
    m_listener.SetStallTimeout(stallMs);
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
    if (SocketPath().isEmpty())
        return Outcome::Alone;
    const QByteArray message = HandOverMessage::Encode(requests);
    // Never removed: a start that opened it a moment before would lock a
    // file that no longer has the name. Not inherited by programs this one
    // starts, which would hold the lock after it ends.
    const QByteArray lockPath = QFile::encodeName(SocketPath() + QStringLiteral(".lock"));
    m_lockFile = ::open(lockPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (m_lockFile < 0) {
        qWarning("Cannot open %s (%s); running on its own.", lockPath.constData(), std::strerror(errno));
        return Outcome::Alone;
    }
    const auto& address = SocketAddress();
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
        const auto delivery =
            address ? HandOverClient::Deliver(*address, message, deadline) : HandOverClient::Delivery::Unanswered;
        if (delivery == HandOverClient::Delivery::Taken) {
            ReleaseLock();
            return Outcome::HandedOver;
        }
        if (delivery == HandOverClient::Delivery::Unanswered || deadline.hasExpired()) {
            qWarning("The running program does not answer on %ls; running on its own.", qUtf16Printable(SocketPath()));
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
    // No running program owns a socket that is there: this process holds
    // the lock.
    const auto& address = SocketAddress();
    const char* failure = address ? m_listener.Listen(*address) : "the path is too long";
    if (failure) {
        qWarning("Cannot listen on %ls (%s); running on its own.", qUtf16Printable(SocketPath()), failure);
        // Lets a later start try instead of waiting for this one.
        StopListening();
        return false;
    }
    return true;
}

void SingleInstance::StopListening()
{
    // The name goes while this process still holds the lock: afterwards it
    // may be the next first's.
    m_listener.Stop();
    ReleaseLock();
}
