#include "datafiles/frmDataEntry.h"

#include "common/Twips.h"
#include "datafiles/SpreadsheetExport.h"
#include "datafiles/TestDataFile.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace corvin::datafiles {
namespace {

const QString kNoFileLoaded = QStringLiteral("No File Loaded");
const QString kFileLoaded = QStringLiteral("File Loaded");
const QString kDataFileFilter = QStringLiteral("Data Files (*.DAT)|*.DAT");

} // namespace

frmDataEntry::frmDataEntry(SharedState& state, platform::Desktop& desktop, QWidget* parent,
                           const AtomicFileFactory* files)
    : QDialog(parent), m_state(state), m_desktop(desktop), m_files(files ? files : &m_ordinaryFiles) {
    setObjectName(QStringLiteral("frmDataEntry"));
    setWindowTitle(QStringLiteral("Data File Conversion Utility"));
    setModal(true);
    buildWindow();
    setMinimumSize(TwipsToPixels(kMinimumWidthTwips), TwipsToPixels(kMinimumHeightTwips));
    // A little room beyond the minimum, as the window was designed.
    resize(minimumSize() * 6 / 5);

    // Form_Load: the window is centred once it has its size (showEvent).
    m_fileLoaded = false;
    setStatus(kNoFileLoaded);
}

void frmDataEntry::buildWindow() {
    m_menuBar = new QMenuBar(this);
    QMenu* file = m_menuBar->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    const auto item = [this, file](const char* name, const char* caption, QKeyCombination key,
                                   void (frmDataEntry::*handler)()) {
        QAction* a = file->addAction(QString::fromLatin1(caption));
        a->setObjectName(QString::fromLatin1(name));
        if (key != QKeyCombination())
            a->setShortcut(QKeySequence(key));
        connect(a, &QAction::triggered, this, handler);
        return a;
    };
    item("mnuOpen", "&Open", Qt::CTRL | Qt::Key_O, &frmDataEntry::mnuOpen_Click);
    item("mnuConvirt", "&Convirt", Qt::CTRL | Qt::Key_C, &frmDataEntry::mnuConvirt_Click);
    item("mnuUnloadDatFile", "&Unload", Qt::CTRL | Qt::Key_U, &frmDataEntry::mnuUnloadDatFile_Click);
    file->addSeparator();
    item("mnuExit", "Exit", QKeyCombination(), &frmDataEntry::mnuExit_Click);

    m_frame = new QGroupBox(QStringLiteral("Test Probe"), this);
    m_frame->setObjectName(QStringLiteral("Frame1"));
    auto* grid = new QGridLayout(m_frame);
    for (int k = 1; k <= kChannelCount; ++k) {
        auto* label = new QLabel(QStringLiteral("Channel %1").arg(k), m_frame);
        label->setObjectName(QStringLiteral("Label%1").arg(k));
        auto* name = new QLabel(m_frame);
        name->setObjectName(QStringLiteral("Label8_%1").arg(k - 1));
        name->setFrameShape(QFrame::Panel);
        name->setFrameShadow(QFrame::Sunken);
        name->setTextFormat(Qt::PlainText);
        // Room for a 20-character name, one line high however tall the window grows.
        name->setMinimumWidth(name->fontMetrics().horizontalAdvance(QString(20, QLatin1Char('M'))) * 3 / 4);
        name->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
        grid->addWidget(label, k - 1, 0);
        grid->addWidget(name, k - 1, 1);
        m_channelLabels[std::size_t(k - 1)] = label;
        m_nameLabels[std::size_t(k - 1)] = name;
    }
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(kChannelCount, 1); // the spare height goes below the seventh channel

    const auto button = [this](const char* name, const char* caption, void (frmDataEntry::*handler)()) {
        auto* b = new QPushButton(QString::fromLatin1(caption), this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, handler);
        return b;
    };
    m_cmdConvirt = button("cmdConvirt", "Open (.DAT) File", &frmDataEntry::cmdConvirt_Click);
    m_cmdSaveFile = button("cmdSaveFile", "Convert to Excel File", &frmDataEntry::cmdSaveFile_Click);
    m_cmdUnload = button("cmdUnload", "Unload (.DAT) File", &frmDataEntry::cmdUnload_Click);
    m_cmdExit = button("cmdExit", "Exit", &frmDataEntry::cmdExit_Click);
    m_cmdConvirt->installEventFilter(this);

    m_label9 = new QLabel(this);
    m_label9->setObjectName(QStringLiteral("Label9"));
    m_label9->setVisible(false);
    m_progressBar1 = new QProgressBar(this);
    m_progressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    m_progressBar1->setRange(1, 1);
    m_progressBar1->setValue(1);
    m_progressBar1->setTextVisible(false);
    m_statusBar1 = new QStatusBar(this);
    m_statusBar1->setObjectName(QStringLiteral("StatusBar1"));
    m_statusBar1->setSizeGripEnabled(true);
    m_statusText = new QLabel(m_statusBar1);
    m_statusText->setObjectName(QStringLiteral("StatusBar1Panel1"));
    m_statusBar1->addWidget(m_statusText, 1);

    auto* buttons = new QVBoxLayout;
    for (QPushButton* b : {m_cmdConvirt, m_cmdSaveFile, m_cmdUnload})
        buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(m_cmdExit);
    auto* top = new QHBoxLayout;
    top->addWidget(m_frame, 1);
    top->addLayout(buttons);
    auto* outer = new QVBoxLayout(this);
    outer->setMenuBar(m_menuBar);
    outer->addLayout(top, 1);
    outer->addWidget(m_label9);
    outer->addWidget(m_progressBar1);
    outer->addWidget(m_statusBar1);
    outer->setContentsMargins(outer->contentsMargins().left(), outer->contentsMargins().top(),
                              outer->contentsMargins().right(), 0);
}

