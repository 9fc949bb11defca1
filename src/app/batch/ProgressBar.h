// A one-line progress bar on standard error, drawn only when standard error is a terminal.
#pragma once

#include "BatchRun.h"

#include <QElapsedTimer>

class ProgressBar final : public BatchProgress {
public:
    explicit ProgressBar(bool verbose);
    void stage(const QString &name) override;
    void advance(qint64 done, qint64 total) override;
    void finish() override;
    void note(const QString &text) override;

private:
    void draw(int percent);

    bool enabled_;
    bool verbose_;
    bool drawn_ = false;
    QString stage_;
    int lastPercent_ = -1;
    QElapsedTimer sinceDraw_;
};
