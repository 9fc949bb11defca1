#include "ui/Messages.h"

#include "core/GridSheet.h"
#include "core/RegularFile.h"
#include "gridfile/GridFile.h"
#include "html/HtmlPageWriter.h"
#include "text/PlainTextExport.h"
#include "text/TextPouring.h"
#include "wording/FailureReasons.h"

namespace {

QString kindName(FileKind kind)
{
    switch (kind) {
    case FileKind::Folder: return QStringLiteral("フォルダ");
    case FileKind::Fifo: return QStringLiteral("名前付きパイプ (FIFO)");
    case FileKind::Device: return QStringLiteral("デバイス");
    case FileKind::Socket: return QStringLiteral("ソケット");
    case FileKind::Special: break;
    }
    return QStringLiteral("特殊なファイル");
}

} // namespace

QString failureReason(const OpenFailure &failure)
{
    switch (failure.error) {
    case OpenError::None: return {};
    case OpenError::System: return failure.systemReason;
    case OpenError::NotRegularFile:
        return QStringLiteral("通常のファイルではないため読み込めません (%1)").arg(kindName(failure.kind));
    }
    return {};
}

QString failureReason(const GridFileFailure &failure)
{
    return gridFileFailureReason(failure, failureReason(failure.open));
}

QString failureReason(const TextPouringResult &result)
{
    switch (result.outcome) {
    case TextPouringOutcome::OpenFailed: return failureReason(result.open);
    case TextPouringOutcome::ReadFailed: return result.systemReason;
    case TextPouringOutcome::Done:
    case TextPouringOutcome::EmptyPath:
    case TextPouringOutcome::NoFile: break;
    }
    return {};
}

QString foreignFileReason()
{
    return QStringLiteral("グリッドファイル、イメージ、テキストファイルのどれでもないため開けません");
}
