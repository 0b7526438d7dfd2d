// The converter window, driven as a user would, headless. Message boxes,
// file pickers and the about box's modal run are answered by RecordingPrompts.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QLocale>
#include <QMap>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "about_dlg.h"
#include "controls.h"
#include "dialog_ids.h"
#include "fifo_feed.h"
#include "gdb_builder.h"
#include "gdb_types.h"
#include "morvex_app.h"
#include "morvex_dlg.h"
#include "recording_prompts.h"
#include "window_texts.h"

Q_DECLARE_METATYPE(MessageStyle)
Q_DECLARE_METATYPE(Language)

namespace {

const QString kCaption = QString::fromStdString(DialogCaption());
const QString kAboutItem = QString::fromUtf8(LabelText(AboutMenuText(), Language::kEnglish));

// Every control, in template order.
const int kAllControls[] = {
    IDC_INPUT_GROUP,   IDC_INPUT_PATH,     IDC_BROWSE_INPUT, IDC_OUTPUT_GROUP,   IDC_OUTPUT_PATH,
    IDC_BROWSE_OUTPUT, IDC_OPTIONS_GROUP,  IDC_OPTION_1,     IDC_OPTION_2,       IDC_OPTION_3,
    IDC_OPTION_4,      IDC_OPTION_5,       IDC_OPTION_6,     IDC_MAX_VIAS_LABEL, IDC_MAX_VIAS,
    IDC_ONE_ROUTE,     IDC_LANGUAGE_GROUP, IDC_LANG_ENGLISH, IDC_LANG_DUTCH,     IDC_LANG_GERMAN,
    IDC_LANG_FRENCH,   IDC_CONVERT,        IDCANCEL,
};

// A control's text as set, '&' marking its mnemonic.
QString LabelOf(const CMorvexDlg& dlg, int id) {
  const QWidget* control = dlg.GetDlgItem(id);
  if (auto* button = qobject_cast<const QAbstractButton*>(control)) return button->text();
  if (auto* frame = qobject_cast<const QGroupBox*>(control)) return frame->title();
  if (auto* label = qobject_cast<const QLabel*>(control)) return label->text();
  if (auto* field = qobject_cast<const QLineEdit*>(control)) return field->text();
  return {};
}

// A control's text as shown, without the mark of its mnemonic.
QString TextOf(const CMorvexDlg& dlg, int id) {
  return QString::fromStdString(WithoutMnemonic(LabelOf(dlg, id).toStdString()));
}

// Where two items of the menu share a mnemonic; empty for none.
QString MnemonicClash(const QMenu& menu) {
  QMap<char, QString> owner;
  for (const QAction* action : menu.actions()) {
    const char key = MnemonicOf(action->text().toStdString());
    if (key == 0) continue;
    if (owner.contains(key)) return owner[key] + QStringLiteral(" / ") + action->text();
    owner[key] = action->text();
  }
  return {};
}

// The checked button of first..last, or 0 when none is.
int CheckedButton(const CMorvexDlg& dlg, int first, int last) {
  for (int id = first; id <= last; ++id) {
    auto* button = qobject_cast<const QAbstractButton*>(dlg.GetDlgItem(id));
    if (button != nullptr && button->isChecked()) return id;
  }
  return 0;
}

QWidget* Focus() {
  return QApplication::focusWidget();
}

// A click where a user would click: on the indicator of a radio button, in the
// middle of anything else.
void Click(QWidget* control) {
  QVERIFY(control != nullptr);
  QPoint at = control->rect().center();
  if (qobject_cast<QRadioButton*>(control)) at.setX(qMin(8, control->width() / 2));
  QTest::mouseClick(control, Qt::LeftButton, Qt::NoModifier, at);
}

// ---- GDB files for the runs through the dialog -----------------------------

// A track too long to convert: 10000 distinct points leave no running number
// for it. Its name is code page 1252, as in a version 'l' file.
gdbtest::Track LongTrack(const std::string& name) {
  gdbtest::Track track(name);
  for (int32_t i = 0; i < 10000; ++i) track.Point({0x10000000 + i, 0x20000000 + i});
  return track;
}

bool WriteFile(const QString& path, const std::string& bytes) {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return false;
  return file.write(bytes.data(), static_cast<qint64>(bytes.size())) ==
         static_cast<qint64>(bytes.size());
}

QByteArray ReadFile(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Counts the paint events that reach the widgets it watches.
class PaintCounter : public QObject {
 public:
  bool eventFilter(QObject* /*watched*/, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++count;
    return false;
  }
  int count = 0;
};

}  // namespace

class TestMorvexDlg : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<CMorvexDlg> m_dlg;
  RecordingPrompts m_prompts;
  QTemporaryDir m_settingsHome;  // in place of the user's own settings

  static QString SettingsFile() {
    return QSettings(QStringLiteral("Morvex"), QStringLiteral("Morvex")).fileName();
  }
  // A dialog started afresh, as a restart of the program starts it.
  void Restart() {
    m_dlg = std::make_unique<CMorvexDlg>();
    m_dlg->SetPrompts(&m_prompts);
  }

