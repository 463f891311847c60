#include "FileDrop.h"

#include <QByteArray>
#include <QMimeData>
#include <QUrl>

std::optional<std::string> LocalPathFromUri(const std::string& uri)
{
    static const std::string scheme = "file://";
    if (uri.size() < scheme.size() || QByteArray::fromStdString(uri.substr(0, scheme.size())).toLower() != "file://")
        return std::nullopt;
    std::string rest = uri.substr(scheme.size());
    // file://host/path: only the local host names a file of this machine.
    const std::size_t slash = rest.find('/');
    if (slash == std::string::npos)
        return std::nullopt;
    const std::string host = rest.substr(0, slash);
    if (!host.empty() && host != "localhost")
        return std::nullopt;
    const QByteArray decoded = QByteArray::fromPercentEncoding(QByteArray::fromStdString(rest.substr(slash)));
    if (decoded.isEmpty())
        return std::nullopt;
    return decoded.toStdString();
}

std::vector<std::optional<std::string>> DroppedPaths(const QMimeData& data)
{
    std::vector<std::optional<std::string>> paths;
    if (data.hasFormat("text/uri-list")) {
        // Read the list itself rather than QUrl objects, which would turn
        // the path into text on the way.
        const QList<QByteArray> lines = data.data("text/uri-list").split('\n');
        for (QByteArray line : lines) {
            line = line.trimmed();
            if (line.isEmpty() || line.startsWith('#'))
                continue;
            paths.push_back(LocalPathFromUri(line.toStdString()));
        }
        return paths;
    }
    for (const QUrl& url : data.urls())
        paths.push_back(LocalPathFromUri(url.toEncoded().toStdString()));
    return paths;
}
