#include "playback/frmPeriodicDataGraph.h"
#include "playback/TestReport.h"

#include "common/AtomicFile.h"
#include "datafiles/TestDataFile.h"
#include "playback/CursorReadout.h"
#include "playback/GraphDrawing.h"
#include "playback/StoredTestOpener.h"
#include "playback/frmPeriodDataSetup.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QEvent>
#include <QFileInfo>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <qcustomplot.h>

namespace corvin::playback {
namespace {

// The window's content never shrinks below this; a smaller window clips it at the right and
// bottom rather than squeezing the graph.
constexpr QSize kMinimumFrame(880, 520);
constexpr int kMargin = 6;
constexpr int kControlWidth = 230;
// The fewest samples a zoomed view shows.
constexpr double kNarrowestView = 4.0;
// How long the view rests after the last wheel step or the end of a drag before the lines are
// drawn smooth again.
constexpr int kSettleMs = 180;

const QString kCursorLayer = QStringLiteral("cursor");
const QString kReadoutHint = QStringLiteral(
    "Move the mouse over the graph to read a sample. Wheel: zoom, drag: pan, double-click: whole test.");

// The decoration beside the controls (the program's bitmap 302): a small framed graph.
QPixmap Decoration() {
    QImage image(96, 56, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(40, 40, 40), 1));
    p.setBrush(PlotRoutine::paletteColour(11));
    p.drawRoundedRect(QRectF(0.5, 0.5, 95, 55), 4, 4);
    p.setPen(QPen(Qt::black, 1));
    p.drawLine(10, 46, 88, 46);
    p.drawLine(10, 46, 10, 8);
    const std::array<std::array<int, 6>, 3> curves{
        {{40, 30, 34, 22, 26, 14}, {20, 26, 18, 30, 24, 34}, {36, 38, 28, 34, 30, 24}}};
    for (std::size_t c = 0; c < curves.size(); ++c) {
        p.setPen(QPen(PlotRoutine::paletteColour(PlotRoutine::paletteIndexOfSet(int(c) + 1)), 2));
        QPolygon line;
        for (std::size_t i = 0; i < curves[c].size(); ++i)
            line << QPoint(12 + int(i) * 15, curves[c][i]);
        p.drawPolyline(line);
    }
    return QPixmap::fromImage(image);
}

QPushButton* Button(const QString& name, const QString& caption, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

} // namespace

frmPeriodicDataGraph::frmPeriodicDataGraph(SharedState& state, platform::Desktop& desktop, MainFrame& frame,
                                           QWidget* parent)
    : QWidget(parent), m_state(state), m_desktop(desktop), m_frame(frame) {
    setObjectName(QStringLiteral("frmPeriodicDataGraph"));
    setWindowTitle(QStringLiteral("Periodic Data Graph"));
    buildWindow();
    // Form_Load: "Lines" chosen; the graph starts empty with its design title.
    m_options[0]->setChecked(true);
    m_settings = GraphSettings();
    resize(kMinimumFrame + QSize(2 * kMargin, 2 * kMargin));
}

frmPeriodicDataGraph::~frmPeriodicDataGraph() {
    uncount();
}

void frmPeriodicDataGraph::uncount() {
    if (m_created && !m_uncounted) {
        m_uncounted = true;
        m_frame.WindowDestroyed();
    }
}

void frmPeriodicDataGraph::closeEvent(QCloseEvent* event) {
    // FileClose reads the count at once, before the window is finally deleted.
    uncount();
    QWidget::closeEvent(event);
}

void frmPeriodicDataGraph::buildWindow() {
    m_frameCentre = new QFrame(this);
    m_frameCentre->setObjectName(QStringLiteral("frameCentre"));

    m_graph = new QCustomPlot(m_frameCentre);
    m_graph->setObjectName(QStringLiteral("Graph1"));
    m_graph->setMinimumSize(400, 300);
    m_drawing = std::make_unique<GraphDrawing>(*m_graph);
    m_drawing->setStyle(m_state.preferences.graphStyle);
    m_graph->addLayer(kCursorLayer, nullptr, QCustomPlot::limAbove);
    m_graph->layer(kCursorLayer)->setMode(QCPLayer::lmBuffered);
    m_cursorLine = new QCPItemStraightLine(m_graph);
    m_cursorLine->setLayer(kCursorLayer);
    m_cursorLine->setPen(QPen(QColor(60, 60, 60), 1, Qt::DashLine));
    m_cursorLine->setVisible(false);
    m_graph->installEventFilter(this);
    connect(m_graph, &QCustomPlot::mouseMove, this, [this](QMouseEvent* e) { Graph1_MouseMove(e->pos()); });
    connect(m_graph, &QCustomPlot::mouseDoubleClick, this, [this] { cmdResetView_Click(); });
    // The wheel signal comes before the plot zooms, so the zoom's own repaint is already fast;
    // QCustomPlot itself drops antialiasing while a drag lasts and repaints smooth when it ends.
    m_settleTimer = new QTimer(this);
    m_settleTimer->setSingleShot(true);
    m_settleTimer->setInterval(kSettleMs);
    connect(m_settleTimer, &QTimer::timeout, this, &frmPeriodicDataGraph::settleView);
    connect(m_graph, &QCustomPlot::mouseWheel, this, [this] { beginViewChange(); });
    connect(m_graph, &QCustomPlot::mouseRelease, this, [this] {
        if (m_drawing->drawn())
            m_settleTimer->start();
    });
    connect(m_graph->xAxis, qOverload<const QCPRange&>(&QCPAxis::rangeChanged), this,
            [this](const QCPRange& range) { keepViewInTest(range); });

    m_readout = new QLabel(kReadoutHint, m_frameCentre);
    m_readout->setObjectName(QStringLiteral("lblCursor"));
    m_readout->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_readout->setMinimumWidth(1); // a long readout must not widen the window

    // The copy of the graph's picture that is printed and copied; never shown.
    m_picture1 = new QLabel(m_frameCentre);
    m_picture1->setObjectName(QStringLiteral("Picture1"));
    m_picture1->hide();

    auto* image1 = new QLabel(m_frameCentre);
    image1->setObjectName(QStringLiteral("Image1"));
    image1->setPixmap(Decoration());
    image1->setAlignment(Qt::AlignCenter);

    auto* titleFrame = new QGroupBox(QStringLiteral("Graph Title"), m_frameCentre);
    titleFrame->setObjectName(QStringLiteral("Frame1"));
    m_txtGraphTitle = new QLineEdit(titleFrame);
    m_txtGraphTitle->setObjectName(QStringLiteral("txtGraphTitle"));
    m_txtGraphTitle->setToolTip(QStringLiteral("Enter Graph Title"));
    // The title keeps at most 20 characters, typed or pasted.
    m_txtGraphTitle->setMaxLength(20);
    auto* titleLayout = new QVBoxLayout(titleFrame);
    titleLayout->addWidget(m_txtGraphTitle);

    auto* typeFrame = new QGroupBox(QStringLiteral("Graph Type"), m_frameCentre);
    typeFrame->setObjectName(QStringLiteral("Frame2"));
    auto* typeLayout = new QVBoxLayout(typeFrame);
    const std::array<std::pair<QString, GraphType>, 3> options{
        {{QStringLiteral("Lines"), GraphType::Lines},
         {QStringLiteral("Lines and Symbols"), GraphType::LinesAndSymbols},
         {QStringLiteral("Symbols Only"), GraphType::SymbolsOnly}}};
    auto* group = new QButtonGroup(this);
    for (std::size_t i = 0; i < options.size(); ++i) {
        auto* option = new QRadioButton(options[i].first, typeFrame);
        option->setObjectName(QStringLiteral("Option%1").arg(i + 1));
        group->addButton(option);
        m_options[i] = option;
        typeLayout->addWidget(option);
        const GraphType type = options[i].second;
        connect(option, &QRadioButton::clicked, this, [this, type] { Option_Click(type); });
    }
    auto* apply = Button(QStringLiteral("Command6"), QStringLiteral("Apply"), typeFrame);
    typeLayout->addWidget(apply);
    connect(apply, &QPushButton::clicked, this, &frmPeriodicDataGraph::Command6_Click);

    auto* control = new QGroupBox(QStringLiteral(" Graph Control"), m_frameCentre);
    control->setObjectName(QStringLiteral("Frame3"));
    auto* controlLayout = new QVBoxLayout(control);
    m_cmdPlotGraph = Button(QStringLiteral("cmdPlotGraph"), QStringLiteral(" Plot Graph"), control);
    auto* resetView = Button(QStringLiteral("cmdResetView"), QStringLiteral("Reset View"), control);
    resetView->setToolTip(QStringLiteral("Show the whole test again"));
    auto* reselect = Button(QStringLiteral("cmdReselect"), QStringLiteral(" ReSelect"), control);
    auto* print = Button(QStringLiteral("cmdPrintGraph"), QStringLiteral(" Print Graph"), control);
    auto* clipboard =
        Button(QStringLiteral("cmdSavetoClipboard"), QStringLiteral(" Save Graph to Clipboard"), control);
    auto* saveAs = Button(QStringLiteral("cmdSaveGraphAs"), QStringLiteral("Save Graph As..."), control);
    saveAs->setToolTip(QStringLiteral("Save the graph as shown, as a PNG picture or a PDF document"));
    auto* exit = Button(QStringLiteral("cmdExit"), QStringLiteral(" Exit"), control);
    auto* compare = Button(QStringLiteral("cmdCompare"), QStringLiteral("Compare with..."), control);
    compare->setToolTip(QStringLiteral("Draw the same channels of another test dashed over this one"));
    auto* statistics = Button(QStringLiteral("cmdStatistics"), QStringLiteral("Statistics"), control);
    statistics->setCheckable(true);
    statistics->setToolTip(QStringLiteral("Min, max, mean, standard deviation, first and last of each set"));
    for (QPushButton* b :
         {m_cmdPlotGraph, resetView, compare, statistics, reselect, print, clipboard, saveAs, exit})
        controlLayout->addWidget(b);
    connect(compare, &QPushButton::clicked, this, &frmPeriodicDataGraph::cmdCompare_Click);
    connect(statistics, &QPushButton::clicked, this, &frmPeriodicDataGraph::cmdStatistics_Click);
    connect(m_cmdPlotGraph, &QPushButton::clicked, this, &frmPeriodicDataGraph::cmdPlotGraph_Click);
    connect(resetView, &QPushButton::clicked, this, &frmPeriodicDataGraph::cmdResetView_Click);
    connect(reselect, &QPushButton::clicked, this, &frmPeriodicDataGraph::cmdReselect_Click);
    connect(print, &QPushButton::clicked, this, &frmPeriodicDataGraph::cmdPrintGraph_Click);
    connect(clipboard, &QPushButton::clicked, this, &frmPeriodicDataGraph::cmdSavetoClipboard_Click);
    connect(saveAs, &QPushButton::clicked, this, &frmPeriodicDataGraph::cmdSaveGraphAs_Click);
    connect(exit, &QPushButton::clicked, this, &frmPeriodicDataGraph::cmdExit_Click);

    auto* controls = new QVBoxLayout;
    controls->setSpacing(10);
    controls->addWidget(image1);
    controls->addWidget(titleFrame);
    controls->addWidget(typeFrame);
    controls->addWidget(control);
    controls->addStretch();
    auto* controlColumn = new QWidget(m_frameCentre);
    controlColumn->setLayout(controls);
    controlColumn->setFixedWidth(kControlWidth);
    controls->setContentsMargins(0, 0, 0, 0);

    // The statistics under the graph, hidden until asked for.
    m_statsPanel = new QWidget(m_frameCentre);
    m_statsPanel->setObjectName(QStringLiteral("fraStatistics"));
    m_statsRange = new QComboBox(m_statsPanel);
    m_statsRange->setObjectName(QStringLiteral("cboStatisticsRange"));
    m_statsRange->addItems({QStringLiteral("Over the visible range"), QStringLiteral("Over the whole test")});
    connect(m_statsRange, qOverload<int>(&QComboBox::currentIndexChanged), this,
            [this] { updateStatistics(); });
    auto* copy = Button(QStringLiteral("cmdCopyStatistics"), QStringLiteral("Copy as Text"), m_statsPanel);
    connect(copy, &QPushButton::clicked, this, &frmPeriodicDataGraph::cmdCopyStatistics_Click);
    m_statsTable = new QTableWidget(m_statsPanel);
    m_statsTable->setObjectName(QStringLiteral("grdStatistics"));
    m_statsTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_statsTable->verticalHeader()->hide();
    m_statsTable->setColumnCount(9);
    m_statsTable->verticalHeader()->setDefaultSectionSize(m_statsTable->fontMetrics().height() + 6);
    auto* statsTop = new QHBoxLayout;
    statsTop->addWidget(m_statsRange);
    statsTop->addStretch();
    statsTop->addWidget(copy);
    auto* statsLayout = new QVBoxLayout(m_statsPanel);
    statsLayout->setContentsMargins(0, 0, 0, 0);
    statsLayout->addLayout(statsTop);
    statsLayout->addWidget(m_statsTable);
    m_statsPanel->hide();
    connect(m_graph->xAxis, qOverload<const QCPRange&>(&QCPAxis::rangeChanged), this, [this] {
        if (m_statsPanel->isVisible() && m_statsRange->currentIndex() == 0)
            updateStatistics();
    });

    auto* graphColumn = new QVBoxLayout;
    graphColumn->addWidget(m_graph, 1);
    graphColumn->addWidget(m_readout);
    graphColumn->addWidget(m_statsPanel);
    auto* layout = new QHBoxLayout(m_frameCentre);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(10);
    layout->addLayout(graphColumn, 1);
    layout->addWidget(controlColumn);
}

// ---- window --------------------------------------------------------------------------------

void frmPeriodicDataGraph::Form_Activate() {
    move(0, 0);
    // Counted once however often it is activated again (after ReSelect, for instance), so that
    // closing it brings the count back.
    if (m_created)
        return;
    m_created = true;
    m_frame.WindowCreated();
}

void frmPeriodicDataGraph::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    Form_Activate();
}

