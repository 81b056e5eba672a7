#pragma once
// Opening the program's own small files safely: without blocking, and only when the name is a
// plain file, so a pipe or a device that happens to carry such a name never stalls the program.

#include "common/Status.h"

#include <QByteArray>
#include <QString>
#include <cstdint>

namespace corvin {

// Opens `nativeName` (the name's bytes) with `flags` (O_NONBLOCK and O_CLOEXEC are added). The
// descriptor, or -1 with `error` saying why ("Not a plain file" for a pipe, a folder, a device).
// `size` gets the file's length.
int OpenPlainFile(const QByteArray& nativeName, int flags, QString& error, int64_t* size = nullptr);

// The first `maxBytes` bytes of a plain file (fewer when it is shorter).
Status ReadPlainFile(const QByteArray& nativeName, int64_t maxBytes, QByteArray& bytes);

} // namespace corvin
