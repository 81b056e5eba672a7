#include "probes/frmProbeLimits.h"

#include "platform/Dialogs.h"
#include "probes/ProbeFile.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace corvin::probes {

frmProbeLimits::frmProbeLimits(const QString& probeName, const QString& limitsPath,
                               const std::array<QString, kChannelCount>& names, platform::Dialogs& dialogs,
                               QWidget* parent, const AtomicFileFactory* files)
    : QDialog(parent), m_path(limitsPath), m_dialogs(dialogs), m_files(files ? files : &m_ordinaryFiles) {
    setObjectName(QStringLiteral("frmProbeLimits"));
    setWindowTitle(QStringLiteral("Limits of ") + probeName.trimmed());
    setModal(true);

    ProbeLimits limits{};
    const Status read = ReadProbeLimits(limitsPath, limits);

    auto* grid = new QGridLayout;
    const QStringList heads{QStringLiteral("Channel"), QStringLiteral("Min \u00B5A"), QStringLiteral("Marginal min"),
                            QStringLiteral("Marginal max"), QStringLiteral("Max \u00B5A"), QStringLiteral("Settle s")};
    for (int c = 0; c < heads.size(); ++c)
        grid->addWidget(new QLabel(heads[c], this), 0, c);
    for (int k = 1; k <= kChannelCount; ++k) {
        const QString name = names[std::size_t(k - 1)].trimmed();
        grid->addWidget(new QLabel(QStringLiteral("%1  %2").arg(k).arg(name), this), k, 0);
        const std::array<QString, 5> texts = ChannelLimitsTexts(limits[std::size_t(k - 1)]);
        for (int f = 0; f < 5; ++f) {
            auto* edit = new QLineEdit(texts[std::size_t(f)], this);
            edit->setObjectName(QStringLiteral("txtLimit_%1_%2").arg(k).arg(f));
            edit->setPlaceholderText(QStringLiteral("none"));
            edit->setMaxLength(20);
            edit->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("-1000.000")) + 12);
            grid->addWidget(edit, k, f + 1);
            m_boxes[std::size_t(k - 1)][std::size_t(f)] = edit;
        }
    }
    auto* help = new QLabel(
        QStringLiteral("A reading outside min..max fails; one between a limit and its marginal bound is "
                       "marginal. Readings before the settling time are not judged. Empty: not set."),
        this);
    help->setWordWrap(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("cmdOK"));
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (cmdOK_Click())
            accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(help);
    layout->addWidget(buttons);
    if (!read)
        m_dialogs.information(read.message() + QStringLiteral("\nThe limits shown are empty; OK replaces the file."));
}

bool frmProbeLimits::cmdOK_Click() {
    ProbeLimits limits{};
    for (int k = 1; k <= kChannelCount; ++k) {
        std::array<QString, 5> texts;
        for (int f = 0; f < 5; ++f)
            texts[std::size_t(f)] = box(k, f)->text();
        if (Status s = ParseChannelLimits(k, texts, limits[std::size_t(k - 1)]); !s) {
            m_dialogs.critical(s.message());
            box(k, 0)->setFocus();
            return false;
        }
    }
    if (Status s = WriteProbeLimits(m_path, limits, *m_files); !s) {
        m_dialogs.critical(QStringLiteral("Problems with writing ") + m_path + QStringLiteral(" to disc\n") +
                           s.message());
        return false;
    }
    return true;
}

void EditProbeLimits(const QString& name, const QString& probesFolder,
                     const std::array<QString, kChannelCount>& channelNames, platform::Dialogs& dialogs,
                     QWidget* parent, const AtomicFileFactory* files) {
    const QString path = LimitsPathFor(ProbeFilePath(probesFolder, name));
    frmProbeLimits dialog(name, path, channelNames, dialogs, parent, files);
    if (dialog.exec() == QDialog::Accepted)
        dialogs.information(QStringLiteral("Limits written to ") + path);
}

} // namespace corvin::probes
