#include "HandOverMessage.h"

#include <QtEndian>

namespace {

const QByteArray kKind = QByteArrayLiteral("ODR1");

void AppendNumber(QByteArray& bytes, quint32 value)
{
    const quint32 big = qToBigEndian(value);
    bytes.append(reinterpret_cast<const char*>(&big), sizeof big);
}

} // namespace

QByteArray HandOverMessage::Encode(const std::vector<std::string>& paths)
{
    if (paths.size() > kMaxPaths)
        return {};
    QByteArray rest;
    AppendNumber(rest, static_cast<quint32>(paths.size()));
    for (const std::string& path : paths) {
        if (path.size() > kMaxBytes || (!path.empty() && path.front() != '/'))
            return {};
        AppendNumber(rest, static_cast<quint32>(path.size()));
        rest.append(path.data(), static_cast<qsizetype>(path.size()));
        if (static_cast<std::size_t>(rest.size()) > kMaxBytes)
            return {};
    }
    QByteArray message = kKind;
    AppendNumber(message, static_cast<quint32>(rest.size()));
    return message + rest;
}

const char* HandOverMessage::HeaderRefusal(const QByteArray& received)
{
    if (!kKind.startsWith(received.left(kKind.size())))
        return "it is not a request";
    if (received.size() >= kHeaderBytes && static_cast<std::size_t>(Announced(received)) > kMaxBytes)
        return "it is too large";
    return nullptr;
}

qsizetype HandOverMessage::Announced(const QByteArray& received)
{
    return qFromBigEndian<quint32>(received.constData() + kKind.size());
}

std::optional<std::vector<std::string>> HandOverMessage::Decode(const QByteArray& message)
{
    if (message.size() < kHeaderBytes || HeaderRefusal(message) || Announced(message) != message.size() - kHeaderBytes)
        return std::nullopt;
    qsizetype at = kHeaderBytes;
    const auto next = [&](quint32& value) {
        if (message.size() - at < 4)
            return false;
        value = qFromBigEndian<quint32>(message.constData() + at);
        at += 4;
        return true;
    };
    quint32 count = 0;
    if (!next(count) || count > kMaxPaths)
        return std::nullopt;
    std::vector<std::string> paths;
    for (quint32 i = 0; i < count; ++i) {
        quint32 size = 0;
        if (!next(size) || size > message.size() - at)
            return std::nullopt;
        std::string path(message.constData() + at, size);
        at += size;
        // A relative path would name an item in the listener's folder, not
        // in the sender's.
        if ((!path.empty() && path.front() != '/') || path.find('\0') != std::string::npos)
            return std::nullopt;
        paths.push_back(std::move(path));
    }
    if (at != message.size())
        return std::nullopt;
    return paths;
}
