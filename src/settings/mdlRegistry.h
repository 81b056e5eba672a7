#pragma once
// The four small registry functions the default-probe setting is kept with. They return the
// registry's result code (0 = success) and never fail in any other way; their callers look only
// at whether a key open reported 2 (not found).
//
// Values are QVariants: type 1 <-> QString, type 4 <-> qint32.

#include "settings/RegKey.h"

#include <QString>
#include <QVariant>
#include <cstdint>

namespace corvin::settings {

class RegistryStore;

// Type 1: the text as ANSI bytes without a terminating NUL. Type 4: a 32-bit number (a value
// that is no whole number in range writes nothing and gives 13). Any other type writes nothing
// and gives 0.
int32_t RegistryWriteValue(const RegKey& key, const QString& valueName, int32_t type, const QVariant& value);

// Type 1: all the stored bytes as text, so a terminating NUL stored by another writer comes back
// as a trailing NUL character. Type 4: the number. When the value cannot be queried the result
// is that failure and `value` is untouched; when the data read fails `value` becomes empty
// (invalid); any other type gives -1 and leaves `value` untouched.
int32_t RegistryReadValue(const RegKey& key, const QString& valueName, QVariant& value);

// Creates root\keyPath (and the keys above it) and closes it again.
int32_t RegistryCreateKey(RegistryStore& store, uint32_t rootKey, const QString& keyPath);

// Opens root\keyPath with all access and writes the value as RegistryWriteValue does.
int32_t RegistryWriteKeyValue(RegistryStore& store, uint32_t rootKey, const QString& keyPath,
                              const QString& valueName, const QVariant& value, int32_t type);

} // namespace corvin::settings
