#pragma once
// The bar colour file, BAR.CFG in the Corvin home: seven 4-byte records, record k holding
// channel k's colour as a little-endian Windows RGB value. 28 bytes, no header.

#include "common/AtomicFile.h"
#include "common/Status.h"
#include "common/cBarColors.h"

#include <QByteArray>
#include <QString>
#include <cstdint>

namespace corvin::settings {

class BarColourFile {
public:
    static constexpr int32_t kDefaultColour = 0x00C0C0C0; // light grey
    static constexpr int kRecordSize = 4;
    static constexpr int kFileSize = 7 * kRecordSize;

    // The start-up reader. A missing file is first created with the default colour in every
    // record (and every channel gets it, even if the file cannot be created). A file that
    // exists but cannot be read leaves `colours` as they were. Either failure is reported in
    // the result's message; the program carries on.
    static Status Load(const QString& path, cBarColors& colours,
                       const AtomicFileFactory& files = AtomicFileFactory());

    // Writes all seven colours (28 bytes), replacing the file atomically.
    static Status Save(const QString& path, const cBarColors& colours,
                       const AtomicFileFactory& files = AtomicFileFactory());

    // The 28 bytes of the file.
    static QByteArray encode(const cBarColors& colours);
    // The colours held by `bytes`, read without checks: a file shorter than 28 bytes gives 0
    // for every missing byte (a record cut short keeps the bytes it has as its low bytes), and
    // bytes after the seventh record are ignored.
    static cBarColors decode(const QByteArray& bytes);
};

} // namespace corvin::settings
