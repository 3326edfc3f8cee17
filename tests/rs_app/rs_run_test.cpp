// Whole runs of the RS wizard in-process: start-up, the page loop driven as
// a user would, Finish or Cancel, and the files left on a real file system.

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <filesystem>
#include <sstream>

#include "rs_pages/rs_page_factory.h"
#include "platform/qt_services.h"
#include "rs_engine/rs_wizard_app.h"
#include "tests/support/fakes.h"
#include "tests/support/golden.h"
#include "tests/support/modal_helper.h"
#include "tests/support/parameter_sets.h"
#include "tests/support/test_files.h"

namespace codexel {
namespace {

using testing::ExpectMatchesGolden;
using testing::ModalDriver;
using testing::ReadFile;
using testing::WriteText;

class RsRunTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir_.isValid()); }

  std::string Path(const std::string& name) const { return dir_.filePath(name.c_str()).toStdString(); }
  std::vector<std::string> Files() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir_.path().toStdString())) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  // Runs the wizard with `args` (the design path last); `prepare` sets the
  // parameter set up on the first page, the device type page, as the user
  // would on the RS pages (the module name rule runs again, as the page's
  // clicks run it), then `button` is clicked.
  int Run(std::vector<std::string> args, const QString& button,
          std::function<void(RsParameters&)> prepare = nullptr) {
    RsWizardApp app(services_, &pages_);
    ModalDriver driver;
    driver.Click(button).Inspect([&](QWidget&) {
      if (prepare) prepare(app.parameters());
      app.ApplyModuleNameRule();
      loaded_ = app.parameters();
    });
    const int status = app.Run(args);
    driver.Finish();
    return status;
  }

  QTemporaryDir dir_;
  testing::RecordingMessages messages_;
  testing::RecordingNotifier notifier_;
  testing::FakeTextMetrics metrics_;
  PosixFileSystem files_;
  testing::FakeProcess process_;
  PlatformServices services_{messages_, notifier_, metrics_, files_, process_};
  QtRsPageFactory pages_;
  RsParameters loaded_;  // the set as the Summary page saw it
};

void DvbErasureStreaming(RsParameters& p) {
  p = testing::DvbDecoder({.eras = 1, .discrete = 0});
}

TEST_F(RsRunTest, NewEncoderWithTheDefaults) {
  EXPECT_EQ(Run({"-n", "-symbol", Path("rs.tdf")}, "finishButton"), 0);
  ExpectMatchesGolden(ReadFile(Path("rs.cnx")), "rs_app/encoder_defaults.cnx");
  EXPECT_EQ(Files(), (std::vector<std::string>{"rs.cnx", "rs.vec"}));
  EXPECT_NE(ReadFile(Path("rs.vec")).find("INPUTS rsin[4..1];\n"), std::string::npos);
  EXPECT_TRUE(messages_.shown.empty());
}

TEST_F(RsRunTest, DvbErasureStreamingDecoder) {
  EXPECT_EQ(Run({"-n", Path("rs.tdf")}, "finishButton", DvbErasureStreaming), 0);
  ExpectMatchesGolden(ReadFile(Path("rs.cnx")), "rs_app/dvb_eras_streaming.cnx");
  EXPECT_EQ(Files(), (std::vector<std::string>{"inv_8_285.hex", "rs.cnx", "rs.vec"}));
  const std::string hex = ReadFile(Path("inv_8_285.hex"));
  EXPECT_EQ(std::count(hex.begin(), hex.end(), '\n'), 258);
  EXPECT_NE(ReadFile(Path("rs.vec")).find("decfail rdyin;\n"), std::string::npos);
}

TEST_F(RsRunTest, VhdlDesignWritesBareBusNames) {
  EXPECT_EQ(Run({"-n", Path("rs.vhd")}, "finishButton"), 0);
  EXPECT_NE(ReadFile(Path("rs.vec")).find("INPUTS rsin;\nOUTPUTS rsout;\n"), std::string::npos);
}

TEST_F(RsRunTest, EditingAndFinishingUnchangedIsByteIdentical) {
  ASSERT_EQ(Run({"-n", Path("rs.tdf")}, "finishButton", DvbErasureStreaming), 0);
  const std::string first = ReadFile(Path("rs.cnx"));
  const std::string first_vectors = ReadFile(Path("rs.vec"));
  ASSERT_EQ(Run({Path("rs.tdf")}, "finishButton"), 0);
  EXPECT_EQ(ReadFile(Path("rs.cnx")), first);
  EXPECT_EQ(ReadFile(Path("rs.vec")), first_vectors);
  EXPECT_EQ(loaded_.Eras_Stnd, 1);
  EXPECT_EQ(loaded_.m, 8);
}

