// The batch generator in-process: its command line, the checks of the values
// with their error lines, and whole runs on files held in memory.

#include "app/batch_generator.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "rs_engine/rs_wizard_app.h"
#include "tests/support/fakes.h"
#include "tests/support/parameter_sets.h"

namespace codexel {
namespace {

using Args = std::vector<std::string>;
using testing::FakeServices;
using testing::MemoryFileSystem;

// ---- Command line ----

struct ParseCase {
  const char* name;
  Args args;
  GenAction action;
  std::string error;        // kError only
  std::string design_path;  // kRun only
};

class ParseTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseTest, ActionAndError) {
  const GenCommand command = ParseGenCommandLine(GetParam().args);
  EXPECT_EQ(command.action, GetParam().action);
  EXPECT_EQ(command.error, GetParam().error);
  if (GetParam().action == GenAction::kRun) {
    EXPECT_EQ(command.options.design_path, GetParam().design_path);
  }
}

const std::string kSee = " (see codexel-gen --help)";

INSTANTIATE_TEST_SUITE_P(
    Cases, ParseTest,
    ::testing::Values(
        ParseCase{"Plain", {"rs.tdf"}, GenAction::kRun, "", "rs.tdf"},
        ParseCase{"OptionsAfterTheFile", {"rs.v", "--decoder"}, GenAction::kRun, "", "rs.v"},
        ParseCase{"DoubleDashEndsOptions", {"--", "--decoder"}, GenAction::kRun, "", "--decoder"},
        ParseCase{"LoneDashIsAFile", {"-"}, GenAction::kRun, "", "-"},
        ParseCase{"ThroughputNeedsNoFile", {"--throughput", "5"}, GenAction::kRun, "", ""},
        ParseCase{"HelpWhereItStands", {"--help", "--bogus"}, GenAction::kHelp, "", ""},
        ParseCase{"Version", {"x.tdf", "--version"}, GenAction::kVersion, "", ""},
        ParseCase{"ErrorBeforeHelp",
                  {"--bogus", "--help"},
                  GenAction::kError,
                  "unknown option '--bogus'" + kSee,
                  ""},
        ParseCase{"UnknownShort", {"-q", "x.tdf"}, GenAction::kError, "unknown option '-q'" + kSee, ""},
        ParseCase{"WizardStyleOption",
                  {"-symbol", "x.tdf"},
                  GenAction::kError,
                  "unknown option '-symbol'" + kSee,
                  ""},
        ParseCase{"MissingValue", {"x.tdf", "-m"}, GenAction::kError, "option '-m' needs a value" + kSee, ""},
        ParseCase{"MissingLongValue",
                  {"x.tdf", "--throughput"},
                  GenAction::kError,
                  "option '--throughput' needs a value" + kSee,
                  ""},
        ParseCase{"ValueOnASwitch",
                  {"--decoder=1", "x.tdf"},
                  GenAction::kError,
                  "option '--decoder' takes no value" + kSee,
                  ""},
        ParseCase{"ValueOnHelp", {"--help=all"}, GenAction::kError, "option '--help' takes no value" + kSee, ""},
        ParseCase{"TwoFiles",
                  {"a.tdf", "b.tdf"},
                  GenAction::kError,
                  "more than one design file given: 'a.tdf' and 'b.tdf'" + kSee,
                  ""},
        ParseCase{"EmptyFileName", {"--throughput", "5", ""}, GenAction::kError,
                  "the design file name is empty" + kSee, ""},
        ParseCase{"NoFile", {"--decoder"}, GenAction::kError, "no design file given" + kSee, ""},
        ParseCase{"AxisNeedsHdl", {"--axis", "rs.v"}, GenAction::kError, "--axis needs --hdl" + kSee, ""},
        ParseCase{"ListNeedsAFile", {"--list"}, GenAction::kError, "no design file given" + kSee, ""},
        ParseCase{"EditNeedsAFile",
                  {"--edit", "--throughput", "5"},
                  GenAction::kError,
                  "no design file given" + kSee,
                  ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ParseValuesTest, ValueSpellingsAndLaterChoicesWin) {
  const GenCommand command = ParseGenCommandLine(
      {"-n204", "--irrpol=285", "-r", "16", "--genstart", "-1", "--decoder", "--encoder",
       "--erasures", "--streaming", "--half", "--no-vectors", "--mbit", "--throughput=7", "--dvb",
       "--edit", "--quiet", "--list", "--symbol", "-m", "8", "x.tdf"});
  ASSERT_EQ(command.action, GenAction::kRun) << command.error;
  const GenOptions& o = command.options;
  ASSERT_TRUE(o.n && o.irrpol && o.r && o.genstart && o.m && o.throughput);
  EXPECT_EQ(o.n->option, "-n");
  EXPECT_EQ(o.n->text, "204");
  EXPECT_EQ(o.irrpol->option, "--irrpol");
  EXPECT_EQ(o.irrpol->text, "285");
  EXPECT_EQ(o.r->text, "16");
  EXPECT_EQ(o.genstart->text, "-1") << "a value is taken whatever it looks like";
  EXPECT_EQ(o.m->text, "8");
  EXPECT_EQ(o.throughput->text, "7");
  EXPECT_EQ(o.enc_dec, 1);
  EXPECT_EQ(o.eras_stnd, 1);
  EXPECT_EQ(o.disc_stream, 0);
  EXPECT_EQ(o.fast_small, 0);
  EXPECT_EQ(o.generate_vectorfile, 0);
  EXPECT_EQ(o.msym_mbit, 0);
  EXPECT_TRUE(o.dvb && o.edit && o.quiet && o.list && o.symbol);
}

TEST(ParseValuesTest, NothingGivenLeavesEveryChoiceOpen) {
  const GenOptions o = ParseGenCommandLine({"x.tdf"}).options;
  EXPECT_FALSE(o.enc_dec || o.eras_stnd || o.disc_stream || o.fast_small ||
               o.generate_vectorfile || o.msym_mbit || o.m || o.n || o.r || o.irrpol ||
               o.genstart || o.throughput);
  EXPECT_FALSE(o.dvb || o.edit || o.quiet || o.list || o.symbol);
}

// Another tool on the same parser: its own options beside the generator's,
// its name and operand in the error lines.
TEST(ToolSyntaxTest, OwnOptionsBesideTheGenerators) {
  const GenToolSyntax tool{"tool", "output file", {{"--scale", true}, {"--lines", false}}};
  const GenCommand command =
      ParseGenCommandLine({"--scale", "3", "--decoder", "-m8", "--lines", "out.png"}, tool);
  ASSERT_EQ(command.action, GenAction::kRun) << command.error;
  EXPECT_EQ(command.options.tool_options,
            (std::map<std::string, std::string>{{"--scale", "3"}, {"--lines", ""}}));
  EXPECT_EQ(command.options.enc_dec, 0);
  EXPECT_EQ(command.options.m->text, "8");
  EXPECT_EQ(command.options.design_path, "out.png");
  EXPECT_EQ(ParseGenCommandLine({"--scale=4", "--scale", "5", "o"}, tool).options.tool_options,
            (std::map<std::string, std::string>{{"--scale", "5"}}));

  const std::pair<Args, std::string> errors[] = {
      {{}, "no output file given (see tool --help)"},
      {{"a", "b"}, "more than one output file given: 'a' and 'b' (see tool --help)"},
      {{"o", "--scale"}, "option '--scale' needs a value (see tool --help)"},
      {{"o", "--lines=1"}, "option '--lines' takes no value (see tool --help)"},
      {{"o", "--m", "8"}, "unknown option '--m' (see tool --help)"},
  };
  for (const auto& [args, error] : errors) {
    EXPECT_EQ(ParseGenCommandLine(args, tool).error, error);
  }
  EXPECT_EQ(ParseGenCommandLine({"--scale", "2", "x.tdf"}).error,
            "unknown option '--scale' (see codexel-gen --help)")
      << "the generator itself has no such option";
}

// ---- Values ----

// The options of `args` applied to `start`; the error line or the result.
struct Applied {
  std::optional<std::string> error;
  RsParameters parameters;
};

Applied Apply(const Args& args, RsParameters start = {}) {
  Args with_file = args;
  with_file.push_back("x.tdf");
  const GenCommand command = ParseGenCommandLine(with_file);
  EXPECT_EQ(command.action, GenAction::kRun) << command.error;
  Applied applied{std::nullopt, start};
  applied.error = ApplyGenOptions(command.options, applied.parameters);
  return applied;
}

struct CodeCase {
  const char* name;
  Args args;
  int m, n, r, irrpol, genstart;
};

class LegalValuesTest : public ::testing::TestWithParam<CodeCase> {};

TEST_P(LegalValuesTest, GivenValuesKeptOthersFollow) {
  const Applied applied = Apply(GetParam().args);
  ASSERT_FALSE(applied.error) << *applied.error;
  const RsParameters& p = applied.parameters;
  EXPECT_EQ(p.m, GetParam().m);
  EXPECT_EQ(p.n, GetParam().n);
  EXPECT_EQ(p.r, GetParam().r);
  EXPECT_EQ(p.irrpol, GetParam().irrpol);
  EXPECT_EQ(p.genstart, GetParam().genstart);
  EXPECT_TRUE(IsLegalCode(p));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LegalValuesTest,
    ::testing::Values(CodeCase{"Defaults", {}, 4, 5, 4, 19, 0},
                      CodeCase{"Dvb", {"--dvb"}, 8, 204, 16, 285, 0},
                      CodeCase{"FiveBitsSevenChecks", {"-m", "5", "-r", "7"}, 5, 8, 7, 37, 0},
                      CodeCase{"IrrpolFollowsM", {"-m", "8"}, 8, 5, 4, 285, 0},
                      CodeCase{"OtherIrrpol", {"-m", "4", "--irrpol", "25"}, 4, 5, 4, 25, 0},
                      // As typing 4 into the bits field after the preset.
                      CodeCase{"DvbThenFourBits", {"--dvb", "-m", "4"}, 4, 5, 4, 19, 0},
                      CodeCase{"DvbThenSevenBits", {"--dvb", "-m", "7"}, 7, 17, 16, 131, 0},
                      CodeCase{"OptionsAfterPresetWin",
                               {"-n", "255", "--dvb", "-r", "50", "--genstart", "205"},
                               8, 255, 50, 285, 205},
                      CodeCase{"HighestFirstRoot", {"--genstart", "11"}, 4, 5, 4, 19, 11},
                      CodeCase{"PlusSign", {"-m", "+6"}, 6, 5, 4, 67, 0},
                      CodeCase{"LowestNForR", {"--dvb", "-n", "17"}, 8, 17, 16, 285, 0}),
    [](const auto& info) { return std::string(info.param.name); });

struct ErrorCase {
  const char* name;
  Args args;
  std::string error;
};

class IllegalValuesTest : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(IllegalValuesTest, OneLineNamingTheValueAndItsRange) {
  RsParameters start;
  start.genstart = 3;
  const Applied applied = Apply(GetParam().args, start);
  ASSERT_TRUE(applied.error);
  EXPECT_EQ(*applied.error, GetParam().error);
  EXPECT_EQ(applied.parameters, start) << "an error changes nothing";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IllegalValuesTest,
    ::testing::Values(
        ErrorCase{"NAboveTheField", {"--dvb", "-n", "300"},
                  "-n 300 is out of range: with m 8 and r 16 it must be 17 to 255"},
        ErrorCase{"NBelowTheChecks", {"--dvb", "-n", "16"},
                  "-n 16 is out of range: with m 8 and r 16 it must be 17 to 255"},
        ErrorCase{"NBelowFive", {"-n", "4"}, "-n 4 is out of range: with m 4 and r 4 it must be 5 to 15"},
        ErrorCase{"MTooLarge", {"-m", "9"}, "-m 9 is out of range: it must be 4 to 8"},
        ErrorCase{"MTooSmall", {"-m", "3"}, "-m 3 is out of range: it must be 4 to 8"},
        ErrorCase{"MNotANumber", {"-m", "8x"}, "-m 8x is not an integer: it must be 4 to 8"},
        ErrorCase{"MEmpty", {"-m", ""}, "-m '' is not an integer: it must be 4 to 8"},
        ErrorCase{"MWithSpace", {"-m", " 8"}, "-m ' 8' is not an integer: it must be 4 to 8"},
        ErrorCase{"RTooSmall", {"-r", "3"}, "-r 3 is out of range: with m 4 it must be 4 to 14"},
        ErrorCase{"RBeyondFifty", {"-m", "8", "-r", "51"}, "-r 51 is out of range: with m 8 it must be 4 to 50"},
        ErrorCase{"RNoRoomForN", {"-r", "15"}, "-r 15 is out of range: with m 4 it must be 4 to 14"},
        ErrorCase{"IrrpolOfAnotherM", {"--irrpol", "37"},
                  "--irrpol 37 is out of range: with m 4 it must be one of 19, 25"},
        ErrorCase{"IrrpolWrappingAround", {"--irrpol", "4294967315"},  // 19 + 2^32
                  "--irrpol 4294967315 is out of range: with m 4 it must be one of 19, 25"},
        ErrorCase{"IrrpolAfterPreset", {"--irrpol", "300", "--dvb"},
                  "--irrpol 300 is out of range: with m 8 it must be one of 285, 299, 301, 333, "
                  "351, 355, 357, 361, 369, 391, 397, 425, 451, 463, 487, 501"},
        ErrorCase{"GenstartNegative", {"--genstart", "-1"},
                  "--genstart -1 is out of range: with m 4 and r 4 it must be 0 to 11"},
        ErrorCase{"GenstartTooLarge", {"--dvb", "--genstart", "240"},
                  "--genstart 240 is out of range: with m 8 and r 16 it must be 0 to 239"},
        ErrorCase{"HugeValue", {"-n", "99999999999999999999999"},
                  "-n 99999999999999999999999 is out of range: with m 4 and r 4 it must be 5 to 15"},
        ErrorCase{"HugeNegative", {"--genstart", "-99999999999999999999999"},
                  "--genstart -99999999999999999999999 is out of range: with m 4 and r 4 it must "
                  "be 0 to 11"},
        ErrorCase{"ErasuresOfAnEncoder", {"--decoder", "--erasures", "--encoder"},
                  "--erasures is for a decoder: add --decoder"},
        ErrorCase{"HalfSpeedOfAnEncoder", {"--half"}, "--half is for a decoder: add --decoder"},
        ErrorCase{"StreamingOfAnEncoder", {"--streaming", "--standard"},
                  "--standard is for a decoder: add --decoder"},
        ErrorCase{"ThroughputOfAnEncoder", {"--throughput", "100"},
                  "--throughput is for a decoder: add --decoder"},
        ErrorCase{"ThroughputNotWhole", {"--decoder", "--throughput", "100.5"},
                  "--throughput 100.5 is not an integer: it must be 0 to 2147483647 MHz"},
        ErrorCase{"ThroughputNegative", {"--decoder", "--throughput", "-5"},
                  "--throughput -5 is out of range: it must be 0 to 2147483647 MHz"}),
    [](const auto& info) { return std::string(info.param.name); });

// Every combination of given values either fails or leaves a legal code that
// keeps each value given.
TEST(ApplyCombinationsTest, GivenValuesAreKeptOrRefused) {
  const std::vector<std::string> ms = {"", "4", "5", "8"};
  const std::vector<std::string> rs = {"", "4", "7", "16", "50"};
  const std::vector<std::string> ns = {"", "5", "8", "17", "100", "255"};
  const std::vector<std::string> genstarts = {"", "0", "9", "200"};
  for (bool dvb : {false, true}) {
    for (const auto& m : ms) {
      for (const auto& r : rs) {
        for (const auto& n : ns) {
          for (const auto& g : genstarts) {
            Args args;
            if (dvb) args.push_back("--dvb");
            if (!m.empty()) args.insert(args.end(), {"-m", m});
            if (!r.empty()) args.insert(args.end(), {"-r", r});
            if (!n.empty()) args.insert(args.end(), {"-n", n});
            if (!g.empty()) args.insert(args.end(), {"--genstart", g});
            const Applied applied = Apply(args);
            if (applied.error) continue;
            const RsParameters& p = applied.parameters;
            SCOPED_TRACE(::testing::PrintToString(args));
            EXPECT_TRUE(IsLegalCode(p));
            const auto kept = [](const std::string& given, int value) {
              return given.empty() || std::stoi(given) == value;
            };
            EXPECT_TRUE(kept(m, p.m) && kept(r, p.r) && kept(n, p.n) && kept(g, p.genstart));
          }
        }
      }
    }
  }
}

TEST(ApplyChoicesTest, DeviceAndFileChoices) {
  const Applied applied = Apply({"--decoder", "--erasures", "--streaming", "--half",
                                 "--no-vectors", "--mbit"});
  ASSERT_FALSE(applied.error);
  const RsParameters& p = applied.parameters;
  EXPECT_EQ(p.Enc_Dec, 0);
  EXPECT_EQ(p.Eras_Stnd, 1);
  EXPECT_EQ(p.Disc_Stream, 0);
  EXPECT_EQ(p.Fast_Small, 0);
  EXPECT_EQ(p.generate_vectorfile, 0);
  EXPECT_EQ(p.Msym_Mbit, 0);
  EXPECT_EQ(ModuleName(p), "rs_eras_str");
}

TEST(ApplyChoicesTest, EditedSetKeepsWhatIsNotGiven) {
  // An edited streaming, half-speed decoder with uncommon values.
  RsParameters loaded = testing::AsDecoder(testing::Code(8, 204, 16, 299, 5),
                                           {.discrete = 0, .full = 0});
  loaded.generate_vectorfile = 0;
  EXPECT_EQ(Apply({}, loaded).parameters, loaded);
  EXPECT_EQ(Apply({"-m", "8"}, loaded).parameters, loaded) << "irrpol is kept for the same m";
  EXPECT_EQ(Apply({"-m", "7"}, loaded).parameters.irrpol, 131);
  RsParameters vectors_back = loaded;
  vectors_back.generate_vectorfile = 1;
  EXPECT_EQ(Apply({"--vectors"}, loaded).parameters, vectors_back);
}

// ---- Whole runs on files in memory ----

class GeneratorRunTest : public ::testing::Test {
 protected:
  int Run(const Args& args) {
    out_.str("");
    err_.str("");
    return RunGenerator(
        args,
        [this]() -> TextMetrics& {
          ++platform_starts_;
          return fakes_.metrics;
        },
        fakes_.files, out_, err_);
  }

  // The wizard's own Finish for the parameters the generator ended with.
  std::map<std::string, std::string> WizardFinish(const RsParameters& p, const std::string& path) {
    FakeServices wizard;
    RsWizardApp app(wizard.services, nullptr);
    app.SetDesignPath(path);
    app.set_new_file(true);
    app.parameters() = p;
    app.ApplyModuleNameRule();
    app.WriteWizardFile();
    return wizard.files.files;
  }

  FakeServices fakes_;
  std::ostringstream out_;
  std::ostringstream err_;
  int platform_starts_ = 0;
};

TEST_F(GeneratorRunTest, WritesTheWizardsBytesAndPrintsThePaths) {
  ASSERT_EQ(Run({"--dvb", "--decoder", "--erasures", "--streaming", "/w/rs.tdf"}), 0)
      << err_.str();
  EXPECT_EQ(out_.str(), "/w/inv_8_285.hex\n/w/rs.vec\n/w/rs.cnx\n");
  EXPECT_EQ(err_.str(), "");
  EXPECT_EQ(fakes_.files.files,
            WizardFinish(testing::DvbDecoder({.eras = 1, .discrete = 0}), "/w/rs.tdf"));
  EXPECT_NE(fakes_.files.files["/w/rs.cnx"].find("MODULE: rs_eras_str\n"), std::string::npos);
  EXPECT_TRUE(fakes_.messages.shown.empty()) << "no message box, ever";
}

TEST_F(GeneratorRunTest, QuietPrintsNothing) {
  ASSERT_EQ(Run({"--quiet", "--no-vectors", "/w/rs.v"}), 0);
  EXPECT_EQ(out_.str(), "");
  EXPECT_EQ(fakes_.files.written, std::vector<std::string>{"/w/rs.cnx"});
}

TEST_F(GeneratorRunTest, CommandLineErrorsWriteNothingAndStartNoPlatform) {
  for (const Args& args : {Args{"--bogus", "/w/rs.tdf"}, Args{"/w/rs.vhdl"}, Args{"/w/rs.TDF"},
                           Args{"/w/rs"}, Args{"/w/.tdf"}, Args{""}, Args{" "}, Args{}}) {
    EXPECT_EQ(Run(args), 1);
    const std::string err = err_.str();
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
  }
  EXPECT_EQ(err_.str(),
            "codexel-gen: no design file given (see codexel-gen --help)\n");
  Run({"/w/rs.vhdl"});
  EXPECT_EQ(err_.str(),
            "codexel-gen: /w/rs.vhdl: illegal extension in design file name: it must end in "
            ".tdf, .vhd or .v\n");
  Run({"/w/.tdf"});
  EXPECT_EQ(err_.str(),
            "codexel-gen: /w/.tdf: the design file name has nothing before its extension\n");
  EXPECT_EQ(platform_starts_, 0);
  EXPECT_TRUE(fakes_.files.files.empty());
  EXPECT_EQ(out_.str(), "");
}

TEST_F(GeneratorRunTest, IllegalValueWritesNothing) {
  fakes_.files.files["/w/rs.cnx"] = "old";
  EXPECT_EQ(Run({"--dvb", "-n", "300", "/w/rs.tdf"}), 1);
  EXPECT_EQ(err_.str(),
            "codexel-gen: -n 300 is out of range: with m 8 and r 16 it must be 17 to 255\n");
  EXPECT_TRUE(fakes_.files.written.empty());
  EXPECT_EQ(fakes_.files.files["/w/rs.cnx"], "old");
}

TEST_F(GeneratorRunTest, EditWithoutAFile) {
  EXPECT_EQ(Run({"--edit", "/w/rs.tdf"}), 1);
  EXPECT_EQ(err_.str(), "codexel-gen: Can't open file /w/rs.cnx\n");
  EXPECT_TRUE(fakes_.files.written.empty());
}

TEST_F(GeneratorRunTest, EditRewritesUnchangedAndAppliesOptions) {
  ASSERT_EQ(Run({"--decoder", "-m", "6", "--irrpol", "115", "-n", "40", "-r", "9", "--genstart",
                 "7", "--half", "/w/rs.tdf"}),
            0);
  const auto first = fakes_.files.files;
  fakes_.files.files.erase("/w/rs.vec");
  fakes_.files.files.erase("/w/inv_6_115.hex");
  ASSERT_EQ(Run({"--edit", "/w/rs.tdf"}), 0) << err_.str();
  EXPECT_EQ(fakes_.files.files, first);

  ASSERT_EQ(Run({"--edit", "--encoder", "/w/rs.tdf"}), 0);
  const std::string block = fakes_.files.files["/w/rs.cnx"];
  EXPECT_NE(block.find("MODULE: RS_Enc\n"), std::string::npos);
  EXPECT_NE(block.find("CONSTANT: irrpol NUMERIC \"115\"\n"), std::string::npos);
  EXPECT_NE(block.find("PRIVATE: GENSTART_V NUMERIC \"7\"\n"), std::string::npos);
}

// Whichever file fails, and however, nothing is put in place: the paths
// printed are those written, so none is printed.
struct GenFailureCase {
  const char* name;
  const char* path;
  std::map<std::string, bool> MemoryFileSystem::*failure;
  const char* reason;
  bool axis = false;  // the core and its AXI4-Stream wrapper too, for /w/rs.v
};

class GenFailureTest : public GeneratorRunTest,
                       public ::testing::WithParamInterface<GenFailureCase> {};

TEST_P(GenFailureTest, LeavesEveryFileAsItWas) {
  const GenFailureCase& c = GetParam();
  fakes_.files.files["/w/rs.cnx"] = "old";
  fakes_.files.files["/w/rs.vec"] = "old vectors";
  (fakes_.files.*c.failure)[c.path] = true;
  EXPECT_EQ(Run(c.axis ? Args{"--decoder", "--hdl", "--axis", "/w/rs.v"} : Args{"--decoder", "/w/rs.tdf"}), 1);
  EXPECT_EQ(err_.str(), std::string("codexel-gen: ") + c.path + ": " + c.reason + "\n");
  EXPECT_EQ(out_.str(), "");
  EXPECT_EQ(fakes_.files.files, (std::map<std::string, std::string>{
                                    {"/w/rs.cnx", "old"}, {"/w/rs.vec", "old vectors"}}));
  EXPECT_TRUE(fakes_.messages.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Files, GenFailureTest,
    ::testing::Values(
        GenFailureCase{"MemoryFileWrite", "/w/inv_4_19.hex", &MemoryFileSystem::fail_write,
                       "No space left on device"},
        GenFailureCase{"VectorFileOpen", "/w/rs.vec", &MemoryFileSystem::fail_open,
                       "Permission denied"},
        GenFailureCase{"WizardFileWrite", "/w/rs.cnx", &MemoryFileSystem::fail_write,
                       "No space left on device"},
        GenFailureCase{"PutInPlace", "/w/rs.vec", &MemoryFileSystem::fail_commit,
                       "Input/output error"},
        GenFailureCase{"WrapperWrite", "/w/rs_axis.v", &MemoryFileSystem::fail_write, "No space left on device",
                       true},
        GenFailureCase{"WrapperPutInPlace", "/w/rs_axis.v", &MemoryFileSystem::fail_commit, "Input/output error",
                       true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(GeneratorRunTest, EditOfAFileWithoutAVariationWarnsAndUsesTheDefaults) {
  ASSERT_EQ(Run({"--quiet", "/new/rs.tdf"}), 0);
  for (const std::string& text :
       {std::string(), std::string("\0\xff\x01PK\n\x7f", 7),
        std::string("GENERATION: STANDARD\nPRIVATE: other NUMERIC \"1\"\n")}) {
    fakes_.files.files["/w/rs.cnx"] = text;
    ASSERT_EQ(Run({"--edit", "--quiet", "/w/rs.tdf"}), 0);
    EXPECT_EQ(err_.str(),
              "codexel-gen: warning: /w/rs.cnx records no RS variation; the new-variation "
              "defaults were used\n");
    EXPECT_EQ(fakes_.files.files["/w/rs.cnx"], fakes_.files.files["/new/rs.cnx"]);
  }
  // One recorded value is a variation: edit mode's defaults fill the rest.
  fakes_.files.files["/w/rs.cnx"] = "CONSTANT: m NUMERIC \"5\"\n";
  ASSERT_EQ(Run({"--edit", "--quiet", "/w/rs.tdf"}), 0);
  EXPECT_EQ(err_.str(), "");
}

TEST_F(GeneratorRunTest, ListWritesNothing) {
  ASSERT_EQ(Run({"--list", "--decoder", "-m", "5", "/w/rs.vhd"}), 0);
  EXPECT_EQ(out_.str(), "/w/rs.vhd\n/w/rs.inc\n/w/rs.cmp\n/w/inv_5_37.hex\n/w/rs.vec\n");
  ASSERT_EQ(Run({"--list", "--symbol", "--no-vectors", "rs.tdf"}), 0);
  EXPECT_EQ(out_.str(), "rs.tdf\nrs.inc\nrs.cmp\nrs.sym\n");
  EXPECT_TRUE(fakes_.files.files.empty());
}

TEST_F(GeneratorRunTest, ThroughputAsTheExtraFilesPageShowsIt) {
  ASSERT_EQ(Run({"--dvb", "--decoder", "--throughput", "100"}), 0) << err_.str();
  EXPECT_EQ(out_.str(), "Throughput is 27.38 Msym/s\n");
  ASSERT_EQ(Run({"--dvb", "--decoder", "--throughput=100", "--mbit"}), 0);
  EXPECT_EQ(out_.str(), "Throughput is 219.1 Mbit/s\n");
  ASSERT_EQ(Run({"--dvb", "--decoder", "--streaming", "--throughput", "100", "/w/rs.tdf"}), 0);
  EXPECT_EQ(out_.str(), "Throughput is 92.73 Msym/s\n");
  ASSERT_EQ(Run({"--decoder", "--half", "--throughput", "1"}), 0);
  EXPECT_EQ(out_.str(), "Throughput is 7.937e-002 Msym/s\n");
  ASSERT_EQ(Run({"--decoder", "--throughput", "0"}), 0);
  EXPECT_EQ(out_.str(), "Throughput is 0. Msym/s\n");
  // With --hdl the core's own line follows: never less than the page's.
  ASSERT_EQ(Run({"--dvb", "--decoder", "--streaming", "--half", "--hdl", "--throughput", "100", "/w/rs.v"}), 0);
  EXPECT_EQ(out_.str(),
            "Throughput is 92.73 Msym/s\n"
            "Core: latency 411 clocks, a codeword every 204 clocks: 100. Msym/s at 100 MHz\n");
  ASSERT_EQ(Run({"--dvb", "--decoder", "--hdl", "--mbit", "--throughput", "100", "/w/rs.vhd"}), 0);
  EXPECT_EQ(out_.str(),
            "Throughput is 219.1 Mbit/s\n"
            "Core: latency 492 clocks, a codeword every 696 clocks: 234.5 Mbit/s at 100 MHz\n");
  EXPECT_TRUE(fakes_.files.files.empty());
}

TEST_F(GeneratorRunTest, HelpAndVersion) {
  ASSERT_EQ(Run({"--help"}), 0);
  EXPECT_EQ(out_.str().rfind("Usage: codexel-gen [OPTIONS] DESIGN_FILE\n", 0), 0u);
  for (const char* option : {"--encoder", "--decoder", "--standard", "--erasures", "--discrete",
                             "--streaming", "--full", "--half", "-m N", "-n N", "-r N",
                             "--irrpol N", "--genstart N", "--dvb", "--edit", "--no-vectors",
                             "--symbol", "--list", "--throughput MHZ", "--msym", "--mbit",
                             "--quiet", "--version"}) {
    EXPECT_NE(out_.str().find(option), std::string::npos) << option;
  }
  ASSERT_EQ(Run({"--version"}), 0);
  EXPECT_EQ(out_.str(), "codexel-gen (Codexel V1.00)\n");
  EXPECT_EQ(platform_starts_, 0);
}

TEST_F(GeneratorRunTest, OutputThatCannotBeWrittenIsAnError) {
  out_.setstate(std::ios::badbit);
  EXPECT_EQ(RunGenerator({"--version"}, nullptr, fakes_.files, out_, err_), 1);
  EXPECT_EQ(err_.str(), "codexel-gen: cannot write to standard output\n");
}

}  // namespace
}  // namespace codexel
