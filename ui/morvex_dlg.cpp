#include "morvex_dlg.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
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
#include <QLocale>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSettings>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdint>

#include "about_dlg.h"
#include "decimal_field.h"
#include "morvex_resources.h"
#include "preview_pane.h"

namespace {

const FilePickerRequest::Kind kOpen = FilePickerRequest::Kind::Open;
const FilePickerRequest::Kind kSave = FilePickerRequest::Kind::Save;

QString FromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

FilePickerRequest GdbPicker(FilePickerRequest::Kind kind, Language language) {
  const FileFilters filters = GdbFileFilters(language);
  FilePickerRequest request{kind, {}, QString::fromStdString(filters.defaultSuffix), {}};
  for (const std::string& filter : filters.nameFilters) {
    request.nameFilters << QString::fromStdString(filter);
  }
  return request;
}

// The program's string resources.
QString LoadString(int id) {
  return id == IDS_ABOUT_MENU ? FromUtf8(AboutMenuText()) : QString();
}

QString WidgetText(const QWidget* control) {
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

// Takes a drop as a copy whatever the source proposes: a source that is told
// the file was moved deletes it. A source that can only move is refused.
bool AcceptAsCopy(QDropEvent* event) {
  if (!event->possibleActions().testFlag(Qt::CopyAction)) {
    event->ignore();
    return false;
  }
  event->setDropAction(Qt::CopyAction);
  event->accept();
  return true;
}

}  // namespace

CMorvexDlg::CMorvexDlg(QWidget* parent) : QDialog(parent) {
  InitMorvexResources();
  m_hIcon = QIcon(QStringLiteral(":/morvex/main-32.png"));
  SetPrompts(nullptr);

  setWindowTitle(FromUtf8(DialogCaption()));
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

// A field deleted with the focus loses it after this class's part of the
// dialog is gone: none of its events may reach eventFilter then.
CMorvexDlg::~CMorvexDlg() {
  // No picture may arrive once the dialog is going.
  m_previewWorker.reset();
  for (const auto& [id, control] : m_controls) control->removeEventFilter(this);
}

void CMorvexDlg::SetPrompts(DialogPrompts* prompts) {
  static QtDialogPrompts qtPrompts;
  m_prompts = prompts != nullptr ? prompts : &qtPrompts;
}

void CMorvexDlg::CreateControls() {
  QButtonGroup* radioGroup = nullptr;
  QWidget* previousTabStop = nullptr;
  for (const ControlTemplate& item : DialogControls()) {
    const QString text = QString::fromUtf8(item.text);
    QWidget* control = nullptr;
    switch (item.kind) {
      case ControlKind::Frame:
        control = new QGroupBox(text, this);
        break;
      case ControlKind::PathField: {
        auto* field = new QLineEdit(text, this);
        field->installEventFilter(this);  // takes files dropped from a file manager
        control = field;
        break;
      }
      case ControlKind::NumberField: {
        auto* field = new QLineEdit(text, this);
        field->setValidator(
            new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), field));
        field->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        field->setAcceptDrops(false);
        control = field;
        break;
      }
      case ControlKind::Button:
      case ControlKind::DefaultButton: {
        auto* button = new QPushButton(text, this);
        button->setDefault(item.kind == ControlKind::DefaultButton);
        control = button;
        break;
      }
      case ControlKind::Option: {
        auto* option = new QRadioButton(text, this);
        if (item.style & kStartsGroup) {
          radioGroup = new QButtonGroup(this);
          radioGroup->setExclusive(true);
        }
        if (radioGroup != nullptr) radioGroup->addButton(option, item.id);
        control = option;
        break;
      }
      case ControlKind::CheckBox:
        control = new QCheckBox(text, this);
        break;
      case ControlKind::Label: {
        auto* label = new QLabel(text, this);
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        control = label;
        break;
      }
    }
    if (item.kind != ControlKind::Option && (item.style & kStartsGroup)) radioGroup = nullptr;
    control->setEnabled(m_model.IsEnabled(item.id));
    if (item.style & kHidden) control->setVisible(false);
    // Arrow keys in the radio groups, mnemonics of the frames.
    if (item.kind == ControlKind::Option || item.kind == ControlKind::Frame) {
      control->installEventFilter(this);
    }
    if (IsTabStop(item)) {
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
  connect(static_cast<QPushButton*>(GetDlgItem(IDC_PREVIEW)), &QPushButton::clicked, this,
          &CMorvexDlg::OnPreview);
  connect(static_cast<QLineEdit*>(GetDlgItem(IDC_MAX_VIAS)), &QLineEdit::textChanged, this,
          [this] { RequestPreview(); });
  // Every check box of the table is a choice of the run that the picture follows.
  for (const auto& [id, control] : m_controls) {
    if (auto* box = qobject_cast<QCheckBox*>(control)) {
      connect(box, &QCheckBox::toggled, this, [this] { RequestPreview(); });
    }
  }
  for (int id = IDC_OPTION_1; id <= IDC_OPTION_6; ++id) {
    connect(static_cast<QRadioButton*>(GetDlgItem(id)), &QRadioButton::clicked, this,
            &CMorvexDlg::OnOptionClicked);
  }
  for (int id = IDC_LANG_ENGLISH; id <= IDC_LANG_FRENCH; ++id) {
    connect(static_cast<QRadioButton*>(GetDlgItem(id)), &QRadioButton::clicked, this,
            &CMorvexDlg::OnLanguageClicked);
  }
  connect(static_cast<QCheckBox*>(GetDlgItem(IDC_ONE_ROUTE)), &QCheckBox::clicked, this,
          &CMorvexDlg::OnOneRouteClicked);

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
// via-point label and field and, under them, the one-route box at its foot,
// and to its right the language frame over Preview, Convert and, lowest, Quit.
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
  options->addWidget(GetDlgItem(IDC_ONE_ROUTE));
  options->addStretch(1);

  auto* languages = new QVBoxLayout(static_cast<QGroupBox*>(GetDlgItem(IDC_LANGUAGE_GROUP)));
  for (int id = IDC_LANG_ENGLISH; id <= IDC_LANG_FRENCH; ++id) languages->addWidget(GetDlgItem(id));

  auto* side = new QVBoxLayout;
  side->addWidget(GetDlgItem(IDC_LANGUAGE_GROUP));
  side->addStretch(1);
  side->addWidget(GetDlgItem(IDC_PREVIEW));
  side->addWidget(GetDlgItem(IDC_CONVERT));
  side->addWidget(GetDlgItem(IDCANCEL));

  auto* lower = new QHBoxLayout;
  lower->addWidget(GetDlgItem(IDC_OPTIONS_GROUP), 1);
  lower->addLayout(side);

  auto* controls = new QVBoxLayout;
  controls->addWidget(GetDlgItem(IDC_INPUT_GROUP));
  controls->addWidget(GetDlgItem(IDC_OUTPUT_GROUP));
  controls->addLayout(lower, 1);

  // The preview pane, when shown, to the right of everything.
  m_previewPane = new PreviewPane(this);
  m_previewPane->setVisible(false);
  auto* window = new QHBoxLayout(this);
  window->addLayout(controls);
  window->addWidget(m_previewPane, 1);
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
  for (const LanguageButton& button : LanguageButtons()) {
    if (!HasOwnTexts(button.language)) continue;
    SetTexts(LanguageTexts(button.language));
    size = size.expandedTo(needed());
  }
  SetTemplateTexts();
  m_controlsSize = size.expandedTo(needed());
  setFixedSize(m_controlsSize);
}

// The pane takes its room beside the controls, which keep theirs.
void CMorvexDlg::FitPreviewPane() {
  QSize size = m_controlsSize;
  if (!m_previewPane->isHidden()) {
    const QSize pane = m_previewPane->minimumSizeHint();
    const QMargins margins = layout()->contentsMargins();
    size.rwidth() += layout()->spacing() + pane.width();
    size.setHeight(std::max(size.height(), pane.height() + margins.top() + margins.bottom()));
  }
  setFixedSize(size);
}

void CMorvexDlg::SetTemplateTexts() {
  for (const ControlTemplate& item : DialogControls()) {
    SetDlgItemText(item.id, QString::fromUtf8(item.text));
  }
}

void CMorvexDlg::SetTexts(const std::vector<ControlText>& texts) {
  for (const ControlText& item : texts) SetDlgItemText(item.id, FromUtf8(item.text));
}

void CMorvexDlg::ShowEnabledState() {
  for (const auto& [id, control] : m_controls) control->setEnabled(m_model.IsEnabled(id));
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
  return WidgetText(GetDlgItem(id)).toStdString();
}

unsigned CMorvexDlg::GetDlgItemInt(int id) const {
  return ParseDecimalField(WidgetText(GetDlgItem(id)).trimmed().toStdString()).value;
}

int CMorvexDlg::GetCheckedRadioButton(int first, int last) const {
  for (int id = first; id <= last; ++id) {
    auto* button = qobject_cast<const QAbstractButton*>(GetDlgItem(id));
    if (button != nullptr && button->isChecked()) return id;
  }
  return 0;
}

void CMorvexDlg::MessageBox(const std::string& text, const std::string& title, MessageStyle style) {
  ShowWindowMessage(ForWindow(text, title, style));
}

bool CMorvexDlg::ShowWindowMessage(const WindowMessage& message) {
  return m_prompts->ShowMessage(this, QString::fromStdString(message.text),
                                QString::fromStdString(message.title), message.style,
                                QString::fromStdString(message.checkBoxText));
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
  RestoreSettings();
  return true;  // the focus goes to the first tab stop
}

// The language, option, via maximum and one-route box of the last start, or
// of the locale at the first. Checking raises no click: the texts and the
// enabled state are set here as the clicks would set them.
void CMorvexDlg::RestoreSettings() {
  const QSettings store(QString::fromLatin1(kSettingsName), QString::fromLatin1(kSettingsName));
  const DialogSettings settings = SettingsFromStored(
      [&store](std::string_view name) -> std::optional<std::string> {
        const QVariant value = store.value(FromUtf8(name));
        if (!value.isValid()) return std::nullopt;
        return value.toString().toStdString();
      },
      QLocale().name().toStdString());
  SetTexts(m_model.RestoreSettings(settings));
  CheckDlgButton(m_model.CheckedOptionButton());
  CheckDlgButton(m_model.CheckedLanguageButton());
  static_cast<QCheckBox*>(GetDlgItem(IDC_ONE_ROUTE))->setChecked(m_model.OneRoute());
  ShowEnabledState();
  SetDlgItemText(IDC_MAX_VIAS, QString::fromStdString(settings.viaText));
  m_previewPane->SetLanguage(m_model.CurrentLanguage());
  ShowPreviewPane(settings.preview);
}

void CMorvexDlg::SaveSettings() {
  QSettings store(QString::fromLatin1(kSettingsName), QString::fromLatin1(kSettingsName));
  for (const StoredSetting& setting :
       StoredSettings(m_model.Settings(GetDlgItemText(IDC_MAX_VIAS)))) {
    store.setValue(FromUtf8(setting.name), QString::fromStdString(setting.value));
  }
}

void CMorvexDlg::done(int result) {
  SaveSettings();
  QDialog::done(result);
}

void CMorvexDlg::OnSysCommand(unsigned nID, qintptr lParam) {
  if ((nID & 0xFFF0) == static_cast<unsigned>(IDM_ABOUT)) {
    CAboutDlg about(this, m_model.CurrentLanguage());
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
  Browse(GdbPicker(kOpen, m_model.CurrentLanguage()), IDC_INPUT_PATH);
}

void CMorvexDlg::OnBrowseOutput() {
  Browse(GdbPicker(kSave, m_model.CurrentLanguage()), IDC_OUTPUT_PATH);
}

void CMorvexDlg::Browse(FilePickerRequest request, int field) {
  request.folder = QString::fromStdString(m_model.PickerFolder(
      field, GetDlgItemText(field),
      [](const std::string& folder) { return QFileInfo(QString::fromStdString(folder)).isDir(); }));
  if (const std::optional<QString> path = m_prompts->PickFile(this, request)) {
    ChoosePath(field, *path);
    m_model.OnPathPicked(field, path->toStdString());
  }
}

void CMorvexDlg::ChoosePath(int field, const QString& path) {
  SetDlgItemText(field, path);
  if (field == IDC_INPUT_PATH) OnInputChanged();
}

void CMorvexDlg::OnInputChanged() {
  ShowSuggestedOutput(
      m_model.OnInputChanged(GetDlgItemText(IDC_INPUT_PATH), GetDlgItemText(IDC_OUTPUT_PATH)));
  RequestPreview();
}

void CMorvexDlg::OnPreview() {
  ShowPreviewPane(!m_model.PreviewShown());
}

void CMorvexDlg::ShowPreviewPane(bool shown) {
  m_model.SetPreviewShown(shown);
  if (m_previewPane->isHidden() != shown) return;
  m_previewPane->setVisible(shown);
  FitPreviewPane();
  RequestPreview();
}

void CMorvexDlg::RequestPreview(const std::optional<std::string>& convertedInto) {
  if (!m_model.PreviewShown()) return;
  if (!m_previewWorker) {
    m_previewWorker = std::make_unique<preview::Worker>([this] {
      QMetaObject::invokeMethod(this, &CMorvexDlg::TakePreview, Qt::QueuedConnection);
    });
  }
  m_model.CheckOption(GetCheckedRadioButton(IDC_OPTION_1, IDC_OPTION_6));
  const RunRequest run =
      m_model.Request(GetDlgItemText(IDC_INPUT_PATH), std::string(), GetDlgItemText(IDC_MAX_VIAS));
  m_previewWorker->Ask({.inputPath = run.inputPath,
                        .mode = run.mode,
                        .viaCount = run.viaCount,
                        .oneRoute = run.oneRoute,
                        .language = run.language,
                        .convertedInto = convertedInto});
}

void CMorvexDlg::TakePreview() {
  if (!m_previewWorker) return;
  if (std::optional<preview::Outcome> outcome = m_previewWorker->Take()) {
    m_previewPane->Show(std::move(*outcome));
  }
}

void CMorvexDlg::SetInputPath(const QString& path) {
  if (!path.isEmpty()) ChoosePath(IDC_INPUT_PATH, path);
}

void CMorvexDlg::ShowSuggestedOutput(const std::optional<std::string>& output) {
  if (output) SetDlgItemText(IDC_OUTPUT_PATH, QString::fromStdString(*output));
}

void CMorvexDlg::OnConvert() {
  // A button checked without a click counts too, as it always has.
  m_model.CheckOption(GetCheckedRadioButton(IDC_OPTION_1, IDC_OPTION_6));
  const std::string output = GetDlgItemText(IDC_OUTPUT_PATH);
  if (!MayReplaceOutput(output)) return;
  const RunRequest request =
      m_model.Request(GetDlgItemText(IDC_INPUT_PATH), output, GetDlgItemText(IDC_MAX_VIAS));
  m_model.OnConvertStarted(request.inputPath, request.outputPath);
  WindowReporter reporter(
      [this](const WindowMessage& message) { return ShowWindowMessage(message); });
  const RunOutcome outcome = RunConversion(request, reporter);
  SaveSettings();
  RequestPreview(outcome == RunOutcome::Completed ? request.outputPath : std::string());
}

bool CMorvexDlg::MayReplaceOutput(const std::string& outputPath) {
  const bool exists = QFileInfo(QString::fromStdString(outputPath)).isFile();
  if (!m_model.AsksBeforeReplacing(outputPath, exists)) return true;
  const WindowMessage question = ReplaceQuestion(outputPath, m_model.CurrentLanguage());
  if (question.text.empty()) return true;
  return m_prompts->AskYesNo(this, QString::fromStdString(question.text),
                             QString::fromStdString(question.title), question.style);
}

void CMorvexDlg::OnOptionClicked() {
  m_model.CheckOption(GetCheckedRadioButton(IDC_OPTION_1, IDC_OPTION_6));
  ShowEnabledState();
  ShowSuggestedOutput(m_model.OnOptionChanged(GetDlgItemText(IDC_OUTPUT_PATH)));
  RequestPreview();
}

void CMorvexDlg::OnOneRouteClicked() {
  m_model.SetOneRoute(static_cast<QCheckBox*>(GetDlgItem(IDC_ONE_ROUTE))->isChecked());
  // The box's toggle asked before the model knew of it.
  RequestPreview();
}

void CMorvexDlg::OnLanguageClicked() {
  SetTexts(m_model.OnLanguageClicked(GetCheckedRadioButton(IDC_LANG_ENGLISH, IDC_LANG_FRENCH)));
  m_qtTexts.Use(m_model.CurrentLanguage());
  m_previewPane->SetLanguage(m_model.CurrentLanguage());
}

int CMorvexDlg::IdOf(const QWidget* control) const {
  for (const auto& [id, widget] : m_controls) {
    if (widget == control) return id;
  }
  return 0;
}

// Tab and Shift+Tab go to the model's next tab stop: a radio group is one
// stop, its checked button.
bool CMorvexDlg::focusNextPrevChild(bool next) {
  QWidget* target = GetDlgItem(m_model.NextTabStop(IdOf(focusWidget()), next));
  if (target == nullptr) return false;
  target->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
  return true;
}

// An arrow key on a radio button moves to the next button of its group and
// checks it, as a click would.
bool CMorvexDlg::MoveInRadioGroup(int id, const QKeyEvent& key) {
  if ((key.modifiers() | Qt::KeypadModifier) != Qt::KeypadModifier) return false;
  bool next = false;
  switch (key.key()) {
    case Qt::Key_Down:
    case Qt::Key_Right:
      next = true;
      break;
    case Qt::Key_Up:
    case Qt::Key_Left:
      break;
    default:
      return false;
  }
  auto* button = qobject_cast<QAbstractButton*>(GetDlgItem(m_model.NextInRadioGroup(id, next)));
  if (button == nullptr) return false;
  button->setFocus(Qt::OtherFocusReason);
  button->click();
  return true;
}

// A frame's mnemonic focuses the control the model names; a group box of its
// own would prefer the child that last had the focus.
bool CMorvexDlg::FocusForMnemonic(int id) {
  QWidget* target = GetDlgItem(m_model.MnemonicTarget(id));
  if (target == nullptr) return false;
  target->setFocus(Qt::ShortcutFocusReason);
  return true;
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
  if (!DraggedFile(event->mimeData()).isEmpty()) AcceptAsCopy(event);
}

void CMorvexDlg::dragMoveEvent(QDragMoveEvent* event) {
  if (!DraggedFile(event->mimeData()).isEmpty()) AcceptAsCopy(event);
}

void CMorvexDlg::dropEvent(QDropEvent* event) {
  const QString path = DraggedFile(event->mimeData());
  if (path.isEmpty() || !AcceptAsCopy(event)) return;
  const bool output =
      GetDlgItem(IDC_OUTPUT_GROUP)->geometry().contains(event->position().toPoint());
  ChoosePath(output ? IDC_OUTPUT_PATH : IDC_INPUT_PATH, path);
}

// Arrow keys and mnemonics go through the model (see MoveInRadioGroup and
// FocusForMnemonic); leaving the input field hands its path to the model. The path fields take a
// dropped file as its path, not as the text of its URL, and refuse any other URLs; dragged text
// they take as usual.
bool CMorvexDlg::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  const int id = IdOf(qobject_cast<QWidget*>(watched));
  if (type == QEvent::KeyPress && qobject_cast<QRadioButton*>(watched) != nullptr) {
    return MoveInRadioGroup(id, *static_cast<QKeyEvent*>(event)) ||
           QDialog::eventFilter(watched, event);
  }
  if (type == QEvent::Shortcut && qobject_cast<QGroupBox*>(watched) != nullptr) {
    return FocusForMnemonic(id) || QDialog::eventFilter(watched, event);
  }
  if (type == QEvent::FocusOut && id == IDC_INPUT_PATH) OnInputChanged();
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
  if (AcceptAsCopy(drop) && type == QEvent::Drop) {
    for (int id : {IDC_INPUT_PATH, IDC_OUTPUT_PATH}) {
      if (GetDlgItem(id) == watched) ChoosePath(id, path);
    }
  }
  return true;
}
