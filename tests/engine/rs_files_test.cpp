#include "rs_engine/rs_files.h"

#include <gtest/gtest.h>

#include <climits>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/fakes.h"

namespace codexel {
namespace {

using testing::FakeServices;
using testing::Message;
using testing::ProcessExit;

constexpr const char* kHeaderM4N7 =
    "% n = 7 (length of message) %\n"
    "% m = 4 (field size (2^m)) %\n"
    "% r = 4 (number of check symbols) %\n"
    "% irrpol = 19 (field polynomial) %\n"
    "% genstart = 0 (first root of generator polynomial) %\n";

constexpr const char* kClock = "INTERVAL 50;\nINPUTS sysclk;\nPATTERN\n0 1;\n";
constexpr const char* kDecoderReset = "INPUTS reset;\nPATTERN\n0> 0\n100> 1\n200> 0;\n";
constexpr const char* kDecoderControls =
    "INPUTS dsout;\nPATTERN\n0> 1;\n"
    "INPUTS bypass;\nPATTERN\n0> 0;\n";
constexpr const char* kErasureControl = "INPUTS eras_ind;\nPATTERN\n0> 0;\n";

// The codewords of the five test messages for m 4, n 7, r 4, irrpol 19,
// genstart 0, in sending order.
const std::vector<std::vector<int>> kCodewordsM4N7 = {{2, 1, 0, 0, 6, 1, 4},
                                                      {1, 2, 3, 14, 8, 4, 2},
                                                      {4, 7, 4, 2, 15, 9, 3},
                                                      {4, 4, 4, 10, 10, 12, 8},
                                                      {1, 4, 0, 15, 7, 13, 0}};

// "t> s" lines, one clock period apart from `time` on.
std::string Timed(long long time, const std::vector<int>& symbols) {
  std::string text;
  for (int s : symbols) {
    text += std::to_string(time) + "> " + std::to_string(s) + "\n";
    time += 100;
  }
  return text;
}

RsParameters Params(int m, int n, int r, int irrpol, int genstart = 0) {
  return {.m = m, .n = n, .r = r, .irrpol = irrpol, .genstart = genstart};
}

// The engine as the variation assembly leaves it before writing the files.
RsEngine PreparedEngine(const RsParameters& p) {
  RsEngine engine(p);
  engine.build_alog();
  engine.build_gg();
  LoadTestMessage(engine, 1);
  engine.encode();
  return engine;
}

std::vector<int> SendingOrder(const RsEngine& engine) {
  std::vector<int> symbols;
  for (int j = engine.n() - 1; j >= 0; --j) symbols.push_back(engine.cw[j]);
  return symbols;
}

// ---- Names and derived values ----

TEST(RsFilesTest, FileNames) {
  EXPECT_EQ(VectorFilePath("/work/designs/", "codec"), "/work/designs/codec.vec");
  EXPECT_EQ(MemoryFileName(8, 285), "inv_8_285.hex");
  EXPECT_EQ(MemoryFilePath("/work/", 8, 285), "/work/inv_8_285.hex");
  EXPECT_TRUE(UsesBusRanges(".tdf"));
  EXPECT_FALSE(UsesBusRanges(".TDF"));
  EXPECT_FALSE(UsesBusRanges(".vhd"));
  EXPECT_FALSE(UsesBusRanges(".v"));
}

TEST(RsFilesTest, NumerrWidthHoldsZeroToR) {
  for (int r = kMinR; r <= kMaxR; ++r) {
    const int expected = r <= 7 ? 3 : r <= 15 ? 4 : r <= 31 ? 5 : 6;
    EXPECT_EQ(NumerrWidth(r), expected) << r;
  }
  // Damaged values stay defined.
  const std::vector<std::pair<int, int>> edges = {{-7, 0}, {0, 0}, {1, 1}, {3, 2}, {INT_MAX, 31}};
  for (const auto& [r, k] : edges) EXPECT_EQ(NumerrWidth(r), k) << "r = " << r;
}

struct LatencyCase {
  int n, r;
  bool full_speed;
  long long discrete, streaming, period;
};

class LatencyTest : public ::testing::TestWithParam<LatencyCase> {};

TEST_P(LatencyTest, DerivedValues) {
  const LatencyCase& c = GetParam();
  EXPECT_EQ(DiscreteLatency(c.n, c.r, c.full_speed), c.discrete);
  EXPECT_EQ(StreamingLatency(c.n, c.r, c.full_speed), c.streaming);
  EXPECT_EQ(StreamingPeriod(c.n, c.r, c.full_speed), c.period);
}

INSTANTIATE_TEST_SUITE_P(Values, LatencyTest,
                         ::testing::Values(LatencyCase{7, 4, true, 57, 28, 4200},
                                           LatencyCase{7, 4, false, 69, 48, 6200},
                                           LatencyCase{255, 4, true, 801, 259, 64500},
                                           LatencyCase{255, 50, true, 1169, 4250, 463600},
                                           LatencyCase{255, 50, false, 1319, 7500, 788600}));

TEST(RsFilesTest, StreamingLatencyMatchesTheFloatingPointCeiling) {
  for (int r = kMinR; r <= kMaxR; ++r) {
    EXPECT_EQ(StreamingLatency(5, r, true), static_cast<long long>(std::ceil(1.7 * r * r))) << r;
  }
}

// ---- Test messages ----

TEST(RsFilesTest, FiveTestCodewords) {
  RsEngine engine = PreparedEngine(Params(4, 7, 4, 19));
  for (int q = 1; q <= kTestMessageCount; ++q) {
    LoadTestMessage(engine, q);
    engine.encode();
    EXPECT_EQ(SendingOrder(engine), kCodewordsM4N7[static_cast<std::size_t>(q - 1)]) << q;
  }
}

TEST(RsFilesTest, TestMessagesOfOneSymbol) {
  RsEngine engine = PreparedEngine(Params(4, 5, 4, 19));
  const std::vector<int> expected_first{0, 1, 4, 4, 0};
  for (int q = 1; q <= kTestMessageCount; ++q) {
    LoadTestMessage(engine, q);
    EXPECT_EQ(engine.msg[0], expected_first[static_cast<std::size_t>(q - 1)]) << q;
    engine.encode();
    if (q == 1 || q == 5) {
      EXPECT_EQ(SendingOrder(engine), std::vector<int>(5, 0)) << q;
    }
  }
}

// ---- Writers: whole texts ----

TEST(RsFilesTest, MemoryFileForM4) {
  const RsEngine engine = PreparedEngine(Params(4, 5, 4, 19));
  std::ostringstream out;
  engine.write_inverse_hex(out);
  EXPECT_EQ(out.str(),
            ":020000020000fc\n:0100000000ff\n"
            ":0100010001fd\n:0100020009f4\n:010003000eee\n:010004000dee\n:010005000bef\n"
            ":0100060007f2\n:0100070006f2\n:010008000fe8\n:0100090002f4\n:01000a000ce9\n"
            ":01000b0005ef\n:01000c000ae9\n:01000d0004ee\n:01000e0003ee\n:01000f0008e8\n"
            ":00000001ff\n");
}

TEST(RsFilesTest, MemoryFileForM8EndsAtAddressFf) {
  const RsEngine engine = PreparedEngine(Params(8, 204, 16, 285));
  std::ostringstream out;
  engine.write_inverse_hex(out);
  const std::string text = out.str();
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 258);
  // alpha^-1 = alpha^254 = 142 is the inverse of 2; 255's inverse is 253.
  EXPECT_NE(text.find(":020000020000fc\n:0100000000ff\n:0100010001fd\n:010002008e6f\n"),
            std::string::npos);
  EXPECT_NE(text.find(":0100ff00fd03\n:00000001ff\n"), std::string::npos);
}

std::string EncoderFileM4N7(const std::string& rsin, const std::string& rsout) {
  return std::string(kHeaderM4N7) + "STOP 1700;\n" + kClock +
         "INPUTS reset;\nPATTERN\n0> 1\n100> 0;\n"
         "INPUTS enable;\nPATTERN\n0> 0\n200> 1;\n"
         "INPUTS start;\nPATTERN\n0> 0\n100> 1\n200> 0;\n"
         "RADIX DEC;\n"
         "INPUTS " + rsin + ";\nOUTPUTS " + rsout + ";\n"
         "PATTERN\n"
         "0> 0 = 0 \n200> 2 = 0\n300> 1 = 2\n400> 0 = 1\n500> 0 = 0\n600> 0 = 0\n"
         "700> 0 = 6\n800> 0 = 1\n900> 0 = 4\n1000> 0 = 0\n"
         ";\n";
}

TEST(RsFilesTest, EncoderFileOfOneMessageSymbol) {
  const RsEngine engine = PreparedEngine(Params(4, 5, 4, 19));
  std::ostringstream out;
  WriteEncoderVectorFile(out, engine, true);
  const std::string text = out.str();
  EXPECT_NE(text.find("STOP 1500;\n"), std::string::npos);
  const std::string tail =
      "PATTERN\n0> 0 = 0 \n200> 0 = 0\n300> 0 = 0\n400> 0 = 0\n500> 0 = 0\n600> 0 = 0\n"
      "700> 0 = 0\n800> 0 = 0\n;\n";
  ASSERT_GE(text.size(), tail.size());
  EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
}

std::string DiscreteFileM4N7(const std::string& stop, bool erasures) {
  return std::string(kHeaderM4N7) + "START 0;\nSTOP " + stop + ";\n" + kClock + kDecoderReset +
         "INPUTS dsin;\nPATTERN\n0> 1;\n" + kDecoderControls + (erasures ? kErasureControl : "") +
         "RADIX DEC;\nINPUTS rsin[4..1];\n"
         "PATTERN\n0> 0 \n"
         "200> 2\n300> 1\n400> 0\n500> 0\n600> 6\n700> 1\n800> 4\n"
         "900> 0 ;\n"
         "OUTPUTS outvalid rsout[4..1] numerr[3..1] decfail;\n";
}

struct DecoderFileCase {
  bool full_speed;
  bool erasures;
  const char* stop;
};

class DiscreteFileTest : public ::testing::TestWithParam<DecoderFileCase> {};

TEST_P(DiscreteFileTest, WholeText) {
  const DecoderFileCase& c = GetParam();
  const RsEngine engine = PreparedEngine(Params(4, 7, 4, 19));
  std::ostringstream out;
  WriteDiscreteDecoderVectorFile(out, engine, {c.full_speed, c.erasures, true});
  EXPECT_EQ(out.str(), DiscreteFileM4N7(c.stop, c.erasures));
}

INSTANTIATE_TEST_SUITE_P(Speeds, DiscreteFileTest,
                         ::testing::Values(DecoderFileCase{true, false, "8520"},
                                           DecoderFileCase{false, false, "9960"},
                                           DecoderFileCase{true, true, "8520"}));

std::string StreamingFileM4N7(bool full_speed, bool erasures, bool bus_ranges) {
  const long long p = full_speed ? 4200 : 6200;
  std::string dsin = "INPUTS dsin;\nPATTERN\n0> 1\n100> 0\n300> 1\n1100> 0\n";
  for (long long j = 1; j <= 10; ++j) {
    dsin += std::to_string(j * p) + "> 1\n" + std::to_string(j * p + 707) + "> 0\n";
  }
  dsin += std::to_string(10 * p + 1500) + "> 0;\n";
  std::string rsin = Timed(300, kCodewordsM4N7[0]);
  for (long long q = 2; q <= 5; ++q) {
    rsin += Timed((q - 1) * p, kCodewordsM4N7[static_cast<std::size_t>(q - 1)]);
  }
  return std::string(kHeaderM4N7) + "START 0;\nSTOP " + std::to_string(12 * p) + ";\n" + kClock +
         kDecoderReset + dsin + kDecoderControls + (erasures ? kErasureControl : "") +
         "RADIX DEC;\nINPUTS " + (bus_ranges ? "rsin[4..1]" : "rsin") + ";\nPATTERN\n0> 0 \n" +
         rsin + std::to_string(4 * p + 700) + "> 0 ;\n" +
         (bus_ranges ? "OUTPUTS outvalid rsout[4..1] numerr[3..1] decfail rdyin;\n"
                     : "OUTPUTS outvalid rsout numerr decfail rdyin;\n");
}

TEST(RsFilesTest, StreamingWorkedFigures) {
  const RsEngine engine = PreparedEngine(Params(4, 7, 4, 19));
  std::ostringstream out;
  WriteStreamingDecoderVectorFile(out, engine, {true, false, true});
  const std::string text = out.str();
  EXPECT_EQ(text, StreamingFileM4N7(true, false, true));
  // The worked figures, spelled out.
  for (const char* line : {"STOP 50400;\n", "0> 1\n100> 0\n300> 1\n1100> 0\n4200> 1\n4907> 0\n",
                           "8400> 1\n9107> 0\n", "42000> 1\n42707> 0\n43500> 0;\n",
                           "17500> 0 ;\n"}) {
    EXPECT_NE(text.find(line), std::string::npos) << line;
  }
  std::ostringstream half;
  WriteStreamingDecoderVectorFile(half, engine, {false, false, true});
  EXPECT_NE(half.str().find("STOP 74400;\n"), std::string::npos);
}

struct StreamingCase {
  bool full_speed, erasures, bus_ranges;
};

class StreamingFileTest : public ::testing::TestWithParam<StreamingCase> {};

TEST_P(StreamingFileTest, WholeText) {
  const StreamingCase& c = GetParam();
  const RsEngine engine = PreparedEngine(Params(4, 7, 4, 19));
  std::ostringstream out;
  WriteStreamingDecoderVectorFile(out, engine, {c.full_speed, c.erasures, c.bus_ranges});
  EXPECT_EQ(out.str(), StreamingFileM4N7(c.full_speed, c.erasures, c.bus_ranges));
  // The engine's own buffers are left as they were: codeword 1.
  EXPECT_EQ(SendingOrder(engine), kCodewordsM4N7[0]);
}

INSTANTIATE_TEST_SUITE_P(Variants, StreamingFileTest,
                         ::testing::Values(StreamingCase{true, false, true},
                                           StreamingCase{false, false, true},
                                           StreamingCase{true, true, true},
                                           StreamingCase{false, true, false}));

// ---- Creating the files ----

constexpr const char* kDir = "/work/designs/";
constexpr const char* kVec = "/work/designs/codec.vec";
constexpr const char* kHex = "/work/designs/inv_4_19.hex";

class CreateFilesTest : public ::testing::Test {
 protected:
  std::optional<ExtraFileFailure> CreateEnc(const RsParameters& p, const std::string& ext) {
    engine = RsEngine(p);
    engine.build_alog();
    engine.build_gg();
    return Committed(create_enc_files(engine, p, kDir, "codec", ext, *batch));
  }
  std::optional<ExtraFileFailure> CreateDec(const RsParameters& p) {
    engine = RsEngine(p);
    engine.build_alog();
    engine.build_gg();
    return Committed(create_dec_files(engine, p, kDir, "codec", ".tdf", *batch));
  }
  // The staged files are put in place unless one failed.
  std::optional<ExtraFileFailure> Committed(std::optional<ExtraFileFailure> failure) {
    if (!failure) failure = batch->Commit();
    return failure;
  }
  static RsParameters Decoder(int disc_stream, int fast_small, int eras_stnd) {
    RsParameters p = Params(4, 7, 4, 19);
    p.Enc_Dec = 0;
    p.Disc_Stream = disc_stream;
    p.Fast_Small = fast_small;
    p.Eras_Stnd = eras_stnd;
    return p;
  }

