#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QDeadlineTimer;
class QSocketNotifier;
class RequestConnection;

// One running program per user and display. The first start listens; a later
// start hands its open-document requests to it and ends once the running
// program has answered that it serves them.
//
// Where: in the user's runtime folder ($XDG_RUNTIME_DIR, or the private 0700
// folder that Qt makes where it is unset), the socket
//     <program name>-<user id>-<display>
// where <display> is DisplayKey's name of the display the program shows its
// windows on, and every character of the name other than a letter, a digit,
// '.', '-' or '_' becomes '_'. Beside it "<socket>.lock", a file whose lock
// (flock) decides which start is first: its holder listens. The system drops
// the lock of a program that died, so it can never be stale; the next start
// takes it and replaces the socket that the dead program left.
//
// Message: one per connection. Integers are unsigned 32-bit big-endian:
//     "ODR1"                       the kind of message
//     byte count of the rest       at most kMaxMessageBytes
//     number of paths              at most kMaxPaths; 0 asks for a new document
//     per path: byte count, bytes  an absolute path ('/' first), or empty for
//                                  an argument that names nothing; no NUL
//                                  byte; raw bytes (need not be UTF-8)
// and nothing after the last path. The listener refuses anything else, and a
// sender that has not sent its whole message in time, by closing the
// connection; nothing of a refused message is handled.
//
// Answer: when the program starts to serve a message's requests it sends one
// byte, kAnswer, and closes. The sender counts its requests as handed over
// only once it has read that byte. Where the connection closes without it
// (refused, or the program began to quit) the sender tries again, and may
// become the first itself; where no answer comes within kAnswerTimeoutMs (the
// program hangs) it runs on its own. Before it gives up it shuts its socket
// down and looks once more: either the answer is there, or the program can no
// longer send it and drops the requests. So each request is served by exactly
// one program.
//
// Limits: at most kMaxConnections connections at once, holding at most
// kMaxBufferedBytes. While either limit is reached, or no file descriptor is
// left, further connections wait in the backlog (where descriptors ran out,
// the listener looks again after a moment), and a connection that has been
// open kBusyStallTimeoutMs without sending its whole message is closed, so
// that stalled senders keep a later start out only briefly. Refusals are
// logged once, then at most once a minute with a count.
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
    static constexpr int kMaxConnections = 16;
    static constexpr std::size_t kMaxBufferedBytes = 4 << 20;
    static constexpr int kStallTimeoutMs = 3000;
    static constexpr int kBusyStallTimeoutMs = 250;
    static constexpr int kAnswerTimeoutMs = 3000;
    static constexpr char kAnswer = '\x06'; // ASCII ACK

    // The answer that a later start waits for. Give() sends it and says
    // whether the sender still waited; where it did not (it gave up and runs
    // on its own) or the program stopped listening meanwhile, the requests
    // must be dropped. Dropped without Give(), the connection closes and the
    // sender tries again. A default Answer stands for this start's own
    // requests: Give() is true and sends nothing.
    class Answer {
    public:
        Answer() = default;
        explicit Answer(RequestConnection* connection);
        Answer(Answer&& other) noexcept;
        Answer& operator=(Answer&& other) noexcept;
        ~Answer();
        bool Give();

    private:
        void Drop();

        QPointer<RequestConnection> m_connection;
        bool m_fromLaterStart = false;
    };

    // requestsArrived gets the paths of each accepted message, in order, on
    // the thread of the event loop, with the answer to give its sender when
    // they are served.
    using RequestHandler = std::function<void(std::vector<std::string> paths, Answer answer)>;
    SingleInstance(const std::string& programName, const std::string& display, RequestHandler requestsArrived);
    ~SingleInstance() override;

    // Names the display that a program on this platform shows its windows
    // on, given the process arguments before Qt took its own: for X the
    // display's host and number (from -display, else $DISPLAY; the screen
    // does not matter), for Wayland $WAYLAND_DISPLAY, otherwise the platform
    // alone.
    static std::string DisplayKey(const std::string& platform, const std::vector<std::string>& arguments);

    enum class Outcome {
        First,      // this process listens for the requests of later starts
        HandedOver, // the running program took these requests; end this start
        Alone,      // no hand-over was possible: run without listening
    };
    // Decides, once, whether this start is the first; a later start hands
    // its requests over. Blocks for at most the answer timeout, and only
    // while another process holds the lock.
    Outcome Start(const std::vector<std::string>& requests);

    // Takes no more requests: the socket goes, the connections whose
    // requests were not answered are closed (their senders try again), and
    // the lock is released, so that the next start is the first. For when
    // the program starts to quit.
    void StopListening();

    // The socket's full path; empty where the user has no runtime folder.
    const QString& SocketPath() const { return m_socketPath; }
    // The bytes held for connections now.
    std::size_t BufferedBytes() const;

    // Shorter waits, for tests: how long a sender may take to send its
    // message, and how long a later start waits for the answer.
    void SetTimeouts(int stallMs, int answerMs);

private:
    enum class Delivery { Taken, NoListener, Closed, Unanswered };

    bool Listen();
    Delivery HandOver(const QByteArray& message, const QDeadlineTimer& deadline) const;
    void ReleaseLock();
    void Accept();
    void Read(RequestConnection* connection);
    bool MakeRoom(RequestConnection* connection, qsizetype bytes);
    void Squeeze();
    void Resume();
    void Close(RequestConnection* connection, const char* refusal);
    void Refused(const char* refusal);
    void SayRefusals();

    QString m_socketPath;
    RequestHandler m_requestsArrived;
    int m_stallTimeoutMs = kStallTimeoutMs;
    int m_answerTimeoutMs = kAnswerTimeoutMs;
    int m_lockFile = -1; // open while this process holds the lock
    int m_listener = -1; // the listening socket, while this process listens
    std::unique_ptr<QSocketNotifier> m_listenerNotifier;
    QTimer m_listenerPause;                      // runs while no descriptor is left
    std::vector<RequestConnection*> m_connections; // open ones, oldest first
    bool m_heldMuch = false;                     // a large buffer was used since memory was last returned
    int m_unsaidRefusals = 0;
    const char* m_lastRefusal = nullptr;
    QTimer m_refusalQuiet; // runs for a minute after a warning
};
