#include "ProgressBar.h"

#include "Messages.h"

#include <algorithm>
#include <cstdio>
#include <unistd.h>

ProgressBar::ProgressBar(bool verbose)
    : enabled_(isatty(fileno(messageStream())) == 1)
    , verbose_(verbose)
{
}

void ProgressBar::note(const QString &text)
{
    if (!verbose_)
        return;
    if (drawn_)
        std::fputs("\r\x1b[K", messageStream());
    const QByteArray line = QByteArrayLiteral("glyphscape-batch: ") + text.toLocal8Bit() + '\n';
    std::fwrite(line.constData(), 1, size_t(line.size()), messageStream());
    std::fflush(stderr);
    if (drawn_)
        draw(std::max(lastPercent_, 0));
}

void ProgressBar::stage(const QString &name)
{
    if (!enabled_)
        return;
    stage_ = name;
    lastPercent_ = -1;
    draw(0);
}

void ProgressBar::advance(qint64 done, qint64 total)
{
    if (!enabled_ || total <= 0)
        return;
    const int percent = int(done * 100 / total);
    // At most a few redraws a second: a terminal is slow next to the conversion.
    if (percent == lastPercent_ || (sinceDraw_.isValid() && sinceDraw_.elapsed() < 100 && percent < 100))
        return;
    draw(percent);
}

void ProgressBar::draw(int percent)
{
    constexpr int kWidth = 30;
    lastPercent_ = percent;
    sinceDraw_.start();
    const int filled = percent * kWidth / 100;
    const QByteArray line = QByteArrayLiteral("\r") + stage_.leftJustified(10).toLocal8Bit() + " ["
        + QByteArray(filled, '#') + QByteArray(kWidth - filled, '.') + "] " + QByteArray::number(percent) + "%\x1b[K";
    std::fwrite(line.constData(), 1, size_t(line.size()), messageStream());
    std::fflush(stderr);
    drawn_ = true;
}

void ProgressBar::finish()
{
    if (!drawn_)
        return;
    std::fputs("\r\x1b[K", messageStream());
    std::fflush(stderr);
    drawn_ = false;
}
