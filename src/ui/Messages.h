// The editor's words for the failures the logic reports as codes: each reason is worded
// here and nowhere else, and shown under the heading and path of readErrorText or
// writeErrorText.
#pragma once

#include <QString>

struct GridFileFailure;
struct OpenFailure;
struct TextPouringResult;

QString failureReason(const OpenFailure &failure);
QString failureReason(const GridFileFailure &failure);
QString failureReason(const TextPouringResult &result);
