#pragma once
// What cRegistry reports when an operation fails: the error number, its source (the program's
// name followed by ".cRegistry") and a description. cRegistry returns these as results and
// never throws, so nothing can escape into the event loop; callers that only need to know
// whether it worked test the result as a bool.

#include <QString>
#include <cstdint>
#include <utility>

namespace corvin::settings {

// A failure to create, open or delete a key or value.
constexpr int32_t kRegistryError = 26001;
// A failed value write (0x800469A9).
constexpr int32_t kRegistryWriteError = static_cast<int32_t>(0x800469A9u);

struct RegistryError {
    int32_t Number = 0;
    QString Source;
    QString Description;
};

class RegistryResult {
public:
    RegistryResult() = default;
    static RegistryResult success() { return {}; }
    static RegistryResult failure(RegistryError error) {
        RegistryResult r;
        r.m_ok = false;
        r.m_error = std::move(error);
        return r;
    }
    bool ok() const { return m_ok; }
    explicit operator bool() const { return m_ok; }
    // Meaningful only when !ok().
    const RegistryError& error() const { return m_error; }

private:
    bool m_ok = true;
    RegistryError m_error;
};

} // namespace corvin::settings
