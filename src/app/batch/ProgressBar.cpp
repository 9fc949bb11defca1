#include "ProgressBar.h"

#include "Messages.h"

#include <algorithm>
#include <cstdio>
#include <unistd.h>

ProgressBar::ProgressBar(bool verbose)
    : enabled_(isatty(fileno(MessageStream())) == 1)
    , verbose_(verbose)
{
}

void ProgressBar::Note(const QString &text)
{
    if (!verbose_)
        return;
    if (drawn_)
        std::fputs("\r\x1b[K", MessageStream());
    const QByteArray line = QByteArrayLiteral("glyphscape-batch: ") + text.toLocal8Bit() + '\n';
    std::fwrite(line.constData(), 1, size_t(line.size()), MessageStream());
    std::fflush(stderr);
    if (drawn_)
        Draw(std::max(lastPercent_, 0));
}

void ProgressBar::Stage(const QString &name)
{
    if (!enabled_)
        return;
    stage_ = name;
    lastPercent_ = -1;
    Draw(0);
}

void ProgressBar::Advance(qint64 done, qint64 total)
{
    if (!enabled_ || total <= 0)
        return;
    const int percent = int(done * 100 / total);
    // At most a few redraws a second: a terminal is slow next to the conversion.
    if (percent == lastPercent_ || (sinceDraw_.isValid() && sinceDraw_.elapsed() < 100 && percent < 100))
        return;
    Draw(percent);
}

void ProgressBar::Draw(int percent)
{
    constexpr int kWidth = 30;
    lastPercent_ = percent;
    sinceDraw_.start();
    const int filled = percent * kWidth / 100;
    const QByteArray line = QByteArrayLiteral("\r") + stage_.leftJustified(10).toLocal8Bit() + " ["
        + QByteArray(filled, '#') + QByteArray(kWidth - filled, '.') + "] " + QByteArray::number(percent)
        + "%\x1b[K";
    std::fwrite(line.constData(), 1, size_t(line.size()), MessageStream());
    std::fflush(stderr);
    drawn_ = true;
}

void ProgressBar::Finish()
{
    if (!drawn_)
        return;
    std::fputs("\r\x1b[K", MessageStream());
    std::fflush(stderr);
    drawn_ = false;
}
