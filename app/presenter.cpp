#include "presenter.h"

#include "controls.h"
#include "file_io.h"
#include "progress_text.h"

namespace {

// Convert's label while a run is going on.
constexpr TextKey kStopLabel = T_("IDC_CONVERT", "&Stop");

// The same input and output, converted the same way.
bool SameRun(const RunRequest& a, const RunRequest& b) {
  return a.inputPath == b.inputPath && a.outputPath == b.outputPath && a.mode == b.mode &&
         (!IsTrackToRoute(a.mode) || a.viaCount == b.viaCount) && a.oneRoute == b.oneRoute;
}

}  // namespace

Presenter::Presenter(View& view, SettingsStore& settings) : m_view(view), m_settings(settings) {}

Presenter::~Presenter() {
  m_run.reset();
  StopPreview();
}

// Checking raises no click: the texts and the enabled state are set here as
// the clicks would set them. English keeps the template's texts.
void Presenter::Start() {
  RestoreSettings(m_state, m_settings.Load());
  if (m_state.language != Language::kEnglish) ShowTexts(m_state.language);
  ShowChoices();
  m_view.SetFieldText(IDC_MAX_VIAS, m_state.viaText);
  m_view.ShowLanguage(m_state.language);
  ShowPreviewPane(m_state.preview);
}

void Presenter::ShowChoices() {
  for (const ControlTemplate& control : DialogControls()) {
    if (control.kind == ControlKind::Option) {
      m_view.SetChecked(control.id, control.id == CheckedOptionButton(m_state) ||
                                        control.id == CheckedLanguageButton(m_state));
    }
    m_view.SetEnabled(control.id, IsEnabled(m_state, control.id));
  }
  m_view.SetChecked(IDC_ONE_ROUTE, m_state.oneRoute);
  m_view.ShowTabStops(TabStops(m_state));
}

// A window in a language without texts of its own keeps those it shows.
void Presenter::ShowTexts(Language language) {
  if (!HasOwnTexts(language)) return;
  m_textsLanguage = language;
  for (const ControlText& text : LanguageTexts()) m_view.SetLabel(text.id, text.text, language);
}

void Presenter::OnInputEdited(std::string_view text) {
  m_state.inputPath = text;
}

// A field left as a run starts (the focus moves off the disabled field)
// takes nothing up: the run's end brings the new picture.
void Presenter::OnInputLeft() {
  if (m_state.running) return;
  m_state.takenInput = m_state.inputPath;
  SuggestOutput();
  RequestPreview();
}

void Presenter::OnOutputEdited(std::string_view text) {
  m_state.outputPath = text;
}

void Presenter::OnViaTextEdited(std::string_view text) {
  if (text == m_state.viaText) return;
  m_state.viaText = text;
  RequestPreview();
}

// The state first: a view may report the text it is given as an edit.
void Presenter::ShowPath(int field, std::string_view path) {
  (field == IDC_INPUT_PATH ? m_state.inputPath : m_state.outputPath) = path;
  m_view.SetFieldText(field, path);
}

// A file dropped on a window that is running waits for the run's end.
void Presenter::OnPathChosen(int field, std::string_view path) {
  if (m_state.running || (field != IDC_INPUT_PATH && field != IDC_OUTPUT_PATH)) return;
  ShowPath(field, path);
  if (field == IDC_INPUT_PATH) OnInputLeft();
}

// The file's folder becomes the field's last folder. The Save picker has
// asked before replacing its file, so a Convert with that output unchanged
// does not ask again.
void Presenter::OnBrowse(int field) {
  if (field != IDC_INPUT_PATH && field != IDC_OUTPUT_PATH) return;
  const FilePick pick{field == IDC_OUTPUT_PATH, GdbFileFilters(), m_state.language,
                      PickerFolder(field), PickerName(field)};
  const std::optional<std::string> path = m_view.PickFile(pick);
  if (!path) return;
  OnPathChosen(field, *path);
  if (field == IDC_OUTPUT_PATH) m_state.pickedOutput = *path;
  if (std::string folder = FolderOfPath(*path); !folder.empty()) {
    (field == IDC_INPUT_PATH ? m_state.inputFolder : m_state.outputFolder) = std::move(folder);
  }
}

// That of the field's path if it has one and it exists, else the last folder
// of that field (if it still exists); empty for the picker's own choice.
std::string Presenter::PickerFolder(int field) const {
  const bool input = field == IDC_INPUT_PATH;
  const auto exists = [](const std::string& folder) {
    return !folder.empty() && fileio::KindOfPath(folder) == fileio::PathKind::kFolder;
  };
  std::string folder = FolderOfPath(TrimmedText(input ? m_state.inputPath : m_state.outputPath));
  if (exists(folder)) return folder;
  folder = input ? m_state.inputFolder : m_state.outputFolder;
  return exists(folder) ? folder : std::string();
}

// The Save picker offers the output field's file name, else the one
// suggested for the input; the Open picker offers none.
std::string Presenter::PickerName(int field) const {
  if (field != IDC_OUTPUT_PATH) return {};
  std::string_view path = TrimmedText(m_state.outputPath);
  if (path.empty()) path = m_state.lastSuggestion;
  return std::string(path.substr(fileio::FileNameStart(std::string(path))));
}

// An output field that is empty or still shows the last suggestion takes the
// new one; any other text is the user's and stays.
void Presenter::SuggestOutput() {
  if (!m_state.outputPath.empty() && m_state.outputPath != m_state.lastSuggestion) return;
  m_state.lastSuggestion = SuggestedOutputPath(m_state.takenInput, m_state.option);
  if (m_state.lastSuggestion != m_state.outputPath) {
    ShowPath(IDC_OUTPUT_PATH, m_state.lastSuggestion);
  }
}

