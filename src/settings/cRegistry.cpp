#include "settings/cRegistry.h"

#include "common/Cp1252.h"
#include "settings/RegistryStore.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QtEndian>

#include <utility>
#include <vector>

namespace corvin::settings {
namespace {

// Names pass through the ANSI code page on their way into the registry, as they always did.
QString Ansi(const QString& name) {
    return FromCp1252(ToCp1252(name));
}

// A value as text, for string writes and for error descriptions. Bytes are read as ANSI text.
QString ValueText(const QVariant& value) {
    if (value.typeId() == QMetaType::QByteArray)
        return FromCp1252(value.toByteArray());
    return value.toString();
}

bool IsShortOrLong(const QVariant& value) {
    return value.typeId() == QMetaType::Int || value.typeId() == QMetaType::Short;
}

QByteArray LittleEndian32(int32_t v) {
    QByteArray bytes(4, '\0');
    qToLittleEndian(v, bytes.data());
    return bytes;
}

// A number of up to four bytes; missing high bytes are 0.
uint32_t FromLittleEndian(const QByteArray& bytes) {
    uint32_t v = 0;
    for (qsizetype i = 0; i < bytes.size() && i < 4; ++i)
        v |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[i])) << (8 * i);
    return v;
}

uint32_t ByteSwap(uint32_t v) {
    return (v >> 24) | ((v >> 8) & 0x0000FF00u) | ((v << 8) & 0x00FF0000u) | (v << 24);
}

QString ProgramName() {
    if (QCoreApplication::instance())
        return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    return QStringLiteral("corvin");
}

} // namespace

cRegistry::cRegistry(RegistryStore& store, QString programName)
    : m_store(store),
      m_source((programName.isEmpty() ? ProgramName() : programName) + QStringLiteral(".cRegistry")) {}

RegistryResult cRegistry::failure(int32_t number, const QString& description) const {
    return RegistryResult::failure({number, m_source, description});
}

bool cRegistry::looksExpandable(const QString& text) {
    const qsizetype first = text.indexOf(QLatin1Char('%'));
    return first >= 0 && text.indexOf(QLatin1Char('%'), first + 2) >= 0;
}

QString cRegistry::expandEnvironmentStrings(const QString& text) {
    QString out;
    qsizetype i = 0;
    while (i < text.size()) {
        const qsizetype open = text.indexOf(QLatin1Char('%'), i);
        if (open < 0) {
            out += text.mid(i);
            break;
        }
        out += text.mid(i, open - i);
        const qsizetype close = text.indexOf(QLatin1Char('%'), open + 1);
        if (close < 0) {
            out += text.mid(open);
            break;
        }
        const QString name = text.mid(open + 1, close - open - 1);
        if (!name.isEmpty() && qEnvironmentVariableIsSet(name.toLocal8Bit().constData())) {
            out += qEnvironmentVariable(name.toLocal8Bit().constData());
            i = close + 1;
        } else {
            // An unknown name stays as written; its closing "%" may open the next name.
            out += text.mid(open, close - open);
            i = close;
        }
    }
    return out;
}

// ---- Keys ----------------------------------------------------------------------------------

bool cRegistry::KeyExists() const {
    RegKey key;
    return m_store.OpenKey(root(), Ansi(m_sectionKey), kKeyQueryValue, key) == kErrorSuccess;
}

RegistryResult cRegistry::CreateKey() {
    RegKey key;
    if (m_store.CreateKey(root(), Ansi(m_sectionKey), kKeyAllAccess, key) != kErrorSuccess)
        return failure(kRegistryError, QStringLiteral("Failed to create registry Key: '") + m_sectionKey);
    return RegistryResult::success();
}

RegistryResult cRegistry::DeleteKey() {
    if (m_store.DeleteKey(root(), Ansi(m_sectionKey)) != kErrorSuccess) {
        return failure(kRegistryError, QStringLiteral("Failed to delete registry Key: '") +
                                           QString::number(m_classKey) + QStringLiteral("',Section: '") +
                                           m_sectionKey);
    }
    return RegistryResult::success();
}

RegistryResult cRegistry::DeleteValue() {
    const QString where = QString::number(m_classKey) + QStringLiteral("',Section: '") + m_sectionKey;
    RegKey key;
    if (m_store.OpenKey(root(), Ansi(m_sectionKey), kKeyAllAccess, key) != kErrorSuccess)
        return failure(kRegistryError, QStringLiteral("Failed to open key '") + where +
                                           QStringLiteral("' for delete access"));
    if (m_store.DeleteValue(key, Ansi(m_valueKey)) != kErrorSuccess)
        return failure(kRegistryError, QStringLiteral("Failed to delete registry Key: '") + where +
                                           QStringLiteral("',Key: '") + m_valueKey);
    return RegistryResult::success();
}

// ---- Values --------------------------------------------------------------------------------

