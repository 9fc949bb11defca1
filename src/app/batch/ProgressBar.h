// A one-line progress bar on standard error, drawn only when standard error is a terminal.
#pragma once

#include "BatchRun.h"

#include <QElapsedTimer>

class ProgressBar final : public BatchProgress {
public:
    explicit ProgressBar(bool verbose);
    void Stage(const QString &name) override;
    void Advance(qint64 done, qint64 total) override;
    void Finish() override;
    void Note(const QString &text) override;

private:
    void Draw(int percent);

    bool enabled_;
    bool verbose_;
    bool drawn_ = false;
    QString stage_;
    int lastPercent_ = -1;
    QElapsedTimer sinceDraw_;
};
