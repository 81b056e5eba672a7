#pragma once
// A general registry object: set a root (ClassKey), a key path (SectionKey), a value name
// (ValueKey) and a type (ValueType), then read or write one value at a time. It keeps no key
// open between calls. The recent-files list keeps its entries through it.
//
// Failures come back as a RegistryResult carrying the error number, source and description
// (never as an exception). Values are QVariants:
//   string types 1, 2, 7   <-> QString (a multi-string keeps its embedded NULs)
//   number types 4, 5      <-> qint32 (int); a write takes int or qint16 (short)
//   every other type        -> QByteArray; a write of type 3 takes a QByteArray
// Strings cross into the store as Windows-1252 bytes, as the registry's ANSI functions did.

#include "settings/RegistryError.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <cstdint>

namespace corvin::settings {

class RegistryStore;

class cRegistry {
public:
    // `programName` is the executable's base name used in error sources; empty takes it from
    // the running application.
    explicit cRegistry(RegistryStore& store, QString programName = {});

    // True when the key can be opened for querying.
    bool KeyExists() const;
    RegistryResult CreateKey();
    RegistryResult DeleteKey();
    RegistryResult DeleteValue();

    // Reads the value; DEFAULT when it cannot be read. Sets ValueType to the type found.
    QVariant Value();
    // Writes the value with ValueType (creating the key); on success it becomes the last value.
    RegistryResult setValue(const QVariant& value);

    // The value names / sub-key names of the key in `names` (the entry at position n is
    // names[n - 1]) and their number in `count`. Always true; a missing key gives none.
    bool EnumerateValues(QStringList& names, int32_t& count) const;
    bool EnumerateSections(QStringList& names, int32_t& count) const;

    // Registers `extension` to open with the program; writes with the current ValueType, which
    // must be a string type. Stops at the first failed write.
    RegistryResult CreateEXEAssociation(const QString& exePath, const QString& className,
                                        const QString& classDescription, const QString& extension,
                                        int32_t iconIndex = -1);

    int32_t ValueType() const { return m_valueType; }
    void setValueType(int32_t type) { m_valueType = type; }
    int32_t ClassKey() const { return m_classKey; }
    void setClassKey(int32_t key) { m_classKey = key; }
    const QString& SectionKey() const { return m_sectionKey; }
    void setSectionKey(const QString& key) { m_sectionKey = key; }
    const QString& ValueKey() const { return m_valueKey; }
    void setValueKey(const QString& key) { m_valueKey = key; }
    const QVariant& DEFAULT() const { return m_default; }
    void setDEFAULT(const QVariant& value) { m_default = value; }

    // The last value written successfully.
    const QVariant& lastValue() const { return m_lastValue; }
    // The error source: the program's name followed by ".cRegistry".
    const QString& source() const { return m_source; }

    // Whether a string written as type 1 or 2 is stored as type 2: a "%" followed, at least
    // two positions later, by a second "%".
    static bool looksExpandable(const QString& text);
    // %NAME% replaced by the environment variable NAME where it is set; the rest unchanged.
    static QString expandEnvironmentStrings(const QString& text);

private:
    RegistryResult failure(int32_t number, const QString& description) const;
    uint32_t root() const { return static_cast<uint32_t>(m_classKey); }

    RegistryStore& m_store;
    int32_t m_classKey = 0;
    QString m_sectionKey;
    QString m_valueKey;
    QVariant m_lastValue;
    int32_t m_valueType = 0;
    QVariant m_default;
    QString m_source;
};

} // namespace corvin::settings
