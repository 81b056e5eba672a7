#pragma once
// Runs one corvin-data command in-process and keeps what it printed. Tests that include this
// link corvin_datatool.

#include "tools/CorvinData.h"

#include <QString>
#include <QStringList>
#include <QTextStream>

namespace corvin::testing {

struct CorvinDataRun {
    int status = -1;
    QString out;
    QString err;
};

inline CorvinDataRun RunCorvinData(const QStringList& args) {
    CorvinDataRun run;
    QTextStream out(&run.out);
    QTextStream err(&run.err);
    run.status = tools::RunCorvinData(args, out, err);
    out.flush();
    err.flush();
    return run;
}

} // namespace corvin::testing
