// Painting the symbol, recorded call by call, and the line rasteriser.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "symbol/canvas.h"
#include "symbol/symbol.h"
#include "tests/support/fakes.h"
#include "tests/symbol/hand_symbol.h"
#include "tests/symbol/recording_canvas.h"

namespace codexel {
namespace {

using testing::BuildHandSymbol;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using testing::FakeTextMetrics;
using testing::RecordingCanvas;

// ---- Line rasterising ----

struct TraceCase {
  const char* label;
  Point from;
  Point to;
  int width;
  std::vector<Point> pixels;
};

class TraceLineTest : public ::testing::TestWithParam<TraceCase> {};

TEST_P(TraceLineTest, EndPixelIsLeftOut) {
  const TraceCase& c = GetParam();
  std::vector<Point> pixels;
  TraceWideLine(c.from, c.to, c.width, [&](Point p) { pixels.push_back(p); });
  EXPECT_THAT(pixels, ElementsAreArray(c.pixels));
}

INSTANTIATE_TEST_SUITE_P(
    Lines, TraceLineTest,
    ::testing::Values(
        TraceCase{"empty", {3, 3}, {3, 3}, 1, {}},
        TraceCase{"right", {0, 0}, {3, 0}, 1, {{0, 0}, {1, 0}, {2, 0}}},
        TraceCase{"left", {3, 1}, {0, 1}, 1, {{3, 1}, {2, 1}, {1, 1}}},
        TraceCase{"down", {2, 0}, {2, 2}, 1, {{2, 0}, {2, 1}}},
        TraceCase{"diagonal", {0, 4}, {3, 1}, 1, {{0, 4}, {1, 3}, {2, 2}}},
        TraceCase{"shallow", {0, 0}, {4, 2}, 1, {{0, 0}, {1, 0}, {2, 1}, {3, 1}}},
        TraceCase{"steep", {0, 0}, {1, 3}, 1, {{0, 0}, {0, 1}, {1, 2}}},
        TraceCase{"thick_horizontal", {0, 5}, {2, 5}, 2, {{0, 4}, {0, 5}, {1, 4}, {1, 5}}},
        TraceCase{"thick_vertical", {5, 0}, {5, 2}, 2, {{4, 0}, {5, 0}, {4, 1}, {5, 1}}}),
    [](const auto& info) { return std::string(info.param.label); });

// ---- DrawSymbol ----

TEST(DrawSymbolTest, PaintsEveryPartInOrder) {
  FakeTextMetrics metrics;
  Symbol symbol(metrics);
  symbol.set_preview_width(200);
  BuildHandSymbol(symbol, metrics);
  RecordingCanvas canvas;
  symbol.DrawSymbol(canvas, {0, 0, 175, 288});
  EXPECT_THAT(
      canvas.calls,
      ElementsAre(
          // Shadow on both sides of the separator, then the separator again.
          "checker 100 112 175 192 #808080 #c0dcc0", "checker 175 112 200 192 #808080 #d4d0c8",
          "line 175 0 175 288 w1 #808080",
          // Box, texts over white, outline.
          "fill 92 104 192 184 #ffffff", "text 127 105 'Title' Arial -13 esc0 #008080 on #ffffff",
          "text 126 162 'vert' Arial -9 esc900 #008080 on #ffffff",
          "line 92 104 192 104 w1 #008080", "line 192 104 192 184 w1 #008080",
          "line 192 184 92 184 w1 #008080", "line 92 184 92 104 w1 #008080",
          // The thick line.
          "line 108 120 108 168 w2 #000000",
          // Bus pin: name, stub, slash, width, cross.
          "text 112 122 'd[7..0]' Arial -11 esc0 #000000 on #ffffff",
          "line 92 128 108 128 w2 #000000", "line 94 132 102 124 w1 #008080",
          "text 99 129 '8' Arial -9 esc0 #008080 on #ffffff", "line 88 124 96 132 w1 #0000ff",
          "line 88 132 96 124 w1 #0000ff",
          // Clocked pin with its wedge.
          "text 118 138 'clk' Arial -11 esc0 #000000 on #ffffff", "line 92 144 108 144 w1 #000000",
          "line 108 138 114 144 w1 #000000", "line 114 144 108 150 w1 #000000",
          "line 88 140 96 148 w1 #0000ff", "line 88 148 96 140 w1 #0000ff",
          // Bidirectional pin on the right edge.
          "text 161 154 'io' Arial -11 esc0 #000000 on #ffffff", "line 192 160 176 160 w1 #000000",
          "line 188 156 196 164 w1 #0000ff", "line 188 164 196 156 w1 #0000ff",
          // A pin named "-" gets no cross.
          "text 86 164 '-' Arial -11 esc900 #000000 on #ffffff", "line 92 168 108 168 w1 #000000"));
}

TEST(DrawSymbolTest, ShadowLeftOfTheSeparatorIsAllGreen) {
  FakeTextMetrics metrics;
  Symbol symbol(metrics);
  symbol.set_preview_width(100);
  symbol.Reset(40, 30);  // origin (52, 129), shadow 60..100
  RecordingCanvas canvas;
  symbol.DrawSymbol(canvas, {0, 0, 120, 288});
  ASSERT_GE(canvas.calls.size(), 2u);
  EXPECT_EQ(canvas.calls[0], "checker 60 137 100 167 #808080 #c0dcc0");
  EXPECT_EQ(canvas.calls[1], "line 120 0 120 288 w1 #808080");
}

TEST(DrawSymbolTest, DotThicknessAndPinsWithoutCross) {
  FakeTextMetrics metrics;
  Symbol symbol(metrics);
  symbol.set_preview_width(100);
  symbol.Reset(40, 40);  // origin (52, 124)
  symbol.AddLine(SymbolLine(4, 4, kBlack, 10, 0, 2, true));
  symbol.AddPin(SymbolPin(metrics, {.x = 0, .y = 20, .dx = 16, .name = "", .anchor = 3}));
  RecordingCanvas canvas;
  canvas.set_background_colour(kCream);
  symbol.DrawSymbol(canvas, {0, 0, 75, 288});
  std::vector<std::string> tail(canvas.calls.end() - 5, canvas.calls.end());
  EXPECT_THAT(tail, ElementsAre("line 52 164 52 124 w1 #008080",
                                // Thickness 2 is painted 1 pixel wide, with its dot.
                                "line 56 128 66 128 w1 #000000", "ellipse 55 127 57 129 w1 #000000",
                                "text 72 138 '' Arial -11 esc0 #000000 on #fffbf0",
                                "line 52 144 68 144 w1 #000000"));
}

TEST(DrawSymbolTest, CirclesAndArcsArePaintedAroundTheirCentre) {
  FakeTextMetrics metrics;
  Symbol symbol(metrics);
  symbol.set_preview_width(100);
  symbol.Reset(40, 40);  // origin (52, 124)
  symbol.AddCircle(SymbolCircle(10, 10, kTeal, 3));
  symbol.AddArc(SymbolArc(20, 20, kTeal, 5, {25, 20}, {20, 15}));
  RecordingCanvas canvas;
  symbol.DrawSymbol(canvas, {0, 0, 75, 288});
  std::vector<std::string> tail(canvas.calls.end() - 2, canvas.calls.end());
  EXPECT_THAT(tail, ElementsAre("ellipse 59 131 65 137 w1 #008080",
                                "arc 67 139 77 149 77 144 72 139 w1 #008080"));
}

TEST(PaintPreviewPanelTest, BackgroundStripAndEdgesComeFirst) {
  FakeTextMetrics metrics;
  Symbol symbol(metrics);
  symbol.set_preview_width(200);
  symbol.Reset(100, 80);
  RecordingCanvas canvas;
  PaintPreviewPanel(canvas, symbol, {0, 0, 200, 300});
  ASSERT_GE(canvas.calls.size(), 6u);
  EXPECT_THAT(std::vector<std::string>(canvas.calls.begin(), canvas.calls.begin() + 6),
              ElementsAre("fill 0 0 175 300 #c0dcc0", "fill 175 0 200 300 #d4d0c8",
                          "line 175 0 175 300 w1 #808080", "line 176 0 176 300 w1 #fffbf0",
                          "checker 100 112 175 192 #808080 #c0dcc0",
                          "checker 175 112 200 192 #808080 #d4d0c8"));
  EXPECT_EQ(canvas.calls[6], "line 175 0 175 300 w1 #808080");
}

}  // namespace
}  // namespace codexel
