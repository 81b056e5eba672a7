#pragma once
// The clipboard and the help manual of the desktop.

#include "platform/Desktop.h"

#include <QPointer>
#include <QTextBrowser>

namespace corvin::platform {

class QtClipboard : public Clipboard {
public:
    void setImage(const QImage& picture) override;
    void setText(const QString& text) override;
};

// The help manual: HTML pages compiled into the program, shown in a help window of its own.
class QtHelp : public Help {
public:
    explicit QtHelp(QString helpRoot = QStringLiteral("qrc:/help/"));
    ~QtHelp() override;
    void showHelp(const QString& page) override;
    void openUrl(const QUrl& url) override;

    QTextBrowser* window() const { return m_window; }

private:
    QString m_root;
    QPointer<QTextBrowser> m_window;
};

} // namespace corvin::platform
