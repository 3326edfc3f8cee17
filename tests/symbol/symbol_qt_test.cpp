// The symbol measured with the real fonts of the offscreen platform and
// painted on a QImage.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QFontInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPalette>
#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "platform/qt_canvas.h"
#include "platform/qt_font.h"
#include "platform/qt_services.h"
#include "symbol/rs_symbol.h"
#include "symbol/symbol.h"
#include "tests/support/parameter_sets.h"

namespace codexel {
namespace {

using ::testing::ElementsAreArray;

std::string S(int value) { return std::to_string(value); }

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

class OnScreenTest : public ::testing::Test {
 protected:
  void LayOut(const RsParameters& p) {
    symbol_.set_preview_width(PreviewBaseWidth(metrics_) + 16);
    LayoutRsSymbol(symbol_, p, "rsdemo", metrics_);
  }
  int W(int points, const std::string& text) { return metrics_.Width({"Arial", points}, text); }
  int H(int points) { return metrics_.Height({"Arial", points}, "Xg"); }

  QtTextMetrics metrics_;
  Symbol symbol_{metrics_};
};

TEST_F(OnScreenTest, ArialIsAMetricCompatibleFace) {
  const QFontInfo info(MakeQFont(MakeFontRequest("Arial", 10, false, metrics_.VerticalDpi())));
  EXPECT_EQ(info.family().toStdString(), "Liberation Sans");
  EXPECT_EQ(info.pixelSize(), 13);
  EXPECT_EQ(metrics_.VerticalDpi(), 96);
  EXPECT_GT(H(7), 0);
  EXPECT_LT(H(7), H(8));
  EXPECT_LT(H(8), H(10));
  EXPECT_EQ(W(8, "sysclk"), W(8, "sys") + W(8, "clk"));  // plain sums of advances
}

TEST_F(OnScreenTest, WorkedExampleLines) {
  LayOut(testing::DvbCode());
  const int h8 = H(8);
  const int h10 = H(10);
  // The box width rules, from the measured widths.
  const int a = RoundUp8(std::max(W(8, "clock"), W(8, "rsin[8..1]")) + 8);
  const int b = RoundUp8(W(8, "rsout[8..1]") + 8);
  const int poly = W(7, "x^8 + x^4 + x^3 + x^2 + 1") + 8;
  int w = poly > a + b ? poly + 32 : a + b + 32;
  if (W(10, "rsdemo") + 8 > w) w = RoundUp8(W(10, "rsdemo") + 8);
  if (W(7, "irrpol = 285") + 40 > w) w = RoundUp8(W(7, "irrpol = 285") + 40);
  ASSERT_EQ(symbol_.width(), w);
  const int c = w / 2;
  const std::string right = S(w - 16);
  const std::string pin_y = S(224 - (h8 - h8 / 2));
  std::vector<std::string> expected = {
      "SYMBOL: BOX " + S(w) + " 256 " + S(c - W(10, "rsdemo") / 2) + " " + S(255 - h10) +
          " Arial,10",
      "SYMBOL: LINE 16 240 16 32 SOLID THIN",
      "SYMBOL: LINE " + right + " 240 " + right + " 32 SOLID THIN",
      "SYMBOL: LINE 16 240 " + right + " 240 SOLID THIN",
      "SYMBOL: LINE 16 32 " + right + " 32 SOLID THIN",
      "SYMBOL: TEXT \"encoder\" " + S(c - W(10, "encoder") / 2) + " " + S(22 - (h10 - h10 / 2)) +
          " HORIZ Arial,10",
      "SYMBOL: TEXT \" \" " + S(c - W(10, " ") / 2) + " " + S(8 - (h10 - h10 / 2)) +
          " HORIZ Arial,10",
      "SYMBOL: TEXT \"irrpol = 285\" 21 64 HORIZ Arial,7",
      "SYMBOL: TEXT \"x^8 + x^4 + x^3 + x^2 + 1\" 21 48 HORIZ Arial,7",
      "SYMBOL: TEXT \"n = 204\" 21 96 HORIZ Arial,7",
      "SYMBOL: TEXT \"r = 16\" 21 80 HORIZ Arial,7",
      "SYMBOL: TEXT \"genstart = 0\" 21 32 HORIZ Arial,7",
      "SYMBOL: PINSTUB " + S(w) + " 224 OUT rsout[8..1] " + S(w - 19 - W(8, "rsout[8..1]")) + " " +
          pin_y + " \"rsout[8..1]\" HORIZ Arial,8",
      "SYMBOL: LINE " + S(w) + " 224 " + right + " 224 SOLID THICK",
      "SYMBOL: PINSTUB 0 224 IN rsin[8..1] 20 " + pin_y + " \"rsin[8..1]\" HORIZ Arial,8",
      "SYMBOL: LINE 0 224 16 224 SOLID THICK"};
  for (const auto& [name, y] : std::vector<std::pair<std::string, int>>{
           {"sysclk", 208}, {"reset", 192}, {"start", 176}, {"enable", 160}}) {
    const std::string name_y = S(y - (h8 - h8 / 2));
    expected.push_back("SYMBOL: PINSTUB 0 " + S(y) + " IN " + name + " 20 " + name_y + " \"" +
                       name + "\" HORIZ Arial,8");
    expected.push_back("SYMBOL: LINE 0 " + S(y) + " 16 " + S(y) + " SOLID THIN");
  }
  ASSERT_EQ(expected.size(), 24u);
  std::ostringstream out;
  ASSERT_TRUE(symbol_.WriteSymbol(out));
  EXPECT_THAT(SplitLines(out.str()), ElementsAreArray(expected));
}

// ---- Painting ----

constexpr Rgb kFace{212, 208, 200};

Rgb Pixel(const QImage& image, int x, int y) { return FromQColor(image.pixelColor(x, y)); }

class RenderedSymbolTest : public OnScreenTest {
 protected:
  void Render(const RsParameters& p) {
    LayOut(p);
    image_ = QImage(symbol_.preview_width(), symbol_.preview_height(), QImage::Format_RGB32);
    image_.fill(Qt::magenta);
    QPainter painter(&image_);
    QtCanvas canvas(painter, kFace);
    PaintPreviewPanel(canvas, symbol_, {0, 0, image_.width(), image_.height()});
  }
  // A pixel in the symbol's local coordinates.
  Rgb Local(int x, int y) const {
    return Pixel(image_, symbol_.origin_x() + x, symbol_.origin_y() + y);
  }

