// Glyphscape: starts the main window; the program ends when it closes.
#include "ui/FileChooser.h"
#include "ui/MainWindow.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Glyphscape"));
    SystemDialogs dialogs;
    MainWindow window(dialogs);
    window.show();
    return QApplication::exec();
}
