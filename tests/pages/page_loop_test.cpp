// The page loop of the host driven through whole runs.

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>

#include "tests/pages/page_test_support.h"
#include "tests/support/modal_helper.h"

namespace codexel::testing {
namespace {

constexpr const char* kDesign = "/work/x/rs.tdf";
constexpr const char* kWizardFile = "/work/x/rs.cnx";
constexpr const char* kEmptyBlock = "GENERATION: STANDARD\nVERSION: WM1.0\nMODULE: default\n\n";

class PageLoopTest : public ::testing::Test {
 protected:
  // Runs a wizard of `pages` with the driver's steps; returns the exit status.
  int Run(std::vector<PageSetup> pages, std::vector<std::string> args, ModalDriver& driver) {
    app = std::make_unique<TestApp>(fake.services, std::move(pages));
    args.push_back(kDesign);
    const int status = app->Run(args);
    driver.Finish();
    return status;
  }

  bool Written() const { return fake.files.files.count(kWizardFile) > 0; }

  FakeServices fake;
  std::unique_ptr<TestApp> app;
};

// ---- Titles ----

struct TitleCase {
  int offset;
  int pages;
};

class TitleTest : public PageLoopTest, public ::testing::WithParamInterface<TitleCase> {};

TEST_P(TitleTest, NumbersThePagesFromTheOffset) {
  const TitleCase& c = GetParam();
  ModalDriver driver;
  std::vector<std::string> expected;
  for (int i = 1; i <= c.pages; ++i) {
    driver.Click(i < c.pages ? "nextButton" : "finishButton");
    expected.push_back(PageTitle(c.offset + i, c.offset + c.pages));
  }
  EXPECT_EQ(Run(Pages(c.pages), {"-n", "-p" + std::to_string(c.offset)}, driver), 0);
  EXPECT_EQ(SeenTitles(driver), expected);
}

INSTANTIATE_TEST_SUITE_P(Offsets, TitleTest,
                         ::testing::Values(TitleCase{0, 5}, TitleCase{2, 5}, TitleCase{0, 1},
                                           TitleCase{3, 2}));

TEST_F(PageLoopTest, HugeOffsetNumbersThePagesWithoutOverflow) {
  ModalDriver driver;
  driver.Click("nextButton").Click("backButton").Click("backButton");
  EXPECT_EQ(Run(Pages(2), {"-n", "-p99999999999"}, driver), -1);
  EXPECT_EQ(SeenTitles(driver),
            (std::vector<std::string>{kTitleStart + " [page 2147483648 of 2147483649]",
                                      kTitleStart + " [page 2147483649 of 2147483649]",
                                      kTitleStart + " [page 2147483648 of 2147483649]"}));
}

// ---- Button states across a run ----

struct StatesCase {
  int offset;
  int pages;
  std::vector<bool> back_enabled;
  std::vector<bool> next_enabled;
};

class RunStatesTest : public PageLoopTest, public ::testing::WithParamInterface<StatesCase> {};

TEST_P(RunStatesTest, FollowThePositionKinds) {
  const StatesCase& c = GetParam();
  ModalDriver driver;
  for (int i = 0; i < c.pages - 1; ++i) driver.Click("nextButton");
  driver.Click("finishButton");
  Run(Pages(c.pages), {"-n", "-p" + std::to_string(c.offset)}, driver);
  ASSERT_EQ(driver.seen().size(), static_cast<std::size_t>(c.pages));
  for (int i = 0; i < c.pages; ++i) {
    const ModalSeen& seen = driver.seen()[static_cast<std::size_t>(i)];
    EXPECT_EQ(seen.Button("backButton")->enabled, c.back_enabled[static_cast<std::size_t>(i)])
        << "page " << i + 1;
    EXPECT_EQ(seen.Button("nextButton")->enabled, c.next_enabled[static_cast<std::size_t>(i)])
        << "page " << i + 1;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Runs, RunStatesTest,
    ::testing::Values(
        StatesCase{0, 5, {false, true, true, true, true}, {true, true, true, true, false}},
        StatesCase{2, 3, {true, true, true}, {true, true, false}},
        // A one-page wizard gets the first-page kind.
        StatesCase{0, 1, {false}, {true}}, StatesCase{1, 1, {true}, {true}}));

// ---- End results ----

struct EndCase {
  const char* name;
  int pages;
  int offset;
  std::vector<const char*> clicks;  // one per window
  int status;
  bool written;
};

class EndTest : public PageLoopTest, public ::testing::WithParamInterface<EndCase> {};

TEST_P(EndTest, EndsWithItsResultAndFileLife) {
  const EndCase& c = GetParam();
  fake.files.files[kWizardFile] = "old variation\n";
  ModalDriver driver;
  for (const char* click : c.clicks) driver.Click(click);
  EXPECT_EQ(Run(Pages(c.pages), {"-n", "-p" + std::to_string(c.offset)}, driver), c.status);
  EXPECT_EQ(driver.steps_done(), static_cast<int>(c.clicks.size()));
  if (c.written) {
    EXPECT_EQ(fake.files.files[kWizardFile], kEmptyBlock);
  } else {
    EXPECT_FALSE(Written()) << "a cancelled run keeps no wizard information file";
    EXPECT_TRUE(fake.files.written.empty());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Ends, EndTest,
    ::testing::Values(
        EndCase{"FinishOnFirst", 3, 0, {"finishButton"}, 0, true},
        EndCase{"FinishOnMiddle", 3, 0, {"nextButton", "finishButton"}, 0, true},
        EndCase{"FinishOnLast", 3, 0, {"nextButton", "nextButton", "finishButton"}, 0, true},
        // Only a one-page wizard has "Next >" enabled on its last page.
        EndCase{"NextOnOnlyPage", 1, 0, {"nextButton"}, 0, true},
        EndCase{"NextOnOnlyPageAfterCallerPages", 1, 4, {"nextButton"}, 0, true},
        EndCase{"BackOutOfFirst", 3, 1, {"backButton"}, -1, true},
        EndCase{
            "BackOutAfterReturning", 3, 2, {"nextButton", "backButton", "backButton"}, -1, true},
        EndCase{"CancelOnFirst", 3, 0, {"cancelButton"}, 2, false},
        EndCase{"CancelOnLast", 2, 0, {"nextButton", "cancelButton"}, 2, false}),
    [](const auto& info) { return std::string(info.param.name); });

struct CancelCase {
  const char* name;
  std::function<void(ModalDriver&)> act;
};

class CancelTest : public PageLoopTest, public ::testing::WithParamInterface<CancelCase> {};

TEST_P(CancelTest, KeepsTheEditedWizardFileAsABackup) {
  const std::string block = "GENERATION: STANDARD\nPRIVATE: Enc_Dec NUMERIC \"1\"\n";
  fake.files.files[kWizardFile] = block;
  ModalDriver driver;
  driver.Click("nextButton");
  GetParam().act(driver);
  EXPECT_EQ(Run(Pages(3), {}, driver), 2);  // no -n: edit mode reads the file first
  EXPECT_FALSE(Written());
  EXPECT_EQ(fake.files.files[std::string(kWizardFile) + ".bak"], block);
  EXPECT_TRUE(fake.files.removed.empty());
  EXPECT_TRUE(fake.files.written.empty());
  EXPECT_TRUE(fake.messages.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Ways, CancelTest,
    ::testing::Values(CancelCase{"Button", [](ModalDriver& d) { d.Click("cancelButton"); }},
                      CancelCase{"Escape", [](ModalDriver& d) { d.PressEscape(); }},
                      CancelCase{"Close", [](ModalDriver& d) { d.CloseWindow(); }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PageLoopTest, CancelWithoutAWizardFileReportsNothing) {
  ModalDriver driver;
  driver.PressEscape();
  EXPECT_EQ(Run(Pages(1), {"-n"}, driver), 2);
  EXPECT_TRUE(fake.messages.shown.empty());
}

// ---- Pages that are not shown ----

TEST_F(PageLoopTest, HiddenPageIsPassedOverInBothDirections) {
  std::vector<PageSetup> pages = Pages(4);
  pages[1].shown = false;  // page 2
  ModalDriver driver;
  driver
      .Click("nextButton")  // 1 -> 3
      .Click("backButton")  // 3 -> 1
      .Click("nextButton")  // 1 -> 3
      .Click("nextButton")  // 3 -> 4
      .Click("finishButton");
  EXPECT_EQ(Run(pages, {"-n"}, driver), 0);
  EXPECT_EQ(SeenTitles(driver),
            (std::vector<std::string>{PageTitle(1, 4), PageTitle(3, 4), PageTitle(1, 4),
                                      PageTitle(3, 4), PageTitle(4, 4)}));
}

TEST_F(PageLoopTest, HiddenLastPageEndsTheRunLikeNext) {
  std::vector<PageSetup> pages = Pages(2);
  pages[1].shown = false;
  ModalDriver driver;
  driver.Click("nextButton");
  EXPECT_EQ(Run(pages, {"-n"}, driver), 0);
  EXPECT_TRUE(Written());
}

TEST_F(PageLoopTest, HiddenFirstPageEndsTheRunWhenBackingOut) {
  std::vector<PageSetup> pages = Pages(2);
  pages[0].shown = false;
  ModalDriver driver;
  driver.Click("backButton");
  EXPECT_EQ(Run(pages, {"-n", "-p1"}, driver), -1);
  EXPECT_EQ(SeenTitles(driver), std::vector<std::string>{PageTitle(3, 3)});
}

// ---- The plain accept ----

TEST_F(PageLoopTest, EnterRepeatsEachPagesLastDirection) {
  ModalDriver driver;
  driver
      .Click("nextButton")  // page 1: Next
      .Click("backButton")  // page 2: Back
      .PressEnter()         // page 1: left by Next before
      .PressEnter()         // page 2: left by Back before
      .Click("finishButton");
  EXPECT_EQ(Run(Pages(3), {"-n"}, driver), 0);
  EXPECT_EQ(SeenTitles(driver),
            (std::vector<std::string>{PageTitle(1, 3), PageTitle(2, 3), PageTitle(1, 3),
                                      PageTitle(2, 3), PageTitle(1, 3)}));
  EXPECT_EQ(fake.notifier.posted.size(), 0u);  // no -h
}

// ---- Placement ----

struct PlacementCase {
  std::vector<std::string> args;
  QPoint corner;
  // Pages that do not fit above the corner are kept on the screen by the
  // window system, and the next page follows where the window really was.
  std::size_t pages_on_the_corner;
};

class PlacementTest : public PageLoopTest, public ::testing::WithParamInterface<PlacementCase> {};

TEST_P(PlacementTest, EveryPageSharesTheLowerRightCorner) {
  std::vector<PageSetup> pages = {
      {{200, 100}, "", true}, {{400, 300}, "", true}, {{300, 150}, "", true}};
  ModalDriver driver;
  driver.Click("nextButton").Click("nextButton").Click("backButton").Click("finishButton");
  std::vector<std::string> args = GetParam().args;
  args.push_back("-n");
  Run(pages, args, driver);
  // As asked for: a window system may keep a window from leaving the screen.
  ASSERT_EQ(app->opened_rects.size(), 4u);
  for (std::size_t i = 0; i < GetParam().pages_on_the_corner; ++i) {
    const QRect& rect = app->opened_rects[i];
    EXPECT_EQ(rect.bottomRight() + QPoint(1, 1), GetParam().corner) << rect;
  }
}

INSTANTIATE_TEST_SUITE_P(Options, PlacementTest,
                         ::testing::Values(PlacementCase{{"-x600", "-y400"}, {600, 400}, 4},
                                           PlacementCase{{"-x640"}, {640, 100}, 1},
                                           PlacementCase{{"-y500"}, {100, 500}, 1}));

TEST_F(PageLoopTest, ExtremeCornersPlaceThePagesWithoutWrappingAround) {
  ModalDriver driver;
  driver.Click("nextButton").Click("finishButton");
  EXPECT_EQ(Run(Pages(2), {"-n", "-x-2147483648", "-y2147483647"}, driver), 0);
  ASSERT_EQ(driver.seen().size(), 2u);
  for (const auto& seen : driver.seen()) {
    EXPECT_LT(seen.geometry.right(), 0) << "left of the corner, not wrapped to the right";
    EXPECT_GT(seen.geometry.top(), 0) << "above the corner, not wrapped to the top";
  }
}

TEST_F(PageLoopTest, FirstPageCentredAndOthersFollowItsCorner) {
  std::vector<PageSetup> pages = {{{200, 100}, "", true}, {{400, 300}, "", true}};
  ModalDriver driver;
  driver.Click("nextButton").Click("finishButton");
  Run(pages, {"-n"}, driver);

  const QRect desktop = QGuiApplication::primaryScreen()->geometry();
  const QPoint centre((2 * desktop.x() + desktop.width()) / 2,
                      (2 * desktop.y() + desktop.height()) / 2);
  ASSERT_EQ(driver.seen().size(), 2u);
  EXPECT_EQ(driver.seen()[0].geometry, QRect(centre - QPoint(126, 70), QSize(253, 140)));
  // Leaving records the real corner, one pixel right of the centred point
  // for the odd width.
  const QPoint corner = centre + QPoint(127, 70);
  EXPECT_EQ(driver.seen()[1].geometry, QRect(corner - QPoint(400, 340), QSize(400, 340)));
}

TEST_F(PageLoopTest, PagesFollowTheCornerOfAMovedPage) {
  ModalDriver driver;
  driver.Click("nextButton")
      .Inspect([](QWidget& window) { window.move(window.pos() + QPoint(-40, 25)); })
      .Click("finishButton");
  Run(Pages(2), {"-n", "-x600", "-y400"}, driver);
  ASSERT_EQ(driver.seen().size(), 2u);
  EXPECT_EQ(driver.seen()[1].geometry.bottomRight() + QPoint(1, 1), QPoint(560, 425));
}

// ---- MayFinish ----

class ReluctantApp : public TestApp {
 public:
  using TestApp::TestApp;
  bool MayFinish() override { return ++asked > 1; }
  int asked = 0;
};

TEST_F(PageLoopTest, RefusedFinishShowsTheSamePageAgain) {
  ReluctantApp reluctant(fake.services, Pages(2));
  ModalDriver driver;
  driver.Click("finishButton").Click("finishButton");
  EXPECT_EQ(reluctant.Run({"-n", kDesign}), 0);
  driver.Finish();
  EXPECT_EQ(SeenTitles(driver), (std::vector<std::string>{PageTitle(1, 2), PageTitle(1, 2)}));
}

}  // namespace
}  // namespace codexel::testing
