#pragma once

#include <QString>

#include <sys/un.h>

#include <optional>

// The folder that holds the socket and the lock of the running program: one
// that no other user can write to, so that no other user can put a socket or
// a lock of theirs in the program's way.
//
// It is the user's runtime folder, $XDG_RUNTIME_DIR, where that is set and is
// the user's own and writable by no one else. Otherwise it is a folder of the
// program's own in the temporary folder (TMPDIR, else /tmp), made 0700 where
// it is missing and used only where it is no link, the user's own and open to
// no one else; the log says so. Where neither will do, there is none: the
// program runs on its own, and the log says why.
//
// A socket address holds at most 107 bytes of path. Where the folder's path is
// longer, a socket in it is reached through the folder's descriptor, held
// open, as /proc/self/fd/<descriptor>/<name>: the same place by a short path.
class RuntimeFolder {
public:
    // The folder for the socket of this name; ownFolderName names the
    // program's own folder, where it needs one.
    RuntimeFolder(const QString& ownFolderName, const QString& socketName);
    ~RuntimeFolder();
    RuntimeFolder(const RuntimeFolder&) = delete;
    RuntimeFolder& operator=(const RuntimeFolder&) = delete;

    // The socket's full path; empty where there is no folder.
    const QString& SocketPath() const { return m_socketPath; }
    // The socket's address; none where there is no folder, or not even the
    // short path fits.
    const std::optional<sockaddr_un>& SocketAddress() const { return m_address; }

private:
    bool Take(const QString& folder, bool ownFolder, const QString& socketName);

    QString m_socketPath;
    std::optional<sockaddr_un> m_address;
    int m_descriptor = -1; // held where the path is too long for an address
};
