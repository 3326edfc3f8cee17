// The RS pages on their own, offscreen: what the user sees and what each
// click leaves in the parameter set, the module name and the preview.

#include <gtest/gtest.h>

#include <QDialog>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <functional>
#include <set>

#include "platform/qt_canvas.h"
#include "rs_pages/rs_page.h"
#include "tests/rs_pages/rs_page_test.h"
#include "tests/support/page_checks.h"
#include "tests/support/parameter_sets.h"

namespace codexel::testing {
namespace {

using Names = std::set<std::string>;

Names MarkedButtons(QWidget& window) {
  Names marked;
  for (QRadioButton* button : window.findChildren<QRadioButton*>()) {
    if (button->isChecked()) marked.insert(button->objectName().toStdString());
  }
  return marked;
}

// The three lower groups and their six buttons are enabled together.
bool DecoderChoicesEnabled(QWidget& window) {
  int enabled = 0;
  int total = 0;
  for (const char* name : {"decoderTypeGroup", "architectureGroup", "speedGroup", "standardButton",
                           "erasureButton", "discreteButton", "streamingButton", "fullButton",
                           "halfButton"}) {
    QWidget* control = window.findChild<QWidget*>(name);
    if (!control) ADD_FAILURE() << "no control " << name;
    total += 1;
    enabled += control && control->isEnabled();
  }
  EXPECT_TRUE(enabled == 0 || enabled == total) << "only some decoder choices are enabled";
  return enabled == total;
}

QImage Grab(QWidget& window) {
  auto* panel = window.findChild<SymbolPanel*>("symbolPanel");
  return panel ? panel->grab().toImage() : QImage();
}

// ---- Device type page ----

struct DeviceStep {
  const char* click;  // null: the page as it opens
  Names marked;
  bool decoder_choices;
  std::string module;
  std::size_t pins;  // of the symbol the preview shows
};

TEST_F(RsPageTest, DeviceTypeChoicesSetTheFlagsTheModuleAndThePreview) {
  const std::vector<DeviceStep> steps = {
      {nullptr, {"encoderButton", "standardButton", "discreteButton", "fullButton"}, false,
       "RS_Enc", 6},
      {"decoderButton", {"decoderButton", "standardButton", "discreteButton", "fullButton"}, true,
       "rs_std_dsc", 11},
      {"erasureButton", {"decoderButton", "erasureButton", "discreteButton", "fullButton"}, true,
       "rs_eras_dsc", 12},
      {"streamingButton", {"decoderButton", "erasureButton", "streamingButton", "fullButton"},
       true, "rs_eras_str", 12},
      {"halfButton", {"decoderButton", "erasureButton", "streamingButton", "halfButton"}, true,
       "rs_eras_str", 12},
      {"encoderButton", {"encoderButton", "erasureButton", "streamingButton", "halfButton"}, false,
       "RS_Enc", 6},
  };
  EXPECT_EQ(app_.host().module_name, "default") << "until the page has been shown";
  Show(RsPageKind::kDeviceType, [&](QWidget& window) {
    QImage previous = Grab(window);
    ASSERT_FALSE(previous.isNull());
    for (const DeviceStep& step : steps) {
      SCOPED_TRACE(step.click ? step.click : "opened");
      if (step.click) {
        ClickButton(window, step.click);
        const QImage now = Grab(window);
        EXPECT_FALSE(now == previous) << "the preview shows the new symbol";
        previous = now;
      }
      EXPECT_EQ(MarkedButtons(window), step.marked);
      EXPECT_EQ(DecoderChoicesEnabled(window), step.decoder_choices);
      EXPECT_EQ(app_.host().module_name, step.module);
      EXPECT_EQ(app_.rs_symbol().pins().size(), step.pins);
    }
  });
  // The decoder choices are kept while the encoder is chosen.
  const RsParameters& p = app_.parameters();
  EXPECT_EQ(p.Enc_Dec, 1);
  EXPECT_EQ(p.Eras_Stnd, 1);
  EXPECT_EQ(p.Disc_Stream, 0);
  EXPECT_EQ(p.Fast_Small, 0);
}

struct OpeningCase {
  const char* name;
  RsParameters parameters;
  Names marked;
  bool decoder_choices;
  std::string module;
};

class DeviceOpeningTest : public RsPageTest, public ::testing::WithParamInterface<OpeningCase> {};

TEST_P(DeviceOpeningTest, OpensOnTheRecordedFlags) {
  app_.parameters() = GetParam().parameters;
  Show(RsPageKind::kDeviceType, [&](QWidget& window) {
    EXPECT_EQ(MarkedButtons(window), GetParam().marked);
    EXPECT_EQ(DecoderChoicesEnabled(window), GetParam().decoder_choices);
    ExpectAccessibleNames(window);
  });
  EXPECT_EQ(app_.host().module_name, GetParam().module);
}

RsParameters EditedEncoder() {
  RsParameters p;  // an encoder's block records no decoder flags
  p.Disc_Stream = 0;
  p.Fast_Small = 0;
  return p;
}

INSTANTIATE_TEST_SUITE_P(
    States, DeviceOpeningTest,
    ::testing::Values(
        OpeningCase{"NewVariation", RsParameters{},
                    {"encoderButton", "standardButton", "discreteButton", "fullButton"}, false,
                    "RS_Enc"},
        OpeningCase{"EditedEncoder", EditedEncoder(),
                    {"encoderButton", "standardButton", "streamingButton", "halfButton"}, false,
                    "RS_Enc"},
        OpeningCase{"EditedErasureStreamingDecoder",
                    DvbDecoder({.eras = 1, .discrete = 0, .full = 1}),
                    {"decoderButton", "erasureButton", "streamingButton", "fullButton"}, true,
                    "rs_eras_str"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RsPageTest, DeviceTypeKeyboard) {
  Show(RsPageKind::kDeviceType, [&](QWidget& window) {
    EXPECT_EQ(QApplication::focusWidget()->objectName(), "encoderButton");
    // An arrow key moves within the group and chooses, as a click does.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    EXPECT_EQ(QApplication::focusWidget()->objectName(), "decoderButton");
    EXPECT_EQ(app_.host().module_name, "rs_std_dsc");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
    EXPECT_EQ(app_.host().module_name, "RS_Enc");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    // Tab goes down the page, one stop per group, then along the button row.
    EXPECT_EQ(TabWalk(window, 8),
              (std::vector<std::string>{"standardButton", "discreteButton", "fullButton",
                                        "cancelButton", "backButton", "nextButton",
                                        "finishButton", "decoderButton"}));
  });
}

// ---- Order codes page ----

struct OrderCase {
  const char* name;
  RsParameters parameters;
  std::string primary;
  std::string erasures;
  bool erasures_enabled;
};

class OrderCodesTest : public RsPageTest, public ::testing::WithParamInterface<OrderCase> {};

TEST_P(OrderCodesTest, ShowsTheCodesOfTheConfiguration) {
  app_.parameters() = GetParam().parameters;
  Show(RsPageKind::kOrderCodes, [&](QWidget& window) {
    auto* primary = window.findChild<QLineEdit*>("primaryField");
    auto* erasures = window.findChild<QLineEdit*>("erasuresField");
    ASSERT_TRUE(primary && erasures);
    EXPECT_EQ(primary->text().toStdString(), GetParam().primary);
    EXPECT_EQ(erasures->text().toStdString(), GetParam().erasures);
    EXPECT_TRUE(primary->isReadOnly() && erasures->isReadOnly());
    EXPECT_TRUE(primary->isEnabled());
    EXPECT_EQ(erasures->isEnabled(), GetParam().erasures_enabled);
    EXPECT_EQ(window.findChild<QWidget*>("erasuresLabel")->isEnabled(),
              GetParam().erasures_enabled);
    ExpectAccessibleNames(window);
  });
}

RsParameters ErasureDecoderBackToEncoder() {
  RsParameters p = DvbDecoder({.eras = 1});
  p.Enc_Dec = 1;
  return p;
}

INSTANTIATE_TEST_SUITE_P(
    Configurations, OrderCodesTest,
    ::testing::Values(OrderCase{"NewEncoder", RsParameters{}, "VXQR-RSENC", "", false},
                      OrderCase{"ErasureDecoderSwitchedBackToEncoder",
                                ErasureDecoderBackToEncoder(), "VXQR-RSENC", "", false},
                      OrderCase{"StandardDecoder", DvbDecoder(), "VXQR-RSDEC", "", false},
                      OrderCase{"ErasureDecoder", DvbDecoder({.eras = 1}), "VXQR-RSDEC",
                                "VXQR-KW-RSDEC/ERAS", true}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Room for the preview and its panel ----

// An RS page of a given size with one field at (10, 10).
class SizedRsPage : public RsPage {
 public:
  SizedRsPage(RsWizardApp& app, const Symbol* symbol, QSize size)
      : RsPage(app, symbol, PageTemplate{"", size}) {}

 protected:
  void CreateControls(QDialog& page) override {
    auto* field = new QLineEdit(&page);
    NameControl(field, "field", QStringLiteral("Field"));
    field->setGeometry(10, 10, 100, 20);
  }
};

struct SizeCase {
  const char* name;
  QSize page;
  int preview_width;  // 0: a page without a symbol
  QSize shown;
};

class PreviewRoomTest : public RsPageTest, public ::testing::WithParamInterface<SizeCase> {};

TEST_P(PreviewRoomTest, WidensThePageAndPutsThePanelOnTheLeft) {
  const SizeCase& c = GetParam();
  Symbol symbol(fake_.metrics);
  symbol.set_preview_width(c.preview_width);
  SizedRsPage page(app_, c.preview_width ? &symbol : nullptr, c.page);
  Show(page, [&](QWidget& window) {
    EXPECT_EQ(window.size(), c.shown);
    EXPECT_EQ(page.page_width(), c.page.width());
    EXPECT_EQ(window.findChild<QWidget*>("field")->pos(), QPoint(10 + c.preview_width, 10));
    auto* panel = window.findChild<SymbolPanel*>("symbolPanel");
    if (c.preview_width == 0) {
      EXPECT_EQ(panel, nullptr);
      page.RefreshPreview();  // nothing to refresh
      return;
    }
    ASSERT_TRUE(panel);
    EXPECT_EQ(panel->geometry(), QRect(0, 0, c.preview_width, c.shown.height()));
    EXPECT_EQ(panel->accessibleName(), "Symbol preview");
  });
  EXPECT_EQ(page.panel(), nullptr) << "the panel goes with its window";
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, PreviewRoomTest,
    ::testing::Values(SizeCase{"AtLeast253By288", {100, 100}, 120, {253, 288}},
                      SizeCase{"WiderAndFortyTaller", {300, 260}, 232, {532, 300}},
                      SizeCase{"ExactlyThePreviewHeight", {300, 248}, 232, {532, 288}},
                      SizeCase{"NoSymbolNoPanel", {100, 100}, 0, {253, 140}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RsPageTest, PanelPaintsAreaStripSeparatorAndShadow) {
  app_.parameters() = DvbCode();
  const Rgb face{10, 20, 30};
  Show(RsPageKind::kDeviceType, [&](QWidget& window) {
    QPalette palette = window.palette();
    palette.setColor(QPalette::Button, ToQColor(face));  // the page's dialog face colour
    window.setPalette(palette);
    const QImage image = Grab(window);
    ASSERT_EQ(image.height(), window.height());
    const auto at = [&](int x, int y) { return FromQColor(image.pixelColor(x, y)); };
    const int separator = image.width() - 25;
    EXPECT_EQ(at(2, 2), kGreen);
    EXPECT_EQ(at(separator, 2), kDarkGray);
    EXPECT_EQ(at(separator + 1, 2), kCream);
    EXPECT_EQ(at(image.width() - 1, 2), face);
    // The shadow below the box crosses the separator, which is drawn again over it.
    const Symbol& symbol = app_.rs_symbol();
    const int y = symbol.origin_y() + symbol.height() + 4;
    for (int x = separator - 3; x <= separator + 3; ++x) {
      const bool gray = (x + y) % 2 == 0 || x == separator;
      EXPECT_EQ(at(x, y), gray ? kGray : (x < separator ? kGreen : face)) << x;
    }
    EXPECT_EQ(at(symbol.origin_x() + 4, symbol.origin_y() + 100), kWhite) << "the box";
  });
}

}  // namespace
}  // namespace codexel::testing