  CMorvexDlg& Dlg() { return *m_dlg; }
  QWidget* Item(int id) { return m_dlg->GetDlgItem(id); }
  QLineEdit* Field(int id) { return qobject_cast<QLineEdit*>(Item(id)); }
  QAction* AboutItem() {
    for (QAction* action : m_dlg->GetSystemMenu()->actions()) {
      if (action->text() == kAboutItem) return action;
    }
    return nullptr;
  }
  void ShowActive() {
    m_dlg->show();
    m_dlg->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_dlg.get()));
  }
  // Rectangle of a control in the dialog's coordinates.
  QRect InDialog(QWidget* control) {
    return QRect(control->mapTo(m_dlg.get(), QPoint(0, 0)), control->size());
  }
  // Waits for the end of the run Convert started, its boxes shown: Quit,
  // disabled while it goes on, is enabled again.
  void WaitForRun() { QTRY_VERIFY_WITH_TIMEOUT(Item(IDCANCEL)->isEnabled(), 30000); }

 private slots:
  void initTestCase() {
    QVERIFY(m_settingsHome.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsHome.path());
    QVERIFY(SettingsFile().startsWith(m_settingsHome.path()));
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
  }

  // Each test starts as the very first start in an English locale.
  void init() {
    m_prompts = RecordingPrompts();
    QFile::remove(SettingsFile());
    Restart();
  }

  void cleanup() {
    m_dlg.reset();
    // No window of a test may outlive it.
    QCOMPARE(QApplication::topLevelWidgets().size(), 0);
  }

  // The window as a first start makes it: its look, its menu, and the
  // presenter's start shown in its controls.
  void startState() {
    QCOMPARE(Dlg().windowTitle(), kCaption);
    QCOMPARE(TextOf(Dlg(), IDC_INPUT_GROUP), QStringLiteral("Input File"));
    QCOMPARE(TextOf(Dlg(), IDC_MAX_VIAS), QStringLiteral("250"));
    QCOMPARE(CheckedButton(Dlg(), IDC_OPTION_1, IDC_OPTION_6), int{IDC_OPTION_1});
    QCOMPARE(CheckedButton(Dlg(), IDC_LANG_ENGLISH, IDC_LANG_FRENCH), int{IDC_LANG_ENGLISH});
    QVERIFY(!Item(IDC_MAX_VIAS_LABEL)->isEnabled());
    QVERIFY(!Item(IDC_MAX_VIAS)->isEnabled());
    QVERIFY(!Item(IDC_LANG_FRENCH)->isEnabled());
    QVERIFY(Item(IDC_CONVERT)->isEnabled());
    QVERIFY(!Dlg().windowIcon().isNull());
    QVERIFY(qobject_cast<QPushButton*>(Item(IDC_CONVERT))->isDefault());
    for (int id : {IDC_BROWSE_INPUT, IDC_BROWSE_OUTPUT, IDCANCEL}) {
      QVERIFY(!qobject_cast<QPushButton*>(Item(id))->isDefault());
    }

    // The About item closes the window menu, after a separator.
    const QList<QAction*> menu = Dlg().GetSystemMenu()->actions();
    QVERIFY(menu.size() >= 2);
    QVERIFY(menu[menu.size() - 2]->isSeparator());
    QCOMPARE(menu.last()->text(), kAboutItem);

    ShowActive();
    QCOMPARE(QApplication::focusWidget(), Item(IDC_INPUT_PATH));
    QVERIFY(Item(IDC_LANG_FRENCH)->isHidden());
    const Qt::WindowFlags flags = Dlg().windowFlags();
    QVERIFY(flags.testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(flags.testFlag(Qt::WindowMaximizeButtonHint));
    QCOMPARE(Dlg().size(), Dlg().minimumSize());
  }
  // A language button's click reaches the presenter, whose texts reach every
  // kind of control; the caption, the About item and the window's size stay.
  // The hidden fourth button takes no click.
  void languageClicks() {
    ShowActive();
    const QSize size = Dlg().size();
    Click(Item(IDC_LANG_GERMAN));
    QCOMPARE(CheckedButton(Dlg(), IDC_LANG_ENGLISH, IDC_LANG_FRENCH), int{IDC_LANG_GERMAN});
    QCOMPARE(TextOf(Dlg(), IDC_CONVERT), QStringLiteral("Konvertieren"));
    QCOMPARE(TextOf(Dlg(), IDC_INPUT_GROUP), QStringLiteral("Eingabe-Datei"));
    QCOMPARE(TextOf(Dlg(), IDC_OPTION_5),
             QStringLiteral("5. Konvertiere Tracks zu Routen mit User-Zwischenpunkten"));
    QCOMPARE(TextOf(Dlg(), IDC_ONE_ROUTE),
             QStringLiteral("Jeden Track in einer Route halten, mit den Zwischenpunkten, die ihm "
                            "am besten folgen"));
    QVERIFY(TextOf(Dlg(), IDC_MAX_VIAS_LABEL).startsWith(QStringLiteral("Für Optionen 5 und 6:")));
    QCOMPARE(TextOf(Dlg(), IDC_LANG_GERMAN), QStringLiteral("Deutsch"));
    QCOMPARE(Dlg().windowTitle(), kCaption);
    QCOMPARE(Dlg().GetSystemMenu()->actions().last()->text(), kAboutItem);
    QCOMPARE(Dlg().size(), size);

    Click(Item(IDC_LANG_DUTCH));
    QCOMPARE(TextOf(Dlg(), IDC_CONVERT), QStringLiteral("Converteer"));
    QCOMPARE(Dlg().size(), size);
    Click(Item(IDC_LANG_FRENCH));
    QCOMPARE(CheckedButton(Dlg(), IDC_LANG_ENGLISH, IDC_LANG_FRENCH), int{IDC_LANG_DUTCH});
    QCOMPARE(TextOf(Dlg(), IDC_CONVERT), QStringLiteral("Converteer"));
  }
  // Every control shows the words of its key in the window's language: the
  // template's at start, those a language click sets after it; the language
  // buttons keep their own names.
  void labelsOfEachLanguage_data() {
    QTest::addColumn<int>("button");  // 0: none clicked
    QTest::addColumn<Language>("language");
    QTest::newRow("at start") << 0 << Language::kEnglish;
    QTest::newRow("English") << int{IDC_LANG_ENGLISH} << Language::kEnglish;
    QTest::newRow("Dutch") << int{IDC_LANG_DUTCH} << Language::kDutch;
    QTest::newRow("German") << int{IDC_LANG_GERMAN} << Language::kGerman;
  }
  void labelsOfEachLanguage() {
    QFETCH(int, button);
    QFETCH(Language, language);
    ShowActive();
    if (button != 0) Click(Item(button));
    std::map<int, QString> wanted;
    for (const ControlTemplate& control : DialogControls()) {
      if (control.text.english == nullptr) continue;
      wanted[control.id] = QString::fromUtf8(LabelText(control.text, Language::kEnglish));
    }
    if (button != 0) {
      for (const ControlText& text : LanguageTexts()) {
        wanted[text.id] = QString::fromUtf8(LabelText(text.text, language));
      }
    }
    for (const auto& [id, text] : wanted) QCOMPARE(LabelOf(Dlg(), id), text);
  }

  // The window menu's commands speak the window's language, each with a
  // mnemonic of its own beside the About item's; a language without texts of
  // its own keeps them.
  void windowMenuOfEachLanguage_data() {
    QTest::addColumn<QList<int>>("clicks");
    QTest::addColumn<QString>("minimize");
    QTest::addColumn<QString>("close");
    QTest::newRow("at start") << QList<int>{} << "Mi&nimize"
                              << "&Close";
    QTest::newRow("Dutch") << QList<int>{IDC_LANG_DUTCH} << "Mi&nimaliseren"
                           << "Sl&uiten";
    QTest::newRow("German") << QList<int>{IDC_LANG_GERMAN} << "Mi&nimieren"
                            << QStringLiteral("&Schlie\u00DFen");
    QTest::newRow("German, then English")
        << QList<int>{IDC_LANG_GERMAN, IDC_LANG_ENGLISH} << "Mi&nimize"
        << "&Close";
  }
  void windowMenuOfEachLanguage() {
    QFETCH(QList<int>, clicks);
    QFETCH(QString, minimize);
    QFETCH(QString, close);
    ShowActive();
    for (int id : clicks) Click(Item(id));
    const QMenu& menu = *Dlg().GetSystemMenu();
    const QList<QAction*> items = menu.actions();
    QCOMPARE(items.size(), 4);
    QCOMPARE(items[0]->text(), minimize);
    QCOMPARE(items[1]->text(), close);
    QCOMPARE(items.last()->text(), kAboutItem);
    QCOMPARE(MnemonicClash(menu), QString());
  }
  void windowMenuInTheFourthLanguage() {
    Dlg().ShowLanguage(Language::kGerman);
    Dlg().ShowLanguage(Language::kFourth);
    QCOMPARE(Dlg().GetSystemMenu()->actions().first()->text(), QStringLiteral("Mi&nimieren"));
  }

  // An option button's click reaches the presenter, whose enabled state
  // reaches the via-point controls.
  void optionClicks() {
    ShowActive();
    for (const auto& [option, vias] :
         {std::pair{IDC_OPTION_5, true}, {IDC_OPTION_2, false}, {IDC_OPTION_6, true}}) {
      Click(Item(option));
      QCOMPARE(CheckedButton(Dlg(), IDC_OPTION_1, IDC_OPTION_6), option);
      QCOMPARE(Item(IDC_MAX_VIAS_LABEL)->isEnabled(), vias);
      QCOMPARE(Item(IDC_MAX_VIAS)->isEnabled(), vias);
      QCOMPARE(Item(IDC_ONE_ROUTE)->isEnabled(), vias);
    }
  }
  // Tab walks the fields, the push buttons and each radio group's checked
  // button in template order; the via-point field only while enabled.
  void tabOrder_data() {
    QTest::addColumn<int>("option");
    QTest::addColumn<QList<int>>("stops");
    const QList<int> paths{IDC_INPUT_PATH, IDC_BROWSE_INPUT, IDC_OUTPUT_PATH, IDC_BROWSE_OUTPUT};
    const QList<int> last{IDC_LANG_ENGLISH, IDC_PREVIEW, IDC_CONVERT, IDCANCEL, IDC_INPUT_PATH};
    QTest::newRow("option 1") << int{IDC_OPTION_1} << (paths + QList<int>{IDC_OPTION_1} + last);
    QTest::newRow("option 6") << int{IDC_OPTION_6}
                              << (paths + QList<int>{IDC_OPTION_6, IDC_MAX_VIAS, IDC_ONE_ROUTE} +
                                  last);
  }

  void tabOrder() {
    QFETCH(int, option);
    QFETCH(QList<int>, stops);
    ShowActive();
    Click(Item(option));
    Item(IDC_INPUT_PATH)->setFocus(Qt::OtherFocusReason);
    QCOMPARE(QApplication::focusWidget(), Item(stops.first()));
    for (qsizetype i = 1; i < stops.size(); ++i) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      QCOMPARE(QApplication::focusWidget(), Item(stops[i]));
    }
    for (qsizetype i = stops.size() - 2; i >= 0; --i) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
      QCOMPARE(QApplication::focusWidget(), Item(stops[i]));
    }
    // From a clicked radio button, Tab goes on to the next group.
    Click(Item(IDC_OPTION_2));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), Item(IDC_LANG_ENGLISH));
  }

  // A conversion from the keyboard alone: every control reached by Tab,
  // Shift+Tab, the arrows and a mnemonic, Enter to convert.
  void keyboardOnly() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString inputPath = dir.filePath(QStringLiteral("in.gdb"));
    const QString outputPath = dir.filePath(QStringLiteral("out.gdb"));
    const QByteArray input = QByteArray::fromStdString(gdbtest::GdbFile('l', {}));
    QVERIFY(WriteFile(inputPath, input.toStdString()));
    ShowActive();
    const auto key = [](Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
      QTest::keyClick(Focus(), key, modifiers);
    };
    QCOMPARE(Focus(), Item(IDC_INPUT_PATH));
    QTest::keyClicks(Focus(), inputPath);
    key(Qt::Key_Tab);
    QCOMPARE(Focus(), Item(IDC_BROWSE_INPUT));
    key(Qt::Key_Tab);
    QTest::keyClicks(Focus(), outputPath);
    QCOMPARE(TextOf(Dlg(), IDC_OUTPUT_PATH), outputPath);
    key(Qt::Key_Tab);
    QCOMPARE(Focus(), Item(IDC_BROWSE_OUTPUT));
    key(Qt::Key_Tab);
    QCOMPARE(Focus(), Item(IDC_OPTION_1));

    // The arrows move through the group, checking as they go, and wrap.
    const struct {
      Qt::Key key;
      int lands;
    } arrows[] = {
        {Qt::Key_Down, IDC_OPTION_2},     {Qt::Key_Right, IDC_OPTION_3},
        {Qt::Key_Down, IDC_OPTION_4},     {Qt::Key_Down, IDC_OPTION_5},
        {Qt::Key_Down, IDC_OPTION_6},     {Qt::Key_Down, IDC_OPTION_1},
        {Qt::Key_Up, IDC_OPTION_6},       {Qt::Key_Left, IDC_OPTION_5},
        {Qt::Key_Tab, IDC_MAX_VIAS},      {Qt::Key_Tab, IDC_ONE_ROUTE},
        {Qt::Key_Space, IDC_ONE_ROUTE},   {Qt::Key_Tab, IDC_LANG_ENGLISH},
        {Qt::Key_Down, IDC_LANG_DUTCH},   {Qt::Key_Down, IDC_LANG_GERMAN},
        {Qt::Key_Down, IDC_LANG_ENGLISH},  // past the hidden fourth button
        {Qt::Key_Up, IDC_LANG_GERMAN},    {Qt::Key_Tab, IDC_PREVIEW},
        {Qt::Key_Tab, IDC_CONVERT},       {Qt::Key_Tab, IDCANCEL},
        {Qt::Key_Tab, IDC_INPUT_PATH},
    };
    for (const auto& arrow : arrows) {
      key(arrow.key);
      QCOMPARE(Focus(), Item(arrow.lands));
      if (qobject_cast<QRadioButton*>(Focus())) {
        QVERIFY(qobject_cast<QRadioButton*>(Focus())->isChecked());
      }
      QCOMPARE(Item(IDC_MAX_VIAS)->isEnabled(),
               CheckedButton(Dlg(), IDC_OPTION_1, IDC_OPTION_6) >= IDC_OPTION_5);
    }
    QCOMPARE(TextOf(Dlg(), IDC_CONVERT), QStringLiteral("Konvertieren"));
    QVERIFY(qobject_cast<QCheckBox*>(Item(IDC_ONE_ROUTE))->isChecked());

    // Shift+Tab goes back the same way.
    for (int id : {IDCANCEL, IDC_CONVERT, IDC_PREVIEW, IDC_LANG_GERMAN, IDC_ONE_ROUTE, IDC_MAX_VIAS,
                   IDC_OPTION_5, IDC_BROWSE_OUTPUT, IDC_OUTPUT_PATH}) {
      key(Qt::Key_Backtab, Qt::ShiftModifier);
      QCOMPARE(Focus(), Item(id));
    }
    key(Qt::Key_E, Qt::AltModifier);  // the German input frame: its field
    QCOMPARE(Focus(), Item(IDC_INPUT_PATH));
    QCOMPARE(TextOf(Dlg(), IDC_INPUT_PATH), inputPath);  // nothing typed into it
    key(Qt::Key_V, Qt::AltModifier);                     // the options frame: the checked option
    QCOMPARE(Focus(), Item(IDC_OPTION_5));
    key(Qt::Key_Return);
    WaitForRun();
    QCOMPARE(m_prompts.messages.size(), size_t{1});
    QCOMPARE(m_prompts.messages.front().title, QStringLiteral("Fertig"));
    QCOMPARE(ReadFile(outputPath), input);
    QVERIFY(Dlg().isVisible());
  }

  // Alt and a control's mnemonic: a frame hands the focus to its first tab
  // stop, an option button is checked, Convert converts and Quit ends.
  void mnemonics_data() {
    QTest::addColumn<int>("language");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("lands");  // the control that takes the focus, or 0
    QTest::addColumn<QString>("effect");
    const struct {
      const char* name;
      int language;
      std::array<int, 6> keys;  // input, output, options, language frames, Convert, Quit
    } languages[] = {
        {"English",
         IDC_LANG_ENGLISH,
         {Qt::Key_I, Qt::Key_O, Qt::Key_P, Qt::Key_L, Qt::Key_C, Qt::Key_Q}},
        {"Dutch",
         IDC_LANG_DUTCH,
         {Qt::Key_I, Qt::Key_U, Qt::Key_V, Qt::Key_T, Qt::Key_C, Qt::Key_E}},
        {"German",
         IDC_LANG_GERMAN,
         {Qt::Key_E, Qt::Key_A, Qt::Key_V, Qt::Key_S, Qt::Key_K, Qt::Key_B}},
    };
    for (const auto& l : languages) {
      const auto row = [&l](const char* what) {
        return &QTest::newRow(qPrintable(QStringLiteral("%1 %2").arg(l.name, what)));
      };
      *row("input frame") << l.language << l.keys[0] << int{IDC_INPUT_PATH} << "";
      *row("output frame") << l.language << l.keys[1] << int{IDC_OUTPUT_PATH} << "";
      *row("options frame") << l.language << l.keys[2] << int{IDC_OPTION_4} << "";
      *row("language frame") << l.language << l.keys[3] << l.language << "";
      *row("Convert") << l.language << l.keys[4] << 0 << "convert";
      *row("Quit") << l.language << l.keys[5] << 0 << "quit";
      *row("option 6") << l.language << int{Qt::Key_6} << int{IDC_OPTION_6} << "option 6";
      *row("no access key") << l.language << int{Qt::Key_Z} << int{IDC_OUTPUT_PATH} << "";
    }
  }

  void mnemonics() {
    QFETCH(int, language);
    QFETCH(int, key);
    QFETCH(int, lands);
    QFETCH(QString, effect);
    ShowActive();
    Click(Item(language));
    Click(Item(IDC_OPTION_4));
    Item(IDC_OUTPUT_PATH)->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(Focus(), static_cast<Qt::Key>(key), Qt::AltModifier);
    if (lands != 0) QTRY_COMPARE(Focus(), Item(lands));
    if (effect == "option 6") {
      QTRY_COMPARE(CheckedButton(Dlg(), IDC_OPTION_1, IDC_OPTION_6), int{IDC_OPTION_6});
      QVERIFY(Item(IDC_MAX_VIAS)->isEnabled());
    }
    if (effect == "convert") QTRY_COMPARE(m_prompts.messages.size(), size_t{1});
    if (effect == "quit") QTRY_VERIFY(!Dlg().isVisible());
    if (effect != "convert") QVERIFY(m_prompts.messages.empty());
    if (effect != "quit") QVERIFY(Dlg().isVisible());
    QCOMPARE(TextOf(Dlg(), IDC_OUTPUT_PATH), QString());  // Alt+key typed nothing
    QCOMPARE(CheckedButton(Dlg(), IDC_LANG_ENGLISH, IDC_LANG_FRENCH), language);
  }

  void viaFieldTakesDigitsOnly_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::newRow("digits") << "1000"
                            << "1000";
    QTest::newRow("sign") << "-25"
                          << "25";
    QTest::newRow("plus") << "+300"
                          << "300";
    QTest::newRow("decimal point") << "12.5"
                                   << "125";
    QTest::newRow("letters and blanks") << "a 4x0"
                                        << "40";
  }

  void viaFieldTakesDigitsOnly() {
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    ShowActive();
    Click(Item(IDC_OPTION_5));
    QLineEdit* field = Field(IDC_MAX_VIAS);
    field->setFocus(Qt::OtherFocusReason);
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Delete);
    QCOMPARE(field->text(), QString());  // the field can be left empty
    QTest::keyClicks(field, typed);
    QCOMPARE(field->text(), shown);
    QVERIFY(field->alignment() & Qt::AlignRight);
  }

  void pickers_data() {
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("field");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("answer");  // null: cancelled
    QTest::addColumn<QString>("shown");
    const int open = static_cast<int>(FilePickerRequest::Kind::Open);
    const int save = static_cast<int>(FilePickerRequest::Kind::Save);
    const QString chosen = QDir::toNativeSeparators(QStringLiteral("/data/trips/alps 2026.gdb"));
    QTest::newRow("input chosen") << int{IDC_BROWSE_INPUT} << int{IDC_INPUT_PATH} << open << chosen
                                  << chosen;
    QTest::newRow("output cancelled")
        << int{IDC_BROWSE_OUTPUT} << int{IDC_OUTPUT_PATH} << save << QString() << "typed by hand";
  }

  void pickers() {
    QFETCH(int, button);
    QFETCH(int, field);
    QFETCH(int, kind);
    QFETCH(QString, answer);
    QFETCH(QString, shown);
    ShowActive();
    const int other = field == IDC_INPUT_PATH ? IDC_OUTPUT_PATH : IDC_INPUT_PATH;
    Dlg().SetDlgItemText(field, QStringLiteral("typed by hand"));
    Dlg().SetDlgItemText(other, QStringLiteral("other.gdb"));
    if (answer.isNull()) {
      m_prompts.pickerAnswers.push_back(std::nullopt);
    } else {
      m_prompts.pickerAnswers.push_back(answer);
    }
    Click(Item(button));

    QCOMPARE(m_prompts.pickerRequests.size(), size_t{1});
    const FilePickerRequest& request = m_prompts.pickerRequests.front();
    QCOMPARE(static_cast<int>(request.kind), kind);
    QCOMPARE(request.nameFilters,
             (QStringList{QStringLiteral("GDB Files (*.gdb)"), QStringLiteral("All Files (*.*)")}));
    QCOMPARE(request.defaultSuffix, QStringLiteral("gdb"));
    QCOMPARE(m_prompts.pickerOwners.front(), static_cast<QWidget*>(m_dlg.get()));
    QCOMPARE(TextOf(Dlg(), field), shown);
    QCOMPARE(TextOf(Dlg(), other), QStringLiteral("other.gdb"));
    QVERIFY(m_prompts.messages.empty());
  }

  // The settings that the real pickers get, checked without showing them.
  void filePickerSettings_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("acceptMode");
    QTest::addColumn<int>("fileMode");
    QTest::newRow("open") << static_cast<int>(FilePickerRequest::Kind::Open)
                          << int{QFileDialog::AcceptOpen} << int{QFileDialog::ExistingFile};
    QTest::newRow("save") << static_cast<int>(FilePickerRequest::Kind::Save)
                          << int{QFileDialog::AcceptSave} << int{QFileDialog::AnyFile};
  }

  void filePickerSettings() {
    QFETCH(int, kind);
    QFETCH(int, acceptMode);
    QFETCH(int, fileMode);
    // Ask the dialog for its request, then give it to a real picker.
    m_prompts.pickerAnswers.clear();
    if (kind == static_cast<int>(FilePickerRequest::Kind::Open)) {
      Dlg().OnBrowseInput();
    } else {
      Dlg().OnBrowseOutput();
    }
    QCOMPARE(m_prompts.pickerRequests.size(), size_t{1});
    QFileDialog picker;
    ConfigureFilePicker(picker, m_prompts.pickerRequests.front());
    QCOMPARE(int{picker.acceptMode()}, acceptMode);
    QCOMPARE(int{picker.fileMode()}, fileMode);
    QCOMPARE(picker.nameFilters(),
             (QStringList{QStringLiteral("GDB Files (*.gdb)"), QStringLiteral("All Files (*.*)")}));
    QCOMPARE(picker.selectedNameFilter(), QStringLiteral("GDB Files (*.gdb)"));
    QCOMPARE(picker.defaultSuffix(), QStringLiteral("gdb"));
    QVERIFY(!picker.testOption(QFileDialog::DontConfirmOverwrite));
    QVERIFY(!picker.testOption(QFileDialog::ReadOnly));
    QVERIFY(!picker.isVisible());
  }

  // Qt's own texts (here the standard menu of a path field) follow the
  // language buttons, and a start in a kept language.
  void languageOfStandardMenu_data() {
    QTest::addColumn<QList<int>>("clicks");  // none: a start in German
    QTest::addColumn<QString>("copy");       // the menu's Copy item, without its key
    QTest::addColumn<QString>("qmFile");
    QTest::newRow("Dutch") << QList<int>{IDC_LANG_DUTCH} << QStringLiteral("&Kopi\u00EBren")
                           << "qtbase_nl.qm";
    QTest::newRow("German") << QList<int>{IDC_LANG_GERMAN} << QStringLiteral("&Kopieren")
                            << "qtbase_de.qm";
    QTest::newRow("Dutch then German") << QList<int>{IDC_LANG_DUTCH, IDC_LANG_GERMAN}
                                       << QStringLiteral("&Kopieren") << "qtbase_de.qm";
    QTest::newRow("German then English")
        << QList<int>{IDC_LANG_GERMAN, IDC_LANG_ENGLISH} << QStringLiteral("&Copy") << QString();
    QTest::newRow("German at start")
        << QList<int>{} << QStringLiteral("&Kopieren") << "qtbase_de.qm";
  }
  void languageOfStandardMenu() {
    QFETCH(QList<int>, clicks);
    QFETCH(QString, copy);
    QFETCH(QString, qmFile);
    if (clicks.isEmpty()) {
      QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
      Restart();
      QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }
    ShowActive();
    for (int id : clicks) Click(Item(id));

    const QString translations = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!qmFile.isEmpty() && !QFile::exists(translations + QLatin1Char('/') + qmFile)) {
      QSKIP(qPrintable(qmFile + QStringLiteral(" is not installed in ") + translations));
    }
    const std::unique_ptr<QMenu> menu(Field(IDC_INPUT_PATH)->createStandardContextMenu());
    QStringList texts;
    for (const QAction* action : menu->actions()) texts << action->text().section('\t', 0, 0);
    QVERIFY2(texts.contains(copy), qPrintable(texts.join(QStringLiteral(", "))));
  }
  void messageBoxSettings_data() {
    QTest::addColumn<MessageStyle>("style");
    QTest::addColumn<int>("icon");
    QTest::newRow("exclamation") << MessageStyle::Exclamation << int{QMessageBox::Warning};
    QTest::newRow("plain") << MessageStyle::Plain << int{QMessageBox::NoIcon};
  }

  void messageBoxSettings() {
    QFETCH(MessageStyle, style);
    QFETCH(int, icon);
    QMessageBox box(m_dlg.get());
    const QString text = QStringLiteral("track \"<b>Trip</b>\" skipped");
    ConfigureMessageBox(box, text, QStringLiteral("Info"), style);
    QCOMPARE(int{box.icon()}, icon);
    QCOMPARE(box.text(), text);
    QCOMPARE(box.textFormat(), Qt::PlainText);  // names from a file are no markup
    QCOMPARE(box.windowTitle(), QStringLiteral("Info"));
    QCOMPARE(box.standardButtons(), QMessageBox::StandardButtons(QMessageBox::Ok));
    QVERIFY(box.windowModality() != Qt::NonModal);
    QCOMPARE(box.parentWidget(), static_cast<QWidget*>(m_dlg.get()));

    // A completion box's folder button stands beside OK, which stays the default.
    QMessageBox done(m_dlg.get());
    ConfigureMessageBox(done, text, QStringLiteral("Finished"), style, {},
                        QStringLiteral("Open folder"));
    const auto* folder = done.findChild<QPushButton*>(QStringLiteral("openFolder"));
    QVERIFY(folder != nullptr);
    QCOMPARE(folder->text(), QStringLiteral("Open folder"));
    QCOMPARE(done.defaultButton(), done.button(QMessageBox::Ok));
  }

  // A line that fits on the screen stays one line: a summary, a path with its
  // reason. A longer one is wrapped, inside a box that stays on the screen.
  void messageBoxKeepsLines() {
    const QStringList lines = {
        QStringLiteral("GDB file conversion completed"),
        QStringLiteral("2 routes became 2 tracks (37 points); 120 records copied unchanged."),
        QStringLiteral("/home/anna/trips/2027/alps-2027-tracks.gdb: the folder does not exist"),
    };
    for (const QString& tail : {QString(), QStringLiteral("\n") + QString(400, QLatin1Char('x'))}) {
      QMessageBox box(m_dlg.get());
      ConfigureMessageBox(box, lines.join(QLatin1Char('\n')) + tail, QStringLiteral("Finished"),
                          MessageStyle::Exclamation);
      box.show();
      QApplication::processEvents();
      auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
      QVERIFY(label != nullptr);
      for (const QString& line : lines) {
        QVERIFY2(label->width() >= label->fontMetrics().horizontalAdvance(line), qPrintable(line));
      }
      QVERIFY(box.width() <= box.screen()->availableGeometry().width());
      QVERIFY(label->geometry().right() < box.width());
      box.close();
    }
  }

  // One run through the window: the fields, the option and the language
  // reach it; its boxes, UTF-8, come up owned by the window, the record box
  // with its check box, whose answer silences the rest of the run.
  void conversion() {
    std::vector<std::string> records;
    for (const char* name : {"Z\xFCrich", "B", "C"}) {
      records.push_back(gdbtest::TrackRecord(LongTrack(name)));
    }
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString inputPath = dir.filePath(QStringLiteral("in.gdb"));
    const QString outputPath = dir.filePath(QStringLiteral("out.gdb"));
    QVERIFY(WriteFile(inputPath, gdbtest::GdbFile('l', records)));
    ShowActive();
    Click(Item(IDC_LANG_GERMAN));
    Click(Item(IDC_OPTION_6));
    Field(IDC_MAX_VIAS)->clear();
    QTest::keyClicks(Item(IDC_MAX_VIAS), QStringLiteral("1000"));
    QTest::keyClicks(Item(IDC_INPUT_PATH), inputPath);
    QTest::keyClicks(Item(IDC_OUTPUT_PATH), outputPath);
    m_prompts.checkBoxCheckedFrom = 1;

    Click(Item(IDC_CONVERT));
    WaitForRun();

    QCOMPARE(m_prompts.messages.size(), size_t{2});
    const RecordingPrompts::Message& record = m_prompts.messages[0];
    QCOMPARE(record.text, QStringLiteral("Kann nicht mehr als 10000 Trackpunkten konvertieren,\n"
                                         "track \"Zürich\" übersprungen."));
    QCOMPARE(record.title, QStringLiteral("Info"));
    QCOMPARE(record.style, MessageStyle::Exclamation);
    QVERIFY(!record.checkBoxText.isEmpty());
    const RecordingPrompts::Message& last = m_prompts.messages[1];
    QCOMPARE(last.title, QStringLiteral("Fertig"));
    QVERIFY2(last.text.contains(QStringLiteral("2")), qPrintable(last.text));
    QCOMPARE(last.style, MessageStyle::Plain);
    QVERIFY(last.checkBoxText.isEmpty());
    for (const RecordingPrompts::Message& box : m_prompts.messages) {
      QCOMPARE(box.owner, static_cast<QWidget*>(m_dlg.get()));
    }
    QVERIFY(QFileInfo(outputPath).isFile());
    QCOMPARE(TextOf(Dlg(), IDC_INPUT_PATH), inputPath);
  }
  // A run that goes on (its input a FIFO fed by hand) leaves the window live:
  // Convert has returned, the window repaints, the bar shows a run without a
  // measure and no control moves for it. Stop ends the run at the input's
  // next block, the old output kept.
  void liveDuringRun() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString inputPath = dir.filePath(QStringLiteral("in.gdb"));
    const QString outputPath = dir.filePath(QStringLiteral("out.gdb"));
    FifoFeed input(inputPath.toStdString());
    QVERIFY(input.Made());
    QVERIFY(WriteFile(outputPath, "old output"));
    const std::string bytes = gdbtest::GdbFile('l', {gdbtest::TrackRecord(LongTrack("A"))});
    ShowActive();
    Dlg().SetDlgItemText(IDC_INPUT_PATH, inputPath);
    Dlg().SetDlgItemText(IDC_OUTPUT_PATH, outputPath);
    m_prompts.questionAnswers.push_back(true);
    auto* bar = Dlg().findChild<QProgressBar*>();
    QVERIFY(bar != nullptr && bar->isHidden());
    PaintCounter barPaints;
    PaintCounter windowPaints;
    bar->installEventFilter(&barPaints);
    Dlg().installEventFilter(&windowPaints);
    const auto layout = [this] {
      std::vector<QRect> areas;
      for (const ControlTemplate& control : DialogControls()) {
        areas.push_back(InDialog(Item(control.id)));
      }
      return areas;
    };
    const std::vector<QRect> idle = layout();

    Click(Item(IDC_CONVERT));
    QTRY_VERIFY(input.Open());
    QVERIFY(input.Write(bytes.substr(0, 200)));
    QTRY_VERIFY(bar->isVisible());  // after half a second
    QCOMPARE(bar->text(), QStringLiteral("Converting…"));
    QCOMPARE(bar->maximum(), 0);
    QTRY_VERIFY(barPaints.count > 0);
    const int painted = windowPaints.count;
    Dlg().update();
    QTRY_VERIFY(windowPaints.count > painted);
    QCOMPARE(TextOf(Dlg(), IDC_CONVERT), QStringLiteral("Stop"));
    QCOMPARE(Dlg().cursor().shape(), Qt::BusyCursor);
    QVERIFY(layout() == idle);  // the bar had its room already
    QMimeData mime;             // a running window takes no file
    mime.setUrls({QUrl::fromLocalFile(dir.filePath(QStringLiteral("other.gdb")))});
    QDragEnterEvent drag(QPoint(2, 2), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&Dlg(), &drag);
    QVERIFY(!drag.isAccepted());

    Click(Item(IDC_CONVERT));
    QVERIFY(input.Write(bytes.substr(200, 100)));
    WaitForRun();
    QVERIFY(bar->isHidden());
    QCOMPARE(Dlg().cursor().shape(), Qt::ArrowCursor);
    QCOMPARE(TextOf(Dlg(), IDC_CONVERT), QStringLiteral("Convert"));
    QCOMPARE(m_prompts.messages.size(), size_t{1});
    QCOMPARE(m_prompts.messages.front().text,
             QStringLiteral("Conversion stopped - no output written"));
    QCOMPARE(ReadFile(outputPath), QByteArray("old output"));
  }
  void messageBoxCheckBox() {
    QMessageBox plain(m_dlg.get());
    ConfigureMessageBox(plain, QStringLiteral("Done"), QStringLiteral("Finished"),
                        MessageStyle::Plain);
    QVERIFY(plain.checkBox() == nullptr);
    QMessageBox info(m_dlg.get());
    ConfigureMessageBox(info, QStringLiteral("skipped"), QStringLiteral("Info"),
                        MessageStyle::Exclamation, QStringLiteral("Show no more"));
    QVERIFY(info.checkBox() != nullptr);
    QCOMPARE(info.checkBox()->text(), QStringLiteral("Show no more"));
    QVERIFY(!info.checkBox()->isChecked());
  }

  // Enter in a field or on a radio button presses Convert, the default button.
  void enterConverts_data() {
    QTest::addColumn<int>("focus");
    QTest::newRow("input field") << int{IDC_INPUT_PATH};
    QTest::newRow("via-point field") << int{IDC_MAX_VIAS};
    QTest::newRow("option button") << int{IDC_OPTION_6};
    QTest::newRow("language button") << int{IDC_LANG_DUTCH};
  }

  void enterConverts() {
    QFETCH(int, focus);
    ShowActive();
    Click(Item(IDC_LANG_DUTCH));
    Click(Item(IDC_OPTION_6));
    Item(focus)->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(Item(focus), Qt::Key_Return);
    WaitForRun();
    QCOMPARE(m_prompts.messages.size(), size_t{1});
    QCOMPARE(m_prompts.messages.front().text, QStringLiteral("Geen invoer bestand gespecificeerd"));
    QCOMPARE(m_prompts.messages.front().title, QStringLiteral("Bestandsfout"));
    QVERIFY(Dlg().isVisible());
  }

  void endingTheDialog_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("Quit") << "Quit";
    QTest::newRow("Escape") << "Escape";
    QTest::newRow("close box") << "close box";
    QTest::newRow("window menu Close") << "menu";
  }

  void endingTheDialog() {
    QFETCH(QString, how);
    ShowActive();
    Click(Item(IDC_LANG_GERMAN));  // the labels differ, the buttons do not
    if (how == "Quit") {
      Click(Item(IDCANCEL));
    } else if (how == "Escape") {
      QTest::keyClick(Item(IDC_OUTPUT_PATH), Qt::Key_Escape);
    } else if (how == "close box") {
      QVERIFY(Dlg().close());
    } else {
      Dlg().OnSysCommand(SC_CLOSE, 0);
    }
    QVERIFY(!Dlg().isVisible());
    QCOMPARE(Dlg().result(), int{QDialog::Rejected});
    QVERIFY(m_prompts.messages.empty());
    QVERIFY(m_prompts.modalRuns.empty());
    // Each way keeps the settings.
    const QSettings kept(QStringLiteral("Morvex"), QStringLiteral("Morvex"));
    QCOMPARE(kept.value(QStringLiteral("Language")).toString(), QStringLiteral("de"));
  }

  void aboutCommand_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("opens");
    QTest::newRow("menu item") << "item" << true;
    QTest::newRow("right click, then the item") << "right click" << true;
    QTest::newRow("F1 in a field") << "F1" << true;
    QTest::newRow("command 16") << "16" << true;
    QTest::newRow("command 31, low bits masked") << "31" << true;
    QTest::newRow("command 0x10010, high bits") << "65552" << true;
    QTest::newRow("command 32") << "32" << false;
    QTest::newRow("command 15") << "15" << false;
    QTest::newRow("minimise") << "minimise" << false;
  }

  void aboutCommand() {
    QFETCH(QString, how);
    QFETCH(bool, opens);
    ShowActive();
    Click(Item(IDC_LANG_DUTCH));
    Click(Item(IDC_OPTION_5));
    Dlg().SetDlgItemText(IDC_INPUT_PATH, QStringLiteral("a.gdb"));
    QString title;
    QString version;
    QWidget* owner = nullptr;
    m_prompts.onModal = [&](QDialog& about) {
      title = about.windowTitle();
      owner = about.parentWidget();
      QVERIFY(qobject_cast<CAboutDlg*>(&about) != nullptr);
      if (auto* line = about.findChild<QLabel*>(QStringLiteral("version"))) version = line->text();
    };

    if (how == "item") {
      QVERIFY(AboutItem() != nullptr);
      AboutItem()->trigger();
    } else if (how == "right click") {
      QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5),
                              Dlg().mapToGlobal(QPoint(5, 5)));
      QApplication::sendEvent(Item(IDC_OPTIONS_GROUP), &event);
      QVERIFY(Dlg().GetSystemMenu()->isVisible());
      AboutItem()->trigger();
      Dlg().GetSystemMenu()->hide();
    } else if (how == "F1") {
      QTest::keyClick(Item(IDC_OUTPUT_PATH), Qt::Key_F1);
    } else if (how == "minimise") {
      Dlg().OnSysCommand(SC_MINIMIZE, 0);
      QVERIFY(Dlg().isMinimized());
    } else {
      Dlg().OnSysCommand(how.toUInt(), 0);
    }

    QCOMPARE(m_prompts.modalRuns.size(), size_t{opens ? 1u : 0u});
    if (opens) {
      QCOMPARE(title, QStringLiteral("About Morvex"));
      QCOMPARE(version, QStringLiteral("Morvex versie 3"));  // the window's language
      QCOMPARE(owner, static_cast<QWidget*>(m_dlg.get()));
    }
    // The dialog goes on as it was.
    QCOMPARE(TextOf(Dlg(), IDC_INPUT_PATH), QStringLiteral("a.gdb"));
    QCOMPARE(TextOf(Dlg(), IDC_CONVERT), QStringLiteral("Converteer"));
    QCOMPARE(CheckedButton(Dlg(), IDC_OPTION_1, IDC_OPTION_6), int{IDC_OPTION_5});
    QCOMPARE(CheckedButton(Dlg(), IDC_LANG_ENGLISH, IDC_LANG_FRENCH), int{IDC_LANG_DUTCH});
    QVERIFY(m_prompts.messages.empty());
  }

  // Files dropped from a file manager.
  void drops_data() {
    QTest::addColumn<int>("target");  // the control under the drop
    QTest::addColumn<QString>("what");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<int>("filled");  // the field that takes the path, or 0
    QTest::newRow("file on input field")
        << int{IDC_INPUT_PATH} << "file" << true << int{IDC_INPUT_PATH};
    QTest::newRow("file on output field")
        << int{IDC_OUTPUT_PATH} << "file" << true << int{IDC_OUTPUT_PATH};
    QTest::newRow("file on output Browse")
        << int{IDC_BROWSE_OUTPUT} << "file" << true << int{IDC_OUTPUT_PATH};
    QTest::newRow("file on options frame")
        << int{IDC_OPTION_3} << "file" << true << int{IDC_INPUT_PATH};
    QTest::newRow("file on Convert") << int{IDC_CONVERT} << "file" << true << int{IDC_INPUT_PATH};
    QTest::newRow("two files") << int{IDC_OUTPUT_PATH} << "two files" << false << 0;
    QTest::newRow("folder") << int{IDC_INPUT_PATH} << "folder" << false << 0;
    QTest::newRow("web address") << int{IDC_LANGUAGE_GROUP} << "web" << false << 0;
  }

  void drops() {
    QFETCH(int, target);
    QFETCH(QString, what);
    QFETCH(bool, accepted);
    QFETCH(int, filled);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("trip.gdb"));
    QVERIFY(WriteFile(file, gdbtest::GdbFile('l', {})));
    QMimeData mime;
    if (what == "file") mime.setUrls({QUrl::fromLocalFile(file)});
    if (what == "two files") {
      mime.setUrls({QUrl::fromLocalFile(file), QUrl::fromLocalFile(dir.filePath("b.gdb"))});
    }
    if (what == "folder") mime.setUrls({QUrl::fromLocalFile(dir.path())});
    if (what == "web") mime.setUrls({QUrl(QStringLiteral("https://example.org/trip.gdb"))});
    ShowActive();
    Dlg().SetDlgItemText(IDC_INPUT_PATH, QStringLiteral("old in"));
    Dlg().SetDlgItemText(IDC_OUTPUT_PATH, QStringLiteral("old out"));

    // Qt hands a drag to the nearest control under it that takes drops.
    QWidget* receiver = Item(target);
    while (!receiver->acceptDrops()) receiver = receiver->parentWidget();
    const QPoint at = receiver->mapFrom(Item(target)->window(), InDialog(Item(target)).center());
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(receiver, &enter);
    QCOMPARE(enter.isAccepted(), accepted);
    if (accepted) {
      QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
      QApplication::sendEvent(receiver, &drop);
      QVERIFY(drop.isAccepted());
    }
    const QString path = QDir::toNativeSeparators(file);
    QCOMPARE(TextOf(Dlg(), IDC_INPUT_PATH), filled == IDC_INPUT_PATH ? path : "old in");
    QCOMPARE(TextOf(Dlg(), IDC_OUTPUT_PATH), filled == IDC_OUTPUT_PATH ? path : "old out");
  }

  // A drop is always a copy: a source told that the file moved would delete
  // it. A source that can only move is refused.
  void dropsAreCopies_data() {
    QTest::addColumn<int>("target");
    QTest::addColumn<int>("possible");
    QTest::addColumn<bool>("accepted");
    const int copyOrMove = Qt::CopyAction | Qt::MoveAction;
    QTest::newRow("move offered on input field") << int{IDC_INPUT_PATH} << copyOrMove << true;
    QTest::newRow("move offered on options frame") << int{IDC_OPTIONS_GROUP} << copyOrMove << true;
    QTest::newRow("move only on input field")
        << int{IDC_INPUT_PATH} << int{Qt::MoveAction} << false;
    QTest::newRow("move only on options frame")
        << int{IDC_OPTIONS_GROUP} << int{Qt::MoveAction} << false;
  }

  void dropsAreCopies() {
    QFETCH(int, target);
    QFETCH(int, possible);
    QFETCH(bool, accepted);
    const auto actions = static_cast<Qt::DropActions>(possible);
    // A drag with Shift held proposes a move.
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(QStringLiteral("/data/trips/trip.gdb"))});
    ShowActive();
    QWidget* receiver = Item(target);
    while (!receiver->acceptDrops()) receiver = receiver->parentWidget();
    const QPoint at = receiver->mapFrom(Dlg().window(), InDialog(Item(target)).center());

    QDragEnterEvent enter(at, actions, &mime, Qt::LeftButton, Qt::ShiftModifier);
    QApplication::sendEvent(receiver, &enter);
    QDragMoveEvent move(at, actions, &mime, Qt::LeftButton, Qt::ShiftModifier);
    QApplication::sendEvent(receiver, &move);
    QDropEvent drop(QPointF(at), actions, &mime, Qt::LeftButton, Qt::ShiftModifier);
    QApplication::sendEvent(receiver, &drop);
    for (const QDropEvent* event :
         {static_cast<QDropEvent*>(&enter), static_cast<QDropEvent*>(&move), &drop}) {
      QCOMPARE(event->proposedAction(), Qt::MoveAction);  // what Shift asks for
      QCOMPARE(event->isAccepted(), accepted);
      if (accepted) QCOMPARE(event->dropAction(), Qt::CopyAction);
    }
    QCOMPARE(
        TextOf(Dlg(), IDC_INPUT_PATH),
        accepted ? QDir::toNativeSeparators(QStringLiteral("/data/trips/trip.gdb")) : QString());
  }

  // Each way an input path comes reaches the presenter: the output field
  // suggests a name beside it for what the option makes.
  void outputSuggestion_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("typed") << "typed";
    QTest::newRow("picked") << "picked";
    QTest::newRow("dropped") << "dropped";
    QTest::newRow("given at start") << "given at start";
  }

  void outputSuggestion() {
    QFETCH(QString, how);
    const QString input = QDir::toNativeSeparators(QStringLiteral("/data/trips/trip.GDB"));
    const QString suggested = QDir::toNativeSeparators(QStringLiteral("/data/trips/trip-%1.gdb"));
    const auto output = [this] { return TextOf(Dlg(), IDC_OUTPUT_PATH); };
    ShowActive();
    if (how == "typed") {
      QTest::keyClicks(Item(IDC_INPUT_PATH), input);
      QCOMPARE(output(), QString());  // not while typing
      QTest::keyClick(Item(IDC_INPUT_PATH), Qt::Key_Tab);
    } else if (how == "picked") {
      m_prompts.pickerAnswers.push_back(input);
      Click(Item(IDC_BROWSE_INPUT));
    } else if (how == "given at start") {
      Dlg().SetInputPath(input);
    } else {
      QMimeData mime;
      mime.setUrls({QUrl::fromLocalFile(QStringLiteral("/data/trips/trip.GDB"))});
      QDragEnterEvent enter(QPoint(2, 2), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
      QApplication::sendEvent(Item(IDC_INPUT_PATH), &enter);
      QDropEvent drop(QPointF(2, 2), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
      QApplication::sendEvent(Item(IDC_INPUT_PATH), &drop);
    }
    QCOMPARE(TextOf(Dlg(), IDC_INPUT_PATH), input);
    QCOMPARE(output(), suggested.arg("tracks"));
    Click(Item(IDC_OPTION_4));
    QCOMPARE(output(), suggested.arg("vias"));

    // A typed output reaches the presenter too, and stays.
    QLineEdit* field = Field(IDC_OUTPUT_PATH);
    field->selectAll();
    QTest::keyClicks(field, QStringLiteral("mine.gdb"));
    Click(Item(IDC_OPTION_1));
    QCOMPARE(output(), QStringLiteral("mine.gdb"));
    QVERIFY(m_prompts.messages.empty());
  }

  // The file of the command line: the first argument, absolute.
  void fileToOpen_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("file");
    const QString here = QDir::currentPath();
    const auto native = [](const QString& path) { return QDir::toNativeSeparators(path); };
    QTest::newRow("none") << QStringList{"morvex"} << QString();
    QTest::newRow("empty") << QStringList{"morvex", ""} << QString();
    QTest::newRow("absolute") << QStringList{"morvex", "/data/trip.gdb"}
                              << native("/data/trip.gdb");
    QTest::newRow("relative") << QStringList{"morvex", "trips/trip.gdb"}
                              << native(here + "/trips/trip.gdb");
    QTest::newRow("up a folder") << QStringList{"morvex", "../trip.gdb"}
                                 << native(QDir::cleanPath(here + "/../trip.gdb"));
    QTest::newRow("several") << QStringList{"morvex", "/data/a.gdb", "/data/b.gdb"}
                             << native("/data/a.gdb");
  }

  void fileToOpen() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, file);
    QCOMPARE(FileToOpen(arguments), file);
  }

  // Through a link to a folder elsewhere, ".." stays: it leads to the parent
  // of the link's target.
  void fileToOpenThroughLink() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(QDir(dir.path()).mkpath("far/away") && QDir(dir.path()).mkpath("near"));
    QVERIFY(QFile::link(dir.filePath("far/away"), dir.filePath("near/link")));
    QVERIFY(WriteFile(dir.filePath("far/trip.gdb"), "x"));
    const QString path = dir.filePath("near/link/../trip.gdb");
    QCOMPARE(FileToOpen({"morvex", path}), QDir::toNativeSeparators(path));
    QCOMPARE(QFileInfo(FileToOpen({"morvex", path})).canonicalFilePath(),
             QFileInfo(dir.filePath("far/trip.gdb")).canonicalFilePath());
  }

  // What a start reads from QSettings: the settings file's values, and the
  // locale's language where the file names none.
  void startFromSettings_data() {
    QTest::addColumn<QByteArray>("file");  // null: no settings file yet
    QTest::addColumn<QString>("locale");
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("convert");  // the Convert button's text
    QTest::addColumn<int>("option");
    QTest::addColumn<QString>("vias");
    QTest::addColumn<QString>("yes");  // Qt's own Yes button
    QTest::newRow("first start, German") << QByteArray() << "de_DE" << int{IDC_LANG_GERMAN}
                                         << "Konvertieren" << int{IDC_OPTION_1} << "250"
                                         << "&Ja";
    QTest::newRow("stored English in a German locale")
        << QByteArray("[General]\nLanguage=en\nOption=5\nMaxVias=731\n") << "de_DE"
        << int{IDC_LANG_ENGLISH} << "Convert" << int{IDC_OPTION_5} << "731"
        << "&Yes";
    QTest::newRow("damaged")
        << QByteArray("\x01\xFF\n[General]\nLanguage=xx\nOption=9\nMaxVias=\"a, b\"\n[General")
        << "nl_NL" << int{IDC_LANG_DUTCH} << "Converteer" << int{IDC_OPTION_1} << "250"
        << "&Ja";
    QTest::newRow("stored Dutch in an English locale")
        << QByteArray("[General]\nLanguage=nl\n") << "en_US" << int{IDC_LANG_DUTCH} << "Converteer"
        << int{IDC_OPTION_1} << "250"
        << "&Ja";
  }

  void startFromSettings() {
    QFETCH(QByteArray, file);
    QFETCH(QString, locale);
    QFETCH(int, language);
    QFETCH(QString, convert);
    QFETCH(int, option);
    QFETCH(QString, vias);
    QFETCH(QString, yes);
    if (!file.isNull()) {
      QDir().mkpath(QFileInfo(SettingsFile()).path());
      QVERIFY(WriteFile(SettingsFile(), file.toStdString()));
    }
    QLocale::setDefault(QLocale(locale));
    Restart();
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));

    QCOMPARE(CheckedButton(Dlg(), IDC_LANG_ENGLISH, IDC_LANG_FRENCH), language);
    QCOMPARE(TextOf(Dlg(), IDC_CONVERT), convert);
    QCOMPARE(CheckedButton(Dlg(), IDC_OPTION_1, IDC_OPTION_6), option);
    QCOMPARE(Item(IDC_MAX_VIAS)->isEnabled(), option >= IDC_OPTION_5);
    QCOMPARE(TextOf(Dlg(), IDC_MAX_VIAS), vias);
    // Qt's own boxes and pickers speak the start's language, where Qt's
    // translations are installed.
    QMessageBox box;
    box.setStandardButtons(QMessageBox::Yes);
    if (QFileInfo::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + "/qtbase_nl.qm")) {
      QCOMPARE(box.button(QMessageBox::Yes)->text(), yes);
    }
  }

  // Quit keeps the language, option, via maximum and the pickers' folders in
  // QSettings for the next start; its pickers open there.
  void settingsRestoredAfterRestart() {
    QTemporaryDir inputs;
    QTemporaryDir outputs;
    QVERIFY(inputs.isValid() && outputs.isValid());
    ShowActive();
    Click(Item(IDC_LANG_GERMAN));
    Click(Item(IDC_OPTION_6));
    Field(IDC_MAX_VIAS)->setText(QStringLiteral("500"));
    m_prompts.pickerAnswers = {inputs.filePath(QStringLiteral("in.gdb")),
                               outputs.filePath(QStringLiteral("out.gdb"))};
    Click(Item(IDC_BROWSE_INPUT));
    Click(Item(IDC_BROWSE_OUTPUT));
    QCOMPARE(m_prompts.pickerRequests[0].folder, QString());  // nothing to go by yet
    Click(Item(IDCANCEL));
    QVERIFY(!Dlg().isVisible());

    Restart();
    ShowActive();
    QCOMPARE(TextOf(Dlg(), IDC_CONVERT), QStringLiteral("Konvertieren"));
    QCOMPARE(CheckedButton(Dlg(), IDC_OPTION_1, IDC_OPTION_6), int{IDC_OPTION_6});
    QVERIFY(Item(IDC_MAX_VIAS)->isEnabled());
    QCOMPARE(TextOf(Dlg(), IDC_MAX_VIAS), QStringLiteral("500"));
    QCOMPARE(TextOf(Dlg(), IDC_INPUT_PATH), QString());
    QCOMPARE(TextOf(Dlg(), IDC_OUTPUT_PATH), QString());
    m_prompts.pickerRequests.clear();
    Click(Item(IDC_BROWSE_INPUT));
    Click(Item(IDC_BROWSE_OUTPUT));
    QCOMPARE(m_prompts.pickerRequests.size(), size_t{2});
    QCOMPARE(m_prompts.pickerRequests[0].folder, inputs.path());
    QCOMPARE(m_prompts.pickerRequests[1].folder, outputs.path());
  }

  // The one-route box: enabled with the via field, toggled by Space and its
  // mnemonic, and kept in QSettings for the next start.
  void oneRoute() {
    ShowActive();
    auto* box = qobject_cast<QCheckBox*>(Item(IDC_ONE_ROUTE));
    QVERIFY(box != nullptr && !box->isChecked() && !box->isEnabled());
    Click(Item(IDC_OPTION_5));
    QVERIFY(box->isEnabled());
    Item(IDC_MAX_VIAS)->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(Focus(), Qt::Key_Tab);
    QCOMPARE(Focus(), static_cast<QWidget*>(box));
    QTest::keyClick(Focus(), Qt::Key_Space);
    QVERIFY(box->isChecked());
    QTest::keyClick(Focus(), Qt::Key_K, Qt::AltModifier);
    QTRY_VERIFY(!box->isChecked());
    QTest::keyClick(Focus(), Qt::Key_K, Qt::AltModifier);
    QTRY_VERIFY(box->isChecked());
    Click(Item(IDCANCEL));

    Restart();
    box = qobject_cast<QCheckBox*>(Item(IDC_ONE_ROUTE));
    QVERIFY(box->isChecked() && box->isEnabled());
  }
  // The question before an existing output is replaced comes up through the
  // prompts, owned by the window; its No leaves the file as it was.
  void replaceQuestion() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString inputPath = dir.filePath(QStringLiteral("in.gdb"));
    const QString outputPath = dir.filePath(QStringLiteral("out.gdb"));
    QVERIFY(WriteFile(inputPath, gdbtest::GdbFile('l', {})));
    QVERIFY(WriteFile(outputPath, "old output"));
    ShowActive();
    Click(Item(IDC_LANG_DUTCH));
    Dlg().SetDlgItemText(IDC_INPUT_PATH, inputPath);
    QTest::keyClicks(Item(IDC_OUTPUT_PATH), outputPath);
    m_prompts.questionAnswers.push_back(false);

    Click(Item(IDC_CONVERT));

    QCOMPARE(m_prompts.questions.size(), size_t{1});
    const RecordingPrompts::Message& question = m_prompts.questions.front();
    QCOMPARE(
        question.text,
        QStringLiteral("Uitvoer bestand %1 bestaat al.\nWilt u het vervangen?").arg(outputPath));
    QCOMPARE(question.title, QStringLiteral("Info"));
    QCOMPARE(question.owner, static_cast<QWidget*>(m_dlg.get()));
    QVERIFY(m_prompts.messages.empty());
    QCOMPARE(ReadFile(outputPath), QByteArray("old output"));
  }
  void questionBoxSettings() {
    QMessageBox box(m_dlg.get());
    ConfigureQuestionBox(box, QStringLiteral("out.gdb <b>"), QStringLiteral("Info"),
                         MessageStyle::Exclamation);
    QCOMPARE(box.standardButtons(), QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(box.defaultButton(), box.button(QMessageBox::No));
    QCOMPARE(box.escapeButton(), static_cast<QAbstractButton*>(box.button(QMessageBox::No)));
    QCOMPARE(box.textFormat(), Qt::PlainText);
    QVERIFY(box.checkBox() == nullptr);
  }

  // In every language each control has at least the room its text needs and
  // no two controls overlap. The test runs at scale 1 and at scale 2.
  void layoutFits_data() {
    QTest::addColumn<int>("language");
    QTest::newRow("at start") << 0;
    QTest::newRow("English") << int{IDC_LANG_ENGLISH};
    QTest::newRow("Dutch") << int{IDC_LANG_DUTCH};
    QTest::newRow("German") << int{IDC_LANG_GERMAN};
  }

  void layoutFits() {
    QFETCH(int, language);
    ShowActive();
    if (language != 0) Click(Item(language));
    Click(Item(IDC_OPTION_5));  // the via-point label shows its real colours
    QApplication::processEvents();
    const QRect window = Dlg().rect();
    std::vector<std::pair<int, QRect>> leaves;
    for (int id : kAllControls) {
      QWidget* control = Item(id);
      if (control->isHidden()) continue;
      const QRect area = InDialog(control);
      QVERIFY2(window.contains(area), qPrintable(QStringLiteral("control %1 outside").arg(id)));
      QVERIFY2(control->width() >= control->minimumSizeHint().width() &&
                   control->height() >= control->minimumSizeHint().height(),
               qPrintable(QStringLiteral("control %1 squeezed").arg(id)));
      if (qobject_cast<QGroupBox*>(control)) continue;
      if (!qobject_cast<QLineEdit*>(control)) {
        QVERIFY2(control->width() >= control->sizeHint().width() &&
                     control->height() >= control->sizeHint().height(),
                 qPrintable(QStringLiteral("text of control %1 cut").arg(id)));
      }
      for (const auto& [otherId, other] : leaves) {
        QVERIFY2(!area.intersects(other),
                 qPrintable(QStringLiteral("controls %1 and %2 overlap").arg(id).arg(otherId)));
      }
      leaves.emplace_back(id, area);
    }
    const int frames[] = {IDC_INPUT_GROUP, IDC_OUTPUT_GROUP, IDC_OPTIONS_GROUP, IDC_LANGUAGE_GROUP};
    for (int a : frames) {
      for (int b : frames) {
        if (a < b) QVERIFY(!InDialog(Item(a)).intersects(InDialog(Item(b))));
      }
    }
  }
};

QTEST_MAIN(TestMorvexDlg)
#include "morvex_dlg_test.moc"