  FakeServices fake;
  std::unique_ptr<FileBatch> batch = fake.files.StartBatch();
  RsEngine engine;
};

TEST_F(CreateFilesTest, EncoderWritesTheVectorFile) {
  EXPECT_FALSE(CreateEnc(Params(4, 7, 4, 19), ".tdf"));
  EXPECT_EQ(fake.files.written, std::vector<std::string>{kVec});
  EXPECT_EQ(fake.files.files[kVec], EncoderFileM4N7("rsin[4..1]", "rsout[4..1]"));
}

TEST_F(CreateFilesTest, EncoderForVhdlDesign) {
  EXPECT_FALSE(CreateEnc(Params(4, 7, 4, 19), ".vhd"));
  EXPECT_EQ(fake.files.files[kVec], EncoderFileM4N7("rsin", "rsout"));
}

TEST_F(CreateFilesTest, EncoderWithoutVectorFileStillEncodes) {
  RsParameters p = Params(4, 7, 4, 19);
  p.generate_vectorfile = 0;
  EXPECT_FALSE(CreateEnc(p, ".tdf"));
  EXPECT_TRUE(fake.files.files.empty());
  EXPECT_EQ(SendingOrder(engine), kCodewordsM4N7[0]);
}

TEST_F(CreateFilesTest, DiscreteDecoderWritesMemoryFileThenVectorFile) {
  EXPECT_FALSE(CreateDec(Decoder(1, 1, 0)));
  EXPECT_EQ(fake.files.written, (std::vector<std::string>{kHex, kVec}));
  EXPECT_EQ(fake.files.files[kVec], DiscreteFileM4N7("8520", false));
  std::ostringstream hex;
  engine.write_inverse_hex(hex);
  EXPECT_EQ(fake.files.files[kHex], hex.str());
}

TEST_F(CreateFilesTest, StreamingErasureDecoder) {
  EXPECT_FALSE(CreateDec(Decoder(0, 0, 1)));
  EXPECT_EQ(fake.files.files[kVec], StreamingFileM4N7(false, true, true));
  EXPECT_NE(engine.negroot[14], 0);
  EXPECT_EQ(engine.negroot[15], 0);
}

TEST_F(CreateFilesTest, DecoderWithoutVectorFileFillsTablesAndWritesMemoryFile) {
  RsParameters p = Decoder(1, 1, 0);
  p.generate_vectorfile = 0;
  EXPECT_FALSE(CreateDec(p));
  EXPECT_EQ(fake.files.written, std::vector<std::string>{kHex});
  EXPECT_EQ(engine.root[0], 1);
  EXPECT_EQ(engine.root[14], 9);
  EXPECT_EQ(engine.root[15], 0);
  EXPECT_EQ(engine.negroot[1], 9);
  EXPECT_EQ(SendingOrder(engine), kCodewordsM4N7[0]);
}

TEST_F(CreateFilesTest, ExistingFilesAreReplaced) {
  fake.files.files[kHex] = "old";
  fake.files.files[kVec] = "old";
  EXPECT_FALSE(CreateDec(Decoder(1, 1, 0)));
  EXPECT_EQ(fake.files.files[kVec], DiscreteFileM4N7("8520", false));
  EXPECT_EQ(fake.files.files[kHex].substr(0, 16), ":020000020000fc\n");
}

struct FailureCase {
  const char* name;
  bool decoder;
  const char* failing_path;
  bool on_open;  // else the write fails after the open (a full disk)
  std::vector<std::string> left;  // files there afterwards
};

class CreateFailureTest : public CreateFilesTest,
                          public ::testing::WithParamInterface<FailureCase> {};

TEST_P(CreateFailureTest, ReportsTheFirstFailureAndStagesNothingMore) {
  const FailureCase& c = GetParam();
  (c.on_open ? fake.files.fail_open : fake.files.fail_write)[c.failing_path] = true;
  const auto failure =
      c.decoder ? CreateDec(Decoder(1, 1, 0)) : CreateEnc(Params(4, 7, 4, 19), ".tdf");
  ASSERT_TRUE(failure);
  EXPECT_EQ(failure->path, c.failing_path);
  EXPECT_EQ(failure->outcome.failure,
            c.on_open ? WriteOutcome::Failure::kOpen : WriteOutcome::Failure::kWrite);
  EXPECT_FALSE(failure->outcome.reason.empty());
  EXPECT_TRUE(batch->Commit() == std::nullopt);
  std::vector<std::string> left;
  for (const auto& [path, text] : fake.files.files) left.push_back(path);
  EXPECT_EQ(left, c.left) << "what was staged before the failure";
}

INSTANTIATE_TEST_SUITE_P(
    Files, CreateFailureTest,
    ::testing::Values(FailureCase{"EncoderVectorOpen", false, kVec, true, {}},
                      FailureCase{"EncoderVectorWrite", false, kVec, false, {}},
                      FailureCase{"MemoryOpen", true, kHex, true, {}},
                      FailureCase{"MemoryWrite", true, kHex, false, {}},
                      FailureCase{"DecoderVectorOpen", true, kVec, true, {kHex}},
                      FailureCase{"DecoderVectorWrite", true, kVec, false, {kHex}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ExtraFileFailureTest, BoxText) {
  EXPECT_EQ(UnableToOpenText("/work/designs/codec.vec"),
            "Unable to open the file /work/designs/codec.vec for writting\n"
            " The program can not continue\n\nPress OK to Exit");
}

TEST(ExtraFileFailureTest, ShowsTheErrorBoxThenExitsWithOne) {
  FakeServices fake;
  const ExtraFileFailure failure{kHex, {WriteOutcome::Failure::kWrite, "No space left on device"}};
  try {
    ExitOnExtraFileFailure(failure, fake.messages, fake.process);
    ADD_FAILURE() << "returned";
  } catch (const ProcessExit& exit) {
    EXPECT_EQ(exit.status, 1);
  }
  EXPECT_EQ(fake.messages.shown, (std::vector<Message>{{"Error", UnableToOpenText(kHex)}}));
}

}  // namespace
}  // namespace codexel
