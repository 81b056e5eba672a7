#pragma once
// Test data for the playback tests: a loaded test of any size with recognisable readings, and
// the same written as a test data file.

#include "common/SharedState.h"
#include "datafiles/TestDataFile.h"

#include <QString>
#include <array>

namespace corvin::testing {

// Channel k's reading at row r: k * 10 + r / 100, so every value names its channel and row.
inline float Reading(int k, int r) {
    return float(k * 10) + float(r) / 100.0f;
}

inline const std::array<QString, kChannelCount> kPlaybackNames = {QStringLiteral("Guard ring"),
                                                                  QStringLiteral("Pin 2"),
                                                                  QStringLiteral("Pin 3"),
                                                                  QStringLiteral("Pin 4"),
                                                                  QStringLiteral("Collector"),
                                                                  QStringLiteral("Base"),
                                                                  QStringLiteral("A very long channel")};

// A test of `rows` rows logged every `interval` seconds, as the reader leaves it in memory.
inline void LoadTest(PeriodicDataSet& data, int16_t rows, int16_t interval = 10) {
    data.resize(rows);
    for (int k = 1; k <= kChannelCount; ++k)
        for (int r = 0; r < rows; ++r)
            data.PeriodicData[static_cast<std::size_t>(k - 1)][static_cast<std::size_t>(r)] = Reading(k, r);
    data.SampleCount = rows;
    data.HeaderValues = {interval, rows};
    for (int k = 0; k < kChannelCount; ++k)
        data.ChannelNames[static_cast<std::size_t>(k)] =
            kPlaybackNames[static_cast<std::size_t>(k)].leftJustified(20);
}

// The same test as a file at `path`.
inline bool WriteTest(const QString& path, int16_t rows, int16_t interval = 10) {
    PeriodicDataSet data;
    LoadTest(data, rows, interval);
    return datafiles::WriteTestDataFile(path, data, interval, kPlaybackNames).ok();
}

// Channels chosen for the graph as if clicked in this order and accepted.
inline void Choose(PlaybackSelection& selection, std::initializer_list<int> channels) {
    selection = PlaybackSelection();
    for (int k : channels) {
        selection.PlotChannelOrder[static_cast<std::size_t>(selection.PlotChannelClicks++)] =
            static_cast<int16_t>(k);
        selection.PlotChannelSelected[static_cast<std::size_t>(k - 1)] = true;
    }
    selection.PlotSetCount = selection.PlotChannelClicks;
}

} // namespace corvin::testing
