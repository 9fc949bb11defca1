// Glyphscape: starts the main window; the program ends when it closes.
#include "ui/FileChooser.h"
#include "ui/frmEdit.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Glyphscape"));
    SystemDialogs dialogs;
    frmEdit window(dialogs);
    window.show();
    return QApplication::exec();
}
