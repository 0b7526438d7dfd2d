#include "morvex_dlg.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QContextMenuEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QUrl>
#include <QVBoxLayout>
#include <cstdint>

#include "about_dlg.h"
#include "control_ids.h"
#include "decimal_field.h"
#include "morvex_resources.h"
#include "text_utils.h"

namespace {

const char kCaption[] = "Morvex Version 3.1 - File Converter for Mapsource GDB files";

enum class Kind { Frame, PathField, Button, DefaultButton, Option, Label, NumberField };

enum Style : unsigned {
  kStartsGroup = 1,
  kDisabled = 2,
  kHidden = 4,
};

struct ControlTemplate {
  int id;
  Kind kind;
  const char* text;  // UTF-8
  unsigned style;
};

// Tab stops are the fields and the push buttons; radio buttons are none.
bool IsTabStop(Kind kind) {
  return kind == Kind::PathField || kind == Kind::NumberField || kind == Kind::Button ||
         kind == Kind::DefaultButton;
}

// The controls in template order, which is also the tab order and the order in
// which the radio groups are formed.
const ControlTemplate kControls[] = {
    {IDC_INPUT_GROUP, Kind::Frame, "Input File", 0},
    {IDC_INPUT_PATH, Kind::PathField, "", 0},
    {IDC_BROWSE_INPUT, Kind::Button, "Browse...", 0},
    {IDC_OUTPUT_GROUP, Kind::Frame, "Output File", 0},
    {IDC_OUTPUT_PATH, Kind::PathField, "", 0},
    {IDC_BROWSE_OUTPUT, Kind::Button, "Browse...", 0},
    {IDC_OPTIONS_GROUP, Kind::Frame, "Processing Options", 0},
    {IDC_OPTION_1, Kind::Option, "1. Convert routes to tracks with all points", kStartsGroup},
    {IDC_OPTION_2, Kind::Option, "2. Convert routes to tracks with via points only", 0},
    {IDC_OPTION_3, Kind::Option, "3. Convert auto-generated route via points to user waypoint vias",
     0},
    {IDC_OPTION_4, Kind::Option, "4. Convert auto-generated route via points to hidden via points",
     0},
    {IDC_OPTION_5, Kind::Option, "5. Convert tracks to routes with user waypoint vias", 0},
    {IDC_OPTION_6, Kind::Option, "6. Convert tracks to routes with hidden via points", 0},
    {IDCANCEL, Kind::Button, "Quit", 0},
    {IDC_CONVERT, Kind::DefaultButton, "Convert", 0},
    {IDC_MAX_VIAS_LABEL, Kind::Label,
     "For options 5 and 6:\nMaximum number of via points per route (25-1000)",
     kStartsGroup | kDisabled},
    {IDC_MAX_VIAS, Kind::NumberField, "", kDisabled},
    {IDC_LANGUAGE_GROUP, Kind::Frame, "Language", 0},
    {IDC_LANG_ENGLISH, Kind::Option, "English", kStartsGroup},
    {IDC_LANG_DUTCH, Kind::Option, "Nederlands", 0},
    {IDC_LANG_GERMAN, Kind::Option, "Deutsch", 0},
    {IDC_LANG_FRENCH, Kind::Option, "Français", kHidden | kDisabled},
};

struct LanguageTexts {
  int id;
  const char* text[3];  // English, Dutch, German; UTF-8
};

// The texts a language button sets, control by control in the order they are
// set. The language buttons' own labels, the caption and the About item keep
// their texts in every language.
const LanguageTexts kLanguageTexts[] = {
    {IDC_BROWSE_INPUT, {"Browse...", "Zoek...", "Suchen..."}},
    {IDC_BROWSE_OUTPUT, {"Browse...", "Zoek...", "Suchen..."}},
    {IDC_CONVERT, {"Convert", "Converteer", "Konvertieren"}},
    {IDCANCEL, {"Quit", "Exit", "Beenden"}},
    {IDC_INPUT_GROUP, {"Input file", "Invoer bestand", "Eingabe-Datei"}},
    {IDC_OUTPUT_GROUP, {"Output file", "Uitvoer bestand", "Ausgabe-Datei"}},
    {IDC_OPTIONS_GROUP, {"Processing options", "Verwerkings opties", "Verarbeitungs Optionen"}},
    {IDC_MAX_VIAS_LABEL,
     {"For options 5 and 6:\nMaximum number of via points per route (25-1000)",
      "Voor opties 5 en 6:\nMaximum aantal viapunten per route (25-1000)",
      "Für Optionen 5 und 6:\nMaximale Anzahl der Zwischenpunkte je Route (25-1000)"}},
    {IDC_LANGUAGE_GROUP, {"Language", "Taal", "Sprache"}},
    {IDC_OPTION_1,
     {"1. Convert routes to tracks with all points",
      "1. Converteer routes naar tracks met alle punten",
      "1. Konvertiere Routen zu Tracks mit allen Punkten"}},
    {IDC_OPTION_2,
     {"2. Convert routes to tracks with via points only",
      "2. Converteer routes naar tracks met alleen viapunten",
      "2. Konvertiere Routen zu Tracks nur mit den Zwischenpunkten"}},
    {IDC_OPTION_3,
     {"3. Convert auto-generated route via points to user waypoint vias",
      "3. Converteer automatisch-gegenereerde route viapunten naar gebruikers waypoint vias",
      "3. Konvertiere automatisch erzeugte Zwischenpunkte zu User-Zwischenpunkten"}},
    {IDC_OPTION_4,
     {"4. Convert auto-generated route via points to hidden via points",
      "4. Converteer automatisch-gegenereerde route viapunten naar verborgen viapunten",
      "4. Konvertiere automatisch erzeugte Zwischenpunkte zu versteckten Zwischenpunkten"}},
    {IDC_OPTION_5,
     {"5. Convert tracks to routes with user waypoint vias",
      "5. Converteer tracks naar routes met gebruikers waypoint viapunten",
      "5. Konvertiere Tracks zu Routen mit User-Zwischenpunkten"}},
    {IDC_OPTION_6,
     {"6. Convert tracks to routes with hidden via points",
      "6. Converteer tracks naar routes met verborgen viapunten",
      "6. Konvertiere Tracks zu Routen mit versteckten Zwischenpunkten"}},
};

// Each language button and the language it selects.
struct LanguageButton {
  int id;
  Language language;
};
const LanguageButton kLanguageButtons[] = {
    {IDC_LANG_ENGLISH, Language::kEnglish},
    {IDC_LANG_DUTCH, Language::kDutch},
    {IDC_LANG_GERMAN, Language::kGerman},
    {IDC_LANG_FRENCH, Language::kFourth},
};

const FilePickerRequest::Kind kOpen = FilePickerRequest::Kind::Open;
const FilePickerRequest::Kind kSave = FilePickerRequest::Kind::Save;

FilePickerRequest GdbPicker(FilePickerRequest::Kind kind) {
  return {kind,
          {QStringLiteral("GDB Files (*.gdb)"), QStringLiteral("All Files (*.*)")},
          QStringLiteral("gdb")};
}

// The program's string resources.
QString LoadString(int id) {
  switch (id) {
    case IDS_ABOUT_MENU:
      return QStringLiteral("&About Morvex...");
    default:
      return {};
  }
}

QString ControlText(const QWidget* control) {
  if (auto* button = qobject_cast<const QAbstractButton*>(control)) return button->text();
  if (auto* frame = qobject_cast<const QGroupBox*>(control)) return frame->title();
  if (auto* label = qobject_cast<const QLabel*>(control)) return label->text();
  if (auto* field = qobject_cast<const QLineEdit*>(control)) return field->text();
  return {};
}

// The one local file, not a folder, that a drag carries; empty for anything else.
QString DraggedFile(const QMimeData* mime) {
  if (mime == nullptr || !mime->hasUrls()) return {};
  const QList<QUrl> urls = mime->urls();
  if (urls.size() != 1 || !urls.first().isLocalFile()) return {};
  const QString path = urls.first().toLocalFile();
  if (path.isEmpty() || QFileInfo(path).isDir()) return {};
  return QDir::toNativeSeparators(path);
}

}  // namespace

