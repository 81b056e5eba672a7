#pragma once
// Draws the command bar model as the main window's menu bar, toolbar and status bar, keeps them
// in step with every change of the model, and reports clicks by tool name.

#include "common/CommandBar.h"

#include <QHash>
#include <QObject>

class QAction;
class QLabel;
class QMainWindow;
class QMenu;
class QToolBar;

namespace corvin::app {

class QtCommandBar : public QObject {
    Q_OBJECT
public:
    QtCommandBar(CommandBar& model, QMainWindow& window);

    // The widget of a tool (QAction for menu and toolbar tools, QLabel for status panes), for tests.
    QAction* action(const QString& band, const QString& tool) const;
    QLabel* pane(const QString& tool) const;
    QToolBar* toolBar() const { return m_toolBar; }

signals:
    // A click on a tool: its name and its tag value.
    void toolClicked(const QString& toolName, const QString& tag);

private:
    void build();
    void update(const QString& band, const QString& tool);
    static QString Key(const QString& band, const QString& tool) { return band + QLatin1Char('/') + tool; }

    CommandBar& m_model;
    QMainWindow& m_window;
    QToolBar* m_toolBar = nullptr;
    QHash<QString, QAction*> m_actions;
    QHash<QString, QLabel*> m_panes;
};

} // namespace corvin::app
