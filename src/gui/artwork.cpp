#include "gui/artwork.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include "gui/fonts.h"

namespace vk2::gui {

namespace {

QPixmap blank(int w, int h) {
  QPixmap p(w, h);
  p.fill(Qt::transparent);
  return p;
}

void smooth(QPainter& p) {
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
}

}  // namespace

QPixmap bannerPicture(int width, int height) {
  QPixmap pic(width, height);
  QPainter p(&pic);
  smooth(p);
  QLinearGradient sky(0, 0, 0, height);
  sky.setColorAt(0, QColor(0x2b, 0x31, 0x3b));
  sky.setColorAt(1, QColor(0x0d, 0x10, 0x15));
  p.fillRect(pic.rect(), sky);

  // A road vanishing to the right, seen through a windscreen.
  p.setPen(QPen(QColor(0xf5, 0xc5, 0x18, 90), 1.2));
  for (int i = 0; i < 6; ++i) p.drawLine(QPointF(width * 0.55 + i * 30, height), QPointF(width - 10, height * 0.35));

  // Logo: a camera lens.
  const qreal r = height * 0.36;
  const QPointF c(height * 0.55, height / 2.0);
  QRadialGradient lens(c, r);
  lens.setColorAt(0, QColor(0x4f, 0xa8, 0xff));
  lens.setColorAt(0.55, QColor(0x16, 0x4a, 0x8c));
  lens.setColorAt(1, QColor(0x05, 0x0a, 0x14));
  p.setPen(QPen(QColor(0xd8, 0xdd, 0xe3), 2));
  p.setBrush(lens);
  p.drawEllipse(c, r, r);
  p.setBrush(QColor(255, 255, 255, 180));
  p.setPen(Qt::NoPen);
  p.drawEllipse(c + QPointF(-r * 0.35, -r * 0.35), r * 0.18, r * 0.18);

  QFont title = tahoma(10);
  title.setPixelSize(qMax(10, height * 2 / 5));
  title.setBold(true);
  p.setFont(title);
  p.setPen(QColor(0xf5, 0xc5, 0x18));
  const int textLeft = static_cast<int>(c.x() + r + 8);
  p.drawText(QRect(textLeft, 0, width - textLeft, height * 3 / 5 + 2), Qt::AlignLeft | Qt::AlignBottom, "VK2");
  const int vk2Width = p.fontMetrics().horizontalAdvance("VK2 ");
  QFont sub = tahoma(8);
  sub.setPixelSize(qMax(8, height / 4));
  p.setFont(sub);
  p.setPen(QColor(0xe6, 0xe9, 0xee));
  p.drawText(QRect(textLeft + vk2Width, 0, width, height * 3 / 5), Qt::AlignLeft | Qt::AlignBottom,
             "MP4 Conversion Tool");
  return pic;
}

QPixmap openFolderPicture() {
  QPixmap pic = blank(60, 46);
  QPainter p(&pic);
  smooth(p);
  const QColor line(0x5a, 0x5e, 0x66);
  p.setPen(QPen(line, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  // Back of the folder with its tab.
  QPainterPath back;
  back.moveTo(6, 40);
  back.lineTo(6, 8);
  back.lineTo(20, 8);
  back.lineTo(24, 13);
  back.lineTo(46, 13);
  back.lineTo(46, 19);
  p.setBrush(QColor(0xdc, 0xde, 0xe2));
  p.drawPath(back);
  // A sheet peeking out.
  p.setBrush(Qt::white);
  p.drawRect(QRectF(13, 16, 26, 14));
  // Open front flap.
  QPainterPath front;
  front.moveTo(6, 40);
  front.lineTo(15, 21);
  front.lineTo(55, 21);
  front.lineTo(46, 40);
  front.closeSubpath();
  p.setBrush(QColor(0xb8, 0xbc, 0xc3));
  p.drawPath(front);
  return pic;
}

QPixmap filmStripPicture() {
  QPixmap pic = blank(53, 47);
  QPainter p(&pic);
  smooth(p);
  const QRectF strip(4, 6, 45, 35);
  p.setPen(QPen(QColor(0x23, 0x26, 0x2b), 1.5));
  p.setBrush(QColor(0x33, 0x37, 0x3e));
  p.drawRoundedRect(strip, 3, 3);
  // Sprocket holes along both edges.
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0xf2, 0xf2, 0xf2));
  for (int i = 0; i < 6; ++i) {
    p.drawRect(QRectF(7 + i * 7, 8.5, 4, 3.5));
    p.drawRect(QRectF(7 + i * 7, 35, 4, 3.5));
  }
  // The picture area with a play triangle.
  p.setBrush(QColor(0x4f, 0x9c, 0xe8));
  p.drawRect(QRectF(6, 14, 41, 19));
  QPainterPath play;
  play.moveTo(22, 17);
  play.lineTo(34, 23.5);
  play.lineTo(22, 30);
  play.closeSubpath();
  p.setBrush(Qt::white);
  p.drawPath(play);
  return pic;
}

QPixmap memoryCardPicture() {
  QPixmap pic = blank(51, 49);
  QPainter p(&pic);
  smooth(p);
  QPainterPath card;
  card.moveTo(12, 4);
  card.lineTo(40, 4);
  card.quadTo(44, 4, 44, 8);
  card.lineTo(44, 42);
  card.quadTo(44, 46, 40, 46);
  card.lineTo(11, 46);
  card.quadTo(7, 46, 7, 42);
  card.lineTo(7, 12);
  card.closeSubpath();
  p.setPen(QPen(QColor(0x23, 0x26, 0x2b), 1.5));
  p.setBrush(QColor(0x3b, 0x41, 0x4a));
  p.drawPath(card);
  // Gold contacts.
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0xe0, 0xb0, 0x2c));
  for (int i = 0; i < 5; ++i) p.drawRect(QRectF(15 + i * 5.5, 7, 3.5, 9));
  // Label.
  p.setBrush(QColor(0xf0, 0xf1, 0xf3));
  p.drawRoundedRect(QRectF(12, 24, 27, 16), 2, 2);
  QFont f = tahoma(8);
  f.setPixelSize(9);
  f.setBold(true);
  p.setFont(f);
  p.setPen(QColor(0x23, 0x26, 0x2b));
  p.drawText(QRectF(12, 24, 27, 16), Qt::AlignCenter, "SD");
  return pic;
}