void Presenter::OnOptionChosen(int buttonId) {
  const int option = OptionOfButton(buttonId);
  if (option == 0) return;
  m_state.option = option;
  ShowChoices();
  SuggestOutput();
  RequestPreview();
}

void Presenter::OnLanguageChosen(int buttonId) {
  for (const LanguageButton& button : LanguageButtons()) {
    if (button.id != buttonId) continue;
    m_state.language = button.language;
    ShowTexts(button.language);
    ShowChoices();
    m_view.ShowLanguage(button.language);
  }
}

void Presenter::OnOneRouteToggled(bool checked) {
  if (checked == m_state.oneRoute) return;
  m_state.oneRoute = checked;
  RequestPreview();
}

void Presenter::OnPreviewClicked() {
  ShowPreviewPane(!m_state.preview);
}

void Presenter::ShowPreviewPane(bool shown) {
  m_state.preview = shown;
  if (shown == m_paneShown) return;
  m_paneShown = shown;
  m_view.ShowPreviewPane(shown);
  RequestPreview();
}

void Presenter::OnConvert() {
  if (m_run) {
    m_run->Stop();
    return;
  }
  RunRequest request = RunRequestOf(m_state);
  if (!MayReplaceOutput(request)) return;
  request.trace = m_trace;
  if (std::string folder = FolderOfPath(request.inputPath); !folder.empty()) {
    m_state.inputFolder = std::move(folder);
  }
  if (std::string folder = FolderOfPath(request.outputPath); !folder.empty()) {
    m_state.outputFolder = std::move(folder);
  }
  m_state.pickedOutput.clear();  // the picker's agreement was for the file there before
  StartRun(request);
}

// The other controls are disabled and Convert becomes Stop until the run ends.
void Presenter::StartRun(const RunRequest& request) {
  m_state.running = true;
  ShowChoices();
  m_view.SetLabel(IDC_CONVERT, kStopLabel, m_textsLanguage);
  m_view.ShowBusy(true);
  m_run = std::make_unique<RunWorker>(
      m_view, request,
      RunWorker::Handlers{[this](const WindowMessage& message) { return ShowRunMessage(message); },
                          [this](std::optional<unsigned> percent) { ShowRunProgress(percent); },
                          [this, request](RunOutcome outcome) { EndRun(request, outcome); }});
}

bool Presenter::ShowRunMessage(const WindowMessage& message) {
  return !m_closeAfterRun && m_view.ShowMessage(message);
}

void Presenter::ShowRunProgress(std::optional<unsigned> percent) {
  m_view.ShowProgress(ProgressShown{ProgressText(m_state.language, percent), percent});
}

void Presenter::EndRun(const RunRequest& request, RunOutcome outcome) {
  m_run.reset();
  m_state.running = false;
  m_view.ShowProgress(std::nullopt);
  m_view.ShowBusy(false);
  m_view.SetLabel(IDC_CONVERT, FindControl(IDC_CONVERT)->text, m_textsLanguage);
  ShowChoices();
  m_state.lastCompleted.reset();
  if (outcome == RunOutcome::Completed) m_state.lastCompleted = request;
  m_settings.Save(SettingsOf(m_state));
  if (m_closeAfterRun) {
    m_view.Close();
    return;
  }
  RequestPreview(outcome == RunOutcome::Completed ? request.outputPath : std::string());
}

// No file there; the Save picker asked about it and the path is unchanged;
// it is what the last completed run made of the same input with the same
// choices; the run would refuse it anyway (the input, a read-only file), and
// says why; or the user says Yes now.
bool Presenter::MayReplaceOutput(const RunRequest& request) {
  const std::string& output = request.outputPath;
  if (fileio::KindOfPath(output) != fileio::PathKind::kFile) return true;
  if (output == m_state.pickedOutput) return true;
  if (m_state.lastCompleted && SameRun(*m_state.lastCompleted, request)) return true;
  if (RefusedBeforeWriting(request)) return true;
  const WindowMessage question = ReplaceQuestion(output, m_state.language);
  return question.text.empty() || m_view.AskYesNo(question);
}

void Presenter::OnAbout() {
  m_view.ShowAbout(m_state.language);
}

// A run that has shown its last box and only waits for its end to reach the
// window has nothing left to stop: Escape closes the window once it ends.
bool Presenter::OnEscape() {
  if (!m_run || m_run->Done()) return OnClosing();
  m_run->Stop();
  return false;
}

// A second close does not wait: a run held up opening a named pipe that
// nobody writes never ends.
bool Presenter::OnClosing() {
  if (m_run && !m_closeAfterRun) {
    m_run->Stop();
    m_closeAfterRun = true;
    return false;
  }
  m_settings.Save(SettingsOf(m_state));
  return true;
}

void Presenter::RequestPreview(std::optional<std::string> convertedInto) {
  if (!m_state.preview) return;
  if (!m_previewWorker) {
    m_previewWorker =
        std::make_unique<preview::Worker>([this] { m_view.Post([this] { TakePreview(); }); });
  }
  m_previewWorker->Ask(PreviewRequestOf(m_state, std::move(convertedInto)));
  m_view.ShowPictureComing();
}

void Presenter::TakePreview() {
  if (!m_previewWorker) return;
  if (std::optional<preview::Outcome> outcome = m_previewWorker->Take()) {
    m_view.ShowPicture(std::move(*outcome));
  }
}

void Presenter::StopPreview() {
  m_previewWorker.reset();
}
