#include "rs_pages/rs_parameters.h"

#include <algorithm>
#include <array>
#include <climits>

namespace codexel {

namespace {
constexpr std::array<int, 2> kM4{19, 25};
constexpr std::array<int, 6> kM5{37, 41, 47, 55, 59, 61};
constexpr std::array<int, 6> kM6{67, 91, 97, 103, 109, 115};
constexpr std::array<int, 18> kM7{131, 137, 143, 145, 157, 167, 171, 185, 191,
                                  193, 203, 211, 213, 229, 239, 241, 247, 253};
constexpr std::array<int, 16> kM8{285, 299, 301, 333, 351, 355, 357, 361,
                                  369, 391, 397, 425, 451, 463, 487, 501};

constexpr int kMaxPow2Exponent = 30;

// Bounds are computed wide and brought back into int, so that values read
// from a damaged file cannot overflow them.
int Saturate(long long value) {
  return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

std::vector<int> Range(int first, int last) {
  std::vector<int> items;
  if (first > last) return items;
  items.reserve(static_cast<std::size_t>(last - first) + 1);
  for (long long v = first; v <= last; ++v) items.push_back(static_cast<int>(v));
  return items;
}

int KeepOr(int current, const std::vector<int>& items, int fallback) {
  return IsListItem(items, current) ? current : fallback;
}
}  // namespace

std::span<const int> field_polynomials(int m) {
  switch (m) {
    case 4: return kM4;
    case 5: return kM5;
    case 6: return kM6;
    case 7: return kM7;
    case 8: return kM8;
    default: return {};
  }
}

int Pow2(int c) {
  int result = 1;
  for (int i = 0; i < std::min(c, kMaxPow2Exponent); ++i) result *= 2;
  return result;
}

int MinN(int r) { return Saturate(std::max<long long>(kMinN, static_cast<long long>(r) + 1)); }

int MaxN(int m) { return Pow2(std::min(m, kMaxM)) - 1; }

int MaxR(int n) { return Saturate(std::min<long long>(kMaxR, static_cast<long long>(n) - 1)); }

int MaxGenstart(int r, int m) { return Saturate(static_cast<long long>(MaxN(m)) - r); }

bool IsLegalCode(const RsParameters& p) {
  return p.m >= kMinM && p.m <= kMaxM && IsListItem(field_polynomials(p.m), p.irrpol) &&
         p.n >= MinN(p.r) && p.n <= MaxN(p.m) && p.r >= kMinR && p.r <= MaxR(p.n) &&
         p.genstart >= 0 && p.genstart <= MaxGenstart(p.r, p.m);
}

bool IsListItem(std::span<const int> items, int value) {
  return std::find(items.begin(), items.end(), value) != items.end();
}

std::vector<int> IrrpolItems(int m) {
  const std::span<const int> row = field_polynomials(m);
  return {row.begin(), row.end()};
}

int RefillIrrpol(int current, int m) {
  const std::vector<int> items = IrrpolItems(m);
  return items.empty() ? current : KeepOr(current, items, items.front());
}

std::vector<int> NItems(int r, int m) { return Range(MinN(r), MaxN(m)); }

int RefillN(int current, int r, int m) {
  return KeepOr(current, NItems(r, m), r < MaxN(m) ? MinN(r) : kMinN);
}

std::vector<int> RItems(int n) { return Range(kMinR, MaxR(n)); }

int RefillR(int current, int n) { return KeepOr(current, RItems(n), kMinR); }

std::vector<int> GenstartItems(int r, int m) {
  // A damaged r below 0 must not offer exponents beyond the field's last one.
  return Range(0, std::min(MaxGenstart(r, m), MaxN(m) - 1));
}

int RefillGenstart(int current, int r, int m) {
  return KeepOr(current, GenstartItems(r, m), 0);
}

int NumerrWidth(int r) {
  int width = 0;
  while ((1LL << width) < static_cast<long long>(r) + 1) ++width;
  return width;
}

}  // namespace codexel
