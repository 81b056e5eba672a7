#pragma once
// The Test History window: every catalogued test, newest first, with a filter (text in the
// probe's name, the note or the file's name; a range of dates; a verdict), sortable columns, and
// from a test: open it for playback, show its file in the file manager, or the trend of its
// probe across tests.

#include "history/HistoryTableModel.h"
#include "platform/Desktop.h"

#include <QDialog>
#include <functional>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QSortFilterProxyModel;
class QTableView;

namespace corvin::history {

class TestHistory;

class frmTestHistory : public QDialog {
    Q_OBJECT
public:
    // `openTest` opens a test data file for playback as File > Open does (the main window's rules
    // apply: a running test refuses it). `probesFolder` holds the probes' limits for the trend.
    frmTestHistory(TestHistory& history, platform::Desktop& desktop, QString probesFolder,
                   std::function<void(const QString&)> openTest, QWidget* parent = nullptr);

    // Reads the history again and shows it under the current filter.
    void reload();
    // The filter's controls, applied (the controls call this as they change).
    void applyFilter();

    void openSelected();
    void showSelectedFile();
    void showTrend();
    void addFolder();
    void rescan();

    QTableView* table() const { return m_table; }
    QLineEdit* filterText() const { return m_text; }
    QComboBox* verdictChoice() const { return m_verdict; }
    QLabel* footText() const { return m_foot; }
    const HistoryTableModel& model() const { return m_model; }

protected:
    void changeEvent(QEvent* event) override;

private:
    void fitColumns();
    // The test of the selected row (of the current row when none is selected), or null.
    const TestEntry* selectedEntry() const;
    // The same when this station holds its file; otherwise the user is told why not, and null.
    const TestEntry* selectedHere() const;
    void showFoot();

    TestHistory& m_history;
    platform::Desktop& m_desktop;
    QString m_probesFolder;
    std::function<void(const QString&)> m_openTest;
    std::vector<TestEntry> m_all;
    HistoryTableModel m_model;
    QSortFilterProxyModel* m_sorted = nullptr;
    QTableView* m_table = nullptr;
    QLineEdit* m_text = nullptr;
    QCheckBox* m_fromOn = nullptr;
    QDateEdit* m_from = nullptr;
    QCheckBox* m_toOn = nullptr;
    QDateEdit* m_to = nullptr;
    QComboBox* m_verdict = nullptr;
    QLabel* m_foot = nullptr;
    QString m_lastNews; // the last rescan's summary, or why the history could not be read
};

} // namespace corvin::history