CMorvexDlg::CMorvexDlg(QWidget* parent) : QDialog(parent) {
  InitMorvexResources();
  m_hIcon = QIcon(QStringLiteral(":/morvex/main-32.png"));
  SetPrompts(nullptr);

  setWindowTitle(QString::fromUtf8(kCaption));
  // A fixed-size application window with a minimise box and no maximise box.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  setAcceptDrops(true);

  m_systemMenu = new QMenu(this);
  QAction* minimize = m_systemMenu->addAction(QStringLiteral("Mi&nimize"));
  connect(minimize, &QAction::triggered, this, [this] { OnSysCommand(SC_MINIMIZE, 0); });
  QAction* close = m_systemMenu->addAction(QStringLiteral("&Close"));
  connect(close, &QAction::triggered, this, [this] { OnSysCommand(SC_CLOSE, 0); });

  CreateControls();
  LayOutControls();
  FixWindowSize();
  if (OnInitDialog()) GetDlgItem(IDC_INPUT_PATH)->setFocus(Qt::OtherFocusReason);
}

CMorvexDlg::~CMorvexDlg() = default;

void CMorvexDlg::SetPrompts(DialogPrompts* prompts) {
  static QtDialogPrompts qtPrompts;
  m_prompts = prompts != nullptr ? prompts : &qtPrompts;
}

