// One batch run: the editor's steps on one sheet, in the editor's order, then the outputs.
#pragma once

#include "BatchOptions.h"

#include <QString>

class GridSheet;

// Receives what the run is doing, for a progress bar.
class BatchProgress {
public:
    virtual ~BatchProgress() = default;
    virtual void stage(const QString &name) = 0;
    virtual void advance(qint64 done, qint64 total) = 0;
    virtual void finish() = 0;
    // What a step did, for --verbose.
    virtual void note(const QString &text) = 0;
};

class SilentProgress final : public BatchProgress {
public:
    void stage(const QString &) override { }
    void advance(qint64, qint64) override { }
    void finish() override { }
    void note(const QString &) override { }
};

enum BatchExitCode { kBatchDone = 0, kBatchFailed = 1, kBatchUsage = 2 };

// Runs the steps the options ask for on `sheet` and writes the outputs. On failure the
// returned code is kBatchFailed and `message` says why in one line; no output is left
// half written (each one is written whole or not at all).
int runBatch(const BatchOptions &options, GridSheet &sheet, BatchProgress &progress, QString *message);

struct OpenFailure;
// Why a file would not open, in the batch's words.
QString failureReason(const OpenFailure &failure);