  QImage image_;
};

TEST_F(RenderedSymbolTest, BoxOutlineShadowAndPins) {
  Render(testing::DvbCode());
  const int w = symbol_.width();
  const int h = symbol_.height();
  const int separator = image_.width() - kPreviewStripWidth;
  // Box white, outline teal on all four sides.
  EXPECT_EQ(Local(8, 150), kWhite);
  EXPECT_EQ(Local(w - 8, 150), kWhite);
  EXPECT_EQ(Local(40, 0), kTeal);
  EXPECT_EQ(Local(0, 150), kTeal);
  EXPECT_EQ(Local(w, 150), kTeal);
  EXPECT_EQ(Local(40, h), kTeal);
  // Pin stubs black; the data input is a 2-pixel bus, sysclk a single line.
  EXPECT_EQ(Local(8, 48), kBlack);
  EXPECT_EQ(Local(8, 47), kWhite);
  EXPECT_EQ(Local(8, 31), kBlack);
  EXPECT_EQ(Local(8, 32), kBlack);
  // The connection cross leaves out its end pixels.
  EXPECT_EQ(Local(3, 51), kBlue);
  EXPECT_EQ(Local(4, 52), kWhite);
  EXPECT_EQ(Local(-3, 45), kBlue);
  EXPECT_EQ(Local(-4, 44), kBlue);
  // Shadow below the box: gray and green left of the separator, gray and
  // dialog face right of it, the separator line over it.
  const int y = symbol_.origin_y() + h + 4;
  ASSERT_LT(symbol_.origin_x() + 8, separator - 2);
  for (int x : {separator - 2, separator - 1, separator + 1, separator + 2}) {
    const bool gray = (x + y) % 2 == 0;
    const Rgb expected = gray ? kGray : (x < separator ? kGreen : kFace);
    EXPECT_EQ(Pixel(image_, x, y), expected) << x;
  }
  EXPECT_EQ(Pixel(image_, separator, y), kDarkGray);
  // Shadow right of the box, in the strip.
  const int sx = symbol_.origin_x() + w + 4;
  const int sy = symbol_.origin_y() + 100;
  EXPECT_EQ(Pixel(image_, sx, sy), (sx + sy) % 2 == 0 ? kGray : kFace);
  EXPECT_EQ(Pixel(image_, sx + 1, sy), (sx + sy) % 2 == 0 ? kFace : kGray);
  // Background, strip and its two edge lines outside the shadow.
  EXPECT_EQ(Pixel(image_, 2, 2), kGreen);
  EXPECT_EQ(Pixel(image_, separator, 2), kDarkGray);
  EXPECT_EQ(Pixel(image_, separator + 1, 2), kCream);
  EXPECT_EQ(Pixel(image_, image_.width() - 1, 2), kFace);
}

TEST_F(RenderedSymbolTest, TitleIsPaintedInTeal) {
  Render(testing::DvbCode());
  const SymbolText& title = symbol_.texts().front();
  int teal_like = 0;
  for (int y = title.top(); y < title.top() + title.height(); ++y) {
    for (int x = title.left(); x < title.left() + title.width(); ++x) {
      const Rgb p = Local(x, y);
      teal_like += p.red < 64 && p.green > 64 && p.green == p.blue;
    }
  }
  EXPECT_GT(teal_like, 10);
}

// ---- The Qt canvas itself ----

struct CanvasLineCase {
  const char* label;
  Point from;
  Point to;
  int width;
  std::vector<Point> set;
  std::vector<Point> clear;
};

class QtCanvasLineTest : public ::testing::TestWithParam<CanvasLineCase> {};

TEST_P(QtCanvasLineTest, EndPixelIsLeftOut) {
  const CanvasLineCase& c = GetParam();
  QImage image(20, 20, QImage::Format_RGB32);
  image.fill(Qt::white);
  {
    QPainter painter(&image);
    QtCanvas canvas(painter, kFace);
    canvas.DrawLine(c.from, c.to, c.width, kBlue);
  }
  for (Point p : c.set) EXPECT_EQ(Pixel(image, p.x, p.y), kBlue) << p.x << "," << p.y;
  for (Point p : c.clear) EXPECT_EQ(Pixel(image, p.x, p.y), kWhite) << p.x << "," << p.y;
}

INSTANTIATE_TEST_SUITE_P(
    Lines, QtCanvasLineTest,
    ::testing::Values(
        CanvasLineCase{"horizontal", {2, 5}, {10, 5}, 1, {{2, 5}, {9, 5}}, {{10, 5}, {9, 4}}},
        CanvasLineCase{"backwards", {10, 5}, {2, 5}, 1, {{10, 5}, {3, 5}}, {{2, 5}}},
        CanvasLineCase{"vertical", {4, 1}, {4, 9}, 1, {{4, 1}, {4, 8}}, {{4, 9}}},
        CanvasLineCase{"diagonal", {1, 9}, {9, 1}, 1, {{1, 9}, {8, 2}}, {{9, 1}}},
        CanvasLineCase{"thick",
                       {2, 5},
                       {10, 5},
                       2,
                       {{2, 4}, {9, 5}, {9, 4}},
                       {{10, 5}, {10, 4}, {2, 6}, {2, 3}}}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(QtCanvasTest, CheckerboardFollowsDeviceParity) {
  QImage image(10, 10, QImage::Format_RGB32);
  image.fill(Qt::white);
  {
    QPainter painter(&image);
    QtCanvas canvas(painter, kFace);
    canvas.FillCheckerboard({3, 2, 7, 6}, kGray, kGreen);
  }
  EXPECT_EQ(Pixel(image, 3, 3), kGray);
  EXPECT_EQ(Pixel(image, 4, 3), kGreen);
  EXPECT_EQ(Pixel(image, 3, 2), kGreen);
  EXPECT_EQ(Pixel(image, 6, 5), kGreen);
  EXPECT_EQ(Pixel(image, 6, 4), kGray);
  EXPECT_EQ(Pixel(image, 7, 4), kWhite);
  EXPECT_EQ(Pixel(image, 3, 6), kWhite);
}

TEST(QtCanvasTest, VerticalTextRunsUpwardsFromItsCorner) {
  QImage image(60, 80, QImage::Format_RGB32);
  image.fill(Qt::white);
  QtTextMetrics metrics;
  const int w = metrics.Width({"Arial", 8}, "WWW");
  const int h = metrics.Height({"Arial", 8}, "WWW");
  {
    QPainter painter(&image);
    QtCanvas canvas(painter, kFace);
    canvas.DrawText({20, 70}, "WWW", MakeFontRequest("Arial", 8, true, canvas.VerticalDpi()),
                    kBlack, kCream);
  }
  // The opaque cell turns to cover x 20 .. 20 + h and y 70 - w .. 70.
  EXPECT_NE(Pixel(image, 20, 69), kWhite);
  EXPECT_NE(Pixel(image, 20 + h - 1, 70 - w), kWhite);
  EXPECT_EQ(Pixel(image, 20 + h, 69), kWhite);
  EXPECT_EQ(Pixel(image, 20, 70), kWhite);
  EXPECT_EQ(Pixel(image, 20, 70 - w - 1), kWhite);
  EXPECT_EQ(Pixel(image, 19, 69), kWhite);
}

TEST(QtCanvasTest, DialogFaceIsTheApplicationButtonColour) {
  QImage image(4, 4, QImage::Format_RGB32);
  QPainter painter(&image);
  QtCanvas canvas(painter);
  EXPECT_EQ(canvas.DialogFaceColour(),
            FromQColor(QGuiApplication::palette().color(QPalette::Button)));
  EXPECT_EQ(canvas.VerticalDpi(), 96);
}

}  // namespace
}  // namespace codexel
