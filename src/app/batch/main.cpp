// glyphscape-batch: the editor's course of work from the command line, for scripts and
// for converting many pictures, on the editor's own logic.
#include "BatchOptions.h"
#include "BatchRun.h"
#include "Messages.h"
#include "ProgressBar.h"

#include "core/GridSheet.h"
#include "core/Version.h"

#include <QGuiApplication>

#include <memory>

#include <csignal>
#include <cstdio>

namespace {

void printError(const QString &message)
{
    const QByteArray line = QByteArrayLiteral("glyphscape-batch: ") + message.toLocal8Bit() + '\n';
    std::fwrite(line.constData(), 1, size_t(line.size()), messageStream());
    std::fflush(messageStream());
}

// Qt's own warnings (a decoder's complaints) would break the one-line failure report.
void dropQtMessages(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtFatalMsg)
        printError(message);
}

} // namespace

int main(int argc, char *argv[])
{
    QStringList argumentList;
    for (int i = 1; i < argc; ++i)
        argumentList << QString::fromLocal8Bit(argv[i]);
    const BatchArguments arguments = parseBatchArguments(argumentList);
    // Picture decoding needs the image plugins, never a display. Drawing text for --png needs
    // the GUI, on the offscreen platform: no display, and nothing for a user to set.
    // Qt's own warnings (the offscreen platform's among them) stay out of the report.
    qInstallMessageHandler(dropQtMessages);
    std::unique_ptr<QCoreApplication> application;
    if (arguments.options.pngPath) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        application = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        application = std::make_unique<QCoreApplication>(argc, argv);
    }
    messageStream();
    // A reader that goes away (| head) is a failed write with a message, not a silent death.
    std::signal(SIGPIPE, SIG_IGN);
    if (arguments.options.help) {
        const QByteArray usage = batchUsage().toLocal8Bit();
        std::fwrite(usage.constData(), 1, size_t(usage.size()), stdout);
        return kBatchDone;
    }
    if (arguments.options.version) {
        const QByteArray version = (QStringLiteral("glyphscape-batch ") + versionText() + u'\n').toLocal8Bit();
        std::fwrite(version.constData(), 1, size_t(version.size()), stdout);
        return kBatchDone;
    }
    if (!arguments.ok()) {
        printError(arguments.usageError + QStringLiteral(" (see --help)"));
        return kBatchUsage;
    }
    if (const QString clash = checkFilesApart(arguments.options); !clash.isEmpty()) {
        printError(clash);
        return kBatchUsage;
    }
    GridSheet sheet;
    ProgressBar progress(arguments.options.verbose);
    QString message;
    const int code = runBatch(arguments.options, sheet, progress, &message);
    if (code != kBatchDone)
        printError(message);
    return code;
}
