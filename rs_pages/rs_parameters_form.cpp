#include "rs_pages/rs_parameters_form.h"

#include <algorithm>
#include <utility>

#include "host/number_text.h"

namespace codexel {

namespace {

std::size_t Index(ParameterField field) { return static_cast<std::size_t>(field); }

// What a field's check decides: the value the field ends with and, when the
// typed value was refused, the message and whether the box comes before the
// reset.
struct Verdict {
  int value = 0;
  std::optional<FieldMessage> message;
  bool message_first = true;
};

Verdict Keep(int value) { return {value, std::nullopt, true}; }

Verdict Reset(int value, std::string title, std::string text, bool message_first = true) {
  return {value, FieldMessage{std::move(title), std::move(text)}, message_first};
}

std::string ResetTo(int value) { return "The value has been reset to " + FormatInt(value); }

constexpr const char* kNotAnInteger = "Invalid value, please enter an integer.\n";
constexpr const char* kTooSmall = "The value you have entered is too small.\n";
constexpr const char* kTooLarge = "The value you have entered is too large.\n";

Verdict CheckBits(const std::string& text) {
  const char* title = "Invalid number of bits per symbol.";
  const char* range = "It must be between 4 and 8.\n";
  if (!IsIntegerText(text)) {
    return Reset(kMinM, "Invalid number of bits per symbol", kNotAnInteger + ResetTo(kMinM) + ".");
  }
  const int value = ToInteger(text);
  if (value <= 3) return Reset(kMinM, title, kTooSmall + std::string(range) + ResetTo(kMinM));
  if (value > kMaxM) {
    return Reset(kMaxM, title, kTooLarge + std::string(range) + ResetTo(kMaxM), false);
  }
  return Keep(value);
}

Verdict CheckSymbols(const std::string& text, int r, int m) {
  const char* title = "Invalid number of symbols per codeword";
  const char* range =
      "It must be between (the highest of 5 and the number of check symbols) and ((2^number of "
      "bits per symbol) -1)\n";
  const int low = MinN(r);
  const int high = MaxN(m);
  if (!IsIntegerText(text)) return Reset(low, title, kNotAnInteger + ResetTo(low) + ".");
  const int value = ToInteger(text);
  if (value < low) {
    return Reset(kMinN, title,
                 kTooSmall + std::string(range) + ResetTo(kMinN) +
                     ".\nThe number of check symbols has been reset to 4.");
  }
  if (value > high) return Reset(high, title, kTooLarge + std::string(range) + ResetTo(high) + ".");
  return Keep(value);
}

Verdict CheckChecks(const std::string& text, int n) {
  const char* title = "Invalid number of check symbols per codeword";
  const char* range =
      "It must be between 4 and (the lowest of 50 and the number of symbols per codeword).\n";
  const int high = MaxR(n);
  if (!IsIntegerText(text)) return Reset(kMinR, title, kNotAnInteger + std::string("Value reset to 4."));
  const int value = ToInteger(text);
  if (value <= 3) return Reset(kMinR, title, kTooSmall + std::string(range) + ResetTo(kMinR) + ".");
  if (value > high) return Reset(high, title, kTooLarge + std::string(range) + ResetTo(high) + ".");
  return Keep(value);
}

Verdict CheckFirstRoot(const std::string& text, int m, int r) {
  const char* title = "Invalid first root of polynomial generator";
  const char* range =
      "It must be between 0 and ((2^number of bits per symbol) - 1 - number of check symbols per "
      "codeword).\n";
  const int high = MaxGenstart(r, m);
  if (!IsIntegerText(text)) return Reset(0, title, kNotAnInteger + ResetTo(0) + ".");
  const int value = ToInteger(text);
  if (value < 0) return Reset(0, title, kTooSmall + std::string(range) + ResetTo(0) + ".");
  if (value > high) return Reset(high, title, kTooLarge + std::string(range) + ResetTo(high) + ".");
  return Keep(value);
}

Verdict CheckPolynomial(const std::string& text, int m) {
  const std::vector<int> row = IrrpolItems(m);
  const int value = ToInteger(text);
  if (row.empty() || IsListItem(row, value)) return Keep(value);
  return Reset(row.front(), "Invalid field polynomial value",
               "The field polynomial you have entered is illegal.\nIt must be a value available "
               "in the drop-box.\n" +
                   ResetTo(row.front()) + ".",
               false);
}

}  // namespace

RsParametersForm::RsParametersForm(RsParameters& parameters, MessageSink show_message)
    : parameters_(parameters), show_message_(std::move(show_message)) {
  for (int m = kMinM; m <= kMaxM; ++m) items_[Index(ParameterField::kBits)].push_back(m);
}

const std::string& RsParametersForm::text(ParameterField field) const {
  return texts_[Index(field)];
}

void RsParametersForm::SetText(ParameterField field, std::string text) {
  texts_[Index(field)] = std::move(text);
}

const std::vector<int>& RsParametersForm::items(ParameterField field) const {
  return items_[Index(field)];
}

int RsParametersForm::Value(ParameterField field) const { return ToInteger(text(field)); }

void RsParametersForm::Show(ParameterField field, int value) { SetText(field, FormatInt(value)); }

// Each refill offers the items, then reads the value of its field's text:
// the field keeps its text when the value is one of them, else it shows the
// value the rule falls back to. The symbols field always shows its value.
void RsParametersForm::Settle(ParameterField field, std::vector<int> items,
                              const std::function<int(int)>& refill, int& target) {
  items_[Index(field)] = std::move(items);
  const int current = Value(field);
  target = refill(current);
  if (field == ParameterField::kSymbols || !IsListItem(items_[Index(field)], current)) {
    Show(field, target);
  }
}

void RsParametersForm::RefillIrrpol(int m) {
  Settle(ParameterField::kPolynomial, IrrpolItems(m),
         [m](int current) { return codexel::RefillIrrpol(current, m); }, parameters_.irrpol);
}

void RsParametersForm::RefillN(int r, int m) {
  Settle(ParameterField::kSymbols, NItems(r, m),
         [r, m](int current) { return codexel::RefillN(current, r, m); }, parameters_.n);
}

void RsParametersForm::RefillR(int n) {
  Settle(ParameterField::kChecks, RItems(n),
         [n](int current) { return codexel::RefillR(current, n); }, parameters_.r);
}

void RsParametersForm::RefillGenstart(int r, int m) {
  Settle(ParameterField::kFirstRoot, GenstartItems(r, m),
         [r, m](int current) { return codexel::RefillGenstart(current, r, m); },
         parameters_.genstart);
}

void RsParametersForm::Initialise() {
  const RsParameters start = parameters_;
  Show(ParameterField::kBits, start.m);
  Show(ParameterField::kSymbols, start.n);
  Show(ParameterField::kChecks, start.r);
  Show(ParameterField::kPolynomial, start.irrpol);
  Show(ParameterField::kFirstRoot, start.genstart);
  RefillIrrpol(start.m);
  RefillN(start.r, start.m);
  RefillR(start.n);
  RefillGenstart(start.r, start.m);
}

void RsParametersForm::BitsChanged(int m) {
  parameters_.m = m;
  const int r = Value(ParameterField::kChecks);
  RefillIrrpol(m);
  RefillGenstart(r, m);
  RefillN(r, m);
  RefillR(Value(ParameterField::kSymbols));
}

bool RsParametersForm::FocusLost(ParameterField field) {
  const int m = Value(ParameterField::kBits);
  const int n = Value(ParameterField::kSymbols);
  const int r = Value(ParameterField::kChecks);
  const std::string& typed = text(field);
  Verdict verdict;
  switch (field) {
    case ParameterField::kBits: verdict = CheckBits(typed); break;
    case ParameterField::kSymbols: verdict = CheckSymbols(typed, r, m); break;
    case ParameterField::kChecks: verdict = CheckChecks(typed, n); break;
    case ParameterField::kPolynomial: verdict = CheckPolynomial(typed, m); break;
    case ParameterField::kFirstRoot: verdict = CheckFirstRoot(typed, m, r); break;
  }
  if (verdict.message && verdict.message_first) show_message_(*verdict.message);
  if (verdict.message) Show(field, verdict.value);
  if (verdict.message && !verdict.message_first) show_message_(*verdict.message);

  switch (field) {
    case ParameterField::kBits:
      BitsChanged(verdict.value);
      break;
    case ParameterField::kSymbols:
      RefillR(verdict.value);
      parameters_.n = verdict.value;
      break;
    case ParameterField::kChecks:
      RefillN(verdict.value, m);
      RefillGenstart(verdict.value, m);
      parameters_.r = verdict.value;
      break;
    case ParameterField::kPolynomial:
      parameters_.irrpol = verdict.value;
      break;
    case ParameterField::kFirstRoot:
      parameters_.genstart = verdict.value;
      break;
  }
  return verdict.message.has_value();
}

void RsParametersForm::Picked(ParameterField field, const std::optional<std::string>& item_text) {
  if (!item_text) return;
  SetText(field, *item_text);
  const int value = ToInteger(*item_text);
  switch (field) {
    case ParameterField::kBits:
      BitsChanged(value);
      break;
    case ParameterField::kSymbols:
      parameters_.n = value;
      RefillR(value);
      break;
    case ParameterField::kChecks:
      parameters_.r = value;
      RefillN(value, Value(ParameterField::kBits));
      RefillGenstart(value, Value(ParameterField::kBits));
      break;
    case ParameterField::kPolynomial:
      parameters_.irrpol = value;
      break;
    case ParameterField::kFirstRoot:
      parameters_.genstart = value;
      break;
  }
}

void RsParametersForm::Preset() {
  parameters_.m = 8;
  SetText(ParameterField::kBits, "8");
  SetText(ParameterField::kSymbols, "204");
  SetText(ParameterField::kChecks, "16");
  SetText(ParameterField::kPolynomial, "285");
  SetText(ParameterField::kFirstRoot, "0");
  RefillIrrpol(8);
  RefillN(16, 8);
  RefillR(204);
  RefillGenstart(16, 8);
}

}  // namespace codexel
