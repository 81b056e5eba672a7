#include "history/frmTestHistory.h"

#include "history/HistoryFilter.h"
#include "history/TestHistory.h"
#include "history/frmProbeTrend.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QUrl>
#include <QVBoxLayout>

namespace corvin::history {
namespace {

QDateEdit* DateEdit(QWidget* parent, const QDate& date) {
    auto* edit = new QDateEdit(date, parent);
    edit->setCalendarPopup(true);
    edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    edit->setEnabled(false);
    return edit;
}

} // namespace

frmTestHistory::frmTestHistory(TestHistory& history, platform::Desktop& desktop, QString probesFolder,
                               std::function<void(const QString&)> openTest, QWidget* parent)
    : QDialog(parent), m_history(history), m_desktop(desktop), m_probesFolder(std::move(probesFolder)),
      m_openTest(std::move(openTest)) {
    setWindowTitle(QStringLiteral("Test History"));
    setObjectName(QStringLiteral("frmTestHistory"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto* filters = new QHBoxLayout;
    m_text = new QLineEdit(this);
    m_text->setObjectName(QStringLiteral("filterText"));
    m_text->setPlaceholderText(QStringLiteral("Probe, note or file name"));
    m_text->setClearButtonEnabled(true);
    filters->addWidget(m_text, 3);
    const QDate today = m_desktop.clock.now().date();
    m_fromOn = new QCheckBox(QStringLiteral("From"), this);
    m_from = DateEdit(this, today.addMonths(-1));
    m_toOn = new QCheckBox(QStringLiteral("To"), this);
    m_to = DateEdit(this, today);
    m_verdict = new QComboBox(this);
    m_verdict->setObjectName(QStringLiteral("verdictChoice"));
    m_verdict->addItem(QStringLiteral("Any verdict"), QString());
    for (const char* v : {"PASS", "MARGINAL", "FAIL", "NOT JUDGED", "UNREADABLE"})
        m_verdict->addItem(QString::fromLatin1(v), QString::fromLatin1(v));
    for (QWidget* w : std::initializer_list<QWidget*>{m_fromOn, m_from, m_toOn, m_to, m_verdict})
        filters->addWidget(w);
    auto* rescanButton = new QPushButton(QStringLiteral("&Rescan"), this);
    rescanButton->setToolTip(
        QStringLiteral("Look through the test folders again for new, changed and deleted files"));
    filters->addWidget(rescanButton);

    m_sorted = new QSortFilterProxyModel(this);
    m_sorted->setSourceModel(&m_model);
    m_sorted->setSortRole(HistoryTableModel::kSortRole);
    m_table = new QTableView(this);
    m_table->setObjectName(QStringLiteral("historyTable"));
    m_table->setModel(m_sorted);
    m_table->setSortingEnabled(true);
    m_table->sortByColumn(HistoryTableModel::Start, Qt::DescendingOrder);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setAlternatingRowColors(true);
    m_table->setWordWrap(false);
    m_table->verticalHeader()->hide();
    QHeaderView* header = m_table->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setStretchLastSection(true);
    auto* actions = new QHBoxLayout;
    m_foot = new QLabel(this);
    m_foot->setObjectName(QStringLiteral("footText"));
    m_foot->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_foot->setWordWrap(true);
    actions->addStretch(1);
    auto* open = new QPushButton(QStringLiteral("&Open"), this);
    auto* showFile = new QPushButton(QStringLiteral("Show &file"), this);
    auto* trend = new QPushButton(QStringLiteral("&Trend..."), this);
    auto* folder = new QPushButton(QStringLiteral("&Add folder..."), this);
    folder->setToolTip(QStringLiteral("Add a folder of test data files to the rescan"));
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    for (QPushButton* b : {open, showFile, trend, folder, close})
        actions->addWidget(b);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(filters);
    layout->addWidget(m_table, 1);
    layout->addWidget(m_foot);
    layout->addLayout(actions);
    fitColumns();

    connect(m_text, &QLineEdit::textChanged, this, &frmTestHistory::applyFilter);
    for (QCheckBox* on : {m_fromOn, m_toOn}) {
        connect(on, &QCheckBox::toggled, this, [this] {
            m_from->setEnabled(m_fromOn->isChecked());
            m_to->setEnabled(m_toOn->isChecked());
            applyFilter();
        });
    }
    for (QDateEdit* date : {m_from, m_to})
        connect(date, &QDateEdit::dateChanged, this, &frmTestHistory::applyFilter);
    connect(m_verdict, &QComboBox::currentIndexChanged, this, &frmTestHistory::applyFilter);
    connect(m_table, &QTableView::doubleClicked, this, &frmTestHistory::openSelected);
    connect(open, &QPushButton::clicked, this, &frmTestHistory::openSelected);
    connect(showFile, &QPushButton::clicked, this, &frmTestHistory::showSelectedFile);
    connect(trend, &QPushButton::clicked, this, &frmTestHistory::showTrend);
    connect(folder, &QPushButton::clicked, this, &frmTestHistory::addFolder);
    connect(rescanButton, &QPushButton::clicked, this, &frmTestHistory::rescan);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    connect(&m_history, &TestHistory::rescanFinished, this, [this](const QString& text, bool) {
        m_lastNews = text;
        reload();
    });
    connect(&m_history, &TestHistory::serverStateChanged, this, &frmTestHistory::showFoot);
    connect(&m_history, &TestHistory::serverReachChanged, this, &frmTestHistory::reload);
    reload();
}

void frmTestHistory::fitColumns() {
    // Each column as wide as its longest usual text (measuring every row of a long history
    // would take longer than reading it), in the font the window has now.
    const QFontMetrics metrics = m_table->fontMetrics();
    const char* const widest[HistoryTableModel::ColumnCount] = {
        "DEMO PROBE 1234", "2026-12-31 23:59",           "Rows 99",
        "Interval",        "FAIL (data changed)",        "Operator",
        "bench-12",        "a note of a few words here", "a-test-file-name.DAT"};
    QHeaderView* header = m_table->horizontalHeader();
    for (int c = 0; c < HistoryTableModel::ColumnCount; ++c)
        header->resizeSection(c, metrics.horizontalAdvance(QString::fromLatin1(widest[c])) +
                                     3 * metrics.averageCharWidth());
    m_table->verticalHeader()->setDefaultSectionSize(metrics.height() + 6);
    // Room for every column at once where the screen allows.
    const int wanted = header->length() + 6 * metrics.averageCharWidth();
    const QWidget* frame = parentWidget();
    resize(frame ? std::min(wanted, frame->width() * 9 / 10) : wanted,
           frame ? std::min(metrics.height() * 36, frame->height() * 8 / 10) : metrics.height() * 36);
}

void frmTestHistory::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::FontChange && m_table)
        fitColumns();
}

void frmTestHistory::reload() {
    if (Status s = m_history.entries(m_all, {.probe = {}, .listing = true}); !s)
        m_lastNews = s.message();
    applyFilter();
}

void frmTestHistory::applyFilter() {
    HistoryFilter filter;
    filter.text = m_text->text().trimmed();
    if (m_fromOn->isChecked())
        filter.from = m_from->date();
    if (m_toOn->isChecked())
        filter.to = m_to->date();
    filter.verdict = m_verdict->currentData().toString();
    m_model.setEntries(Filtered(m_all, filter));
    showFoot();
}

void frmTestHistory::showFoot() {
    QString text = QStringLiteral("%1 of %2 tests, from %3.")
                       .arg(m_model.rowCount())
                       .arg(m_all.size())
                       .arg(m_history.sourceText());
    if (!m_history.serverState().isEmpty())
        text += QLatin1Char(' ') + m_history.serverState() + QLatin1Char('.');
    if (m_history.rescanRunning())
        text += QStringLiteral(" Rescanning...");
    else if (!m_lastNews.isEmpty())
        text += QLatin1Char(' ') + m_lastNews + QLatin1Char('.');
    m_foot->setText(text);
}

const TestEntry* frmTestHistory::selectedEntry() const {
    QModelIndex index = m_table->currentIndex();
    const QModelIndexList rows = m_table->selectionModel()->selectedRows();
    if (!rows.isEmpty())
        index = rows.first();
    if (!index.isValid())
        return nullptr;
    return &m_model.entryAt(m_sorted->mapToSource(index).row());
}

const TestEntry* frmTestHistory::selectedHere() const {
    const TestEntry* e = selectedEntry();
    if (!e) {
        m_desktop.dialogs.information(QStringLiteral("Choose a test in the list first."));
        return nullptr;
    }
    if (e->station != m_history.station()) {
        m_desktop.dialogs.information(
            QStringLiteral("This test was saved on the station %1, which holds its file:\n%2")
                .arg(e->station, e->path));
        return nullptr;
    }
    return e;
}

void frmTestHistory::openSelected() {
    const TestEntry* e = selectedHere();
    if (!e)
        return;
    if (!QFileInfo::exists(e->path)) {
        m_desktop.dialogs.information(
            QStringLiteral("The file %1 is no longer there. Rescan to bring the history up to date.")
                .arg(e->path));
        return;
    }
    m_openTest(e->path);
}

void frmTestHistory::showSelectedFile() {
    if (const TestEntry* e = selectedHere())
        m_desktop.help.openUrl(QUrl::fromLocalFile(QFileInfo(e->path).absolutePath()));
}

void frmTestHistory::showTrend() {
    const TestEntry* e = selectedEntry();
    const QStringList probes = ProbesIn(m_all);
    if (probes.isEmpty()) {
        m_desktop.dialogs.information(
            QStringLiteral("No test in the history names its probe: there is no trend to show."));
        return;
    }
    const QString probe = e && !e->probe.isEmpty() ? e->probe : probes.first();
    const auto testsOf = [this](const QString& name) {
        std::vector<TestEntry> tests;
        if (Status s = m_history.entries(tests, {.probe = name}); !s)
            m_desktop.dialogs.critical(s.message());
        return tests;
    };
    auto* trend = new frmProbeTrend(probes, probe, testsOf, m_probesFolder, m_desktop, this);
    trend->show();
}

void frmTestHistory::addFolder() {
    platform::FileDialog dialog;
    dialog.title = QStringLiteral("Add a folder of test data files");
    const std::optional<QString> folder = m_desktop.dialogs.chooseFolder(dialog);
    if (!folder)
        return;
    if (Status s = m_history.addFolder(*folder); !s) {
        m_desktop.dialogs.critical(s.message());
        return;
    }
    m_lastNews = QStringLiteral("%1 added to the folders the rescan looks through")
                     .arg(QDir::toNativeSeparators(*folder));
    rescan();
}

void frmTestHistory::rescan() {
    m_history.startRescan();
    showFoot();
}

} // namespace corvin::history
