// The about box: the logo, the version, our credits and the rights notice,
// in the language of the window that opens it. Its caption is the same in
// every language.
#pragma once

#include <QDialog>

#include "gdb_types.h"

class CAboutDlg : public QDialog {
  Q_OBJECT
  Q_DISABLE_COPY(CAboutDlg)

 public:
  explicit CAboutDlg(QWidget* parent = nullptr, Language language = Language::kEnglish);
  ~CAboutDlg() override;
};
