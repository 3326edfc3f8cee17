#include "rs_pages/throughput.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "host/number_text.h"

namespace codexel {

int CyclesPerCodeword(const RsParameters& p) {
  // c = 3n + a*r + b for a discrete decoder, max(n + r, a*r + b) for a
  // streaming one; (a, b) by [erasures][full speed][discrete].
  struct Terms {
    int a, b;
  };
  static constexpr Terms kTerms[2][2][2] = {
      {{{10, 4}, {11, 4}}, {{7, 5}, {8, 5}}},   // standard: half, full
      {{{10, 6}, {11, 6}}, {{8, 6}, {9, 6}}},   // erasure-supporting: half, full
  };
  const bool discrete = p.Disc_Stream != 0;
  const Terms t = kTerms[p.Eras_Stnd != 0][p.Fast_Small != 0][discrete];
  if (discrete) return 3 * p.n + t.a * p.r + t.b;
  return std::max(p.n + p.r, t.a * p.r + t.b);
}

namespace {

// Removes trailing zeros of the fraction in `text` (up to its exponent, if
// any), keeping the decimal point.
std::string TrimFractionZeros(const std::string& text) {
  const std::size_t point = text.find('.');
  if (point == std::string::npos) return text;
  const std::size_t exponent = text.find('e');
  const std::size_t end = exponent == std::string::npos ? text.size() : exponent;
  std::size_t last = end;
  while (last > point + 1 && text[last - 1] == '0') --last;
  return text.substr(0, last) + text.substr(end);
}

// The first `keep` digits of a digit string rounded half away from zero on
// the digits that follow; may come back one digit longer after a carry.
std::string RoundDigits(const std::string& digits, std::size_t keep) {
  std::string kept = digits.substr(0, keep);
  if (keep < digits.size() && digits[keep] >= '5') {
    std::size_t i = kept.size();
    while (i > 0 && kept[i - 1] == '9') kept[--i] = '0';
    if (i == 0) {
      kept.insert(0, "1");
    } else {
      ++kept[i - 1];
    }
  }
  return kept;
}

constexpr int kGuardDigits = 25;  // beyond every digit a double can affect here

std::string Fixed(double magnitude, int decimals) {
  char buffer[512];
  std::snprintf(buffer, sizeof buffer, "%.*f", decimals + kGuardDigits, magnitude);
  std::string text = buffer;
  const std::size_t point = text.find('.');
  const std::string whole = text.substr(0, point);
  const std::string digits = whole + text.substr(point + 1);
  const std::string kept = RoundDigits(digits, whole.size() + static_cast<std::size_t>(decimals));
  const std::size_t whole_length = kept.size() - static_cast<std::size_t>(decimals);
  if (decimals == 0) return kept;
  return kept.substr(0, whole_length) + "." + kept.substr(whole_length);
}

std::string Exponent(double magnitude) {
  char buffer[128];
  std::snprintf(buffer, sizeof buffer, "%.*e", 3 + kGuardDigits, magnitude);
  const std::string text = buffer;
  const std::size_t e = text.find('e');
  int exponent = std::atoi(text.c_str() + e + 1);
  std::string kept = RoundDigits(text.substr(0, 1) + text.substr(2, e - 2), 4);
  if (kept.size() > 4) {  // 9.9995 became 10.000
    kept.pop_back();
    ++exponent;
  }
  std::string exponent_digits = std::to_string(exponent < 0 ? -exponent : exponent);
  while (exponent_digits.size() < 3) exponent_digits.insert(0, "0");
  return kept.substr(0, 1) + "." + kept.substr(1) + "e" + (exponent < 0 ? "-" : "+") +
         exponent_digits;
}

}  // namespace

std::string FormatThroughputNumber(double value) {
  if (value == 0.0) return "0.";
  if (!std::isfinite(value)) return value > 0 ? "inf" : "-inf";
  const std::string sign = value < 0 ? "-" : "";
  const double magnitude = std::fabs(value);
  const int d = static_cast<int>(std::floor(std::log10(magnitude)));
  if (d >= -1 && d <= 3) {
    const int decimals = 3 - d;
    const std::string fixed = Fixed(magnitude, decimals);
    return sign + (decimals == 0 ? fixed : TrimFractionZeros(fixed));
  }
  return sign + TrimFractionZeros(Exponent(magnitude));
}

std::string RateText(const RsParameters& params, double frequency, int cycles) {
  const double symbols = (frequency * params.n) / cycles;
  if (params.Msym_Mbit == 1) return FormatThroughputNumber(symbols) + " Msym/s";
  return FormatThroughputNumber(params.m * symbols) + " Mbit/s";
}

std::string ThroughputText(const RsParameters& params, const std::string& frequency_text) {
  if (frequency_text.empty()) return std::string();
  if (!IsIntegerText(frequency_text)) return "Invalid Frequency";
  const double frequency = std::strtod(frequency_text.c_str(), nullptr);
  return "Throughput is " + RateText(params, frequency, CyclesPerCodeword(params));
}

}  // namespace codexel
