// The extra files through the real file system, in a fresh temporary folder.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/qt_services.h"
#include "rs_engine/rs_files.h"

namespace codexel {
namespace {

namespace fs = std::filesystem;

class DiskFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "codexel-engine-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Dir() const { return dir_.string() + "/"; }

  static std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }

  static RsParameters StreamingDecoder() {
    RsParameters p{.m = 8, .n = 204, .r = 16, .irrpol = 285, .genstart = 0};
    p.Enc_Dec = 0;
    p.Disc_Stream = 0;
    return p;
  }

  static RsEngine Built(const RsParameters& p) {
    RsEngine engine(p);
    engine.build_alog();
    engine.build_gg();
    return engine;
  }

  fs::path dir_;
  PosixFileSystem files_;
};

TEST_F(DiskFilesTest, DecoderFilesReplaceWhatWasThere) {
  std::ofstream(dir_ / "codec.vec") << "an older and much longer vector file\n";
  const RsParameters p = StreamingDecoder();
  RsEngine engine = Built(p);
  const auto batch = files_.StartBatch();
  ASSERT_FALSE(create_dec_files(engine, p, Dir(), "codec", ".vhd", *batch));
  ASSERT_FALSE(batch->Commit());

  RsEngine reference = Built(p);
  std::ostringstream hex;
  reference.write_inverse_hex(hex);
  EXPECT_EQ(Read(dir_ / "inv_8_285.hex"), hex.str());
  LoadTestMessage(reference, 1);
  reference.encode();
  std::ostringstream vec;
  WriteStreamingDecoderVectorFile(vec, reference, {true, false, false});
  EXPECT_EQ(Read(dir_ / "codec.vec"), vec.str());
}

TEST_F(DiskFilesTest, FolderThatDoesNotExistIsReportedWithItsPath) {
  const RsParameters p = StreamingDecoder();
  RsEngine engine = Built(p);
  const std::string missing = Dir() + "missing/";
  const auto failure = create_dec_files(engine, p, missing, "codec", ".tdf", *files_.StartBatch());
  ASSERT_TRUE(failure);
  EXPECT_EQ(failure->path, missing + "inv_8_285.hex");
  EXPECT_EQ(failure->outcome.failure, WriteOutcome::Failure::kOpen);
  EXPECT_FALSE(failure->outcome.reason.empty());
  EXPECT_TRUE(fs::is_empty(dir_));
}

}  // namespace
}  // namespace codexel
