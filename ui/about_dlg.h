// The about box: the logo, the version, our credits and the rights notice.
// Its texts are the same in every language.
#pragma once

#include <QDialog>

class CAboutDlg : public QDialog {
  Q_OBJECT
  Q_DISABLE_COPY(CAboutDlg)

 public:
  explicit CAboutDlg(QWidget* parent = nullptr);
  ~CAboutDlg() override;
};
