#include "preview_pane.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPolygon>
#include <QWheelEvent>
#include <cmath>
#include <utility>

namespace {

// One notch of the wheel (120 eighths of a degree) zooms by this; a
// touchpad's smaller steps by the matching share of it.
constexpr double kNotchZoom = 1.25;
constexpr double kEighthsPerNotch = 120;

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
  // Focus for Ctrl and +/- by a click only: the window's tab order stays.
  setFocusPolicy(Qt::ClickFocus);
}

void PreviewPane::Show(preview::Outcome outcome) {
  m_picture.Set(std::move(outcome));
  ViewportChanged();
}

void PreviewPane::ShowComing() {
  m_picture.SetComing();
  update();
}

void PreviewPane::ZoomAt(QPoint at, double factor) {
  m_picture.ZoomAt({at.x(), at.y()}, factor, width(), height());
  ViewportChanged();
}

void PreviewPane::ViewportChanged() {
  if (m_dragFrom) {
    setCursor(Qt::ClosedHandCursor);
  } else if (m_picture.View().zoom > 1) {
    setCursor(Qt::OpenHandCursor);
  } else {
    unsetCursor();
  }
  update();
}

void PreviewPane::wheelEvent(QWheelEvent* event) {
  const int eighths = event->angleDelta().y();
  if (eighths == 0) {
    event->ignore();
    return;
  }
  ZoomAt(event->position().toPoint(), std::pow(kNotchZoom, eighths / kEighthsPerNotch));
}

void PreviewPane::keyPressEvent(QKeyEvent* event) {
  const bool control = event->modifiers() & Qt::ControlModifier;
  const int key = event->key();
  if (control && (key == Qt::Key_Plus || key == Qt::Key_Equal)) {
    ZoomAt(rect().center(), kNotchZoom);
  } else if (control && key == Qt::Key_Minus) {
    ZoomAt(rect().center(), 1 / kNotchZoom);
  } else {
    QWidget::keyPressEvent(event);
  }
}

void PreviewPane::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
  m_dragFrom = event->position().toPoint();
  ViewportChanged();
}

void PreviewPane::mouseMoveEvent(QMouseEvent* event) {
  if (!m_dragFrom || !(event->buttons() & Qt::LeftButton)) return QWidget::mouseMoveEvent(event);
  const QPoint at = event->position().toPoint();
  const QPoint moved = at - *m_dragFrom;
  m_dragFrom = at;
  m_picture.Pan(moved.x(), moved.y(), width(), height());
  ViewportChanged();
}

void PreviewPane::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QWidget::mouseReleaseEvent(event);
  m_dragFrom.reset();
  ViewportChanged();
}

void PreviewPane::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QWidget::mouseDoubleClickEvent(event);
  m_picture.Fit();
  ViewportChanged();
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
  painter.setBackground(Qt::white);
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
        // On white, so that no line of the map runs through a text.
        painter.setPen(colour);
        painter.setBackgroundMode(Qt::OpaqueMode);
        painter.drawText(
            at, QString::fromUtf8(shape.text.data(), static_cast<qsizetype>(shape.text.size())));
        painter.setBackgroundMode(Qt::TransparentMode);
        break;
    }
  }
}