void CMorvexDlg::CreateControls() {
  QButtonGroup* radioGroup = nullptr;
  QWidget* previousTabStop = nullptr;
  for (const ControlTemplate& item : kControls) {
    const QString text = QString::fromUtf8(item.text);
    QWidget* control = nullptr;
    switch (item.kind) {
      case Kind::Frame:
        control = new QGroupBox(text, this);
        break;
      case Kind::PathField: {
        auto* field = new QLineEdit(text, this);
        field->installEventFilter(this);  // takes files dropped from a file manager
        control = field;
        break;
      }
      case Kind::NumberField: {
        auto* field = new QLineEdit(text, this);
        field->setValidator(
            new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), field));
        field->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        field->setAcceptDrops(false);
        control = field;
        break;
      }
      case Kind::Button:
      case Kind::DefaultButton: {
        auto* button = new QPushButton(text, this);
        button->setDefault(item.kind == Kind::DefaultButton);
        control = button;
        break;
      }
      case Kind::Option: {
        auto* option = new QRadioButton(text, this);
        if (item.style & kStartsGroup) {
          radioGroup = new QButtonGroup(this);
          radioGroup->setExclusive(true);
        }
        if (radioGroup != nullptr) radioGroup->addButton(option, item.id);
        control = option;
        break;
      }
      case Kind::Label: {
        auto* label = new QLabel(text, this);
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        control = label;
        break;
      }
    }
    if (item.kind != Kind::Option && (item.style & kStartsGroup)) radioGroup = nullptr;
    if (item.style & kDisabled) control->setEnabled(false);
    if (item.style & kHidden) control->setVisible(false);
    if (IsTabStop(item.kind)) {
      if (previousTabStop != nullptr) setTabOrder(previousTabStop, control);
      previousTabStop = control;
    }
    m_controls.emplace_back(item.id, control);
  }

  connect(static_cast<QPushButton*>(GetDlgItem(IDC_BROWSE_INPUT)), &QPushButton::clicked, this,
          &CMorvexDlg::OnBrowseInput);
  connect(static_cast<QPushButton*>(GetDlgItem(IDC_BROWSE_OUTPUT)), &QPushButton::clicked, this,
          &CMorvexDlg::OnBrowseOutput);
  connect(static_cast<QPushButton*>(GetDlgItem(IDC_CONVERT)), &QPushButton::clicked, this,
          &CMorvexDlg::OnConvert);
  connect(static_cast<QPushButton*>(GetDlgItem(IDCANCEL)), &QPushButton::clicked, this,
          &QDialog::reject);
  for (int id = IDC_OPTION_1; id <= IDC_OPTION_6; ++id) {
    connect(static_cast<QRadioButton*>(GetDlgItem(id)), &QRadioButton::clicked, this,
            &CMorvexDlg::OnOptionClicked);
  }
  for (int id = IDC_LANG_ENGLISH; id <= IDC_LANG_FRENCH; ++id) {
    connect(static_cast<QRadioButton*>(GetDlgItem(id)), &QRadioButton::clicked, this,
            &CMorvexDlg::OnLanguageClicked);
  }

  // The via-point field holds a few digits.
  auto* vias = static_cast<QLineEdit*>(GetDlgItem(IDC_MAX_VIAS));
  const QFontMetrics metrics(vias->font());
  vias->setFixedWidth(metrics.horizontalAdvance(QStringLiteral("000000")) +
                      4 * metrics.height() / 3);
  for (int id : {IDC_INPUT_PATH, IDC_OUTPUT_PATH}) {
    GetDlgItem(id)->setMinimumWidth(metrics.averageCharWidth() * 40);
  }
}

