// Prints the MIME type that the shared MIME database gives each file name on the command line,
// judged by the name alone, one a line: how a Qt file manager or file dialog sees the file. The
// database is the one XDG_DATA_HOME and XDG_DATA_DIRS lead to, so a test can point them at a
// scratch folder.
#include <QCoreApplication>
#include <QMimeDatabase>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const QMimeDatabase database;
    for (int i = 1; i < argc; ++i) {
        const QMimeType type =
            database.mimeTypeForFile(QString::fromLocal8Bit(argv[i]), QMimeDatabase::MatchExtension);
        std::printf("%s\n", qPrintable(type.name()));
    }
    return 0;
}
