#include "common/Pictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <array>

namespace corvin {

namespace {

QImage Blank(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

// A round push button seen from the front: a raised bezel lit from the top left, a dark ring, and
// a lamp whose colours run from a highlight through the body colour to a shadow at its rim.
QImage ChannelButton(const QColor& highlight, const QColor& body, const QColor& rim) {
    QImage image = Blank(37, 40);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF centre(18.5, 20.0);

    // Soft shadow under the button.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 50));
    p.drawEllipse(centre + QPointF(0.8, 1.2), 17.0, 17.0);

    // Bezel.
    QLinearGradient bezel(centre - QPointF(17, 17), centre + QPointF(17, 17));
    bezel.setColorAt(0.0, QColor(250, 250, 250));
    bezel.setColorAt(0.5, QColor(200, 200, 204));
    bezel.setColorAt(1.0, QColor(120, 120, 126));
    p.setBrush(bezel);
    p.setPen(QPen(QColor(90, 90, 96), 1.0));
    p.drawEllipse(centre, 16.5, 16.5);

    // Recess around the lamp, darker at the top so the lamp sits in it.
    QLinearGradient recess(centre - QPointF(12, 12), centre + QPointF(12, 12));
    recess.setColorAt(0.0, QColor(110, 110, 116));
    recess.setColorAt(1.0, QColor(235, 235, 238));
    p.setPen(Qt::NoPen);
    p.setBrush(recess);
    p.drawEllipse(centre, 12.5, 12.5);

    // Lamp.
    QRadialGradient lamp(centre, 11.0, centre - QPointF(3.5, 4.0));
    lamp.setColorAt(0.0, highlight);
    lamp.setColorAt(0.45, body);
    lamp.setColorAt(1.0, rim);
    p.setBrush(lamp);
    p.setPen(QPen(rim.darker(140), 0.8));
    p.drawEllipse(centre, 10.5, 10.5);

    // Glint.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 170));
    p.drawEllipse(centre - QPointF(4.0, 4.5), 3.0, 2.0);
    return image;
}

} // namespace

QImage Pictures::ChannelOn() {
    return ChannelButton(QColor(255, 200, 190), QColor(235, 20, 10), QColor(120, 0, 0));
}

QImage Pictures::ChannelOff() {
    return ChannelButton(QColor(235, 235, 235), QColor(165, 165, 168), QColor(95, 95, 100));
}

QImage Pictures::PrintButton() {
    QImage image = Blank(32, 32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor outline(60, 60, 66);

    // Paper waiting at the back.
    p.setPen(QPen(outline, 1.0));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(9.5, 2.5, 13, 11));

    // Body.
    QLinearGradient body(0, 11, 0, 25);
    body.setColorAt(0.0, QColor(225, 225, 230));
    body.setColorAt(1.0, QColor(150, 150, 158));
    p.setBrush(body);
    p.drawRoundedRect(QRectF(2.5, 11.5, 27, 13), 2.5, 2.5);
    // Paper slot and a ready light.
    p.setPen(QPen(outline, 1.0));
    p.drawLine(QPointF(7, 15.5), QPointF(25, 15.5));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 190, 60));
    p.drawEllipse(QPointF(25.5, 20.0), 1.6, 1.6);

    // The printed sheet coming out at the front, with lines of text.
    p.setPen(QPen(outline, 1.0));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(8.5, 19.5, 15, 10));
    p.setPen(QPen(QColor(90, 110, 170), 1.0));
    for (double y : {22.5, 24.5, 26.5})
        p.drawLine(QPointF(11, y), QPointF(y == 26.5 ? 17.0 : 21.0, y));
    return image;
}

