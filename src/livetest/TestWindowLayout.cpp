#include "livetest/TestWindowLayout.h"

#include <QFontMetricsF>
#include <QHash>
#include <QTextLayout>
#include <QTextOption>
#include <algorithm>
#include <array>
#include <cmath>

namespace corvin::livetest {

namespace {

constexpr std::array<double, 7> kImageLefts{3555, 4440, 5355, 6240, 7170, 8100, 8985};

QHash<QString, QRectF> MakeDesign() {
    QHash<QString, QRectF> d;
    d.insert(QStringLiteral("Picture1"), {2385, 375, 9255, 5325});
    for (int k = 1; k <= 7; ++k) {
        const double left = 3405 + 900.0 * (k - 1);
        d.insert(QStringLiteral("Text1_%1").arg(k + 8), {left, 5850, 900, k <= 2 ? 421.0 : 420.0});
        // The name under the reading box may take the height down to the lamps.
        d.insert(QStringLiteral("Label%1").arg(k), {left, 6390, 900, 1095});
        d.insert(QStringLiteral("Image%1").arg(k), {kImageLefts[k - 1], 7500, 555, 600});
    }

    // The column left of the chart: product label, then the frames of buttons.
    d.insert(QStringLiteral("Label13"), {150, 375, 2085, 450});
    d.insert(QStringLiteral("FrameRange"), {150, 975, 2085, 1035});
    d.insert(QStringLiteral("Command6"), {180, 330, 1725, 555});
    d.insert(QStringLiteral("FrameControl"), {150, 2160, 2085, 3795});
    const char* const buttons[] = {"cmdStart", "cmdStop", "cmdExit", "cmdFreezeSplit", "cmdFreezeUnsplit"};
    for (int b = 0; b < 5; ++b)
        d.insert(QString::fromLatin1(buttons[b]), {180, 330 + 675.0 * b, 1725, 555});
    d.insert(QStringLiteral("FrameOption"), {150, 6105, 2085, 900});
    d.insert(QStringLiteral("optPeriodicDataOn"), {240, 390, 780, 375});
    d.insert(QStringLiteral("optPeriodicDataOff"), {1080, 390, 780, 375});
    d.insert(QStringLiteral("FramePrint"), {150, 7155, 2085, 1125});
    d.insert(QStringLiteral("cmdPrintTest"), {180, 330, 1725, 630});

    // The row under the lamps: elapsed time, the data file written, the bar test.
    d.insert(QStringLiteral("Label9"), {2385, 8475, 1800, 450});
    d.insert(QStringLiteral("Label8"), {4260, 8400, 2100, 600});
    d.insert(QStringLiteral("Label10"), {6600, 8400, 3450, 450});
    d.insert(QStringLiteral("Label11"), {6600, 8850, 5040, 450});
    d.insert(QStringLiteral("cmdTestReport"), {10150, 8380, 1650, 480}); // beside " Written Data To Disc"
    d.insert(QStringLiteral("Command3"), {10200, 8400, 1440, 450});
    return d;
}

} // namespace

QRect TwipsToPixels(const QRectF& twips, double scale) {
    const double f = scale / kTwipsPerPixel;
    const int left = static_cast<int>(std::lround(twips.left() * f));
    const int top = static_cast<int>(std::lround(twips.top() * f));
    const int right = static_cast<int>(std::lround(twips.right() * f));
    const int bottom = static_cast<int>(std::lround(twips.bottom() * f));
    return QRect(QPoint(left, top), QSize(right - left, bottom - top));
}

double LayoutScale(QSize available) {
    const double w = available.width() / (kFrameCentreWidthTwips / kTwipsPerPixel);
    const double h = available.height() / (kContentHeightTwips / kTwipsPerPixel);
    return std::clamp(std::min(w, h), 1.0, kMaxLayoutScale);
}

QRect FrameCentreRect(QSize available, double scale) {
    const QRect frame = TwipsToPixels({0, 0, kFrameCentreWidthTwips, kFrameCentreHeightTwips}, scale);
    const QRect content = TwipsToPixels({0, 0, kFrameCentreWidthTwips, kContentHeightTwips}, scale);
    const int left = std::max(0, (available.width() - frame.width()) / 2);
    // Centred as a whole; when the window is too low for the whole frame, the content (not the
    // empty part below it) is what must stay visible.
    int top = (available.height() - frame.height()) / 2;
    if (top < 0)
        top = std::max(0, (available.height() - content.height()) / 2);
    return QRect(QPoint(left, top), frame.size());
}

QPoint DialogPosition(const QRect& screen, QSize dialog) {
    return screen.topLeft() +
           QPoint((screen.width() - dialog.width()) / 2, (screen.height() - dialog.height()) / 3);
}

QSizeF WrappedTextSize(const QFont& font, const QString& text, double width) {
    QTextLayout layout(text, font);
    QTextOption option(Qt::AlignHCenter);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    const double leading = QFontMetricsF(font).leading();
    double height = 0.0;
    double widest = 0.0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        widest = std::max(widest, line.naturalTextWidth());
        height += line.height() + leading;
    }
    layout.endLayout();
    return {widest, height};
}

QFont FontToFit(QFont font, const QString& text, QSizeF box) {
    const auto fits = [&] {
        const QSizeF size = WrappedTextSize(font, text, box.width());
        return size.width() <= box.width() && size.height() <= box.height();
    };
    if (text.isEmpty() || fits())
        return font;
    for (double points = font.pointSizeF(); points > 4.0 && !fits();) {
        points -= 0.5;
        font.setPointSizeF(points);
    }
    return font;
}

QRectF DesignRect(const QString& objectName) {
    static const QHash<QString, QRectF> design = MakeDesign();
    return design.value(objectName);
}

} // namespace corvin::livetest
