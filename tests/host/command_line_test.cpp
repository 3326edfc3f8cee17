#include "host/command_line.h"

#include <gtest/gtest.h>

#include <climits>

#include "tests/support/fakes.h"

namespace codexel {
namespace {

using testing::RecordingMessages;

class CommandLineTest : public ::testing::Test {
 protected:
  WizardCommandLine Parse(std::vector<std::string> args) {
    return ParseCommandLine(args, messages_);
  }
  int UsageCount() const {
    int count = 0;
    for (const auto& m : messages_.shown) {
      EXPECT_EQ(m.title, "Quillwork Plug-In Manager");
      count += m.text == kUsageMessage;
    }
    return count;
  }
  RecordingMessages messages_;
};

TEST_F(CommandLineTest, TypicalManagerCall) {
  const auto line = Parse({"-n", "-h1234", "-symbol", "-x640", "-y480", "-p2", "-tabc", "rs.tdf"});
  EXPECT_TRUE(line.new_file);
  EXPECT_TRUE(line.notify);
  EXPECT_EQ(line.caller_thread_id, 1234);
  EXPECT_TRUE(line.symbol);
  EXPECT_TRUE(line.has_x);
  EXPECT_EQ(line.x, 640);
  EXPECT_TRUE(line.has_y);
  EXPECT_EQ(line.y, 480);
  EXPECT_EQ(line.first_page_offset, 2);
  EXPECT_EQ(line.t_text, "abc");
  EXPECT_EQ(line.design_path, "rs.tdf");
  EXPECT_TRUE(messages_.shown.empty());
}

TEST_F(CommandLineTest, ValueAfterASpaceIsAPlainArgument) {
  const auto line = Parse({"-h", "1234"});
  EXPECT_TRUE(line.notify);
  EXPECT_EQ(line.caller_thread_id, 0);
  EXPECT_EQ(line.design_path, "1234");
}

TEST_F(CommandLineTest, OptionWithADotIsADesignPath) {
  EXPECT_EQ(Parse({"-x1.5"}).design_path, "/x1.5");
  EXPECT_FALSE(Parse({"-x1.5"}).has_x);
  // An absolute path reads as an option text with a dot and comes back whole.
  EXPECT_EQ(Parse({"/tmp/x/rs.tdf"}).design_path, "/tmp/x/rs.tdf");
  EXPECT_EQ(Parse({"-symbol.tdf"}).design_path, "/symbol.tdf");
}

TEST_F(CommandLineTest, SlashIntroducesOptionsToo) {
  const auto line = Parse({"/n", "/symbol", "/h77"});
  EXPECT_TRUE(line.new_file);
  EXPECT_TRUE(line.symbol);
  EXPECT_EQ(line.caller_thread_id, 77);
}

TEST_F(CommandLineTest, HelpIsTheHOptionWithValueZero) {
  const auto line = Parse({"-help"});
  EXPECT_TRUE(line.notify);
  EXPECT_EQ(line.caller_thread_id, 0);
  EXPECT_EQ(UsageCount(), 0);
}

TEST_F(CommandLineTest, LaterPlainArgumentWins) {
  EXPECT_EQ(Parse({"a.tdf", "b.vhd"}).design_path, "b.vhd");
}

TEST_F(CommandLineTest, NIgnoresItsRest) { EXPECT_TRUE(Parse({"-nonsense"}).new_file); }

class UnknownOptionTest : public CommandLineTest,
                          public ::testing::WithParamInterface<const char*> {};

TEST_P(UnknownOptionTest, ShowsTheUsageOnceAndGoesOn) {
  const auto line = Parse({GetParam(), "-n", "rs.tdf"});
  EXPECT_EQ(UsageCount(), 1);
  EXPECT_EQ(messages_.shown.size(), 1u);
  EXPECT_TRUE(line.new_file);
  EXPECT_EQ(line.design_path, "rs.tdf");
}

INSTANTIATE_TEST_SUITE_P(Options, UnknownOptionTest,
                         ::testing::Values("-symbolic", "-q", "-N", "-H5", "-9", "-", "/",
                                           "-Symbol"));

TEST_F(CommandLineTest, UsageForEveryUnknownOption) {
  Parse({"-a", "-b", "-c"});
  EXPECT_EQ(UsageCount(), 3);
}

TEST_F(CommandLineTest, VeryLongOptionTextsAreHandled) {
  const auto line = Parse({"-h" + std::string(10000, '9'), "-t" + std::string(5000, 'x')});
  EXPECT_EQ(line.caller_thread_id, INT_MAX);
  EXPECT_EQ(line.t_text.size(), 5000u);
}

TEST_F(CommandLineTest, NegativeAndJunkValues) {
  const auto line = Parse({"-x-20", "-yabc", "-p-1"});
  EXPECT_EQ(line.x, -20);
  EXPECT_EQ(line.y, 0);
  EXPECT_TRUE(line.has_y);
  EXPECT_EQ(line.first_page_offset, -1);
}

}  // namespace
}  // namespace codexel