void frmPeriodicDataGraph::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layOut();
}

void frmPeriodicDataGraph::layOut() {
    // The content fills the window within a small margin and sits in its middle.
    const QSize available = size() - QSize(2 * kMargin, 2 * kMargin);
    const QSize frame = available.expandedTo(kMinimumFrame);
    const int left = std::max(0, (width() - frame.width()) / 2);
    const int top = std::max(0, (height() - frame.height()) / 2);
    m_frameCentre->setGeometry(left, top, frame.width(), frame.height());
    m_txtGraphTitle->setFocus();
}

QWidget* frmPeriodicDataGraph::dialogParent() {
    // The main window when there is one: the selection may close this window while it is open.
    QWidget* top = window();
    return top != this ? top : nullptr;
}

// ---- the plot routine ----------------------------------------------------------------------

bool frmPeriodicDataGraph::runPlotRoutine(bool checkPointCount) {
    const PlotRoutine::Result result =
        PlotRoutine::build(m_state, m_settings, m_txtGraphTitle->text(), checkPointCount);
    if (result.outcome != PlotRoutine::Outcome::Drawn) {
        m_desktop.dialogs.critical(result.message);
        return false;
    }
    drawSpec(result.spec);
    return true;
}

void frmPeriodicDataGraph::drawSpec(const GraphSpec& spec) {
    m_drawing->setStyle(m_state.preferences.graphStyle);
    m_drawing->draw(spec);
    if (m_reference) {
        const QString own = m_state.playback.playbackFile.isEmpty()
                                ? QStringLiteral("This test")
                                : QFileInfo(m_state.playback.playbackFile).fileName();
        m_drawing->drawReference(*m_reference, own);
    }
    updateStatistics();
}

