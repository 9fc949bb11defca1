// A main window on the screen with the keyboard focus, its dialogs answered by FakeDialogs.
#pragma once

#include "support/ui/FakeDialogs.h"
#include "ui/GridSheetView.h"
#include "ui/MainWindow.h"

#include <QTest>

struct ShownMainWindow {
    FakeDialogs dialogs;
    MainWindow window {dialogs};

    ShownMainWindow()
    {
        window.show();
        window.activateWindow();
    }

    // False when the window never became active, so that a test stops at once.
    bool active() { return QTest::qWaitForWindowActive(&window); }

    // The grid, with the keyboard focus, as a user starts on it; null when the window never
    // became active.
    GridSheetView *focusedGrid()
    {
        if (!active())
            return nullptr;
        auto *view = window.findChild<GridSheetView *>(QStringLiteral("sprEdit"));
        if (view)
            view->setFocus();
        return view;
    }
};