// Two full-width frames for the paths; below them the options frame with the
// via-point label and field at its foot, and to its right the language frame
// over Convert and, lowest, Quit.
void CMorvexDlg::LayOutControls() {
  const auto pathRow = [this](int frameId, int fieldId, int buttonId) {
    auto* row = new QHBoxLayout(static_cast<QGroupBox*>(GetDlgItem(frameId)));
    row->addWidget(GetDlgItem(fieldId), 1);
    row->addWidget(GetDlgItem(buttonId));
  };
  pathRow(IDC_INPUT_GROUP, IDC_INPUT_PATH, IDC_BROWSE_INPUT);
  pathRow(IDC_OUTPUT_GROUP, IDC_OUTPUT_PATH, IDC_BROWSE_OUTPUT);

  auto* options = new QVBoxLayout(static_cast<QGroupBox*>(GetDlgItem(IDC_OPTIONS_GROUP)));
  for (int id = IDC_OPTION_1; id <= IDC_OPTION_6; ++id) options->addWidget(GetDlgItem(id));
  options->addSpacing(options->spacing() * 2);
  auto* viaRow = new QHBoxLayout;
  viaRow->addWidget(GetDlgItem(IDC_MAX_VIAS_LABEL));
  viaRow->addSpacing(options->spacing() * 2);
  viaRow->addWidget(GetDlgItem(IDC_MAX_VIAS), 0, Qt::AlignVCenter);
  viaRow->addStretch(1);
  options->addLayout(viaRow);
  options->addStretch(1);

  auto* languages = new QVBoxLayout(static_cast<QGroupBox*>(GetDlgItem(IDC_LANGUAGE_GROUP)));
  for (int id = IDC_LANG_ENGLISH; id <= IDC_LANG_FRENCH; ++id) languages->addWidget(GetDlgItem(id));

  auto* side = new QVBoxLayout;
  side->addWidget(GetDlgItem(IDC_LANGUAGE_GROUP));
  side->addStretch(1);
  side->addWidget(GetDlgItem(IDC_CONVERT));
  side->addWidget(GetDlgItem(IDCANCEL));

  auto* lower = new QHBoxLayout;
  lower->addWidget(GetDlgItem(IDC_OPTIONS_GROUP), 1);
  lower->addLayout(side);

  auto* window = new QVBoxLayout(this);
  window->addWidget(GetDlgItem(IDC_INPUT_GROUP));
  window->addWidget(GetDlgItem(IDC_OUTPUT_GROUP));
  window->addLayout(lower, 1);
}

// The window keeps one size in every language: the largest that the texts of
// any language need, so that switching never cuts a text or moves the window.
void CMorvexDlg::FixWindowSize() {
  const auto needed = [this] {
    for (QWidget* child : findChildren<QWidget*>()) child->updateGeometry();
    for (QLayout* child : findChildren<QLayout*>()) child->invalidate();
    layout()->invalidate();
    return layout()->totalSizeHint().expandedTo(layout()->totalMinimumSize());
  };
  QSize size = needed();
  for (const LanguageButton& button : kLanguageButtons) {
    if (button.language == Language::kFourth) continue;
    SetLanguageTexts(button.language);
    size = size.expandedTo(needed());
  }
  SetTemplateTexts();
  setFixedSize(size.expandedTo(needed()));
}

void CMorvexDlg::SetTemplateTexts() {
  for (const ControlTemplate& item : kControls) {
    SetDlgItemText(item.id, QString::fromUtf8(item.text));
  }
}

