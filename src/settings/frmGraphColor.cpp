#include "settings/frmGraphColor.h"

#include "common/SharedState.h"
#include "platform/Dialogs.h"
#include "settings/BarColourFile.h"

#include <QAbstractButton>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionFocusRect>
#include <QVBoxLayout>

namespace corvin::settings {
namespace {

// One colour box: a bar filled with its channel's colour, clicked with the mouse (or Space or
// Enter while it has the focus).
class ColourBox : public QAbstractButton {
public:
    explicit ColourBox(QWidget* parent) : QAbstractButton(parent) {
        setFocusPolicy(Qt::StrongFocus);
        setFixedSize(44, 150);
        setCursor(Qt::PointingHandCursor);
    }
    void setColour(const QColor& colour) {
        m_colour = colour;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), m_colour);
        p.setPen(palette().color(QPalette::WindowText));
        p.drawRect(rect().adjusted(0, 0, -1, -1));
        if (hasFocus()) {
            QStyleOptionFocusRect option;
            option.initFrom(this);
            option.rect = rect().adjusted(3, 3, -3, -3);
            option.backgroundColor = m_colour;
            style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &p, this);
        }
    }
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
            click();
        else
            QAbstractButton::keyPressEvent(event);
    }

private:
    QColor m_colour;
};

} // namespace

frmGraphColor::frmGraphColor(SharedState& state, platform::Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), m_state(state), m_dialogs(dialogs) {
    setObjectName(QStringLiteral("frmGraphColor"));
    setWindowTitle(QStringLiteral("Graph Colour Preferences"));

    auto* bars = new QGridLayout;
    bars->setHorizontalSpacing(12);
    for (int k = 1; k <= 7; ++k) {
        auto* box = new ColourBox(this);
        connect(box, &ColourBox::clicked, this, [this, k] { Picture1_Click(k); });
        box->setObjectName(QStringLiteral("Picture1_%1").arg(k));
        box->setToolTip(QStringLiteral("Click on Bar to set colour"));
        m_boxes[static_cast<std::size_t>(k - 1)] = box;
        bars->addWidget(box, 0, k - 1, Qt::AlignHCenter);
        // The channel number under its bar.
        auto* number = new QLabel(QString::number(k), this);
        number->setAlignment(Qt::AlignHCenter);
        bars->addWidget(number, 1, k - 1);
    }

    auto* save = new QPushButton(QStringLiteral(" Save Settings on Exit"), this);
    save->setObjectName(QStringLiteral("cmdSaveOnExit"));
    save->setToolTip(QStringLiteral("Writes changes to disc"));
    connect(save, &QPushButton::clicked, this, &frmGraphColor::cmdSaveOnExit_Click);
    auto* cancel = new QPushButton(QStringLiteral(" Cancel"), this);
    cancel->setObjectName(QStringLiteral("cmdExit"));
    cancel->setToolTip(QStringLiteral("Changes not saved"));
    connect(cancel, &QPushButton::clicked, this, &frmGraphColor::cmdExit_Click);
    // Enter on a focused box opens its chooser; it must not press a button as well.
    save->setAutoDefault(false);
    cancel->setAutoDefault(false);

    // The look of the playback graph and of the graphs written from the command line.
    auto* styleFrame = new QGroupBox(QStringLiteral("Graph style"), this);
    styleFrame->setObjectName(QStringLiteral("fraGraphStyle"));
    m_optClassic = new QRadioButton(QStringLiteral("Classic"), styleFrame);
    m_optClassic->setObjectName(QStringLiteral("optGraphStyleClassic"));
    m_optClassic->setToolTip(
        QStringLiteral("The program's own look: light cyan, sample numbers along the bottom"));
    m_optClear = new QRadioButton(QStringLiteral("Clear"), styleFrame);
    m_optClear->setObjectName(QStringLiteral("optGraphStyleClear"));
    m_optClear->setToolTip(
        QStringLiteral("White, colour-blind-safe colours, a visible grid and elapsed time; good on paper"));
    auto* styleLayout = new QHBoxLayout(styleFrame);
    styleLayout->addWidget(m_optClassic);
    styleLayout->addWidget(m_optClear);
    styleLayout->addStretch();
    setGraphStyle(m_state.preferences.graphStyle);

    // Where the test history is kept: the home's own, or a lab's server shared by its stations.
    auto* historyFrame = new QGroupBox(QStringLiteral("Test history"), this);
    m_historyServer = new QLineEdit(m_state.preferences.historyServer, historyFrame);
    m_historyServer->setObjectName(QStringLiteral("txtHistoryServer"));
    m_historyServer->setPlaceholderText(QStringLiteral("postgresql://host/database"));
    m_historyServer->setToolTip(
        QStringLiteral("A lab's shared history on a PostgreSQL server; empty: this PC's own"));
    auto* historyLayout = new QVBoxLayout(historyFrame);
    historyLayout->addWidget(new QLabel(QStringLiteral("Lab history server (empty: this PC's own history; "
                                                       "used from the next start):"),
                                        historyFrame));
    historyLayout->addWidget(m_historyServer);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(save);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 18, 18, 14);
    layout->setSpacing(16);
    layout->addLayout(bars);
    layout->addWidget(styleFrame);
    layout->addWidget(historyFrame);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // Dialog load: box k takes channel k's colour.
    for (int k = 1; k <= 7; ++k)
        setBox(k, m_state.BarColours.Ch(k));
}

void frmGraphColor::setBox(int k, int32_t rgb) {
    const auto i = static_cast<std::size_t>(k - 1);
    m_colours.at(i) = rgb;
    static_cast<ColourBox*>(m_boxes.at(i))->setColour(ToQColor(rgb));
}

GraphStyleKind frmGraphColor::graphStyle() const {
    return m_optClear->isChecked() ? GraphStyleKind::Clear : GraphStyleKind::Classic;
}

void frmGraphColor::setGraphStyle(GraphStyleKind style) {
    (style == GraphStyleKind::Clear ? m_optClear : m_optClassic)->setChecked(true);
}

void frmGraphColor::Picture1_Click(int k) {
    // The chooser opens at the box's colour; a cancel changes nothing.
    const std::optional<QColor> chosen = m_dialogs.chooseColour(ToQColor(boxColour(k)));
    if (chosen && chosen->isValid())
        setBox(k, FromQColor(*chosen));
}

void frmGraphColor::cmdSaveOnExit_Click() {
    cBarColors colours;
    for (int k = 1; k <= 7; ++k)
        colours.setCh(k, boxColour(k));
    // The file is written first, and BarColours changes only when it was, so memory and file
    // always agree; after a failure the dialog stays open with the user's choices.
    if (Status s = BarColourFile::Save(m_state.folders.barColourFile(), colours, *m_files); !s) {
        m_dialogs.critical(s.message());
        return;
    }
    m_state.BarColours = colours;
    m_state.preferences.graphStyle = graphStyle();
    m_state.preferences.historyServer = m_historyServer->text().trimmed();
    emit saved();
    accept();
}

void frmGraphColor::cmdExit_Click() {
    emit cancelled();
    reject();
}

void frmGraphColor::Form_Click() {
    m_boxes[0]->setFocus(Qt::MouseFocusReason);
}

void frmGraphColor::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        Form_Click();
    QDialog::mousePressEvent(event);
}

} // namespace corvin::settings
