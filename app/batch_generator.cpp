#include "app/batch_generator.h"

#include <algorithm>
#include <climits>
#include <map>
#include <ostream>
#include <utility>

#include "hdl/core_figures.h"
#include "hdl/design_files.h"
#include "host/number_text.h"
#include "host/summary_files.h"
#include "host/wizard_app.h"
#include "platform/design_path.h"
#include "rs_engine/rs_wizard_app.h"
#include "rs_pages/throughput.h"

namespace codexel {

namespace {

// ---- Command line ----

// A choice option and the field it sets.
struct Choice {
  std::optional<int> GenOptions::*field;
  int value;
};

const std::map<std::string, Choice>& Choices() {
  static const std::map<std::string, Choice> choices = {
      {"--encoder", {&GenOptions::enc_dec, 1}},
      {"--decoder", {&GenOptions::enc_dec, 0}},
      {"--standard", {&GenOptions::eras_stnd, 0}},
      {"--erasures", {&GenOptions::eras_stnd, 1}},
      {"--discrete", {&GenOptions::disc_stream, 1}},
      {"--streaming", {&GenOptions::disc_stream, 0}},
      {"--full", {&GenOptions::fast_small, 1}},
      {"--half", {&GenOptions::fast_small, 0}},
      {"--vectors", {&GenOptions::generate_vectorfile, 1}},
      {"--no-vectors", {&GenOptions::generate_vectorfile, 0}},
      {"--msym", {&GenOptions::msym_mbit, 1}},
      {"--mbit", {&GenOptions::msym_mbit, 0}},
  };
  return choices;
}

const std::map<std::string, bool GenOptions::*>& Switches() {
  static const std::map<std::string, bool GenOptions::*> switches = {
      {"--dvb", &GenOptions::dvb},     {"--edit", &GenOptions::edit},
      {"--quiet", &GenOptions::quiet}, {"--list", &GenOptions::list},
      {"--symbol", &GenOptions::symbol}, {"--hdl", &GenOptions::hdl},
      {"--testbench", &GenOptions::testbench}, {"--axis", &GenOptions::axis},
  };
  return switches;
}

// Options that take a value, long and short.
const std::map<std::string, std::optional<GenNumber> GenOptions::*>& Numbers() {
  static const std::map<std::string, std::optional<GenNumber> GenOptions::*> numbers = {
      {"-m", &GenOptions::m},
      {"-n", &GenOptions::n},
      {"-r", &GenOptions::r},
      {"--irrpol", &GenOptions::irrpol},
      {"--genstart", &GenOptions::genstart},
      {"--throughput", &GenOptions::throughput},
  };
  return numbers;
}

GenCommand Error(std::string text) {
  GenCommand command;
  command.action = GenAction::kError;
  command.error = std::move(text);
  return command;
}

// ---- Values ----

// An optional sign and decimal digits, nothing else. Magnitudes far beyond
// every legal range are held at a bound, so that they compare as too large
// (or too small) instead of overflowing.
std::optional<long long> WholeNumber(const std::string& text) {
  constexpr long long kBound = 1'000'000'000'000LL;
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i == text.size()) return std::nullopt;
  long long value = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    if (value < kBound) value = value * 10 + (text[i] - '0');
  }
  return negative ? -value : value;
}

// The value's text as the error line shows it: quoted when it would not be
// seen otherwise.
std::string Shown(const std::string& text) {
  if (text.empty() || text.find_first_of(" \t\n") != std::string::npos) return "'" + text + "'";
  return text;
}

// The value of `number` when it is a whole number from `low` to `high`;
// otherwise `error` gets the line naming the value and its legal range.
// `context` tells what the range depends on ("with m 8 and r 16 ").
std::optional<int> CheckRange(const GenNumber& number, long long low, long long high,
                              const std::string& context, const std::string& unit,
                              std::string& error) {
  const std::optional<long long> value = WholeNumber(number.text);
  const std::string range =
      context + "it must be " + FormatInt(low) + " to " + FormatInt(high) + unit;
  if (!value) {
    error = number.option + " " + Shown(number.text) + " is not an integer: " + range;
    return std::nullopt;
  }
  if (*value < low || *value > high) {
    error = number.option + " " + Shown(number.text) + " is out of range: " + range;
    return std::nullopt;
  }
  return static_cast<int>(*value);
}