void CMorvexDlg::SetLanguageTexts(Language language) {
  const auto column = static_cast<size_t>(language) - static_cast<size_t>(Language::kEnglish);
  for (const LanguageTexts& item : kLanguageTexts) {
    SetDlgItemText(item.id, QString::fromUtf8(item.text[column]));
  }
}

QWidget* CMorvexDlg::GetDlgItem(int id) const {
  for (const auto& [controlId, control] : m_controls) {
    if (controlId == id) return control;
  }
  return nullptr;
}

void CMorvexDlg::SetDlgItemText(int id, const QString& text) {
  QWidget* control = GetDlgItem(id);
  if (auto* button = qobject_cast<QAbstractButton*>(control)) {
    button->setText(text);
  } else if (auto* frame = qobject_cast<QGroupBox*>(control)) {
    frame->setTitle(text);
  } else if (auto* label = qobject_cast<QLabel*>(control)) {
    label->setText(text);
  } else if (auto* field = qobject_cast<QLineEdit*>(control)) {
    field->setText(text);
  }
}

void CMorvexDlg::SetDlgItemInt(int id, unsigned value) {
  SetDlgItemText(id, QString::number(value));
}

void CMorvexDlg::CheckDlgButton(int id) {
  if (auto* button = qobject_cast<QAbstractButton*>(GetDlgItem(id))) button->setChecked(true);
}

std::string CMorvexDlg::GetDlgItemText(int id) const {
  return ControlText(GetDlgItem(id)).toStdString();
}

unsigned CMorvexDlg::GetDlgItemInt(int id) const {
  return ParseDecimalField(ControlText(GetDlgItem(id)).trimmed().toStdString()).value;
}

int CMorvexDlg::GetCheckedRadioButton(int first, int last) const {
  for (int id = first; id <= last; ++id) {
    auto* button = qobject_cast<const QAbstractButton*>(GetDlgItem(id));
    if (button != nullptr && button->isChecked()) return id;
  }
  return 0;
}

void CMorvexDlg::MessageBox(const std::string& text, const std::string& title, MessageStyle style) {
  m_prompts->ShowMessage(this, QString::fromStdString(TextForWindow(text)),
                         QString::fromStdString(TextForWindow(title)), style);
}

void CMorvexDlg::ShowMessage(const std::string& text, const std::string& title,
                             MessageStyle style) {
  MessageBox(text, title, style);
}

bool CMorvexDlg::OnInitDialog() {
  if (QMenu* menu = GetSystemMenu()) {
    const QString about = LoadString(IDS_ABOUT_MENU);
    if (!about.isEmpty()) {
      menu->addSeparator();
      QAction* item = menu->addAction(about);
      item->setShortcut(QKeySequence(Qt::Key_F1));
      connect(item, &QAction::triggered, this, [this] { OnSysCommand(IDM_ABOUT, 0); });
    }
  }
  setWindowIcon(m_hIcon);
  // Checking raises no click: the texts, the language and the disabled via-point
  // controls stay as the template made them.
  CheckDlgButton(IDC_OPTION_1);
  CheckDlgButton(IDC_LANG_ENGLISH);
  SetDlgItemInt(IDC_MAX_VIAS, 250);
  return true;  // the focus goes to the first tab stop
}

void CMorvexDlg::OnSysCommand(unsigned nID, qintptr lParam) {
  if ((nID & 0xFFF0) == static_cast<unsigned>(IDM_ABOUT)) {
    CAboutDlg about(this);
    m_prompts->RunModal(about);
  } else {
    DefaultSysCommand(nID, lParam);
  }
}

void CMorvexDlg::DefaultSysCommand(unsigned nID, qintptr /*lParam*/) {
  switch (nID & 0xFFF0) {
    case SC_MINIMIZE:
      showMinimized();
      break;
    case SC_CLOSE:
      close();
      break;
    default:
      break;
  }
}

void CMorvexDlg::OnBrowseInput() {
  Browse(GdbPicker(kOpen), IDC_INPUT_PATH);
}

void CMorvexDlg::OnBrowseOutput() {
  Browse(GdbPicker(kSave), IDC_OUTPUT_PATH);
}

