#pragma once
// The menus, toolbar and status bar of the main window as data: bands of tools, each addressed
// by band name + tool name. Command handlers enable, disable, caption and hide tools here; the
// main window draws the bar from it and follows every change.

#include <QObject>
#include <QString>
#include <QStringList>
#include <vector>

namespace corvin {

struct Tool {
    QString name;
    QString caption;
    QString tooltip;
    QString description;
    QString category;
    QString tag;
    bool separator = false;
    bool enabled = true;
    bool visible = true;
};

struct Band {
    QString name;
    QString caption;
    std::vector<Tool> tools;
};

class CommandBar : public QObject {
    Q_OBJECT
public:
    // The main window's bar as the program lays it out: menu bar, the five menus, status bar
    // panes and toolbar, every tool enabled.
    static std::vector<Band> StandardLayout();

    explicit CommandBar(std::vector<Band> bands = StandardLayout(), QObject* parent = nullptr);

    const std::vector<Band>& bands() const { return m_bands; }
    const Band* band(const QString& bandName) const;

    // The first tool of that name in the band, or null. Names are compared exactly.
    const Tool* tool(const QString& bandName, const QString& toolName) const;

    void setEnabled(const QString& bandName, const QString& toolName, bool enabled);
    void setVisible(const QString& bandName, const QString& toolName, bool visible);
    void setCaption(const QString& bandName, const QString& toolName, const QString& caption);
    void setTag(const QString& bandName, const QString& toolName, const QString& tag);

    // Unknown tools read as disabled, hidden and without caption.
    bool isEnabled(const QString& bandName, const QString& toolName) const;
    bool isVisible(const QString& bandName, const QString& toolName) const;
    QString caption(const QString& bandName, const QString& toolName) const;

    // A status pane written by the program: enabled, with the text.
    void showStatus(const QString& pane, const QString& text);

signals:
    void toolChanged(const QString& bandName, const QString& toolName);

private:
    Tool* find(const QString& bandName, const QString& toolName);

    std::vector<Band> m_bands;
};

} // namespace corvin
