#pragma once
// The menus, toolbar and status bar of the main window: one QAction per tool, named by its tool
// name (objectName), held in bands in display order. A command that shows in a menu and on the
// toolbar (Open, Contents, About) is one action in both bands, so it has one enabled state.
// Status panes are actions too (their text is the pane's caption). The main window draws the
// bands as menus, toolbar and status bar; clicks come back as toolClicked.
//
// Tools are addressed by band name + tool name, as the program always addressed them. A name
// that is not a tool of that band is a programming error: it stops the program with a message
// instead of doing nothing.

#include "app/ToolNames.h"
#include "common/StatusPanes.h"

#include <QAction>
#include <QList>
#include <QObject>
#include <QString>
#include <vector>

namespace corvin::app {

struct Band {
    QString name;
    QString caption;
    QList<QAction*> tools; // separators included
};

class CommandBar : public QObject {
    Q_OBJECT
public:
    // The bar as the program lays it out: menu bar, the five menus, status bar panes and
    // toolbar, every tool enabled, the recent-files entries and their separator hidden.
    explicit CommandBar(QObject* parent = nullptr);

    const std::vector<Band>& bands() const { return m_bands; }
    const Band& band(const QString& bandName) const;
    // The tool of that name in the band.
    QAction* action(const QString& bandName, const QString& toolName) const;

    void setEnabled(const QString& bandName, const QString& toolName, bool enabled);
    void setVisible(const QString& bandName, const QString& toolName, bool visible);
    void setCaption(const QString& bandName, const QString& toolName, const QString& caption);
    void setTag(const QString& bandName, const QString& toolName, const QString& tag);

    bool isEnabled(const QString& bandName, const QString& toolName) const;
    bool isVisible(const QString& bandName, const QString& toolName) const;
    QString caption(const QString& bandName, const QString& toolName) const;
    QString tag(const QString& bandName, const QString& toolName) const;
    // "File", "Test", "Options", "View", "Help", "Tools", or empty.
    QString category(const QString& bandName, const QString& toolName) const;

    // A status pane written by the program: enabled, with the text.
    void showStatus(const QString& pane, const QString& text);

signals:
    // A click on a command: its tool name and its tag value.
    void toolClicked(const QString& toolName, const QString& tag);

private:
    QAction* command(const QString& name, const QString& caption, const QString& category = {},
                     const QString& tooltip = {}, const QString& description = {});
    QAction* separator(const QString& name);
    QAction* pane(const QString& name, const QString& caption);

    std::vector<Band> m_bands;
};

} // namespace corvin::app
