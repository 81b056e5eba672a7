#include "settings/cMRUFileList.h"

#include "common/Cp1252.h"
#include "settings/RegistryStore.h"
#include "settings/cRegistry.h"

#include <QFileInfo>
#include <algorithm>

namespace corvin::settings {
namespace {

const QString kMaxCountValue = QStringLiteral("MaxCount");
const QString kCountValue = QStringLiteral("Count");

QString FileValue(int32_t i) {
    return QStringLiteral("File") + QString::number(i);
}

// A recent file is still there when something other than a folder has its name. A blank entry
// (stored as a single space) names nothing, wherever the program was started from.
bool OnDisk(const QString& path) {
    if (path.trimmed().isEmpty())
        return false;
    const QFileInfo info(path);
    return info.exists() && !info.isDir();
}

// The store holds Windows-1252 text. A path that code page cannot spell (say "ü Ωmega.DAT") is
// stored as its UTF-8 bytes, each byte as the Windows-1252 character of that number, so that
// it reads back as the same path; a path the code page can spell is stored as it is.
QString StoredText(const QString& path) {
    if (FromCp1252(ToCp1252(path)) == path)
        return path;
    return FromCp1252(path.toUtf8());
}

// The path a stored entry names when that file is on disk, else empty text.
QString StoredPathOnDisk(const QString& stored) {
    if (OnDisk(stored))
        return stored;
    const QByteArray bytes = ToCp1252(stored);
    if (FromCp1252(bytes) != stored)
        return {};
    const QString utf8 = QString::fromUtf8(bytes);
    if (utf8 != stored && utf8.toUtf8() == bytes && OnDisk(utf8))
        return utf8;
    return {};
}

bool WriteNumber(cRegistry& registry, const QString& name, int32_t value) {
    registry.setValueKey(name);
    registry.setValueType(static_cast<int32_t>(kRegDword));
    return registry.setValue(QVariant(static_cast<qint32>(value))).ok();
}

bool WriteText(cRegistry& registry, const QString& name, const QString& text) {
    registry.setValueKey(name);
    registry.setValueType(static_cast<int32_t>(kRegSz));
    return registry.setValue(QVariant(text)).ok();
}

int32_t ReadNumber(cRegistry& registry, const QString& name) {
    registry.setValueKey(name);
    const QVariant v = registry.Value();
    return v.isValid() ? v.toInt() : 0;
}

} // namespace

void cMRUFileList::setMaxFileCount(int32_t capacity) {
    capacity = std::max<int32_t>(capacity, 0);
    if (capacity == m_capacity)
        return;
    m_files.resize(capacity);
    m_capacity = capacity;
    m_count = std::min(m_count, m_capacity);
}

QString cMRUFileList::file(int32_t i) const {
    return inRange(i) ? m_files.at(i - 1) : QString();
}

bool cMRUFileList::FileExists(int32_t i) const {
    return !file(i).isEmpty();
}

QString cMRUFileList::MenuCaption(int32_t i) const {
    return caption(i, file(i));
}

QString cMRUFileList::caption(int32_t i, const QString& path) {
    constexpr qsizetype kLongest = 32;
    QString shown = path;
    const qsizetype length = path.size();
    if (length > kLongest) {
        // Positions count from 1. Walking leftwards, the last "/" with at most 32 characters after
        // it is remembered; every "/" further left cuts the path back to the remembered tail.
        qsizetype remembered = 0;
        for (qsizetype p = length; p >= 1; --p) {
            if (path.at(p - 1) != QLatin1Char('/'))
                continue;
            if (length - p <= kLongest)
                remembered = p;
            else
                shown = QStringLiteral("...") + path.mid((remembered != 0 ? remembered : p) - 1);
        }
    }
    return QLatin1Char('&') + QString::number(i) + QStringLiteral(")  ") + shown;
}

void cMRUFileList::AddFile(const QString& path) {
    if (!OnDisk(path) || m_capacity < 1)
        return;
    int32_t j = 0;
    for (int32_t i = 1; i <= m_count; ++i) {
        if (m_files.at(i - 1).compare(path, Qt::CaseInsensitive) == 0) {
            j = i;
            break;
        }
    }
    if (j == 0) {
        if (m_count < m_capacity)
            ++m_count;
        j = m_count;
    }
    for (int32_t i = j; i >= 2; --i)
        m_files[i - 1] = m_files.at(i - 2);
    m_files[0] = path;
}

bool cMRUFileList::Save(cRegistry& registry) const {
    if (!WriteNumber(registry, kMaxCountValue, m_capacity) || !WriteNumber(registry, kCountValue, m_count))
        return false;
    for (int32_t i = 1; i <= m_count; ++i) {
        if (!WriteText(registry, FileValue(i), StoredText(file(i))))
            return false;
        // An entry that reads back empty is stored as a single space.
        if (registry.Value().toString().isEmpty() && !WriteText(registry, FileValue(i), QStringLiteral(" ")))
            return false;
    }
    return true;
}

bool cMRUFileList::Load(cRegistry& registry) {
    registry.setValueKey(kMaxCountValue);
    if (!registry.KeyExists())
        return true;
    const int32_t capacity = ReadNumber(registry, kMaxCountValue);
    if (capacity < 1)
        return true;
    // This program never stores more than a handful of entries, nor more entries than the
    // capacity: anything else is damage, and following it could mean billions of reads.
    if (capacity > kMaxStoredCapacity)
        return false;
    m_files = QStringList();
    m_count = 0;
    m_capacity = 0;
    setMaxFileCount(capacity);
    // A count beyond the capacity is damage too, but the entries that fit are still the user's:
    // they are kept, as far as the capacity goes.
    const int32_t stored = ReadNumber(registry, kCountValue);
    const int32_t readable = std::min(stored, kMaxStoredCapacity);
    for (int32_t i = 1; i <= readable && m_count < m_capacity; ++i) {
        registry.setValueKey(FileValue(i));
        const QString path = StoredPathOnDisk(registry.Value().toString());
        if (!path.isEmpty()) {
            m_files[m_count] = path;
            ++m_count;
        } else if (!registry.DeleteValue().ok()) {
            return false;
        }
    }
    return stored <= capacity;
}

} // namespace corvin::settings
