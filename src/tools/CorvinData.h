#pragma once
// corvin-data: the probe files and test data files from the command line, without windows.
// The program's main() only hands its arguments and standard streams to RunCorvinData, so the
// tests drive the whole tool in-process.

#include <QString>
#include <QStringList>
#include <QTextStream>

namespace corvin::tools {

// Exit statuses of the tool.
constexpr int kExitOk = 0;
constexpr int kExitFailed = 1; // a file or folder could not be read or written, or a check refused
constexpr int kExitUsage = 2;  // the command line itself is wrong
constexpr int kExitTestFailed = 3; // verdict: the test failed its limits

// Runs one command. `args` are the arguments after the program name. Results go to `out`,
// one clear line per failure to `err`. "plot" draws with widgets and "report" with fonts: they need
// a QApplication (main() makes one, on the offscreen platform, for those commands only).
int RunCorvinData(const QStringList& args, QTextStream& out, QTextStream& err);

// Whether the command needs the graphical application object.
inline bool NeedsGuiApplication(const QStringList& args) {
    return !args.isEmpty() && (args.constFirst() == QLatin1String("plot") || args.constFirst() == QLatin1String("report"));
}

} // namespace corvin::tools
