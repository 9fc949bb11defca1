// Gives a window's menu shortcuts priority over the keys its text fields would claim for
// themselves: under X11 a line edit takes Ctrl+E as "end of line", so Make Html did nothing
// from the very fields adjusted just before it.
#pragma once

#include <QList>
#include <QObject>

class QAction;
class QWidget;

class MenuShortcuts : public QObject {
    Q_OBJECT
public:
    // The actions' shortcuts win wherever the focus is inside the window, a cell being edited
    // in place included; every other key (the editing keys among them) stays with the field.
    MenuShortcuts(QWidget *window, QList<QAction *> actions);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *window_;
    QList<QAction *> actions_;
};
