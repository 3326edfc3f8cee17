#pragma once
// The RS parameters page without its widgets: the texts and item lists of
// its five fields, and the rules that keep them and the parameter set
// consistent when the page opens, when a field loses the focus, when the user
// picks an item and when the "DVB Standard" preset is pressed.
//
// A handler reads the fields' texts as they stand (the page copies them in
// with SetText first) and leaves the texts and lists the page shows. A
// message is handed to the sink at the moment the user sees it: before the
// field is reset ("message first") or after it ("reset first"), so the sink
// can show the texts as they stand at that moment.

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "rs_pages/rs_parameters.h"

namespace codexel {

enum class ParameterField { kBits, kSymbols, kChecks, kPolynomial, kFirstRoot };
inline constexpr int kParameterFieldCount = 5;

struct FieldMessage {
  std::string title;
  std::string text;
  bool operator==(const FieldMessage&) const = default;
};

class RsParametersForm {
 public:
  using MessageSink = std::function<void(const FieldMessage&)>;

  RsParametersForm(RsParameters& parameters, MessageSink show_message);

  // Each time the page is shown: the five values written from the set, then
  // the lists refilled (field polynomial, symbols, checks, first root).
  void Initialise();
  // The check of a field that lost the focus, with the refills that follow
  // it. Returns whether a message was shown.
  bool FocusLost(ParameterField field);
  // The user picked an item; `item_text` is the item's text (none: no item
  // is selected, and nothing changes).
  void Picked(ParameterField field, const std::optional<std::string>& item_text);
  // "DVB Standard": m 8, n 204, r 16, field polynomial 285, first root 0.
  void Preset();

  const std::string& text(ParameterField field) const;
  void SetText(ParameterField field, std::string text);
  // The items a field's list offers; the bits list is fixed ("4" to "8").
  const std::vector<int>& items(ParameterField field) const;

 private:
  int Value(ParameterField field) const;
  void Show(ParameterField field, int value);
  void Settle(ParameterField field, std::vector<int> items, const std::function<int(int)>& refill,
              int& target);
  void RefillIrrpol(int m);
  void RefillN(int r, int m);
  void RefillR(int n);
  void RefillGenstart(int r, int m);
  // The refills of the bits field's handlers.
  void BitsChanged(int m);

  RsParameters& parameters_;
  MessageSink show_message_;
  std::array<std::string, kParameterFieldCount> texts_;
  std::array<std::vector<int>, kParameterFieldCount> items_;
};

}  // namespace codexel
