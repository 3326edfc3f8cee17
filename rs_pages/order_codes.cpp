#include "rs_pages/order_codes.h"

namespace codexel {

OrderCodes OrderCodesFor(const RsParameters& p) {
  if (p.Enc_Dec != 0) return {"VXQR-RSENC", "", false};
  if (p.Eras_Stnd != 0) return {"VXQR-RSDEC", "VXQR-KW-RSDEC/ERAS", true};
  return {"VXQR-RSDEC", "", false};
}

}  // namespace codexel