std::string WithM(int m) { return "with m " + FormatInt(m) + " "; }
std::string WithMAndR(int m, int r) {
  return "with m " + FormatInt(m) + " and r " + FormatInt(r) + " ";
}

std::string JoinedList(std::span<const int> values) {
  std::string text;
  for (int value : values) text += (text.empty() ? "" : ", ") + FormatInt(value);
  return text;
}

// ---- Running ----

std::string OneLine(std::string text) {
  for (char& c : text) {
    if (c == '\n' || c == '\r' || c == '\t') c = ' ';
  }
  return text;
}

void PrintError(std::ostream& err, const std::string& text) {
  err << kGenProgramName << ": " << OneLine(text) << '\n';
  err.flush();
}

// Messages the wizard would show in a box go to standard error, one line each.
class StreamMessages : public MessageService {
 public:
  explicit StreamMessages(std::ostream& err) : err_(err) {}
  void Show(const std::string&, const std::string& text) override { PrintError(err_, text); }

 private:
  std::ostream& err_;
};

// Nobody is notified: there are no pages.
class NoNotifier : public CallerNotifier {
 public:
  void Post(int, int, int, int) override {}
};

// Leaves the run with an exit status, however deep it is.
struct GenExit {
  int status;
};

class GenProcess : public ProcessServices {
 public:
  std::string ExecutablePath() override { return kGenProgramName; }
  [[noreturn]] void Exit(int status) override { throw GenExit{status}; }
};

// The wizard's application object with its failure answers turned into
// lines on standard error and exit status 1. An extra file that fails ends
// the run before anything is put in place, as in the wizard.
class GenWizardApp : public RsWizardApp {
 public:
  GenWizardApp(PlatformServices& services, std::ostream& err, const GenOptions& options)
      : RsWizardApp(services, nullptr), err_(err), options_(options) {}

  // The store step, then the core's files staged with the others: made
  // from the ports the model now records.
  void StorePagesIntoModel() override {
    RsWizardApp::StorePagesIntoModel();
    if (!options_.hdl) return;
    // Never written over: the design file, and with --axis the wrapper's.
    for (const std::string& path : options_.axis ? std::vector{CorePath(), AxisPath()} : std::vector{CorePath()}) {
      if (path == CorePath() ? DesignPathHoldsUsersFile() : AxisPathHoldsUsersFile()) {
        DiscardPendingFiles();
        Report(path, {WriteOutcome::Failure::kOpen,
                      std::string("not written by ") + kGenProgramName + " --hdl; left as it is"});
        throw GenExit{1};
      }
    }
    std::vector<hdl::DesignFile> files;
    try {
      files = hdl::MakeCoreFiles(parameters(), model(), host().design_directory, host().design_base_name,
                                 design_extension(), FileSet(), kRsProgramTitle);
    } catch (const std::exception& e) {
      DiscardPendingFiles();
      PrintError(err_, NativeSeparators(design_path()) + ": the core cannot be made in " +
                           hdl::CoreLanguageName(design_extension()) + ": " + e.what());
      throw GenExit{1};
    }
    for (const hdl::DesignFile& file : files) {
      const WriteOutcome outcome =
          pending_files().Stage(file.path, [&](std::ostream& out) { out << file.text; });
      if (!outcome.ok()) {
        DiscardPendingFiles();
        Report(file.path, outcome);
        throw GenExit{1};
      }
    }
  }

  // The files --hdl writes, in the order they are staged.
  std::vector<std::string> HdlFilePaths() const {
    if (!options_.hdl) return {};
    return hdl::CoreFilePaths(host().design_directory, host().design_base_name, design_extension(), FileSet());
  }

 protected:
  void ReportExtraFileFailure(const ExtraFileFailure& failure) override {
    Report(failure.path, failure.outcome);
    throw GenExit{1};
  }
  void ReportWizardFileFailure(const std::string& path, const WriteOutcome& outcome) override {
    Report(path, outcome);
  }

 private:
  void Report(const std::string& path, const WriteOutcome& outcome) {
    PrintError(err_, NativeSeparators(path) + ": " +
                         (outcome.reason.empty() ? "cannot be written" : outcome.reason));
  }

