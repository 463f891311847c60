#pragma once

#include "ThrottledWarning.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <sys/un.h>

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QSocketNotifier;
class RequestConnection;

// The running program's side of the hand-over: listens on the socket, reads
// one message (see HandOverMessage.h) from each connection of a later start
// and hands its paths on with the answer to give once they are served. It
// refuses anything else, and a sender that has not sent its whole message in
// time, by closing the connection; nothing of a refused message is handled.
// Only the user can connect: the socket is the user's alone (0600), and a
// connection from another user id is refused all the same.
//
// Limits: at most kMaxConnections connections at once, holding at most
// kMaxBufferedBytes. While either limit is reached, or no file descriptor is
// left, further connections wait in the backlog (where descriptors ran out,
// the listener looks again after a moment), and a connection that has been
// open kBusyStallTimeoutMs without sending its whole message is closed, so
// that stalled senders keep a later start out only briefly. Refusals are
// logged once, then at most once a minute with a count.
//
// Plain local sockets watched by the event loop, not Qt Network: loading
// that library and the Kerberos and proxy libraries it needs made every
// start about 2 ms slower.
class RequestListener : public QObject {
public:
    static constexpr int kMaxConnections = 16;
    static constexpr std::size_t kMaxBufferedBytes = 4 << 20;
    static constexpr int kStallTimeoutMs = 3000;
    static constexpr int kBusyStallTimeoutMs = 250;

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
        bool FromLaterStart() const { return m_fromLaterStart; }

    private:
        void Drop();

        QPointer<RequestConnection> m_connection;
        bool m_fromLaterStart = false;
    };

    // Gets the paths of each accepted message, in order, on the thread of the
    // event loop, with the answer to give its sender when they are served.
    using RequestHandler = std::function<void(std::vector<std::string> paths, Answer answer)>;

    explicit RequestListener(RequestHandler requestsArrived);
    ~RequestListener() override;

    // Listens on the address, replacing a socket that is there: the caller
    // makes sure that no running program owns it. The reason of a failure,
    // or null.
    const char* Listen(const sockaddr_un& address);
    // Takes no more connections: the socket goes, and the connections whose
    // requests were not answered are closed (their senders try again).
    void Stop();

    // The bytes held for connections now.
    std::size_t BufferedBytes() const;
    // How long a sender may take to send its message.
    void SetStallTimeout(int ms) { m_stallTimeoutMs = ms; }

private:
    void Accept();
    void Read(RequestConnection* connection);
    bool MakeRoom(RequestConnection* connection, qsizetype bytes);
    void Squeeze();
    void Resume();
    void Close(RequestConnection* connection, const char* refusal);

    RequestHandler m_requestsArrived;
    int m_stallTimeoutMs = kStallTimeoutMs;
    int m_listener = -1;      // the listening socket, while listening
    QByteArray m_socketPath;  // its name, removed when listening stops
    std::unique_ptr<QSocketNotifier> m_listenerNotifier;
    QTimer m_listenerPause;                        // runs while no descriptor is left
    std::vector<RequestConnection*> m_connections; // open ones, oldest first
    bool m_heldMuch = false; // a large buffer was used since memory was last returned
    ThrottledWarning m_refusals;
};