// ---- comparison and statistics -------------------------------------------------------------

void frmPeriodicDataGraph::cmdCompare_Click() {
    hideCursor();
    platform::FileDialog dialog;
    dialog.title = QStringLiteral("Compare with");
    dialog.filter = StoredTestOpener::kDialogFilter;
    dialog.initialFolder = m_state.folders.testFilesFolder();
    dialog.flags = platform::kDataFileDialogFlags;
    const std::optional<QString> chosen = m_desktop.dialogs.openFile(dialog);
    if (!chosen)
        return;
    auto reference = std::make_unique<ReferenceRun>();
    if (Status read = datafiles::ReadTestDataFile(*chosen, reference->data); !read) {
        m_desktop.dialogs.critical(QStringLiteral("The test data file ") + *chosen +
                                   QStringLiteral(" cannot be compared:") + QLatin1Char('\n') +
                                   read.message());
        return;
    }
    reference->fileName = QFileInfo(*chosen).fileName();
    m_reference = std::move(reference);
    const bool drawn = m_drawing->drawn();
    const QCPRange view = m_graph->xAxis->range();
    if (!drawn) {
        cmdPlotGraph_Click();
        return;
    }
    if (!runPlotRoutine(false))
        return;
    m_drawing->showWholeTest();
    m_graph->xAxis->setRange(view);
    m_graph->replot();
}