void CMorvexDlg::Browse(const FilePickerRequest& request, int field) {
  if (const std::optional<QString> path = m_prompts->PickFile(this, request)) {
    SetDlgItemText(field, *path);
  }
}

RunRequest CMorvexDlg::ReadRequest() const {
  RunRequest request;
  request.inputPath = GetDlgItemText(IDC_INPUT_PATH);
  request.outputPath = GetDlgItemText(IDC_OUTPUT_PATH);
  const int option = GetCheckedRadioButton(IDC_OPTION_1, IDC_OPTION_6);
  request.option = option == 0 ? 0 : option - IDC_OPTION_1 + 1;
  request.viaText = ControlText(GetDlgItem(IDC_MAX_VIAS)).trimmed().toStdString();
  request.language = m_language;
  request.trace = m_trace;
  return request;
}

void CMorvexDlg::OnConvert() {
  RunConversion(ReadRequest(), *this);
}

void CMorvexDlg::OnOptionClicked() {
  const int option = GetCheckedRadioButton(IDC_OPTION_1, IDC_OPTION_6);
  const bool vias = option == IDC_OPTION_5 || option == IDC_OPTION_6;
  GetDlgItem(IDC_MAX_VIAS_LABEL)->setEnabled(vias);
  GetDlgItem(IDC_MAX_VIAS)->setEnabled(vias);
}

void CMorvexDlg::OnLanguageClicked() {
  const int checked = GetCheckedRadioButton(IDC_LANG_ENGLISH, IDC_LANG_FRENCH);
  for (const LanguageButton& button : kLanguageButtons) {
    if (button.id != checked) continue;
    if (button.language != Language::kFourth) SetLanguageTexts(button.language);
    m_language = button.language;
  }
}

// Tab and Shift+Tab go to the next enabled tab stop in template order. Qt on
// its own would also stop at the checked button of each radio group.
bool CMorvexDlg::focusNextPrevChild(bool next) {
  const auto count = static_cast<int>(m_controls.size());
  int at = next ? -1 : 0;
  for (int i = 0; i < count; ++i) {
    if (m_controls[static_cast<size_t>(i)].second == focusWidget()) at = i;
  }
  for (int step = 1; step <= count; ++step) {
    const int i = ((at + (next ? step : -step)) % count + count) % count;
    QWidget* control = m_controls[static_cast<size_t>(i)].second;
    if (IsTabStop(kControls[i].kind) && control->isEnabled() && control->isVisible()) {
      control->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
      return true;
    }
  }
  return false;
}

void CMorvexDlg::contextMenuEvent(QContextMenuEvent* event) {
  m_systemMenu->popup(event->globalPos());
  event->accept();
}

void CMorvexDlg::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
    OnSysCommand(IDM_ABOUT, 0);
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

// A file dropped on the output frame names the output, anywhere else the input.
void CMorvexDlg::dragEnterEvent(QDragEnterEvent* event) {
  if (!DraggedFile(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void CMorvexDlg::dropEvent(QDropEvent* event) {
  const QString path = DraggedFile(event->mimeData());
  if (path.isEmpty()) return;
  const bool output =
      GetDlgItem(IDC_OUTPUT_GROUP)->geometry().contains(event->position().toPoint());
  SetDlgItemText(output ? IDC_OUTPUT_PATH : IDC_INPUT_PATH, path);
  event->acceptProposedAction();
}

// The path fields take a dropped file as its path, not as the text of its URL,
// and refuse any other URLs; dragged text they take as usual.
bool CMorvexDlg::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop) {
    return QDialog::eventFilter(watched, event);
  }
  auto* drop = static_cast<QDropEvent*>(event);
  if (drop->mimeData() == nullptr || !drop->mimeData()->hasUrls()) {
    return QDialog::eventFilter(watched, event);
  }
  const QString path = DraggedFile(drop->mimeData());
  if (path.isEmpty()) {
    drop->ignore();  // folders, several files, web addresses: not as text either
    return true;
  }
  if (type == QEvent::Drop) {
    for (int id : {IDC_INPUT_PATH, IDC_OUTPUT_PATH}) {
      if (GetDlgItem(id) == watched) SetDlgItemText(id, path);
    }
  }
  drop->acceptProposedAction();
  return true;
}
