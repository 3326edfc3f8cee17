#include "rs_engine/rs_engine.h"

#include <algorithm>
#include <cstdio>
#include <ostream>

namespace codexel {

namespace {
// Scratch rows inside build_gg and encode: r is at most 50.
constexpr int kScratch = 52;

// Intel HEX checksum of a one-byte data record at address a holding v.
int RecordChecksum(int a, int v) { return (256 - ((1 + a + v) % 256)) % 256; }
}  // namespace

void RsEngine::SetParameters(const RsParameters& p) {
  m_ = std::clamp(p.m, kMinM, kMaxM);
  irrpol_ = p.irrpol;
  r_ = std::clamp(p.r, kMinR, kMaxR);
  n_ = std::clamp(p.n, r_ + 1, kSymbolCapacity);
  genstart_ = std::clamp(p.genstart, 0, kAlogCapacity - 3);  // build_gg reads genstart + 2
  BuildLogTables();
}

int RsEngine::pow2(int c) { return Pow2(c); }

int RsEngine::gfmul(int a, int b) const {
  if (log_tables_ && static_cast<unsigned>(a) < field_size_ &&
      static_cast<unsigned>(b) < field_size_) {
    if (a == 0 || b == 0) return 0;
    return exp_[log_[static_cast<std::size_t>(a)] + log_[static_cast<std::size_t>(b)]];
  }
  return MultiplyBits(a, b);
}

int RsEngine::MultiplyBits(int a, int b) const {
  // Wide unsigned arithmetic: operands outside the field cannot overflow.
  const auto wide_b = static_cast<std::uint64_t>(static_cast<std::uint32_t>(b));
  const auto poly = static_cast<std::uint64_t>(static_cast<std::uint32_t>(irrpol_));
  std::uint64_t p = 0;
  for (int i = 0; i < m_; ++i) {
    if ((a >> i) & 1) p ^= wide_b << i;
  }
  // Each step clears bit j - 1 with irrpol shifted so that its top bit lines up.
  std::uint64_t mask = std::uint64_t{1} << (2 * m_ - 2);
  for (int j = 2 * m_ - 1; j >= m_ + 1; --j) {
    if (p & mask) p ^= poly << (j - m_ - 1);
    mask >>= 1;
  }
  return static_cast<int>(static_cast<std::uint32_t>(p));
}

void RsEngine::BuildLogTables() {
  log_tables_ = false;
  field_size_ = static_cast<unsigned>(pow2(m_));
  // Only a listed field polynomial is known to make alpha generate the field.
  if (!IsListItem(field_polynomials(m_), irrpol_)) return;
  const int order = pow2(m_) - 1;
  int power = 1;
  for (int i = 0; i < order; ++i) {
    log_[static_cast<std::size_t>(power)] = static_cast<std::uint8_t>(i);
    exp_[static_cast<std::size_t>(i)] = exp_[static_cast<std::size_t>(i + order)] =
        static_cast<std::uint8_t>(power);
    power = MultiplyBits(power, 2);
  }
  log_tables_ = true;
}

void RsEngine::build_alog() {
  alog.fill(0);
  alog[0] = 1;
  alog[1] = 2;
  for (int i = 2; i <= pow2(m_) - 2; ++i) alog[i] = gfmul(alog[i - 1], 2);
}

int RsEngine::inverse(int a) const {
  const int size = pow2(m_);
  for (int i = 1; i < size; ++i) {
    if (gfmul(a, i) == 1) return i;
  }
  return size;
}

int RsEngine::inverse_of_power(int j) const { return inverse(AlogAt(j)); }

void RsEngine::build_negroot(bool erasures) {
  negroot.fill(0);
  const int count = erasures ? kNegrootCountErasures : kNegrootCountStandard;
  const int size = pow2(m_);
  for (int j = 0; j < count; ++j) {
    // Every candidate is tried; alog[j] is 0 from 2^m - 1 on, so those stay 0.
    for (int i = 1; i < size; ++i) {
      if (gfmul(alog[j], i) == 1) negroot[j] = i;
    }
  }
}

void RsEngine::build_root() {
  root.fill(0);
  const int last_exponent = pow2(m_) - 2;
  for (int j = 0; j < kRootCapacity && genstart_ + j <= last_exponent; ++j) {
    root[j] = alog[genstart_ + j];
  }
}

void RsEngine::build_gg() {
  gg.fill(0);
  gg[0] = 1;
  gg[1] = alog[genstart_] ^ alog[genstart_ + 1];
  gg[2] = gfmul(alog[genstart_], alog[genstart_ + 1]);
  int next_root = alog[genstart_ + 2];
  std::array<int, kScratch> t{};
  for (int d = 3; d <= r_; ++d) {
    for (int c = 0; c < d; ++c) t[c] = gfmul(gg[c], next_root);
    for (int c = 0; c < d; ++c) gg[c + 1] ^= t[c];
    next_root = gfmul(next_root, 2);
  }
}

void RsEngine::encode() {
  std::array<int, kScratch> b{};
  const int message_length = k();
  for (int i = 0; i < message_length; ++i) {
    const int fb = msg[message_length - 1 - i] ^ b[r_ - 1];
    for (int j = r_ - 1; j >= 1; --j) b[j] = b[j - 1] ^ gfmul(fb, gg[r_ - j]);
    b[0] = gfmul(fb, gg[r_]);
  }
  for (int i = 0; i < message_length; ++i) cw[r_ + i] = msg[i];
  for (int j = 0; j < r_; ++j) cw[j] = b[j];
}

void RsEngine::write_inverse_hex(std::ostream& out) const {
  out << ":020000020000fc\n" << ":0100000000ff\n";
  const int size = pow2(m_);
  int address = 1;
  char line[32];
  for (int i = 1; i < size; ++i) {
    // Every candidate is tried, so the records list every inverse found.
    for (int j = 1; j < size; ++j) {
      if (gfmul(i, j) != 1) continue;
      std::snprintf(line, sizeof line, ":0100%02x00%02x%02x\n", static_cast<unsigned>(address),
                    static_cast<unsigned>(j), static_cast<unsigned>(RecordChecksum(address, j)));
      out << line;
      ++address;
    }
  }
  out << ":00000001ff\n";
}

int RsEngine::AlogAt(int i) const {
  return i >= 0 && i < kAlogCapacity ? alog[static_cast<std::size_t>(i)] : 0;
}

}  // namespace codexel
