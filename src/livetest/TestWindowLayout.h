#pragma once
// Geometry of the test window: the design positions of its controls in twips (15 twips to the
// pixel), and how the design is fitted into a window of a given size. The controls sit in the
// central frame, frameCentre (11955 x 11222.62 twips at design size), which is centred in the
// window; when the window is larger than the design, everything is scaled up by one factor, so
// the chart grows with the window and the controls keep their places under the bars.

#include "common/Twips.h"

#include <QFont>
#include <QRect>
#include <QRectF>
#include <QSize>
#include <QString>

namespace corvin::livetest {

constexpr double kFrameCentreWidthTwips = 11955.0;
constexpr double kFrameCentreHeightTwips = 11222.62;
// The controls end here; below it the frame is empty, so a window this high shows everything.
constexpr double kContentHeightTwips = 9450.0;
// Largest scale-up of the design (beyond it the buttons would only grow emptier).
constexpr double kMaxLayoutScale = 3.0;

// Twips -> pixels at a scale factor (1 = design size), rounded to whole pixels.
QRect TwipsToPixels(const QRectF& twips, double scale = 1.0);

// The scale at which the design fits a window of `available` pixels: at least 1 (a smaller
// window shows the design size and clips its empty bottom first), at most kMaxLayoutScale.
double LayoutScale(QSize available);

// Where frameCentre goes in a window of `available` pixels at `scale`: centred, but never above
// or left of the window's edge.
QRect FrameCentreRect(QSize available, double scale);

// Where the range dialogs place themselves on a screen: left = (screen width - width) / 2,
// top = (screen height - height) / 3, relative to the screen's own top-left corner.
QPoint DialogPosition(const QRect& screen, QSize dialog);

// The size `text` takes in `font` when broken into lines at most `width` pixels wide: at spaces,
// and inside a word only where the word alone is wider (a name of 16 "W"s under its bar).
QSizeF WrappedTextSize(const QFont& font, const QString& text, double width);
// `font`, made smaller only as far as needed for `text`, broken so, to fit into `box`.
QFont FontToFit(QFont font, const QString& text, QSizeF box);

// Design rectangles (twips, relative to frameCentre) of the test window's controls, by object
// name ("Picture1", "Text1_9", "Label3", "Image7", "cmdStart", ...). An unknown name gives an
// empty rectangle. Controls inside a frame are given relative to that frame.
QRectF DesignRect(const QString& objectName);

} // namespace corvin::livetest