void frmPeriodicDataGraph::cmdStatistics_Click() {
    auto* button = findChild<QPushButton*>(QStringLiteral("cmdStatistics"));
    const bool show = !m_statsPanel->isVisible();
    m_statsPanel->setVisible(show);
    button->setChecked(show);
    if (show)
        updateStatistics();
}

bool frmPeriodicDataGraph::statisticsShown() const {
    return !m_statsPanel->isHidden();
}

void frmPeriodicDataGraph::setStatisticsOverWholeTest(bool whole) {
    m_statsRange->setCurrentIndex(whole ? 1 : 0);
}

std::vector<StatisticsRow> frmPeriodicDataGraph::statisticsRows() const {
    std::vector<StatisticsRow> rows;
    if (!m_drawing->drawn())
        return rows;
    const bool whole = m_statsRange->currentIndex() == 1;
    const QCPRange view = m_graph->xAxis->range();
    const double from = whole ? -std::numeric_limits<double>::infinity() : view.lower;
    const double to = whole ? std::numeric_limits<double>::infinity() : view.upper;
    for (const GraphDrawing::DrawnSet& set : m_drawing->drawnSets()) {
        std::vector<double> keys;
        std::vector<double> values;
        const auto data = set.graph->data();
        keys.reserve(std::size_t(data->size()));
        values.reserve(std::size_t(data->size()));
        for (auto it = data->constBegin(); it != data->constEnd(); ++it) {
            keys.push_back(it->key);
            values.push_back(it->value);
        }
        rows.push_back({set.label, set.file, SetStatistics::over(keys, values, from, to)});
    }
    return rows;
}

