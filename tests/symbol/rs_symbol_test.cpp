// The RS symbol's layout with a fake measurer (6 pixels a character, 13 high).

#include "symbol/rs_symbol.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <climits>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/fakes.h"
#include "tests/support/parameter_sets.h"

namespace codexel {
namespace {

using ::testing::ElementsAreArray;
using testing::FakeTextMetrics;
using ::testing::HasSubstr;
using testing::DvbDecoder;

RsParameters Encoder(int m, int irrpol) {
  RsParameters p;
  p.m = m;
  p.irrpol = irrpol;
  return p;
}

struct Layout {
  FakeTextMetrics metrics;
  Symbol symbol{metrics};
  explicit Layout(const RsParameters& p, const std::string& name = "rsdemo") {
    symbol.set_preview_width(PreviewBaseWidth(metrics) + 16);
    LayoutRsSymbol(symbol, p, name, metrics);
  }
  std::string Lines() const {
    std::ostringstream out;
    symbol.WriteSymbol(out);
    return out.str();
  }
};

// ---- PolynomialText ----

struct PolynomialCase {
  int value;
  const char* text;
};

class PolynomialTextTest : public ::testing::TestWithParam<PolynomialCase> {};

TEST_P(PolynomialTextTest, TermsFromTheHighestPowerDown) {
  EXPECT_EQ(PolynomialText(GetParam().value), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Values, PolynomialTextTest,
    ::testing::Values(PolynomialCase{19, "x^4 + x^1 + 1"},
                      PolynomialCase{285, "x^8 + x^4 + x^3 + x^2 + 1"},
                      PolynomialCase{501, "x^8 + x^7 + x^6 + x^5 + x^4 + x^2 + 1"},
                      PolynomialCase{255, "x^7 + x^6 + x^5 + x^4 + x^3 + x^2 + x^1 + 1"},
                      PolynomialCase{1, "1"}, PolynomialCase{2, "x^1"},
                      PolynomialCase{6, "x^2 + x^1"}, PolynomialCase{0, ""},
                      PolynomialCase{-285, ""},
                      PolynomialCase{INT_MAX,
                                     "x^30 + x^29 + x^28 + x^27 + x^26 + x^25 + x^24 + x^23 + "
                                     "x^22 + x^21 + x^20 + x^19 + x^18 + x^17 + x^16 + x^15 + "
                                     "x^14 + x^13 + x^12 + x^11 + x^10 + x^9 + x^8 + x^7 + x^6 "
                                     "+ x^5 + x^4 + x^3 + x^2 + x^1 + 1"}));

// ---- Device description ----

struct DeviceCase {
  RsParameters parameters;
  const char* first;
  const char* second;
};

class DescribeDeviceTest : public ::testing::TestWithParam<DeviceCase> {};

TEST_P(DescribeDeviceTest, TwoLines) {
  const DeviceLines lines = DescribeDevice(GetParam().parameters);
  EXPECT_EQ(lines.first, GetParam().first);
  EXPECT_EQ(lines.second, GetParam().second);
}

INSTANTIATE_TEST_SUITE_P(Kinds, DescribeDeviceTest,
                         ::testing::Values(DeviceCase{Encoder(8, 285), "encoder", " "},
                                           DeviceCase{DvbDecoder({.discrete = 0}), "full standard ",
                                                      "streaming decoder"},
                                           DeviceCase{DvbDecoder({.eras = 1, .full = 0}), "half erasure-supporting ",
                                                      "discrete decoder"}));

// ---- Pins ----

struct PinSetCase {
  const char* label;
  RsParameters parameters;
  std::vector<std::string> names;
};

class PinSetTest : public ::testing::TestWithParam<PinSetCase> {};

TEST_P(PinSetTest, PinsInOrderWithSidesAndBuses) {
  const Layout layout(GetParam().parameters);
  const Symbol& symbol = layout.symbol;
  std::vector<std::string> names;
  for (const SymbolPin& pin : symbol.pins()) {
    names.push_back(pin.port_name());
    const bool right = pin.direction() == kPinOutput;
    EXPECT_EQ(pin.stub().x, right ? symbol.width() : 0) << pin.port_name();
    EXPECT_EQ(pin.stub().dx, right ? -16 : 16) << pin.port_name();
    EXPECT_EQ(pin.name_text().anchor(), right ? 5 : 3) << pin.port_name();
    EXPECT_EQ(pin.stub().thick, pin.port_name().find('[') != std::string::npos ? 1 : 0)
        << pin.port_name();
    EXPECT_FALSE(pin.slash().has_value());
  }
  EXPECT_THAT(names, ElementsAreArray(GetParam().names));
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, PinSetTest,
    ::testing::Values(
        PinSetCase{"encoder",
                   Encoder(8, 285),
                   {"rsout[8..1]", "rsin[8..1]", "sysclk", "reset", "start", "enable"}},
        PinSetCase{"standard_decoder",
                   DvbDecoder(),
                   {"rsout[8..1]", "rsin[8..1]", "sysclk", "reset", "rdyin", "dsin", "dsout",
                    "bypass", "outvalid", "decfail", "numerr[5..1]"}},
        PinSetCase{"erasure_decoder",
                   DvbDecoder({.eras = 1}),
                   {"rsout[8..1]", "rsin[8..1]", "sysclk", "reset", "rdyin", "dsin", "dsout",
                    "bypass", "eras_ind", "outvalid", "decfail", "numerr[5..1]"}}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(RsSymbolPinsTest, PinRowsOfTheErasureDecoder) {
  const Layout layout(DvbDecoder({.eras = 1}));
  std::vector<int> rows;
  for (const SymbolPin& pin : layout.symbol.pins()) rows.push_back(pin.stub().y);
  EXPECT_THAT(rows, ElementsAreArray({32, 32, 48, 64, 48, 80, 96, 112, 128, 64, 80, 96}));
}

TEST(RsSymbolPinsTest, SingleBitPortsAreNotBuses) {
  RsParameters p = DvbDecoder();
  p.m = 1;
  p.r = 1;
  const Layout layout(p);
  const std::string lines = layout.Lines();
  EXPECT_THAT(lines, HasSubstr("PINSTUB 0 224 IN rsin 20 "));
  EXPECT_THAT(lines, HasSubstr("SYMBOL: LINE 0 224 16 224 SOLID THIN\n"));
  EXPECT_THAT(lines, HasSubstr(" OUT numerr "));
}

// ---- Box width ----

struct WidthCase {
  const char* label;
  RsParameters parameters;
  std::string name;
  int width;
};

class BoxWidthTest : public ::testing::TestWithParam<WidthCase> {};

TEST_P(BoxWidthTest, WidestRuleWins) {
  const Layout layout(GetParam().parameters, GetParam().name);
  EXPECT_EQ(layout.symbol.width(), GetParam().width);
  EXPECT_EQ(layout.symbol.height(), 256);
  // The box's right edge stays 8 pixels inside the preview whatever its width.
  EXPECT_EQ(layout.symbol.origin_x() + layout.symbol.width(), layout.symbol.preview_width() - 8);
}

// Label columns at m 4 and 8: R8(60 + 8) + R8(66 + 8) = 152, + 32 = 184.
INSTANTIATE_TEST_SUITE_P(
    Rules, BoxWidthTest,
    ::testing::Values(WidthCase{"label_columns", Encoder(4, 19), "rsdemo", 184},
                      // 37 characters of polynomial: 230 > 152, taken unrounded.
                      WidthCase{"long_polynomial", Encoder(8, 501), "rsdemo", 262},
                      // 35 characters of title: R8(218).
                      WidthCase{"wide_title", Encoder(4, 19), std::string(35, 't'), 224},
                      // "irrpol = 1048576" + 8 + 32 = 136 beats R8(30 + 8) + R8(30 + 8) + 32.
                      WidthCase{"irrpol_line", Encoder(1, 1 << 20), "rsdemo", 136},
                      // "clock" (30) is wider than "rsin" (24): R8(38) + R8(38) + 32.
                      WidthCase{"clock_column", Encoder(1, 3), "rsdemo", 112}),
    [](const auto& info) { return std::string(info.param.label); });

// ---- Title ----

TEST(RsSymbolTitleTest, LongNameIsShortenedToThePreview) {
  // Preview base width: R8(96 + 8) + R8(90 + 8) + 48 = 256; the title gets 248.
  FakeTextMetrics metrics;
  ASSERT_EQ(PreviewBaseWidth(metrics), 256);
  const Layout layout(Encoder(4, 19), std::string(60, 'a'));
  const SymbolText& title = layout.symbol.texts().front();
  EXPECT_EQ(title.text(), std::string(38, 'a') + "...");
  EXPECT_EQ(layout.symbol.width(), 256);  // R8(41 * 6 + 8)
  EXPECT_THAT(layout.Lines(), ::testing::StartsWith("SYMBOL: BOX 256 256 5 242 Arial,10\n"));
}

TEST(RsSymbolTitleTest, NameOf255CharactersGivesAnEmptyTitle) {
  const Layout layout(Encoder(4, 19), std::string(255, 'a'));
  EXPECT_EQ(layout.symbol.texts().front().text(), "");
  EXPECT_EQ(layout.symbol.width(), 184);
  EXPECT_THAT(layout.Lines(), ::testing::StartsWith("SYMBOL: BOX 184 256 92 242 Arial,10\n"));
}

// ---- Texts and body ----

TEST(RsSymbolTextsTest, EncoderTextsAndBodyLines) {
  const Layout layout(Encoder(4, 19));
  // W 184, centre 92; texts 13 high: device lines at 22 - 7 and 8 - 7.
  const std::string expected =
      "SYMBOL: BOX 184 256 74 242 Arial,10\n"
      "SYMBOL: LINE 16 240 16 32 SOLID THIN\n"
      "SYMBOL: LINE 168 240 168 32 SOLID THIN\n"
      "SYMBOL: LINE 16 240 168 240 SOLID THIN\n"
      "SYMBOL: LINE 16 32 168 32 SOLID THIN\n"
      "SYMBOL: TEXT \"encoder\" 71 15 HORIZ Arial,10\n"
      "SYMBOL: TEXT \" \" 89 1 HORIZ Arial,10\n"
      "SYMBOL: TEXT \"irrpol = 19\" 21 64 HORIZ Arial,7\n"
      "SYMBOL: TEXT \"x^4 + x^1 + 1\" 21 48 HORIZ Arial,7\n"
      "SYMBOL: TEXT \"n = 5\" 21 96 HORIZ Arial,7\n"
      "SYMBOL: TEXT \"r = 4\" 21 80 HORIZ Arial,7\n"
      "SYMBOL: TEXT \"genstart = 0\" 21 32 HORIZ Arial,7\n"
      "SYMBOL: PINSTUB 184 224 OUT rsout[4..1] 99 217 \"rsout[4..1]\" HORIZ Arial,8\n"
      "SYMBOL: LINE 184 224 168 224 SOLID THICK\n"
      "SYMBOL: PINSTUB 0 224 IN rsin[4..1] 20 217 \"rsin[4..1]\" HORIZ Arial,8\n"
      "SYMBOL: LINE 0 224 16 224 SOLID THICK\n";
  EXPECT_THAT(layout.Lines(), ::testing::StartsWith(expected));
}

TEST(RsSymbolTextsTest, RelayoutReplacesEverything) {
  FakeTextMetrics metrics;
  Symbol symbol(metrics);
  symbol.set_preview_width(PreviewBaseWidth(metrics) + 16);
  LayoutRsSymbol(symbol, DvbDecoder({.eras = 1}), "a", metrics);
  LayoutRsSymbol(symbol, Encoder(4, 19), "b", metrics);
  EXPECT_EQ(symbol.pins().size(), 6u);
  EXPECT_EQ(symbol.texts().size(), 8u);
  EXPECT_EQ(symbol.lines().size(), 4u);
  EXPECT_EQ(symbol.texts().front().text(), "b");
}

}  // namespace
}  // namespace codexel
