#pragma once

#include "RequestListener.h"
#include "RuntimeFolder.h"

#include <QString>

#include <string>
#include <vector>

// One running program per user and display. The first start listens; a later
// start hands its open-document requests to it and ends once the running
// program has answered that it serves them.
//
// Where: in the runtime folder (see RuntimeFolder.h: $XDG_RUNTIME_DIR, or a
// folder of the program's own, <temporary folder>/<program name>-<user id>),
// the socket
//     <program name>-<user id>-<display>
// where <display> is DisplayKey's name of the display the program shows its
// windows on, and in both names every character other than a letter, a digit,
// '.', '-' or '_' becomes '_' (the folder's name is in lower case). Beside the
// socket "<socket>.lock", a file whose lock (flock) decides which start is
// first: its holder listens. The system drops the lock of a program that
// died, so it can never be stale; the next start takes it and replaces the
// socket that the dead program left.
//
// The message and its answer: HandOverMessage.h. The listener's rules and
// limits: RequestListener.h. A later start counts its requests as handed
// over only once it has read the answer (HandOverClient.h). Where the
// connection closes without it (refused, or the program began to quit) it
// tries again, and may become the first itself; where no answer comes within
// kAnswerTimeoutMs (the program hangs) it runs on its own, without listening.
class SingleInstance {
public:
    static constexpr int kAnswerTimeoutMs = 3000;

    using Answer = RequestListener::Answer;
    using RequestHandler = RequestListener::RequestHandler;
    // requestsArrived gets the paths of each accepted message (see
    // RequestListener::RequestHandler).
    SingleInstance(const std::string& programName, const std::string& display, RequestHandler requestsArrived);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

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

    // The socket's full path; empty where there is no runtime folder.
    const QString& SocketPath() const { return m_folder.SocketPath(); }
    // Its address, which may be a shorter path to it (see RuntimeFolder.h),
    // valid while this object lives; none where it has none.
    const std::optional<sockaddr_un>& SocketAddress() const { return m_folder.SocketAddress(); }
    // The bytes held for connections now.
    std::size_t BufferedBytes() const { return m_listener.BufferedBytes(); }

    // Shorter waits, for tests: how long a sender may take to send its
    // message, and how long a later start waits for the answer.
    void SetTimeouts(int stallMs, int answerMs);

private:
    bool Listen();
    void ReleaseLock();

    RuntimeFolder m_folder; // outlives the listener, which may reach the socket through it
    int m_answerTimeoutMs = kAnswerTimeoutMs;
    int m_lockFile = -1; // open while this process holds the lock
    RequestListener m_listener;
};
