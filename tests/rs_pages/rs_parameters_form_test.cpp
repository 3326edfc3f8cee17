// The RS parameters page's rules without widgets: what each field shows,
// which box appears (and what the fields show while it is up), and the
// parameter set each handler leaves.

#include "rs_pages/rs_parameters_form.h"

#include <gtest/gtest.h>

#include "tests/support/parameter_sets.h"

namespace codexel {
namespace {

using Field = ParameterField;
using Texts = std::array<std::string, kParameterFieldCount>;  // bits, n, r, irrpol, genstart

// A message with the texts of all five fields as the user saw them.
struct Seen {
  FieldMessage message;
  Texts texts;
  bool operator==(const Seen&) const = default;
};

struct Code5 {
  int m, n, r, irrpol, genstart;
  bool operator==(const Code5&) const = default;
};

void PrintTo(const Code5& c, std::ostream* out) {
  *out << "m " << c.m << " n " << c.n << " r " << c.r << " irrpol " << c.irrpol << " genstart "
       << c.genstart;
}
void PrintTo(const Seen& s, std::ostream* out) {
  *out << s.message.title << " | " << s.message.text << " | [" << s.texts[0] << "," << s.texts[1]
       << "," << s.texts[2] << "," << s.texts[3] << "," << s.texts[4] << "]";
}

Code5 CodeOf(const RsParameters& p) { return {p.m, p.n, p.r, p.irrpol, p.genstart}; }

RsParameters Set(Code5 c) { return testing::Code(c.m, c.n, c.r, c.irrpol, c.genstart); }

constexpr Code5 kDefaults{4, 5, 4, 19, 0};
constexpr Code5 kDvb{8, 204, 16, 285, 0};

class FormTest {
 public:
  explicit FormTest(Code5 start)
      : parameters(Set(start)), form(parameters, [this](const FieldMessage& message) {
          seen.push_back({message, Current()});
        }) {
    form.Initialise();
  }
  Texts Current() const {
    Texts texts;
    for (int i = 0; i < kParameterFieldCount; ++i) texts[i] = form.text(static_cast<Field>(i));
    return texts;
  }

