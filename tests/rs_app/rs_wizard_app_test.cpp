// The RS application's store and load steps, without pages: the records, the
// extra files and the symbol lines of whole variations.

#include "rs_engine/rs_wizard_app.h"

#include <gtest/gtest.h>

#include "hdl/design_files.h"

#include <algorithm>
#include <sstream>

#include "tests/support/fakes.h"
#include "tests/support/golden.h"
#include "tests/support/parameter_sets.h"

namespace codexel {
namespace {

using testing::ExpectMatchesGolden;
using testing::FakeServices;
using testing::Code;
using testing::DvbDecoder;
using testing::ProcessExit;

class RsAppTest : public ::testing::Test {
 protected:
  void SetUp() override {
    app_.SetDesignPath("/w/rs.tdf");
    app_.set_new_file(true);
  }
  // Finish as the wizard does once the device type page has set the module.
  std::string Finish() {
    app_.ApplyModuleNameRule();
    app_.WriteWizardFile();
    return fakes_.files.files["/w/rs.cnx"];
  }
  const std::string& File(const std::string& path) { return fakes_.files.files[path]; }

  FakeServices fakes_;
  RsWizardApp app_{fakes_.services, nullptr};
};

TEST_F(RsAppTest, NewEncoderWithTheDefaults) {
  ExpectMatchesGolden(Finish(), "rs_app/encoder_defaults.cnx");
  RsEngine engine(app_.parameters());
  engine.build_alog();
  engine.build_gg();
  LoadTestMessage(engine, 1);
  engine.encode();
  std::ostringstream vectors;
  WriteEncoderVectorFile(vectors, engine, true);
  EXPECT_EQ(File("/w/rs.vec"), vectors.str());
  EXPECT_EQ(fakes_.files.written, (std::vector<std::string>{"/w/rs.vec", "/w/rs.cnx"}))
      << "extra files first, the wizard information file last";
  EXPECT_EQ(app_.host().module_name, "RS_Enc");
}

TEST_F(RsAppTest, DvbErasureStreamingDecoder) {
  app_.parameters() = DvbDecoder({.eras = 1, .discrete = 0});
  ExpectMatchesGolden(Finish(), "rs_app/dvb_eras_streaming.cnx");
  EXPECT_EQ(fakes_.files.written,
            (std::vector<std::string>{"/w/inv_8_285.hex", "/w/rs.vec", "/w/rs.cnx"}));

  RsEngine engine(app_.parameters());
  engine.build_alog();
  std::ostringstream hex;
  engine.write_inverse_hex(hex);
  EXPECT_EQ(File("/w/inv_8_285.hex"), hex.str());
  engine.build_gg();
  LoadTestMessage(engine, 1);
  engine.encode();
  std::ostringstream vectors;
  WriteStreamingDecoderVectorFile(vectors, engine, {.full_speed = true, .erasures = true});
  EXPECT_EQ(File("/w/rs.vec"), vectors.str());
  EXPECT_EQ(app_.host().module_name, "rs_eras_str");
}

TEST_F(RsAppTest, DvbStandardDiscreteHalfSpeedDecoder) {
  app_.parameters() = DvbDecoder({.full = 0});
  app_.parameters().generate_vectorfile = 0;
  ExpectMatchesGolden(Finish(), "rs_app/dvb_std_discrete_half.cnx");
  EXPECT_EQ(fakes_.files.written, (std::vector<std::string>{"/w/inv_8_285.hex", "/w/rs.cnx"}))
      << "the memory file is written without the vector file";
}

struct NumerrCase {
  int r;
  const char* port;
  int wide;
};

class NumerrPortTest : public RsAppTest, public ::testing::WithParamInterface<NumerrCase> {};

TEST_P(NumerrPortTest, WidthFollowsTheCheckSymbols) {
  app_.parameters() = DvbDecoder();
  app_.parameters().r = GetParam().r;
  app_.parameters().n = 60;
  Finish();
  const WizardInfoModel& model = app_.model();
  ASSERT_NE(model.used_ports.FindByName("numerr"), nullptr);
  EXPECT_EQ(model.used_ports.FindByName("numerr")->port_text, GetParam().port);
  EXPECT_EQ(model.constants.GetNumeric("wide", -1), GetParam().wide);
}

INSTANTIATE_TEST_SUITE_P(Widths, NumerrPortTest,
                         ::testing::Values(NumerrCase{7, "numerr[3..1]", 3},
                                           NumerrCase{8, "numerr[4..1]", 4},
                                           NumerrCase{16, "numerr[5..1]", 5},
                                           NumerrCase{50, "numerr[6..1]", 6}));

TEST_F(RsAppTest, DecoderWithFourBitSymbolsRecordsZerosBeyondTheField) {
  app_.parameters() = DvbDecoder({.eras = 1});
  app_.parameters().m = 4;
  app_.parameters().irrpol = 19;
  app_.parameters().n = 15;
  app_.parameters().r = 4;
  Finish();
  const WizardInfoTable& constants = app_.model().constants;
  EXPECT_EQ(constants.GetNumeric("root1", -1), 1);  // alpha^0
  EXPECT_NE(constants.GetNumeric("root15", -1), 0);
  EXPECT_EQ(constants.GetNumeric("root16", -1), 0);  // alpha^15 is past the table
  EXPECT_EQ(constants.GetNumeric("negroot14", -1), 2);  // inverse of alpha^14 = alpha
  EXPECT_EQ(constants.GetNumeric("negroot15", -1), 0);
  EXPECT_EQ(constants.GetNumeric("negroot50", -1), 0);
  EXPECT_EQ(constants.GetNumeric("one_half", -1), 9);
  EXPECT_EQ(constants.GetNumeric("first_root", -1), 9);  // alpha^14
  EXPECT_EQ(constants.FindByName("inv_file")->value, "inv_4_19.hex");
}

TEST_F(RsAppTest, EncoderAfterAnErasureDecoderChoice) {
  app_.parameters().Eras_Stnd = 1;  // chosen, then "Encoder" picked again
  Finish();
  EXPECT_EQ(app_.model().used_ports.FindByName("eras_ind"), nullptr);
  EXPECT_EQ(app_.model().private_values.FindByName("Eras_Stnd"), nullptr);
  EXPECT_EQ(app_.parameters().Eras_Stnd, 1);
  EXPECT_EQ(app_.model().constants.GetNumeric("gg1", -1), 15);
  EXPECT_EQ(app_.model().constants.GetNumeric("gg50", -1), 0);
}

TEST_F(RsAppTest, VectorFileThatCannotBeOpenedEndsTheRun) {
  fakes_.files.fail_open["/w/rs.vec"] = true;
  try {
    Finish();
    FAIL() << "the run should have ended";
  } catch (const ProcessExit& exit) {
    EXPECT_EQ(exit.status, 1);
  }
  ASSERT_EQ(fakes_.messages.shown.size(), 1u);
  EXPECT_EQ(fakes_.messages.shown[0].title, "Error");
  EXPECT_EQ(fakes_.messages.shown[0].text,
            "Unable to open the file /w/rs.vec for writting\n The program can not continue\n\n"
            "Press OK to Exit");
  EXPECT_FALSE(fakes_.files.Exists("/w/rs.cnx"));
}

// ---- The core as the design file ----

// The printed core's header is recognised in either language's comments;
// anything else is the user's.
TEST(ProgramsCoreTest, RecognisesTheHeaderOnly) {
  const std::string made_by = "Made by Codexel V1.00 (codexel-gen --hdl).";
  const struct {
    std::string head;
    bool ours;
  } cases[] = {
      {"// The core of ...\n// " + made_by + "\n`timescale 1ns / 1ps\n", true},
      {"-- The core of ...\n-- Standard, ...\n-- " + made_by + "\nlibrary ieee;\n", true},
      {"// The core of ...\r\n// " + made_by + "\r\n", true},
      {"// " + made_by, true},
      {"module rs;\n// " + made_by + "\n", false},  // past the header
      {"// " + made_by + " and edited\n", false},
      {"// Made by Codexel V1.00.\n", false},
      {"// Made by Codexel V2.00 (codexel-gen --hdl).\n", false},  // another program's title
      {"", false},
      {"// my own core\nmodule rs; endmodule\n", false},
  };
  for (const auto& c : cases) EXPECT_EQ(hdl::IsProgramsCore(c.head, kRsProgramTitle), c.ours) << c.head;
}

struct OfferCase {
  const char* name;
  const char* path;
  bool manager;          // -h given
  const char* existing;  // the file at the design path: none, "own" (printed) or its text
  CoreOffer offer;
  bool can_turn_on;
};

class CoreOfferTest : public RsAppTest, public ::testing::WithParamInterface<OfferCase> {};

TEST_P(CoreOfferTest, OffersTheCoreAndStagesItBeforeTheWizardInformationFile) {
  const OfferCase& c = GetParam();
  app_.SetDesignPath(c.path);
  app_.host().notify = c.manager;
  app_.parameters() = DvbDecoder();
  const std::string design = c.path;
  if (c.existing) {
    const std::string text = c.existing;
    fakes_.files.files[design] =
        text == "own"
            ? "// The core of an older variation.\n// Made by Codexel V1.00 (codexel-gen --hdl).\nmodule rs;\n"
            : text;
  }
  EXPECT_EQ(app_.core_offer(), c.offer);
  EXPECT_FALSE(app_.CoreOfferText().empty());
  EXPECT_EQ(app_.set_write_core(true), c.can_turn_on);
  EXPECT_EQ(app_.write_core(), c.can_turn_on);
  const std::string before = c.existing ? fakes_.files.files[design] : "";
  const std::string base = design.substr(0, design.rfind('.'));
  Finish();
  const std::string extension = design.substr(design.rfind('.'));
  std::vector<std::string> written = {"/w/inv_8_285.hex", base + ".vec", base + ".cnx"};
  if (c.can_turn_on) {  // the design, and a VHDL core's component declaration
    const auto core = hdl::CoreFilePaths("/w/", base.substr(3), extension, {});
    written.insert(written.end() - 1, core.begin(), core.end());
  }
  EXPECT_EQ(fakes_.files.written, written)
      << "the core with the other files, the wizard information file last";
  if (c.can_turn_on) {
    app_.ApplyModuleNameRule();
    const auto core =
        hdl::MakeCoreFiles(app_.parameters(), app_.model(), "/w/", base.substr(3), extension, {},
                           kRsProgramTitle);
    for (const hdl::DesignFile& file : core) EXPECT_EQ(fakes_.files.files[file.path], file.text) << file.path;
  } else if (c.existing) {
    EXPECT_EQ(fakes_.files.files[design], before);
  }
  EXPECT_TRUE(app_.set_write_core(false));
  EXPECT_FALSE(app_.write_core());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CoreOfferTest,
    ::testing::Values(
        OfferCase{"Verilog", "/w/rs.v", false, nullptr, CoreOffer::kOffered, true},
        OfferCase{"OverOwnCore", "/w/rs.v", false, "own", CoreOffer::kOffered, true},
        OfferCase{"OverUsersFile", "/w/rs.v", false, "module rs; endmodule\n", CoreOffer::kOffered, false},
        OfferCase{"OverEmptyFile", "/w/rs.v", false, "", CoreOffer::kOffered, false},
        OfferCase{"ManagerMakesIt", "/w/rs.v", true, nullptr, CoreOffer::kManagerMakesIt, false},
        OfferCase{"Zhdl", "/w/rs.tdf", false, nullptr, CoreOffer::kNoCoreLanguage, false},
        OfferCase{"NotAModuleName", "/w/2rs.v", false, nullptr, CoreOffer::kIllegalName, false},
        OfferCase{"NamedLikeAPort", "/w/numerr.v", false, nullptr, CoreOffer::kIllegalName, false},
        OfferCase{"Vhdl", "/w/rs.vhd", false, nullptr, CoreOffer::kOffered, true},
        OfferCase{"VhdlOverUsersFile", "/w/rs.vhd", false, "entity rs is end;\n", CoreOffer::kOffered, false},
        OfferCase{"VhdlReservedWord", "/w/Entity.vhd", false, nullptr, CoreOffer::kIllegalName, false},
        OfferCase{"VhdlNamedLikeAPortInAnotherCase", "/w/NumErr.vhd", false, nullptr, CoreOffer::kIllegalName,
                  false}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- The AXI4-Stream wrapper beside the core ----

struct AxisCase {
  const char* name;
  const char* path;
  bool core;            // the core box on
  const char* wrapper;  // the file at the wrapper's path: none, "own" (printed) or its text
  bool offered;
  bool can_turn_on;
};

class AxisOfferTest : public RsAppTest, public ::testing::WithParamInterface<AxisCase> {};

TEST_P(AxisOfferTest, OnlyWithTheCoreNeverOverAUsersFileAndStagedWithIt) {
  const AxisCase& c = GetParam();
  app_.SetDesignPath(c.path);
  app_.parameters() = DvbDecoder({.discrete = 0});
  const std::string design = c.path;
  const std::string base = design.substr(3, design.rfind('.') - 3);
  const std::string extension = design.substr(design.rfind('.'));
  const std::string wrapper = "/w/" + base + "_axis" + extension;
  if (c.wrapper) {
    fakes_.files.files[wrapper] =
        std::string(c.wrapper) == "own" ? "// The AXI4-Stream wrapper of ...\n// Made by Codexel V1.00 (codexel-gen --hdl).\n"
                                        : c.wrapper;
  }
  ASSERT_TRUE(app_.set_write_core(c.core));
  EXPECT_EQ(app_.axis_offered(), c.offered);
  EXPECT_FALSE(app_.AxisOfferText().empty());
  EXPECT_EQ(app_.AxisPath(), wrapper);
  EXPECT_EQ(app_.set_write_axis(true), c.can_turn_on);
  EXPECT_EQ(app_.write_axis(), c.can_turn_on);
  const std::string before = c.wrapper ? fakes_.files.files[wrapper] : "";
  Finish();
  if (c.can_turn_on) {  // the core, (the component declarations,) the wrapper, before the .cnx
    const auto core = hdl::CoreFilePaths("/w/", base, extension, {.axis = true});
    EXPECT_EQ(std::vector<std::string>(fakes_.files.written.end() - 1 - static_cast<long>(core.size()),
                                       fakes_.files.written.end() - 1),
              core);
    app_.ApplyModuleNameRule();
    for (const hdl::DesignFile& file : hdl::MakeCoreFiles(app_.parameters(), app_.model(), "/w/", base, extension,
                                                          {.axis = true}, kRsProgramTitle)) {
      EXPECT_EQ(fakes_.files.files[file.path], file.text) << file.path;
    }
  } else {
    EXPECT_EQ(std::count(fakes_.files.written.begin(), fakes_.files.written.end(), wrapper), 0);
    if (c.wrapper) {
      EXPECT_EQ(fakes_.files.files[wrapper], before);
    }
  }
  // Without the core, no wrapper.
  EXPECT_TRUE(app_.set_write_core(false));
  EXPECT_FALSE(app_.write_axis());
  EXPECT_FALSE(app_.axis_offered());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AxisOfferTest,
    ::testing::Values(AxisCase{"Verilog", "/w/rs.v", true, nullptr, true, true},
                      AxisCase{"Vhdl", "/w/rs.vhd", true, nullptr, true, true},
                      AxisCase{"OverOwnWrapper", "/w/rs.v", true, "own", true, true},
                      AxisCase{"OverUsersFile", "/w/rs.v", true, "module rs_axis; endmodule\n", true, false},
                      AxisCase{"VhdlOverUsersFile", "/w/rs.vhd", true, "-- mine\n", true, false},
                      AxisCase{"WithoutTheCore", "/w/rs.v", false, nullptr, false, false},
                      AxisCase{"CoreNamedLikeAWrapperPort", "/w/aclk.v", true, nullptr, false, false},
                      AxisCase{"VhdlNamedLikeAWrapperPortInAnotherCase", "/w/Aresetn.vhd", true, nullptr, false,
                               false}),
    [](const auto& info) { return std::string(info.param.name); });

// A file of the user's that appears at the core's or the wrapper's path
// after its box was set: the run ends with a box naming it, nothing written.
struct AppearingCase {
  const char* name;
  bool axis;
  const char* path;
  const char* text_start;  // the message begins so, or only names the path when empty
};

class UsersFileAppearingTest : public RsAppTest, public ::testing::WithParamInterface<AppearingCase> {};

TEST_P(UsersFileAppearingTest, EndsTheRunWithNothingWritten) {
  const AppearingCase& c = GetParam();
  app_.SetDesignPath("/w/rs.v");
  ASSERT_TRUE(app_.set_write_core(true));
  if (c.axis) {
    ASSERT_TRUE(app_.set_write_axis(true));
  }
  fakes_.files.files[c.path] = "mine\n";
  EXPECT_THROW(Finish(), ProcessExit);
  ASSERT_EQ(fakes_.messages.shown.size(), 1u);
  EXPECT_EQ(fakes_.messages.shown[0].title, "Error");
  EXPECT_NE(fakes_.messages.shown[0].text.find(c.path), std::string::npos);
  EXPECT_EQ(fakes_.messages.shown[0].text.rfind(c.text_start, 0), 0u) << fakes_.messages.shown[0].text;
  EXPECT_TRUE(fakes_.files.written.empty());
  EXPECT_EQ(fakes_.files.files, (std::map<std::string, std::string>{{c.path, "mine\n"}}));
}

INSTANTIATE_TEST_SUITE_P(
    Files, UsersFileAppearingTest,
    ::testing::Values(AppearingCase{"Core", false, "/w/rs.v", ""},
                      AppearingCase{"Wrapper", true, "/w/rs_axis.v",
                                    "The AXI4-Stream wrapper was not written to /w/rs_axis.v: "}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RsAppTest, MemoryFileWriteFailureEndsTheRunBeforeTheVectors) {
  app_.parameters() = DvbDecoder();
  fakes_.files.fail_write["/w/inv_8_285.hex"] = true;
  EXPECT_THROW(Finish(), ProcessExit);
  EXPECT_TRUE(fakes_.files.written.empty());
  EXPECT_TRUE(fakes_.files.files.empty());
}

TEST_F(RsAppTest, ExtraFilePaths) {
  EXPECT_EQ(app_.ExtraFilePaths(), std::vector<std::string>{"/w/rs.vec"});
  app_.parameters() = DvbDecoder();
  EXPECT_EQ(app_.ExtraFilePaths(), (std::vector<std::string>{"/w/inv_8_285.hex", "/w/rs.vec"}));
  app_.parameters().generate_vectorfile = 0;
  EXPECT_EQ(app_.ExtraFilePaths(), std::vector<std::string>{"/w/inv_8_285.hex"});
}

TEST_F(RsAppTest, SymbolLinesFollowTheFinalParameters) {
  app_.parameters() = DvbDecoder({.eras = 1});
  const std::string block = Finish();
  std::ostringstream symbol;
  app_.rs_symbol().WriteSymbol(symbol);
  ASSERT_FALSE(symbol.str().empty());
  EXPECT_EQ(block.substr(block.size() - symbol.str().size()), symbol.str());
  EXPECT_NE(block.find("PINSTUB 0 128 IN eras_ind"), std::string::npos);
}

// ---- Module name rule ----

TEST(ModuleNameTest, ByDeviceChoice) {
  struct Case {
    int enc, disc, eras, fast;
    const char* name;
  };
  for (const Case& c : {Case{1, 0, 1, 0, "RS_Enc"}, Case{0, 1, 0, 1, "rs_std_dsc"},
                        Case{0, 1, 1, 0, "rs_eras_dsc"}, Case{0, 0, 0, 1, "rs_std_str"},
                        Case{0, 0, 1, 0, "rs_eras_str"}}) {
    RsParameters p;
    p.Enc_Dec = c.enc;
    p.Disc_Stream = c.disc;
    p.Eras_Stnd = c.eras;
    p.Fast_Small = c.fast;
    EXPECT_EQ(ModuleName(p), c.name);
  }
}

// ---- Loading and repairing ----

TEST(ParametersFromModelTest, MissingEntriesTakeTheEditDefaults) {
  WizardInfoModel model;
  const RsParameters p = ParametersFromModel(model);
  EXPECT_EQ(p.Enc_Dec, 1);
  EXPECT_EQ(p.Disc_Stream, 0);
  EXPECT_EQ(p.Fast_Small, 0);
  EXPECT_EQ(p.Eras_Stnd, 0);
  EXPECT_EQ(p.m, 4);
  EXPECT_EQ(p.n, 5);
  EXPECT_EQ(p.r, 4);
  EXPECT_EQ(p.irrpol, 19);
  EXPECT_EQ(p.genstart, 0);
  EXPECT_EQ(p.generate_vectorfile, 1);
}

TEST(RepairParametersTest, EveryLegalSetIsKept) {
  int checked = 0;
  for (int m = kMinM; m <= kMaxM; ++m) {
    for (int irrpol : field_polynomials(m)) {
      for (int r : {4, 7, 16, 50}) {
        for (int n : {r + 1, 5, 100, Pow2(m) - 1}) {
          for (int genstart : {0, 1, Pow2(m) - 1 - r}) {
            RsParameters p = Code(m, n, r, irrpol, genstart);
            p.Enc_Dec = checked % 2;
            p.Fast_Small = 0;
            if (!IsLegalCode(p)) continue;
            RsParameters repaired = p;
            RepairParameters(repaired);
            ASSERT_EQ(repaired, p) << "m " << m << " irrpol " << irrpol << " n " << n << " r " << r;
            ++checked;
          }
        }
      }
    }
  }
  EXPECT_GT(checked, 200);
}

struct RepairCase {
  RsParameters damaged;
  int m, n, r, irrpol, genstart;
};

class RepairDamagedTest : public ::testing::TestWithParam<RepairCase> {};

TEST_P(RepairDamagedTest, EndsLegal) {
  RsParameters p = GetParam().damaged;
  RepairParameters(p);
  EXPECT_TRUE(IsLegalCode(p));
  EXPECT_EQ(p.m, GetParam().m);
  EXPECT_EQ(p.n, GetParam().n);
  EXPECT_EQ(p.r, GetParam().r);
  EXPECT_EQ(p.irrpol, GetParam().irrpol);
  EXPECT_EQ(p.genstart, GetParam().genstart);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RepairDamagedTest,
    ::testing::Values(RepairCase{Code(12, 900, 0, 77, -3), 4, 5, 4, 19, 0},
                      RepairCase{Code(8, 204, 16, 286, 0), 8, 204, 16, 285, 0},
                      RepairCase{Code(8, 300, 16, 285, 0), 8, 17, 16, 285, 0},
                      RepairCase{Code(8, 204, 100, 285, 0), 8, 204, 4, 285, 0},
                      RepairCase{Code(8, 204, 16, 285, 250), 8, 204, 16, 285, 0},
                      RepairCase{Code(5, 31, 300, 37, 0), 5, 5, 4, 37, 0},
                      RepairCase{Code(-2147483647 - 1, 2147483647, 2147483647, 2147483647,
                                      -2147483647 - 1),
                                 4, 5, 4, 19, 0}));

TEST(RepairParametersTest, FlagsOtherThanZeroOrOneCountAsSet) {
  RsParameters p;
  p.Enc_Dec = 2;
  p.Disc_Stream = -1;
  p.Fast_Small = 0;
  p.Eras_Stnd = 7;
  p.generate_vectorfile = 5;
  RepairParameters(p);
  EXPECT_EQ(p.Enc_Dec, 1);
  EXPECT_EQ(p.Disc_Stream, 1);
  EXPECT_EQ(p.Fast_Small, 0);
  EXPECT_EQ(p.Eras_Stnd, 1);
  EXPECT_EQ(p.generate_vectorfile, 1);
}

}  // namespace
}  // namespace codexel
