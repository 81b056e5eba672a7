#pragma once
// A second test drawn over the playback graph for comparison ("Compare with..."), and where its
// rows go. The graph's bottom axis counts the samples of the test played back; a reference
// logged at another interval is placed by time from the start of both tests, not by row, so
// that two readings taken the same time after START line up.

#include "common/SharedState.h"

#include <QString>
#include <vector>

namespace corvin::playback {

struct ReferenceRun {
    QString fileName;     // shown in the legend
    PeriodicDataSet data; // as read from its file
};

// Row r (1..rows) of a reference logged every `referenceInterval` seconds taken
// r x referenceInterval seconds after START: on a graph whose samples are `graphInterval`
// seconds apart that is position r x referenceInterval / graphInterval. Without a usable
// interval on either side (0 or less) there is no time to go by, and row r goes to sample r.
std::vector<double> AlignedPositions(int rows, int16_t referenceInterval, int16_t graphInterval);

} // namespace corvin::playback
