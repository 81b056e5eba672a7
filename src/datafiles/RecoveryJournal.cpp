#include "datafiles/RecoveryJournal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <unistd.h>

namespace corvin::datafiles {
namespace {

// test-<yyyyMMdd-HHmmss>.journal, made unique with -2, -3, ... should a name be taken.
QString FreeName(const QString& folder, const QDateTime& start) {
    const QString base =
        folder + QStringLiteral("/test-") + start.toLocalTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    const QString extension = QString::fromLatin1(RecoveryJournal::kExtension);
    QString name = base + extension;
    for (int n = 2; QFileInfo::exists(name) || QFileInfo(name).isSymLink(); ++n)
        name = base + QLatin1Char('-') + QString::number(n) + extension;
    return name;
}

} // namespace

RecoveryJournal::~RecoveryJournal() = default;

Status RecoveryJournal::begin(const QString& folder, const JournalHeader& header,
                              const AtomicFileFactory& files) {
    m_file.reset();
    m_path.clear();
    if (folder.isEmpty() || QDir::isRelativePath(folder))
        return Status::failure(QStringLiteral("there is no Corvin home to keep a journal in"));
    if (!QDir().mkpath(folder))
        return Status::failure(QStringLiteral("the folder %1 cannot be created").arg(folder));
    const QString path = FreeName(folder, header.startTime);
    if (Status s = WriteFileAtomically(path, EncodeJournalHeader(header), files); !s)
        return s;
    std::unique_ptr<AppendFile> file = files.createAppend(path);
    if (Status s = file->open(); !s) {
        QFile::remove(path);
        return s;
    }
    m_path = path;
    m_file = std::move(file);
    return Status::success();
}

Status RecoveryJournal::append(int row, const JournalRow& readings) {
    if (!m_file || row < 0)
        return Status::success();
    Status s = m_file->append(EncodeJournalFrame(static_cast<uint32_t>(row), readings));
    if (!s)
        m_file.reset(); // the rows so far stay on disc for a recovery
    return s;
}

void RecoveryJournal::remove() {
    m_file.reset();
    if (m_path.isEmpty())
        return;
    QFile::remove(m_path);
    // A power cut could bring the journal back, which only offers saved readings once more.
    static_cast<void>(SyncFolder(QFileInfo(m_path).absolutePath()));
    m_path.clear();
}

} // namespace corvin::datafiles