  hdl::CoreFileSet FileSet() const { return {.testbench = options_.testbench, .axis = options_.axis}; }

  std::ostream& err_;
  const GenOptions& options_;
};

// Whether an existing variation's model records any of the RS values.
bool RecordsRsVariation(const WizardInfoModel& model) {
  for (const char* name : {"Enc_Dec", "Disc_Stream", "Fast_Small", "Eras_Stnd", "GENSTART_V",
                           "generate_vectorfile"}) {
    if (model.private_values.FindByName(name)) return true;
  }
  for (const char* name : {"m", "n", "check", "irrpol"}) {
    if (model.constants.FindByName(name)) return true;
  }
  return false;
}

std::string TrimLeadingSpace(const std::string& text) {
  const std::size_t first = text.find_first_not_of(" \t\n\v\f\r");
  return first == std::string::npos ? std::string() : text.substr(first);
}

// The checks of the command line that need nothing but its text.
std::optional<std::string> CheckDesignPath(const GenOptions& options) {
  if (options.design_path.empty()) return std::nullopt;
  const PathParts parts = SplitPath(TrimLeadingSpace(options.design_path));
  if (!IsDesignExtension(parts.extension)) {
    return options.design_path +
           ": illegal extension in design file name: it must end in .tdf, .vhd or .v";
  }
  // "dir/.tdf" would give the files the names ".cnx" and ".vec".
  if (parts.base_name.empty()) {
    return options.design_path + ": the design file name has nothing before its extension";
  }
  if (options.hdl && !hdl::CoreLanguageAvailable(parts.extension)) {
    return options.design_path +
           ": --hdl writes Verilog or VHDL only: the design file must end in .v or .vhd";
  }
  if (options.hdl) {
    if (auto problem = hdl::CoreNameProblem(parts.extension, parts.base_name)) {
      return options.design_path + ": " + *problem;
    }
  }
  if (options.axis) {
    if (auto problem = hdl::AxisWrapperNameProblem(parts.extension, parts.base_name)) {
      return options.design_path + ": " + *problem;
    }
  }
  return std::nullopt;
}

void PrintLines(std::ostream& out, const std::vector<std::string>& lines) {
  for (const std::string& line : lines) out << NativeSeparators(line) << '\n';
}

int Generate(const GenOptions& options, TextMetrics& metrics, FileSystem& files,
             std::ostream& out, std::ostream& err) {
  StreamMessages messages(err);
  NoNotifier notifier;
  GenProcess process;
  PlatformServices services{messages, notifier, metrics, files, process};
  GenWizardApp app(services, err, options);
  if (!options.design_path.empty()) app.SetDesignPath(options.design_path);
  app.set_new_file(!options.edit);
  app.set_symbol_flag(options.symbol);
  // Edit mode reads the variation exactly as the wizard does; an unreadable
  // file is reported through the message service.
  if (options.edit && !app.ReadExistingVariation()) return 1;
  if (options.edit && !RecordsRsVariation(app.model())) {
    // Empty, binary or another plug-in's file: say so rather than pass the
    // defaults off as the variation that was asked for.
    err << kGenProgramName << ": warning: " << NativeSeparators(app.WizardFilePath())
        << " records no RS variation; the new-variation defaults were used\n";
    app.parameters() = RsParameters{};
  }

  RsParameters parameters = app.parameters();
  if (auto error = ApplyGenOptions(options, parameters)) {
    PrintError(err, *error);
    return 1;
  }
  app.parameters() = parameters;
  // As the device type page does each time it opens.
  app.ApplyModuleNameRule();

  if (options.list || options.throughput) {
    if (options.list) {
      const HostState& host = app.host();
      std::vector<std::string> lines = SummaryFileLines(
          SummaryFileList(host.design_base_name, app.design_extension(), options.symbol),
          host.design_directory);
      // With --hdl the design file (and a VHDL core's component declaration)
      // is this program's, listed with its own files.
      const std::vector<std::string> hdl_files = app.HdlFilePaths();
      std::erase_if(lines, [&](const std::string& line) {
        return std::any_of(hdl_files.begin(), hdl_files.end(),
                           [&](const std::string& path) { return line == NativeSeparators(path); });
      });
      PrintLines(out, lines);
      PrintLines(out, app.ExtraFilePaths());
      PrintLines(out, hdl_files);
    }
    if (options.throughput) {
      const std::string frequency = FormatInt(WholeNumber(options.throughput->text).value());
      out << ThroughputText(parameters, frequency) << '\n';
      // With --hdl, the core it would write, as the extra files page states it.
      if (options.hdl) out << hdl::CoreFiguresText(parameters, frequency) << '\n';
    }
    return 0;
  }

  // All files are put in place, or none (an extra file that fails throws
  // GenExit out of the write).
  std::vector<std::string> written = app.ExtraFilePaths();
  for (const std::string& path : app.HdlFilePaths()) written.push_back(path);
  app.WriteWizardFile();
  if (app.write_failed()) return 1;
  written.push_back(app.WizardFilePath());
  if (!options.quiet) PrintLines(out, written);
  return 0;
}

}  // namespace