QImage Pictures::Probe() {
    QImage image = Blank(120, 90);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    // The lead: from the back of the handle in a loose curve to a plug at the bottom left.
    QPainterPath lead;
    lead.moveTo(78, 48);
    lead.cubicTo(94, 57, 116, 62, 104, 75);
    lead.cubicTo(92, 88, 56, 66, 30, 76);
    p.setPen(QPen(QColor(40, 40, 44), 4.0, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(lead);
    p.setPen(QPen(QColor(170, 30, 30), 2.0, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(lead);
    // Plug.
    p.save();
    p.translate(31, 76);
    p.rotate(165);
    p.setPen(QPen(QColor(60, 60, 64), 1.0));
    QLinearGradient plug(0, -4, 0, 4);
    plug.setColorAt(0.0, QColor(220, 60, 60));
    plug.setColorAt(1.0, QColor(130, 10, 10));
    p.setBrush(plug);
    p.drawRoundedRect(QRectF(-2, -4, 12, 8), 2, 2);
    p.setBrush(QColor(200, 200, 205));
    p.drawRect(QRectF(10, -1.5, 6, 3));
    p.restore();

    // The probe itself, along a line from the tip at the top left to the handle's end.
    p.save();
    p.translate(14, 14);
    p.rotate(28);
    // Needle.
    QLinearGradient metal(0, -1.5, 0, 1.5);
    metal.setColorAt(0.0, QColor(245, 245, 250));
    metal.setColorAt(0.5, QColor(160, 160, 168));
    metal.setColorAt(1.0, QColor(90, 90, 96));
    p.setPen(QPen(QColor(70, 70, 76), 0.6));
    p.setBrush(metal);
    QPainterPath needle;
    needle.moveTo(0, 0);
    needle.lineTo(6, -1.4);
    needle.lineTo(20, -1.4);
    needle.lineTo(20, 1.4);
    needle.lineTo(6, 1.4);
    needle.closeSubpath();
    p.drawPath(needle);
    // Finger guard.
    QLinearGradient guard(0, -7, 0, 7);
    guard.setColorAt(0.0, QColor(90, 90, 96));
    guard.setColorAt(0.5, QColor(40, 40, 44));
    guard.setColorAt(1.0, QColor(15, 15, 18));
    p.setPen(QPen(QColor(10, 10, 12), 0.8));
    p.setBrush(guard);
    p.drawRoundedRect(QRectF(19, -7, 5, 14), 1.5, 1.5);
    // Handle.
    QLinearGradient handle(0, -5, 0, 5);
    handle.setColorAt(0.0, QColor(240, 90, 80));
    handle.setColorAt(0.45, QColor(200, 25, 20));
    handle.setColorAt(1.0, QColor(110, 0, 0));
    p.setPen(QPen(QColor(90, 0, 0), 0.8));
    p.setBrush(handle);
    p.drawRoundedRect(QRectF(23.5, -5, 42, 10), 4, 4);
    // Grip rings.
    p.setPen(QPen(QColor(120, 0, 0, 200), 1.0));
    for (double x = 30; x <= 44; x += 3.5)
        p.drawLine(QPointF(x, -4.3), QPointF(x, 4.3));
    // Strain relief at the back.
    p.setPen(QPen(QColor(20, 20, 22), 0.8));
    p.setBrush(QColor(45, 45, 50));
    QPainterPath relief;
    relief.moveTo(65, -3.5);
    relief.lineTo(74, -2);
    relief.lineTo(74, 2);
    relief.lineTo(65, 3.5);
    relief.closeSubpath();
    p.drawPath(relief);
    p.restore();
    return image;
}

QImage Pictures::ApplicationIcon() {
    QImage image = Blank(64, 64);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    // Tile.
    QLinearGradient tile(0, 0, 0, 64);
    tile.setColorAt(0.0, QColor(40, 70, 120));
    tile.setColorAt(1.0, QColor(18, 32, 62));
    p.setPen(QPen(QColor(10, 20, 40), 1.0));
    p.setBrush(tile);
    p.drawRoundedRect(QRectF(1.5, 1.5, 61, 61), 11, 11);

    // Seven bars standing on a zero line, one colour each, one of them below zero.
    const std::array<double, 7> heights{22, 34, 15, 40, -9, 28, 18};
    const std::array<QColor, 7> colours{QColor(240, 70, 60),  QColor(250, 170, 40), QColor(240, 230, 80),
                                        QColor(90, 210, 100), QColor(70, 190, 230), QColor(120, 130, 250),
                                        QColor(220, 110, 230)};
    const double zero = 47.5;
    const double width = 5.0;
    const double pitch = 7.0;
    const double left = 8.0;
    p.setPen(Qt::NoPen);
    for (std::size_t k = 0; k < heights.size(); ++k) {
        const double x = left + pitch * static_cast<double>(k);
        const double h = heights[k];
        const QRectF bar = h >= 0 ? QRectF(x, zero - h, width, h) : QRectF(x, zero, width, -h);
        QLinearGradient shade(bar.topLeft(), bar.topRight());
        shade.setColorAt(0.0, colours[k].lighter(125));
        shade.setColorAt(1.0, colours[k].darker(115));
        p.setBrush(shade);
        p.drawRect(bar);
    }
    // Zero line and axis.
    p.setPen(QPen(QColor(235, 240, 250), 1.5, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(5.5, zero), QPointF(58.5, zero));
    p.drawLine(QPointF(5.5, 8.5), QPointF(5.5, 57.5));
    return image;
}

} // namespace corvin
