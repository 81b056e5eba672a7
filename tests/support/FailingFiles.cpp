#include "support/FailingFiles.h"

#include <algorithm>

namespace corvin::testing {

// A real AtomicFile that fails where it is told to; the underlying save is then dropped.
class FailingFile : public AtomicFile {
public:
    FailingFile(const QString& path, int failingWrite, qint64 failingByte, QString message,
                std::shared_ptr<FailingFiles::Counts> counts)
        : AtomicFile(path), m_failingWrite(failingWrite), m_failingByte(failingByte),
          m_message(std::move(message)), m_counts(std::move(counts)) {}

    Status write(const QByteArray& bytes) override {
        if (m_failed)
            return fail();
        if (const qint64 room = m_counts->take(bytes.size()); room < bytes.size()) {
            writePart(bytes.left(room));
            ++m_counts->failed;
            return fail();
        }
        if (m_failingByte >= 0) {
            const qint64 room = m_failingByte - m_written;
            if (bytes.size() <= room) {
                m_written += bytes.size();
                return AtomicFile::write(bytes);
            }
            if (room > 0)
                writePart(bytes.left(room));
            ++m_counts->failed;
            return fail();
        }
        if (m_failingWrite > 0 && ++m_writes == m_failingWrite) {
            // Half the bytes reach the temporary file, as when the disc fills up mid-write.
            writePart(bytes.left(bytes.size() / 2));
            ++m_counts->failed;
            return fail();
        }
        return AtomicFile::write(bytes);
    }

    Status commit() override {
        if (m_failed)
            return fail();
        if (m_failingWrite == 0 && m_failingByte < 0) {
            ++m_counts->failed;
            return fail();
        }
        return AtomicFile::commit();
    }

private:
    // The bytes that fit reach the temporary file; the write fails whatever became of them.
    void writePart(const QByteArray& part) { static_cast<void>(AtomicFile::write(part)); }
    Status fail() {
        m_failed = true;
        return Status::failure(m_message);
    }

    int m_failingWrite;
    qint64 m_failingByte;
    qint64 m_written = 0;
    int m_writes = 0;
    bool m_failed = false;
    QString m_message;
    std::shared_ptr<FailingFiles::Counts> m_counts;
};

// A real AppendFile whose Nth append fails: half of it reaches the file, as on a full disc.
class FailingAppendFile : public AppendFile {
public:
    FailingAppendFile(const QString& path, int failingAppend, QString message,
                      std::shared_ptr<FailingFiles::Counts> counts)
        : AppendFile(path), m_failingAppend(failingAppend), m_message(std::move(message)),
          m_counts(std::move(counts)) {}

    Status append(const QByteArray& bytes) override {
        if (m_failed)
            return Status::failure(m_message);
        const qint64 room = m_counts->take(bytes.size());
        if (room == bytes.size() && (m_failingAppend == 0 || ++m_appends < m_failingAppend))
            return AppendFile::append(bytes);
        // The bytes that fit reach the file; the append fails whatever became of them.
        static_cast<void>(AppendFile::append(bytes.left(room < bytes.size() ? room : bytes.size() / 2)));
        ++m_counts->failed;
        m_failed = true;
        return Status::failure(m_message);
    }

private:
    int m_failingAppend;
    int m_appends = 0;
    bool m_failed = false;
    QString m_message;
    std::shared_ptr<FailingFiles::Counts> m_counts;
};

FailingFiles::FailingFiles(int failingWrite, Persistence persistence)
    : m_failingWrite(failingWrite), m_persistence(persistence) {}

FailingFiles FailingFiles::OnWrite(int n, Persistence persistence) {
    return FailingFiles(n < 1 ? 1 : n, persistence);
}

FailingFiles FailingFiles::AtByte(qint64 offset, Persistence persistence) {
    FailingFiles files(0, persistence);
    files.m_failingByte = std::max<qint64>(0, offset);
    return files;
}

FailingFiles FailingFiles::AtCommit(Persistence persistence) {
    return FailingFiles(0, persistence);
}

FailingFiles FailingFiles::OnAppend(int n, Persistence persistence) {
    FailingFiles files(0, persistence);
    files.m_failingAppend = n < 1 ? 1 : n;
    return files;
}

FailingFiles FailingFiles::DiscFullAfter(qint64 bytes) {
    FailingFiles files(-1, Persistence::Always);
    files.m_counts->freeBytes = std::max<qint64>(0, bytes);
    return files;
}

FailingFiles& FailingFiles::withMessage(QString message) {
    m_message = std::move(message);
    return *this;
}

std::unique_ptr<AtomicFile> FailingFiles::create(const QString& path) const {
    if (m_counts->freeBytes >= 0) {
        ++m_counts->created;
        return std::make_unique<FailingFile>(path, -1, -1, m_message, m_counts);
    }
    if (m_failingAppend > 0)
        return std::make_unique<AtomicFile>(path);
    const bool fails = m_persistence == Persistence::Always || m_counts->created == 0;
    ++m_counts->created;
    if (!fails)
        return std::make_unique<AtomicFile>(path);
    return std::make_unique<FailingFile>(path, m_failingWrite, m_failingByte, m_message, m_counts);
}

std::unique_ptr<AppendFile> FailingFiles::createAppend(const QString& path) const {
    if (m_counts->freeBytes >= 0) {
        ++m_counts->created;
        return std::make_unique<FailingAppendFile>(path, 0, m_message, m_counts);
    }
    if (m_failingAppend == 0)
        return std::make_unique<AppendFile>(path);
    const bool fails = m_persistence == Persistence::Always || m_counts->created == 0;
    ++m_counts->created;
    if (!fails)
        return std::make_unique<AppendFile>(path);
    return std::make_unique<FailingAppendFile>(path, m_failingAppend, m_message, m_counts);
}

} // namespace corvin::testing
