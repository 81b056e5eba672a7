#include "probes/frmStandardSignOn.h"
#include "probes/frmProbeLimits.h"

#include "common/TextTrim.h"
#include "common/StatusPanes.h"
#include "common/Twips.h"
#include "probes/ProbeFile.h"
#include "settings/DefaultProbeSetting.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace corvin::probes {

namespace {

const QString kProbeLoadedPane = pane::miProbeLoaded;
const QString kDefaultProbePane = pane::miDefaultProbe;
const QString kStatusPane = pane::miStatus;

// The text of an entry is the stored 16-character field; every use of it trims it first.
QString EntryName(const QTreeWidgetItem* item) {
    return item ? TrimPadding(item->text(0)) : QString();
}

bool IsNoProbeEntry(const QString& trimmedName) {
    return trimmedName.isEmpty() || trimmedName.contains(QStringLiteral("<No Probe Devices Available>"));
}

} // namespace

frmStandardSignOn::frmStandardSignOn(SharedState& state, platform::Dialogs& dialogs, MainFrame& frame,
                                     settings::RegistryStore& registry, QWidget* parent)
    : QWidget(parent), m_state(state), m_dialogs(dialogs), m_frame(frame), m_registry(registry) {
    setObjectName(QStringLiteral("frmStandardSignOn"));
    setWindowTitle(QStringLiteral("Select Test Probe"));
    buildWindow();
    Form_Load();
}

frmStandardSignOn::~frmStandardSignOn() = default;

void frmStandardSignOn::buildWindow() {
    m_frameProbeList = new QGroupBox(QStringLiteral("Select Test Probe (Checked = Default Probe)"), this);
    m_frameProbeList->setObjectName(QStringLiteral("frameProbeList"));
    m_lvmain = new QTreeWidget(m_frameProbeList);
    m_lvmain->setObjectName(QStringLiteral("lvmain"));
    m_lvmain->setToolTip(QStringLiteral("Select Test Probe (Checked = Default Probe)"));
    QStringList headers{QStringLiteral("Probe ID")};
    for (int k = 1; k <= kChannelCount; ++k)
        headers << QStringLiteral("Channel%1").arg(k);
    m_lvmain->setHeaderLabels(headers);
    m_lvmain->setRootIsDecorated(false);
    m_lvmain->setItemsExpandable(false);
    m_lvmain->setUniformRowHeights(true);
    m_lvmain->setAllColumnsShowFocus(true);
    m_lvmain->setSelectionMode(QAbstractItemView::SingleSelection);
    m_lvmain->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_lvmain->setAlternatingRowColors(true);
    m_lvmain->setStyleSheet(QStringLiteral("QTreeView::item { padding: 3px 2px; }"));
    m_lvmain->header()->setStretchLastSection(false);
    m_lvmain->header()->setSectionsMovable(false);
    auto* frameLayout = new QVBoxLayout(m_frameProbeList);
    frameLayout->addWidget(m_lvmain);

    m_cmdGO = new QPushButton(QStringLiteral("Go"), this);
    m_cmdGO->setObjectName(QStringLiteral("cmdGO"));
    m_cmdGO->setMinimumWidth(TwipsToPixels(1200));
    m_cmdGO->adjustSize();
    m_lblProbeSelect = new QLabel(QStringLiteral("Select Probe Device"), this);
    m_lblProbeSelect->setObjectName(QStringLiteral("lblProbeSelect"));
    QFont bold = m_lblProbeSelect->font();
    bold.setBold(true);
    m_lblProbeSelect->setFont(bold);

    connect(m_cmdGO, &QPushButton::clicked, this, &frmStandardSignOn::cmdGO_Click);
    m_cmdLimits = new QPushButton(QStringLiteral("Limits\u2026"), this);
    m_cmdLimits->setObjectName(QStringLiteral("cmdLimits"));
    m_cmdLimits->setToolTip(QStringLiteral("The currents each channel of the selected probe must stay within"));
    m_cmdLimits->setMinimumWidth(TwipsToPixels(1200));
    m_cmdLimits->adjustSize();
    connect(m_cmdLimits, &QPushButton::clicked, this, &frmStandardSignOn::editLimits);
    connect(m_lvmain, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current) { lvmain_ItemClick(current); });
    connect(m_lvmain, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item) { lvmain_ItemClick(item); });
    connect(m_lvmain, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int column) {
        if (column == 0)
            lvmain_ItemCheck(item);
    });
    connect(m_lvmain, &QTreeWidget::itemDoubleClicked, this, [this] { lvmain_DblClick(); });
}

