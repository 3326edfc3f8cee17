#include "rs_pages/rs_parameters.h"

#include <gtest/gtest.h>

#include <cctype>
#include <climits>
#include <numeric>
#include <vector>

#include "host/number_text.h"

namespace codexel {
namespace {

std::vector<int> Iota(int first, int last) {
  std::vector<int> v(static_cast<std::size_t>(last - first + 1));
  std::iota(v.begin(), v.end(), first);
  return v;
}

TEST(RsParametersTest, NewVariationDefaults) {
  const RsParameters p;
  EXPECT_EQ(p.m, 4);
  EXPECT_EQ(p.n, 5);
  EXPECT_EQ(p.r, 4);
  EXPECT_EQ(p.irrpol, 19);
  EXPECT_EQ(p.genstart, 0);
  EXPECT_EQ(p.Enc_Dec, 1);
  EXPECT_EQ(p.Disc_Stream, 1);
  EXPECT_EQ(p.Fast_Small, 1);
  EXPECT_EQ(p.Eras_Stnd, 0);
  EXPECT_EQ(p.generate_vectorfile, 1);
  EXPECT_TRUE(IsLegalCode(p));
}

TEST(RsParametersTest, FieldPolynomialRows) {
  const std::vector<std::size_t> counts{2, 6, 6, 18, 16};
  for (int m = kMinM; m <= kMaxM; ++m) {
    const auto row = field_polynomials(m);
    EXPECT_EQ(row.size(), counts[static_cast<std::size_t>(m - kMinM)]) << m;
    for (std::size_t i = 0; i < row.size(); ++i) {
      EXPECT_EQ(row[i] >> m, 1) << "degree " << m << " for " << row[i];
      if (i > 0) {
        EXPECT_LT(row[i - 1], row[i]);
      }
    }
  }
  EXPECT_TRUE(field_polynomials(3).empty());
  EXPECT_TRUE(field_polynomials(9).empty());
  EXPECT_EQ(field_polynomials(8).front(), 285);
  EXPECT_EQ(field_polynomials(8).back(), 501);
}

// The integer-text check and the standard conversion are the shared ones.
struct IntegerTextCase {
  const char* text;
  bool is_integer;
  int value;
};

class IntegerTextTest : public ::testing::TestWithParam<IntegerTextCase> {};

TEST_P(IntegerTextTest, CheckAndValue) {
  EXPECT_EQ(IsIntegerText(GetParam().text), GetParam().is_integer);
  EXPECT_EQ(ToInteger(GetParam().text), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(Texts, IntegerTextTest,
                         ::testing::Values(IntegerTextCase{" 7", true, 7},
                                           IntegerTextCase{"+", true, 0},
                                           IntegerTextCase{"", true, 0},
                                           IntegerTextCase{"-1", true, -1},
                                           IntegerTextCase{"7 ", false, 7},
                                           IntegerTextCase{"1.5", false, 1},
                                           IntegerTextCase{"12a", false, 12}));

TEST(RangeTest, Bounds) {
  EXPECT_EQ(MinN(4), 5);
  EXPECT_EQ(MinN(16), 17);
  EXPECT_EQ(MaxN(4), 15);
  EXPECT_EQ(MaxN(8), 255);
  EXPECT_EQ(MaxR(5), 4);
  EXPECT_EQ(MaxR(204), 50);
  EXPECT_EQ(MaxR(255), 50);
  EXPECT_EQ(MaxGenstart(16, 8), 239);
  EXPECT_EQ(MaxGenstart(16, 4), -1);
}

TEST(RangeTest, DamagedValuesNeitherOverflowNorAskForHugeLists) {
  EXPECT_EQ(MinN(INT_MAX), INT_MAX);
  EXPECT_EQ(MaxR(INT_MIN), INT_MIN);
  EXPECT_EQ(MaxGenstart(INT_MIN, 8), INT_MAX);
  EXPECT_EQ(MaxN(31), 255);
  EXPECT_EQ(MaxN(-3), 0);
  EXPECT_EQ(Pow2(-1), 1);
  EXPECT_EQ(Pow2(100), 1 << 30);
  EXPECT_EQ(NItems(0, 1000).size(), 251u);
  EXPECT_EQ(GenstartItems(INT_MIN, 8), Iota(0, 254));
  EXPECT_EQ(NItems(INT_MIN, 8), Iota(5, 255));
  EXPECT_TRUE(RItems(INT_MIN).empty());
}

TEST(RangeTest, LegalCodeChecksEveryParameter) {
  const RsParameters dvb{.m = 8, .n = 204, .r = 16, .irrpol = 285, .genstart = 0};
  EXPECT_TRUE(IsLegalCode(dvb));
  auto with = [&](auto change) {
    RsParameters p = dvb;
    change(p);
    return IsLegalCode(p);
  };
  EXPECT_FALSE(with([](RsParameters& p) { p.m = 9; }));
  EXPECT_FALSE(with([](RsParameters& p) { p.irrpol = 19; }));
  EXPECT_FALSE(with([](RsParameters& p) { p.n = 256; }));
  EXPECT_FALSE(with([](RsParameters& p) { p.n = 16; }));
  EXPECT_FALSE(with([](RsParameters& p) { p.r = 3; }));
  EXPECT_FALSE(with([](RsParameters& p) { p.r = 51; }));
  EXPECT_FALSE(with([](RsParameters& p) { p.genstart = -1; }));
  EXPECT_FALSE(with([](RsParameters& p) { p.genstart = 240; }));
  EXPECT_TRUE(with([](RsParameters& p) { p.genstart = 239; }));
}

TEST(RefillTest, Items) {
  EXPECT_EQ(IrrpolItems(5), (std::vector<int>{37, 41, 47, 55, 59, 61}));
  EXPECT_TRUE(IrrpolItems(12).empty());
  EXPECT_EQ(NItems(4, 4), Iota(5, 15));
  EXPECT_EQ(NItems(10, 4), Iota(11, 15));
  EXPECT_EQ(NItems(14, 4), std::vector<int>{15});
  EXPECT_TRUE(NItems(16, 4).empty());
  EXPECT_EQ(RItems(5), std::vector<int>{4});
  EXPECT_EQ(RItems(20), Iota(4, 19));
  EXPECT_EQ(RItems(255), Iota(4, 50));
  EXPECT_TRUE(RItems(4).empty());
  EXPECT_EQ(GenstartItems(4, 4), Iota(0, 11));
  EXPECT_EQ(GenstartItems(16, 8), Iota(0, 239));
  EXPECT_TRUE(GenstartItems(16, 4).empty());
}

struct RefillCase {
  const char* name;
  int (*refill)(int current, int a, int b);
  int current, a, b, expected;
};

int RefillRAdapter(int current, int n, int) { return RefillR(current, n); }
int RefillIrrpolAdapter(int current, int m, int) { return RefillIrrpol(current, m); }

class RefillRuleTest : public ::testing::TestWithParam<RefillCase> {};

TEST_P(RefillRuleTest, KeepsAnItemElseFallsBack) {
  const RefillCase& c = GetParam();
  EXPECT_EQ(c.refill(c.current, c.a, c.b), c.expected) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Rules, RefillRuleTest,
    ::testing::Values(
        RefillCase{"irrpol kept", RefillIrrpolAdapter, 25, 4, 0, 25},
        RefillCase{"irrpol from another m", RefillIrrpolAdapter, 285, 4, 0, 19},
        RefillCase{"irrpol of m 8", RefillIrrpolAdapter, 0, 8, 0, 285},
        RefillCase{"irrpol without a row", RefillIrrpolAdapter, 77, 3, 0, 77},
        RefillCase{"n kept", RefillN, 12, 4, 4, 12},
        RefillCase{"n raised to L", RefillN, 7, 10, 4, 11},
        RefillCase{"n too large", RefillN, 204, 4, 4, 5},
        RefillCase{"n no items", RefillN, 204, 16, 4, 5},
        RefillCase{"n last item", RefillN, 3, 14, 4, 15},
        RefillCase{"n r at the limit", RefillN, 3, 15, 4, 5},
        RefillCase{"r kept", RefillRAdapter, 16, 204, 0, 16},
        RefillCase{"r for n 5", RefillRAdapter, 16, 5, 0, 4},
        RefillCase{"r n 255 still 50", RefillRAdapter, 50, 255, 0, 50},
        RefillCase{"r above 50", RefillRAdapter, 51, 255, 0, 4},
        RefillCase{"genstart kept", RefillGenstart, 239, 16, 8, 239},
        RefillCase{"genstart too large", RefillGenstart, 240, 16, 8, 0},
        RefillCase{"genstart negative", RefillGenstart, -1, 4, 4, 0},
        RefillCase{"genstart no items", RefillGenstart, 0, 16, 4, 0}),
    [](const auto& info) {
      std::string name = info.param.name;
      for (char& ch : name) {
        if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
      }
      return name;
    });

// Typing 4 into the bits field of a DVB set: the refills in page order end
// with m 4, irrpol 19, genstart 0, n 5 and r 4.
TEST(RefillTest, DvbSetMovedToFourBits) {
  const int m = 4;
  const int irrpol = RefillIrrpol(285, m);
  const int genstart = RefillGenstart(0, 16, m);
  const int n = RefillN(204, 16, m);
  const int r = RefillR(16, n);
  EXPECT_EQ(irrpol, 19);
  EXPECT_EQ(genstart, 0);
  EXPECT_EQ(n, 5);
  EXPECT_EQ(r, 4);
  EXPECT_TRUE(IsLegalCode({.m = m, .n = n, .r = r, .irrpol = irrpol, .genstart = genstart}));
}

// The DVB preset: every refill finds its value among its items.
TEST(RefillTest, DvbPresetKeepsEveryValue) {
  EXPECT_EQ(RefillIrrpol(285, 8), 285);
  EXPECT_EQ(RefillN(204, 16, 8), 204);
  EXPECT_EQ(RefillR(16, 204), 16);
  EXPECT_EQ(RefillGenstart(0, 16, 8), 0);
}

// Whatever the starting values, the four refills in page order give a legal
// code for every m.
TEST(RefillTest, PageOrderAlwaysEndsLegal) {
  for (int m = kMinM; m <= kMaxM; ++m) {
    for (int r : {-5, 0, 4, 16, 50, 51, 300}) {
      for (int n : {0, 5, 17, 204, 255, 256}) {
        RsParameters p{.m = m, .n = n, .r = r, .irrpol = 0, .genstart = 7};
        p.irrpol = RefillIrrpol(p.irrpol, m);
        p.n = RefillN(p.n, p.r, m);
        p.r = RefillR(p.r, p.n);
        p.genstart = RefillGenstart(p.genstart, p.r, m);
        EXPECT_TRUE(IsLegalCode(p)) << "m " << m << " n " << n << " r " << r;
      }
    }
  }
}

}  // namespace
}  // namespace codexel
