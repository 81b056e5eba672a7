#include "common/Pictures.h"

#include <QPainter>
#include <QSvgRenderer>

namespace corvin {
namespace {

QImage Render(const QString& name, int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QSvgRenderer svg(QStringLiteral(":/pictures/") + name);
    QPainter painter(&image);
    svg.render(&painter);
    return image;
}

} // namespace

QImage Pictures::ChannelOn() {
    return Render(QStringLiteral("channel-on.svg"), 37, 40);
}

QImage Pictures::ChannelOff() {
    return Render(QStringLiteral("channel-off.svg"), 37, 40);
}

QImage Pictures::PrintButton() {
    return Render(QStringLiteral("print.svg"), 32, 32);
}

QImage Pictures::Probe() {
    return Render(QStringLiteral("probe.svg"), 120, 90);
}

QImage Pictures::ApplicationIcon() {
    return Render(QStringLiteral("corvin.svg"), 64, 64);
}

} // namespace corvin
