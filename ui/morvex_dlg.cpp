#include "morvex_dlg.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
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
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QScopedValueRollback>
#include <QScreen>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdint>

#include "about_dlg.h"
#include "controls.h"
#include "morvex_resources.h"
#include "preview_pane.h"
#include "progress_text.h"

namespace {

QString FromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

FilePickerRequest PickerRequest(const FilePick& pick) {
  FilePickerRequest request{
      pick.save ? FilePickerRequest::Kind::Save : FilePickerRequest::Kind::Open,
      {},
      QString::fromStdString(pick.filters.defaultSuffix),
      QString::fromStdString(pick.folder),
      QString::fromStdString(pick.name)};
  for (const std::string& filter : FilterNames(pick.filters, pick.language)) {
    request.nameFilters << QString::fromStdString(filter);
  }
  return request;
}

// The program's string resources.
QString LoadString(int id) {
  return id == IDS_ABOUT_MENU ? FromUtf8(LabelText(AboutMenuText(), Language::kEnglish))
                              : QString();
}

// The standard commands of the window menu.
struct SystemMenuItem {
  unsigned command;
  TextKey text;
};
constexpr SystemMenuItem kSystemMenuItems[] = {
    {SC_MINIMIZE, T_("window menu", "Mi&nimize")},
    {SC_CLOSE, T_("window menu", "&Close")},
};

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

// A bar that shows its text as given: also while it moves without a measure,
// where Qt's own shows none, and with no "%p" of Qt's put in.
class ProgressBar final : public QProgressBar {
 public:
  using QProgressBar::QProgressBar;
  QString text() const override { return format(); }
};

// Alt and a key that types, without Ctrl (Ctrl+Alt is AltGr on Windows).
bool IsAltWithText(const QKeyEvent& key) {
  const Qt::KeyboardModifiers modifiers = key.modifiers();
  return (modifiers & Qt::AltModifier) && !(modifiers & Qt::ControlModifier) &&
         !key.text().isEmpty();
}

}  // namespace

CMorvexDlg::CMorvexDlg(QWidget* parent) : QDialog(parent), m_presenter(*this, m_settings) {
  InitMorvexResources();
  m_hIcon = QIcon(QStringLiteral(":/morvex/main-32.png"));
  SetPrompts(nullptr);

  setWindowTitle(FromUtf8(DialogCaption()));
  // An application window with minimise and maximise boxes.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
  setAcceptDrops(true);

  m_systemMenu = new QMenu(this);
  for (const SystemMenuItem& item : kSystemMenuItems) {
    QAction* action = m_systemMenu->addAction(QString());
    connect(action, &QAction::triggered, this,
            [this, command = item.command] { OnSysCommand(command, 0); });
    m_systemCommands.emplace_back(item.text, action);
  }
  SetWindowMenuTexts(Language::kEnglish);

  CreateControls();
  ConnectControls();
  LayOutControls();
  FixWindowSize();
  if (OnInitDialog()) GetDlgItem(IDC_INPUT_PATH)->setFocus(Qt::OtherFocusReason);
}

// A field deleted with the focus loses it after this class's part of the
// dialog is gone: none of its events may reach eventFilter then.
CMorvexDlg::~CMorvexDlg() {
  // No picture may arrive once the dialog is going.
  m_presenter.StopPreview();
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
    const QString text = FromUtf8(LabelText(item.text, Language::kEnglish));
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
        field->installEventFilter(this);  // Alt with a letter types nothing
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

  // The via-point field holds a few digits.
  auto* vias = static_cast<QLineEdit*>(GetDlgItem(IDC_MAX_VIAS));
  const QFontMetrics metrics(vias->font());
  vias->setFixedWidth(metrics.horizontalAdvance(QStringLiteral("000000")) +
                      4 * metrics.height() / 3);
  for (int id : {IDC_INPUT_PATH, IDC_OUTPUT_PATH}) {
    GetDlgItem(id)->setMinimumWidth(metrics.averageCharWidth() * 40);
  }
}