QImage programIcon(int size) {
  QImage pic(size, size, QImage::Format_ARGB32_Premultiplied);
  pic.fill(Qt::transparent);
  QPainter p(&pic);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 64.0, size / 64.0);  // drawn on a 64 x 64 grid
  QPainterPath tile;
  tile.addRoundedRect(QRectF(2, 2, 60, 60), 12, 12);
  QLinearGradient sky(0, 2, 0, 62);
  sky.setColorAt(0, QColor(0x2b, 0x31, 0x3b));
  sky.setColorAt(1, QColor(0x0d, 0x10, 0x15));
  p.fillPath(tile, sky);

  // A road vanishing towards the top right, within the tile.
  p.setClipPath(tile);
  p.setPen(Qt::NoPen);
  const QPointF horizon(52, 16);
  QPainterPath road;
  road.moveTo(horizon);
  road.lineTo(70, 64);
  road.lineTo(12, 64);
  road.closeSubpath();
  p.setBrush(QColor(0x3b, 0x41, 0x4a));
  p.drawPath(road);
  p.setPen(QPen(QColor(0xf5, 0xc5, 0x18), 2.5, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(horizon, QPointF(12, 64));
  p.drawLine(horizon, QPointF(70, 64));
  QPen middle(QColor(0xf2, 0xf2, 0xf2), 2, Qt::SolidLine, Qt::FlatCap);
  middle.setDashPattern({3, 2.5});
  p.setPen(middle);
  p.drawLine(horizon, QPointF(41, 64));
  p.setClipping(false);

  // The lens in front of it.
  const QPointF c(24, 27);
  const qreal r = 16;
  QRadialGradient lens(c, r);
  lens.setColorAt(0, QColor(0x4f, 0xa8, 0xff));
  lens.setColorAt(0.55, QColor(0x16, 0x4a, 0x8c));
  lens.setColorAt(1, QColor(0x05, 0x0a, 0x14));
  p.setPen(QPen(QColor(0xd8, 0xdd, 0xe3), 3));
  p.setBrush(lens);
  p.drawEllipse(c, r, r);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(255, 255, 255, 190));
  p.drawEllipse(c + QPointF(-r * 0.35, -r * 0.35), r * 0.2, r * 0.2);
  return pic;
}

}  // namespace vk2::gui
