#include "editor/IconStrip.h"

#include <QPainter>
#include <QPainterPath>
#include <array>
#include <functional>

#include "tree/TableTreeCtrl.h"

namespace quorvelin {
namespace {

using Draw = std::function<void(QPainter&)>;

const QColor kInk(40, 40, 40);
const QColor kBlue(40, 90, 170);
const QColor kGreen(40, 140, 60);
const QColor kOrange(220, 130, 30);
const QColor kPaper(250, 250, 240);
const QColor kYellow(235, 200, 80);

void Page(QPainter& p, const QColor& fill) {
  QPainterPath path;
  path.moveTo(3.5, 1.5);
  path.lineTo(10.5, 1.5);
  path.lineTo(13.5, 4.5);
  path.lineTo(13.5, 14.5);
  path.lineTo(3.5, 14.5);
  path.closeSubpath();
  p.setPen(kInk);
  p.setBrush(fill);
  p.drawPath(path);
  p.drawLine(QPointF(10.5, 1.5), QPointF(10.5, 4.5));
  p.drawLine(QPointF(10.5, 4.5), QPointF(13.5, 4.5));
}

void Folder(QPainter& p, bool open) {
  p.setPen(kInk);
  p.setBrush(kYellow);
  p.drawRect(QRectF(1.5, 4.5, 13, 9));
  p.drawRect(QRectF(1.5, 2.5, 5, 2));
  if (open) {
    p.setBrush(kYellow.lighter(120));
    p.drawPolygon(QPolygonF({QPointF(3.5, 7.5), QPointF(15.5, 7.5), QPointF(13.5, 13.5), QPointF(1.5, 13.5)}));
  }
}

void Grid(QPainter& p, const QColor& head) {
  p.setPen(kInk);
  p.setBrush(kPaper);
  p.drawRect(QRectF(1.5, 2.5, 13, 11));
  p.fillRect(QRectF(2, 3, 12, 3), head);
  for (double y : {6.5, 9.5}) p.drawLine(QPointF(1.5, y), QPointF(14.5, y));
  p.drawLine(QPointF(6.5, 6.5), QPointF(6.5, 13.5));
}

// One drawing per image index.
std::array<Draw, kIconCount> Drawings() {
  return {{
      // 0 device
      [](QPainter& p) {
        p.setPen(kInk);
        p.setBrush(QColor(120, 120, 130));
        p.drawRoundedRect(QRectF(1.5, 5.5, 13, 6), 1, 1);
        p.setBrush(kGreen);
        p.drawEllipse(QPointF(4, 8.5), 1.2, 1.2);
        p.setPen(QColor(200, 200, 200));
        p.drawLine(QPointF(7, 8.5), QPointF(13, 8.5));
      },
      // 1 folder
      [](QPainter& p) { Folder(p, false); },
      // 2 line: a field of a table
      [](QPainter& p) {
        p.setPen(Qt::NoPen);
        p.setBrush(kBlue);
        p.drawEllipse(QPointF(4, 8), 2, 2);
        p.setPen(QPen(kInk, 1.5));
        p.drawLine(QPointF(8, 8), QPointF(14, 8));
      },
      // 3 descriptor: a tag
      [](QPainter& p) {
        p.setPen(kInk);
        p.setBrush(kOrange);
        p.drawPolygon(QPolygonF({QPointF(1.5, 8), QPointF(5.5, 3.5), QPointF(14.5, 3.5), QPointF(14.5, 12.5),
                                 QPointF(5.5, 12.5)}));
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(5.5, 8), 1.2, 1.2);
      },
      // 4 program: a screen
      [](QPainter& p) {
        p.setPen(kInk);
        p.setBrush(QColor(60, 60, 70));
        p.drawRoundedRect(QRectF(1.5, 2.5, 13, 9), 1.5, 1.5);
        p.fillRect(QRectF(3, 4, 10, 6), QColor(90, 160, 230));
        p.drawLine(QPointF(8, 11.5), QPointF(8, 13.5));
        p.drawLine(QPointF(5, 13.5), QPointF(11, 13.5));
      },
      // 5 section: a page
      [](QPainter& p) {
        Page(p, kPaper);
        p.setPen(kBlue);
        for (double y : {6.5, 8.5, 10.5, 12.5}) p.drawLine(QPointF(5.5, y), QPointF(11.5, y));
      },
      // 6 video: a film strip
      [](QPainter& p) {
        p.setPen(kInk);
        p.setBrush(QColor(50, 50, 50));
        p.drawRect(QRectF(2.5, 1.5, 11, 13));
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        for (double y : {2.5, 5.5, 8.5, 11.5}) {
          p.drawRect(QRectF(3.2, y, 1.5, 1.5));
          p.drawRect(QRectF(11.3, y, 1.5, 1.5));
        }
        p.setBrush(QColor(90, 160, 230));
        p.drawRect(QRectF(5.5, 3, 5, 4));
        p.drawRect(QRectF(5.5, 9, 5, 4));
      },
      // 7 audio: a note
      [](QPainter& p) {
        p.setPen(QPen(kInk, 1.5));
        p.drawLine(QPointF(6.5, 12), QPointF(6.5, 3));
        p.drawLine(QPointF(6.5, 3), QPointF(12.5, 2));
        p.drawLine(QPointF(12.5, 2), QPointF(12.5, 11));
        p.setPen(Qt::NoPen);
        p.setBrush(kBlue);
        p.drawEllipse(QPointF(4.5, 12.5), 2.2, 1.8);
        p.drawEllipse(QPointF(10.5, 11.5), 2.2, 1.8);
      },
      // 8 data: bars
      [](QPainter& p) {
        p.setPen(kInk);
        p.setBrush(kGreen);
        p.drawRect(QRectF(2.5, 8.5, 3, 6));
        p.drawRect(QRectF(6.5, 4.5, 3, 10));
        p.drawRect(QRectF(10.5, 1.5, 3, 13));
      },
      // 9 table root
      [](QPainter& p) { Grid(p, kBlue); },
      // 10 table root, other colour
      [](QPainter& p) { Grid(p, kGreen); },
      // 11 port: a connector
      [](QPainter& p) {
        p.setPen(kInk);
        p.setBrush(QColor(190, 190, 200));
        p.drawRect(QRectF(4.5, 1.5, 7, 6));
        p.setBrush(kOrange);
        p.drawRect(QRectF(2.5, 7.5, 11, 4));
        p.setPen(QPen(kInk, 1.5));
        p.drawLine(QPointF(8, 11.5), QPointF(8, 15));
      },
      // 12 network: a globe
      [](QPainter& p) {
        p.setPen(kInk);
        p.setBrush(QColor(120, 180, 230));
        p.drawEllipse(QPointF(8, 8), 6.5, 6.5);
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(8, 8), 3, 6.5);
        p.drawLine(QPointF(1.5, 8), QPointF(14.5, 8));
      },
      // 13 clock
      [](QPainter& p) {
        p.setPen(kInk);
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(8, 8), 6.5, 6.5);
        p.setPen(QPen(kInk, 1.5));
        p.drawLine(QPointF(8, 8), QPointF(8, 3.5));
        p.drawLine(QPointF(8, 8), QPointF(11, 9.5));
      },
      // 14 key: conditional access
      [](QPainter& p) {
        p.setPen(kInk);
        p.setBrush(kYellow);
        p.drawEllipse(QPointF(4.5, 8), 3, 3);
        p.drawRect(QRectF(7.5, 7, 7, 2));
        p.drawRect(QRectF(11.5, 9, 1.5, 2.5));
      },
      // 15 bouquet: a stack of pages
      [](QPainter& p) {
        p.setPen(kInk);
        p.setBrush(kPaper.darker(110));
        p.drawRect(QRectF(5.5, 1.5, 9, 9));
        p.drawRect(QRectF(3.5, 3.5, 9, 9));
        p.setBrush(kPaper);
        p.drawRect(QRectF(1.5, 5.5, 9, 9));
      },
      // 16 service: an antenna
      [](QPainter& p) {
        p.setPen(QPen(kInk, 1.5));
        p.drawLine(QPointF(8, 6), QPointF(4, 15));
        p.drawLine(QPointF(8, 6), QPointF(12, 15));
        p.setPen(QPen(kOrange, 1.2));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(4, 2, 8, 8), 30 * 16, 120 * 16);
        p.drawArc(QRectF(1.5, 0, 13, 12), 40 * 16, 100 * 16);
      },
      // 17 transport stream: arrows
      [](QPainter& p) {
        p.setPen(QPen(kBlue, 1.5));
        p.drawLine(QPointF(1.5, 5), QPointF(13, 5));
        p.drawLine(QPointF(13, 5), QPointF(10, 2.5));
        p.drawLine(QPointF(3, 11), QPointF(14.5, 11));
        p.drawLine(QPointF(3, 11), QPointF(6, 13.5));
      },
      // 18 warning
      [](QPainter& p) {
        p.setPen(kInk);
        p.setBrush(kYellow);
        p.drawPolygon(QPolygonF({QPointF(8, 1.5), QPointF(14.5, 14.5), QPointF(1.5, 14.5)}));
        p.setPen(QPen(kInk, 1.5));
        p.drawLine(QPointF(8, 6), QPointF(8, 10.5));
        p.drawPoint(QPointF(8, 12.5));
      },
      // 19 a plain page
      [](QPainter& p) { Page(p, Qt::white); },
  }};
}

}  // namespace

QPixmap DrawIconStrip() {
  QPixmap strip(kIconSize * kIconCount, kIconSize);
  strip.fill(Qt::transparent);
  QPainter p(&strip);
  p.setRenderHint(QPainter::Antialiasing);
  const auto drawings = Drawings();
  for (int i = 0; i < kIconCount; ++i) {
    p.save();
    p.translate(i * kIconSize, 0);
    p.setClipRect(0, 0, kIconSize, kIconSize);
    drawings[static_cast<size_t>(i)](p);
    p.restore();
  }
  return strip;
}

std::vector<QPixmap> IconImages() {
  static_assert(kImagePort < kIconCount && kImageRoot < kIconCount && kImageAudio < kIconCount);
  const QPixmap strip = DrawIconStrip();
  std::vector<QPixmap> images;
  images.reserve(kIconCount);
  for (int i = 0; i < kIconCount; ++i) images.push_back(strip.copy(i * kIconSize, 0, kIconSize, kIconSize));
  return images;
}

}  // namespace quorvelin
