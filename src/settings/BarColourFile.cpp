#include "settings/BarColourFile.h"

#include <QFile>
#include <QFileInfo>

namespace corvin::settings {

QByteArray BarColourFile::encode(const cBarColors& colours) {
    QByteArray bytes;
    bytes.reserve(kFileSize);
    for (int k = 1; k <= 7; ++k) {
        const auto v = static_cast<uint32_t>(colours.Ch(k));
        for (int b = 0; b < kRecordSize; ++b)
            bytes.append(static_cast<char>((v >> (8 * b)) & 0xFF));
    }
    return bytes;
}

cBarColors BarColourFile::decode(const QByteArray& bytes) {
    cBarColors colours;
    for (int k = 1; k <= 7; ++k) {
        uint32_t v = 0;
        for (int b = 0; b < kRecordSize; ++b) {
            const qsizetype at = static_cast<qsizetype>((k - 1) * kRecordSize + b);
            if (at < bytes.size())
                v |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[at])) << (8 * b);
        }
        colours.setCh(k, static_cast<int32_t>(v));
    }
    return colours;
}

Status BarColourFile::Load(const QString& path, cBarColors& colours, const AtomicFileFactory& files) {
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink()) {
        cBarColors defaults;
        for (int k = 1; k <= 7; ++k)
            defaults.setCh(k, kDefaultColour);
        colours = defaults;
        if (Status s = WriteFileAtomically(path, encode(defaults), files); !s)
            return Status::failure(QStringLiteral("The bar colour file \"%1\" could not be created: %2. "
                                                  "The bars are shown in light grey.")
                                       .arg(path, s.message()));
    }
    if (QFileInfo(path).exists() && !QFileInfo(path).isFile())
        return Status::failure(QStringLiteral("The bar colour file \"%1\" could not be read: it is not a "
                                              "file. The bar colours are left as they were.")
                                   .arg(path));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Status::failure(QStringLiteral("The bar colour file \"%1\" could not be read: %2. "
                                              "The bar colours are left as they were.")
                                   .arg(path, file.errorString()));
    // Only the seven records matter; never read more than that, whatever the file holds.
    const QByteArray bytes = file.read(kFileSize);
    if (file.error() != QFileDevice::NoError)
        return Status::failure(QStringLiteral("The bar colour file \"%1\" could not be read: %2. "
                                              "The bar colours are left as they were.")
                                   .arg(path, file.errorString()));
    colours = decode(bytes);
    return Status::success();
}

Status BarColourFile::Save(const QString& path, const cBarColors& colours, const AtomicFileFactory& files) {
    if (Status s = WriteFileAtomically(path, encode(colours), files); !s)
        return Status::failure(
            QStringLiteral("The bar colours could not be saved to \"%1\": %2.").arg(path, s.message()));
    return Status::success();
}

} // namespace corvin::settings