TEST_F(RsRunTest, EditedEncoderKeepsItsBlock) {
  ASSERT_EQ(Run({"-n", Path("enc.v")}, "finishButton"), 0);
  const std::string first = ReadFile(Path("enc.cnx"));
  ASSERT_EQ(Run({Path("enc.v")}, "finishButton"), 0);
  EXPECT_EQ(ReadFile(Path("enc.cnx")), first);
  // An encoder records no decoder flags: they come back as streaming, half speed.
  EXPECT_EQ(loaded_.Disc_Stream, 0);
  EXPECT_EQ(loaded_.Fast_Small, 0);
}

TEST_F(RsRunTest, MissingDecoderFlagsComeBackStreamingAndHalfSpeed) {
  WriteText(Path("rs.cnx"),
            "GENERATION: STANDARD\nVERSION: WM1.0\nMODULE: rs_std_dsc\n\n"
            "PRIVATE: Enc_Dec NUMERIC \"0\"\nPRIVATE: Eras_Stnd NUMERIC \"0\"\n\n"
            "CONSTANT: m NUMERIC \"8\"\nCONSTANT: n NUMERIC \"204\"\n"
            "CONSTANT: check NUMERIC \"16\"\nCONSTANT: irrpol NUMERIC \"285\"\n");
  EXPECT_EQ(Run({Path("rs.tdf")}, "cancelButton"), 2);
  EXPECT_EQ(loaded_.Enc_Dec, 0);
  EXPECT_EQ(loaded_.Disc_Stream, 0);
  EXPECT_EQ(loaded_.Fast_Small, 0);
  EXPECT_EQ(loaded_.n, 204);
  EXPECT_EQ(Files(), std::vector<std::string>{"rs.cnx.bak"})
      << "Cancel keeps the file it was started on as a backup";
}

TEST_F(RsRunTest, DamagedFileOpensAndFinishWritesALegalVariation) {
  std::string damaged =
      "GENERATION: STANDARD\nPRIVATE: Enc_Dec NUMERIC \"0\"\nPRIVATE: Eras_Stnd NUMERIC \"7\"\n"
      "CONSTANT: m NUMERIC \"12\"\nCONSTANT: n NUMERIC \"900\"\nCONSTANT: check NUMERIC \"0\"\n"
      "CONSTANT: irrpol NUMERIC \"77\"\nPRIVATE: GENSTART_V NUMERIC \"-5\"\n"
      "PRIVATE: Disc_Stream \"unterminated\n";
  for (int i = 0; i < 600; ++i) damaged += "CONSTANT: filler" + std::to_string(i) + " NUMERIC \"1\"\n";
  damaged += "PRIVATE: long STRING \"" + std::string(1000, 'x') + "\"\n";
  for (int i = 0; i < 4000; ++i) damaged += static_cast<char>((i * 37 + 11) % 256);
  WriteText(Path("rs.cnx"), damaged);

  EXPECT_EQ(Run({Path("rs.tdf")}, "finishButton"), 0);
  EXPECT_TRUE(IsLegalCode(loaded_));
  EXPECT_EQ(loaded_.m, 4);
  EXPECT_EQ(loaded_.Eras_Stnd, 1);

  WizardInfoModel written;
  std::istringstream in(ReadFile(Path("rs.cnx")));
  ReadWizardInfoBlock(in, written);
  const RsParameters back = ParametersFromModel(written);
  EXPECT_TRUE(IsLegalCode(back));
  EXPECT_EQ(back.Enc_Dec, 0);
  EXPECT_EQ(Files(), (std::vector<std::string>{"inv_4_19.hex", "rs.cnx", "rs.vec"}));
}

TEST_F(RsRunTest, EditModeWithoutAFileDoesNotStart) {
  ModalDriver driver;  // no page may open
  RsWizardApp app(services_, &pages_);
  EXPECT_EQ(app.Run({Path("rs.tdf")}), 1);
  driver.Finish();
  ASSERT_EQ(messages_.shown.size(), 1u);
  EXPECT_EQ(messages_.shown[0].text, "Can't open file " + Path("rs.cnx"));
}

TEST_F(RsRunTest, IllegalExtensionDoesNotStart) {
  ModalDriver driver;
  RsWizardApp app(services_, &pages_);
  EXPECT_EQ(app.Run({"-n", Path("rs.vhdl")}), 1);
  driver.Finish();
  ASSERT_EQ(messages_.shown.size(), 1u);
  EXPECT_EQ(messages_.shown[0].text,
            "Can't start the wizard -- illegal extension in design file name");
  EXPECT_TRUE(Files().empty());
}

}  // namespace
}  // namespace codexel
