#pragma once
// GF(2^m) arithmetic, the generator polynomial and the systematic encoder.
// The tables have fixed capacities and start zeroed; entries an operation
// does not write read as 0, because the variation records them as constants.

#include <array>
#include <cstdint>
#include <iosfwd>

#include "rs_pages/rs_parameters.h"

namespace codexel {

class RsEngine {
 public:
  static constexpr int kAlogCapacity = 257;
  static constexpr int kGgCapacity = 51;
  static constexpr int kRootCapacity = 50;
  static constexpr int kNegrootCapacity = 51;
  static constexpr int kSymbolCapacity = 255;  // message and codeword buffers
  static constexpr int kNegrootCountErasures = 51;
  static constexpr int kNegrootCountStandard = 26;

  RsEngine() { SetParameters(RsParameters{}); }
  explicit RsEngine(const RsParameters& parameters) { SetParameters(parameters); }

  // Takes m, n, irrpol, r and genstart from the set. Legal values are taken
  // as they are; values the tables cannot hold (only a damaged set has them)
  // are limited to what they can, so that no operation reads or writes
  // outside its tables or runs for long.
  void SetParameters(const RsParameters& parameters);

  // The parameters, as SetParameters took them.
  int m() const { return m_; }
  int n() const { return n_; }
  int irrpol() const { return irrpol_; }
  int r() const { return r_; }
  int genstart() const { return genstart_; }
  // Number of message symbols, n - r (at least 1).
  int k() const { return n_ - r_; }

  // 2^c; 1 when c < 1.
  static int pow2(int c);
  // Product of two elements of GF(2^m) under irrpol: the carry-less product
  // of b with the low m bits of a, reduced from bit 2m-2 down to bit m.
  int gfmul(int a, int b) const;
  // alog[i] = alpha^i for i = 0..2^m-2.
  void build_alog();
  // The inverse of a, or 2^m when there is none (a = 0).
  int inverse(int a) const;
  // The inverse of alog[j], or 2^m.
  int inverse_of_power(int j) const;
  // negroot[j] = inverse of alpha^j for the first 51 (erasures) or 26 entries.
  void build_negroot(bool erasures);
  // root[j] = alpha^(genstart + j) while the exponent stays below 2^m - 1.
  void build_root();
  // Coefficients of prod (x + alpha^(genstart+i)), i < r; gg[0] = 1.
  void build_gg();
  // cw = msg * x^r + (msg * x^r mod g); needs build_gg.
  void encode();
  // The inverse table as Intel HEX records, one line each.
  void write_inverse_hex(std::ostream& out) const;

  // The tables, each cleared by its own build first, and the message and
  // codeword buffers.
  std::array<std::int32_t, kAlogCapacity> alog{};
  std::array<std::int32_t, kGgCapacity> gg{};
  std::array<std::int32_t, kRootCapacity> root{};
  std::array<std::int32_t, kNegrootCapacity> negroot{};
  std::array<std::int32_t, kSymbolCapacity> msg{};
  std::array<std::int32_t, kSymbolCapacity> cw{};

 private:
  // alog[i], or 0 for an index outside the table.
  int AlogAt(int i) const;
  // gfmul bit by bit, for any operands and any irrpol.
  int MultiplyBits(int a, int b) const;
  // Logarithms of alpha, so that gfmul of two field elements is two look-ups.
  // Built for the listed field polynomials only; otherwise every product is
  // made bit by bit. Either way the results are the same.
  void BuildLogTables();

  std::int32_t m_ = 4;
  std::int32_t n_ = 5;
  std::int32_t irrpol_ = 19;
  std::int32_t r_ = 4;
  std::int32_t genstart_ = 0;
  bool log_tables_ = false;
  unsigned field_size_ = 16;  // 2^m
  std::array<std::uint8_t, 256> log_{};
  std::array<std::uint8_t, 2 * 255> exp_{};  // alpha^i for i < 2(2^m - 1)
};

}  // namespace codexel