// Two full-width frames for the paths, their fields growing with the window;
// below them the options frame with the via-point label and field and, under
// them, the one-route box at its foot, to its right the language frame over a
// run's progress bar, Preview, Convert and, lowest, Quit, and right of those
// the preview pane.
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
  side->addWidget(MakeProgressBar());
  side->addWidget(GetDlgItem(IDC_PREVIEW));
  side->addWidget(GetDlgItem(IDC_CONVERT));
  side->addWidget(GetDlgItem(IDCANCEL));

  // The preview pane, when shown, takes the room right of the buttons and
  // below the paths; without it the options frame takes any room the window
  // gets.
  m_previewPane = new PreviewPane(this);
  m_previewPane->setVisible(false);
  m_paneWidth = m_previewPane->minimumSizeHint().width();
  m_lower = new QHBoxLayout;
  m_lower->addWidget(GetDlgItem(IDC_OPTIONS_GROUP), 1);
  m_lower->addLayout(side);
  m_lower->addWidget(m_previewPane, 1);

  auto* window = new QVBoxLayout(this);
  window->addWidget(GetDlgItem(IDC_INPUT_GROUP));
  window->addWidget(GetDlgItem(IDC_OUTPUT_GROUP));
  window->addLayout(m_lower, 1);
}

// The bar keeps its room while hidden, so that nothing moves when it comes,
// and holds the longest text of any language.
QProgressBar* CMorvexDlg::MakeProgressBar() {
  m_progress = new ProgressBar(this);
  QSizePolicy policy = m_progress->sizePolicy();
  policy.setRetainSizeWhenHidden(true);
  m_progress->setSizePolicy(policy);
  const QFontMetrics metrics(m_progress->font());
  int widest = 0;
  for (const LanguageButton& button : LanguageButtons()) {
    widest =
        std::max(widest, metrics.horizontalAdvance(FromUtf8(ProgressText(button.language, 100))));
  }
  m_progress->setMinimumWidth(widest + 2 * metrics.height());
  m_progress->setVisible(false);
  return m_progress;
}

// The window's smallest size is the largest that the texts of any language
// need, so that switching never cuts a text or moves the window; it opens at
// that size and may grow.
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
    SetLanguageTexts(button.language);
    size = size.expandedTo(needed());
  }
  SetTemplateTexts();
  m_controlsSize = size.expandedTo(needed());
  setMinimumSize(m_controlsSize);
  resize(m_controlsSize);
}

// The smallest size with the pane: the controls' and the pane's beside them.
QSize CMorvexDlg::SmallestSize() const {
  if (m_previewPane->isHidden()) return m_controlsSize;
  layout()->invalidate();
  const int height = layout()->totalMinimumSize().height();
  return {m_controlsSize.width() + m_lower->spacing() + m_previewPane->minimumSizeHint().width(),
          std::max(m_controlsSize.height(), height)};
}

// The pane takes its room beside the controls, which keep theirs: the window
// grows by it, or a maximised one gives the pane the controls' spare room; it
// shrinks by the pane's width when it goes. A window that grew past its
// screen's edge moves back onto it.
void CMorvexDlg::FitPreviewPane(bool shown) {
  const int paneRoom = m_lower->spacing() + m_paneWidth;
  QSize size = this->size();
  size.rwidth() += shown ? paneRoom : -paneRoom;
  setMinimumSize(SmallestSize());
  if (isMaximized() || isFullScreen()) return;
  resize(size.expandedTo(minimumSize()));
  KeepOnScreen();
}

void CMorvexDlg::KeepOnScreen() {
  const QScreen* screen = this->screen();
  if (screen == nullptr || !isVisible()) return;
  const QRect room = screen->availableGeometry();
  QRect frame = frameGeometry();
  if (frame.right() > room.right()) frame.moveRight(room.right());
  if (frame.bottom() > room.bottom()) frame.moveBottom(room.bottom());
  frame.moveLeft(std::max(frame.left(), room.left()));
  frame.moveTop(std::max(frame.top(), room.top()));
  if (frame.topLeft() != frameGeometry().topLeft()) move(frame.topLeft());
}

