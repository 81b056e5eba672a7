#include "common/Pictures.h"

#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

namespace corvin {
namespace {

QImage RenderFile(const QString& file, int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QSvgRenderer svg(file);
    QPainter painter(&image);
    svg.render(&painter);
    return image;
}

QImage Render(const QString& name, int width, int height) {
    return RenderFile(QStringLiteral(":/pictures/") + name, width, height);
}

} // namespace

QImage Pictures::channelOn() {
    return Render(QStringLiteral("channel-on.svg"), 37, 40);
}

QImage Pictures::channelOff() {
    return Render(QStringLiteral("channel-off.svg"), 37, 40);
}

QImage Pictures::printButton() {
    return Render(QStringLiteral("print.svg"), 32, 32);
}

QImage Pictures::probe() {
    return Render(QStringLiteral("probe.svg"), 120, 90);
}

QImage Pictures::applicationIcon() {
    return RenderFile(applicationIconFile(64), 64, 64);
}

QString Pictures::applicationIconFile(int size) {
    if (size <= 16)
        return QStringLiteral(":/pictures/corvin-16.svg");
    if (size <= 24)
        return QStringLiteral(":/pictures/corvin-24.svg");
    return QStringLiteral(":/pictures/corvin.svg");
}

QIcon Pictures::applicationWindowIcon() {
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(QPixmap::fromImage(RenderFile(applicationIconFile(size), size, size)));
    return icon;
}

} // namespace corvin