QVariant cRegistry::Value() {
    RegKey key;
    const QString name = Ansi(m_valueKey);
    uint32_t type = 0;
    uint32_t size = 0;
    int32_t r = m_store.OpenKey(root(), Ansi(m_sectionKey), kKeyQueryValue, key);
    if (r == kErrorSuccess)
        r = m_store.QueryValue(key, name, &type, nullptr, &size);
    if (r != kErrorSuccess && r != kErrorMoreData)
        return m_default;
    m_valueType = static_cast<int32_t>(type);

    QByteArray data(static_cast<qsizetype>(size), '\0');
    uint32_t got = size;
    // The value can change between the two reads (another process); what no longer fits the
    // size first reported is not read.
    if (m_store.QueryValue(key, name, nullptr, data.data(), &got) != kErrorSuccess)
        return m_default;
    data.truncate(got);

    switch (type) {
    case kRegSz:
    case kRegMultiSz:
    case kRegExpandSz: {
        // The stored terminating NUL is not part of the text.
        const QString text = FromCp1252(data.left(data.isEmpty() ? 0 : data.size() - 1));
        return type == kRegExpandSz ? QVariant(expandEnvironmentStrings(text)) : QVariant(text);
    }
    case kRegDword:
        return QVariant(static_cast<qint32>(FromLittleEndian(data)));
    case kRegDwordBigEndian:
        return QVariant(static_cast<qint32>(ByteSwap(FromLittleEndian(data))));
    default:
        // Indices 0 to size: one element more than the data, that last one 0.
        data.resize(static_cast<qsizetype>(size) + 1);
        data[data.size() - 1] = '\0';
        return QVariant(data);
    }
}

RegistryResult cRegistry::setValue(const QVariant& value) {
    const QString description = QStringLiteral("Failed to set registry value Key: '") +
                                QString::number(m_classKey) + QStringLiteral("',Section: '") + m_sectionKey +
                                QStringLiteral("',Key: '") + m_valueKey + QStringLiteral("' to value: '") +
                                ValueText(value) + QStringLiteral("'");
    RegKey key;
    if (m_store.CreateKey(root(), Ansi(m_sectionKey), kKeyAllAccess, key) != kErrorSuccess)
        return failure(kRegistryError, description);

    const QString name = Ansi(m_valueKey);
    int32_t r = kErrorSuccess;
    switch (m_valueType) {
    case kRegSz:
    case kRegExpandSz: {
        const QString text = ValueText(value);
        QByteArray data = ToCp1252(text);
        data.append('\0');
        r = m_store.SetValue(key, name, looksExpandable(text) ? kRegExpandSz : kRegSz, data);
        break;
    }
    case kRegBinary:
        if (value.typeId() != QMetaType::QByteArray)
            return failure(kRegistryError, QString());
        // The whole array (the program once dropped its last two bytes here).
        r = m_store.SetValue(key, name, kRegBinary, value.toByteArray());
        break;
    case kRegDword:
    case kRegDwordBigEndian:
        // Always stored as a plain number; anything that is not an integer writes nothing.
        if (IsShortOrLong(value))
            r = m_store.SetValue(key, name, kRegDword, LittleEndian32(value.toInt()));
        break;
    default:
        r = kErrorInvalidData;
        break;
    }
    if (r != kErrorSuccess)
        return failure(kRegistryWriteError, description);
    m_lastValue = value;
    return RegistryResult::success();
}

// ---- Enumeration ---------------------------------------------------------------------------

bool cRegistry::EnumerateValues(QStringList& names, int32_t& count) const {
    names.clear();
    count = 0;
    RegKey key;
    if (m_store.OpenKey(root(), Ansi(m_sectionKey), kKeyQueryValue, key) != kErrorSuccess)
        return true;
    RegKeyInfo info;
    m_store.QueryInfoKey(key, info);
    const uint32_t capacity = info.maxValueNameLen + 1;
    for (uint32_t index = 0;; ++index) {
        QString name;
        uint32_t length = capacity;
        if (m_store.EnumValue(key, index, name, length) != kErrorSuccess)
            break;
        names << name.left(static_cast<qsizetype>(length));
        ++count;
    }
    return true;
}

bool cRegistry::EnumerateSections(QStringList& names, int32_t& count) const {
    names.clear();
    count = 0;
    RegKey key;
    m_store.OpenKey(root(), Ansi(m_sectionKey), kKeyEnumerateSubKeys, key);
    for (uint32_t index = 0;; ++index) {
        QString name;
        if (m_store.EnumKey(key, index, name) != kErrorSuccess)
            break;
        const qsizetype nul = name.indexOf(QChar(u'\0'));
        names << (nul >= 0 ? name.left(nul) : name);
        ++count;
    }
    return true;
}

RegistryResult cRegistry::CreateEXEAssociation(const QString& exePath, const QString& className,
                                               const QString& classDescription, const QString& extension,
                                               int32_t iconIndex) {
    const QString command = exePath + QStringLiteral(" \"%1\"");
    const QString dotExtension = QLatin1Char('.') + extension;
    const QString openCommand = QStringLiteral("\\shell\\open\\command");
    std::vector<std::pair<QString, QString>> steps{
        {dotExtension, className},
        {dotExtension + openCommand, command},
        {className, classDescription},
        {className + openCommand, command},
    };
    if (iconIndex >= 0)
        steps.emplace_back(className + QStringLiteral("\\DefaultIcon"),
                           exePath + QLatin1Char(',') + QString::number(iconIndex));

    m_classKey = static_cast<int32_t>(kHkeyClassesRoot);
    for (const auto& [section, text] : steps) {
        m_sectionKey = section;
        m_valueKey.clear();
        if (RegistryResult r = setValue(text); !r)
            return r;
    }
    return RegistryResult::success();
}

} // namespace corvin::settings
