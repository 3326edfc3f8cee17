#include "tests/fuzz/fuzz_checks.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <sstream>
#include <tuple>

#include "app/batch_generator.h"
#include "host/wizard_info.h"
#include "rs_engine/rs_wizard_app.h"
#include "tests/support/fakes.h"
#include "tests/support/parameter_sets.h"

namespace codexel::fuzz {

namespace {

using Files = std::map<std::string, std::string>;

constexpr const char* kDesign = "/w/rs.tdf";
constexpr const char* kWizardFile = "/w/rs.cnx";

std::string Describe(const RsParameters& p) {
  std::ostringstream text;
  text << "Enc_Dec " << p.Enc_Dec << " Disc_Stream " << p.Disc_Stream << " Fast_Small "
       << p.Fast_Small << " Eras_Stnd " << p.Eras_Stnd << " m " << p.m << " n " << p.n << " r "
       << p.r << " irrpol " << p.irrpol << " genstart " << p.genstart << " generate_vectorfile "
       << p.generate_vectorfile;
  return text.str();
}

bool FlagsAreLegal(const RsParameters& p) {
  for (int flag : {p.Enc_Dec, p.Disc_Stream, p.Fast_Small, p.Eras_Stnd, p.generate_vectorfile,
                   p.Msym_Mbit}) {
    if (flag != 0 && flag != 1) return false;
  }
  return true;
}

// The values a block records: the decoder's flags only for a decoder.
bool SameRecordedValues(const RsParameters& a, const RsParameters& b) {
  const auto recorded = [](const RsParameters& p) {
    const bool decoder = p.Enc_Dec == 0;
    return std::make_tuple(p.Enc_Dec, p.m, p.n, p.r, p.irrpol, p.genstart, p.generate_vectorfile,
                           decoder ? p.Disc_Stream : -1, decoder ? p.Fast_Small : -1,
                           decoder ? p.Eras_Stnd : -1);
  };
  return recorded(a) == recorded(b);
}

// The wizard's Finish of a new variation with these choices, in memory.
Files NewVariation(const RsParameters& parameters, const std::string& design = kDesign) {
  testing::FakeServices fakes;
  RsWizardApp app(fakes.services, nullptr);
  app.SetDesignPath(design);
  app.set_new_file(true);
  app.parameters() = parameters;
  app.ApplyModuleNameRule();
  app.WriteWizardFile();
  return fakes.files.files;
}

// NewVariation for the edit-mode harness, remembered for the last few sets:
// fuzzing meets the same few sets again and again, and a run costs as much
// as the rest of the check.
const Files& NewVariationOnce(const RsParameters& p) {
  using Key = std::tuple<int, int, int, int, int, int, int, int, int, int, int>;
  static std::map<Key, Files> runs;
  const Key key{p.m, p.n, p.r, p.irrpol, p.genstart, p.Enc_Dec, p.Disc_Stream,
                p.Fast_Small, p.Eras_Stnd, p.generate_vectorfile, p.Msym_Mbit};
  if (auto known = runs.find(key); known != runs.end()) return known->second;
  if (runs.size() >= 64) runs.clear();
  return runs[key] = NewVariation(p);
}

std::string FirstDifference(const Files& a, const Files& b) {
  for (const auto& [path, bytes] : a) {
    const auto other = b.find(path);
    if (other == b.end()) return path + " is missing";
    if (other->second != bytes) return path + " differs";
  }
  for (const auto& [path, bytes] : b) {
    if (!a.count(path)) return path + " is extra";
  }
  return "none";
}

std::string Quoted(const std::string& text) {
  std::ostringstream quoted;
  for (char c : text) {
    if (c == '\n') {
      quoted << "\\n";
    } else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
      quoted << "\\x" << std::hex << static_cast<int>(static_cast<unsigned char>(c)) << std::dec;
    } else {
      quoted << c;
    }
  }
  return "\"" + quoted.str() + "\"";
}

// ---- codexel-gen with files that are never made ----

// A recorded variation that --edit starts from, whatever the design path.
const std::string& RecordedVariation() {
  static const std::string bytes = NewVariation(
      testing::AsDecoder(testing::Code(6, 40, 9, 115, 7), {.eras = 1, .discrete = 0, .full = 0}),
      "/w/x.tdf")["/w/x.cnx"];
  return bytes;
}

// The set the generator's edit mode starts from: the recorded variation as
// the wizard loads it.
const RsParameters& RecordedParameters() {
  static const RsParameters parameters = [] {
    testing::FakeServices fakes;
    fakes.files.files["/w/x.cnx"] = RecordedVariation();
    RsWizardApp app(fakes.services, nullptr);
    app.SetDesignPath("/w/x.tdf");
    app.ReadExistingVariation();
    return app.parameters();
  }();
  return parameters;
}

// Every wizard information file reads as the recorded variation; a write
// is noted and succeeds without its bytes being made.
class DryFiles : public FileSystem {
  // Records each file committed without making its bytes; committing
  // succeeds; a file staged and then discarded is never written.
  class Batch : public FileBatch {
   public:
    explicit Batch(DryFiles& files) : files_(files) {}
    WriteOutcome Stage(const std::string& path,
                       const std::function<void(std::ostream&)>&) override {
      staged_.push_back(path);
      return {};
    }
    std::optional<FileFailure> Commit() override {
      files_.touched.insert(files_.touched.end(), staged_.begin(), staged_.end());
      staged_.clear();
      return std::nullopt;
    }
    void Discard() override { staged_.clear(); }

