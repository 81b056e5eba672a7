#include "datafiles/frmTestOptions.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace corvin::datafiles {

frmTestOptions::frmTestOptions(TestOptions& options, QWidget* parent) : QDialog(parent), m_options(options) {
    setObjectName(QStringLiteral("frmTestOptions"));
    setWindowTitle(QStringLiteral("Test Options"));
    setModal(true);

    m_frameOutputOptions = new QGroupBox(QStringLiteral("File Output Options"), this);
    m_frameOutputOptions->setObjectName(QStringLiteral("frameOutputOptions"));
    m_optDefault = new QRadioButton(QStringLiteral("Default (.Dat)"), m_frameOutputOptions);
    m_optDefault->setObjectName(QStringLiteral("optDefault"));
    m_option1 = new QRadioButton(QStringLiteral("Excel (.Xls)"), m_frameOutputOptions);
    m_option1->setObjectName(QStringLiteral("Option1"));
    // The fixed initial state: it does not show the current options.
    m_optDefault->setChecked(true);
    auto* output = new QVBoxLayout(m_frameOutputOptions);
    output->addWidget(m_optDefault);
    output->addWidget(m_option1);

    m_frameLoggingOptions = new QGroupBox(QStringLiteral("Test Logging Options"), this);
    m_frameLoggingOptions->setObjectName(QStringLiteral("frameLoggingOptions"));
    m_chkPeriodicDataLogging = new QCheckBox(QStringLiteral("Periodic Data Logging"), m_frameLoggingOptions);
    m_chkPeriodicDataLogging->setObjectName(QStringLiteral("chkPeriodicDataLogging"));
    m_chkPeriodicDataLogging->setToolTip(QStringLiteral("Set Default to ON"));
    auto* logging = new QVBoxLayout(m_frameLoggingOptions);
    logging->addWidget(m_chkPeriodicDataLogging);
    logging->addStretch(1);

    m_label1 = new QLabel(QStringLiteral("Information :"), this);
    m_label1->setObjectName(QStringLiteral("Label1"));
    m_label2 =
        new QLabel(QStringLiteral("Setting File Output Options other than Tarvik default will preclude "
                                  "reading back files using Corvin"),
                   this);
    m_label2->setObjectName(QStringLiteral("Label2"));
    m_label2->setWordWrap(true);

    m_cmdOK = new QPushButton(QStringLiteral("OK"), this);
    m_cmdOK->setObjectName(QStringLiteral("cmdOK"));
    m_cmdOK->setDefault(true);
    m_cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cmdCancel->setObjectName(QStringLiteral("cmdCancel"));

    connect(m_chkPeriodicDataLogging, &QCheckBox::clicked, this,
            &frmTestOptions::chkPeriodicDataLogging_Click);
    connect(m_cmdOK, &QPushButton::clicked, this, &frmTestOptions::cmdOK_Click);
    connect(m_cmdCancel, &QPushButton::clicked, this, &frmTestOptions::cmdCancel_Click);

    auto* frames = new QHBoxLayout;
    frames->addWidget(m_frameOutputOptions);
    frames->addWidget(m_frameLoggingOptions);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_cmdOK);
    buttons->addWidget(m_cmdCancel);
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(frames);
    outer->addWidget(m_label1);
    outer->addWidget(m_label2);
    outer->addLayout(buttons);
    // Wide enough for the information text on two lines.
    setMinimumWidth(m_label2->fontMetrics().horizontalAdvance(m_label2->text()) / 2 + 40);
}

void frmTestOptions::chkPeriodicDataLogging_Click() {
    m_options.PeriodicLoggingDefault = true;
}

void frmTestOptions::cmdOK_Click() {
    m_options.SaveToDataFile = m_optDefault->isChecked();
    accept();
}

void frmTestOptions::cmdCancel_Click() {
    reject();
}

} // namespace corvin::datafiles
