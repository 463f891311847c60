#pragma once

#include <optional>
#include <string>
#include <vector>

class QMimeData;

// The dropped entries of a drag's data, in order. Each is the native path of
// a local file, byte for byte (URLs are percent-decoded to bytes, never
// through text, so a name that is not valid UTF-8 survives), or none for an
// entry that is no local file.
std::vector<std::optional<std::string>> DroppedPaths(const QMimeData& data);

// Decodes one "file:" URL of a text/uri-list to the native path bytes.
std::optional<std::string> LocalPathFromUri(const std::string& uri);
