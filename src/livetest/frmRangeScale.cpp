#include "livetest/frmRangeScale.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace corvin::livetest {

frmRangeScale::frmRangeScale(bool high, QWidget* parent) : QtRangeDialog(parent), m_high(high) {
    setObjectName(high ? QStringLiteral("frmRangeHigh") : QStringLiteral("frmRangeLow"));
    setWindowTitle(high ? QStringLiteral(" HIGH RANGE") : QStringLiteral(" LOW RANGE"));

    auto* frame1 = new QGroupBox(QStringLiteral(" Screen Scale "), this);
    frame1->setObjectName(QStringLiteral("Frame1"));
    m_option1 = new QRadioButton(
        high ? QStringLiteral(" 10µA Full Scale") : QStringLiteral(" 1mA Full Scale"), frame1);
    m_option1->setObjectName(QStringLiteral("Option1"));
    m_option2 = new QRadioButton(
        high ? QStringLiteral("  1µA Full Scale") : QStringLiteral("100µA Full Scale"), frame1);
    m_option2->setObjectName(QStringLiteral("Option2"));
    m_option1->setChecked(true);
    auto* options = new QVBoxLayout(frame1);
    options->addWidget(m_option1);
    options->addWidget(m_option2);

    m_command1 = new QPushButton(QStringLiteral(" OK"), this);
    m_command1->setObjectName(QStringLiteral("Command1"));
    m_command1->setDefault(true); // Enter runs OK wherever the focus is
    m_command1->setMinimumSize(90, 32);

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(frame1);
    layout->addWidget(m_command1, 0, Qt::AlignBottom);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    // A click on an option brings the dialog to the top, so it is not lost behind the frame.
    for (QRadioButton* option : {m_option1, m_option2}) {
        connect(option, &QRadioButton::clicked, this, [this] {
            raise();
            activateWindow();
        });
    }
}

int16_t frmRangeScale::chosenScale() const {
    // Only Option1 is consulted.
    if (m_option1->isChecked())
        return m_high ? 2 : 4;
    return m_high ? 1 : 3;
}

void frmRangeScale::Command1_Click() {
    m_okPressed = true;
    const int16_t scale = chosenScale();
    hide();
    emit okPressed(scale);
}

} // namespace corvin::livetest
