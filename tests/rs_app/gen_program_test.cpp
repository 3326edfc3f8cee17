// The codexel-gen program as a process: the files it writes against those
// the wizard's Finish writes in-process for the same choices (both measuring
// text with Qt on the offscreen platform), edit mode, the error cases with
// their lines and an unchanged directory, and the information options.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QProcess>
#include <QTemporaryDir>
#include <filesystem>
#include <map>
#include <optional>

#include "rs_pages/rs_page_factory.h"
#include "platform/qt_services.h"
#include "rs_engine/rs_wizard_app.h"
#include "tests/support/fakes.h"
#include "tests/support/modal_helper.h"
#include "tests/support/parameter_sets.h"
#include "tests/support/test_files.h"

namespace codexel {
namespace {

using testing::AsDecoder;
using testing::Code;
using testing::DvbDecoder;
using testing::ModalDriver;
using testing::ReadFile;
using testing::WriteText;

// Every entry of a directory: files with their bytes, directories marked.
using Snapshot = std::map<std::string, std::string>;

Snapshot Take(const std::string& dir) {
  Snapshot snapshot;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    const std::string name = entry.path().filename().string();
    snapshot[name] = entry.is_directory() ? "<directory>" : ReadFile(entry.path().string());
  }
  return snapshot;
}

std::vector<std::string> Names(const Snapshot& snapshot) {
  std::vector<std::string> names;
  for (const auto& [name, bytes] : snapshot) names.push_back(name);
  return names;
}

struct ProcessResult {
  int status = -1;
  std::string out;
  std::string err;
};

QProcessEnvironment OffscreenEnvironment() {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "offscreen");
  return env;
}

// Runs codexel-gen in `dir`; fails the test when it does not end in time.
ProcessResult RunGen(const std::vector<std::string>& args, const std::string& dir,
                     const QProcessEnvironment& env = OffscreenEnvironment(),
                     const QString& stdout_file = QString()) {
  QProcess process;
  process.setProgram(CODEXEL_GEN_PATH);
  QStringList arguments;
  for (const std::string& arg : args) arguments << QString::fromStdString(arg);
  process.setArguments(arguments);
  process.setWorkingDirectory(QString::fromStdString(dir));
  process.setProcessEnvironment(env);
  if (!stdout_file.isEmpty()) process.setStandardOutputFile(stdout_file);
  process.start();
  ProcessResult result;
  if (!process.waitForFinished(30000)) {
    process.kill();
    process.waitForFinished(5000);
    ADD_FAILURE() << "codexel-gen did not end";
    return result;
  }
  EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << "codexel-gen crashed";
  result.status = process.exitCode();
  result.out = process.readAllStandardOutput().toStdString();
  result.err = process.readAllStandardError().toStdString();
  return result;
}

class GenProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(wizard_dir_.isValid());
    ASSERT_TRUE(gen_dir_.isValid());
  }
  std::string WizardDir() const { return wizard_dir_.path().toStdString(); }
  std::string GenDir() const { return gen_dir_.path().toStdString(); }

  // The wizard in-process: started with `args`, the parameter set (when
  // given) put in place on the first page as the RS pages would leave it,
  // then Finish.
  int RunWizard(const std::vector<std::string>& args,
                const std::optional<RsParameters>& chosen = std::nullopt, bool axis = false) {
    RsWizardApp app(services_, &pages_);
    ModalDriver driver(std::chrono::seconds(10));
    driver.Click("finishButton").Inspect([&](QWidget&) {
      if (chosen) app.parameters() = *chosen;
      app.ApplyModuleNameRule();
      if (axis) {
        EXPECT_TRUE(app.set_write_axis(true));
      }
    });
    const int status = app.Run(args);
    driver.Finish();
    return status;
  }

  QTemporaryDir wizard_dir_;
  QTemporaryDir gen_dir_;
  testing::RecordingMessages messages_;
  testing::RecordingNotifier notifier_;
  QtTextMetrics metrics_;  // real fonts, as the program measures them
  PosixFileSystem files_;
  testing::FakeProcess process_;
  PlatformServices services_{messages_, notifier_, metrics_, files_, process_};
  QtRsPageFactory pages_;
};

