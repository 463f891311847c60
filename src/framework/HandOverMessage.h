#pragma once

#include <QByteArray>

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

// The message in which a later start of the program hands its open-document
// requests to the running program, one message per connection. Integers are
// unsigned 32-bit big-endian:
//     "ODR1"                       the kind of message
//     byte count of the rest       at most kMaxBytes
//     number of paths              at most kMaxPaths; 0 asks for a new document
//     per path: byte count, bytes  an absolute path ('/' first), or empty for
//                                  an argument that names nothing; no NUL
//                                  byte; raw bytes (need not be UTF-8)
// and nothing after the last path. The answer is one byte, kAnswer, sent when
// the running program starts to serve the requests.
class HandOverMessage {
public:
    static constexpr std::size_t kMaxBytes = 1 << 20;
    static constexpr std::size_t kMaxPaths = 4096;
    // The kind and the byte count of the rest.
    static constexpr qsizetype kHeaderBytes = 8;
    static constexpr char kAnswer = '\x06'; // ASCII ACK

    // The message that carries these paths, or empty where it would be
    // refused: beyond the bounds, or with a path that is not absolute (where
    // the working folder is gone).
    static QByteArray Encode(const std::vector<std::string>& paths);

    // What the first bytes of a message break of the header's rules, or null
    // while they may still begin one.
    static const char* HeaderRefusal(const QByteArray& received);
    // The byte count of the rest that a whole header announces.
    static qsizetype Announced(const QByteArray& received);
    // The paths of a whole message, or none where it breaks a rule.
    static std::optional<std::vector<std::string>> Decode(const QByteArray& message);
};
