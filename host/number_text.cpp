#include "host/number_text.h"

#include <climits>

namespace codexel {

namespace {
bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
}  // namespace

int ToInteger(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && IsSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  // Accumulate as a negative number so that INT_MIN is reachable exactly.
  long long value = 0;
  for (; i < text.size() && IsDigit(text[i]); ++i) {
    value = value * 10 - (text[i] - '0');
    if (value < static_cast<long long>(INT_MIN)) {
      return negative ? INT_MIN : INT_MAX;
    }
  }
  if (negative) return static_cast<int>(value);
  return value < -static_cast<long long>(INT_MAX) ? INT_MAX : static_cast<int>(-value);
}

bool IsIntegerText(std::string_view text) {
  if (!text.empty() && (text[0] == '-' || text[0] == '+' || text[0] == ' ')) {
    text.remove_prefix(1);
  }
  for (char c : text) {
    if (!IsDigit(c)) return false;
  }
  return true;
}

std::string FormatInt(long long value) { return std::to_string(value); }

}  // namespace codexel
