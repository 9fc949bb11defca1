// The editor's words for the failures the logic reports as codes, shown under the heading
// and path of readErrorText or writeErrorText; the file formats' own reasons come from
// wording/FailureReasons, which the batch shares.
#pragma once

#include <QString>

struct GridFileFailure;
struct OpenFailure;
struct TextPouringResult;

QString failureReason(const OpenFailure &failure);
QString failureReason(const GridFileFailure &failure);
QString failureReason(const TextPouringResult &result);

// Why a dropped or named file is not opened: it is no grid file, picture or text.
QString foreignFileReason();
