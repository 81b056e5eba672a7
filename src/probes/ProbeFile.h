#pragma once
// Probe files: one 128-byte record per probe device, a 16-byte Windows-1252 field for the name
// and one for each of the seven channels, padded with spaces. Written as "<name>.prb" in the
// probes folder; found as "*.Prb" whatever the case of the extension, since files may come from
// a file system that ignores case.

#include "common/AtomicFile.h"
#include "common/SharedState.h"
#include "common/Status.h"
#include "common/cProbe.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>
#include <vector>

namespace corvin::probes {

constexpr int kProbeRecordLength = 128;
constexpr int kProbeFieldLength = 16;

// The fields of a probe file as stored: 16 characters each, padding included. The probe
// selection list shows them like this; everything else uses the trimmed cProbe.
struct ProbeRecord {
    QString Probe_Name;
    std::array<QString, kChannelCount> Ch; // channel k at [k - 1]

    bool operator==(const ProbeRecord&) const = default;
};

// The 128 bytes of a probe: each text cut to 16 characters or padded with spaces.
QByteArray EncodeProbeRecord(const cProbe& probe);

// The fields of a record. Bytes missing from a short record read as zero bytes; bytes past 128
// are ignored.
ProbeRecord DecodeProbeRecord(const QByteArray& bytes);

// The probe a record describes: every field without its padding (TrimPadding).
cProbe ToProbe(const ProbeRecord& record);

// Why `text` cannot be stored in a probe or test data file as it is, or nothing when it can: it
// must hold only characters of Windows-1252 (anything else would become "?") and no control
// characters (a line break or a terminal escape would reach every listing). The reason reads on
// from "A probe name " or "Channel 3 ".
std::optional<QString> UnfitTextReason(const QString& text);

// Why `name` cannot name a probe file, or nothing when it can. A probe name must stay inside the
// probes folder, survive the trip through the record and be a file name on Windows too: no "/",
// not "." or "..", a fit text (UnfitTextReason), at most 16 characters, not empty, none of
// < > : " \ | ? *, no dot or space at the end, not a device name such as CON or NUL.
std::optional<QString> UnsafeProbeNameReason(const QString& name);

// A file name read from the disc as text: UTF-8 when its bytes are UTF-8, else Windows-1252
// (names from archives of the Windows version), which any bytes are.
QString DecodeFileName(const QByteArray& bytes);
// The bytes of `path` on disc: its UTF-8, or, when only that exists, the Windows-1252 bytes of
// a last part that DecodeFileName read that way.
QByteArray NativeFileName(const QString& path);

// The existing probe file of `name` in `folder`: "<name>.Prb" with any case of the extension
// (and, failing that, of the name), preferring the exact spelling. Nothing when there is none
// or the name is not a safe file name.
std::optional<QString> ResolveProbePath(const QString& folder, const QString& name);

// Where a probe named `name` is written: the existing file of that name (so a probe saved again
// replaces itself rather than leaving a second file that differs only in case), else
// "<folder>/<name>.prb".
QString ProbeFilePath(const QString& folder, const QString& name);

// Writes `probe` (name and channels trimmed of spaces) atomically to
// ProbeFilePath(folder, name), replacing an existing probe of the same name. On failure the
// message is the whole text to show: "Problems with writing <path> to disc", a line break and
// what went wrong. An unsafe name is refused that way and nothing is written; so is a probe file
// that is a symbolic link (it would be written through to wherever it points).
Status WriteProbeFile(const QString& folder, const cProbe& probe,
                      const AtomicFileFactory& files = AtomicFileFactory());

// Reads the record of the probe file at `path` (a short file is not an error). On failure
// `record` is left as it was and the message says why.
Status ReadProbeFile(const QString& path, ProbeRecord& record);
// The same, giving the trimmed probe.
Status ReadProbeFile(const QString& path, cProbe& probe);

// The probe files of `folder` ("*.prb" without regard to case, plain files only, names starting
// with a dot included, names that are not UTF-8 as DecodeFileName reads them) by name without
// regard to case. Fails when the folder cannot be read.
Status ListProbeFolder(const QString& folder, QStringList& paths);
// The same, with a folder that cannot be read holding none.
QStringList ListProbeFiles(const QString& folder);

// One entry of a probe listing.
struct ProbeListing {
    QString path;
    ProbeRecord record;
};

// A probe folder read as a whole: whether it could be listed, its readable probes in listing
// order, and the files that could not be read with the reason.
struct ProbeFolderReading {
    Status folder;
    std::vector<ProbeListing> probes;
    std::vector<std::pair<QString, QString>> unreadable; // path, why
};
ProbeFolderReading ReadProbeFolder(const QString& folder);

// Every readable probe file of `folder`, in listing order; a file that cannot be read is left out.
std::vector<ProbeListing> ReadProbeListing(const QString& folder);

} // namespace corvin::probes
