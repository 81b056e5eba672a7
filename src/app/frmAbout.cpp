#include "app/frmAbout.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>
#include <array>

namespace corvin::app {

namespace {

// The program's emblem: seven bars standing on a zero line, as on the test screen.
QPixmap Emblem() {
    const int size = 96;
    QPixmap picture(size, size);
    picture.fill(Qt::white);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x40, 0x40, 0x40), 1));
    p.drawRect(0, 0, size - 1, size - 1);
    const std::array<int, 7> heights{52, 34, 64, 22, 44, 58, 30};
    const std::array<QColor, 7> colours{QColor(0xc0, 0x39, 0x2b), QColor(0xe6, 0x7e, 0x22),
                                        QColor(0xf1, 0xc4, 0x0f), QColor(0x27, 0xae, 0x60),
                                        QColor(0x29, 0x80, 0xb9), QColor(0x8e, 0x44, 0xad),
                                        QColor(0x7f, 0x8c, 0x8d)};
    const int zero = size - 16;
    for (int k = 0; k < 7; ++k) {
        const int x = 10 + k * 11;
        p.fillRect(QRect(x, zero - heights.at(k), 8, heights.at(k)), colours.at(k));
    }
    p.setPen(QPen(Qt::black, 1));
    p.drawLine(6, zero, size - 8, zero);
    p.drawLine(6, 8, 6, size - 8);
    return picture;
}

} // namespace

QString frmAbout::versionText() {
    return QStringLiteral("Version ") + QCoreApplication::applicationVersion();
}

frmAbout::frmAbout(platform::Help& help, QWidget* parent) : QDialog(parent), m_help(help) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About Corvin"));
    setModal(false);

    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("picIcon"));
    picture->setPixmap(Emblem());
    picture->setAlignment(Qt::AlignTop);

    auto* lblTitle = new QLabel(QStringLiteral("Corvin"), this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    QFont titleFont = lblTitle->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 2.0);
    titleFont.setBold(true);
    lblTitle->setFont(titleFont);

    auto* lblVersion = new QLabel(versionText(), this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    auto* lblDescription = new QLabel(QStringLiteral("MULTIQ seven-channel micro-ampere test program"), this);
    lblDescription->setObjectName(QStringLiteral("lblDescription"));
    lblDescription->setWordWrap(true);
    auto* lblMaker = new QLabel(QStringLiteral("Tarvik Instruments Ltd"), this);
    lblMaker->setObjectName(QStringLiteral("lblMaker"));

    // The link goes through the desktop seam rather than Qt's own opener, so it is one path for
    // the program and its tests.
    m_lblWebSite = new QLabel(this);
    m_lblWebSite->setObjectName(QStringLiteral("lblWebSite"));
    m_lblWebSite->setTextFormat(Qt::RichText);
    m_lblWebSite->setText(QStringLiteral("<a href=\"%1\">www.tarvik.co.uk</a>").arg(makerAddress()));
    m_lblWebSite->setOpenExternalLinks(false);
    m_lblWebSite->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    m_lblWebSite->setToolTip(makerAddress());
    connect(m_lblWebSite, &QLabel::linkActivated, this, [this] { lblWebSite_Click(); });

    m_cmdOK = new QPushButton(QStringLiteral("OK"), this);
    m_cmdOK->setObjectName(QStringLiteral("cmdOK"));
    m_cmdOK->setDefault(true);
    connect(m_cmdOK, &QPushButton::clicked, this, &QDialog::accept);

    auto* text = new QVBoxLayout;
    text->addWidget(lblTitle);
    text->addWidget(lblVersion);
    text->addSpacing(8);
    text->addWidget(lblDescription);
    text->addSpacing(8);
    text->addWidget(lblMaker);
    text->addWidget(m_lblWebSite);
    text->addStretch(1);
    auto* top = new QHBoxLayout;
    top->addWidget(picture, 0, Qt::AlignTop);
    top->addSpacing(12);
    top->addLayout(text, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_cmdOK);
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(top);
    outer->addSpacing(8);
    outer->addLayout(buttons);
    setMinimumWidth(420);
}

void frmAbout::lblWebSite_Click() {
    m_help.openUrl(QUrl(makerAddress()));
}

} // namespace corvin::app
