// Writes pictures of the converter window in English, Dutch and German, of
// the boxes that end a run there (completed, with its summary, an error with
// its reason, and a stop), of the window while a run goes on, of the preview of the example for
// options 1, 5 and 5 with one route per track and of a long track (LONG_TRACK_GDB) for option 5
// with 25 vias, without and with one route per track, and of the about box, for a look at the
// layout. Usage: morvex_screenshots DIR [SUFFIX [LONG_TRACK_GDB]]
#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QSettings>
#include <QTemporaryDir>
#include <QThread>
#include <QWheelEvent>
#include <cstdio>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "about_dlg.h"
#include "dialog_ids.h"
#include "dialog_prompts.h"
#include "fifo_feed.h"
#include "morvex_dlg.h"
#include "preview_model.h"
#include "preview_pane.h"

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

// Lets the window take its events until done says so, for ten seconds at
// most; whether it did.
bool WaitFor(const std::function<bool()>& done) {
  for (int wait = 0; wait < 1000 && !done(); ++wait) {
    QApplication::processEvents();
    QThread::msleep(10);
  }
  return done();
}

// Quit, disabled while a run goes on, is enabled again once it has ended.
bool WaitForRunEnd(const CMorvexDlg& dlg) {
  return WaitFor([&] { return dlg.GetDlgItem(IDCANCEL)->isEnabled(); });
}

// Shows each message box of a run as QtDialogPrompts would, saves a picture
// of it and closes it: the run's last box is the picture left at path.
class PicturePrompts : public DialogPrompts {
 public:
  bool ShowMessage(QWidget* owner, const QString& text, const QString& title, MessageStyle style,
                   const QString& checkBoxText, const QString& folderButtonText,
                   const QString&) override {
    QMessageBox box(owner);
    ConfigureMessageBox(box, text, title, style, checkBoxText, folderButtonText);
    box.show();
    ok = Save(box, path) && ok;
    ++boxes;
    return false;
  }
  // The runs write into a scratch folder: replacing is always agreed.
  bool AskYesNo(QWidget*, const QString&, const QString&, MessageStyle) override { return true; }
  std::optional<QString> PickFile(QWidget*, const FilePickerRequest&) override { return {}; }
  int RunModal(QDialog& dialog) override { return dialog.exec(); }

