// glyphscape-batch: the editor's course of work from the command line, for scripts and
// for converting many pictures, on the editor's own logic.
#include "BatchOptions.h"
#include "BatchRun.h"
#include "Messages.h"
#include "ProgressBar.h"

#include "core/GridSheet.h"

#include <QCoreApplication>

#include <csignal>
#include <cstdio>

namespace {

void PrintError(const QString &message)
{
    const QByteArray line = QByteArrayLiteral("glyphscape-batch: ") + message.toLocal8Bit() + '\n';
    std::fwrite(line.constData(), 1, size_t(line.size()), MessageStream());
    std::fflush(MessageStream());
}

// Qt's own warnings (a decoder's complaints) would break the one-line failure report.
void DropQtMessages(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtFatalMsg)
        PrintError(message);
}

} // namespace

int main(int argc, char *argv[])
{
    // Core only: picture decoding needs the image plugins, never a display.
    QCoreApplication application(argc, argv);
    MessageStream();
    // A reader that goes away (| head) is a failed write with a message, not a silent death.
    std::signal(SIGPIPE, SIG_IGN);
    qInstallMessageHandler(DropQtMessages);
    const BatchArguments arguments = ParseBatchArguments(application.arguments().mid(1));
    if (arguments.options.help) {
        const QByteArray usage = BatchUsage().toLocal8Bit();
        std::fwrite(usage.constData(), 1, size_t(usage.size()), stdout);
        return kBatchDone;
    }
    if (!arguments.Ok()) {
        PrintError(arguments.usageError + QStringLiteral(" (see --help)"));
        return kBatchUsage;
    }
    if (const QString clash = CheckFilesApart(arguments.options); !clash.isEmpty()) {
        PrintError(clash);
        return kBatchUsage;
    }
    GridSheet sheet;
    ProgressBar progress(arguments.options.verbose);
    QString message;
    const int code = RunBatch(arguments.options, sheet, progress, &message);
    if (code != kBatchDone)
        PrintError(message);
    return code;
}