GenCommand ParseGenCommandLine(const std::vector<std::string>& args, const GenToolSyntax& tool) {
  const std::string see_help = " (see " + tool.program + " --help)";
  GenCommand command;
  GenOptions& options = command.options;
  bool options_ended = false;
  bool have_design = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool is_option = !options_ended && arg.size() > 1 && arg[0] == '-';
    if (!is_option) {
      if (have_design) {
        return Error("more than one " + tool.operand + " given: '" + options.design_path +
                     "' and '" + arg + "'" + see_help);
      }
      if (arg.empty()) return Error("the " + tool.operand + " name is empty" + see_help);
      options.design_path = arg;
      have_design = true;
      continue;
    }
    if (arg == "--") {
      options_ended = true;
      continue;
    }
    const bool long_option = arg.compare(0, 2, "--") == 0;
    const std::size_t equals = long_option ? arg.find('=') : std::string::npos;
    const std::string name =
        long_option ? arg.substr(0, equals) : arg.substr(0, 2);  // "-m5" is "-m" and "5"
    std::optional<std::string> attached;
    if (long_option && equals != std::string::npos) attached = arg.substr(equals + 1);
    if (!long_option && arg.size() > 2) attached = arg.substr(2);

    if (name == "--help" || name == "--version") {
      if (attached) return Error("option '" + name + "' takes no value" + see_help);
      command.action = name == "--help" ? GenAction::kHelp : GenAction::kVersion;
      return command;
    }
    const auto own = std::find_if(tool.options.begin(), tool.options.end(),
                                  [&](const GenToolSyntax::Option& o) { return o.name == name; });
    const auto number = Numbers().find(name);
    if (number != Numbers().end() || (own != tool.options.end() && own->takes_value)) {
      std::string value;
      if (attached) {
        value = *attached;
      } else if (i + 1 < args.size()) {
        value = args[++i];  // taken whatever it looks like: "--genstart -1"
      } else {
        return Error("option '" + name + "' needs a value" + see_help);
      }
      if (number != Numbers().end()) {
        options.*(number->second) = GenNumber{name, value};
      } else {
        options.tool_options[name] = value;
      }
      continue;
    }
    if (own != tool.options.end()) {
      if (attached) return Error("option '" + name + "' takes no value" + see_help);
      options.tool_options[name] = std::string();
      continue;
    }
    const auto choice = long_option ? Choices().find(name) : Choices().end();
    const auto flag = long_option ? Switches().find(name) : Switches().end();
    if (choice == Choices().end() && flag == Switches().end()) {
      return Error("unknown option '" + (long_option ? name : arg) + "'" + see_help);
    }
    if (attached) return Error("option '" + name + "' takes no value" + see_help);
    if (choice != Choices().end()) {
      options.*(choice->second.field) = choice->second.value;
    } else {
      options.*(flag->second) = true;
    }
  }
  // Only the throughput of a new variation needs no design file.
  const bool needs_design = options.edit || options.list || options.hdl || !options.throughput;
  if (!have_design && needs_design) return Error("no " + tool.operand + " given" + see_help);
  if (options.testbench && !options.hdl) return Error("--testbench needs --hdl" + see_help);
  if (options.axis && !options.hdl) return Error("--axis needs --hdl" + see_help);
  return command;
}

