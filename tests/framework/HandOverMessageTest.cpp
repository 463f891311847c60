// The message of a later start to the running program, as bytes: what the
// encoder writes the decoder reads back byte for byte, and bytes that break
// a rule of the format are refused, by the header as soon as it shows.
#include "framework/HandOverMessage.h"

#include <QtEndian>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

using Paths = std::vector<std::string>;

QByteArray Number(quint32 value)
{
    const quint32 big = qToBigEndian(value);
    return QByteArray(reinterpret_cast<const char*>(&big), 4);
}

// A message whose rest is written by hand.
QByteArray Message(const QByteArray& rest)
{
    return "ODR1" + Number(static_cast<quint32>(rest.size())) + rest;
}

TEST(HandOverMessage, WhatIsEncodedIsDecodedByteForByteAndWhatWouldBeRefusedIsNotEncoded)
{
    const std::string largest(HandOverMessage::kMaxBytes - 8, '/');
    const struct {
        const char* what;
        Paths paths;
        bool encoded;
    } rows[] = {
        {"no path: a new document", {}, true},
        {"paths in order, an empty one, raw bytes", {"/one", "", "/caf\xE9", "/a b/\n"}, true},
        {"the largest message", {largest}, true},
        {"one byte more", {largest + '/'}, false},
        {"the most paths", Paths(HandOverMessage::kMaxPaths, "/"), true},
        {"one path more", Paths(HandOverMessage::kMaxPaths + 1, "/"), false},
        {"a relative path", {"/one", "two"}, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const QByteArray message = HandOverMessage::Encode(row.paths);
        EXPECT_EQ(!message.isEmpty(), row.encoded);
        if (row.encoded) {
            EXPECT_EQ(HandOverMessage::HeaderRefusal(message), nullptr);
            EXPECT_EQ(HandOverMessage::Decode(message), row.paths);
        }
    }
}

TEST(HandOverMessage, BytesThatBreakARuleAreRefused)
{
    const QByteArray one = HandOverMessage::Encode({"/one"});
    const struct {
        const char* what;
        QByteArray bytes;
        const char* headerRefusal; // what the first bytes already show
    } rows[] = {
        {"not a request", "GET / HTTP/1.0\r\n\r\n", "it is not a request"},
        {"another kind", "ODR2" + one.mid(4), "it is not a request"},
        {"too large", "ODR1" + Number(HandOverMessage::kMaxBytes + 1) + one.mid(8), "it is too large"},
        {"less than a header", one.left(7), nullptr},
        {"less than announced", one.chopped(1), nullptr},
        {"more than announced", one + "x", nullptr},
        {"no count of paths", Message({}), nullptr},
        {"too many paths", Message(Number(HandOverMessage::kMaxPaths + 1)), nullptr},
        {"a path past the end", Message(Number(1) + Number(40) + "/one"), nullptr},
        {"a relative path", Message(Number(1) + Number(3) + "one"), nullptr},
        {"a NUL byte in a path", Message(Number(1) + Number(4) + QByteArray("/o\0e", 4)), nullptr},
        {"bytes after the last path", Message(Number(1) + Number(4) + "/one" + "junk"), nullptr},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_STREQ(HandOverMessage::HeaderRefusal(row.bytes), row.headerRefusal);
        EXPECT_EQ(HandOverMessage::Decode(row.bytes), std::nullopt);
    }
    EXPECT_EQ(HandOverMessage::Decode(one), Paths{"/one"}) << "the message the rows break";
}

} // namespace
