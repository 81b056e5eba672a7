#pragma once
// The small rules of a test session that need no window: the elapsed-time text, the logging
// plan (maximum hours per interval, samples for a logging time) and the reading of the answers
// typed into the set-up input boxes.

#include <QString>
#include <cstdint>
#include <optional>

namespace corvin::livetest {

// The most samples one test can log (the arrays of a test data file are sized for this).
constexpr int kMaxSamples = 4500;
constexpr int kMinIntervalSeconds = 5;
constexpr int kMaxIntervalSeconds = 30;

// Elapsed milliseconds as "hh:mm:ss". The hours go on counting past 24 (and past 99); a
// negative span shows as zero.
QString FormatElapsed(int64_t ms);

// The largest logging time offered for an interval: 32000 / (3600 / n) / 7 hours, rounded
// halves to even (6 for 5 s, 13 for 10 s, 19 for 15 s, 25 for 20 s, 38 for 30 s).
int MaxLoggingHours(int intervalSeconds);

// Samples for a logging time of `hours` at `intervalSeconds`, cut at kMaxSamples and rounded
// halves to even.
int16_t PlannedSamples(float hours, int intervalSeconds);

// An answer of the interval box read as a whole number, or nothing when it is not a number or
// does not fit a 16-bit count. (A decimal point is refused before this is asked.)
std::optional<int16_t> ReadInterval(const QString& answer);

// An answer of the logging-time box read as a finite single-precision number, or nothing.
std::optional<float> ReadLoggingHours(const QString& answer);

} // namespace corvin::livetest