// ---- the commands -------------------------------------------------------------------------------

void frmDataEntry::cmdConvirt_Click() {
    open(false);
}

void frmDataEntry::mnuOpen_Click() {
    open(true);
}

void frmDataEntry::cmdSaveFile_Click() {
    convert(false);
}

void frmDataEntry::mnuConvirt_Click() {
    convert(true);
}

void frmDataEntry::cmdUnload_Click() {
    unload();
}

void frmDataEntry::mnuUnloadDatFile_Click() {
    unload();
}

void frmDataEntry::cmdExit_Click() {
    exitWindow();
}

void frmDataEntry::mnuExit_Click() {
    exitWindow();
}

void frmDataEntry::open(bool fromMenu) {
    m_cmdSaveFile->setEnabled(false);
    m_alreadyConverted = false;
    m_state.periodic.SampleCount = 0;

    if (!fromMenu) {
        m_commonDialog.title = QStringLiteral("Open DAT File");
        m_commonDialog.initialFolder = dataFolder();
        if (!m_commonDialog.initialFolder.isEmpty())
            QDir().mkpath(m_commonDialog.initialFolder);
    }
    m_commonDialog.fileName.clear();
    m_commonDialog.filter = kDataFileFilter;
    m_commonDialog.flags = platform::kDataFileDialogFlags;
    m_commonDialog.defaultSuffix.clear();
    const std::optional<QString> chosen = m_desktop.dialogs.openFile(m_commonDialog);
    if (!chosen || chosen->isEmpty()) {
        clearNames();
        m_state.periodic.release();
        m_cmdSaveFile->setEnabled(true);
        m_cmdConvirt->setEnabled(true);
        m_fileLoaded = false;
        setStatus(kNoFileLoaded);
        m_cmdConvirt->setFocus();
        return;
    }

    // The button takes ".DAT" in any letter case anywhere in the name; the menu only ".dat".
    const bool dataFileName = fromMenu ? chosen->contains(QLatin1String(".dat"))
                                       : chosen->toUpper().contains(QLatin1String(".DAT"));
    if (!dataFileName) {
        m_desktop.dialogs.information(QStringLiteral("File must be (.Dat)"));
        clearNames();
        m_fileLoaded = false;
        setStatus(kNoFileLoaded);
    } else if (!readFile(*chosen)) {
        m_cmdSaveFile->setEnabled(true);
        m_cmdConvirt->setEnabled(true);
        return;
    }
    m_cmdSaveFile->setEnabled(true);
    m_cmdConvirt->setEnabled(true);
    m_cmdSaveFile->setFocus();
}

bool frmDataEntry::readFile(const QString& path) {
    // The bar runs over the rows the file's length promises.
    const int rows = RowsForLength(QFileInfo(path).size()).value_or(1);
    showActivity(QStringLiteral("Reading (.DAT) File"));
    m_progressBar1->setRange(1, std::max(1, rows));
    setProgress(1);

    const Status read = ReadTestDataFile(path, m_state.periodic);
    if (!read) {
        hideActivity();
        // The names of a file loaded before would no longer belong to what is loaded.
        clearNames();
        m_desktop.dialogs.message({QStringLiteral("Problems Reading File Back Corrupted Data ! "),
                                   platform::Icon::None, platform::Buttons::Ok, read.message()});
        m_fileLoaded = false;
        setStatus(kNoFileLoaded);
        return false;
    }
    setProgress(m_state.periodic.SampleCapacity);
    showNames();
    m_fileLoaded = true;
    setStatus(kFileLoaded);
    hideActivity();
    setProgress(1);
    return true;
}

