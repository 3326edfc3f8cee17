#pragma once
// The product order codes that cover the configured function.

#include <string>

#include "rs_pages/rs_parameters.h"

namespace codexel {

struct OrderCodes {
  std::string primary;
  std::string erasures;  // empty unless an erasure-supporting decoder is chosen
  bool erasures_shown = false;
};

// An encoder (Enc_Dec set) never shows the erasures option code, whatever
// Eras_Stnd holds.
OrderCodes OrderCodesFor(const RsParameters& parameters);

}  // namespace codexel