void frmPeriodicDataGraph::updateStatistics() {
    if (m_statsPanel->isHidden())
        return;
    const std::vector<StatisticsRow> rows = statisticsRows();
    const QString unit = m_drawing->unit();
    m_statsTable->setHorizontalHeaderLabels({QStringLiteral("Set"), QStringLiteral("File"),
                                             QStringLiteral("Readings"), QStringLiteral("Min (%1)").arg(unit),
                                             QStringLiteral("Max (%1)").arg(unit),
                                             QStringLiteral("Mean (%1)").arg(unit), QStringLiteral("Std dev"),
                                             QStringLiteral("First"), QStringLiteral("Last")});
    m_statsTable->setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const StatisticsRow& row = rows[static_cast<std::size_t>(r)];
        const SetStatistics& s = row.numbers;
        QStringList cells{row.set, row.file, QString::number(s.count)};
        for (double v : {s.min, s.max, s.mean, s.standardDeviation, s.first, s.last})
            cells << (s.count > 0 ? QString::number(v, 'f', 3) : QStringLiteral("-"));
        for (int c = 0; c < cells.size(); ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            if (c >= 2)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            m_statsTable->setItem(r, c, item);
        }
    }
    m_statsTable->resizeColumnsToContents();
    // As many lines as there are sets, up to six (then it scrolls), so the graph keeps its room.
    const int shown = std::clamp(static_cast<int>(rows.size()), 1, 6);
    m_statsTable->setFixedHeight(m_statsTable->horizontalHeader()->height() +
                                 shown * m_statsTable->verticalHeader()->defaultSectionSize() + 4);
}

