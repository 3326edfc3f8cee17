#include "rs_pages/throughput.h"

#include <gtest/gtest.h>

#include "tests/support/parameter_sets.h"

namespace codexel {
namespace {

RsParameters Decoder(int n, int r, int eras, int full, int discrete, int m = 8) {
  RsParameters p = testing::Code(m, n, r, 0);
  return testing::AsDecoder(p, {.eras = eras, .discrete = discrete, .full = full});
}

struct CyclesCase {
  int eras, full, discrete, n, r, cycles;
};

class CyclesTest : public ::testing::TestWithParam<CyclesCase> {};

TEST_P(CyclesTest, PerVariant) {
  const CyclesCase& c = GetParam();
  EXPECT_EQ(CyclesPerCodeword(Decoder(c.n, c.r, c.eras, c.full, c.discrete)), c.cycles);
}

INSTANTIATE_TEST_SUITE_P(
    Variants, CyclesTest,
    ::testing::Values(CyclesCase{0, 1, 1, 204, 16, 3 * 204 + 8 * 16 + 5},  // 745
                      CyclesCase{0, 1, 0, 204, 16, 220},  // n + r beats 7r + 5
                      CyclesCase{0, 1, 0, 20, 16, 117},   // 7r + 5 beats n + r
                      CyclesCase{0, 0, 1, 5, 4, 63}, CyclesCase{0, 0, 0, 20, 16, 164},
                      CyclesCase{1, 1, 1, 204, 16, 3 * 204 + 9 * 16 + 6},
                      CyclesCase{1, 1, 0, 20, 16, 134}, CyclesCase{1, 0, 1, 204, 16, 794},
                      CyclesCase{1, 0, 0, 20, 16, 166},
                      // A flag counts as set when it is not 0.
                      CyclesCase{0, 7, -1, 204, 16, 745}));

struct NumberCase {
  double value;
  const char* text;
};

class NumberRuleTest : public ::testing::TestWithParam<NumberCase> {};

TEST_P(NumberRuleTest, FourSignificantDigits) {
  EXPECT_EQ(FormatThroughputNumber(GetParam().value), GetParam().text) << GetParam().value;
}

INSTANTIATE_TEST_SUITE_P(
    Values, NumberRuleTest,
    ::testing::Values(NumberCase{27.38255, "27.38"}, NumberCase{219.0604, "219.1"},
                      NumberCase{12, "12."}, NumberCase{1234.4, "1234"}, NumberCase{0.25, "0.25"},
                      NumberCase{12345, "1.235e+004"}, NumberCase{10000, "1.e+004"},
                      NumberCase{5.0 / 63, "7.937e-002"}, NumberCase{0, "0."},
                      NumberCase{0.1, "0.1"}, NumberCase{0.099, "9.9e-002"},
                      NumberCase{1.5e123, "1.5e+123"}, NumberCase{-27.38255, "-27.38"},
                      NumberCase{92.72727, "92.73"},
                      // Ties round away from zero, in both notations.
                      NumberCase{0.125, "0.125"}, NumberCase{1.0625, "1.063"},
                      NumberCase{99995, "1.e+005"}, NumberCase{9999.5, "10000"},
                      NumberCase{0.0123456, "1.235e-002"}));

TEST(ThroughputTextTest, DvbStandardDecoder) {
  RsParameters p = Decoder(204, 16, 0, 1, 1);
  EXPECT_EQ(ThroughputText(p, "100"), "Throughput is 27.38 Msym/s");
  p.Msym_Mbit = 0;
  EXPECT_EQ(ThroughputText(p, "100"), "Throughput is 219.1 Mbit/s");
  p.Msym_Mbit = 1;
  p.Disc_Stream = 0;
  EXPECT_EQ(ThroughputText(p, "100"), "Throughput is 92.73 Msym/s");
}

TEST(ThroughputTextTest, FieldTexts) {
  const RsParameters p = Decoder(5, 4, 0, 0, 1, 4);
  EXPECT_EQ(ThroughputText(p, "1"), "Throughput is 7.937e-002 Msym/s");
  EXPECT_EQ(ThroughputText(p, "0"), "Throughput is 0. Msym/s");
  EXPECT_EQ(ThroughputText(p, "+"), "Throughput is 0. Msym/s");
  EXPECT_EQ(ThroughputText(p, ""), "");
  EXPECT_EQ(ThroughputText(p, "100.5"), "Invalid Frequency");
  EXPECT_EQ(ThroughputText(p, "1e3"), "Invalid Frequency");
  EXPECT_EQ(ThroughputText(p, std::string(400, '9')), "Throughput is inf Msym/s");
}

}  // namespace
}  // namespace codexel
