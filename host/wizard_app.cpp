#include "host/wizard_app.h"

#include <algorithm>
#include <istream>
#include <optional>
#include <ostream>

#include "host/summary_files.h"
#include "platform/design_path.h"

namespace codexel {

namespace {

std::string UpperCase(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

std::string TrimLeadingSpace(const std::string& text) {
  const std::size_t first = text.find_first_not_of(" \t\n\v\f\r");
  return first == std::string::npos ? std::string() : text.substr(first);
}

// Length of the last character of a UTF-8 text, so that shortening never
// splits a character; a stray byte counts as a character of its own.
std::size_t LastCharacterLength(const std::string& text) {
  std::size_t length = 1;
  while (length < text.size() && length < 4 &&
         (static_cast<unsigned char>(text[text.size() - length]) & 0xC0) == 0x80) {
    ++length;
  }
  const unsigned char lead = static_cast<unsigned char>(text[text.size() - length]);
  return (lead & 0xC0) == 0xC0 ? length : 1;
}

std::size_t CharacterCount(const std::string& text) {
  return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  }));
}

// The whole text of a file; none when it cannot be opened or read, or is
// longer than `limit` bytes.
std::optional<std::string> ReadWholeFile(FileSystem& files, const std::string& path,
                                         std::size_t limit) {
  std::unique_ptr<std::istream> in = files.OpenForReading(path);
  if (!in) return std::nullopt;
  std::string text;
  char buffer[8192];
  while (in->read(buffer, sizeof buffer) || in->gcount() > 0) {
    text.append(buffer, static_cast<std::size_t>(in->gcount()));
    if (text.size() > limit) return std::nullopt;
  }
  if (in->bad()) return std::nullopt;
  return text;
}

}  // namespace

bool IsDesignExtension(const std::string& extension) {
  return extension == ".vhd" || extension == ".tdf" || extension == ".v";
}

std::string FitDesignName(TextMetrics& metrics, const std::string& base_name, int width,
                          const FontFace& font) {
  std::string name = base_name;
  if (CharacterCount(name) >= 255) return std::string();
  TextMeasurer measurer(metrics, font.face, font.points);
  if (measurer.Width(name) <= width) return name;
  while (!name.empty()) {
    name.erase(name.size() - LastCharacterLength(name));
    const std::string candidate = name + "...";
    if (measurer.Width(candidate) <= width) return candidate;
  }
  return std::string();
}

WizardApp::WizardApp(std::string program_title, const SymbolLinesWriter* symbol,
                     PlatformServices& services, PageFactory* page_factory)
    : program_title_(program_title.substr(0, kMaxTitle)),
      symbol_(symbol),
      services_(services),
      page_factory_(page_factory) {}

WizardApp::~WizardApp() = default;

int WizardApp::ShowMessage(const std::string& text) {
  services_.messages.Show(host_.design_base_name + " - " + program_title_, text);
  return 0;
}

void WizardApp::AddPage(std::unique_ptr<PageInterface> page) {
  CheckNotNull(page.get());
  if (page_count_ >= kMaxPages) {
    // The host holds 19 pages; a plug-in adding more is a programming error.
    CheckNotNull(nullptr);
  }
  ++page_count_;
  pages_[static_cast<std::size_t>(page_count_)] = std::move(page);
}

PageInterface* WizardApp::page(int slot) const {
  if (slot < 1 || slot > kMaxPages) return nullptr;
  return pages_[static_cast<std::size_t>(slot)].get();
}

void WizardApp::CheckNotNull(const void* reference) {
  if (reference) return;
  ShowMessage(kFatalErrorMessage);
  services_.process.Exit(1);
}

void WizardApp::AddSummaryPage() {
  const std::string file_list =
      SummaryFileList(host_.design_base_name, design_extension_, command_line_.symbol);
  CheckNotNull(page_factory_);
  AddPage(page_factory_->CreateSummaryPage(*this, file_list, host_.design_directory));
}

