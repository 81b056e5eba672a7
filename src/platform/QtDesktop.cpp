#include "platform/QtDesktop.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>

namespace corvin::platform {

void QtClipboard::setImage(const QImage& picture) {
    QClipboard* clipboard = QApplication::clipboard();
    clipboard->clear();
    clipboard->setImage(picture);
}

void QtClipboard::setText(const QString& text) {
    QClipboard* clipboard = QApplication::clipboard();
    clipboard->clear();
    clipboard->setText(text);
}

QtHelp::QtHelp(QString helpRoot) : m_root(std::move(helpRoot)) {}

QtHelp::~QtHelp() {
    delete m_window;
}

void QtHelp::showHelp(const QString& page) {
    if (!m_window) {
        m_window = new QTextBrowser;
        m_window->setObjectName(QStringLiteral("helpWindow"));
        m_window->setAttribute(Qt::WA_DeleteOnClose);
        // The help window never keeps the program running: closing the main window ends it.
        m_window->setAttribute(Qt::WA_QuitOnClose, false);
        m_window->setWindowTitle(QStringLiteral("Corvin Help"));
        m_window->setOpenExternalLinks(true);
        m_window->setSearchPaths({m_root});
        m_window->resize(760, 620);
    }
    m_window->setSource(QUrl(m_root + page));
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

void QtHelp::openUrl(const QUrl& url) {
    QDesktopServices::openUrl(url);
}

} // namespace corvin::platform
