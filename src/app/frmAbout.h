#pragma once
// The About box: the product, its version, what it is for and who makes it, with a link that
// opens the maker's web site in the desktop's browser. Not modal.

#include "platform/Desktop.h"

#include <QDialog>

class QLabel;
class QPushButton;

namespace corvin::app {

class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(platform::Help& help, QWidget* parent = nullptr);

    static QString makerAddress() { return QStringLiteral("https://www.tarvik.co.uk"); }
    // "Version 1.7.0": the application's version as set at start-up.
    static QString versionText();

    // Opens the maker's web site.
    void lblWebSite_Click();

private:
    platform::Help& m_help;
    QLabel* m_lblWebSite = nullptr;
    QPushButton* m_cmdOK = nullptr;
};

} // namespace corvin::app
