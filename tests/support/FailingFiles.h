#pragma once
// An AtomicFileFactory whose files fail on purpose, to show that a failed save leaves the old
// file whole. A file fails on its Nth write (after passing part of the bytes on, as a full disk
// would) or at commit; either for the first file the factory makes only, or for every file.
// A file that failed never commits, even if the saver goes on and asks it to. The same goes for
// the append files of the recovery journal: OnAppend makes the Nth append fail. DiscFullAfter
// stands for a disc with only so many bytes free, shared by every file the factory makes.

#include "common/AtomicFile.h"

#include <QString>
#include <algorithm>
#include <memory>

namespace corvin::testing {

class FailingFiles : public AtomicFileFactory {
public:
    enum class Persistence { Once, Always };

    // Files that fail on their `n`th write (from 1).
    static FailingFiles OnWrite(int n, Persistence persistence = Persistence::Once);
    // Files on a disc that is full after `offset` bytes: the write that would pass that byte
    // passes the bytes before it on and fails, as every write after it.
    static FailingFiles AtByte(qint64 offset, Persistence persistence = Persistence::Once);
    // Files whose writes succeed but whose commit fails.
    static FailingFiles AtCommit(Persistence persistence = Persistence::Once);
    // Ordinary atomic files; append files whose `n`th append (from 1) fails after passing half
    // of its bytes on, and every append after it.
    static FailingFiles OnAppend(int n, Persistence persistence = Persistence::Once);

    // A disc with `bytes` free: every file the factory makes, atomic or append, takes its bytes
    // from that space; the write that goes past it passes on what fits and fails.
    static FailingFiles DiscFullAfter(qint64 bytes);

    std::unique_ptr<AtomicFile> create(const QString& path) const override;
    std::unique_ptr<AppendFile> createAppend(const QString& path) const override;

    // The system's words the failure reports; "No space left on device" unless changed.
    FailingFiles& withMessage(QString message);
    const QString& message() const { return m_message; }
    // How many files were made, and how many of them failed.
    int filesCreated() const { return m_counts->created; }
    int failures() const { return m_counts->failed; }
    // The bytes the files have been given so far (with DiscFullAfter).
    qint64 bytesUsed() const { return m_counts->used; }

private:
    struct Counts {
        int created = 0;
        int failed = 0;
        qint64 freeBytes = -1; // -1: no limit
        qint64 used = 0;
        // How much of `size` bytes fits; counts it as used.
        qint64 take(qint64 size) {
            const qint64 room = freeBytes < 0 ? size : std::min(size, freeBytes - used);
            used += room;
            return room;
        }
    };
    FailingFiles(int failingWrite, Persistence persistence);

    int m_failingWrite;        // 0: fail at commit (unless m_failingByte is set)
    qint64 m_failingByte = -1; // >= 0: the disc is full after this many bytes
    int m_failingAppend = 0;   // 0: atomic files fail, appends do not
    Persistence m_persistence;
    QString m_message = QStringLiteral("No space left on device");
    // Shared so that copies of the factory (savers take it by reference, tests keep it by value)
    // count together; create() is const as the factory interface asks.
    std::shared_ptr<Counts> m_counts = std::make_shared<Counts>();
    friend class FailingFile;
    friend class FailingAppendFile;
};

} // namespace corvin::testing
