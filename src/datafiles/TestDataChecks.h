#pragma once
// What is odd about a test data file that the readers take anyway (they go by its length, as the
// program always has): a length that is no whole file, a stored row count or interval that does
// not fit, readings that are not numbers. corvin-data reports these as warnings.

#include "common/SharedState.h"

#include <QStringList>

namespace corvin::datafiles {

// One sentence per oddity of a file of `length` bytes that was read into `data`; none for a
// consistent file.
QStringList TestDataWarnings(const PeriodicDataSet& data, qint64 length);

} // namespace corvin::datafiles