// ---- The wizard's bytes ----

RsParameters WithoutVectors(RsParameters p) {
  p.generate_vectorfile = 0;
  return p;
}

struct SameBytesCase {
  const char* name;
  std::string design;                   // file name of the design
  std::vector<std::string> gen_args;    // before the design path
  bool symbol;                          // the wizard's -symbol
  std::optional<RsParameters> chosen;  // on the RS pages; none: the defaults
  std::vector<std::string> files;      // what both write
  bool axis = false;                    // the wrapper's box on
};

class SameBytesTest : public GenProgramTest, public ::testing::WithParamInterface<SameBytesCase> {};

TEST_P(SameBytesTest, GeneratorWritesWhatFinishWrites) {
  const SameBytesCase& c = GetParam();
  std::vector<std::string> wizard_args = {"-n"};
  if (c.symbol) wizard_args.push_back("-symbol");
  wizard_args.push_back(WizardDir() + "/" + c.design);
  ASSERT_EQ(RunWizard(wizard_args, c.chosen, c.axis), 0);
  const Snapshot wizard = Take(WizardDir());
  ASSERT_EQ(Names(wizard), c.files);

  std::vector<std::string> gen_args = c.gen_args;
  gen_args.push_back(GenDir() + "/" + c.design);
  const ProcessResult gen = RunGen(gen_args, GenDir());
  ASSERT_EQ(gen.status, 0) << gen.err;
  EXPECT_EQ(gen.err, "");
  const Snapshot generated = Take(GenDir());
  ASSERT_EQ(Names(generated), c.files);
  for (const auto& [name, bytes] : wizard) {
    EXPECT_TRUE(generated.at(name) == bytes) << name << " differs";
  }
  // One path a line, in the order written: extra files, then the .cnx.
  std::string printed;
  for (const std::string& name : c.files) {
    if (name.ends_with(".hex")) printed += GenDir() + "/" + name + "\n";
  }
  for (const std::string& name : c.files) {
    if (name.ends_with(".vec")) printed += GenDir() + "/" + name + "\n";
  }
  for (const std::string& name : c.files) {  // the core, which the wizard writes for a ".v" or ".vhd" design
    if (name == c.design) printed += GenDir() + "/" + name + "\n";
  }
  for (const std::string& name : c.files) {  // and a VHDL core's component declaration
    if (name.ends_with(".cmp")) printed += GenDir() + "/" + name + "\n";
  }
  for (const std::string& name : c.files) {  // and the AXI4-Stream wrapper
    if (name.find("_axis.") != std::string::npos) printed += GenDir() + "/" + name + "\n";
  }
  for (const std::string& name : c.files) {
    if (name.ends_with(".cnx")) printed += GenDir() + "/" + name + "\n";
  }
  EXPECT_EQ(gen.out, printed);
}

