#include "playback/frmPeriodDataSetup.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QStyleOptionFocusRect>
#include <QVBoxLayout>

#include <functional>

namespace corvin::playback {
namespace {

constexpr int kRowHeight = 30;

// One channel's box: the window's button face while unselected; once clicked, the channel's bar
// colour with its place in the click order written on it.
class ChannelBox : public QWidget {
public:
    ChannelBox(std::function<void()> clicked, QWidget* parent)
        : QWidget(parent), m_clicked(std::move(clicked)) {
        setFocusPolicy(Qt::StrongFocus);
        setFixedSize(72, kRowHeight - 4);
        setCursor(Qt::PointingHandCursor);
    }
    void show(const QColor& colour, int position) {
        m_colour = colour;
        m_position = position;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        const QColor fill = m_position > 0 ? m_colour : palette().color(QPalette::Button);
        p.fillRect(rect(), fill);
        p.setPen(palette().color(QPalette::Dark));
        p.drawRect(rect().adjusted(0, 0, -1, -1));
        if (m_position > 0) {
            QFont bold = font();
            bold.setBold(true);
            p.setFont(bold);
            // Black on light colours, white on dark ones, by how bright the eye finds them.
            const int brightness = (299 * fill.red() + 587 * fill.green() + 114 * fill.blue()) / 1000;
            p.setPen(brightness > 140 ? Qt::black : Qt::white);
            p.drawText(rect(), Qt::AlignCenter, QString::number(m_position));
        }
        if (hasFocus()) {
            QStyleOptionFocusRect option;
            option.initFrom(this);
            option.rect = rect().adjusted(3, 3, -3, -3);
            option.backgroundColor = fill;
            style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &p, this);
        }
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
            m_clicked();
    }
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Space || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
            m_clicked();
        else
            QWidget::keyPressEvent(event);
    }

private:
    std::function<void()> m_clicked;
    QColor m_colour;
    int m_position = 0;
};

QPushButton* Button(const QString& name, const QString& caption, const QString& tip, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setToolTip(tip);
    button->setAutoDefault(false);
    button->setMinimumWidth(120);
    return button;
}

} // namespace

frmPeriodDataSetup::frmPeriodDataSetup(SharedState& state, platform::Dialogs& dialogs, MainFrame& frame,
                                       QWidget* parent)
    : QDialog(parent), m_state(state), m_dialogs(dialogs), m_frame(frame), m_selection(state.playback) {
    setObjectName(QStringLiteral("frmPeriodDataSetup"));
    setWindowTitle(QStringLiteral("Periodic Data Playback"));
    setModal(true);
    buildWindow();
    Form_Load();
}

frmPeriodDataSetup::~frmPeriodDataSetup() = default;

