#include "host/number_text.h"

#include <gtest/gtest.h>

#include <climits>

namespace codexel {
namespace {

struct ConversionCase {
  const char* text;
  int value;
};

class ToIntegerTest : public ::testing::TestWithParam<ConversionCase> {};

TEST_P(ToIntegerTest, ReadsLikeTheStandardConversion) {
  EXPECT_EQ(ToInteger(GetParam().text), GetParam().value) << '"' << GetParam().text << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ToIntegerTest,
    ::testing::Values(ConversionCase{"1234", 1234}, ConversionCase{"  \t42", 42},
                      ConversionCase{"-17", -17}, ConversionCase{"+8", 8},
                      ConversionCase{"12abc", 12}, ConversionCase{"abc", 0},
                      ConversionCase{"", 0}, ConversionCase{"+", 0}, ConversionCase{"- 5", 0},
                      ConversionCase{"1.5", 1}, ConversionCase{"007", 7},
                      ConversionCase{"2147483647", INT_MAX},
                      ConversionCase{"-2147483648", INT_MIN},
                      // Beyond the 32-bit range the value saturates instead of wrapping.
                      ConversionCase{"2147483648", INT_MAX},
                      ConversionCase{"-2147483649", INT_MIN},
                      ConversionCase{"99999999999999999999999", INT_MAX},
                      ConversionCase{"-99999999999999999999999", INT_MIN}));

struct CheckCase {
  const char* text;
  bool passes;
};

class IntegerTextTest : public ::testing::TestWithParam<CheckCase> {};

TEST_P(IntegerTextTest, AcceptsOneLeadingSignOrBlankThenDigits) {
  EXPECT_EQ(IsIntegerText(GetParam().text), GetParam().passes) << '"' << GetParam().text << '"';
}

INSTANTIATE_TEST_SUITE_P(Cases, IntegerTextTest,
                         ::testing::Values(CheckCase{" 7", true}, CheckCase{"+", true},
                                           CheckCase{"", true}, CheckCase{"-1", true},
                                           CheckCase{"0123", true}, CheckCase{"7 ", false},
                                           CheckCase{"1.5", false}, CheckCase{"12a", false},
                                           CheckCase{"  7", false}, CheckCase{"--1", false},
                                           CheckCase{"+-1", false}));

}  // namespace
}  // namespace codexel
