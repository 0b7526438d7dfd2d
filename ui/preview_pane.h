// The preview pane of the converter window: draws the shapes of the picture
// model (preview_model.h) with a painter. It keeps the latest picture and
// its layout for the pane's size, and forwards the wheel, Ctrl and +/-, a
// drag and a double click to the model's viewport.
#pragma once

#include <QPoint>
#include <QWidget>
#include <optional>

#include "preview_model.h"

class PreviewPane : public QWidget {
  Q_OBJECT

 public:
  explicit PreviewPane(QWidget* parent = nullptr);

  void Show(preview::Outcome outcome);
  // A newer picture is being made: the status says so until Show.
  void ShowComing();
  void SetLanguage(Language language);
  const preview::Outcome& Shown() const { return m_picture.Current(); }
  const preview::Viewport& View() const { return m_picture.View(); }

  // As high as the controls beside it need, so that the window only grows wider.
  QSize sizeHint() const override { return {380, 260}; }
  QSize minimumSizeHint() const override { return {380, 260}; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  void ZoomAt(QPoint at, double factor);
  void ViewportChanged();

  preview::ShownPicture m_picture;
  Language m_language = Language::kEnglish;
  std::optional<QPoint> m_dragFrom;  // the pointer's last place during a drag
};