void frmPeriodDataSetup::buildWindow() {
    auto* probeFrame = new QGroupBox(QStringLiteral("Test Probe"), this);
    probeFrame->setObjectName(QStringLiteral("Frame1"));
    auto* probeGrid = new QGridLayout(probeFrame);
    probeGrid->setHorizontalSpacing(18);
    probeGrid->setVerticalSpacing(4);
    // The boxes sit in a frame of their own without a caption; its blank caption keeps its rows
    // level with the names beside it.
    auto* boxFrame = new QGroupBox(QStringLiteral(" "), this);
    boxFrame->setObjectName(QStringLiteral("Frame2"));
    auto* boxColumn = new QVBoxLayout(boxFrame);
    boxColumn->setSpacing(4);

    for (int k = 1; k <= kChannelCount; ++k) {
        const auto i = static_cast<std::size_t>(k - 1);
        auto* number = new QLabel(QStringLiteral("Channel %1").arg(k), probeFrame);
        number->setObjectName(QStringLiteral("Label5_%1").arg(k - 1));
        number->setFixedHeight(kRowHeight);
        auto* name = new QLabel(probeFrame);
        name->setObjectName(QStringLiteral("Label6_%1").arg(k - 1));
        name->setFixedHeight(kRowHeight);
        name->setMinimumWidth(name->fontMetrics().horizontalAdvance(QLatin1Char('M')) * 14);
        QFont bold = name->font();
        bold.setBold(true);
        name->setFont(bold);
        m_names[i] = name;
        probeGrid->addWidget(number, k - 1, 0);
        probeGrid->addWidget(name, k - 1, 1);

        auto* box = new ChannelBox([this, k] { Picture1_Click(k); }, boxFrame);
        box->setObjectName(QStringLiteral("Picture1_%1").arg(k));
        box->setToolTip(QStringLiteral("Select Channel to Graph"));
        m_pictures[i] = box;
        auto* row = new QWidget(boxFrame);
        row->setFixedHeight(kRowHeight);
        auto* rowLayout = new QHBoxLayout(row);
        rowLayout->setContentsMargins(0, 0, 0, 0);
        rowLayout->addWidget(box, 0, Qt::AlignCenter);
        boxColumn->addWidget(row);
    }

    auto* control = new QGroupBox(QStringLiteral("Graph Control"), this);
    control->setObjectName(QStringLiteral("Frame3"));
    m_cmdOK = Button(QStringLiteral("cmdOK"), QStringLiteral(" OK"), QStringLiteral("GO"), control);
    m_cmdCancelSel = Button(QStringLiteral("cmdCancelSel"), QStringLiteral(" Cancel Selection"),
                            QStringLiteral("Reset"), control);
    m_cmdExit = Button(QStringLiteral("cmdExit"), QStringLiteral(" Exit"), QStringLiteral("Close"), control);
    auto* buttons = new QHBoxLayout(control);
    buttons->addWidget(m_cmdOK);
    buttons->addWidget(m_cmdCancelSel);
    buttons->addWidget(m_cmdExit);
    connect(m_cmdOK, &QPushButton::clicked, this, &frmPeriodDataSetup::cmdOK_Click);
    connect(m_cmdCancelSel, &QPushButton::clicked, this, &frmPeriodDataSetup::cmdCancelSel_Click);
    connect(m_cmdExit, &QPushButton::clicked, this, &frmPeriodDataSetup::cmdExit_Click);

    auto* hint = new QLabel(QStringLiteral("Click the channels to plot in the order wanted: the first "
                                           "channel clicked becomes set 1 of the graph."),
                            this);
    hint->setObjectName(QStringLiteral("lblHint"));
    hint->setWordWrap(true);

    auto* channels = new QHBoxLayout;
    channels->addWidget(probeFrame, 1);
    channels->addWidget(boxFrame);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 14, 16, 14);
    layout->setSpacing(12);
    layout->addWidget(hint);
    layout->addLayout(channels);
    layout->addWidget(control);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void frmPeriodDataSetup::Form_Load() {
    m_selection.Load();
    for (int k = 1; k <= kChannelCount; ++k) {
        const auto i = static_cast<std::size_t>(k - 1);
        m_names[i]->setText(m_state.periodic.ChannelNames[i]);
    }
    showSelection();
}

void frmPeriodDataSetup::showSelection() {
    for (int k = 1; k <= kChannelCount; ++k) {
        auto* box = static_cast<ChannelBox*>(m_pictures[static_cast<std::size_t>(k - 1)]);
        box->show(ToQColor(m_state.BarColours.Ch(k)), m_selection.setNumberOf(k));
    }
}

void frmPeriodDataSetup::Picture1_Click(int k) {
    if (m_selection.click(k))
        showSelection();
}

void frmPeriodDataSetup::cmdCancelSel_Click() {
    m_selection.cancelSelection();
    showSelection();
}

void frmPeriodDataSetup::cmdOK_Click() {
    if (!m_selection.accept()) {
        m_dialogs.information(noChannelsMessage());
        cmdCancelSel_Click();
        m_pictures[0]->setFocus();
        return;
    }
    m_closing = true;
    accept();
    emit graphRequested();
}

void frmPeriodDataSetup::cmdExit_Click() {
    m_state.periodic.release();
    m_state.playback.PlotChannelOrder.fill(0);
    // Auto comes back and FileClose closes the graph window, if one is open.
    m_frame.report(ShellEvent::PlaybackExited);
    m_closing = true;
    reject();
}

void frmPeriodDataSetup::closeEvent(QCloseEvent* event) {
    // Answered only through its buttons, like the program's other dialogs that must be answered.
    if (m_closing)
        QDialog::closeEvent(event);
    else
        event->ignore();
}

void frmPeriodDataSetup::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        event->ignore();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace corvin::playback
