#include "playback/PlotRoutine.h"

#include <array>

namespace corvin::playback {
namespace {

constexpr int kNameLength = 20;

// A number as the program always formatted it: a leading space where a minus sign would go.
QString WithSignSpace(int value) {
    return value < 0 ? QString::number(value) : QLatin1Char(' ') + QString::number(value);
}

} // namespace

void GraphSettings::choose(GraphType type) {
    kind = 6;
    switch (type) {
    case GraphType::Lines:
        style = 4; // the symbol code stays as it was
        break;
    case GraphType::LinesAndSymbols:
        style = 5;
        symbol = 9;
        break;
    case GraphType::SymbolsOnly:
        style = 1;
        symbol = 9;
        break;
    }
}

std::optional<int> PlotRoutine::tickSpacing(int pointCount) {
    if (pointCount >= 51 && pointCount < 500)
        return 100;
    if (pointCount >= 500 && pointCount < 32001)
        return 1000;
    return std::nullopt;
}

int PlotRoutine::paletteIndexOfSet(int setNumber) {
    static constexpr std::array<int, kMaxSets> kBySet{4, 5, 14, 7, 1, 9, 15};
    if (setNumber < 1 || setNumber > kMaxSets)
        return 0;
    return kBySet[static_cast<std::size_t>(setNumber - 1)];
}

QColor PlotRoutine::paletteColour(int index) {
    static const std::array<QColor, 16> kPalette{
        QColor(0, 0, 0),       QColor(0, 0, 128),   QColor(0, 128, 0),   QColor(0, 128, 128),
        QColor(128, 0, 0),     QColor(128, 0, 128), QColor(128, 128, 0), QColor(192, 192, 192),
        QColor(128, 128, 128), QColor(0, 0, 255),   QColor(0, 255, 0),   QColor(0, 255, 255),
        QColor(255, 0, 0),     QColor(255, 0, 255), QColor(255, 255, 0), QColor(255, 255, 255),
    };
    if (index < 0 || index >= static_cast<int>(kPalette.size()))
        return kPalette[0];
    return kPalette[static_cast<std::size_t>(index)];
}

QString PlotRoutine::legendText(const QString& channelName, int setNumber) {
    return channelName.leftJustified(kNameLength, QLatin1Char(' '), true) + WithSignSpace(setNumber);
}

QString PlotRoutine::bottomTitle(int16_t intervalSeconds) {
    return QStringLiteral("Time Interval in Seconds = ") + WithSignSpace(intervalSeconds);
}

QString PlotRoutine::tooFewPointsMessage() {
    return QStringLiteral("Less than 2 data_points");
}

QString PlotRoutine::errorMessage(const QString& description) {
    return QStringLiteral("Error in plot routine ") + QLatin1Char('\n') +
           QStringLiteral("Error Generated = ") + description;
}

PlotRoutine::Result PlotRoutine::build(const SharedState& state, const GraphSettings& settings,
                                       const QString& title, bool checkPointCount) {
    Result result;
    const PeriodicDataSet& data = state.periodic;
    const PlaybackSelection& selection = state.playback;
    const int points = data.SampleCapacity;

    if (checkPointCount && points < 2) {
        result.outcome = Outcome::TooFewPoints;
        result.message = tooFewPointsMessage();
        return result;
    }
    auto fail = [&result](const QString& why) {
        result.outcome = Outcome::Failed;
        result.message = errorMessage(why);
        result.description = why;
        return result;
    };
    if (selection.PlotSetCount < 0 || selection.PlotSetCount > kMaxSets)
        return fail(QStringLiteral("%1 data sets asked for; the graph draws 0 to %2")
                        .arg(selection.PlotSetCount)
                        .arg(kMaxSets));
    if (points < 0)
        return fail(QStringLiteral("The test holds %1 samples").arg(points));

    GraphSpec& spec = result.spec;
    spec.pointCount = points;
    spec.setCount = selection.PlotSetCount;
    spec.tickSpacing = tickSpacing(points);
    for (int s = 0; s < selection.PlotSetCount; ++s) {
        const int k = selection.PlotChannelOrder[static_cast<std::size_t>(s)];
        if (k < 1 || k > kChannelCount || !selection.PlotChannelSelected[static_cast<std::size_t>(k - 1)])
            continue; // the position still uses up its set number
        const std::vector<float>& readings = data.PeriodicData[static_cast<std::size_t>(k - 1)];
        if (readings.size() < static_cast<std::size_t>(points))
            return fail(QStringLiteral("Channel %1 holds %2 readings, not the %3 of the test")
                            .arg(k)
                            .arg(readings.size())
                            .arg(points));
        const int setNumber = s + 1;
        spec.sets.push_back({setNumber, k,
                             legendText(data.ChannelNames[static_cast<std::size_t>(k - 1)], setNumber),
                             paletteIndexOfSet(setNumber), &readings});
    }
    spec.intervalSeconds = data.HeaderValues[0];
    spec.bottomTitle = bottomTitle(data.HeaderValues[0]);
    spec.leftTitle = QString::fromUtf8("µA");
    spec.title = title;
    spec.settings = settings;
    return result;
}

} // namespace corvin::playback
