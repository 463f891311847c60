#pragma once

#include <sys/un.h>

class QByteArray;
class QDeadlineTimer;

// A later start's side of the hand-over: sends one message to the running
// program's socket and waits for the answer that it serves the requests.
class HandOverClient {
public:
    enum class Delivery {
        Taken,      // answered: the running program serves the requests
        NoListener, // nothing listens on the socket
        Closed,     // the connection closed without an answer
        Unanswered, // no answer in time; the requests will not be served
    };

    // Each step waits no longer than the deadline. Where no answer came in
    // time, the socket is shut down and looked at once more: either the
    // answer is there, or the program can no longer send it and drops the
    // requests. So they are served by exactly one program.
    static Delivery Deliver(const sockaddr_un& address, const QByteArray& message, const QDeadlineTimer& deadline);
};