void frmPeriodicDataGraph::cmdCopyStatistics_Click() {
    m_desktop.clipboard.setText(StatisticsText(statisticsRows(), m_drawing->unit()));
    m_frame.showNotice(QStringLiteral("Statistics copied to the clipboard"));
}

void frmPeriodicDataGraph::graphStyleChanged() {
    if (!m_drawing->drawn())
        return;
    // Drawn again in the new look; the view stays where the user left it.
    const QCPRange view = m_graph->xAxis->range();
    if (!runPlotRoutine(false))
        return;
    m_drawing->showWholeTest();
    m_graph->xAxis->setRange(view);
    m_drawing->placeLegend();
    m_graph->replot();
}

void frmPeriodicDataGraph::cmdPlotGraph_Click() {
    hideCursor();
    if (!runPlotRoutine(true))
        return;
    m_drawing->showWholeTest();
    m_graph->setInteractions(QCP::iRangeDrag | QCP::iRangeZoom);
    m_graph->axisRect()->setRangeDrag(Qt::Horizontal);
    m_graph->axisRect()->setRangeZoom(Qt::Horizontal);
    m_graph->replot();
}

void frmPeriodicDataGraph::Command6_Click() {
    cmdPlotGraph_Click();
}

void frmPeriodicDataGraph::Option_Click(GraphType type) {
    m_settings.choose(type);
}

// ---- zoom, pan and the readout -------------------------------------------------------------

void frmPeriodicDataGraph::keepViewInTest(const QCPRange& range) {
    const int points = m_drawing->pointCount();
    if (!m_drawing->drawn() || points < 2)
        return;
    const QCPRange whole(1, points);
    QCPRange view = range;
    if (view.size() >= whole.size()) {
        view = whole;
    } else {
        const double narrowest = std::min(kNarrowestView, whole.size());
        if (view.size() < narrowest)
            view = QCPRange(view.center() - narrowest / 2, view.center() + narrowest / 2);
        if (view.lower < whole.lower)
            view = QCPRange(whole.lower, whole.lower + view.size());
        if (view.upper > whole.upper)
            view = QCPRange(whole.upper - view.size(), whole.upper);
    }
    if (view != range)
        m_graph->xAxis->setRange(view);
}

void frmPeriodicDataGraph::beginViewChange() {
    if (!m_drawing->drawn())
        return;
    m_graph->setNotAntialiasedElements(QCP::aePlottables);
    m_settleTimer->start();
}

bool frmPeriodicDataGraph::viewChanging() const {
    return m_graph->notAntialiasedElements().testFlag(QCP::aePlottables);
}

void frmPeriodicDataGraph::settleView() {
    m_settleTimer->stop();
    m_graph->setNotAntialiasedElements(QCP::aeNone);
    m_drawing->placeLegend();
    m_graph->replot();
}

void frmPeriodicDataGraph::cmdResetView_Click() {
    if (!m_drawing->drawn())
        return;
    m_drawing->showWholeTest();
    m_graph->replot();
}