void frmStandardSignOn::keyPressEvent(QKeyEvent* event) {
    // Escape closes the window as its close box does.
    if (event->matches(QKeySequence::Cancel))
        closeWindow();
    else
        QWidget::keyPressEvent(event);
}

void frmStandardSignOn::Form_Load() {
    m_state.DefaultProbeName = settings::ReadDefaultProbeName(m_registry);
    m_goPressed = false;
    m_lblProbeSelect->setText(QStringLiteral("Select Probe Device"));

    const QSignalBlocker quiet(m_lvmain);
    m_lvmain->clear();
    const auto listing = ReadProbeListing(m_state.folders.ProbesFolder);
    if (listing.empty()) {
        auto* item = new QTreeWidgetItem(m_lvmain, QStringList{noProbesText()});
        item->setCheckState(0, Qt::Unchecked);
    }
    for (const ProbeListing& probe : listing) {
        QStringList texts{probe.record.Probe_Name};
        for (const QString& channel : probe.record.Ch)
            texts << channel;
        auto* item = new QTreeWidgetItem(m_lvmain, texts);
        item->setToolTip(0, probe.path);
    }

    const QString defaultName = TrimSpaces(m_state.DefaultProbeName).toUpper();
    for (int i = 0; i < m_lvmain->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = m_lvmain->topLevelItem(i);
        const bool isDefault = !defaultName.isEmpty() && EntryName(item).toUpper() == defaultName;
        item->setCheckState(0, isDefault ? Qt::Checked : Qt::Unchecked);
    }
    // Every column is wide enough for a full 16-character field, so the list reads as a table
    // whatever the names.
    const int fieldWidth = m_lvmain->fontMetrics().averageCharWidth() * 16 + TwipsToPixels(240);
    for (int c = 0; c < m_lvmain->columnCount(); ++c) {
        m_lvmain->resizeColumnToContents(c);
        m_lvmain->setColumnWidth(c, std::max(m_lvmain->columnWidth(c), fieldWidth));
    }

    // The list starts on its first entry.
    QTreeWidgetItem* first = m_lvmain->topLevelItem(0);
    m_lvmain->setCurrentItem(first);
    showSelection(first);

    m_frame.showStatus(kDefaultProbePane, defaultName);
    m_frame.showStatus(kStatusPane, QStringLiteral("Waiting Probe selection"));
}

void frmStandardSignOn::Form_Activate() {
    move(0, 0);
    if (m_registered)
        return;
    m_registered = true;
    m_frame.WindowCreated();
}

void frmStandardSignOn::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    Form_Activate();
}

void frmStandardSignOn::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layOut();
}

void frmStandardSignOn::layOut() {
    // The frame keeps the size its list wants, as far as the window allows, and sits in the
    // middle; Go stands 500 twips above the frame's top edge at its left edge, the label 400
    // twips above it, 100 twips right of Go. The frame never rises so high that Go would leave
    // the window.
    const int margin = TwipsToPixels(300);
    int wanted = 2 * TwipsToPixels(240) + m_lvmain->frameWidth() * 2;
    for (int c = 0; c < m_lvmain->columnCount(); ++c)
        wanted += m_lvmain->columnWidth(c);
    const int frameWidth = std::max(TwipsToPixels(4500), std::min(wanted, width() - 2 * margin));
    const int aboveFrame = TwipsToPixels(500) + margin;
    const int frameHeight =
        std::max(TwipsToPixels(2400), std::min(height() * 3 / 5, height() - aboveFrame - margin));
    const int left = std::max(0, (width() - frameWidth) / 2);
    const int top = std::max(aboveFrame, (height() - frameHeight) / 2);
    m_frameProbeList->setGeometry(left, top, frameWidth, frameHeight);
    m_cmdLimits->move(left, top + frameHeight + TwipsToPixels(100));

    m_cmdGO->move(left, top - TwipsToPixels(500));
    m_lblProbeSelect->move(m_cmdGO->geometry().right() + 1 + TwipsToPixels(100), top - TwipsToPixels(400));
    m_lblProbeSelect->resize(std::max(0, width() - m_lblProbeSelect->x() - margin),
                             m_lblProbeSelect->sizeHint().height());
    m_lvmain->setFocus();
}

