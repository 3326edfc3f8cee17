#pragma once
// The one record of what the user has chosen for the Reed-Solomon codec, its
// legal ranges and the list-refill rules that keep the five code parameters
// consistent.

#include <span>
#include <vector>

namespace codexel {

struct RsParameters {
  int m = 4;         // bits per symbol; the field is GF(2^m)
  int n = 5;         // symbols per codeword
  int r = 4;         // check symbols per codeword
  int irrpol = 19;   // field polynomial, bit i = coefficient of x^i
  int genstart = 0;  // first root of the generator polynomial
  int Enc_Dec = 1;   // 1 encoder, 0 decoder
  int Disc_Stream = 1;  // decoder: 1 discrete, 0 streaming
  int Fast_Small = 1;   // decoder: 1 full speed, 0 half speed
  int Eras_Stnd = 0;    // decoder: 1 erasure-supporting, 0 standard
  int generate_vectorfile = 1;
  int Msym_Mbit = 1;  // throughput unit: 1 Msym/s, 0 Mbit/s

  bool operator==(const RsParameters&) const = default;
};

// The primitive polynomials of degree m (4..8), ascending; the first is the
// fallback. Empty for any other m.
std::span<const int> field_polynomials(int m);

// ---- Legal ranges ----

inline constexpr int kMinM = 4;
inline constexpr int kMaxM = 8;
inline constexpr int kMinN = 5;
inline constexpr int kMinR = 4;
inline constexpr int kMaxR = 50;

// 2^c by doubling; 1 when c < 1. Exponents above 30 give 2^30 (no overflow).
int Pow2(int c);

// Lowest legal n for r check symbols: max(5, r + 1).
int MinN(int r);
// Highest legal n: 2^m - 1. An m above 8 counts as 8, so that a corrupt value
// cannot ask for a list of millions of items.
int MaxN(int m);
// Highest legal r for n symbols: min(50, n - 1).
int MaxR(int n);
// Highest legal first root: 2^m - 1 - r (negative when there is none).
int MaxGenstart(int r, int m);

// ceil(log2(r + 1)): the bits that hold an error count from 0 to r (the
// decoder's numerr width); 0 for r <= 0.
int NumerrWidth(int r);

// Whether the five code parameters all lie in their legal ranges and irrpol
// is a field polynomial of m.
bool IsLegalCode(const RsParameters& parameters);

// ---- List refills ----
// Each pair gives the items a drop-down list offers and the value the field
// ends with: `current` when it is one of the items, else the rule's fallback.

bool IsListItem(std::span<const int> items, int value);

// The field_polynomials row of m; fallback: the row's first value (`current`
// when m has no row).
std::vector<int> IrrpolItems(int m);
int RefillIrrpol(int current, int m);

// MinN(r) .. 2^m - 1; fallback: MinN(r) when r < 2^m - 1, else 5.
std::vector<int> NItems(int r, int m);
int RefillN(int current, int r, int m);

// 4 .. MaxR(n); fallback: 4.
std::vector<int> RItems(int n);
int RefillR(int current, int n);

// 0 .. MaxGenstart(r, m), never beyond 2^m - 2; fallback: 0.
std::vector<int> GenstartItems(int r, int m);
int RefillGenstart(int current, int r, int m);

}  // namespace codexel
