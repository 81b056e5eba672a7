#pragma once
// An open key of the settings store, the counterpart of a Windows key handle: which key, of
// which store, opened with which access. It holds no resources of its own, so copying it is
// cheap; close() only makes this handle unusable, as closing a key handle does.

#include <cstdint>

namespace corvin::settings {

class RegistryStore;

class RegKey {
public:
    RegKey() = default;
    RegKey(RegistryStore* store, int64_t id, uint32_t access) : m_store(store), m_id(id), m_access(access) {}

    bool isOpen() const { return m_store != nullptr && m_id != 0; }
    RegistryStore* store() const { return m_store; }
    int64_t id() const { return m_id; }
    uint32_t access() const { return m_access; }
    void close() {
        m_store = nullptr;
        m_id = 0;
        m_access = 0;
    }

private:
    RegistryStore* m_store = nullptr;
    int64_t m_id = 0;
    uint32_t m_access = 0;
};

} // namespace corvin::settings
