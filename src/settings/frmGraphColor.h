#pragma once
// "Graph Colour Preferences": seven colour boxes, one per channel, each opening the colour
// chooser when clicked. " Save Settings on Exit" applies the boxes to BarColours and writes
// BAR.CFG, and the graph style (Classic / Clear) to the view preferences; " Cancel" leaves both as they were.

#include "common/AtomicFile.h"
#include "common/SharedState.h"

#include <QColor>
#include <QDialog>
#include <array>
#include <cstdint>

class QLineEdit;
class QRadioButton;
namespace corvin::platform {
class Dialogs;
}

namespace corvin::settings {

class frmGraphColor : public QDialog {
    Q_OBJECT
public:
    frmGraphColor(SharedState& state, platform::Dialogs& dialogs, QWidget* parent = nullptr);

    // Where the colour file is written through; tests hand in files that fail.
    void setFileFactory(const AtomicFileFactory& files) { m_files = &files; }

    // Box k (1..7) as the dialog shows it, a Windows RGB value.
    int32_t boxColour(int k) const { return m_colours.at(static_cast<std::size_t>(k - 1)); }

    // The graph style the dialog shows (saved with the colours).
    GraphStyleKind graphStyle() const;
    void setGraphStyle(GraphStyleKind style);

    // The handlers, callable directly.
    void Picture1_Click(int k);
    void cmdSaveOnExit_Click();
    void cmdExit_Click();
    void Form_Click();

signals:
    // After a successful save, before the dialog closes. The main window passes it on to the
    // test window (when one is open): START disabled, the chart picture cleared to white, so
    // the bars are drawn afresh in the new colours.
    void saved();
    // " Cancel", before the dialog closes: the test window clears its chart picture to white.
    // Closing the dialog any other way (close box, Escape) signals neither.
    void cancelled();

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    void setBox(int k, int32_t rgb);

    SharedState& m_state;
    platform::Dialogs& m_dialogs;
    AtomicFileFactory m_defaultFiles;
    const AtomicFileFactory* m_files = &m_defaultFiles;
    std::array<int32_t, 7> m_colours{};
    std::array<QWidget*, 7> m_boxes{};
    QRadioButton* m_optClassic = nullptr;
    QRadioButton* m_optClear = nullptr;
    QLineEdit* m_historyServer = nullptr;
};

} // namespace corvin::settings
