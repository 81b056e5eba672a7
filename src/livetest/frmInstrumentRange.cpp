#include "livetest/frmInstrumentRange.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace corvin::livetest {

frmInstrumentRange::frmInstrumentRange(QWidget* parent) : QtRangeDialog(parent) {
    setObjectName(QStringLiteral("frmInstrumentRange"));
    setWindowTitle(QStringLiteral(" SET INSTRUMENT RANGE"));

    auto* frame1 = new QGroupBox(QStringLiteral(" Range Select"), this);
    frame1->setObjectName(QStringLiteral("Frame1"));
    m_command1 = new QPushButton(QStringLiteral(" HIGH"), frame1);
    m_command1->setObjectName(QStringLiteral("Command1"));
    m_command2 = new QPushButton(QStringLiteral(" LOW"), frame1);
    m_command2->setObjectName(QStringLiteral("Command2"));
    for (QPushButton* b : {m_command1, m_command2}) {
        b->setMinimumSize(110, 36);
        b->setAutoDefault(false);
    }
    auto* buttons = new QHBoxLayout(frame1);
    buttons->addWidget(m_command1);
    buttons->addWidget(m_command2);

    auto* frame2 = new QGroupBox(QStringLiteral(" Screen Options"), this);
    frame2->setObjectName(QStringLiteral("Frame2"));
    auto* label1 = new QLabel(QStringLiteral(" 10µA -or- 1µA Full Scale"), frame2);
    label1->setObjectName(QStringLiteral("Label1"));
    auto* label2 = new QLabel(QStringLiteral(" 1mA -or- 100µA Full Scale"), frame2);
    label2->setObjectName(QStringLiteral("Label2"));
    auto* labels = new QHBoxLayout(frame2);
    labels->addWidget(label1);
    labels->addSpacing(12);
    labels->addWidget(label2);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame1);
    layout->addWidget(frame2);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(m_command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
}

void frmInstrumentRange::choose(bool high) {
    emit rangeChosen(high);
    hide();
}

void frmInstrumentRange::Command1_Click() {
    choose(true);
}

void frmInstrumentRange::Command2_Click() {
    choose(false);
}

} // namespace corvin::livetest