void CMorvexDlg::ConnectControls() {
  const auto onClicked = [this](int id, auto handler) {
    connect(static_cast<QAbstractButton*>(GetDlgItem(id)), &QAbstractButton::clicked, this,
            handler);
  };
  onClicked(IDC_BROWSE_INPUT, &CMorvexDlg::OnBrowseInput);
  onClicked(IDC_BROWSE_OUTPUT, &CMorvexDlg::OnBrowseOutput);
  onClicked(IDC_CONVERT, &CMorvexDlg::OnConvert);
  onClicked(IDCANCEL, &CMorvexDlg::reject);
  onClicked(IDC_PREVIEW, &CMorvexDlg::OnPreview);
  for (int id = IDC_OPTION_1; id <= IDC_OPTION_6; ++id) {
    onClicked(id, [this, id] { m_presenter.OnOptionChosen(id); });
  }
  for (const LanguageButton& button : LanguageButtons()) {
    onClicked(button.id, [this, id = button.id] { m_presenter.OnLanguageChosen(id); });
  }
  connect(static_cast<QCheckBox*>(GetDlgItem(IDC_ONE_ROUTE)), &QCheckBox::toggled, this,
          [this](bool checked) { m_presenter.OnOneRouteToggled(checked); });

  const auto onEdited = [this](int id, void (Presenter::*report)(std::string_view)) {
    connect(static_cast<QLineEdit*>(GetDlgItem(id)), &QLineEdit::textChanged, this,
            [this, report](const QString& text) { (m_presenter.*report)(text.toStdString()); });
  };
  onEdited(IDC_INPUT_PATH, &Presenter::OnInputEdited);
  onEdited(IDC_OUTPUT_PATH, &Presenter::OnOutputEdited);
  onEdited(IDC_MAX_VIAS, &Presenter::OnViaTextEdited);
}

void CMorvexDlg::SetTemplateTexts() {
  for (const ControlTemplate& item : DialogControls()) {
    SetLabel(item.id, item.text, Language::kEnglish);
  }
}

void CMorvexDlg::SetLanguageTexts(Language language) {
  for (const ControlText& item : LanguageTexts()) SetLabel(item.id, item.text, language);
}

// A language without texts of its own keeps the items' texts.
void CMorvexDlg::SetWindowMenuTexts(Language language) {
  if (!HasOwnTexts(language)) return;
  for (const auto& [text, action] : m_systemCommands) {
    action->setText(FromUtf8(LabelText(text, language)));
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
    // Setting a field's own text again would move its cursor.
    if (field->text() != text) field->setText(text);
  }
}

// Convert keeps the width of the widest label it has had (every language's
// from the start, Stop during a run): relabelled, it never narrows, and the
// column beside the options never moves.
void CMorvexDlg::SetLabel(int id, TextKey text, Language language) {
  SetDlgItemText(id, FromUtf8(LabelText(text, language)));
  if (id == IDC_CONVERT) {
    QWidget* button = GetDlgItem(id);
    button->setMinimumWidth(std::max(button->minimumWidth(), button->sizeHint().width()));
  }
}

void CMorvexDlg::SetFieldText(int id, std::string_view text) {
  SetDlgItemText(id, FromUtf8(text));
}

// An exclusive group keeps its checked button until another one is checked.
void CMorvexDlg::SetChecked(int id, bool checked) {
  if (auto* button = qobject_cast<QAbstractButton*>(GetDlgItem(id))) button->setChecked(checked);
}

void CMorvexDlg::SetEnabled(int id, bool enabled) {
  if (QWidget* control = GetDlgItem(id)) control->setEnabled(enabled);
}

void CMorvexDlg::ShowLanguage(Language language) {
  m_qtTexts.Use(language);
  SetWindowMenuTexts(language);
  m_previewPane->SetLanguage(language);
}

