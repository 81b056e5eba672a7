#include "probes/frmProbeConfig.h"
#include "probes/frmProbeLimits.h"

#include "common/Pictures.h"
#include "probes/NewProbeCheck.h"
#include "probes/ProbeFile.h"
#include "settings/DefaultProbeSetting.h"
#include "settings/RegistryStore.h"

#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace corvin::probes {

namespace {

bool IsEnter(int key) {
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

// The colours of the boxes: a box not reached yet has the colour of a button face, a box that
// has been reached the colour of a tooltip.
QColor ButtonFace(const QWidget* w) {
    return w->palette().color(QPalette::Active, QPalette::Button);
}
QColor Highlight(const QWidget* w) {
    return w->palette().color(QPalette::Active, QPalette::ToolTipBase);
}

void SetBoxBackground(QLineEdit* box, const QColor& colour) {
    QPalette p = box->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        p.setColor(group, QPalette::Base, colour);
    box->setPalette(p);
}

// What went wrong with a write to the settings store, in words.

} // namespace

frmProbeConfig::frmProbeConfig(SharedState& state, platform::Dialogs& dialogs,
                               settings::RegistryStore& registry, QWidget* parent,
                               const AtomicFileFactory* files)
    : QDialog(parent), m_state(state), m_dialogs(dialogs), m_registry(registry),
      m_files(files ? files : &m_ordinaryFiles) {
    setObjectName(QStringLiteral("frmProbeConfig"));
    setWindowTitle(QStringLiteral("Create New Probe"));
    setModal(true);
    buildWindow();
}

void frmProbeConfig::buildWindow() {
    m_picTestProbe = new QLabel(this);
    m_picTestProbe->setObjectName(QStringLiteral("picTestProbe"));
    m_picTestProbe->setAlignment(Qt::AlignCenter);
    m_picTestProbe->setFrameShape(QFrame::StyledPanel);
    const QPixmap probe = QPixmap::fromImage(Pictures::probe());
    m_picTestProbe->setPixmap(probe);
    m_picTestProbe->setFixedSize(probe.size() + QSize(12, 12));

    m_frameProbeName = new QGroupBox(QStringLiteral("Probe Device"), this);
    m_frameProbeName->setObjectName(QStringLiteral("frameProbeName"));
    m_lblEnterProbeName = new QLabel(QStringLiteral("Enter New Test Probe Name"), m_frameProbeName);
    m_lblEnterProbeName->setObjectName(QStringLiteral("lblEnterProbeName"));
    m_txtProbeName = new QLineEdit(m_frameProbeName);
    m_txtProbeName->setObjectName(QStringLiteral("txtProbeName"));
    m_txtProbeName->setMinimumWidth(m_txtProbeName->fontMetrics().horizontalAdvance(QLatin1Char('W')) * 16);
    m_txtProbeName->installEventFilter(this);
    m_lblEnterProbeName->setBuddy(m_txtProbeName);
    connect(m_txtProbeName, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_probeName = text; });
    auto* nameLayout = new QVBoxLayout(m_frameProbeName);
    nameLayout->addWidget(m_lblEnterProbeName);
    nameLayout->addWidget(m_txtProbeName);

    m_frameProbeSetup = new QGroupBox(QStringLiteral("Channel Names"), this);
    m_frameProbeSetup->setObjectName(QStringLiteral("frameProbeSetup"));
    auto* grid = new QGridLayout(m_frameProbeSetup);
    for (int k = 1; k <= kChannelCount; ++k) {
        auto* label = new QLabel(QStringLiteral("Channel%1").arg(k), m_frameProbeSetup);
        label->setObjectName(QStringLiteral("lblChannel_%1").arg(k));
        auto* box = new QLineEdit(m_frameProbeSetup);
        box->setObjectName(QStringLiteral("txtChannel_%1").arg(k));
        box->setEnabled(false);
        box->installEventFilter(this);
        label->setBuddy(box);
        SetBoxBackground(box, ButtonFace(this));
        connect(box, &QLineEdit::textChanged, this, [this, k] { txtChannel_Change(k); });
        grid->addWidget(label, k - 1, 0);
        grid->addWidget(box, k - 1, 1);
        m_lblChannel.at(k - 1) = label;
        m_txtChannel.at(k - 1) = box;
    }

