// Symbol lines, text placement and pin construction, measured with a fake
// whose every character is 6 pixels wide and 13 high.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "symbol/symbol.h"
#include "tests/support/fakes.h"
#include "tests/symbol/hand_symbol.h"

namespace codexel {
namespace {

using testing::BuildHandSymbol;
using testing::FakeTextMetrics;
using ::testing::IsEmpty;

std::string Lines(const Symbol& symbol) {
  std::ostringstream out;
  EXPECT_TRUE(symbol.WriteSymbol(out));
  return out.str();
}

TextDesc Text(int x, int y, std::string text, int size, int anchor, int orientation, int h_margin,
              int v_margin) {
  return {.x = x,
          .y = y,
          .text = std::move(text),
          .colour = kTeal,
          .size = size,
          .anchor = anchor,
          .orientation = orientation,
          .face = "Arial",
          .h_margin = h_margin,
          .v_margin = v_margin};
}

TEST(SymbolLinesTest, HandBuiltSymbolIsWrittenExactly) {
  FakeTextMetrics metrics;
  Symbol symbol(metrics);
  symbol.set_preview_width(200);
  BuildHandSymbol(symbol, metrics);
  EXPECT_EQ(Lines(symbol),
            "SYMBOL: BOX 100 80 35 66 Arial,10\n"
            "SYMBOL: LINE 16 64 16 16 SOLID THICK\n"
            "SYMBOL: TEXT \"vert\" 34 22 VERT Arial,7\n"
            "SYMBOL: LINE 2 52 10 60 SOLID THIN\n"
            "SYMBOL: TEXT \"8\" 7 42 HORIZ Arial,7\n"
            "SYMBOL: PINSTUB 0 56 IN d 20 49 \"d[7..0]\" HORIZ Arial,8\n"
            "SYMBOL: LINE 0 56 16 56 SOLID THICK\n"
            "SYMBOL: PINSTUB 0 40 IN clk 26 33 \"clk\" HORIZ Arial,8\n"
            "SYMBOL: LINE 0 40 16 40 SOLID THIN\n"
            "SYMBOL: LINE 16 46 22 40 SOLID THIN\n"
            "SYMBOL: LINE 22 40 16 34 SOLID THIN\n"
            "SYMBOL: PINSTUB 100 24 BIDIR bus_io 69 17 \"io\" HORIZ Arial,8\n"
            "SYMBOL: LINE 100 24 84 24 SOLID THIN\n"
            "SYMBOL: PINSTUB 0 16 IN - -6 20 \"-\" VERT Arial,8\n"
            "SYMBOL: LINE 0 16 16 16 SOLID THIN\n");
}

TEST(SymbolLinesTest, WizardInfoBlockEndsWithTheSymbolLines) {
  FakeTextMetrics metrics;
  Symbol symbol(metrics);
  BuildHandSymbol(symbol, metrics);
  WizardInfoModel model;
  model.AddConstantNumber("m", 8);
  std::ostringstream block;
  WriteWizardInfoBlock(block, model, "rs_enc", &symbol);
  EXPECT_THAT(block.str(), ::testing::EndsWith("\n" + Lines(symbol)));
}

TEST(SymbolLinesTest, AddingCopiesTheOriginIntoEveryPart) {
  FakeTextMetrics metrics;
  Symbol symbol(metrics);
  symbol.set_preview_width(200);
  BuildHandSymbol(symbol, metrics);
  // 200 - 100 - 8 and (288 - 80) / 2.
  EXPECT_EQ(symbol.origin_x(), 92);
  EXPECT_EQ(symbol.origin_y(), 104);
  EXPECT_EQ(symbol.lines()[0].origin_x, 92);
  EXPECT_EQ(symbol.texts()[1].origin_y, 104);
  const SymbolPin& bus = symbol.pins()[0];
  EXPECT_EQ(bus.stub().origin_x, 92);
  EXPECT_EQ(bus.name_text().origin_x, 92);
  ASSERT_TRUE(bus.slash().has_value());
  EXPECT_EQ(bus.slash()->origin_y, 104);
  ASSERT_TRUE(bus.bus_width_text().has_value());
  EXPECT_EQ(bus.bus_width_text()->origin_y, 104);
}

TEST(SymbolLinesTest, ResetCentresVerticallyAndEmptiesEveryList) {
  FakeTextMetrics metrics;
  Symbol symbol(metrics);
  symbol.set_preview_width(240);
  BuildHandSymbol(symbol, metrics);
  symbol.Reset(151, 255);
  EXPECT_EQ(symbol.origin_x(), 240 - 151 - 8);
  EXPECT_EQ(symbol.origin_y(), 16);  // (288 - 255) / 2 truncated
  EXPECT_THAT(symbol.lines(), IsEmpty());
  EXPECT_THAT(symbol.texts(), IsEmpty());
  EXPECT_THAT(symbol.pins(), IsEmpty());
  symbol.Reset(0, 0);
  EXPECT_EQ(Lines(symbol), "");
}

TEST(SymbolLinesTest, WithoutTextsThereIsNoBoxLine) {
  FakeTextMetrics metrics;
  Symbol symbol(metrics);
  symbol.Reset(40, 100);
  symbol.AddLine(SymbolLine(0, 48, kBlack, 16, 0));
  symbol.AddLine(SymbolLine(0, 0, kBlack, 4, 4, 2));  // any non-zero thickness is THICK
  EXPECT_EQ(Lines(symbol),
            "SYMBOL: LINE 0 52 16 52 SOLID THIN\n"
            "SYMBOL: LINE 0 100 4 96 SOLID THICK\n");
}

TEST(SymbolLinesTest, CirclesAndArcsComeBetweenLinesAndTexts) {
  FakeTextMetrics metrics;
  Symbol symbol(metrics);
  symbol.Reset(64, 64);
  symbol.AddText(SymbolText(metrics, Text(32, 0, "T", 10, 1, kHorizontal, 1, 1)));
  symbol.AddText(SymbolText(metrics, Text(2, 2, "ab", 7, 0, kHorizontal, 1, 1)));
  symbol.AddArc(SymbolArc(30, 30, kTeal, 5, {35, 30}, {30, 25}));
  symbol.AddCircle(SymbolCircle(10, 20, kTeal, 3));
  symbol.AddLine(SymbolLine(1, 2, kBlack, 3, 4));
  EXPECT_EQ(Lines(symbol),
            "SYMBOL: BOX 64 64 29 50 Arial,10\n"
            "SYMBOL: LINE 1 62 4 58 SOLID THIN\n"
            "SYMBOL: CIRCLE 10 44 3 FALSE\n"
            "SYMBOL: ARC 30 34 35 34 30 39 5\n"
            "SYMBOL: TEXT \"ab\" 3 48 HORIZ Arial,7\n");
}

TEST(SymbolLinesTest, ListsStopAtTheirCapacity) {
  FakeTextMetrics metrics;
  Symbol symbol(metrics);
  symbol.Reset(10, 10);
  for (int i = 0; i < Symbol::kMaxLines; ++i) {
    ASSERT_TRUE(symbol.AddLine(SymbolLine(i, 0, kBlack, 1, 0)));
  }
  EXPECT_FALSE(symbol.AddLine(SymbolLine(0, 0, kBlack, 1, 0)));
  EXPECT_EQ(symbol.lines().size(), static_cast<std::size_t>(Symbol::kMaxLines));
  for (int i = 0; i < Symbol::kMaxCircles; ++i) {
    ASSERT_TRUE(symbol.AddCircle(SymbolCircle(0, 0, kTeal, 1)));
  }
  EXPECT_FALSE(symbol.AddCircle(SymbolCircle(0, 0, kTeal, 1)));
}

// ---- Text placement ----

struct PlacementCase {
  int anchor;
  int orientation;
  int left;
  int top;
};

class TextPlacementTest : public ::testing::TestWithParam<PlacementCase> {};

// A 30 x 13 text ("abcde") anchored at (50, 60) with margins 2 and 1.
TEST_P(TextPlacementTest, AnchorCodePlacesTheCell) {
  FakeTextMetrics metrics;
  const PlacementCase& c = GetParam();
  const SymbolText text(metrics, Text(50, 60, "abcde", 8, c.anchor, c.orientation, 2, 1));
  EXPECT_EQ(text.width(), 30);
  EXPECT_EQ(text.height(), 13);
  EXPECT_EQ(text.left(), c.left);
  EXPECT_EQ(text.top(), c.top);
}

INSTANTIATE_TEST_SUITE_P(
    AllCodes, TextPlacementTest,
    ::testing::Values(PlacementCase{0, kHorizontal, 52, 61}, PlacementCase{1, kHorizontal, 35, 61},
                      PlacementCase{2, kHorizontal, 19, 61}, PlacementCase{3, kHorizontal, 52, 54},
                      PlacementCase{4, kHorizontal, 35, 54}, PlacementCase{5, kHorizontal, 19, 54},
                      PlacementCase{6, kHorizontal, 52, 47}, PlacementCase{7, kHorizontal, 35, 47},
                      PlacementCase{8, kHorizontal, 19, 47}, PlacementCase{0, kVertical, 51, 58},
                      PlacementCase{4, kVertical, 44, 75}, PlacementCase{8, kVertical, 37, 91}));

TEST(SymbolTextTest, TopCentredTextOfTheWorkedPlacement) {
  FakeTextMetrics metrics(1, 16);
  const SymbolText text(metrics, Text(100, 0, std::string(41, 'w'), 10, 1, kHorizontal, 1, 1));
  EXPECT_EQ(text.left(), 80);
  EXPECT_EQ(text.top(), 1);
  EXPECT_EQ(text.FileY(256), 239);
}

// ---- Pin construction ----

struct SlashCase {
  const char* label;
  int bus_width;
  int slash_x;
  int slash_left;          // x of the slash's start, centre - 4
  const char* width_text;  // null: no bus width text
};

class PinSlashTest : public ::testing::TestWithParam<SlashCase> {};

TEST_P(PinSlashTest, SlashSitsAcrossTheStub) {
  FakeTextMetrics metrics;
  const SlashCase& c = GetParam();
  const SymbolPin pin(metrics, {.x = 10,
                                .y = 40,
                                .dx = 30,
                                .name = "q",
                                .bus = 1,
                                .anchor = 3,
                                .bus_width = c.bus_width,
                                .slash_x = c.slash_x});
  ASSERT_TRUE(pin.slash().has_value());
  EXPECT_EQ(pin.slash()->x, c.slash_left);
  EXPECT_EQ(pin.slash()->y, 44);
  EXPECT_EQ(pin.slash()->dx, 8);
  EXPECT_EQ(pin.slash()->dy, -8);
  EXPECT_EQ(pin.slash()->colour, kTeal);
  if (c.width_text == nullptr) {
    EXPECT_FALSE(pin.bus_width_text().has_value());
  } else {
    ASSERT_TRUE(pin.bus_width_text().has_value());
    EXPECT_EQ(pin.bus_width_text()->text(), c.width_text);
    EXPECT_EQ(pin.bus_width_text()->size(), 7);
    EXPECT_EQ(pin.bus_width_text()->left(), c.slash_left + 4 + 1);
    EXPECT_EQ(pin.bus_width_text()->top(), 41);
  }
}

// Stub from x 10, 30 long: middle 25.
INSTANTIATE_TEST_SUITE_P(Widths, PinSlashTest,
                         ::testing::Values(SlashCase{"narrow", 8, 0, 25 - 2 - 4, "8"},
                                           SlashCase{"wide", 16, 0, 25 - 4 - 4, "16"},
                                           SlashCase{"placed", 8, 30, 26, "8"},
                                           SlashCase{"negative", -1, 0, 25 - 2 - 4, nullptr}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST(SymbolPinTest, PlainPinHasNoSlashAndUsesItsNameAsPort) {
  FakeTextMetrics metrics;
  const SymbolPin pin(metrics, {.x = 0, .y = 32, .dx = 16, .name = "reset", .anchor = 3});
  EXPECT_FALSE(pin.slash().has_value());
  EXPECT_FALSE(pin.bus_width_text().has_value());
  EXPECT_EQ(pin.port_name(), "reset");
  EXPECT_EQ(pin.stub().colour, kBlack);
  EXPECT_EQ(pin.name_text().face(), "Arial");
  EXPECT_EQ(pin.name_text().size(), 8);
}

TEST(SymbolPinTest, OutputPinIsWrittenOut) {
  FakeTextMetrics metrics;
  Symbol symbol(metrics);
  symbol.Reset(50, 40);
  symbol.AddPin(SymbolPin(
      metrics, {.x = 50, .y = 8, .dx = -16, .name = "q", .direction = kPinOutput, .anchor = 5}));
  EXPECT_THAT(Lines(symbol), ::testing::StartsWith("SYMBOL: PINSTUB 50 32 OUT q 25 "));
}

}  // namespace
}  // namespace codexel
