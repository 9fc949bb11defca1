// Glyphscape: starts the main window, with a file to open when one is named; the program
// ends when the window closes.
#include "core/Version.h"
#include "ui/FileChooser.h"
#include "ui/MainWindow.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>

#include <cstdio>
#include <vector>

namespace {

void describeCommandLine(QCommandLineParser &parser)
{
    parser.setApplicationDescription(QStringLiteral("Glyphscape, the editor of shape poems: a grid of cells, each "
                                                    "with a character and two colours, written out as a coloured "
                                                    "HTML page."));
    // Not addHelpOption(): its --help-all lists Qt's own options, which only QApplication
    // could answer, and that needs a display.
    parser.addOption(
        QCommandLineOption({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help.")));
    parser.addOption(
        QCommandLineOption({QStringLiteral("v"), QStringLiteral("version")}, QStringLiteral("Show the version.")));
    parser.addPositionalArgument(QStringLiteral("file"),
        QStringLiteral("A grid file to load, a picture (JPEG, GIF, BMP, PNG) to import, or a text file "
                       "(Shift_JIS or UTF-8) to pour."),
        QStringLiteral("[FILE]"));
}

void print(std::FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

} // namespace

int main(int argc, char *argv[])
{
    // --help and --version are answered before the window system starts, so they work
    // without a display. Qt's own options (-platform and the like) are only taken out of
    // the arguments by QApplication: an unknown option here is judged after it.
    {
        // The help's usage line names the program, not the path it was started by.
        int preflightCount = argc;
        std::vector<char *> preflightArguments(argv, argv + argc + 1);
        char programName[] = "glyphscape";
        preflightArguments[0] = programName;
        QCoreApplication preflight(preflightCount, preflightArguments.data());
        QCommandLineParser parser;
        describeCommandLine(parser);
        parser.parse(QCoreApplication::arguments());
        if (parser.isSet(QStringLiteral("help"))) {
            print(stdout, parser.helpText());
            return 0;
        }
        if (parser.isSet(QStringLiteral("version"))) {
            print(stdout, QStringLiteral("glyphscape ") + versionText() + u'\n');
            return 0;
        }
    }

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Glyphscape"));
    // The installed desktop entry and icon, so that window managers match the two.
    QGuiApplication::setDesktopFileName(QStringLiteral("glyphscape"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("glyphscape")));
    QCommandLineParser parser;
    describeCommandLine(parser);
    if (!parser.parse(QApplication::arguments()) || parser.positionalArguments().size() > 1) {
        const QString error
            = parser.errorText().isEmpty() ? QStringLiteral("give at most one file") : parser.errorText();
        print(stderr, QStringLiteral("glyphscape: ") + error + QStringLiteral(" (see --help)\n"));
        return 2;
    }

    SystemDialogs dialogs;
    MainWindow window(dialogs);
    window.show();
    if (!parser.positionalArguments().isEmpty()) {
        // Once the window is up: a message about the file stands over it, and a picture
        // window is placed beside it.
        const QString path = parser.positionalArguments().constFirst();
        QMetaObject::invokeMethod(
            &window, [&window, path] { window.openFile(path); }, Qt::QueuedConnection);
    }
    return QApplication::exec();
}
