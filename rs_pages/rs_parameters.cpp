#include "rs_pages/rs_parameters.h"

#include <array>

namespace codexel {

namespace {
constexpr std::array<int, 2> kM4{19, 25};
constexpr std::array<int, 6> kM5{37, 41, 47, 55, 59, 61};
constexpr std::array<int, 6> kM6{67, 91, 97, 103, 109, 115};
constexpr std::array<int, 18> kM7{131, 137, 143, 145, 157, 167, 171, 185, 191,
                                  193, 203, 211, 213, 229, 239, 241, 247, 253};
constexpr std::array<int, 16> kM8{285, 299, 301, 333, 351, 355, 357, 361,
                                  369, 391, 397, 425, 451, 463, 487, 501};
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

}  // namespace codexel
