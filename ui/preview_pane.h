// The preview pane of the converter window: draws the shapes of the picture
// model (preview_model.h) with a painter. It keeps the latest picture and
// its layout for the pane's size.
#pragma once

#include <QWidget>

#include "preview_model.h"

class PreviewPane : public QWidget {
  Q_OBJECT

 public:
  explicit PreviewPane(QWidget* parent = nullptr);

  void Show(preview::Outcome outcome);
  void SetLanguage(Language language);
  const preview::Outcome& Shown() const { return m_picture.Current(); }

  QSize sizeHint() const override { return {380, 300}; }
  QSize minimumSizeHint() const override { return {380, 300}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  preview::ShownPicture m_picture;
  Language m_language = Language::kEnglish;
};
