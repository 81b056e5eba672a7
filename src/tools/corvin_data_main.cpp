// corvin-data: see tools/CorvinData.h.
#include "tools/CorvinData.h"

#include <QStringList>
#include <QTextStream>

#include <cstdio>

int main(int argc, char** argv) {
    // Arguments are taken in the locale's encoding, as the shell passed them; output is UTF-8.
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args.append(QString::fromLocal8Bit(argv[i]));
    QTextStream out(stdout);
    QTextStream err(stderr);
    out.setEncoding(QStringConverter::Utf8);
    err.setEncoding(QStringConverter::Utf8);
    const int status = corvin::tools::RunCorvinData(args, out, err);
    out.flush();
    err.flush();
    return status;
}
