#include "settings/mdlRegistry.h"

#include "common/Cp1252.h"
#include "settings/RegistryStore.h"

#include <QtEndian>
#include <cmath>
#include <limits>

namespace corvin::settings {
namespace {

QString Ansi(const QString& name) {
    return FromCp1252(ToCp1252(name));
}

// The value as a 32-bit number the way a Long assignment takes it: whole numbers and numeric
// text in range, fractions rounded half to even.
bool ToLong(const QVariant& value, int32_t& out) {
    bool ok = false;
    const double d = value.toDouble(&ok);
    if (!ok || !std::isfinite(d))
        return false;
    const double rounded = std::nearbyint(d);
    if (rounded < std::numeric_limits<int32_t>::min() || rounded > std::numeric_limits<int32_t>::max())
        return false;
    out = static_cast<int32_t>(rounded);
    return true;
}

} // namespace

int32_t RegistryWriteValue(const RegKey& key, const QString& valueName, int32_t type, const QVariant& value) {
    RegistryStore* store = key.store();
    if (!store)
        return kErrorInvalidHandle;
    switch (type) {
    case kRegSz:
        return store->SetValue(key, Ansi(valueName), kRegSz, ToCp1252(value.toString()));
    case kRegDword: {
        int32_t number = 0;
        if (!ToLong(value, number))
            return kErrorInvalidData;
        QByteArray data(4, '\0');
        qToLittleEndian(number, data.data());
        return store->SetValue(key, Ansi(valueName), kRegDword, data);
    }
    default:
        return kErrorSuccess;
    }
}

int32_t RegistryReadValue(const RegKey& key, const QString& valueName, QVariant& value) {
    RegistryStore* store = key.store();
    if (!store)
        return kErrorInvalidHandle;
    const QString name = Ansi(valueName);
    uint32_t type = 0;
    uint32_t size = 0;
    int32_t r = store->QueryValue(key, name, &type, nullptr, &size);
    if (r != kErrorSuccess)
        return r;
    switch (type) {
    case kRegSz: {
        QByteArray data(static_cast<qsizetype>(size), '\0');
        r = store->QueryValue(key, name, nullptr, data.data(), &size);
        value = r == kErrorSuccess ? QVariant(FromCp1252(data.left(size))) : QVariant();
        return r;
    }
    case kRegDword: {
        QByteArray data(4, '\0');
        uint32_t capacity = 4;
        r = store->QueryValue(key, name, nullptr, data.data(), &capacity);
        value = r == kErrorSuccess ? QVariant(qFromLittleEndian<qint32>(data.constData())) : QVariant();
        return r;
    }
    default:
        return -1;
    }
}

int32_t RegistryCreateKey(RegistryStore& store, uint32_t rootKey, const QString& keyPath) {
    RegKey key;
    const int32_t r = store.CreateKey(rootKey, Ansi(keyPath), kKeyAllAccess, key);
    RegistryStore::CloseKey(key);
    return r;
}

int32_t RegistryWriteKeyValue(RegistryStore& store, uint32_t rootKey, const QString& keyPath,
                              const QString& valueName, const QVariant& value, int32_t type) {
    RegKey key;
    int32_t r = store.OpenKey(rootKey, Ansi(keyPath), kKeyAllAccess, key);
    if (r != kErrorSuccess)
        return r;
    r = RegistryWriteValue(key, valueName, type, value);
    RegistryStore::CloseKey(key);
    return r;
}

} // namespace corvin::settings
