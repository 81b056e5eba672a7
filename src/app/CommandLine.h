#pragma once
// The command line and environment of corvin: which card to use, where the Corvin home is, and
// a test data file to open once the program has started.

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace corvin::app {

enum class CardChoice { None, Simulated, Comedi };

struct Options {
    CardChoice card = CardChoice::None;
    QString cardDevice;       // the Comedi device of --card=comedi:DEVICE; empty: /dev/comedi0..7
    QString home;             // absolute path of the Corvin home
    QString simulatorProfile; // optional channel profile of the simulated card
    QString testDataFile;     // absolute path of a test data file to open, or empty
    QString historyServer;    // a lab's shared test history (--history, CORVIN_HISTORY), or empty
    bool showHelp = false;
    bool showVersion = false;
};

struct ParseResult {
    std::optional<Options> options; // nothing: `error` says why
    QString error;
};

// `arguments` without the program name; `environment` looks up CORVIN_HOME, CORVIN_CARD,
// CORVIN_SIM_PROFILE and CORVIN_HISTORY; `defaultHome` is used when neither names a home.
ParseResult ParseCommandLine(const QStringList& arguments,
                             const std::function<QString(const char*)>& environment,
                             const QString& defaultHome);

QString UsageText();

// Makes sure the home is a folder we can write in, creating it when it does not exist yet, and
// that its "Probes" is a folder or missing. Returns an error message, or nothing when the home
// is usable.
std::optional<QString> PrepareHome(const QString& home);

} // namespace corvin::app
