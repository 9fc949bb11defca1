// A one-line progress bar on standard error, drawn only when standard error is a terminal.
#pragma once

#include "BatchRun.h"

#include <QElapsedTimer>

class ProgressBar final : public BatchProgress {
public:
    ProgressBar();
    void Stage(const QString &name) override;
    void Advance(qint64 done, qint64 total) override;
    void Finish() override;

private:
    void Draw(int percent);

    bool enabled_;
    bool drawn_ = false;
    QString stage_;
    int lastPercent_ = -1;
    QElapsedTimer sinceDraw_;
};
