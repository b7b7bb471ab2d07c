#include "portraits.h"

#include <array>

#include <QBuffer>
#include <QImage>
#include <QPainter>

namespace OfflineDemo {
namespace {

// Both are drawn on a 100 by 100 canvas; avatarPng scales it to the side asked for.
void paintFace(QPainter &p, quint32 seed)
{
    const int hue = int(seed % 360);
    QLinearGradient sky(0, 0, 0, 100);
    sky.setColorAt(0, QColor::fromHsv(hue, 70, 250));
    sky.setColorAt(1, QColor::fromHsv(hue, 150, 215));
    p.fillRect(QRectF(0, 0, 100, 100), sky);

    // Shoulders in a shirt of the opposite hue.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor::fromHsv((hue + 180) % 360, 170, 200));
    p.drawEllipse(QRectF(16, 72, 68, 56));
    // Head, hair, eyes, cheeks and a smile.
    p.setBrush(QColor(0xf6, 0xd0, 0xa8));
    p.drawEllipse(QPointF(50, 45), 23, 25);
    p.setBrush(QColor::fromHsv(int(seed / 360 % 40), 160, 70));
    p.drawChord(QRectF(26, 18, 48, 40), 10 * 16, 160 * 16);
    p.setBrush(QColor(0x33, 0x28, 0x22));
    p.drawEllipse(QPointF(41.5, 47), 2.8, 3.3);
    p.drawEllipse(QPointF(58.5, 47), 2.8, 3.3);
    p.setBrush(QColor(0xf2, 0x8f, 0x8f, 150));
    p.drawEllipse(QPointF(36, 55), 4, 2.5);
    p.drawEllipse(QPointF(64, 55), 4, 2.5);
    QPen mouth(QColor(0x9a, 0x3b, 0x2e), 2.2, Qt::SolidLine, Qt::RoundCap);
    p.setPen(mouth);
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(42, 48, 16, 11), 200 * 16, 140 * 16);
}

void paintGarden(QPainter &p, quint32 seed)
{
    // Petal hues that stand out from the green hills: pink, red, purple, orange, blue, magenta.
    static constexpr std::array petalHues = {335, 355, 275, 30, 210, 305};
    const int hue = petalHues.at((seed >> 3) % petalHues.size());
    QLinearGradient sky(0, 0, 0, 100);
    sky.setColorAt(0, QColor(0x8e, 0xc9, 0xf0));
    sky.setColorAt(1, QColor(0xe3, 0xf4, 0xfd));
    p.fillRect(QRectF(0, 0, 100, 100), sky);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xff, 0xd5, 0x4a));
    p.drawEllipse(QPointF(78, 22), 11, 11);
    // Two hills.
    p.setBrush(QColor(0x7c, 0xc5, 0x76));
    p.drawEllipse(QRectF(-30, 70, 110, 70));
    p.setBrush(QColor(0x4f, 0xa8, 0x5a));
    p.drawEllipse(QRectF(35, 78, 100, 60));
    // The vine's flower: a stem, two leaves, five petals around a heart.
    p.setPen(QPen(QColor(0x2e, 0x7d, 0x32), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(48, 88), QPointF(48, 52));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x43, 0xa0, 0x47));
    p.drawEllipse(QRectF(35, 68, 13, 6));
    p.drawEllipse(QRectF(48, 62, 13, 6));
    p.setBrush(QColor::fromHsv(hue, 150, 245));
    for (int i = 0; i < 5; ++i) {
        p.save();
        p.translate(48, 44);
        p.rotate(72.0 * i);
        p.drawEllipse(QPointF(0, -9), 6.5, 9);
        p.restore();
    }
    p.setBrush(QColor(0xff, 0xc1, 0x07));
    p.drawEllipse(QPointF(48, 44), 5, 5);
}

} // namespace

QByteArray avatarPng(AvatarStyle style, int side, quint32 seed)
{
    QImage image(side, side, QImage::Format_RGB32);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(side / 100.0, side / 100.0);
        if (style == AvatarStyle::Face)
            paintFace(p, seed);
        else
            paintGarden(p, seed);
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

} // namespace OfflineDemo
