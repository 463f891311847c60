#pragma once

#include "framework/Date.h"

#include <QByteArray>
#include <QTemporaryDir>

#include <cstdint>
#include <map>
#include <optional>
#include <string>

// Instants in Berlin, the time zone the tests run in.
inline constexpr std::int64_t kFebruary15 = 1739610000; // 2025-02-15 10:00:00
inline constexpr std::int64_t kJanuary2001 = 978346800; // 2001-01-01 12:00:00

// A date's instant in seconds since 1970, or none.
std::optional<std::int64_t> Seconds(const std::optional<Date>& date);

// A temporary folder for file-system tests, removed with the object; in the
// system's temporary folder, or in the given one.
class TempFolder {
public:
    TempFolder();
    explicit TempFolder(const std::string& parent);
    ~TempFolder();
    bool IsValid() const { return m_dir.isValid(); }
    // Native path of an entry inside the folder, as raw bytes.
    std::string Path(const std::string& name = {}) const;
    // Creates a regular file with the given content and returns its path.
    std::string MakeFile(const std::string& name, const QByteArray& content = {}) const;

private:
    QTemporaryDir m_dir;
};

// A tmpfs of the test's own, mounted on a folder (made if missing) and
// unmounted however the test ends. Mounting needs root; Mounted() says
// whether it worked. tmpfs keeps any time a 64-bit second can hold.
class TmpfsMount {
public:
    explicit TmpfsMount(std::string folder);
    ~TmpfsMount();
    TmpfsMount(const TmpfsMount&) = delete;
    TmpfsMount& operator=(const TmpfsMount&) = delete;
    bool Mounted() const { return m_mounted; }
    bool MakeReadOnly() const;

private:
    std::string m_folder;
    bool m_mounted = false;
};

// A temporary folder on a tmpfs, which keeps any time a 64-bit second can
// hold, to the nanosecond: in /dev/shm where that is a tmpfs the user may
// write (no privilege needed), else on a tmpfs of its own (root). Where
// neither can be had, Problem() says why, for the skip message.
class TmpfsFolder {
public:
    TmpfsFolder();
    bool IsValid() const { return m_problem.empty(); }
    const std::string& Problem() const { return m_problem; }
    std::string Path(const std::string& name = {}) const;
    std::string MakeFile(const std::string& name, const QByteArray& content = {}) const;

private:
    std::optional<TempFolder> m_folder;
    std::optional<TmpfsMount> m_mount;
    std::string m_problem;
};

// While it lives, the process runs in another time zone (TZ, read again
// with tzset); the one before comes back with it.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone);
    ~ScopedTimeZone();
    ScopedTimeZone(const ScopedTimeZone&) = delete;
    ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

private:
    QByteArray m_saved;
};

// While it lives, counts the file-type registrations by name.
class RegistrationCounter {
public:
    RegistrationCounter();
    ~RegistrationCounter();
    int Count(const std::string& name) const;

private:
    std::map<std::string, int, std::less<>> m_counts;
};

// SHA-256 of a file's content, for "content unchanged" checks.
QByteArray FileHash(const std::string& path);

// Answers the next modal open dialog once it shows: picks the path, or
// cancels when the path is empty. Sets *answered when a dialog was answered.
void AnswerNextOpenDialog(const std::string& path, bool* answered = nullptr);
