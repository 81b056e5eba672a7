#pragma once
// The one-page test report (A4, PDF): the test's record and readings on one sheet, readable in
// black and white. Title; probe, station, operator, start and end, range and scale, interval and
// rows, the note; the verdict, large; a table per channel (name, min, max, mean and standard
// deviation of the judged rows, limits, verdict); the graph of the channels that were on, each in
// its own line style, with its limits drawn; the data file's name and SHA-256. A field the test
// did not record says "not recorded".

#include "common/AtomicFile.h"
#include "common/MainFrame.h"
#include "platform/Dialogs.h"
#include "common/SharedState.h"
#include "common/Status.h"
#include "datafiles/TestRecord.h"
#include "datafiles/Verdict.h"
#include "probes/ProbeLimits.h"

#include <QByteArray>
#include <QString>
#include <optional>

namespace corvin::playback {

struct ReportInput {
    QString datPath;
    PeriodicDataSet data;            // as the data file holds it
    QString datSha256;               // of the data file's bytes
    std::optional<datafiles::TestRecord> record;
    bool recordChanged = false;      // the data file was changed after its record was written
    probes::ProbeLimits limits{};    // what the verdicts are judged against (none: not judged)
};

// Reads the data file, its record (when there is a usable one) and the limits: those of
// `limitsPath` when given, else the record's. Fails when the data file or a given limits file
// cannot be read; `notes` gets what was ignored (an unusable record), one line each.
Status PrepareReport(const QString& datPath, const QString& limitsPath, ReportInput& input, QStringList& notes);

// The report's PDF.
QByteArray RenderTestReport(const ReportInput& input);
Status WriteTestReport(const QString& pdfPath, const ReportInput& input,
                       const AtomicFileFactory& files = AtomicFileFactory());

// "Test Report...": asks where to write the report of `datPath` (beside it, "NAME report.pdf", by
// default), writes it and says where in the status bar; a failure is shown as a message.
void SaveTestReport(const QString& datPath, platform::Dialogs& dialogs, MainFrame& frame,
                    const AtomicFileFactory& files = AtomicFileFactory());

} // namespace corvin::playback