    m_cmdConfirm = new QPushButton(QStringLiteral("Confirm"), this);
    m_cmdConfirm->setObjectName(QStringLiteral("cmdConfirm"));
    m_cmdConfirm->setToolTip(QStringLiteral("Add to stored Probe Devices file"));
    m_cmdSaveAsDefault = new QPushButton(QStringLiteral("Confirm as Default"), this);
    m_cmdSaveAsDefault->setObjectName(QStringLiteral("cmdSaveAsDefault"));
    m_cmdSaveAsDefault->setToolTip(QStringLiteral("Set as Default"));
    m_cmdClose = new QPushButton(QStringLiteral("Cancel"), this);
    m_cmdClose->setObjectName(QStringLiteral("cmdClose"));
    connect(m_cmdConfirm, &QPushButton::clicked, this, &frmProbeConfig::cmdConfirm_Click);
    connect(m_cmdSaveAsDefault, &QPushButton::clicked, this, &frmProbeConfig::cmdSaveAsDefault_Click);
    connect(m_cmdClose, &QPushButton::clicked, this, &frmProbeConfig::cmdClose_Click);
    m_cmdLimits = new QPushButton(QStringLiteral("Limits\u2026"), this);
    m_cmdLimits->setObjectName(QStringLiteral("cmdLimits"));
    m_cmdLimits->setToolTip(QStringLiteral("The currents each channel must stay within"));
    connect(m_cmdLimits, &QPushButton::clicked, this, &frmProbeConfig::editLimits);

    auto* right = new QVBoxLayout;
    right->addWidget(m_frameProbeName);
    right->addWidget(m_frameProbeSetup);
    auto* top = new QHBoxLayout;
    top->addWidget(m_picTestProbe, 0, Qt::AlignTop);
    top->addLayout(right, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_cmdLimits);
    buttons->addStretch(1);
    buttons->addWidget(m_cmdConfirm);
    buttons->addWidget(m_cmdSaveAsDefault);
    buttons->addWidget(m_cmdClose);
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(top);
    outer->addLayout(buttons);

    setTabOrder(m_txtProbeName, m_txtChannel.front());
    for (int k = 1; k < kChannelCount; ++k)
        setTabOrder(m_txtChannel.at(k - 1), m_txtChannel.at(k));
    setTabOrder(m_txtChannel.back(), m_cmdConfirm);
    m_txtProbeName->setFocus();
}

bool frmProbeConfig::eventFilter(QObject* watched, QEvent* event) {
    auto* box = qobject_cast<QLineEdit*>(watched);
    if (!box)
        return QDialog::eventFilter(watched, event);
    const int channel = [&] {
        for (int k = 1; k <= kChannelCount; ++k)
            if (m_txtChannel.at(k - 1) == box)
                return k;
        return 0;
    }();
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (!IsEnter(key->key()))
            return QDialog::eventFilter(watched, event);
        // The boxes move on when Enter is released, so the release never reaches the box that
        // takes the focus. The press is kept from the dialog, which would otherwise press a
        // button with it.
        if (event->type() == QEvent::KeyRelease && !key->isAutoRepeat()) {
            if (channel == 0)
                txtProbeName_KeyUp(key->key());
            else
                txtChannel_KeyUp(channel, key->key());
        }
        return true;
    }
    if (event->type() == QEvent::FocusOut && box == m_txtProbeName)
        txtProbeName_LostFocus();
    return QDialog::eventFilter(watched, event);
}

void frmProbeConfig::txtProbeName_KeyUp(int key) {
    if (!IsEnter(key))
        return;
    QLineEdit* first = txtChannel(1);
    first->setEnabled(true);
    setHighlighted(1, true);
    first->setFocus();
}

void frmProbeConfig::txtProbeName_LostFocus() {
    setHighlighted(1, true);
}

