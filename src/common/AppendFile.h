#pragma once
// A file that only grows, each piece synced to the disc before append() returns. After a crash
// or a power cut the file holds every append that returned, and at most a torn tail of the one
// that was under way. The recovery journal is written this way; every other file of the
// program is replaced whole through AtomicFile.

#include "common/Status.h"

#include <QByteArray>
#include <QString>

namespace corvin {

class AppendFile {
public:
    explicit AppendFile(QString path);
    virtual ~AppendFile();
    AppendFile(const AppendFile&) = delete;
    AppendFile& operator=(const AppendFile&) = delete;

    // Opens the file, which must exist already (it is never created here, so a crash cannot leave
    // a file without its first part), and holds an exclusive lock on it while it is open: readers
    // can tell a file that is still being written (IsLockedForAppend).
    virtual Status open();
    // Writes all of `bytes` at the end and syncs the data (fdatasync). On failure the file is cut
    // back to where it was, as far as the system allows, and the message says why.
    virtual Status append(const QByteArray& bytes);
    void close();

    const QString& path() const { return m_path; }

private:
    QString m_path;
    int m_fd = -1;
    qint64 m_size = 0;
};

// True while some process holds `path` open through an AppendFile.
bool IsLockedForAppend(const QString& path);

} // namespace corvin
