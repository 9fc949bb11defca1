// Finds a window's control by its object name, as a user finds it by its caption.
#pragma once

#include <QObject>
#include <QTest>

template <typename Widget> Widget *findControl(const QObject &window, const char *name)
{
    auto *control = window.findChild<Widget *>(QLatin1String(name));
    if (!control)
        qFatal("no %s named %s", Widget::staticMetaObject.className(), name);
    return control;
}