void frmPeriodicDataGraph::Graph1_MouseMove(const QPoint& position) {
    const int points = m_drawing->pointCount();
    if (!m_drawing->drawn() || points < 1 || m_graph->graphCount() == 0 ||
        !m_graph->axisRect()->rect().contains(position)) {
        hideCursor();
        return;
    }
    const int sample = CursorReadout::sampleAt(m_graph->xAxis->pixelToCoord(position.x()), points);
    m_readout->setText(CursorReadout::Text(sample, m_drawing->intervalSeconds(), m_drawing->valuesAt(sample),
                                           m_drawing->unit()));
    m_cursorLine->point1->setCoords(sample, 0);
    m_cursorLine->point2->setCoords(sample, 1);
    m_cursorLine->setVisible(true);
    m_graph->layer(kCursorLayer)->replot();
}

void frmPeriodicDataGraph::hideCursor() {
    m_readout->setText(kReadoutHint);
    if (!m_cursorLine->visible())
        return;
    m_cursorLine->setVisible(false);
    m_graph->layer(kCursorLayer)->replot();
}

QString frmPeriodicDataGraph::readout() const {
    return m_readout->text();
}

bool frmPeriodicDataGraph::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_graph && event->type() == QEvent::Leave)
        hideCursor();
    if (watched == m_graph && event->type() == QEvent::Resize && m_drawing->drawn() &&
        m_drawing->style().legendInside) {
        // Once the plot has taken its new size (its own resize handling comes after this).
        QTimer::singleShot(0, this, [this] {
            m_drawing->fitValueAxis();
            m_graph->replot();
        });
    }
    return QWidget::eventFilter(watched, event);
}

// ---- print, clipboard, save ----------------------------------------------------------------

QString frmPeriodicDataGraph::printerFailureMessage(const QString& description) {
    return QStringLiteral("Problems with Printer Setup...") + QLatin1Char('\n') +
           QStringLiteral("Set a Default Printer from PrinterOptions") + QLatin1Char('\n') +
           QStringLiteral("Error Description=") + description;
}

void frmPeriodicDataGraph::cmdPrintGraph_Click() {
    hideCursor();
    // The plot routine again, without its count check, on the view as it is.
    const PlotRoutine::Result result =
        PlotRoutine::build(m_state, m_settings, m_txtGraphTitle->text(), false);
    if (result.outcome == PlotRoutine::Outcome::Failed) {
        m_desktop.dialogs.message({printerFailureMessage(result.description)});
        return;
    }
    // The values fit the sets drawn now (they may have been chosen again since the last plot);
    // a zoomed view stays as the user left it.
    const bool firstDrawing = !m_drawing->drawn();
    const QCPRange view = m_graph->xAxis->range();
    drawSpec(result.spec);
    m_drawing->showWholeTest();
    if (!firstDrawing)
        m_graph->xAxis->setRange(view);
    m_graph->replot();
    // Twice the pixels of the graph on screen, so the printed lines and text stay sharp.
    const QImage picture = m_drawing->Picture({}, 2.0);
    m_picture1->setPixmap(QPixmap::fromImage(picture));
    const QString job = QStringLiteral("Corvin graph %1")
                            .arg(m_desktop.clock.now().toString(QStringLiteral("yyyy-MM-dd hh.mm.ss")));
    QString pdfFile;
    if (Status printed = m_desktop.printers.printImage(picture, platform::Orientation::Landscape, job, &pdfFile);
        !printed)
        m_desktop.dialogs.message({printerFailureMessage(printed.message())});
    else if (!pdfFile.isEmpty())
        m_frame.showNotice(QStringLiteral("Printout written to ") + pdfFile);
}

void frmPeriodicDataGraph::cmdSavetoClipboard_Click() {
    hideCursor();
    const QImage picture = m_drawing->Picture();
    m_picture1->setPixmap(QPixmap::fromImage(picture));
    m_desktop.clipboard.setImage(picture);
    m_frame.showNotice(QStringLiteral("Graph copied to the clipboard"));
}

