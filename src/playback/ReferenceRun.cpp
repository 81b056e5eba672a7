#include "playback/ReferenceRun.h"

namespace corvin::playback {

std::vector<double> AlignedPositions(int rows, int16_t referenceInterval, int16_t graphInterval) {
    const bool byTime = referenceInterval > 0 && graphInterval > 0;
    const double scale = byTime ? double(referenceInterval) / double(graphInterval) : 1.0;
    std::vector<double> positions(static_cast<std::size_t>(std::max(rows, 0)));
    for (std::size_t r = 0; r < positions.size(); ++r)
        positions[r] = double(r + 1) * scale;
    return positions;
}

} // namespace corvin::playback