std::string WizardApp::FitDesignName(int width, const FontFace& font) {
  return codexel::FitDesignName(services_.metrics, host_.design_base_name, width, font);
}

void WizardApp::OnHelp(const std::string& section) {
  if (!services_.files.Exists(help_file_path_)) {
    services_.messages.Show(kHostTitle, "Can't find the Vortalis help file " + help_file_path_);
    return;
  }
  const std::optional<std::string> text =
      ReadWholeFile(services_.files, help_file_path_, kMaxHelpBytes);
  if (!text) {
    services_.messages.Show(kHostTitle, "Can't read the Vortalis help file " + help_file_path_);
    return;
  }
  if (services_.help) services_.help->Show(help_file_path_, *text, section);
}

void WizardApp::NotifyCaller() {
  if (!host_.notify) return;
  services_.notifier.Post(host_.caller_thread_id, CallerNotifier::kPagePlacedMessage,
                          host_.placement_x, host_.placement_y);
}

std::string WizardApp::WizardFilePath() const {
  return host_.design_directory + host_.design_base_name + ".cnx";
}

void WizardApp::SetDesignPath(const std::string& path) {
  design_path_ = TrimLeadingSpace(path);
  const PathParts parts = SplitPath(design_path_);
  host_.design_base_name = parts.base_name;
  design_extension_ = parts.extension;
  host_.design_directory = parts.drive + parts.directory;
}

bool WizardApp::StartUp(const std::vector<std::string>& args) {
  command_line_ = ParseCommandLine(args, services_.messages);
  if (command_line_.has_x) {
    host_.placement_x = command_line_.x;
    host_.placement_flag = true;
  }
  if (command_line_.has_y) {
    host_.placement_y = command_line_.y;
    host_.placement_flag = true;
  }
  host_.notify = command_line_.notify;
  host_.caller_thread_id = command_line_.caller_thread_id;

  if (TrimLeadingSpace(command_line_.design_path).empty()) {
    services_.messages.Show(kHostTitle,
                            "Can't start the wizard -- no design file has been specified");
    return false;
  }
  SetDesignPath(command_line_.design_path);
  new_file_ = command_line_.new_file;
  help_file_path_ =
      ReplaceExtension(services_.process.ExecutablePath(), ".hlp").substr(0, kMaxHelpPath);
  return true;
}

int WizardApp::Run(const std::vector<std::string>& args) {
  if (!StartUp(args)) return 1;
  if (!Begin() || page_count_ <= 0) {
    DestroyPages();
    return 1;
  }
  const int result = RunPageLoop(command_line_.first_page_offset);
  const int status = FinishRun(result);
  DestroyPages();
  return status;
}

bool WizardApp::Begin() {
  page_count_ = 0;
  while (page_count_ < kMaxPages && pages_[static_cast<std::size_t>(page_count_ + 1)]) {
    ++page_count_;
  }
  if (page_count_ == 0) {
    services_.messages.Show(kHostTitle, "Wizard has no valid pages");
    return false;
  }
  if (design_path_.empty()) return false;
  if (!IsDesignExtension(design_extension_)) {
    services_.messages.Show(kHostTitle,
                            "Can't start the wizard -- illegal extension in design file name");
    return false;
  }
  if (new_file_) return true;
  return ReadExistingVariation();
}

bool WizardApp::ReadExistingVariation() {
  const std::string path = WizardFilePath();
  std::unique_ptr<std::istream> in = services_.files.OpenForReading(path);
  if (!in) {
    services_.messages.Show(kHostTitle, "Can't open file " + path);
    return false;
  }
  model_.ClearWizardInfo();
  ReadWizardInfo(*in);
  LoadPagesFromModel();
  return true;
}

bool WizardApp::MayFinish() { return true; }

