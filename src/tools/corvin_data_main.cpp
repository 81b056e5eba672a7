// corvin-data: see tools/CorvinData.h.
#include "tools/CorvinData.h"

#include <QApplication>
#include <QStringList>
#include <QTextStream>

#include <cstdio>
#include <memory>

int main(int argc, char** argv) {
    // Arguments are taken in the locale's encoding, as the shell passed them; output is UTF-8.
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args.append(QString::fromLocal8Bit(argv[i]));
    // plot draws with widgets, off any screen: no display is needed. Qt gets no arguments of
    // the command to interpret.
    std::unique_ptr<QCoreApplication> app;
    int qtArgc = 1;
    if (corvin::tools::NeedsGuiApplication(args)) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        // The tool says what went wrong in one line of its own; Qt's notes about the desktop
        // session (no runtime folder, no fonts configured) are not the user's business here.
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
            if (type == QtCriticalMsg || type == QtFatalMsg)
                std::fprintf(stderr, "corvin-data: %s\n", qPrintable(message));
        });
        app = std::make_unique<QApplication>(qtArgc, argv);
    } else {
        // The database drivers of the test history are plugins, which only an application loads.
        app = std::make_unique<QCoreApplication>(qtArgc, argv);
    }
    QTextStream out(stdout);
    QTextStream err(stderr);
    out.setEncoding(QStringConverter::Utf8);
    err.setEncoding(QStringConverter::Utf8);
    const int status = corvin::tools::RunCorvinData(args, out, err);
    out.flush();
    err.flush();
    return status;
}
