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
    if (name == tool::miTProbe)
        return style->standardIcon(QStyle::SP_FileDialogNewFolder);
    if (name == tool::miTAuto)
        return style->standardIcon(QStyle::SP_MediaPlay);
    if (name == tool::mTHistory)
        return style->standardIcon(QStyle::SP_FileDialogDetailedView);
    if (name == tool::mFOpen)
        return style->standardIcon(QStyle::SP_DialogOpenButton);
    if (name == tool::miHContents)
        return style->standardIcon(QStyle::SP_DialogHelpButton);
    if (name == tool::miHSearch)
        return style->standardIcon(QStyle::SP_FileDialogContentsView);
    if (name == tool::miHAbout)
        return style->standardIcon(QStyle::SP_MessageBoxInformation);
    return {};
}

} // namespace

QtCommandBar::QtCommandBar(CommandBar& model, QMainWindow& window)
    : QObject(&window), m_model(model), m_window(window) {
    build();
}

QLabel* QtCommandBar::pane(const QString& tool) const {
    QLabel* label = m_panes.value(tool);
    if (!label)
        qFatal("QtCommandBar: no status pane named %s", qPrintable(tool));
    return label;
}

void QtCommandBar::build() {
    // Menus: the menu bar's tools each open the band of the same name.
    for (QAction* header : m_model.band(band::mnuMain).tools) {
        QMenu* menu = m_window.menuBar()->addMenu(header->text());
        menu->setObjectName(header->objectName());
        for (QAction* a : m_model.band(header->objectName()).tools) {
            a->setIconVisibleInMenu(false); // the icons belong to the toolbar
            menu->addAction(a);
        }
        QAction* shown = menu->menuAction();
        connect(header, &QAction::changed, shown, [header, shown] {
            shown->setText(header->text());
            shown->setEnabled(header->isEnabled());
            shown->setVisible(header->isVisible());
        });
    }

    const Band& tools = m_model.band(band::ToolBar);
    m_toolBar = m_window.addToolBar(tools.caption);
    m_toolBar->setObjectName(band::ToolBar);
    m_toolBar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_toolBar->setMovable(false);
    for (QAction* a : tools.tools) {
        if (!a->isSeparator())
            a->setIcon(ToolIcon(a->objectName()));
        m_toolBar->addAction(a);
    }

    QStatusBar* bar = m_window.statusBar();
    bar->setObjectName(band::sb);
    bar->setSizeGripEnabled(true);
    for (QAction* a : m_model.band(band::sb).tools) {
        if (a->isSeparator()) {
            auto* line = new QFrame(bar);
            line->setObjectName(a->objectName());
            line->setFrameShape(QFrame::VLine);
            line->setFrameShadow(QFrame::Sunken);
            bar->addWidget(line);
            continue;
        }
        auto* label = new QLabel(a->text(), bar);
        label->setObjectName(a->objectName());
        label->setTextFormat(Qt::PlainText);
        label->setEnabled(a->isEnabled());
        label->setVisible(a->isVisible());
        const bool status = a->objectName() == pane::miStatus;
        label->setMinimumWidth(status ? 260 : 90);
        // The status text takes the spare width; the date sits at the right.
        if (a->objectName() == pane::tDate)
            bar->addPermanentWidget(label);
        else
            bar->addWidget(label, status ? 1 : 0);
        connect(a, &QAction::changed, label, [a, label] {
            label->setText(a->text());
            label->setEnabled(a->isEnabled());
            label->setVisible(a->isVisible());
        });
        m_panes.insert(a->objectName(), label);
    }
}

} // namespace corvin::app
