#pragma once
// The "Data File Conversion Utility": loads a stored test data file, shows its seven channel names
// and converts its readings into a spreadsheet workbook through the spreadsheet export. It works on
// the program's shared periodic data set.
//
// The buttons and the "&File" menu run the same commands with a few differences: the menu's
// "&Open" sets no title and no start folder on the window's file dialog (it keeps those of the
// dialog's last use, also a save's) and wants ".dat" in lower case where the button takes any
// case; the menu's "&Convirt" likewise sets no title or folder, and writes A2 as a date-time value
// and B3 as a number where the button writes both as text. Ctrl+O, Ctrl+C and Ctrl+U run the
// menu's commands wherever the focus is. The close box is refused: Exit closes the window.
//
// States: no file -> (Open) -> file loaded -> (Convert) -> loaded and converted -> (Unload) -> no
// file. A converted file is not converted again until it is opened again; a cancelled save
// unloads the file (it is still on disc).

#include "common/AtomicFile.h"
#include "common/SharedState.h"
#include "datafiles/ExportProgress.h"
#include "platform/Desktop.h"

#include <QDateTime>
#include <QDialog>
#include <array>

class QGroupBox;
class QLabel;
class QMenuBar;
class QProgressBar;
class QPushButton;
class QStatusBar;

namespace corvin::datafiles {

class frmDataEntry : public QDialog, private ExportProgress {
    Q_OBJECT
public:
    // `files` makes the files the workbooks are written through (tests hand in one whose files
    // fail); null: ordinary files. It must outlive the window.
    frmDataEntry(SharedState& state, platform::Desktop& desktop, QWidget* parent = nullptr,
                 const AtomicFileFactory* files = nullptr);

    static constexpr int kMinimumWidthTwips = 6615;
    static constexpr int kMinimumHeightTwips = 4290;

    // The handlers, callable directly; the widgets and the menu call them too.
    void cmdConvirt_Click();  // "Open (.DAT) File"
    void cmdSaveFile_Click(); // "Convert to Excel File"
    void cmdUnload_Click();   // "Unload (.DAT) File"
    void cmdExit_Click();
    void mnuOpen_Click();
    void mnuConvirt_Click();
    void mnuUnloadDatFile_Click();
    void mnuExit_Click();

    // Top = screen height / first - window height / second, Left likewise: (2, 2) centres.
    bool Centre(int first, int second);

    bool fileLoaded() const { return m_fileLoaded; }
    bool alreadyConverted() const { return m_alreadyConverted; }
    // The window's file dialog settings, as the next dialog would start from them.
    const platform::FileDialog& commonDialog() const { return m_commonDialog; }
    QString statusText() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override; // Escape: nothing, the window has no Cancel
    void mousePressEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildWindow();
    void open(bool fromMenu);
    void convert(bool fromMenu);
    void unload();
    void exitWindow();
    // Reads `path` into the shared data set; false (message shown) when it cannot.
    bool readFile(const QString& path);
    QString dataFolder() const;
    void clearNames();
    void showNames();
    void setStatus(const QString& text);
    void setProgress(int value);
    void showActivity(const QString& text);
    void hideActivity();

    // ExportProgress
    void headerWritten() override;
    void columnWritten(int value) override;

    SharedState& m_state;
    platform::Desktop& m_desktop;
    AtomicFileFactory m_ordinaryFiles;
    const AtomicFileFactory* m_files;

    bool m_fileLoaded = false;
    bool m_alreadyConverted = false;
    bool m_closing = false;
    bool m_centred = false;
    bool m_centreOnActivation = false; // the first activation, once the frame exists
    QDateTime m_startTime;
    platform::FileDialog m_commonDialog; // CommonDialog1: one for opening and saving

    QMenuBar* m_menuBar = nullptr;
    QGroupBox* m_frame = nullptr;
    std::array<QLabel*, kChannelCount> m_channelLabels{}; // Label1..Label7
    std::array<QLabel*, kChannelCount> m_nameLabels{};    // Label8(0..6)
    QLabel* m_label9 = nullptr;
    QProgressBar* m_progressBar1 = nullptr;
    QStatusBar* m_statusBar1 = nullptr;
    QLabel* m_statusText = nullptr;
    QPushButton* m_cmdConvirt = nullptr;
    QPushButton* m_cmdSaveFile = nullptr;
    QPushButton* m_cmdUnload = nullptr;
    QPushButton* m_cmdExit = nullptr;
};

} // namespace corvin::datafiles