bool CMorvexDlg::ShowMessage(const WindowMessage& message) {
  return m_prompts->ShowMessage(
      this, QString::fromStdString(message.text), QString::fromStdString(message.title),
      message.style, QString::fromStdString(message.checkBoxText),
      QString::fromStdString(message.folderButtonText), QString::fromStdString(message.fileToShow));
}

bool CMorvexDlg::AskYesNo(const WindowMessage& question) {
  return m_prompts->AskYesNo(this, QString::fromStdString(question.text),
                             QString::fromStdString(question.title), question.style);
}

std::optional<std::string> CMorvexDlg::PickFile(const FilePick& pick) {
  const std::optional<QString> path = m_prompts->PickFile(this, PickerRequest(pick));
  if (!path) return std::nullopt;
  return path->toStdString();
}

void CMorvexDlg::ShowAbout(Language language) {
  CAboutDlg about(this, language);
  m_prompts->RunModal(about);
}

void CMorvexDlg::ShowPreviewPane(bool shown) {
  if (shown == !m_previewPane->isHidden()) return;
  // The width it has on the screen; one never laid out has the width it came with.
  if (m_previewPane->isVisible()) m_paneWidth = m_previewPane->width();
  m_previewPane->setVisible(shown);
  m_lower->setStretchFactor(GetDlgItem(IDC_OPTIONS_GROUP), shown ? 0 : 1);
  FitPreviewPane(shown);
}

void CMorvexDlg::ShowPicture(preview::Outcome outcome) {
  m_previewPane->Show(std::move(outcome));
}

void CMorvexDlg::ShowPictureComing() {
  m_previewPane->ShowComing();
}

// On the window alone, and the cursor of work in the background: the window
// answers, Stop takes a click, and the run's boxes come up while it runs.
void CMorvexDlg::ShowBusy(bool busy) {
  if (busy) {
    setCursor(Qt::BusyCursor);
  } else {
    unsetCursor();
  }
}

void CMorvexDlg::ShowProgress(const std::optional<ProgressShown>& progress) {
  if (!progress) {
    m_progress->setVisible(false);
    return;
  }
  m_progress->setFormat(FromUtf8(progress->text));
  m_progress->setRange(0, progress->percent ? 100 : 0);
  m_progress->setValue(progress->percent ? static_cast<int>(*progress->percent) : 0);
  m_progress->setVisible(true);
}

// The presenter has kept the settings: the window goes without asking it again.
void CMorvexDlg::Close() {
  const QScopedValueRollback closing(m_closing, true);
  QDialog::reject();
}

void CMorvexDlg::reject() {
  if (m_closing) {
    QDialog::reject();  // the close box's, through QDialog::closeEvent
  } else if (m_presenter.OnEscape()) {
    Close();
  }
}

void CMorvexDlg::closeEvent(QCloseEvent* event) {
  if (!m_closing && !m_presenter.OnClosing()) {
    event->ignore();
    return;
  }
  const QScopedValueRollback closing(m_closing, true);
  QDialog::closeEvent(event);
}

void CMorvexDlg::Post(std::function<void()> task) {
  QMetaObject::invokeMethod(this, std::move(task), Qt::QueuedConnection);
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
  m_presenter.Start();
  return true;  // the focus goes to the first tab stop
}

