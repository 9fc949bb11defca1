// Draws the example picture: a mountain with a snow cap, the morning sun and waves on a
// white ground. The white is left out when the poem is poured, so the text takes the
// shape of the picture.
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>

int main(int argc, char *argv[])
{
    if (argc != 2) {
        std::fputs("usage: draw-example-picture OUTPUT.png\n", stderr);
        return 2;
    }
    QImage picture(384, 288, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);

    painter.setBrush(QColor(0xE8, 0x4A, 0x3C)); // the sun
    painter.drawEllipse(QPointF(300, 62), 40, 40);

    QPainterPath mountain;
    mountain.moveTo(0, 250);
    mountain.lineTo(150, 60);
    mountain.lineTo(200, 60);
    mountain.lineTo(384, 250);
    mountain.closeSubpath();
    QLinearGradient slope(0, 60, 0, 250);
    slope.setColorAt(0, QColor(0x5B, 0x7F, 0xC4));
    slope.setColorAt(1, QColor(0x2E, 0x4A, 0x86));
    painter.setBrush(slope);
    painter.drawPath(mountain);

    QPainterPath snow;
    snow.moveTo(103, 120);
    snow.lineTo(150, 60);
    snow.lineTo(200, 60);
    snow.lineTo(258, 120);
    for (int x = 258; x > 103; x -= 31)
        snow.lineTo(x - 15.5, 138 - (x / 31 % 2) * 10);
    snow.closeSubpath();
    painter.setBrush(QColor(0xD8, 0xE6, 0xF5));
    painter.drawPath(snow);

    painter.setBrush(QColor(0x3C, 0x9B, 0xD0)); // the sea
    QPainterPath sea;
    sea.moveTo(0, 288);
    for (int x = 0; x <= 384; x += 48)
        sea.quadTo(x + 24, 236, x + 48, 252);
    sea.lineTo(384, 288);
    sea.closeSubpath();
    painter.drawPath(sea);
    painter.end();

    if (!picture.save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "draw-example-picture: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