void frmPeriodicDataGraph::cmdSaveGraphAs_Click() {
    hideCursor();
    platform::FileDialog dialog;
    dialog.title = QStringLiteral("Save Graph As");
    dialog.filter = QStringLiteral("PNG Picture (*.png)|*.png|PDF Document (*.pdf)|*.pdf");
    dialog.initialFolder = m_state.folders.testFilesFolder();
    // A name typed without an extension gets the chosen type's, before the dialog asks about
    // replacing a file of that name.
    dialog.defaultSuffix = QStringLiteral("png");
    const std::optional<QString> chosen = m_desktop.dialogs.saveFile(dialog);
    if (!chosen)
        return;
    QString path = *chosen;
    const bool pdf = path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive);
    if (!pdf && !path.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive))
        path += QStringLiteral(".png");
    const QByteArray bytes = pdf ? m_drawing->pdf() : m_drawing->png();
    if (Status saved = WriteFileAtomically(path, bytes); !saved)
        m_desktop.dialogs.critical(QStringLiteral("Problems saving the graph to ") + path +
                                   QLatin1Char('\n') + saved.message());
    else
        m_frame.showNotice(QStringLiteral("Graph saved to ") + path);
}

// ---- reselect and exit ---------------------------------------------------------------------

void frmPeriodicDataGraph::cmdReselect_Click() {
    m_state.playback.PlotChannelSelected.fill(false);
    m_state.playback.PlotChannelClicks = 0;
    // The selection's Exit ends playback, which closes this window while the selection is
    // still open: the selection does not belong to this window, and nothing of this window is
    // touched after it has been answered.
    frmPeriodDataSetup setup(m_state, m_desktop.dialogs, m_frame, dialogParent());
    connect(&setup, &frmPeriodDataSetup::graphRequested, this, [this] {
        // The graph stays as it was until the user plots again.
        raise();
        activateWindow();
    });
    setup.exec();
}

void frmPeriodicDataGraph::cmdExit_Click() {
    m_state.periodic.release();
    m_state.playback.PlotChannelOrder.fill(0);
    m_state.playback.PlotChannelClicks = 0;
    // Auto comes back and FileClose closes this window: nothing may follow.
    m_frame.report(ShellEvent::PlaybackExited);
}

void frmPeriodicDataGraph::showTestRecord(const QString& caption, const QStringList& lines) {
    setWindowTitle(QStringLiteral("Periodic Data Graph \u2014 ") + caption);
    auto* control = findChild<QGroupBox*>(QStringLiteral("Frame3"));
    if (!control || !control->layout() || findChild<QPushButton*>(QStringLiteral("cmdTestRecord")))
        return;
    auto* record = Button(QStringLiteral("cmdTestRecord"), QStringLiteral("Test Record"), control);
    record->setToolTip(QStringLiteral("Who, when, which probe and range, the note and the verdict"));
    control->layout()->addWidget(record);
    connect(record, &QPushButton::clicked, this, [this, caption, lines] {
        m_desktop.dialogs.message({QStringLiteral("Test record: ") + caption + QStringLiteral("\n\n") +
                                       lines.join(QLatin1Char('\n')),
                                   platform::Icon::Information, platform::Buttons::Ok, {}, platform::Answer::Ok});
    });
}

void frmPeriodicDataGraph::setStoredTestFile(const QString& datPath) {
    auto* control = findChild<QGroupBox*>(QStringLiteral("Frame3"));
    if (!control || !control->layout() || datPath.isEmpty() ||
        findChild<QPushButton*>(QStringLiteral("cmdTestReport")))
        return;
    auto* report = Button(QStringLiteral("cmdTestReport"), QStringLiteral("Test Report\u2026"), control);
    report->setToolTip(QStringLiteral("A one-page PDF of the test: its record, verdict, numbers and graph"));
    control->layout()->addWidget(report);
    connect(report, &QPushButton::clicked, this,
            [this, datPath] { SaveTestReport(datPath, m_desktop.dialogs, m_frame); });
}

} // namespace corvin::playback
