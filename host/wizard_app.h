#pragma once
// The wizard host's application object: start-up, command line, the page
// loop and the wizard information file's life.

#include <array>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "host/command_line.h"
#include "host/page_interface.h"
#include "host/wizard_info.h"
#include "platform/services.h"

namespace codexel {

// Values the whole run shares.
struct HostState {
  bool placement_flag = false;
  int placement_x = 100;
  int placement_y = 100;
  bool notify = false;
  int caller_thread_id = 0;
  std::string module_name = "default";
  std::string design_directory;  // drive and directory, ending in a separator
  std::string design_base_name;
};

class WizardApp;

// ".tdf" (ZHDL), ".vhd" (VHDL) or ".v" (Verilog), case-sensitive.
bool IsDesignExtension(const std::string& extension);

// `name` made to fit `width` pixels in `font`: unchanged when it fits, else
// shortened from its end with "..." appended; empty when the name has 255
// characters or more, or when not even "..." fits.
std::string FitDesignName(TextMetrics& metrics, const std::string& name, int width,
                          const FontFace& font);

// Creates the host's own pages; the widget layer provides it.
class PageFactory {
 public:
  virtual ~PageFactory() = default;
  virtual std::unique_ptr<PageInterface> CreateSummaryPage(WizardApp& app,
                                                           const std::string& file_list,
                                                           const std::string& directory) = 0;
};

inline constexpr const char* kFatalErrorMessage =
    "Fatal error (assertion failed). The application is unable to continue. Please press OK to "
    "exit.";

class WizardApp {
 public:
  static constexpr int kMaxPages = 19;
  static constexpr std::size_t kMaxTitle = 63;
  static constexpr std::size_t kMaxHelpPath = 259;
  // A help file beyond this is refused as unreadable rather than loaded.
  static constexpr std::size_t kMaxHelpBytes = 4 << 20;

  WizardApp(std::string program_title, const SymbolLinesWriter* symbol,
            PlatformServices& services, PageFactory* page_factory = nullptr);
  virtual ~WizardApp();
  WizardApp(const WizardApp&) = delete;
  WizardApp& operator=(const WizardApp&) = delete;

  // The whole run from the arguments (without the program name) to the exit
  // status: parse, check, Begin, page loop, write or delete the file.
  int Run(const std::vector<std::string>& args);

  // Overridable operations.
  virtual int ShowMessage(const std::string& text);
  virtual bool Begin();
  virtual void WriteWizardFile();
  virtual bool MayFinish();
  virtual void LoadPagesFromModel();
  virtual void StorePagesIntoModel();
  virtual bool ReadWizardInfo(std::istream& in);
  virtual bool WriteWizardInfo(std::ostream& out);

  void AddPage(std::unique_ptr<PageInterface> page);
  void AddSummaryPage();
  void CheckNotNull(const void* reference);
  std::string FitDesignName(int width, const FontFace& font);
  // The platform's help request from a page: the help file beside the
  // program, shown at `section` (the page's anchor in it). A missing or
  // unreadable file is told in a box instead.
  void OnHelp(const std::string& section = std::string());
  // Posts the page-exit notification when -h was given.
  void NotifyCaller();

  // The page loop; returns the navigation result that ends the run.
  int RunPageLoop(int offset);
  // Writes the wizard information file (0, -1), or on Cancel (2) deletes
  // it, or in edit mode renames it to "<name>.cnx.bak". Returns the exit
  // status: the navigation result, or 1 when the files could not be written.
  int FinishRun(int navigation_result);
  void DestroyPages();

  // Edit mode's reading: the wizard information file beside the design into
  // the model, then LoadPagesFromModel. False, with the message shown, when
  // the file cannot be opened.
  bool ReadExistingVariation();

  // The start-up steps before Begin: parse the arguments, take over the
  // design path and its parts. False when no design path was given (the
  // message has been shown).
  bool StartUp(const std::vector<std::string>& args);

  // Accessors.
  const std::string& program_title() const { return program_title_; }
  HostState& host() { return host_; }
  const HostState& host() const { return host_; }
  WizardInfoModel& model() { return model_; }
  const WizardCommandLine& command_line() const { return command_line_; }
  PlatformServices& services() { return services_; }
  const SymbolLinesWriter* symbol() const { return symbol_; }
  PageFactory* page_factory() const { return page_factory_; }
  const std::string& design_path() const { return design_path_; }
  const std::string& design_extension() const { return design_extension_; }
  const std::string& help_file_path() const { return help_file_path_; }
  bool new_file() const { return new_file_; }
  int page_count() const { return page_count_; }
  PageInterface* page(int slot) const;
  int navigation_result() const { return navigation_result_; }
  std::string WizardFilePath() const;
  // Whether the last WriteWizardFile failed (and reported it).
  bool write_failed() const { return write_failed_; }
  // The files of the variation being written: the plug-in stages its extra
  // files here while WriteWizardFile has it store the pages into the model.
  FileBatch& pending_files();
  void DiscardPendingFiles() { pending_files_.reset(); }

  // Direct setters for tools that assemble a run without a command line.
  void SetDesignPath(const std::string& path);
  void set_new_file(bool value) { new_file_ = value; }
  void set_symbol_flag(bool value) { command_line_.symbol = value; }

 protected:
  // Reports a file of the variation that could not be written: the wizard
  // information file, or an extra file that could not be put in place.
  virtual void ReportWizardFileFailure(const std::string& path, const WriteOutcome& outcome);

 private:
  std::string program_title_;
  const SymbolLinesWriter* symbol_;
  PlatformServices& services_;
  PageFactory* page_factory_;
  HostState host_;
  WizardInfoModel model_;
  WizardCommandLine command_line_;
  std::array<std::unique_ptr<PageInterface>, kMaxPages + 1> pages_{};
  int page_count_ = 0;
  int current_page_ = 1;
  std::string design_path_;
  std::string design_extension_;
  std::string help_file_path_;
  bool new_file_ = false;
  int navigation_result_ = 1;
  std::unique_ptr<FileBatch> pending_files_;
  bool write_failed_ = false;
};

}  // namespace codexel
