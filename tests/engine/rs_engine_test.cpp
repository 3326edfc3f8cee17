#include "rs_engine/rs_engine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace codexel {
namespace {

RsEngine Engine(int m, int irrpol, int n, int r, int genstart) {
  RsEngine engine({.m = m, .n = n, .r = r, .irrpol = irrpol, .genstart = genstart});
  engine.build_alog();
  engine.build_gg();
  return engine;
}

template <std::size_t N>
std::vector<int> Head(const std::array<std::int32_t, N>& table, std::size_t count) {
  return {table.begin(), table.begin() + static_cast<std::ptrdiff_t>(count)};
}

template <std::size_t N>
bool ZeroFrom(const std::array<std::int32_t, N>& table, std::size_t first) {
  return std::all_of(table.begin() + static_cast<std::ptrdiff_t>(first), table.end(),
                     [](int v) { return v == 0; });
}

TEST(RsEngineTest, TablesHaveTheirCapacitiesAndStartZeroed) {
  const RsEngine engine;
  EXPECT_EQ(engine.alog.size(), 257u);
  EXPECT_EQ(engine.gg.size(), 51u);
  EXPECT_EQ(engine.root.size(), 50u);
  EXPECT_EQ(engine.negroot.size(), 51u);
  EXPECT_EQ(engine.msg.size(), 255u);
  EXPECT_EQ(engine.cw.size(), 255u);
  EXPECT_TRUE(ZeroFrom(engine.alog, 0) && ZeroFrom(engine.gg, 0) && ZeroFrom(engine.root, 0) &&
              ZeroFrom(engine.negroot, 0) && ZeroFrom(engine.msg, 0) && ZeroFrom(engine.cw, 0));
}

TEST(RsEngineTest, Pow2) {
  EXPECT_EQ(RsEngine::pow2(-2), 1);
  EXPECT_EQ(RsEngine::pow2(0), 1);
  EXPECT_EQ(RsEngine::pow2(1), 2);
  EXPECT_EQ(RsEngine::pow2(8), 256);
  EXPECT_EQ(RsEngine::pow2(14), 16384);
}

TEST(RsEngineTest, AlogForM4) {
  const RsEngine engine = Engine(4, 19, 15, 4, 0);
  EXPECT_EQ(Head(engine.alog, 16),
            (std::vector<int>{1, 2, 4, 8, 3, 6, 12, 11, 5, 10, 7, 14, 15, 13, 9, 0}));
  EXPECT_TRUE(ZeroFrom(engine.alog, 15));
}

TEST(RsEngineTest, GeneratorForM4) {
  const RsEngine engine = Engine(4, 19, 5, 4, 0);
  EXPECT_EQ(Head(engine.gg, 5), (std::vector<int>{1, 15, 3, 1, 12}));
  EXPECT_TRUE(ZeroFrom(engine.gg, 5));
}

TEST(RsEngineTest, GeneratorForDvb) {
  const RsEngine engine = Engine(8, 285, 204, 16, 0);
  EXPECT_EQ(Head(engine.gg, 17), (std::vector<int>{1, 59, 13, 104, 189, 68, 209, 30, 8, 163, 65,
                                                   41, 229, 98, 50, 36, 59}));
  EXPECT_TRUE(ZeroFrom(engine.gg, 17));
}

TEST(RsEngineTest, CodewordOfCountingMessage) {
  RsEngine engine = Engine(4, 19, 15, 4, 0);
  for (int i = 0; i < engine.k(); ++i) engine.msg[i] = i;
  engine.encode();
  EXPECT_EQ(Head(engine.cw, 15),
            (std::vector<int>{4, 13, 15, 13, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
  EXPECT_TRUE(ZeroFrom(engine.cw, 15));
}

TEST(RsEngineTest, SingleZeroMessageSymbolGivesZeroCodeword) {
  RsEngine engine = Engine(4, 19, 5, 4, 0);
  engine.cw.fill(7);
  engine.encode();
  EXPECT_EQ(Head(engine.cw, 5), (std::vector<int>{0, 0, 0, 0, 0}));
}

TEST(RsEngineTest, Inverses) {
  const RsEngine engine = Engine(4, 19, 5, 4, 0);
  EXPECT_EQ(engine.inverse(2), 9);
  EXPECT_EQ(engine.inverse(0), 16);
  EXPECT_EQ(engine.inverse(1), 1);
  EXPECT_EQ(engine.inverse_of_power(0), 1);
  EXPECT_EQ(engine.inverse_of_power(1), 9);
  EXPECT_EQ(engine.inverse_of_power(15), 16);   // alog[15] is 0
  EXPECT_EQ(engine.inverse_of_power(-1), 16);   // outside the table reads as 0
  EXPECT_EQ(engine.inverse_of_power(999), 16);
}

TEST(RsEngineTest, NegrootOfM4WithErasuresEndsInZeros) {
  RsEngine engine = Engine(4, 19, 15, 4, 0);
  engine.build_negroot(true);
  EXPECT_EQ(Head(engine.negroot, 15),
            (std::vector<int>{1, 9, 13, 15, 14, 7, 10, 5, 11, 12, 6, 3, 8, 4, 2}));
  EXPECT_TRUE(ZeroFrom(engine.negroot, 15));
}

TEST(RsEngineTest, NegrootCountStandardAndErasures) {
  RsEngine engine = Engine(8, 285, 255, 4, 0);
  engine.build_negroot(true);
  EXPECT_NE(engine.negroot[50], 0);
  engine.build_negroot(false);  // rebuilding clears what the larger count wrote
  EXPECT_NE(engine.negroot[25], 0);
  EXPECT_TRUE(ZeroFrom(engine.negroot, 26));
}

TEST(RsEngineTest, RootStopsAtTheLastPower) {
  RsEngine engine = Engine(8, 285, 255, 4, 250);
  engine.build_root();
  for (int j = 0; j < 5; ++j) EXPECT_EQ(engine.root[j], engine.alog[250 + j]) << j;
  EXPECT_EQ(engine.root[4], engine.inverse(2));  // alpha^254 = alpha^-1
  EXPECT_TRUE(ZeroFrom(engine.root, 5));
}

TEST(RsEngineTest, LegalParametersAreTakenAsTheyAre) {
  const RsEngine engine({.m = 7, .n = 100, .r = 33, .irrpol = 131, .genstart = 94});
  EXPECT_EQ(engine.m(), 7);
  EXPECT_EQ(engine.n(), 100);
  EXPECT_EQ(engine.r(), 33);
  EXPECT_EQ(engine.irrpol(), 131);
  EXPECT_EQ(engine.genstart(), 94);
  EXPECT_EQ(engine.k(), 67);
}

// A damaged set (values read back without range checks) must not make the
// engine leave its tables.
TEST(RsEngineTest, DamagedParametersStayWithinTheTables) {
  RsEngine engine({.m = 40, .n = 100000, .r = 900, .irrpol = -1, .genstart = -7});
  EXPECT_EQ(engine.m(), 8);
  EXPECT_EQ(engine.r(), 50);
  EXPECT_EQ(engine.n(), 255);
  EXPECT_EQ(engine.genstart(), 0);
  engine.build_alog();
  engine.build_gg();
  engine.build_root();
  engine.build_negroot(true);
  engine.encode();
  std::ostringstream hex;
  engine.write_inverse_hex(hex);
  EXPECT_FALSE(hex.str().empty());

  const RsEngine low({.m = 0, .n = -4, .r = -9, .irrpol = 19, .genstart = 1000});
  EXPECT_EQ(low.m(), 4);
  EXPECT_EQ(low.r(), 4);
  EXPECT_EQ(low.n(), 5);
  EXPECT_EQ(low.genstart(), 254);
}

// Operands outside the field follow the bit rule: bits of a from m up are
// ignored, and b's product is reduced from bit 2m-2 down to bit m only.
TEST(RsEngineTest, GfmulOutsideTheField) {
  const RsEngine engine = Engine(4, 19, 5, 4, 0);
  EXPECT_EQ(engine.gfmul(17, 3), 3);
  EXPECT_EQ(engine.gfmul(16, 5), 0);
  EXPECT_EQ(engine.gfmul(1, 16), 3);
  EXPECT_EQ(engine.gfmul(2, 16), 6);
  EXPECT_EQ(engine.gfmul(1, 1 << 20), 1 << 20);  // above bit 2m-2: left alone
}

// ---- Properties over every field polynomial ----

struct Field {
  int m;
  int irrpol;
};

std::vector<Field> AllFields() {
  std::vector<Field> fields;
  for (int m = kMinM; m <= kMaxM; ++m) {
    for (int irrpol : field_polynomials(m)) fields.push_back({m, irrpol});
  }
  return fields;
}

// Schoolbook multiplication modulo irrpol, written independently of gfmul.
int ReferenceMultiply(int a, int b, int m, int irrpol) {
  int product = 0;
  for (; b != 0; b >>= 1) {
    if (b & 1) product ^= a;
    a <<= 1;
    if (a >> m) a ^= irrpol;
  }
  return product;
}

// An irreducible but not primitive polynomial (alpha has order 5): products
// are still those of the polynomial ring, made bit by bit.
TEST(RsEngineTest, GfmulUnderAnUnlistedPolynomial) {
  const RsEngine engine({.m = 4, .n = 15, .r = 4, .irrpol = 31, .genstart = 0});
  for (int a = 0; a < 16; ++a) {
    for (int b = 0; b < 16; ++b) EXPECT_EQ(engine.gfmul(a, b), ReferenceMultiply(a, b, 4, 31));
  }
}

// c(x) at x, coefficient j of x^j in c[j].
int Evaluate(const RsEngine& engine, const std::vector<int>& c, int x) {
  int value = 0;
  for (auto it = c.rbegin(); it != c.rend(); ++it) value = engine.gfmul(value, x) ^ *it;
  return value;
}

// r and genstart spread over their ranges for this field.
std::vector<std::pair<int, int>> CodeShapes(int m) {
  const int max_r = std::min(kMaxR, MaxN(m) - 1);
  std::vector<std::pair<int, int>> shapes;
  for (int r : std::set<int>{4, 5, 7, 8, 16, max_r}) {
    if (r > max_r) continue;
    const int top = MaxGenstart(r, m);
    for (int genstart : std::set<int>{0, 1, top / 2, top}) shapes.emplace_back(r, genstart);
  }
  return shapes;
}

class FieldPropertyTest : public ::testing::TestWithParam<Field> {};

TEST_P(FieldPropertyTest, GfmulMatchesSchoolbookMultiplication) {
  const auto [m, irrpol] = GetParam();
  const RsEngine engine({.m = m, .n = MaxN(m), .r = 4, .irrpol = irrpol, .genstart = 0});
  for (int a = 0; a <= MaxN(m); ++a) {
    for (int b = 0; b <= MaxN(m); ++b) {
      ASSERT_EQ(engine.gfmul(a, b), ReferenceMultiply(a, b, m, irrpol)) << a << " * " << b;
    }
  }
}

TEST_P(FieldPropertyTest, AlogHoldsEveryNonZeroElementOnce) {
  const auto [m, irrpol] = GetParam();
  const RsEngine engine = Engine(m, irrpol, MaxN(m), 4, 0);
  const std::set<int> elements(engine.alog.begin(), engine.alog.begin() + MaxN(m));
  EXPECT_EQ(elements.size(), static_cast<std::size_t>(MaxN(m)));
  EXPECT_EQ(*elements.begin(), 1);
  EXPECT_EQ(*elements.rbegin(), MaxN(m));
  EXPECT_TRUE(ZeroFrom(engine.alog, static_cast<std::size_t>(MaxN(m))));
}

TEST_P(FieldPropertyTest, EveryNonZeroElementHasItsInverse) {
  const auto [m, irrpol] = GetParam();
  const RsEngine engine = Engine(m, irrpol, MaxN(m), 4, 0);
  for (int a = 1; a <= MaxN(m); ++a) EXPECT_EQ(engine.gfmul(a, engine.inverse(a)), 1) << a;
  EXPECT_EQ(engine.inverse(0), MaxN(m) + 1);
}

TEST_P(FieldPropertyTest, NegrootAndRootTables) {
  const auto [m, irrpol] = GetParam();
  for (bool erasures : {false, true}) {
    RsEngine engine = Engine(m, irrpol, MaxN(m), 4, 3);
    engine.build_negroot(erasures);
    engine.build_root();
    const int count = erasures ? 51 : 26;
    for (int j = 0; j < 51; ++j) {
      const bool filled = j < count && j < MaxN(m);
      EXPECT_EQ(filled ? engine.gfmul(engine.alog[j], engine.negroot[j]) : engine.negroot[j],
                filled ? 1 : 0)
          << "negroot " << j;
    }
    for (int j = 0; j < 50; ++j) {
      EXPECT_EQ(engine.root[j], 3 + j <= MaxN(m) - 1 ? engine.alog[3 + j] : 0) << "root " << j;
    }
  }
}

TEST_P(FieldPropertyTest, GeneratorHasItsRootsAndNoOthers) {
  const auto [m, irrpol] = GetParam();
  for (const auto& [r, genstart] : CodeShapes(m)) {
    const RsEngine engine = Engine(m, irrpol, MaxN(m), r, genstart);
    ASSERT_EQ(engine.gg[0], 1);
    EXPECT_TRUE(ZeroFrom(engine.gg, static_cast<std::size_t>(r) + 1)) << "r " << r;
    // gg[k] is the coefficient of x^(r-k).
    const std::vector<int> g(engine.gg.rend() - r - 1, engine.gg.rend());
    int roots = 0;
    for (int e = 0; e < MaxN(m); ++e) {
      const bool expected = e >= genstart && e < genstart + r;
      const bool is_root = Evaluate(engine, g, engine.alog[e]) == 0;
      EXPECT_EQ(is_root, expected) << "alpha^" << e << " r " << r << " genstart " << genstart;
      roots += is_root;
    }
    EXPECT_EQ(roots, r);
  }
}

TEST_P(FieldPropertyTest, EveryCodewordVanishesAtTheGeneratorRoots) {
  const auto [m, irrpol] = GetParam();
  std::uint32_t seed = static_cast<std::uint32_t>(irrpol);
  for (const auto& [r, genstart] : CodeShapes(m)) {
    for (int n : {MinN(r), (MinN(r) + MaxN(m)) / 2, MaxN(m)}) {
      RsEngine engine = Engine(m, irrpol, n, r, genstart);
      for (int i = 0; i < engine.k(); ++i) {
        seed = seed * 1664525u + 1013904223u;
        engine.msg[i] = static_cast<int>(seed >> 24) & MaxN(m);
      }
      engine.encode();
      const std::vector<int> c(engine.cw.begin(), engine.cw.begin() + n);
      for (int i = 0; i < engine.k(); ++i) ASSERT_EQ(c[r + i], engine.msg[i]);
      for (int i = 0; i < r; ++i) {
        EXPECT_EQ(Evaluate(engine, c, engine.alog[genstart + i]), 0)
            << "n " << n << " r " << r << " genstart " << genstart << " root " << i;
      }
      EXPECT_TRUE(ZeroFrom(engine.cw, static_cast<std::size_t>(n)));
    }
  }
}

int HexByte(const std::string& line, std::size_t at) {
  return std::stoi(line.substr(at, 2), nullptr, 16);
}

TEST_P(FieldPropertyTest, InverseTableRecords) {
  const auto [m, irrpol] = GetParam();
  const RsEngine engine = Engine(m, irrpol, MaxN(m), 4, 0);
  std::ostringstream out;
  engine.write_inverse_hex(out);
  std::istringstream in(out.str());
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  ASSERT_EQ(lines.size(), static_cast<std::size_t>(MaxN(m)) + 3);
  EXPECT_EQ(lines.front(), ":020000020000fc");
  EXPECT_EQ(lines.back(), ":00000001ff");
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    ASSERT_EQ(line[0], ':');
    ASSERT_EQ(line.size() % 2, 1u);
    EXPECT_EQ(line.find_first_of("ABCDEF"), std::string::npos) << "lower-case digits";
    int sum = 0;
    for (std::size_t at = 1; at < line.size(); at += 2) sum += HexByte(line, at);
    EXPECT_EQ(sum % 256, 0) << line;
    if (i == 0 || i + 1 == lines.size()) continue;
    // Data record: one byte at address i - 1 holding its inverse.
    const int address = HexByte(line, 5);
    const int value = HexByte(line, 9);
    EXPECT_EQ(line.substr(0, 5), ":0100");
    EXPECT_EQ(line.substr(7, 2), "00");
    EXPECT_EQ(address, static_cast<int>(i) - 1);
    EXPECT_EQ(address == 0 ? value : engine.gfmul(address, value), address == 0 ? 0 : 1) << line;
  }
}

INSTANTIATE_TEST_SUITE_P(EveryFieldPolynomial, FieldPropertyTest, ::testing::ValuesIn(AllFields()),
                         [](const auto& info) {
                           return "m" + std::to_string(info.param.m) + "_" +
                                  std::to_string(info.param.irrpol);
                         });

}  // namespace
}  // namespace codexel
