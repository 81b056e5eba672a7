#include "settings/cMRUFileList.h"

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
    return Caption(i, file(i));
}

QString cMRUFileList::Caption(int32_t i, const QString& path) {
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
        if (!WriteText(registry, FileValue(i), file(i)))
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
    const int32_t stored = ReadNumber(registry, kCountValue);
    if (stored > capacity)
        return false;

    for (int32_t i = 1; i <= stored; ++i) {
        registry.setValueKey(FileValue(i));
        const QString path = registry.Value().toString();
        if (OnDisk(path)) {
            m_files[m_count] = path;
            ++m_count;
        } else if (!registry.DeleteValue().ok()) {
            return false;
        }
    }
    return true;
}

} // namespace corvin::settings
