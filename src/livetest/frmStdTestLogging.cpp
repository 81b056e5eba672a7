#include "livetest/frmStdTestLogging.h"

#include "common/Pictures.h"
#include "livetest/TestWindowLayout.h"
#include "livetest/TrendStripPanel.h"
#include "livetest/frmInstrumentRange.h"
#include "livetest/frmRangeScale.h"
#include "platform/QtDialogs.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QToolButton>

namespace corvin::livetest {

namespace {

// Picture1: shows the chart's picture as it is, pixel for pixel. (The window watches its mouse
// clicks through its event filter.)
class ChartPicture : public QWidget {
public:
    ChartPicture(const BarChart& chart, QWidget* parent) : QWidget(parent), m_chart(chart) {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        const QImage& image = m_chart.image();
        if (image.size() == size())
            p.drawImage(QPoint(0, 0), image);
        else
            p.drawImage(rect(), image);
    }

private:
    const BarChart& m_chart;
};

QIcon LampIcon(bool on) {
    return QIcon(QPixmap::fromImage(on ? Pictures::channelOn() : Pictures::channelOff()));
}

QIcon PrintIcon() {
    return QIcon(QPixmap::fromImage(Pictures::printButton()));
}

QLabel* MakeLabel(const QString& name, const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

// A channel name under its reading box: broken into lines at spaces, and inside a word that is
// wider than the box, and drawn smaller only when even that does not fit, so every name a probe
// can hold shows whole.
class LegendLabel : public QLabel {
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        const QRectF box = contentsRect();
        p.setFont(FontToFit(font(), text(), box.size()));
        p.setPen(palette().color(QPalette::WindowText));
        QTextOption option(Qt::AlignHCenter | Qt::AlignTop);
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        p.drawText(box, text(), option);
    }
};

QPushButton* MakeButton(const QString& name, const QString& text, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

QGroupBox* MakeFrame(const QString& name, const QString& title, QWidget* parent) {
    auto* frame = new QGroupBox(title, parent);
    frame->setObjectName(name);
    return frame;
}

} // namespace

frmStdTestLogging::frmStdTestLogging(SharedState& state, instrument::CardLibrary& card,
                                     instrument::Pauser& pauser, platform::Desktop& desktop, MainFrame& frame,
                                     QWidget* parent)
    : QWidget(parent), m_state(state), m_card(card), m_frame(frame) {
    setObjectName(QStringLiteral("frmStdTestLogging"));
    setWindowTitle(QStringLiteral("Standard Test"));
    setAttribute(Qt::WA_DeleteOnClose);
    m_baseFontPoints = QApplication::font().pointSizeF() > 0 ? QApplication::font().pointSizeF() : 9.0;

    m_chart = std::make_unique<BarChart>(state, TwipsToPixels(DesignRect(QStringLiteral("Picture1"))).size());
    m_session = std::make_unique<TestSession>(state, card, pauser, desktop, frame, *m_chart);

    build();
    connectControls();

    connect(m_session.get(), &TestSession::controlsChanged, this, &frmStdTestLogging::syncControls);
    connect(m_session.get(), &TestSession::focusRangeButtonRequested, this, [this] { m_command6->setFocus(); });
    connect(m_chart.get(), &BarChart::changed, this, [this] { m_picture1->update(); });
    // The trend strip, in its own widget under the controls; it follows every live tick.
    m_trend = new TrendStripPanel(state, *m_chart, desktop.clock, state.preferences.trendStripOn, this);
    connect(m_session.get(), &TestSession::controlsChanged, m_trend, &TrendStripPanel::tick);
    connect(m_trend, &TrendStripPanel::toggled, this, [this](bool on) {
        m_state.preferences.trendStripOn = on;
        relayout(false);
    });

    // Form_Load.
    const cProbe& probe = m_state.testProbe();
    for (int k = 1; k <= kChannelCount; ++k)
        m_images[k - 1]->setToolTip(probe.Ch(k));
    m_session->Form_Load();

    // Key preview: the function keys reach the window whatever control has the focus.
    for (QWidget* w : findChildren<QWidget*>())
        w->installEventFilter(this);

    resize(TwipsToPixels({0, 0, kFrameCentreWidthTwips, kContentHeightTwips}).size());
    relayout(false);
    syncControls();
}

frmStdTestLogging::~frmStdTestLogging() {
    // A range choice left open must not leave the main window disabled.
    if ((m_rangeDialog && m_rangeDialog->isVisible()) || (m_scaleDialog && m_scaleDialog->isVisible()))
        m_frame.setFrameEnabled(true);
    uncount();
    // The card stays registered: the main window registered it at start-up and releases it when the
    // program ends. Freeing it here would leave every later test window, which addresses handle 0
    // again, reading zeros from a real driver.
}

// ---- building ---------------------------------------------------------------------------------

void frmStdTestLogging::build() {
    m_frameCentre = new QFrame(this);
    m_frameCentre->setObjectName(QStringLiteral("frameCentre"));
    QWidget* fc = m_frameCentre;

    m_picture1 = new ChartPicture(*m_chart, fc);
    m_picture1->setObjectName(QStringLiteral("Picture1"));

    for (int k = 1; k <= kChannelCount; ++k) {
        auto* text = new QLineEdit(fc);
        text->setObjectName(QStringLiteral("Text1_%1").arg(k + 8));
        text->setReadOnly(true);
        text->setAlignment(Qt::AlignCenter);
        text->setFocusPolicy(Qt::NoFocus); // a click hands the focus to " HIGH/LOW"
        m_text1[k - 1] = text;

        auto* label = new LegendLabel(fc);
        label->setObjectName(QStringLiteral("Label%1").arg(k));
        label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        label->setWordWrap(true);
        label->setContentsMargins(3, 0, 3, 0); // neighbouring names never run together
        m_labels[k - 1] = label;

        auto* image = new QToolButton(fc);
        image->setObjectName(QStringLiteral("Image%1").arg(k));
        image->setAutoRaise(true);
        image->setFocusPolicy(Qt::NoFocus);
        image->setIcon(LampIcon(false));
        m_images[k - 1] = image;
    }

    m_label13 = MakeLabel(QStringLiteral("Label13"), QStringLiteral("Tarvik CORVIN"), fc);
    m_label13->setAlignment(Qt::AlignCenter);

    m_frameRange = MakeFrame(QStringLiteral("FrameRange"), QStringLiteral("Range Select"), fc);
    m_command6 = MakeButton(QStringLiteral("Command6"), QStringLiteral(" HIGH/LOW"), m_frameRange);
    m_command6->setToolTip(QStringLiteral("Set Instrument Range"));

    m_frameControl = MakeFrame(QStringLiteral("FrameControl"), QStringLiteral("Test Control"), fc);
    m_cmdStart = MakeButton(QStringLiteral("cmdStart"), QStringLiteral("START"), m_frameControl);
    m_cmdStop = MakeButton(QStringLiteral("cmdStop"), QStringLiteral("STOP"), m_frameControl);
    m_cmdExit = MakeButton(QStringLiteral("cmdExit"), QStringLiteral("EXIT"), m_frameControl);
    m_cmdFreezeSplit =
        MakeButton(QStringLiteral("cmdFreezeSplit"), QStringLiteral("Bar Freeze/Split"), m_frameControl);
    m_cmdFreezeUnsplit =
        MakeButton(QStringLiteral("cmdFreezeUnsplit"), QStringLiteral("Bar Freeze/UnSplit"), m_frameControl);

    m_frameOption = MakeFrame(QStringLiteral("FrameOption"), QStringLiteral("Test Option"), fc);
    m_optOn = new QRadioButton(QStringLiteral("On"), m_frameOption);
    m_optOn->setObjectName(QStringLiteral("optPeriodicDataOn"));
    m_optOff = new QRadioButton(QStringLiteral("Off"), m_frameOption);
    m_optOff->setObjectName(QStringLiteral("optPeriodicDataOff"));
    m_optGroup = new QButtonGroup(this);
    m_optGroup->addButton(m_optOn);
    m_optGroup->addButton(m_optOff);

    m_framePrint = MakeFrame(QStringLiteral("FramePrint"), QStringLiteral(" Print Test "), fc);
    m_cmdPrintTest = MakeButton(QStringLiteral("cmdPrintTest"), QStringLiteral("Now"), m_framePrint);
    m_cmdPrintTest->setIcon(PrintIcon());

    m_label9 = MakeLabel(QStringLiteral("Label9"), QStringLiteral(" Time Elapsed"), fc);
    m_label9->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_label8 = MakeLabel(QStringLiteral("Label8"), QStringLiteral(" 00:00:00"), fc);
    m_label8->setAlignment(Qt::AlignCenter);
    m_label8->setFrameShape(QFrame::Panel);
    m_label8->setFrameShadow(QFrame::Sunken);
    m_label10 = MakeLabel(QStringLiteral("Label10"), QStringLiteral(" Written Data To Disc"), fc);
    m_label11 = MakeLabel(QStringLiteral("Label11"), QString(), fc);
    m_label10->hide();
    m_label11->hide();
    m_cmdTestReport = MakeButton(QStringLiteral("cmdTestReport"), QStringLiteral("Test Report\u2026"), fc);
    m_cmdTestReport->setToolTip(QStringLiteral("A one-page PDF of the test just saved"));
    m_cmdTestReport->hide();
    m_command3 = MakeButton(QStringLiteral("Command3"), QStringLiteral(" bar test"), fc);
    m_command3->hide();

    m_popup = new QMenu(QStringLiteral("Popup"), this);
    m_popup->setObjectName(QStringLiteral("mnupopup"));
    m_mnuCopy = m_popup->addAction(QStringLiteral("Copy to Clipboard"));
    m_mnuCopy->setObjectName(QStringLiteral("mnuCopy"));
    m_mnuPrint = m_popup->addAction(QStringLiteral("Print Test"));
    m_mnuPrint->setObjectName(QStringLiteral("mnuPrint"));
    m_popup->addSeparator()->setObjectName(QStringLiteral("mnuSeparator1"));
    m_mnuClose = m_popup->addAction(QStringLiteral("Stop"));
    m_mnuClose->setObjectName(QStringLiteral("mnuClose"));

    m_timer1 = new QTimer(this);
    m_timer1->setObjectName(QStringLiteral("Timer1"));
    m_timer1->setInterval(TestSession::kLiveIntervalMs);
    m_timer2 = new QTimer(this);
    m_timer2->setObjectName(QStringLiteral("Timer2"));
}

void frmStdTestLogging::connectControls() {
    TestSession* s = m_session.get();
    connect(m_cmdStart, &QPushButton::clicked, this, [s] { s->cmdStart_Click(); });
    connect(m_cmdStop, &QPushButton::clicked, this, [s] { s->cmdStop_Click(); });
    connect(m_cmdExit, &QPushButton::clicked, this, [this] { cmdExit_Click(); });
    connect(m_command6, &QPushButton::clicked, this, [this] { Command6_Click(); });
    connect(m_command3, &QPushButton::clicked, this, [s] { s->stepBarTest(); });
    connect(m_cmdTestReport, &QPushButton::clicked, this, [s] { s->saveTestReport(); });
    connect(m_cmdFreezeSplit, &QPushButton::clicked, this, [s] { s->cmdFreezeSplit_Click(); });
    connect(m_cmdFreezeUnsplit, &QPushButton::clicked, this, [s] { s->cmdFreezeUnsplit_Click(); });
    connect(m_cmdPrintTest, &QPushButton::clicked, this, [s] { s->cmdPrintTest_Click(); });
    connect(m_optOn, &QRadioButton::clicked, this, [s] { s->setPeriodicChoice(PeriodicChoice::On); });
    connect(m_optOff, &QRadioButton::clicked, this, [s] { s->setPeriodicChoice(PeriodicChoice::Off); });
    for (int k = 1; k <= kChannelCount; ++k)
        connect(m_images[k - 1], &QToolButton::clicked, this, [s, k] { s->ToggleChannel(k); });
    connect(m_mnuCopy, &QAction::triggered, this, [s] { s->mnuCopy_Click(); });
    connect(m_mnuPrint, &QAction::triggered, this, [s] { s->mnuPrint_Click(); });
    connect(m_mnuClose, &QAction::triggered, this, [s] { s->mnuClose_Click(); });
    connect(m_timer1, &QTimer::timeout, this, [s] { s->Timer1_Timer(); });
    connect(m_timer2, &QTimer::timeout, this, [s] { s->Timer2_Timer(); });
}

// ---- mirroring the session --------------------------------------------------------------------

void frmStdTestLogging::syncTimers() {
    const SessionControls& c = m_session->controls();
    if (c.liveTimerOn != m_timer1->isActive())
        c.liveTimerOn ? m_timer1->start() : m_timer1->stop();
    if (c.loggingIntervalMs > 0 && m_timer2->interval() != c.loggingIntervalMs)
        m_timer2->setInterval(c.loggingIntervalMs);
    const bool timer2 = c.loggingTimerOn && c.loggingIntervalMs > 0;
    if (timer2 != m_timer2->isActive())
        timer2 ? m_timer2->start() : m_timer2->stop();
}

void frmStdTestLogging::syncControls() {
    syncTimers();
    const SessionControls& c = m_session->controls();
    m_cmdStart->setEnabled(m_session->startEnabled());
    m_cmdStop->setEnabled(m_session->stopEnabled());
    m_cmdExit->setEnabled(m_session->exitEnabled());
    m_cmdFreezeSplit->setEnabled(c.freezeSplitEnabled);
    m_cmdFreezeUnsplit->setEnabled(c.freezeUnsplitEnabled);

    const bool on = c.periodic == PeriodicChoice::On;
    const bool off = c.periodic == PeriodicChoice::Off;
    if (m_optOn->isChecked() != on || m_optOff->isChecked() != off) {
        // Neither button selected needs the group's exclusivity lifted for a moment.
        m_optGroup->setExclusive(false);
        m_optOn->setChecked(on);
        m_optOff->setChecked(off);
        m_optGroup->setExclusive(true);
    }

    for (int k = 1; k <= kChannelCount; ++k) {
        if (m_text1[k - 1]->text() != c.readingTexts[k - 1])
            m_text1[k - 1]->setText(c.readingTexts[k - 1]);
        // Outside its limits in a warning colour, in a marginal band in a second one.
        const datafiles::ReadingState state = c.readingStates[k - 1];
        if (m_text1[k - 1]->property("limitState").toInt() != int(state)) {
            m_text1[k - 1]->setProperty("limitState", int(state));
            m_text1[k - 1]->setStyleSheet(state == datafiles::ReadingState::Outside ? QStringLiteral("background: #FF8080; font-weight: bold;")
                                          : state == datafiles::ReadingState::Marginal ? QStringLiteral("background: #FFD966;")
                                                                                        : QString());
        }
        const bool lampOn = m_state.display.ChannelEnabled[k - 1];
        if (m_lampShown[k - 1] != (lampOn ? 2 : 1)) {
            m_images[k - 1]->setIcon(LampIcon(lampOn));
            m_lampShown[k - 1] = lampOn ? 2 : 1;
        }
        const QString& caption = m_chart->legendCaption(k);
        if (m_labels[k - 1]->text() != caption) {
            m_labels[k - 1]->setText(caption);
            m_labels[k - 1]->setToolTip(caption);
        }
    }
    if (m_label8->text() != c.elapsedText)
        m_label8->setText(c.elapsedText);

    const bool written = c.writtenVisible && !m_fullScreen;
    m_label10->setVisible(written);
    m_label11->setVisible(written);
    // A report only of a test data file (a workbook export has no record to report on).
    m_cmdTestReport->setVisible(written && c.writtenFile.endsWith(QLatin1String(".DAT"), Qt::CaseInsensitive));
    if (m_label11->toolTip() != c.writtenFile) {
        m_label11->setToolTip(c.writtenFile);
        m_label11->setText(m_label11->fontMetrics().elidedText(c.writtenFile, Qt::ElideMiddle,
                                                               std::max(40, m_label11->width())));
    }
    if (isEnabled() != c.windowEnabled)
        setEnabled(c.windowEnabled);
}

// ---- layout -----------------------------------------------------------------------------------

void frmStdTestLogging::placeDesign(QWidget* widget, double scale) {
    const QRectF design = DesignRect(widget->objectName());
    if (!design.isEmpty())
        widget->setGeometry(TwipsToPixels(design, scale));
}

void frmStdTestLogging::applyFonts(double scale) {
    QFont base = QApplication::font();
    base.setPointSizeF(m_baseFontPoints * scale);
    m_frameCentre->setFont(base);

    QFont product = base;
    product.setBold(true);
    product.setPointSizeF(m_baseFontPoints * 1.3 * scale);
    m_label13->setFont(product);

    QFont elapsed = base;
    elapsed.setBold(true);
    elapsed.setPointSizeF(m_baseFontPoints * 1.5 * scale);
    m_label8->setFont(elapsed);

    QFont reading = base;
    reading.setBold(true);
    for (QLineEdit* text : m_text1)
        text->setFont(reading);

    // Channel names under the bars: small enough for two lines in the column.
    QFont legend = base;
    legend.setPointSizeF(std::max(6.5, m_baseFontPoints * 0.85 * scale));
    for (QLabel* label : m_labels)
        label->setFont(legend);

    const int lamp = static_cast<int>(std::lround(34 * scale));
    for (QToolButton* image : m_images)
        image->setIconSize(QSize(lamp, lamp * 40 / 37));
    const int icon = static_cast<int>(std::lround(24 * scale));
    m_cmdPrintTest->setIconSize(QSize(icon, icon));
}

void frmStdTestLogging::relayout(bool redrawChart) {
    const QSize available = size();
    if (m_fullScreen) {
        // The chart alone fills the window.
        m_frameCentre->setGeometry(QRect(QPoint(0, 0), available));
        m_picture1->setGeometry(m_trend->placeFullScreen(available));
    } else {
        const QSize designArea = m_trend->normalDesignArea(available);
        m_scale = LayoutScale(designArea);
        // With the trend strip on, the design may shrink below its own size to stay above it.
        if (designArea != available)
            m_scale =
                std::clamp(double(designArea.height()) * kTwipsPerPixel / kContentHeightTwips, 0.6, m_scale);
        m_frameCentre->setGeometry(FrameCentreRect(designArea, m_scale));
        applyFonts(m_scale);
        for (QWidget* w : m_frameCentre->findChildren<QWidget*>())
            placeDesign(w, m_scale);
        m_trend->placeNormal(available);
    }

    const QSize pictureSize = m_picture1->size().expandedTo(QSize(1, 1));
    const bool resized = m_chart->size() != pictureSize;
    if (resized)
        m_chart->resize(pictureSize);
    if (redrawChart)
        m_session->redrawForLayout();
    else if (resized)
        m_session->pictureResized();
    m_picture1->update();
}

void frmStdTestLogging::showFullScreenLayout() {
    m_fullScreen = true;
    for (QWidget* w : m_frameCentre->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        w->setVisible(w == m_picture1);
    m_frameCentre->show();
    for (QAction* a : {m_mnuCopy, m_mnuPrint, m_mnuClose})
        a->setVisible(true);
    relayout(true);
    m_picture1->show();
    syncControls();
}

void frmStdTestLogging::showNormalLayout() {
    m_fullScreen = false;
    for (QWidget* w : m_frameCentre->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        w->setVisible(true);
    m_session->hideWrittenLabels();
    m_label10->hide();
    m_label11->hide();
    m_cmdTestReport->hide();
    m_command3->hide();
    relayout(true);
    syncControls();
}

void frmStdTestLogging::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    relayout(false);
}

// ---- handlers ---------------------------------------------------------------------------------

void frmStdTestLogging::Command6_Click() {
    m_session->beginRangeChoice();
    if (!m_rangeDialog) {
        // The dialogs belong to the main window (not to this window, which is disabled while
        // they are open), are modal to it and stay in front of it. This window owns them.
        m_rangeDialog = std::make_unique<frmInstrumentRange>(m_frame.dialogParent());
        connect(m_rangeDialog.get(), &frmInstrumentRange::rangeChosen, this, [this](bool high) {
            m_session->rangeChosen(high);
            // A fresh scale dialog each time, opening with Option1 selected.
            m_scaleDialog = std::make_unique<frmRangeScale>(high, m_frame.dialogParent());
            m_scaleDialog->setFont(dialogFont());
            connect(m_scaleDialog.get(), &frmRangeScale::okPressed, this, &frmStdTestLogging::scaleOk);
            m_scaleDialog->show();
        });
    }
    // The dialogs' text matches this window's, which grows with the main window.
    m_rangeDialog->setFont(dialogFont());
    m_rangeDialog->show();
    m_rangeDialog->raise();
    m_rangeDialog->activateWindow();
}

void frmStdTestLogging::scaleOk(int16_t screenScale) {
    m_session->scaleChosen(screenScale);
    // Back to the test window, with the keyboard on " HIGH/LOW".
    show();
    activateWindow();
    m_command6->setFocus();
}

void frmStdTestLogging::cmdExit_Click() {
    m_session->cmdExit_Click();
    m_exited = true;
    m_keyPreview = false;
    QWidget* window = this;
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
        window = sub;
    window->close();
}

QFont frmStdTestLogging::dialogFont() const {
    return platform::TextAtScale(m_scale);
}

void frmStdTestLogging::uncount() {
    if (m_created && !m_uncounted) {
        m_uncounted = true;
        m_frame.WindowDestroyed();
    }
}

void frmStdTestLogging::closeEvent(QCloseEvent* event) {
    // A running test ends through STOP; closing the window under it would leave it running.
    if (m_state.session.TestRunning()) {
        event->ignore();
        return;
    }
    if (!m_exited) {
        // Closed without EXIT (the MDI close box, FileClose): the same clean-up as EXIT.
        m_session->cmdExit_Click();
        m_exited = true;
    }
    // The main window counts its child windows as soon as one closes (FileClose reads the count
    // at once), not when the window is finally deleted.
    uncount();
    event->accept();
}

void frmStdTestLogging::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!m_created) {
        m_created = true;
        m_frame.WindowCreated();
    }
}

void frmStdTestLogging::barColoursSaved() {
    m_session->barColoursSaved();
}

void frmStdTestLogging::barColoursCancelled() {
    m_session->barColoursCancelled();
}

// ---- keys -------------------------------------------------------------------------------------

bool frmStdTestLogging::handleKey(QObject* watched, QKeyEvent* event) {
    const int key = event->key();
    if (m_keyPreview && key >= Qt::Key_F1 && key <= Qt::Key_F7) {
        m_session->functionKey(key - Qt::Key_F1 + 1);
        return true;
    }
    if (watched == m_command6 && key == Qt::Key_Plus && (event->modifiers() & Qt::KeypadModifier)) {
        Command6_Click();
        return true;
    }
    return false;
}

bool frmStdTestLogging::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && handleKey(watched, static_cast<QKeyEvent*>(event)))
        return true;
    if (watched == m_picture1 &&
        (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease)) {
        // A left click on the chart hands the keyboard to " HIGH/LOW"; a right-button release
        // opens the pop-up menu.
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (event->type() == QEvent::MouseButtonPress && mouse->button() == Qt::LeftButton &&
            !m_state.display.FullScreenMode)
            m_command6->setFocus();
        else if (event->type() == QEvent::MouseButtonRelease && mouse->button() == Qt::RightButton)
            m_popup->popup(mouse->globalPosition().toPoint());
    }
    if (event->type() == QEvent::MouseButtonPress) {
        for (QLineEdit* text : m_text1) {
            if (watched == text) {
                m_command6->setFocus();
                break;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void frmStdTestLogging::keyPressEvent(QKeyEvent* event) {
    if (!handleKey(this, event))
        QWidget::keyPressEvent(event);
}

} // namespace corvin::livetest