void frmDataEntry::convert(bool fromMenu) {
    m_cmdConvirt->setEnabled(false);
    if (m_alreadyConverted)
        return;
    m_startTime = m_desktop.clock.now();
    if (!m_fileLoaded) {
        m_desktop.dialogs.information(QStringLiteral("No (.DAT) File Loaded"));
        m_cmdConvirt->setEnabled(true);
        m_alreadyConverted = true;
        return;
    }
    m_progressBar1->setRange(1, std::max<int>(1, m_state.periodic.SampleCapacity));

    if (!fromMenu) {
        m_commonDialog.title = QStringLiteral("Test Option SaveAs XLS File");
        m_commonDialog.initialFolder = dataFolder();
    }
    ExportRequest request;
    request.caller = fromMenu ? ExportCaller::ConvertMenu : ExportCaller::ConvertButton;
    request.start = m_startTime;
    request.dialog = &m_commonDialog;
    request.files = m_files;
    request.progress = this;
    const ExportResult result = ExportPeriodicData(m_state.periodic, m_desktop.dialogs, request);
    switch (result.outcome) {
    case ExportOutcome::Saved:
        m_cmdConvirt->setEnabled(true);
        setProgress(1);
        hideActivity();
        m_alreadyConverted = true;
        setStatus(kWorkbookWritten + result.path);
        break;
    case ExportOutcome::Cancelled:
        clearNames();
        m_state.periodic.release();
        setProgress(1);
        hideActivity();
        setStatus(kNoFileLoaded);
        m_cmdConvirt->setEnabled(true);
        m_cmdConvirt->setFocus();
        m_fileLoaded = false;
        break;
    case ExportOutcome::Failed:
        // The data stay loaded and the file unconverted, so Convert can be tried again.
        hideActivity();
        break;
    }
}

void frmDataEntry::unload() {
    if (m_fileLoaded) {
        clearNames();
        m_state.periodic.release();
        setStatus(kNoFileLoaded);
        m_fileLoaded = false;
        m_cmdConvirt->setEnabled(true);
        m_cmdConvirt->setFocus();
        m_alreadyConverted = false;
    } else {
        m_desktop.dialogs.information(QStringLiteral("No File to Unload"));
        m_fileLoaded = false;
        m_cmdConvirt->setEnabled(true);
    }
}

void frmDataEntry::exitWindow() {
    m_state.periodic.release();
    m_closing = true;
    done(QDialog::Accepted);
}

// ---- progress -----------------------------------------------------------------------------------

void frmDataEntry::headerWritten() {
    hideActivity();
    showActivity(QStringLiteral("Writing to (.xls) File"));
}

void frmDataEntry::columnWritten(int value) {
    setProgress(value);
}

void frmDataEntry::setProgress(int value) {
    // A bar shorter than a column step stays within its range.
    m_progressBar1->setValue(std::clamp(value, m_progressBar1->minimum(), m_progressBar1->maximum()));
    // The window is busy until the export returns: draw now, not after it.
    m_progressBar1->repaint();
}

void frmDataEntry::showActivity(const QString& text) {
    m_label9->setText(text);
    m_label9->setVisible(true);
    m_label9->repaint();
}

void frmDataEntry::hideActivity() {
    m_label9->setVisible(false);
}

// The Data folder of the Corvin home; none without a home.
QString frmDataEntry::dataFolder() const {
    return m_state.folders.Home.isEmpty() ? QString() : m_state.folders.dataFolder();
}

// ---- labels and status ----------------------------------------------------------------------------

void frmDataEntry::clearNames() {
    for (QLabel* name : m_nameLabels)
        name->clear();
}

void frmDataEntry::showNames() {
    for (int k = 0; k < kChannelCount; ++k)
        m_nameLabels[std::size_t(k)]->setText(m_state.periodic.ChannelNames[std::size_t(k)]);
}

void frmDataEntry::setStatus(const QString& text) {
    m_statusText->setText(text);
}

QString frmDataEntry::statusText() const {
    return m_statusText->text();
}

// ---- the window ---------------------------------------------------------------------------------

bool frmDataEntry::Centre(int first, int second) {
    const QScreen* screen = this->screen();
    if (!screen || first == 0 || second == 0)
        return false;
    const QRect s = screen->geometry();
    const QRect f = frameGeometry();
    move(s.left() + s.width() / first - f.width() / second,
         s.top() + s.height() / first - f.height() / second);
    return true;
}

void frmDataEntry::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!m_centred) {
        m_centred = true;
        Centre(2, 2);
        // The window's final size and its frame exist only once it is on the screen: centred
        // again then, so the first click on the background does not move it.
        QTimer::singleShot(0, this, [this] { Centre(2, 2); });
        m_centreOnActivation = true;
    }
}

bool frmDataEntry::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate && m_centreOnActivation) {
        m_centreOnActivation = false;
        Centre(2, 2);
    }
    return QDialog::event(event);
}

void frmDataEntry::mousePressEvent(QMouseEvent* event) {
    // A click on the window's own background, not on one of its controls.
    if (!childAt(event->position().toPoint()))
        Centre(2, 2);
    QDialog::mousePressEvent(event);
}

bool frmDataEntry::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_cmdConvirt && event->type() == QEvent::FocusOut) {
        // When the Open button loses the focus to another control, Convert takes it.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason &&
            m_cmdSaveFile->isEnabled())
            m_cmdSaveFile->setFocus();
    }
    return QDialog::eventFilter(watched, event);
}

void frmDataEntry::closeEvent(QCloseEvent* event) {
    // The window closes through Exit, or when the program closes it.
    if (m_closing || QCoreApplication::closingDown())
        event->accept();
    else
        event->ignore();
}

void frmDataEntry::reject() {}

} // namespace corvin::datafiles