std::optional<std::string> ApplyGenOptions(const GenOptions& options, RsParameters& parameters) {
  RsParameters p = parameters;
  std::string error;
  if (options.dvb) {
    p.m = 8;
    p.n = 204;
    p.r = 16;
    p.irrpol = 285;
    p.genstart = 0;
  }
  const std::pair<const std::optional<int>&, int&> choices[] = {
      {options.enc_dec, p.Enc_Dec},         {options.eras_stnd, p.Eras_Stnd},
      {options.disc_stream, p.Disc_Stream}, {options.fast_small, p.Fast_Small},
      {options.generate_vectorfile, p.generate_vectorfile}, {options.msym_mbit, p.Msym_Mbit},
  };
  for (const auto& [given, field] : choices) {
    if (given) field = *given;
  }
  // A decoder option for an encoder would change nothing in its files: most
  // likely --decoder was forgotten.
  if (p.Enc_Dec != 0) {
    struct DecoderOnly {
      const std::optional<int>& given;
      const char* spelling[2];  // for the values 0 and 1
    };
    const DecoderOnly decoder_only[] = {
        {options.eras_stnd, {"--standard", "--erasures"}},
        {options.disc_stream, {"--streaming", "--discrete"}},
        {options.fast_small, {"--half", "--full"}},
    };
    for (const DecoderOnly& option : decoder_only) {
      if (option.given) {
        return std::string(option.spelling[*option.given]) + " is for a decoder: add --decoder";
      }
    }
  }

  if (options.m) {
    const auto m = CheckRange(*options.m, kMinM, kMaxM, "", "", error);
    if (!m) return error;
    p.m = *m;
  }
  if (options.irrpol) {
    const std::span<const int> row = field_polynomials(p.m);
    const std::optional<long long> value = WholeNumber(options.irrpol->text);
    const bool legal =
        value && *value >= INT_MIN && *value <= INT_MAX && IsListItem(row, static_cast<int>(*value));
    if (!legal) {
      return options.irrpol->option + " " + Shown(options.irrpol->text) +
             (value ? " is out of range: " : " is not an integer: ") + WithM(p.m) +
             "it must be one of " + JoinedList(row);
    }
    p.irrpol = static_cast<int>(*value);
  } else {
    p.irrpol = RefillIrrpol(p.irrpol, p.m);
  }
  // r before n: n's lowest value follows r, so r is checked against the
  // field alone (leaving room for an n) and n against m and r.
  const int highest_r = std::min(kMaxR, MaxN(p.m) - 1);
  if (options.r) {
    const auto r = CheckRange(*options.r, kMinR, highest_r, WithM(p.m), "", error);
    if (!r) return error;
    p.r = *r;
  } else if (p.r < kMinR || p.r > highest_r) {
    p.r = kMinR;  // the fallback of the r list
  }
  if (options.n) {
    const auto n = CheckRange(*options.n, MinN(p.r), MaxN(p.m), WithMAndR(p.m, p.r), "", error);
    if (!n) return error;
    p.n = *n;
  } else {
    p.n = RefillN(p.n, p.r, p.m);
  }
  if (options.genstart) {
    const auto genstart =
        CheckRange(*options.genstart, 0, MaxGenstart(p.r, p.m), WithMAndR(p.m, p.r), "", error);
    if (!genstart) return error;
    p.genstart = *genstart;
  } else {
    p.genstart = RefillGenstart(p.genstart, p.r, p.m);
  }

  if (options.throughput) {
    if (!CheckRange(*options.throughput, 0, INT_MAX, "", " MHz", error)) return error;
    if (p.Enc_Dec != 0) return std::string("--throughput is for a decoder: add --decoder");
  }
  parameters = p;
  return std::nullopt;
}