  RsParameters parameters;
  std::vector<Seen> seen;
  RsParametersForm form;
};

std::vector<int> Range(int first, int last) {
  std::vector<int> values;
  for (int v = first; v <= last; ++v) values.push_back(v);
  return values;
}

TEST(RsParametersFormTest, InitialisesTextsAndLists) {
  FormTest t(kDefaults);
  EXPECT_EQ(t.Current(), (Texts{"4", "5", "4", "19", "0"}));
  EXPECT_EQ(t.form.items(Field::kBits), Range(4, 8));
  EXPECT_EQ(t.form.items(Field::kSymbols), Range(5, 15));
  EXPECT_EQ(t.form.items(Field::kChecks), Range(4, 4));
  EXPECT_EQ(t.form.items(Field::kPolynomial), (std::vector<int>{19, 25}));
  EXPECT_EQ(t.form.items(Field::kFirstRoot), Range(0, 11));
  EXPECT_EQ(CodeOf(t.parameters), kDefaults);
  EXPECT_TRUE(t.seen.empty());
}

// ---- Loss of focus ----

struct FocusCase {
  const char* name;
  Code5 start;
  Field field;
  std::string typed;
  std::vector<Seen> seen;  // the boxes, with the fields as they stood meanwhile
  Texts texts;             // the fields afterwards
  Code5 code;              // the set afterwards
};

class FocusLostTest : public ::testing::TestWithParam<FocusCase> {};

TEST_P(FocusLostTest, ChecksResetsAndRefills) {
  const FocusCase& c = GetParam();
  FormTest t(c.start);
  t.form.SetText(c.field, c.typed);
  EXPECT_EQ(t.form.FocusLost(c.field), !c.seen.empty());
  EXPECT_EQ(t.seen, c.seen);
  EXPECT_EQ(t.Current(), c.texts);
  EXPECT_EQ(CodeOf(t.parameters), c.code);
}

const FieldMessage kBitsInteger{"Invalid number of bits per symbol",
                                "Invalid value, please enter an integer.\nThe value has been "
                                "reset to 4."};
const FieldMessage kBitsSmall{"Invalid number of bits per symbol.",
                              "The value you have entered is too small.\nIt must be between 4 "
                              "and 8.\nThe value has been reset to 4"};
const FieldMessage kBitsLarge{"Invalid number of bits per symbol.",
                              "The value you have entered is too large.\nIt must be between 4 "
                              "and 8.\nThe value has been reset to 8"};
const std::string kNRange =
    "It must be between (the highest of 5 and the number of check symbols) and ((2^number of "
    "bits per symbol) -1)\n";
const std::string kRRange =
    "It must be between 4 and (the lowest of 50 and the number of symbols per codeword).\n";
const std::string kGRange =
    "It must be between 0 and ((2^number of bits per symbol) - 1 - number of check symbols per "
    "codeword).\n";
FieldMessage NMessage(const std::string& text) {
  return {"Invalid number of symbols per codeword", text};
}
FieldMessage RMessage(const std::string& text) {
  return {"Invalid number of check symbols per codeword", text};
}
FieldMessage GMessage(const std::string& text) {
  return {"Invalid first root of polynomial generator", text};
}

INSTANTIATE_TEST_SUITE_P(
    Fields, FocusLostTest,
    ::testing::Values(
        // Bits per symbol: the integer-text check, then the range.
        FocusCase{"BitsEmptyIsZero", kDefaults, Field::kBits, "",
                  {{kBitsSmall, {"", "5", "4", "19", "0"}}}, {"4", "5", "4", "19", "0"},
                  kDefaults},
        FocusCase{"BitsLeadingSpace", kDefaults, Field::kBits, " 7", {},
                  {" 7", "5", "4", "131", "0"}, {7, 5, 4, 131, 0}},
        FocusCase{"BitsTrailingSpace", kDefaults, Field::kBits, "7 ",
                  {{kBitsInteger, {"7 ", "5", "4", "19", "0"}}}, {"4", "5", "4", "19", "0"},
                  kDefaults},
        FocusCase{"BitsLonePlus", kDefaults, Field::kBits, "+",
                  {{kBitsSmall, {"+", "5", "4", "19", "0"}}}, {"4", "5", "4", "19", "0"},
                  kDefaults},
        FocusCase{"BitsDecimalPoint", kDefaults, Field::kBits, "1.5",
                  {{kBitsInteger, {"1.5", "5", "4", "19", "0"}}}, {"4", "5", "4", "19", "0"},
                  kDefaults},
        FocusCase{"BitsLetters", kDefaults, Field::kBits, "12a",
                  {{kBitsInteger, {"12a", "5", "4", "19", "0"}}}, {"4", "5", "4", "19", "0"},
                  kDefaults},
        FocusCase{"BitsTooLargeResetFirst", kDefaults, Field::kBits, "9",
                  {{kBitsLarge, {"8", "5", "4", "19", "0"}}}, {"8", "5", "4", "285", "0"},
                  {8, 5, 4, 285, 0}},
        FocusCase{"FourOverTheDvbSet", kDvb, Field::kBits, "4", {},
                  {"4", "5", "4", "19", "0"}, kDefaults},
        // Symbols per codeword.
        FocusCase{"SymbolsBelowChecksResetChecks", {4, 15, 10, 19, 0}, Field::kSymbols, "7",
                  {{NMessage("The value you have entered is too small.\n" + kNRange +
                             "The value has been reset to 5.\nThe number of check symbols has "
                             "been reset to 4."),
                    {"4", "7", "10", "19", "0"}}},
                  {"4", "5", "4", "19", "0"}, {4, 5, 4, 19, 0}},
        FocusCase{"SymbolsAboveTheField", kDefaults, Field::kSymbols, "20",
                  {{NMessage("The value you have entered is too large.\n" + kNRange +
                             "The value has been reset to 15."),
                    {"4", "20", "4", "19", "0"}}},
                  {"4", "15", "4", "19", "0"}, {4, 15, 4, 19, 0}},
        FocusCase{"SymbolsNotAnInteger", {8, 204, 16, 285, 0}, Field::kSymbols, "1.5",
                  {{NMessage("Invalid value, please enter an integer.\nThe value has been reset "
                             "to 17."),
                    {"8", "1.5", "16", "285", "0"}}},
                  {"8", "17", "16", "285", "0"}, {8, 17, 16, 285, 0}},
        FocusCase{"SymbolsKept", kDvb, Field::kSymbols, "100", {},
                  {"8", "100", "16", "285", "0"}, {8, 100, 16, 285, 0}},
        // Check symbols per codeword.
        FocusCase{"ChecksLimitedTo50", {8, 255, 16, 285, 0}, Field::kChecks, "60",
                  {{RMessage("The value you have entered is too large.\n" + kRRange +
                             "The value has been reset to 50."),
                    {"8", "255", "60", "285", "0"}}},
                  {"8", "255", "50", "285", "0"}, {8, 255, 50, 285, 0}},
        FocusCase{"ChecksBelowSymbols", {8, 20, 4, 285, 0}, Field::kChecks, "25",
                  {{RMessage("The value you have entered is too large.\n" + kRRange +
                             "The value has been reset to 19."),
                    {"8", "20", "25", "285", "0"}}},
                  {"8", "20", "19", "285", "0"}, {8, 20, 19, 285, 0}},
        FocusCase{"ChecksTooSmall", kDvb, Field::kChecks, "3",
                  {{RMessage("The value you have entered is too small.\n" + kRRange +
                             "The value has been reset to 4."),
                    {"8", "204", "3", "285", "0"}}},
                  {"8", "204", "4", "285", "0"}, {8, 204, 4, 285, 0}},
        FocusCase{"ChecksNotAnInteger", kDvb, Field::kChecks, "x",
                  {{RMessage("Invalid value, please enter an integer.\nValue reset to 4."),
                    {"8", "204", "x", "285", "0"}}},
                  {"8", "204", "4", "285", "0"}, {8, 204, 4, 285, 0}},
        FocusCase{"ChecksMoveTheFirstRootBack", {4, 15, 4, 19, 11}, Field::kChecks, "10", {},
                  {"4", "15", "10", "19", "0"}, {4, 15, 10, 19, 0}},
        // Field polynomial: reset first, no integer-text check.
        FocusCase{"PolynomialOutsideTheRow", kDvb, Field::kPolynomial, "300",
                  {{{"Invalid field polynomial value",
                     "The field polynomial you have entered is illegal.\nIt must be a value "
                     "available in the drop-box.\nThe value has been reset to 285."},
                    {"8", "204", "16", "285", "0"}}},
                  {"8", "204", "16", "285", "0"}, kDvb},
        FocusCase{"PolynomialOfTheRowKeepsItsText", kDvb, Field::kPolynomial, " 299", {},
                  {"8", "204", "16", " 299", "0"}, {8, 204, 16, 299, 0}},
        // First root.
        FocusCase{"FirstRootMinusOne", kDefaults, Field::kFirstRoot, "-1",
                  {{GMessage("The value you have entered is too small.\n" + kGRange +
                             "The value has been reset to 0."),
                    {"4", "5", "4", "19", "-1"}}},
                  {"4", "5", "4", "19", "0"}, kDefaults},
        FocusCase{"FirstRootEmptyIsZero", {4, 5, 4, 19, 3}, Field::kFirstRoot, "", {},
                  {"4", "5", "4", "19", ""}, kDefaults},
        FocusCase{"FirstRootTooLarge", kDefaults, Field::kFirstRoot, "12",
                  {{GMessage("The value you have entered is too large.\n" + kGRange +
                             "The value has been reset to 11."),
                    {"4", "5", "4", "19", "12"}}},
                  {"4", "5", "4", "19", "11"}, {4, 5, 4, 19, 11}},
        FocusCase{"FirstRootNotAnInteger", kDefaults, Field::kFirstRoot, "1.5",
                  {{GMessage("Invalid value, please enter an integer.\nThe value has been reset "
                             "to 0."),
                    {"4", "5", "4", "19", "1.5"}}},
                  {"4", "5", "4", "19", "0"}, kDefaults}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Picking an item, and the preset ----

struct PickCase {
  const char* name;
  Code5 start;
  Field field;
  std::optional<std::string> item;
  Texts texts;
  Code5 code;
  std::vector<int> symbol_items;
  std::vector<int> first_root_items;
};

class PickedTest : public ::testing::TestWithParam<PickCase> {};

TEST_P(PickedTest, TakesTheItemAndRefills) {
  const PickCase& c = GetParam();
  FormTest t(c.start);
  t.form.Picked(c.field, c.item);
  EXPECT_TRUE(t.seen.empty());
  EXPECT_EQ(t.Current(), c.texts);
  EXPECT_EQ(CodeOf(t.parameters), c.code);
  EXPECT_EQ(t.form.items(Field::kSymbols), c.symbol_items);
  EXPECT_EQ(t.form.items(Field::kFirstRoot), c.first_root_items);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, PickedTest,
    ::testing::Values(
        PickCase{"Bits", kDefaults, Field::kBits, "8", {"8", "5", "4", "285", "0"},
                 {8, 5, 4, 285, 0}, Range(5, 255), Range(0, 251)},
        PickCase{"Symbols", kDefaults, Field::kSymbols, "15", {"4", "15", "4", "19", "0"},
                 {4, 15, 4, 19, 0}, Range(5, 15), Range(0, 11)},
        PickCase{"Checks", {4, 15, 4, 19, 11}, Field::kChecks, "10",
                 {"4", "15", "10", "19", "0"}, {4, 15, 10, 19, 0}, Range(11, 15), Range(0, 5)},
        PickCase{"Polynomial", kDefaults, Field::kPolynomial, "25", {"4", "5", "4", "25", "0"},
                 {4, 5, 4, 25, 0}, Range(5, 15), Range(0, 11)},
        PickCase{"FirstRoot", kDefaults, Field::kFirstRoot, "3", {"4", "5", "4", "19", "3"},
                 {4, 5, 4, 19, 3}, Range(5, 15), Range(0, 11)},
        PickCase{"NoItemSelected", kDefaults, Field::kBits, std::nullopt,
                 {"4", "5", "4", "19", "0"}, kDefaults, Range(5, 15), Range(0, 11)}),
    [](const auto& info) { return std::string(info.param.name); });

class PresetTest : public ::testing::TestWithParam<Code5> {};

TEST_P(PresetTest, EndsOnTheDvbCodeWithoutAMessage) {
  FormTest t(GetParam());
  t.form.SetText(Field::kSymbols, "typed, not yet checked");
  t.form.Preset();
  EXPECT_TRUE(t.seen.empty());
  EXPECT_EQ(t.Current(), (Texts{"8", "204", "16", "285", "0"}));
  EXPECT_EQ(CodeOf(t.parameters), kDvb);
  EXPECT_EQ(t.form.items(Field::kChecks), Range(4, 50));
}

INSTANTIATE_TEST_SUITE_P(States, PresetTest,
                         ::testing::Values(kDefaults, kDvb, Code5{5, 31, 20, 61, 10},
                                           Code5{8, 255, 50, 501, 205}, Code5{7, 9, 8, 253, 0}));

}  // namespace
}  // namespace codexel
