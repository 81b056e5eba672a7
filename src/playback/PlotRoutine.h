#pragma once
// The playback graph's plot routine, apart from any chart component: from the loaded test and the
// channels chosen, what the graph shows. Sets follow the click order (set 1 is the channel
// clicked first) and take their colour from their position, not from the channel; the legend is
// the channel's 20-character name and the set number; ticks along the sample axis are 100 or
// 1000 apart depending on the number of samples. The window and `corvin-data plot` both draw
// from what Build returns.

#include "common/SharedState.h"

#include <QColor>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

namespace corvin::playback {

// The "Graph Type" options of the graph window.
enum class GraphType { Lines, LinesAndSymbols, SymbolsOnly };

// The window's graph settings: graph kind, style (4 lines, 5 lines and symbols, 1 symbols only)
// and symbol code. The symbol code keeps the last value an option gave it.
struct GraphSettings {
    int16_t kind = 6;
    int16_t style = 4;
    int16_t symbol = 0;

    void choose(GraphType type);
    bool drawsLines() const { return style != 1; }
    bool drawsSymbols() const { return style == 5 || style == 1; }
};

// One data set of the graph.
struct GraphSet {
    int setNumber = 0;                            // 1.., its position in the click order
    int channel = 0;                              // 1..7
    QString legend;                               // name (20 characters) + " " + set number
    int paletteIndex = 0;                         // colour, an index into the standard 16-colour palette
    const std::vector<float>* readings = nullptr; // the first pointCount values are drawn
};

// Everything the graph shows after one run of the plot routine.
struct GraphSpec {
    int pointCount = 0; // samples per set (N)
    int setCount = 0;   // PlotSetCount
    // Spacing of ticks and labels along the sample axis; nothing: left as it was.
    std::optional<int> tickSpacing;
    std::vector<GraphSet> sets; // positions whose channel is not selected are left out
    int16_t intervalSeconds = 0;
    QString bottomTitle;
    QString leftTitle;
    QString title;
    int backgroundIndex = 11;
    int foregroundIndex = 0;
    GraphSettings settings;
};

class PlotRoutine {
public:
    enum class Outcome { Drawn, TooFewPoints, Failed };
    struct Result {
        Outcome outcome = Outcome::Drawn;
        QString message;     // the message box text for TooFewPoints and Failed
        QString description; // for Failed: what went wrong, without the message's own words
        GraphSpec spec;
    };

    // Runs the plot routine on the loaded test (SampleCapacity, PeriodicData, HeaderValues,
    // ChannelNames) and the playback selection. `checkPointCount` is the " Plot Graph" and "Apply"
    // path; printing draws without that check. A set whose readings are missing fails the
    // routine instead of being read beyond its end.
    static Result build(const SharedState& state, const GraphSettings& settings, const QString& title,
                        bool checkPointCount = true);

    // 51..499 samples: 100; 500..32000: 1000; otherwise the spacing stays as it was.
    static std::optional<int> tickSpacing(int pointCount);
    // Set 1..7: red, magenta, yellow, light grey, blue, light blue, white (palette indices).
    static int paletteIndexOfSet(int setNumber);
    // The standard 16-colour palette (0 black .. 15 white); an index outside it gives black.
    static QColor paletteColour(int index);
    // The 20-character name, then the set number after a space: "A" + 19 spaces + " 2".
    static QString legendText(const QString& channelName, int setNumber);
    // "Time Interval in Seconds = " + the interval after its sign position: "...=  10".
    static QString bottomTitle(int16_t intervalSeconds);

    static QString tooFewPointsMessage();
    static QString errorMessage(const QString& description);

    // The most sets the graph draws.
    static constexpr int kMaxSets = kChannelCount;
};

} // namespace corvin::playback