std::string GenHelpText() {
  return R"(Usage: codexel-gen [OPTIONS] DESIGN_FILE
Makes the Reed-Solomon variation for DESIGN_FILE (ending in .tdf, .vhd or .v)
without the wizard's pages. Beside DESIGN_FILE it writes the wizard
information file (.cnx), the test-vector file (.vec) unless --no-vectors, and
for a decoder the inverse-table memory file (inv_M_IRRPOL.hex), then prints
the path of each file written, one a line. The bytes are those the wizard's
Finish writes for the same choices.

Device (a new variation: encoder; a decoder is standard, discrete, full;
the decoder options need a decoder):
      --encoder          RS encoder
      --decoder          RS decoder
      --standard         standard decoder
      --erasures         erasure-supporting decoder
      --discrete         discrete architecture
      --streaming        streaming architecture
      --full             full speed (faster)
      --half             half speed (smaller)

Code parameters (a new variation: m 4, n 5, r 4, irrpol 19, genstart 0):
  -m N                   bits per symbol: 4 to 8
  -n N                   symbols per codeword: max(5, r + 1) to 2^m - 1
  -r N                   check symbols per codeword: 4 to min(50, n - 1)
      --irrpol N         field polynomial: one of those of m (default: the
                         first of m)
      --genstart N       first root of the generator polynomial:
                         0 to 2^m - 1 - r
      --dvb              the "DVB Standard" preset (m 8, n 204, r 16,
                         irrpol 285, genstart 0), applied before the others
  A value not given keeps its value while it stays legal with the others,
  else it falls back as on the wizard's parameters page: irrpol to the first
  of m, r to 4, n to max(5, r + 1), genstart to 0. A value given is never
  changed: when it is illegal with the others, nothing is written.

Files:
      --edit             start from the wizard information file beside
                         DESIGN_FILE, as the wizard's edit mode loads it,
                         then apply the options given
      --no-vectors       no test-vector file
      --vectors          a test-vector file (the default of a new variation)
      --symbol           the caller can make a symbol file (as -symbol of
                         the wizard; listed by --list)
      --hdl              also the core itself, with the recorded ports: a .v
                         DESIGN_FILE gets one self-contained Verilog-2005
                         module named after it; a .vhd one an entity named
                         after it (VHDL-93 and VHDL-2008), and NAME.cmp its
                         component declaration; a .tdf one is refused
      --testbench        with --hdl: also NAME_tb.v (or NAME_tb.vhd), the
                         test-vector file as a testbench in the design's
                         language that prints PASS or FAIL
      --axis             with --hdl: also NAME_axis.v (or NAME_axis.vhd, its
                         component in NAME.cmp), the core with AXI4-Stream
                         ports, which instantiates NAME unchanged
      --quiet            print nothing about the files written

Information only (nothing is written):
      --list             print the files the plug-in manager will create and
                         the extra files
      --throughput MHZ   print the decoder's throughput at a clock of MHZ;
                         DESIGN_FILE may be left out; with --hdl then the
                         core's latency, interval and rate at MHZ
      --msym             ... in megasymbols per second (default)
      --mbit             ... in megabits per second

      --help             print this help and exit
      --version          print the version and exit

Values go after their option (-n 204, -n204, --irrpol 285, --irrpol=285);
a later choice overrides an earlier one; "--" ends the options.
Exit status: 0 done; 1 an error (then no file is written or changed).
The wizard's help (F1 on its pages) is codexel.hlp beside the codexel
program: /usr/lib/codexel/codexel.hlp when installed from the package.
)";
}

std::string GenVersionText() {
  return std::string(kGenProgramName) + " (" + kRsProgramTitle + ")\n";
}

int RunGenerator(const std::vector<std::string>& args,
                 const std::function<TextMetrics&()>& metrics, FileSystem& files,
                 std::ostream& out, std::ostream& err) {
  const GenCommand command = ParseGenCommandLine(args);
  int status = 0;
  switch (command.action) {
    case GenAction::kHelp:
      out << GenHelpText();
      break;
    case GenAction::kVersion:
      out << GenVersionText();
      break;
    case GenAction::kError:
      PrintError(err, command.error);
      return 1;
    case GenAction::kRun:
      if (auto error = CheckDesignPath(command.options)) {
        PrintError(err, *error);
        return 1;
      }
      try {
        status = Generate(command.options, metrics(), files, out, err);
      } catch (const GenExit& exit) {
        status = exit.status;
      }
      break;
  }
  out.flush();
  if (!out) {
    PrintError(err, "cannot write to standard output");
    return 1;
  }
  return status;
}

}  // namespace codexel
