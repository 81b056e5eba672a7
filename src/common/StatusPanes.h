#pragma once
// The names of the main window's status panes (band sb). Every window writes them through
// MainFrame::showStatus, so they live below the main window's own command names.

#include <QLatin1String>

namespace corvin {

// The status panes of band sb.
namespace pane {
inline constexpr QLatin1String miProbeLoaded("miProbeLoaded");
inline constexpr QLatin1String miDefaultProbe("miDefaultProbe");
inline constexpr QLatin1String miStatus("miStatus");
inline constexpr QLatin1String miTimeElapsed("miTimeElapsed");
inline constexpr QLatin1String tDate("tDate");
} // namespace pane

} // namespace corvin
