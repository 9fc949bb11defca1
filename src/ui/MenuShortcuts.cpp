#include "ui/MenuShortcuts.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

MenuShortcuts::MenuShortcuts(QWidget *window, QList<QAction *> actions)
    : QObject(window)
    , window_(window)
    , actions_(std::move(actions))
{
    // The override is asked of the focused widget alone, so the filter has to sit in front of
    // every widget: the application's filter, limited to this window's widgets.
    qApp->installEventFilter(this);
}

bool MenuShortcuts::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::ShortcutOverride || !watched->isWidgetType())
        return false;
    if (static_cast<QWidget *>(watched)->window() != window_)
        return false;
    const QKeySequence pressed(static_cast<QKeyEvent *>(event)->keyCombination());
    for (const QAction *action : std::as_const(actions_)) {
        if (action->isEnabled() && action->shortcuts().contains(pressed)) {
            // Left unaccepted, the key goes to the shortcut instead of the widget.
            event->ignore();
            return true;
        }
    }
    return false;
}
