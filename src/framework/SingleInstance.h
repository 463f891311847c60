#pragma once

#include <QObject>
#include <QString>

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QLocalServer;
class QLocalSocket;
class QLockFile;

// One running program per user and display. The first start listens; a later
// start hands its open-document requests to it and ends.
//
// Where: in the user's runtime folder ($XDG_RUNTIME_DIR, or the private 0700
// folder that Qt makes where it is unset), the socket
//     <program name>-<user id>-<display>
// where <display> is $WAYLAND_DISPLAY, else $DISPLAY, else "none", and every
// character of the name other than a letter, a digit, '.', '-' or '_' becomes
// '_'. Beside it "<socket>.lock", a QLockFile that decides which start is
// first: its holder listens. A lock left by a program that died is stale; the
// next start removes it and the socket beside it, and becomes the first.
//
// Message: one per connection, then the sender closes. Integers are unsigned
// 32-bit big-endian:
//     "ODR1"                       the kind of message
//     byte count of the rest       at most kMaxMessageBytes
//     number of paths              at most kMaxPaths; 0 asks for a new document
//     per path: byte count, bytes  an absolute path ('/' first), no NUL byte,
//                                  kept as raw bytes (need not be UTF-8)
// and nothing after the last path. The listener refuses anything else, and a
// sender that has not sent its whole message within kStallTimeoutMs, by
// closing the connection; nothing of a refused message is handled.
//
// Only the user can connect: the runtime folder is the user's own and the
// socket is made with QLocalServer::UserAccessOption.
class SingleInstance : public QObject {
    Q_OBJECT

public:
    static constexpr std::size_t kMaxMessageBytes = 1 << 20;
    static constexpr std::size_t kMaxPaths = 4096;
    static constexpr int kStallTimeoutMs = 3000;

    // requestsArrived gets the paths of each accepted message, in order, on
    // the thread of the event loop.
    using RequestHandler = std::function<void(std::vector<std::string> paths)>;
    SingleInstance(const std::string& programName, RequestHandler requestsArrived);
    ~SingleInstance() override;

    enum class Outcome {
        First,      // this process listens for the requests of later starts
        HandedOver, // the running program took these requests; end this start
        Alone,      // no hand-over was possible: run without listening
    };
    // Decides, once, whether this start is the first; a later start hands
    // its requests over. Blocks for at most a few seconds, and only while the
    // first is still on its way to listening.
    Outcome Start(const std::vector<std::string>& requests);

    // The socket's full path; empty where the user has no runtime folder.
    const QString& SocketPath() const { return m_socketPath; }

    // The message that carries these paths, or empty where they exceed the
    // bounds above.
    static QByteArray Encode(const std::vector<std::string>& paths);

private:
    bool Listen();
    bool HandOver(const QByteArray& message) const;
    void Accept();
    void Read(QLocalSocket* socket);
    static void Refuse(QLocalSocket* socket, const char* why);

    QString m_socketPath;
    RequestHandler m_requestsArrived;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer* m_server = nullptr; // a child of this object
};
