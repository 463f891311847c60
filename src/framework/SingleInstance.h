#pragma once

#include <QObject>
#include <QString>

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QSocketNotifier;
class RequestConnection;

// One running program per user and display. The first start listens; a later
// start hands its open-document requests to it and ends.
//
// Where: in the user's runtime folder ($XDG_RUNTIME_DIR, or the private 0700
// folder that Qt makes where it is unset), the socket
//     <program name>-<user id>-<display>
// where <display> is $WAYLAND_DISPLAY, else $DISPLAY, else "none", and every
// character of the name other than a letter, a digit, '.', '-' or '_' becomes
// '_'. Beside it "<socket>.lock", a file whose lock (flock) decides which
// start is first: its holder listens. The system drops the lock of a program
// that died, so it can never be stale; the next start takes it and replaces
// the socket that the dead program left.
//
// Message: one per connection, then the sender closes. Integers are unsigned
// 32-bit big-endian:
//     "ODR1"                       the kind of message
//     byte count of the rest       at most kMaxMessageBytes
//     number of paths              at most kMaxPaths; 0 asks for a new document
//     per path: byte count, bytes  an absolute path ('/' first), or empty for
//                                  an argument that names nothing; no NUL
//                                  byte; raw bytes (need not be UTF-8)
// and nothing after the last path. The listener refuses anything else, and a
// sender that has not sent its whole message within kStallTimeoutMs, by
// closing the connection; nothing of a refused message is handled.
//
// Only the user can connect: the runtime folder is the user's own, the socket
// is the user's alone (0600), and a connection from another user id is
// refused all the same.
//
// Plain local sockets watched by the event loop, not Qt Network: loading
// that library and the Kerberos and proxy libraries it needs made every
// start about 2 ms slower.
class SingleInstance : public QObject {
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

private:
    bool Listen();
    void StopListening();
    bool HandOver(const QByteArray& message) const;
    void ReleaseLock();
    void Accept();
    void Read(RequestConnection* connection);
    static void Close(RequestConnection* connection, const char* refusal);

    QString m_socketPath;
    RequestHandler m_requestsArrived;
    int m_lockFile = -1; // open while this process holds the lock
    int m_listener = -1; // the listening socket, while this process listens
    std::unique_ptr<QSocketNotifier> m_listenerNotifier;
};
