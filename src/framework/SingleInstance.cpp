#include "SingleInstance.h"

#include <QDeadlineTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>
#include <QVariant>
#include <QtEndian>

#include <unistd.h>

namespace {

const QByteArray kKind = QByteArrayLiteral("ODR1");
// Set on a connection once its message has been handled or refused.
const char* const kDone = "requestDone";
constexpr qint64 kHeaderBytes = 8; // the kind and the byte count of the rest
// How long a later start keeps trying while the first is still on its way
// to listening, and how long one connection attempt may take.
constexpr int kStartTimeoutMs = 3000;
constexpr int kConnectTimeoutMs = 1000;

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

} // namespace

SingleInstance::SingleInstance(const std::string& programName, RequestHandler requestsArrived)
    : m_socketPath(SocketPathFor(programName)), m_requestsArrived(std::move(requestsArrived))
{
}

SingleInstance::~SingleInstance()
{
    // The socket goes before the lock: once the lock is free, the next first
    // start makes its socket under the same name, which closing this server
    // would remove.
    delete m_server;
}

QByteArray SingleInstance::Encode(const std::vector<std::string>& paths)
{
    if (paths.size() > kMaxPaths)
        return {};
    QByteArray rest;
    AppendNumber(rest, static_cast<quint32>(paths.size()));
    for (const std::string& path : paths) {
        if (path.size() > kMaxMessageBytes)
            return {};
        AppendNumber(rest, static_cast<quint32>(path.size()));
        rest.append(path.data(), static_cast<qsizetype>(path.size()));
        if (static_cast<std::size_t>(rest.size()) > kMaxMessageBytes)
            return {};
    }
    QByteArray message = kKind;
    AppendNumber(message, static_cast<quint32>(rest.size()));
    return message + rest;
}

SingleInstance::Outcome SingleInstance::Start(const std::vector<std::string>& requests)
{
    if (m_socketPath.isEmpty())
        return Outcome::Alone;
    const QByteArray message = Encode(requests);
    m_lock = std::make_unique<QLockFile>(m_socketPath + QStringLiteral(".lock"));
    // The first holds the lock for as long as it runs, so age says nothing:
    // the lock is stale only when its holder is gone.
    m_lock->setStaleLockTime(0);
    const QDeadlineTimer deadline(kStartTimeoutMs);
    for (;;) {
        if (m_lock->tryLock(0))
            return Listen() ? Outcome::First : Outcome::Alone;
        if (m_lock->error() != QLockFile::LockFailedError) {
            qWarning("Cannot take the lock %ls; running on its own.", qUtf16Printable(m_lock->fileName()));
            break;
        }
        if (message.isEmpty()) {
            qWarning("Too many or too long arguments to hand to the running program; running on its own.");
            break;
        }
        if (HandOver(message)) {
            m_lock.reset();
            return Outcome::HandedOver;
        }
        if (deadline.hasExpired()) {
            qWarning("The running program does not answer on %ls; running on its own.", qUtf16Printable(m_socketPath));
            break;
        }
        // The holder has the lock but does not listen yet.
        QThread::msleep(50);
    }
    m_lock.reset();
    return Outcome::Alone;
}

bool SingleInstance::Listen()
{
    // A socket left by a program that died would make listen() fail.
    QLocalServer::removeServer(m_socketPath);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_socketPath)) {
        qWarning("Cannot listen on %ls (%ls); running on its own.", qUtf16Printable(m_socketPath),
                 qUtf16Printable(m_server->errorString()));
        delete m_server;
        m_server = nullptr;
        // Let a later start try instead of waiting for this one.
        m_lock.reset();
        return false;
    }
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::Accept);
    return true;
}

bool SingleInstance::HandOver(const QByteArray& message) const
{
    QLocalSocket socket;
    socket.connectToServer(m_socketPath);
    if (!socket.waitForConnected(kConnectTimeoutMs))
        return false;
    socket.write(message);
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(kStallTimeoutMs))
            return false;
    }
    socket.disconnectFromServer();
    return true;
}

void SingleInstance::Accept()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        // Qt reads no more than a message can hold, and one byte to notice
        // what follows it.
        socket->setReadBufferSize(kHeaderBytes + static_cast<qint64>(kMaxMessageBytes) + 1);
        auto* stall = new QTimer(socket);
        stall->setSingleShot(true);
        connect(stall, &QTimer::timeout, socket, [socket] { Refuse(socket, "it did not send a whole message in time"); });
        stall->start(kStallTimeoutMs);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { Read(socket); });
        // What arrived before the sender closed is still to be read.
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] {
            Read(socket);
            Refuse(socket, "it closed before sending a whole message");
        });
        Read(socket);
    }
}

void SingleInstance::Read(QLocalSocket* socket)
{
    if (socket->property(kDone).toBool())
        return;
    const qint64 available = socket->bytesAvailable();
    if (!kKind.startsWith(socket->peek(qMin<qint64>(available, kKind.size()))))
        return Refuse(socket, "it is not a request");
    if (available < kHeaderBytes)
        return;
    const quint32 size = qFromBigEndian<quint32>(socket->peek(kHeaderBytes).constData() + kKind.size());
    if (size > kMaxMessageBytes)
        return Refuse(socket, "it is too large");
    if (available < kHeaderBytes + size)
        return;
    if (available > kHeaderBytes + size)
        return Refuse(socket, "something follows the message");
    socket->skip(kHeaderBytes);
    std::vector<std::string> paths;
    if (!Decode(socket->read(size), paths))
        return Refuse(socket, "it is malformed");

    socket->setProperty(kDone, true);
    socket->disconnect(this);
    socket->disconnectFromServer();
    socket->deleteLater();
    if (m_requestsArrived)
        m_requestsArrived(std::move(paths));
}

void SingleInstance::Refuse(QLocalSocket* socket, const char* why)
{
    if (socket->property(kDone).toBool())
        return;
    qWarning("Refused a request from another start of the program: %s.", why);
    socket->setProperty(kDone, true);
    socket->disconnect();
    socket->abort();
    socket->deleteLater();
}
