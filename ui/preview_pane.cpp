#include "preview_pane.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygon>
#include <utility>

namespace {

QColor QtColourOf(preview::Role role) {
  return QColor::fromRgb(static_cast<QRgb>(preview::ColourOf(role)));
}

QPolygon Polygon(const std::vector<preview::Pixel>& points) {
  QPolygon polygon;
  polygon.reserve(static_cast<qsizetype>(points.size()));
  for (const preview::Pixel& point : points) polygon << QPoint(point.x, point.y);
  return polygon;
}

}  // namespace

PreviewPane::PreviewPane(QWidget* parent) : QWidget(parent) {
  setAutoFillBackground(false);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void PreviewPane::Show(preview::Outcome outcome) {
  m_picture.Set(std::move(outcome));
  update();
}

void PreviewPane::SetLanguage(Language language) {
  m_language = language;
  update();
}

void PreviewPane::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
  painter.setPen(QColor(0x80, 0x80, 0x80));
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
  painter.setRenderHint(QPainter::Antialiasing, true);
  for (const preview::Shape& shape : m_picture.Shapes(width(), height(), m_language)) {
    const QColor colour = QtColourOf(shape.role);
    const QPoint at =
        shape.points.empty() ? QPoint() : QPoint(shape.points[0].x, shape.points[0].y);
    switch (shape.role) {
      case preview::Role::InputLine:
      case preview::Role::OutputLine:
        painter.setPen(QPen(colour, shape.role == preview::Role::OutputLine ? 2.5 : 3.5,
                            Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        if (shape.points.size() == 1) {
          painter.drawPoint(at);
        } else {
          painter.drawPolyline(Polygon(shape.points));
        }
        break;
      case preview::Role::Via:
      case preview::Role::Waypoint:
        painter.setPen(Qt::NoPen);
        painter.setBrush(colour);
        painter.drawEllipse(at, shape.role == preview::Role::Via ? 3 : 2,
                            shape.role == preview::Role::Via ? 3 : 2);
        painter.setBrush(Qt::NoBrush);
        break;
      case preview::Role::Reclassified:
        painter.setPen(QPen(colour, 2));
        painter.drawEllipse(at, 6, 6);
        break;
      case preview::Role::ScaleBar:
      case preview::Role::NorthArrow:
        painter.setPen(QPen(colour, 1.5));
        painter.drawPolyline(Polygon(shape.points));
        break;
      case preview::Role::Label:
      case preview::Role::Status:
        painter.setPen(colour);
        painter.drawText(
            at, QString::fromUtf8(shape.text.data(), static_cast<qsizetype>(shape.text.size())));
        break;
    }
  }
}