INSTANTIATE_TEST_SUITE_P(
    Choices, SameBytesTest,
    ::testing::Values(
        SameBytesCase{"EncoderDefaults", "rs.tdf", {}, true, std::nullopt, {"rs.cnx", "rs.vec"}},
        SameBytesCase{"DvbStandardDiscrete", "rs.tdf", {"--dvb", "--decoder"}, false,
                      DvbDecoder(), {"inv_8_285.hex", "rs.cnx", "rs.vec"}},
        SameBytesCase{"DvbErasureDiscrete", "rs.tdf", {"--decoder", "--erasures", "--dvb"}, false,
                      DvbDecoder({.eras = 1}), {"inv_8_285.hex", "rs.cnx", "rs.vec"}},
        SameBytesCase{"DvbStandardStreaming", "rs.tdf", {"--dvb", "--decoder", "--streaming"},
                      false, DvbDecoder({.discrete = 0}), {"inv_8_285.hex", "rs.cnx", "rs.vec"}},
        SameBytesCase{"DvbErasureStreaming", "rs.tdf",
                      {"--dvb", "--decoder", "--erasures", "--streaming"}, false,
                      DvbDecoder({.eras = 1, .discrete = 0}),
                      {"inv_8_285.hex", "rs.cnx", "rs.vec"}},
        SameBytesCase{"DvbErasureStreamingHalfVhdl", "codec.vhd",
                      {"--dvb", "--decoder", "--erasures", "--streaming", "--half", "--hdl"}, false,
                      DvbDecoder({.eras = 1, .discrete = 0, .full = 0}),
                      {"codec.cmp", "codec.cnx", "codec.vec", "codec.vhd", "inv_8_285.hex"}},
        SameBytesCase{"FiveBitsSevenChecks", "rs.tdf", {"-m", "5", "-r", "7"}, false,
                      Code(5, 8, 7, 37), {"rs.cnx", "rs.vec"}},
        SameBytesCase{"NoVectorsDecoder", "rs.tdf", {"--dvb", "--decoder", "--no-vectors"}, false,
                      WithoutVectors(DvbDecoder()), {"inv_8_285.hex", "rs.cnx"}},
        SameBytesCase{"NoVectorsVerilogEncoder", "enc.v", {"--no-vectors", "--hdl"}, false,
                      WithoutVectors(RsParameters{}), {"enc.cnx", "enc.v"}},
        SameBytesCase{"VerilogErasureStreamingDecoder", "dec.v",
                      {"--dvb", "--decoder", "--erasures", "--streaming", "--hdl"}, false,
                      DvbDecoder({.eras = 1, .discrete = 0}),
                      {"dec.cnx", "dec.v", "dec.vec", "inv_8_285.hex"}},
        SameBytesCase{"VerilogStreamingDecoderWithWrapper", "dec.v",
                      {"--dvb", "--decoder", "--streaming", "--hdl", "--axis"}, false,
                      DvbDecoder({.discrete = 0}),
                      {"dec.cnx", "dec.v", "dec.vec", "dec_axis.v", "inv_8_285.hex"}, true},
        SameBytesCase{"VhdlEncoderWithWrapper", "enc.vhd", {"--hdl", "--axis"}, false, std::nullopt,
                      {"enc.cmp", "enc.cnx", "enc.vec", "enc.vhd", "enc_axis.vhd"}, true},
        SameBytesCase{"SixBitHalfSpeedDecoder", "d6.tdf",
                      {"--decoder", "-m", "6", "--irrpol=115", "-n40", "-r", "9", "--genstart",
                       "7", "--half", "--symbol"},
                      true, AsDecoder(Code(6, 40, 9, 115, 7), {.full = 0}),
                      {"d6.cnx", "d6.vec", "inv_6_115.hex"}}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Edit mode ----

struct EditCase {
  const char* name;
  std::string design;
  std::optional<RsParameters> chosen;
  bool axis = false;  // the wrapper written too
};

class EditTest : public GenProgramTest, public ::testing::WithParamInterface<EditCase> {};

TEST_P(EditTest, EditWithoutOptionsRewritesTheWizardsFiles) {
  const std::string design = WizardDir() + "/" + GetParam().design;
  ASSERT_EQ(RunWizard({"-n", design}, GetParam().chosen, GetParam().axis), 0);
  const Snapshot wizard = Take(WizardDir());
  // The extra files go, so that they must be written again; the .cnx is
  // replaced by a new file.
  std::string cnx;
  for (const auto& [name, bytes] : wizard) {
    if (name.ends_with(".cnx")) {
      cnx = WizardDir() + "/" + name;
    } else {
      std::filesystem::remove(WizardDir() + "/" + name);
    }
  }
  struct stat before {};
  ASSERT_EQ(::stat(cnx.c_str(), &before), 0);
  // The wizard wrote the core for a Verilog or VHDL design: --hdl writes it again.
  std::vector<std::string> gen_args = {"--edit", "--quiet", design};
  if (design.ends_with(".v") || design.ends_with(".vhd")) gen_args.insert(gen_args.begin(), "--hdl");
  if (GetParam().axis) gen_args.insert(gen_args.begin(), "--axis");
  const ProcessResult gen = RunGen(gen_args, WizardDir());
  ASSERT_EQ(gen.status, 0) << gen.err;
  EXPECT_EQ(gen.out, "");
  EXPECT_EQ(Take(WizardDir()), wizard);
  struct stat after {};
  ASSERT_EQ(::stat(cnx.c_str(), &after), 0);
  EXPECT_NE(after.st_ino, before.st_ino) << "the .cnx was not written again";
  if (!GetParam().axis) return;
  // The wizard's edit mode starts with the wrapper's box on beside a
  // wrapper of its own, and Finish writes it again.
  const std::string wrapper = design.substr(0, design.rfind('.')) + "_axis" + design.substr(design.rfind('.'));
  ASSERT_EQ(::stat(wrapper.c_str(), &before), 0);
  ASSERT_EQ(RunWizard({design}), 0);
  EXPECT_EQ(Take(WizardDir()), wizard);
  ASSERT_EQ(::stat(wrapper.c_str(), &after), 0);
  EXPECT_NE(after.st_ino, before.st_ino) << "the wrapper was not written again";
}

INSTANTIATE_TEST_SUITE_P(
    Variations, EditTest,
    ::testing::Values(EditCase{"EncoderDefaults", "rs.tdf", std::nullopt},
                      EditCase{"DvbErasureStreaming", "rs.tdf",
                               DvbDecoder({.eras = 1, .discrete = 0})},
                      EditCase{"HalfSpeedDiscreteVhdl", "core.vhd", DvbDecoder({.full = 0})},
                      EditCase{"VerilogEncoderWithoutVectors", "enc.v",
                               WithoutVectors(Code(7, 100, 20, 253, 50))},
                      EditCase{"VhdlDecoderWithWrapper", "dec.vhd", DvbDecoder({.eras = 1, .full = 0}), true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(GenProgramTest, EditOfADamagedFileLoadsAsTheWizardDoes) {
  const std::string damaged =
      "GENERATION: STANDARD\nPRIVATE: Enc_Dec NUMERIC \"0\"\nPRIVATE: Eras_Stnd NUMERIC \"7\"\n"
      "CONSTANT: m NUMERIC \"12\"\nCONSTANT: n NUMERIC \"900\"\nCONSTANT: check NUMERIC \"x\"\n"
      "CONSTANT: irrpol NUMERIC \"77\"\nPRIVATE: GENSTART_V NUMERIC \"-5\"\n";
  WriteText(WizardDir() + "/rs.cnx", damaged);
  WriteText(GenDir() + "/rs.cnx", damaged);
  ASSERT_EQ(RunWizard({WizardDir() + "/rs.tdf"}), 0);
  const ProcessResult gen = RunGen({"--edit", "rs.tdf"}, GenDir());
  ASSERT_EQ(gen.status, 0) << gen.err;
  EXPECT_EQ(Take(GenDir()), Take(WizardDir()));
}

TEST_F(GenProgramTest, EditAppliesTheOptionsGiven) {
  ASSERT_EQ(RunWizard({"-n", WizardDir() + "/rs.tdf"}, DvbDecoder({.eras = 1, .discrete = 0})),
            0);
  ASSERT_EQ(RunGen({"--edit", "--standard", "--discrete", "--genstart", "9", "rs.tdf"},
                   WizardDir())
                .status,
            0);
  RsParameters edited = DvbDecoder();
  edited.genstart = 9;
  ASSERT_EQ(RunWizard({"-n", GenDir() + "/rs.tdf"}, edited), 0);
  EXPECT_EQ(ReadFile(WizardDir() + "/rs.cnx"), ReadFile(GenDir() + "/rs.cnx"));
  EXPECT_EQ(ReadFile(WizardDir() + "/rs.vec"), ReadFile(GenDir() + "/rs.vec"));
}

// ---- Errors: exit 1, one line, nothing written ----

struct ErrorCase {
  const char* name;
  std::vector<std::string> args;
  std::string line;  // all of standard error
};

class GenErrorTest : public GenProgramTest, public ::testing::WithParamInterface<ErrorCase> {};

TEST_P(GenErrorTest, ExitsOneAndLeavesTheDirectoryAsItWas) {
  WriteText(GenDir() + "/rs.cnx", "an earlier variation\n");
  WriteText(GenDir() + "/rs.vec", "its vectors\n");
  const Snapshot before = Take(GenDir());
  const ProcessResult gen = RunGen(GetParam().args, GenDir());
  EXPECT_EQ(gen.status, 1);
  EXPECT_EQ(gen.err, GetParam().line + "\n");
  EXPECT_EQ(gen.out, "");
  EXPECT_EQ(Take(GenDir()), before);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GenErrorTest,
    ::testing::Values(
        ErrorCase{"NOutOfRange", {"--dvb", "-n", "300", "rs.tdf"},
                  "codexel-gen: -n 300 is out of range: with m 8 and r 16 it must be 17 to 255"},
        ErrorCase{"MOutOfRange", {"rs.tdf", "-m", "9"}, "codexel-gen: -m 9 is out of range: it must be 4 to 8"},
        ErrorCase{"ROutOfRange", {"-r", "60", "-m", "8", "rs.tdf"},
                  "codexel-gen: -r 60 is out of range: with m 8 it must be 4 to 50"},
        ErrorCase{"IrrpolOfAnotherField", {"--irrpol", "285", "rs.tdf"},
                  "codexel-gen: --irrpol 285 is out of range: with m 4 it must be one of 19, 25"},
        ErrorCase{"GenstartOutOfRange", {"--genstart", "12", "rs.tdf"},
                  "codexel-gen: --genstart 12 is out of range: with m 4 and r 4 it must be 0 to 11"},
        ErrorCase{"NotANumber", {"-n", "lots", "rs.tdf"},
                  "codexel-gen: -n lots is not an integer: with m 4 and r 4 it must be 5 to 15"},
        ErrorCase{"UnknownOption", {"--fast", "rs.tdf"},
                  "codexel-gen: unknown option '--fast' (see codexel-gen --help)"},
        ErrorCase{"MissingValue", {"rs.tdf", "--genstart"},
                  "codexel-gen: option '--genstart' needs a value (see codexel-gen --help)"},
        ErrorCase{"BadExtension", {"rs.vhdl"},
                  "codexel-gen: rs.vhdl: illegal extension in design file name: it must end in "
                  ".tdf, .vhd or .v"},
        ErrorCase{"UpperCaseExtension", {"rs.TDF"},
                  "codexel-gen: rs.TDF: illegal extension in design file name: it must end in "
                  ".tdf, .vhd or .v"},
        ErrorCase{"NoDesignFile", {"--decoder"},
                  "codexel-gen: no design file given (see codexel-gen --help)"},
        ErrorCase{"EditWithoutItsFile", {"--edit", "other.tdf"},
                  "codexel-gen: Can't open file other.cnx"},
        ErrorCase{"ThroughputOfAnEncoder", {"--throughput", "100", "rs.tdf"},
                  "codexel-gen: --throughput is for a decoder: add --decoder"},
        ErrorCase{"ThroughputNotWhole", {"--decoder", "--throughput", "1e3"},
                  "codexel-gen: --throughput 1e3 is not an integer: it must be 0 to 2147483647 "
                  "MHz"}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Files that cannot be written ----

TEST_F(GenProgramTest, VectorFileThatCannotBeWrittenKeepsTheOldVariation) {
  WriteText(GenDir() + "/rs.cnx", "an earlier variation\n");
  std::filesystem::create_directory(GenDir() + "/rs.vec");
  const ProcessResult gen = RunGen({"--decoder", GenDir() + "/rs.tdf"}, GenDir());
  EXPECT_EQ(gen.status, 1);
  EXPECT_EQ(gen.err, "codexel-gen: " + GenDir() + "/rs.vec: Is a directory\n");
  EXPECT_EQ(gen.out, "") << "the memory file is not written either";
  const Snapshot after = Take(GenDir());
  EXPECT_EQ(Names(after), (std::vector<std::string>{"rs.cnx", "rs.vec"}));
  EXPECT_EQ(after.at("rs.cnx"), "an earlier variation\n");
}

TEST_F(GenProgramTest, WizardFileThatCannotBeWrittenIsReported) {
  std::filesystem::create_directory(GenDir() + "/rs.cnx");
  const ProcessResult gen = RunGen({"rs.tdf"}, GenDir());
  EXPECT_EQ(gen.status, 1);
  EXPECT_EQ(gen.err, "codexel-gen: rs.cnx: Is a directory\n");
  EXPECT_EQ(gen.out, "");
  EXPECT_EQ(Names(Take(GenDir())), std::vector<std::string>{"rs.cnx"})
      << "neither the vector file nor a temporary file is left behind";
}

TEST_F(GenProgramTest, MissingDirectory) {
  const ProcessResult gen = RunGen({"nowhere/rs.tdf"}, GenDir());
  EXPECT_EQ(gen.status, 1);
  EXPECT_EQ(gen.err, "codexel-gen: nowhere/rs.vec: No such file or directory\n");
  EXPECT_TRUE(Take(GenDir()).empty());
}

TEST_F(GenProgramTest, OutputThatCannotBeWritten) {
  const ProcessResult gen = RunGen({"--version"}, GenDir(), OffscreenEnvironment(), "/dev/full");
  EXPECT_EQ(gen.status, 1);
  EXPECT_EQ(gen.err, "codexel-gen: cannot write to standard output\n");
}

// ---- Information only ----

TEST_F(GenProgramTest, HelpAndVersion) {
  const ProcessResult help = RunGen({"--help"}, GenDir());
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("Usage: codexel-gen [OPTIONS] DESIGN_FILE\n", 0), 0u);
  EXPECT_EQ(help.err, "");
  const ProcessResult version = RunGen({"--version"}, GenDir());
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "codexel-gen (Codexel V1.00)\n");
  EXPECT_TRUE(Take(GenDir()).empty());
}

TEST_F(GenProgramTest, ListAndThroughputWriteNothing) {
  const ProcessResult list = RunGen({"--list", "--symbol", "--decoder", "--dvb", "rs.v"}, GenDir());
  EXPECT_EQ(list.status, 0) << list.err;
  EXPECT_EQ(list.out, "rs.v\nrs.inc\nrs.cmp\nrs.sym\ninv_8_285.hex\nrs.vec\n");
  const ProcessResult throughput =
      RunGen({"--dvb", "--decoder", "--throughput", "100", "--mbit"}, GenDir());
  EXPECT_EQ(throughput.status, 0) << throughput.err;
  EXPECT_EQ(throughput.out, "Throughput is 219.1 Mbit/s\n");
  EXPECT_TRUE(Take(GenDir()).empty());
}

// ---- Machines without a display ----

TEST_F(GenProgramTest, BareServerMeasuresOnTheOffscreenPlatform) {
  ASSERT_EQ(RunGen({"--dvb", "--decoder", "--erasures", "rs.tdf"}, WizardDir()).status, 0);
  QProcessEnvironment bare = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_SESSION_TYPE"}) {
    bare.remove(name);
  }
  const ProcessResult gen = RunGen({"--dvb", "--decoder", "--erasures", "rs.tdf"}, GenDir(), bare);
  ASSERT_EQ(gen.status, 0) << gen.err;
  EXPECT_EQ(gen.err, "");
  EXPECT_EQ(Take(GenDir()), Take(WizardDir()));
}

TEST_F(GenProgramTest, DisplayThatCannotBeReachedFallsBackToOffscreen) {
  ASSERT_EQ(RunGen({"--dvb", "rs.tdf"}, WizardDir()).status, 0);
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_SESSION_TYPE"}) {
    env.remove(name);
  }
  env.insert("DISPLAY", ":31999");  // no server there
  const ProcessResult gen = RunGen({"--dvb", "rs.tdf"}, GenDir(), env);
  ASSERT_EQ(gen.status, 0) << gen.err;
  EXPECT_EQ(gen.err,
            "codexel-gen: the display cannot be reached; text is measured on the offscreen "
            "platform\n");
  EXPECT_EQ(Take(GenDir()), Take(WizardDir()));
}

}  // namespace
}  // namespace codexel
