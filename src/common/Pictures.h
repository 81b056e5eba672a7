#pragma once
// The program's own pictures, drawn as SVG resources (resources/pictures) and rendered at the size
// the windows lay out for: the channel lamps of the test window (on and off), the print button's
// icon, the probe picture of the probe creation dialog and the application icon. Each call renders
// a fresh image with a transparent background.

#include <QIcon>
#include <QImage>
#include <QString>

namespace corvin {

class Pictures {
public:
    // Channel button with a lit red lamp (resource 101), 37×40 pixels.
    static QImage channelOn();
    // The same button with its lamp off, grey (resource 102), 37×40 pixels.
    static QImage channelOff();
    // A small printer for the print button (resource 301), 32×32 pixels.
    static QImage printButton();
    // A test probe with its lead (resource 104), 120×90 pixels.
    static QImage probe();
    // The application icon: seven bars of a live chart, 64×64 pixels.
    static QImage applicationIcon();

    // The application icon's drawing for an icon of `size` pixels: 16 and 24 px have drawings
    // of their own that keep every bar on whole pixels; the larger sizes share corvin.svg. The
    // installed icon theme's PNGs are rendered from the same three drawings.
    static QString applicationIconFile(int size);
    // The window icon: the application icon at 16, 24, 32, 48, 64, 128 and 256 pixels.
    static QIcon applicationWindowIcon();
};

} // namespace corvin
