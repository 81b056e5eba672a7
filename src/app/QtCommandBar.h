#pragma once
// Puts the command bar's actions into the main window's menu bar, toolbar and status bar: each
// menu and the toolbar hold the bar's own actions (one action per command, so a menu entry and
// its tool button are enabled together), and each status pane is a label that follows its
// action.

#include "app/CommandBar.h"

#include <QHash>
#include <QObject>

class QLabel;
class QMainWindow;
class QToolBar;

namespace corvin::app {

class QtCommandBar : public QObject {
    Q_OBJECT
public:
    QtCommandBar(CommandBar& model, QMainWindow& window);

    // The action of a tool, for tests (the command bar's own).
    QAction* action(const QString& band, const QString& tool) const { return m_model.action(band, tool); }
    // The label of a status pane.
    QLabel* pane(const QString& tool) const;
    QToolBar* toolBar() const { return m_toolBar; }

private:
    void build();

    CommandBar& m_model;
    QMainWindow& m_window;
    QToolBar* m_toolBar = nullptr;
    QHash<QString, QLabel*> m_panes;
};

} // namespace corvin::app