void CMorvexDlg::OnSysCommand(unsigned nID, qintptr lParam) {
  if ((nID & 0xFFF0) == static_cast<unsigned>(IDM_ABOUT)) {
    m_presenter.OnAbout();
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
  m_presenter.OnBrowse(IDC_INPUT_PATH);
}

void CMorvexDlg::OnBrowseOutput() {
  m_presenter.OnBrowse(IDC_OUTPUT_PATH);
}

void CMorvexDlg::OnConvert() {
  m_presenter.OnConvert();
}

void CMorvexDlg::OnPreview() {
  m_presenter.OnPreviewClicked();
}

void CMorvexDlg::SetInputPath(const QString& path) {
  if (!path.isEmpty()) m_presenter.OnPathChosen(IDC_INPUT_PATH, path.toStdString());
}

int CMorvexDlg::IdOf(const QWidget* control) const {
  for (const auto& [id, widget] : m_controls) {
    if (widget == control) return id;
  }
  return 0;
}

// Tab and Shift+Tab go to the next tab stop of the presenter's state: a radio group is one
// stop, its checked button.
bool CMorvexDlg::focusNextPrevChild(bool next) {
  QWidget* target = GetDlgItem(NextTabStop(m_presenter.State(), IdOf(focusWidget()), next));
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
  auto* button =
      qobject_cast<QAbstractButton*>(GetDlgItem(NextInRadioGroup(m_presenter.State(), id, next)));
  if (button == nullptr) return false;
  button->setFocus(Qt::OtherFocusReason);
  button->click();
  return true;
}

// A frame's mnemonic focuses the control the presenter's state names; a group box of its
// own would prefer the child that last had the focus.
bool CMorvexDlg::FocusForMnemonic(int id) {
  QWidget* target = GetDlgItem(MnemonicTarget(m_presenter.State(), id));
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

// A running window takes no file, as its disabled fields say.
QString CMorvexDlg::FileToTake(const QMimeData* mime) const {
  return m_presenter.State().running ? QString() : DraggedFile(mime);
}

// A file dropped on the output frame names the output, anywhere else the input.
void CMorvexDlg::dragEnterEvent(QDragEnterEvent* event) {
  if (!FileToTake(event->mimeData()).isEmpty()) AcceptAsCopy(event);
}

void CMorvexDlg::dragMoveEvent(QDragMoveEvent* event) {
  if (!FileToTake(event->mimeData()).isEmpty()) AcceptAsCopy(event);
}

void CMorvexDlg::dropEvent(QDropEvent* event) {
  const QString path = FileToTake(event->mimeData());
  if (path.isEmpty() || !AcceptAsCopy(event)) return;
  const bool output =
      GetDlgItem(IDC_OUTPUT_GROUP)->geometry().contains(event->position().toPoint());
  m_presenter.OnPathChosen(output ? IDC_OUTPUT_PATH : IDC_INPUT_PATH, path.toStdString());
}

// Arrow keys and mnemonics go through the presenter's state (see
// MoveInRadioGroup and FocusForMnemonic); leaving the input field is reported.
// The path fields take a dropped file as its path, not as the text of its URL,
// and refuse any other URLs; dragged text they take as usual.
bool CMorvexDlg::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  const int id = IdOf(qobject_cast<QWidget*>(watched));
  if (type == QEvent::KeyPress && qobject_cast<QLineEdit*>(watched) != nullptr &&
      IsAltWithText(*static_cast<QKeyEvent*>(event))) {
    return true;  // an access key would have been taken as a shortcut before
  }
  if (type == QEvent::KeyPress && qobject_cast<QRadioButton*>(watched) != nullptr) {
    return MoveInRadioGroup(id, *static_cast<QKeyEvent*>(event)) ||
           QDialog::eventFilter(watched, event);
  }
  if (type == QEvent::Shortcut && qobject_cast<QGroupBox*>(watched) != nullptr) {
    return FocusForMnemonic(id) || QDialog::eventFilter(watched, event);
  }
  if (type == QEvent::FocusOut && id == IDC_INPUT_PATH) m_presenter.OnInputLeft();
  if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop) {
    return QDialog::eventFilter(watched, event);
  }
  auto* drop = static_cast<QDropEvent*>(event);
  if (drop->mimeData() == nullptr || !drop->mimeData()->hasUrls()) {
    return QDialog::eventFilter(watched, event);
  }
  const QString path = FileToTake(drop->mimeData());
  if (path.isEmpty()) {
    drop->ignore();  // folders, several files, web addresses: not as text either
    return true;
  }
  if (AcceptAsCopy(drop) && type == QEvent::Drop) {
    m_presenter.OnPathChosen(id, path.toStdString());
  }
  return true;
}
