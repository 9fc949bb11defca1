// The editor's words for the failures the logic reports as codes: each reason is worded
// here and nowhere else, and shown under the heading and path of readErrorText or
// writeErrorText.
#pragma once

#include "core/AtomicFile.h"

#include <QString>

struct GridFileFailure;
struct HtmlPageFailure;
struct OpenFailure;
struct PlainTextFailure;
struct TextPouringResult;

QString failureReason(const OpenFailure &failure);
QString failureReason(const GridFileFailure &failure);
QString failureReason(const PlainTextFailure &failure);
QString failureReason(const HtmlPageFailure &failure);
QString failureReason(const TextPouringResult &result);

// A writer for writeFileAtomically from one that reports a Failure code: the code becomes
// the reason in words.
template <typename Failure, typename Write> DeviceWriter wordedWriter(Write write)
{
    return [write](QIODevice &device, QString *error) {
        Failure failure;
        if (write(device, &failure))
            return true;
        if (error)
            *error = failureReason(failure);
        return false;
    };
}