  QString path;
  int boxes = 0;
  bool ok = true;
};

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: morvex_screenshots DIR [SUFFIX [LONG_TRACK_GDB]]\n");
    return 2;
  }
  const QDir dir(QString::fromLocal8Bit(argv[1]));
  const QString suffix = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
  if (!QDir().mkpath(dir.path())) return 1;
  // The pictures show a first start, whatever the user's own settings are.
  const QTemporaryDir settingsHome;
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsHome.path());

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

  // The last box of a run: a run of option 1 on the example that completes,
  // one whose output folder does not exist, and one stopped while it went on.
  QTemporaryDir scratch;
  PicturePrompts prompts;
  dlg.SetPrompts(&prompts);
  static_cast<QAbstractButton*>(dlg.GetDlgItem(IDC_OPTION_1))->click();
  dlg.SetDlgItemText(IDC_INPUT_PATH, QStringLiteral(MORVEX_EXAMPLE_GDB));
  QFile exampleFile(QStringLiteral(MORVEX_EXAMPLE_GDB));
  const std::string exampleBytes =
      exampleFile.open(QIODevice::ReadOnly) ? exampleFile.readAll().toStdString() : std::string();
  const QString missingFolder = QStringLiteral("/home/anna/trips/2027/alps-2027-tracks.gdb");
  const std::pair<int, QString> languages[] = {
      {IDC_LANG_ENGLISH, "en"}, {IDC_LANG_DUTCH, "nl"}, {IDC_LANG_GERMAN, "de"}};
  for (const auto& [button, language] : languages) {
    static_cast<QAbstractButton*>(dlg.GetDlgItem(button))->click();
    const auto run = [&](const QString& output, const QString& name) {
      dlg.SetDlgItemText(IDC_OUTPUT_PATH, output);
      prompts.path = dir.filePath(name + "-" + language + suffix + ".png");
      prompts.boxes = 0;
      dlg.OnConvert();
      if (!WaitForRunEnd(dlg) || prompts.boxes == 0) {
        std::fprintf(stderr, "no box for %s\n", qPrintable(prompts.path));
        ok = false;
      }
    };
    run(scratch.filePath(QStringLiteral("example-tracks.gdb")), QStringLiteral("done"));
    run(missingFolder, QStringLiteral("error"));

    // A run that goes on: its input a FIFO that holds the start of the example
    // until Stop, and then a little more so that the run reads its next block.
    FifoFeed input(scratch.filePath(QStringLiteral("running.gdb")).toStdString());
    dlg.SetDlgItemText(IDC_INPUT_PATH, QString::fromStdString(input.Path()));
    dlg.SetDlgItemText(IDC_OUTPUT_PATH, scratch.filePath(QStringLiteral("running-tracks.gdb")));
    prompts.path = dir.filePath("stopped-" + language + suffix + ".png");
    prompts.boxes = 0;
    dlg.OnConvert();
    const auto* bar = dlg.findChild<QProgressBar*>();
    if (input.Made() && WaitFor([&] { return input.Open(); }) &&
        input.Write(exampleBytes.substr(0, 200)) && WaitFor([&] { return bar->isVisible(); })) {
      ok = Save(dlg, dir.filePath("run-" + language + suffix + ".png")) && ok;
    } else {
      std::fprintf(stderr, "no progress shown in %s\n", qPrintable(language));
      ok = false;
    }
    const bool running = !dlg.GetDlgItem(IDCANCEL)->isEnabled();
    if (running) dlg.OnConvert();  // Stop
    input.Write(exampleBytes.substr(200, 100));
    if (!WaitForRunEnd(dlg) || prompts.boxes == 0) {
      std::fprintf(stderr, "the run did not stop in %s\n", qPrintable(language));
      ok = false;
    }
    dlg.SetDlgItemText(IDC_INPUT_PATH, QStringLiteral(MORVEX_EXAMPLE_GDB));
  }
  ok = prompts.ok && ok;
  dlg.SetPrompts(nullptr);

  // The preview in English: of the example for options 1, 5 and 5 with one
  // route per track, and, where a file with a long track is given, of that
  // for option 5 with 25 vias, in pieces and in one route.
  static_cast<QAbstractButton*>(dlg.GetDlgItem(IDC_LANG_ENGLISH))->click();
  static_cast<QAbstractButton*>(dlg.GetDlgItem(IDC_PREVIEW))->click();
  PreviewPane& pane = *dlg.GetPreviewPane();
  struct Preview {
    QString input;
    int option;
    bool oneRoute;
    const char* vias;
    const char* name;
  };
  const QString example = QStringLiteral(MORVEX_EXAMPLE_GDB);
  std::vector<Preview> previews = {{example, IDC_OPTION_1, false, "250", "preview-1"},
                                   {example, IDC_OPTION_5, false, "250", "preview-5"},
                                   {example, IDC_OPTION_5, true, "250", "preview-5-one-route"}};
  if (argc > 3) {
    const QString longTrack = QString::fromLocal8Bit(argv[3]);
    previews.push_back({longTrack, IDC_OPTION_5, false, "25", "preview-5-long"});
    previews.push_back({longTrack, IDC_OPTION_5, true, "25", "preview-5-long-one-route"});
  }
  for (const Preview& shot : previews) {
    dlg.SetInputPath(shot.input);
    static_cast<QAbstractButton*>(dlg.GetDlgItem(shot.option))->click();
    dlg.SetDlgItemText(IDC_MAX_VIAS, QString::fromLatin1(shot.vias));
    auto* oneRoute = static_cast<QAbstractButton*>(dlg.GetDlgItem(IDC_ONE_ROUTE));
    if (oneRoute->isChecked() != shot.oneRoute) oneRoute->click();
    // The worker's picture of these choices: the one they make here.
    preview::Request request;
    request.inputPath = shot.input.toStdString();
    request.mode = ModeForOption(shot.option - IDC_OPTION_1 + 1);
    request.oneRoute = shot.oneRoute;
    request.viaCount = ViaCountOf(shot.vias);
    const preview::Picture wanted = preview::MakeOutcome(request).picture;
    const auto same = [&](const preview::Picture& shown) {
      return shown.mode == wanted.mode && shown.input.gdb &&
             shown.input.tracks.size() == wanted.input.tracks.size() &&
             shown.output.routes.size() == wanted.output.routes.size() &&
             shown.output.waypoints.size() == wanted.output.waypoints.size();
    };
    if (!WaitFor([&] { return same(pane.Shown().picture); })) {
      std::fprintf(stderr, "the preview %s did not come\n", shot.name);
      ok = false;
    }
    ok = Save(dlg, dir.filePath(QString::fromLatin1(shot.name) + suffix + ".png")) && ok;
  }

  // The window maximised, its preview of the last input zoomed in three
  // notches around the middle, in each language (a language keeps the view).
  dlg.showMaximized();
  WaitFor([&] { return dlg.width() > 1200; });
  const QPointF middle(pane.width() / 2.0, pane.height() / 2.0);
  QWheelEvent notches(middle, pane.mapToGlobal(middle), {}, {0, 360}, Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
  QApplication::sendEvent(&pane, &notches);
  for (const auto& [button, language] : languages) {
    static_cast<QAbstractButton*>(dlg.GetDlgItem(button))->click();
    QApplication::processEvents();
    ok = Save(dlg, dir.filePath("maximised-" + language + suffix + ".png")) && ok;
  }
  dlg.showNormal();
  static_cast<QAbstractButton*>(dlg.GetDlgItem(IDC_PREVIEW))->click();

  CAboutDlg about(&dlg);
  about.show();
  ok = Save(about, dir.filePath("about" + suffix + ".png")) && ok;
  about.hide();
  dlg.hide();
  return ok ? 0 : 1;
}