void frmProbeConfig::txtChannel_KeyUp(int k, int key) {
    if (!IsEnter(key))
        return;
    const int next = k + 1;
    if (next <= kChannelCount) {
        QLineEdit* box = txtChannel(next);
        box->setEnabled(true);
        setHighlighted(next, true);
        box->setFocus();
    } else {
        m_cmdConfirm->setEnabled(true);
        m_cmdConfirm->setFocus();
    }
}

void frmProbeConfig::txtChannel_Change(int k) {
    // A box keeps at most 16 characters: what goes over is taken off before the caret, as a
    // Backspace would; a caret at the start (nothing before it) cuts the end instead.
    QLineEdit* box = txtChannel(k);
    while (box->text().size() > kChannelTextLimit) {
        const qsizetype before = box->text().size();
        const QSignalBlocker quiet(box);
        box->backspace();
        if (box->text().size() == before)
            box->setText(box->text().left(kChannelTextLimit));
    }
}

void frmProbeConfig::resetChannelBoxes() {
    for (int k = 1; k <= kChannelCount; ++k) {
        txtChannel(k)->setEnabled(false);
        setHighlighted(k, false);
    }
    txtChannel(1)->setEnabled(true);
    setHighlighted(1, true);
    txtChannel(1)->setFocus();
}

bool frmProbeConfig::isHighlighted(int k) const {
    return txtChannel(k)->palette().color(QPalette::Active, QPalette::Base) == Highlight(this);
}

void frmProbeConfig::setHighlighted(int k, bool on) {
    SetBoxBackground(txtChannel(k), on ? Highlight(this) : ButtonFace(this));
}

void frmProbeConfig::cmdConfirm_Click() {
    confirm(false);
}

void frmProbeConfig::cmdSaveAsDefault_Click() {
    confirm(true);
}

void frmProbeConfig::cmdClose_Click() {
    reject();
}

void frmProbeConfig::clearName() {
    m_probeName.clear();
    m_txtProbeName->clear();
    m_txtProbeName->setFocus();
}

bool frmProbeConfig::confirm(bool asDefault) {
    std::array<QString, kChannelCount> texts;
    for (int k = 1; k <= kChannelCount; ++k)
        texts.at(k - 1) = txtChannel(k)->text();
    const NewProbeCheck check(m_probeName, texts);
    if (!check.ready()) {
        m_dialogs.information(check.message());
        if (check.clearsName())
            clearName();
        else if (check.resetsChannels())
            resetChannelBoxes();
        else if (check.badChannel() != 0) {
            QLineEdit* box = txtChannel(check.badChannel());
            box->setEnabled(true);
            setHighlighted(check.badChannel(), true);
            box->setFocus();
            box->selectAll();
        }
        return false;
    }

    const QString& folder = m_state.folders.ProbesFolder;
    const QString path = ProbeFilePath(folder, check.name());
    const Status written = WriteProbeFile(folder, check.probe(), *m_files);
    if (!written) {
        m_dialogs.critical(written.message());
        return false;
    }
    m_lastPath = path;
    m_dialogs.information(NewProbeCheck::writtenMessage(path));

    if (asDefault) {
        // The name box as typed, spaces and all; everyone who reads it trims it.
        const Status stored = settings::WriteDefaultProbeName(m_registry, m_txtProbeName->text());
        if (!stored) {
            m_dialogs.critical(QStringLiteral("Problems with writing ") + path + QStringLiteral(" to disc") +
                               QLatin1Char('\n') + stored.message());
            return false;
        }
    }
    return true;
}

void frmProbeConfig::editLimits() {
    const QString name = m_txtProbeName->text().trimmed();
    if (name.isEmpty()) {
        m_dialogs.information(QStringLiteral("Type the probe's name first: its limits are kept beside its probe file."));
        return;
    }
    std::array<QString, kChannelCount> names;
    for (int k = 1; k <= kChannelCount; ++k)
        names[std::size_t(k - 1)] = m_txtChannel.at(k - 1)->text();
    EditProbeLimits(name, m_state.folders.ProbesFolder, names, m_dialogs, this, m_files);
}

} // namespace corvin::probes
