#pragma once
// A real, tiny file system (a tmpfs of a few hundred KiB) mounted in a temporary folder, that a
// test can fill to the last byte. Mounting needs root, as CI has; elsewhere available() is false
// and why() says so, for the test to skip with that reason (see SKIP_WITHOUT_TINY_DISC).

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cerrno>
#include <cstring>
#include <sys/mount.h>

namespace corvin::testing {

class TinyDisc {
public:
    explicit TinyDisc(int kib = 256) {
        const QByteArray where = QFile::encodeName(m_dir.path());
        const QByteArray options = "size=" + QByteArray::number(kib) + "k,mode=0777";
        if (::mount("tmpfs", where.constData(), "tmpfs", MS_NOSUID | MS_NODEV, options.constData()) == 0)
            m_mounted = true;
        else
            m_why = QStringLiteral("cannot mount a tmpfs to fill (%1); it needs root")
                        .arg(QString::fromLocal8Bit(std::strerror(errno)));
    }
    ~TinyDisc() {
        if (m_mounted)
            ::umount2(QFile::encodeName(m_dir.path()).constData(), MNT_DETACH);
    }
    TinyDisc(const TinyDisc&) = delete;
    TinyDisc& operator=(const TinyDisc&) = delete;

    bool available() const { return m_mounted; }
    // CI sets CORVIN_REQUIRE_TINY_DISC, where a test that cannot mount one fails instead of
    // skipping, so that the full-disc checks can never pass by not running.
    static bool required() { return qEnvironmentVariableIsSet("CORVIN_REQUIRE_TINY_DISC"); }
    const QString& why() const { return m_why; }
    QString path() const { return m_dir.path(); }
    QString file(const QString& relative) const { return m_dir.path() + QLatin1Char('/') + relative; }

    // Takes every free byte with a filler file; free() gives them back.
    void fill() {
        QFile filler(file(QStringLiteral(".filler")));
        if (!filler.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
            return;
        const QByteArray block(4096, 'f');
        while (filler.write(block) == block.size()) {
        }
        while (filler.write(block.left(1)) == 1) {
        }
    }
    void free() { QFile::remove(file(QStringLiteral(".filler"))); }

private:
    QTemporaryDir m_dir;
    bool m_mounted = false;
    QString m_why;
};

} // namespace corvin::testing

// Skips the test when `disc` could not be mounted, or fails it where one is required.
#define SKIP_WITHOUT_TINY_DISC(disc)                                                                         \
    do {                                                                                                     \
        if (!(disc).available()) {                                                                           \
            if (::corvin::testing::TinyDisc::required())                                                     \
                FAIL() << (disc).why().toStdString();                                                        \
            GTEST_SKIP() << (disc).why().toStdString();                                                      \
        }                                                                                                    \
    } while (false)
