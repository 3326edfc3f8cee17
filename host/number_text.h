#pragma once
// Decimal text <-> integer, as every part of the program reads and writes numbers.

#include <string>
#include <string_view>

namespace codexel {

// The standard text-to-integer conversion: leading white space skipped, an
// optional sign, then digits up to the first non-digit; no digits give 0.
// Values beyond the 32-bit range saturate at INT_MIN / INT_MAX.
int ToInteger(std::string_view text);

// The integer-text check applied to typed numbers: after dropping one leading
// '-', '+' or ' ' (only the first character), the rest consists of digits
// only. An empty remainder passes.
bool IsIntegerText(std::string_view text);

// "%d" formatting.
std::string FormatInt(long long value);

}  // namespace codexel
