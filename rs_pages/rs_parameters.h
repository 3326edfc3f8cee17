#pragma once
// The one record of what the user has chosen for the Reed-Solomon codec.

#include <span>

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

}  // namespace codexel
