#pragma once
// The rest of the desktop seam, and the bundle of all of it that windows receive.

#include "common/Clock.h"
#include "platform/Dialogs.h"
#include "platform/Printers.h"

#include <QImage>
#include <QString>
#include <QUrl>

namespace corvin::platform {

class Clipboard {
public:
    virtual ~Clipboard() = default;
    // Clears the clipboard and puts the picture on it as a bitmap.
    virtual void setImage(const QImage& picture) = 0;
    // Clears the clipboard and puts the text on it (a table: tab-separated lines).
    virtual void setText(const QString& text) = 0;
};

class Help {
public:
    virtual ~Help() = default;
    // Opens the help manual at a page ("Splash.htm").
    virtual void showHelp(const QString& page) = 0;
    // Opens a web address in the default browser.
    virtual void openUrl(const QUrl& url) = 0;
};

struct Desktop {
    Dialogs& dialogs;
    Printers& printers;
    Clipboard& clipboard;
    Help& help;
    Clock& clock;
};

} // namespace corvin::platform