void frmStandardSignOn::showSelection(QTreeWidgetItem* item) {
    const QString name = EntryName(item);
    m_selectedFile = name + QStringLiteral(".Prb");
    m_lblProbeSelect->setText(QStringLiteral("Current Probe Selection= ") + name + QStringLiteral(".Prb"));
}

void frmStandardSignOn::lvmain_ItemClick(QTreeWidgetItem* item) {
    if (item)
        showSelection(item);
}

void frmStandardSignOn::lvmain_ItemCheck(QTreeWidgetItem* item) {
    if (m_checking || !item || item->checkState(0) != Qt::Checked)
        return; // turning a check mark off leaves the default probe as it was
    m_checking = true;
    for (int i = 0; i < m_lvmain->topLevelItemCount(); ++i) {
        QTreeWidgetItem* other = m_lvmain->topLevelItem(i);
        other->setCheckState(0, other == item ? Qt::Checked : Qt::Unchecked);
    }
    m_checking = false;
    m_state.DefaultProbeName = EntryName(item);
    m_frame.showStatus(kDefaultProbePane, m_state.DefaultProbeName.toUpper());
}

void frmStandardSignOn::lvmain_DblClick() {
    loadSelectedProbe(false);
}

void frmStandardSignOn::cmdGO_Click() {
    loadSelectedProbe(true);
}

void frmStandardSignOn::loadSelectedProbe(bool saveDefault) {
    const QString name = EntryName(m_lvmain->currentItem());
    if (IsNoProbeEntry(name)) {
        m_leaving = true;
        closeWindow();
        m_frame.report(ShellEvent::ProbeGoWithoutProbe);
        return;
    }

    // The file was there when the list was made; if it has gone or cannot be read since, say so
    // and stay, rather than starting a test with a probe that is not there.
    const QString& folder = m_state.folders.ProbesFolder;
    const auto path = ResolveProbePath(folder, name);
    cProbe probe;
    const Status read = path ? ReadProbeFile(*path, probe)
                             : Status::failure(QStringLiteral("The probe file is no longer in ") + folder);
    if (!read) {
        m_dialogs.critical(QStringLiteral("Problems reading the probe file ") + name +
                           QStringLiteral(".Prb") + QLatin1Char('\n') + read.message());
        return;
    }
    m_state.CurrentProbe = probe;

    m_frame.showStatus(kProbeLoadedPane, QStringLiteral("Probe ") + name + QStringLiteral(" loaded"));
    m_frame.showStatus(kStatusPane, QStringLiteral("Waitng RANGE selection"));
    if (saveDefault) {
        saveDefaultProbeName();
        m_goPressed = true;
    }
    m_leaving = true;
    m_frame.openTestWindow();
    closeWindow();
}

void frmStandardSignOn::saveDefaultProbeName() {
    // The window carries on whether or not the setting could be stored, as it always has; the
    // status bar says when it could not.
    if (const Status stored = settings::WriteDefaultProbeName(m_registry, m_state.DefaultProbeName); !stored)
        m_frame.showNotice(QStringLiteral("The default probe could not be stored: ") + stored.message());
}

void frmStandardSignOn::closeWindow() {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
        sub->close();
    else
        close();
}

void frmStandardSignOn::closeEvent(QCloseEvent* event) {
    // The main window counts its child windows when it closes one, so the count goes down here,
    // at once, and not when the window is finally deleted.
    if (!m_closed) {
        m_closed = true;
        if (!m_goPressed)
            saveDefaultProbeName();
        if (m_registered)
            m_frame.WindowDestroyed();
        // Left by its own close rather than by Go: the main window's commands come back.
        if (!m_leaving)
            m_frame.report(ShellEvent::ProbeSelectionClosed);
    }
    event->accept();
}

void frmStandardSignOn::editLimits() {
    QTreeWidgetItem* item = m_lvmain->currentItem();
    const QString name = item ? EntryName(item) : QString();
    if (name.isEmpty() || name == noProbesText()) {
        m_dialogs.information(QStringLiteral("Select a probe device first."));
        return;
    }
    std::array<QString, kChannelCount> names;
    for (int k = 1; k <= kChannelCount; ++k)
        names[std::size_t(k - 1)] = item->text(k);
    EditProbeLimits(name, m_state.folders.ProbesFolder, names, m_dialogs, this);
}

} // namespace corvin::probes