void WizardApp::LoadPagesFromModel() {
  for (int i = 1; i <= page_count_; ++i) page(i)->LoadFromModel();
}

void WizardApp::StorePagesIntoModel() {
  for (int i = 1; i <= page_count_; ++i) page(i)->StoreIntoModel();
}

bool WizardApp::ReadWizardInfo(std::istream& in) {
  ReadWizardInfoBlock(in, model_);
  return true;
}

bool WizardApp::WriteWizardInfo(std::ostream& out) {
  WriteWizardInfoBlock(out, model_, host_.module_name, symbol_);
  return true;
}

FileBatch& WizardApp::pending_files() {
  if (!pending_files_) pending_files_ = services_.files.StartBatch();
  return *pending_files_;
}

void WizardApp::WriteWizardFile() {
  write_failed_ = false;
  model_.ClearWizardInfo();
  // The plug-in stages its extra files while it fills the model; they and
  // the wizard information file are put in place together, that file last.
  pending_files_ = services_.files.StartBatch();
  StorePagesIntoModel();
  std::unique_ptr<FileBatch> files = std::move(pending_files_);
  std::optional<FileFailure> failure;
  if (!design_path_.empty()) {
    const std::string path = WizardFilePath();
    const WriteOutcome staged =
        files->Stage(path, [this](std::ostream& out) { WriteWizardInfo(out); });
    if (!staged.ok()) failure = FileFailure{path, staged};
  }
  if (!failure) failure = files->Commit();
  files.reset();  // nothing staged outlives the write
  if (failure) {
    write_failed_ = true;
    ReportWizardFileFailure(failure->path, failure->outcome);
  }
}

void WizardApp::ReportWizardFileFailure(const std::string& path, const WriteOutcome&) {
  services_.messages.Show(kHostTitle, "Can't write file " + path);
}

int WizardApp::RunPageLoop(int offset) {
  const int count = page_count_;
  int& current = current_page_;
  int& result = navigation_result_;
  current = 1;
  result = kNavNext;
  const std::string upper_title = UpperCase(program_title_);
  while (result != kNavCancel && current != 0) {
    PageInterface* shown = page(current);
    if (!shown) break;  // a result that leads off the page list
    // Page numbers in a wider type: an offset near the integer limit (-p
    // saturates) must not overflow.
    const long long first = offset;
    shown->SetTitle(std::string(kHostTitle) + " - " + upper_title + " [page " +
                    std::to_string(first + current) + " of " + std::to_string(first + count) +
                    "]");
    if (current == 1) {
      shown->SetPositionKind(offset >= 1 ? kFirstAfterCallerPages : kFirstPage);
    } else {
      shown->SetPositionKind(current == count ? kLastPage : kMiddlePage);
    }
    if (shown->IsPageShown()) result = shown->ShowModal();
    if (result == kNavFinish && !MayFinish()) {
      result = kNavNext;
      continue;
    }
    if (current == 1 && (result == kNavBack || result == kNavFinish)) {
      current = 0;
    } else if (current == count && (result == kNavNext || result == kNavFinish)) {
      current = 0;
      result = kNavFinish;
    } else {
      current += result;
    }
    if (result == kNavFinish) break;
  }
  return result;
}

int WizardApp::FinishRun(int navigation_result) {
  if (navigation_result == kNavFinish || navigation_result == kNavBack) {
    WriteWizardFile();
    // The caller must not build a variation from a stale or missing file.
    if (write_failed_) return 1;
  } else if (navigation_result == kNavCancel) {
    const std::string path = WizardFilePath();
    if (new_file_) {
      services_.files.Remove(path);
    } else {
      // An edited variation may be the only copy: it is kept as a backup.
      services_.files.Rename(path, path + ".bak");
    }
  }
  return navigation_result;
}

void WizardApp::DestroyPages() {
  for (auto& slot : pages_) slot.reset();
  page_count_ = 0;
}

}  // namespace codexel
