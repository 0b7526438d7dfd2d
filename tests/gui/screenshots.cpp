// Writes pictures of the converter window in English, Dutch and German and of
// the about box, for a look at the layout. Usage: morvex_screenshots DIR [SUFFIX]
#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <cstdio>

#include "about_dlg.h"
#include "dialog_ids.h"
#include "morvex_dlg.h"

namespace {

bool Save(QWidget& window, const QString& path) {
  QApplication::processEvents();
  if (!window.grab().save(path)) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
  }
  std::printf("%s\n", qPrintable(path));
  return true;
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: morvex_screenshots DIR [SUFFIX]\n");
    return 2;
  }
  const QDir dir(QString::fromLocal8Bit(argv[1]));
  const QString suffix = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
  if (!QDir().mkpath(dir.path())) return 1;

  CMorvexDlg dlg;
  dlg.show();
  struct Shot {
    int language;
    int option;
    const char* name;
  };
  // Dutch and German with the via-point field enabled, to show it in use.
  const Shot shots[] = {{IDC_LANG_ENGLISH, IDC_OPTION_1, "main-en"},
                        {IDC_LANG_DUTCH, IDC_OPTION_5, "main-nl"},
                        {IDC_LANG_GERMAN, IDC_OPTION_6, "main-de"}};
  bool ok = true;
  for (const Shot& shot : shots) {
    static_cast<QAbstractButton*>(dlg.GetDlgItem(shot.language))->click();
    static_cast<QAbstractButton*>(dlg.GetDlgItem(shot.option))->click();
    dlg.SetDlgItemText(IDC_INPUT_PATH, QStringLiteral("/home/anna/trips/alps-2026.gdb"));
    ok = Save(dlg, dir.filePath(QString::fromLatin1(shot.name) + suffix + ".png")) && ok;
  }
  CAboutDlg about(&dlg);
  about.show();
  ok = Save(about, dir.filePath("about" + suffix + ".png")) && ok;
  about.hide();
  dlg.hide();
  return ok ? 0 : 1;
}
