#include "app/QtCommandBar.h"

#include <QAction>
#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>

namespace corvin::app {
namespace {

QIcon ToolIcon(const QString& name) {
    QStyle* style = QApplication::style();
    if (name == QLatin1String("miTProbe"))
        return style->standardIcon(QStyle::SP_FileDialogNewFolder);
    if (name == QLatin1String("miTAuto"))
        return style->standardIcon(QStyle::SP_MediaPlay);
    if (name == QLatin1String("mFOpen"))
        return style->standardIcon(QStyle::SP_DialogOpenButton);
    if (name == QLatin1String("miHContents"))
        return style->standardIcon(QStyle::SP_DialogHelpButton);
    if (name == QLatin1String("miHSearch"))
        return style->standardIcon(QStyle::SP_FileDialogContentsView);
    if (name == QLatin1String("miHAbout"))
        return style->standardIcon(QStyle::SP_MessageBoxInformation);
    return {};
}

} // namespace

QtCommandBar::QtCommandBar(CommandBar& model, QMainWindow& window)
    : QObject(&window), m_model(model), m_window(window) {
    build();
    connect(&m_model, &CommandBar::toolChanged, this, &QtCommandBar::update);
}

QAction* QtCommandBar::action(const QString& band, const QString& tool) const {
    return m_actions.value(Key(band, tool));
}

QLabel* QtCommandBar::pane(const QString& tool) const {
    return m_panes.value(tool);
}

void QtCommandBar::build() {
    auto addTools = [this](const Band& band, QWidget* container) {
        for (const Tool& t : band.tools) {
            auto* a = new QAction(t.caption, container);
            a->setObjectName(t.name);
            a->setSeparator(t.separator);
            a->setToolTip(t.tooltip.isEmpty() ? QString(t.caption).remove(QLatin1Char('&')) : t.tooltip);
            a->setStatusTip(t.description);
            a->setEnabled(t.enabled);
            a->setVisible(t.visible);
            if (band.name == QLatin1String("ToolBar"))
                a->setIcon(ToolIcon(t.name));
            const QString name = t.name;
            const QString bandName = band.name;
            connect(a, &QAction::triggered, this, [this, bandName, name] {
                const Tool* tool = m_model.tool(bandName, name);
                emit toolClicked(name, tool ? tool->tag : QString());
            });
            container->addAction(a);
            // The first tool of a name is the one the program addresses.
            if (!m_actions.contains(Key(band.name, t.name)))
                m_actions.insert(Key(band.name, t.name), a);
        }
    };

    // Menus: the menu bar's tools each open the band of the same name.
    if (const Band* main = m_model.band(QStringLiteral("mnuMain"))) {
        for (const Tool& header : main->tools) {
            QMenu* menu = m_window.menuBar()->addMenu(header.caption);
            menu->setObjectName(header.name);
            m_actions.insert(Key(main->name, header.name), menu->menuAction());
            if (const Band* band = m_model.band(header.name))
                addTools(*band, menu);
        }
    }

    if (const Band* tools = m_model.band(QStringLiteral("ToolBar"))) {
        m_toolBar = m_window.addToolBar(tools->caption);
        m_toolBar->setObjectName(QStringLiteral("ToolBar"));
        m_toolBar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        m_toolBar->setMovable(false);
        addTools(*tools, m_toolBar);
    }

    if (const Band* sb = m_model.band(QStringLiteral("sb"))) {
        QStatusBar* bar = m_window.statusBar();
        bar->setObjectName(QStringLiteral("sb"));
        bar->setSizeGripEnabled(true);
        for (const Tool& t : sb->tools) {
            if (t.separator) {
                auto* line = new QFrame(bar);
                line->setObjectName(t.name);
                line->setFrameShape(QFrame::VLine);
                line->setFrameShadow(QFrame::Sunken);
                bar->addWidget(line);
                continue;
            }
            auto* label = new QLabel(t.caption, bar);
            label->setObjectName(t.name);
            label->setTextFormat(Qt::PlainText);
            label->setEnabled(t.enabled);
            label->setVisible(t.visible);
            label->setMinimumWidth(t.name == QLatin1String("miStatus") ? 260 : 90);
            // The status text takes the spare width; the date sits at the right.
            if (t.name == QLatin1String("tDate"))
                bar->addPermanentWidget(label);
            else
                bar->addWidget(label, t.name == QLatin1String("miStatus") ? 1 : 0);
            m_panes.insert(t.name, label);
        }
    }
}

void QtCommandBar::update(const QString& band, const QString& tool) {
    const Tool* t = m_model.tool(band, tool);
    if (!t)
        return;
    if (QLabel* label = (band == QLatin1String("sb")) ? m_panes.value(tool) : nullptr) {
        label->setText(t->caption);
        label->setEnabled(t->enabled);
        label->setVisible(t->visible);
        return;
    }
    if (QAction* a = m_actions.value(Key(band, tool))) {
        if (!t->separator)
            a->setText(t->caption);
        a->setEnabled(t->enabled);
        a->setVisible(t->visible);
    }
}

} // namespace corvin::app