   private:
    DryFiles& files_;
    std::vector<std::string> staged_;
  };

 public:
  bool Exists(const std::string& path) override { return IsWizardFile(path); }
  bool Remove(const std::string& path) override {
    touched.push_back("removed " + path);
    return false;
  }
  std::unique_ptr<std::istream> OpenForReading(const std::string& path) override {
    if (!IsWizardFile(path)) return nullptr;
    return std::make_unique<std::istringstream>(RecordedVariation());
  }
  bool Rename(const std::string& from, const std::string& to) override {
    touched.push_back("renamed " + from + " to " + to);
    return false;
  }
  std::unique_ptr<FileBatch> StartBatch() override { return std::make_unique<Batch>(*this); }
  std::vector<std::string> touched;

 private:
  static bool IsWizardFile(const std::string& path) {
    return path.size() >= 4 && path.compare(path.size() - 4, 4, ".cnx") == 0;
  }
};

// The value of a number as given, when it is a whole number that fits.
std::optional<long long> GivenValue(const GenNumber& number) {
  std::string_view text = number.text;
  if (!text.empty() && text[0] == '+') text.remove_prefix(1);
  long long value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

// Every value and choice given is the value the set ended with.
std::optional<std::string> CheckValuesKept(const GenOptions& o, const RsParameters& p) {
  const std::pair<const std::optional<GenNumber>&, int> numbers[] = {
      {o.m, p.m}, {o.n, p.n}, {o.r, p.r}, {o.irrpol, p.irrpol}, {o.genstart, p.genstart}};
  for (const auto& [given, value] : numbers) {
    if (!given) continue;
    const std::optional<long long> as_given = GivenValue(*given);
    if (!as_given || *as_given != value) {
      return given->option + " " + Quoted(given->text) + " was accepted as " +
             std::to_string(value);
    }
  }
  const std::pair<const std::optional<int>&, int> choices[] = {
      {o.enc_dec, p.Enc_Dec},         {o.eras_stnd, p.Eras_Stnd},
      {o.disc_stream, p.Disc_Stream}, {o.fast_small, p.Fast_Small},
      {o.generate_vectorfile, p.generate_vectorfile}, {o.msym_mbit, p.Msym_Mbit}};
  for (const auto& [given, value] : choices) {
    if (given && *given != value) return "a device or file choice was changed";
  }
  if (!IsLegalCode(p) || !FlagsAreLegal(p)) return "an illegal set was accepted: " + Describe(p);
  return std::nullopt;
}

// The files an accepted run of a new or edited variation names, in order.
std::optional<std::string> CheckFilesNamed(const RsParameters& p,
                                           const std::vector<std::string>& touched,
                                           const std::string& out, const GenOptions& options) {
  const bool quiet = options.quiet;
  const auto ends_with = [](const std::string& path, const std::string& end) {
    return path.size() >= end.size() && path.compare(path.size() - end.size(), end.size(), end) == 0;
  };
  // The core, a VHDL core's component declaration, the wrapper, the testbench.
  const std::size_t hdl_files =
      options.hdl ? 1u + (ends_with(options.design_path, ".vhd") ? 1u : 0u) + (options.axis ? 1u : 0u) +
                        (options.testbench ? 1u : 0u)
                  : 0u;
  const std::size_t expected =
      (p.Enc_Dec == 0 ? 1u : 0u) + (p.generate_vectorfile ? 1u : 0u) + hdl_files + 1u;
  if (touched.size() != expected || !ends_with(touched.back(), ".cnx") ||
      (p.Enc_Dec == 0 && !ends_with(touched.front(), "inv_" + std::to_string(p.m) + "_" +
                                                          std::to_string(p.irrpol) + ".hex"))) {
    return "the files written do not fit " + Describe(p);
  }
  std::string listed;
  for (const std::string& path : touched) listed += quiet ? "" : path + "\n";
  if (out != listed) return "the files printed are not those written: " + Quoted(out);
  return std::nullopt;
}

}  // namespace

std::optional<std::string> CheckEditMode(std::string_view bytes) {
  testing::FakeServices edit;
  edit.files.files[kWizardFile] = std::string(bytes);
  RsParameters loaded;
  try {
    RsWizardApp app(edit.services, nullptr);
    app.SetDesignPath(kDesign);
    app.set_new_file(false);
    if (!app.ReadExistingVariation()) return "the existing file was not read";
    loaded = app.parameters();
    if (!IsLegalCode(loaded) || !FlagsAreLegal(loaded)) {
      return "loaded with values out of range: " + Describe(loaded);
    }
    app.ApplyModuleNameRule();  // as the device type page does when it opens
    app.WriteWizardFile();
  } catch (const testing::ProcessExit& exit) {
    return "the run ended with status " + std::to_string(exit.status);
  }
  if (!edit.messages.shown.empty()) return "a message was shown: " + edit.messages.shown[0].text;

  const std::string& written = edit.files.files[kWizardFile];
  const std::string header =
      "GENERATION: STANDARD\nVERSION: WM1.0\nMODULE: " + ModuleName(loaded) + "\n\n";
  if (written.compare(0, header.size(), header) != 0) {
    return "the block does not begin with the header of " + ModuleName(loaded);
  }
  static WizardInfoModel back;  // large: made once, emptied each time
  back.ClearWizardInfo();
  std::istringstream in(written);
  ReadWizardInfoBlock(in, back);
  const RsParameters again = ParametersFromModel(back);
  if (!SameRecordedValues(again, loaded)) {
    return "the block reads back as " + Describe(again) + " instead of " + Describe(loaded);
  }
  const Files& fresh = NewVariationOnce(loaded);
  if (fresh != edit.files.files) {
    return "the files are not those of a new variation with the same choices: " +
           FirstDifference(fresh, edit.files.files);
  }
  return std::nullopt;
}

std::optional<std::string> CheckGenArguments(std::string_view bytes) {
  const std::vector<std::string> args = SplitArguments(bytes);
  DryFiles files;
  testing::FakeTextMetrics metrics;
  std::ostringstream out;
  std::ostringstream err;
  const int status = RunGenerator(
      args, [&]() -> TextMetrics& { return metrics; }, files, out, err);
  const std::string errors = err.str();
  const std::string prefix = std::string(kGenProgramName) + ": ";

  if (status == 1) {
    const bool one_line = errors.size() > prefix.size() + 1 &&
                          errors.compare(0, prefix.size(), prefix) == 0 &&
                          std::count(errors.begin(), errors.end(), '\n') == 1 &&
                          errors.back() == '\n' &&
                          errors.find_first_of(std::string_view("\r\t\0", 3)) == std::string::npos;
    if (!one_line) return "a refusal is not one line: " + Quoted(errors);
    if (!files.touched.empty()) return "a refusal touched " + files.touched[0];
    if (!out.str().empty()) return "a refusal printed " + Quoted(out.str());
  } else if (status != 0) {
    return "exit status " + std::to_string(status);
  } else if (!errors.empty()) {
    return "a run that succeeded printed " + Quoted(errors);
  }

  const GenCommand command = ParseGenCommandLine(args);
  if (command.action == GenAction::kError) {
    return status == 1 ? std::nullopt : std::optional<std::string>("a wrong command line ran");
  }
  if (command.action != GenAction::kRun) {
    const std::string text =
        command.action == GenAction::kHelp ? GenHelpText() : GenVersionText();
    if (status != 0 || out.str() != text || !files.touched.empty()) return "--help or --version";
    return std::nullopt;
  }
  const GenOptions& options = command.options;
  RsParameters p = options.edit ? RecordedParameters() : RsParameters();
  if (const std::optional<std::string> error = ApplyGenOptions(options, p)) {
    if (status != 1) return "an illegal value was accepted: " + *error;
    return std::nullopt;  // or refused for the design path before the values
  }
  if (auto kept = CheckValuesKept(options, p)) return kept;
  if (status == 1) {
    // Only the design path can be wrong once the values are legal: its
    // extension, or a name with nothing before the extension.
    // With --hdl: a path that is neither Verilog nor VHDL, a base name that
    // cannot name a module or an entity, or a core that cannot be made yet.
    bool hdl_refusal = false;
    for (const char* refusal : {"--hdl writes Verilog or VHDL only", "cannot name a Verilog module",
                                "cannot name a VHDL entity", "the core cannot be made in",
                                "one of the AXI4-Stream wrapper's ports"}) {
      hdl_refusal = hdl_refusal || (options.hdl && errors.find(refusal) != std::string::npos);
    }
    if (!hdl_refusal && errors.find("illegal extension in design file name") == std::string::npos &&
        errors.find("the design file name has nothing before its extension") ==
            std::string::npos) {
      return "refused a legal command line: " + Quoted(errors);
    }
    return std::nullopt;
  }
  if (options.list || options.throughput) {
    if (!files.touched.empty()) return "--list or --throughput wrote " + files.touched[0];
    return std::nullopt;
  }
  return CheckFilesNamed(p, files.touched, out.str(), options);
}

std::vector<std::string> SplitArguments(std::string_view bytes) {
  std::vector<std::string> args;
  while (!bytes.empty()) {
    const std::size_t end = std::min(bytes.find('\0'), bytes.size());
    args.emplace_back(bytes.substr(0, end));
    bytes.remove_prefix(std::min(end + 1, bytes.size()));
  }
  return args;
}

std::string JoinArguments(const std::vector<std::string>& args) {
  std::string bytes;
  for (const std::string& arg : args) {
    bytes += arg;
    bytes += '\0';
  }
  return bytes;
}

std::vector<Seed> EditModeSeeds() {
  using testing::AsDecoder;
  using testing::Code;
  const std::pair<const char*, RsParameters> sets[] = {
      {"encoder_defaults", RsParameters()},
      {"encoder_m5", Code(5, 31, 7, 41, 3)},
      {"encoder_m6_no_vectors", [] {
         RsParameters p = Code(6, 63, 50, 103, 13);
         p.generate_vectorfile = 0;
         return p;
       }()},
      {"encoder_m7", Code(7, 127, 20, 253, 100)},
      {"encoder_dvb", testing::DvbCode()},
      {"std_dsc_full", AsDecoder(Code(8, 255, 50, 501, 205))},
      {"std_str_half", AsDecoder(Code(4, 15, 4, 25, 11), {.discrete = 0, .full = 0})},
      {"eras_dsc_half", AsDecoder(Code(7, 100, 16, 137, 0), {.eras = 1, .full = 0})},
      {"eras_str_full", AsDecoder(testing::DvbCode(), {.eras = 1, .discrete = 0})},
  };
  std::vector<Seed> seeds;
  for (const auto& [name, parameters] : sets) {
    seeds.emplace_back(name, NewVariation(parameters)[kWizardFile]);
  }
  // Damaged and foreign blocks the reader must bring back into range.
  seeds.emplace_back("out_of_range",
                     "PRIVATE: Enc_Dec NUMERIC \"7\"\nCONSTANT: m NUMERIC \"12\"\n"
                     "CONSTANT: n NUMERIC \"-3\"\nCONSTANT: check NUMERIC \"2147483647\"\n"
                     "CONSTANT: irrpol NUMERIC \"99999999999\"\n"
                     "PRIVATE: GENSTART_V NUMERIC \"-2147483648\"\n");
  seeds.emplace_back("unquoted_and_escaped",
                     "PRIVATE: Enc_Dec NUMERIC 0\r\nPRIVATE: Eras_Stnd NUMERIC \"1\\t\"\r\n"
                     "CONSTANT: m NUMERIC \"  8\"\r\nCONSTANT: n NUMERIC \"2\\n04\"\r\n"
                     "CONSTANT: check \"16 \" \"x\nprivate: Enc_Dec NUMERIC \"1\"\n");
  seeds.emplace_back("empty", "");
  return seeds;
}

std::vector<Seed> GenArgumentSeeds() {
  const std::pair<const char*, std::vector<std::string>> vectors[] = {
      {"defaults", {"/w/rsenc.tdf"}},
      {"dvb_eras_streaming", {"--dvb", "--decoder", "--erasures", "--streaming", "/w/rsdec.vhd"}},
      {"small_no_vectors", {"-m", "5", "-r", "7", "--no-vectors", "/w/small.v"}},
      {"edit_genstart", {"--edit", "--genstart", "3", "/w/rsdec.vhd"}},
      {"list", {"--list", "--symbol", "--dvb", "--decoder", "/w/rsdec.tdf"}},
      {"throughput", {"--dvb", "--decoder", "--throughput", "100", "--mbit"}},
      {"attached_values", {"-n204", "--irrpol=285", "-m8", "-r16", "--", "-x.v"}},
      {"every_choice", {"--decoder", "--half", "--full", "--standard", "--discrete", "--vectors",
                        "--msym", "--quiet", "x.v"}},
      {"out_of_range", {"--dvb", "-n", "300", "/w/rs.tdf"}},
      {"hdl_testbench", {"--dvb", "--hdl", "--testbench", "/w/rs.v"}},
      {"hdl_refused", {"--hdl", "--decoder", "/w/rs.v"}},
      {"hdl_vhdl", {"--dvb", "--decoder", "--hdl", "--testbench", "/w/rs.vhd"}},
      {"hdl_axis", {"--decoder", "--streaming", "--hdl", "--axis", "/w/rs.vhd"}},
      {"help", {"--help"}},
      {"version", {"--version"}},
  };
  std::vector<Seed> seeds;
  for (const auto& [name, args] : vectors) seeds.emplace_back(name, JoinArguments(args));
  return seeds;
}

}  // namespace codexel::fuzz
