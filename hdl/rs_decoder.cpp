#include <stdexcept>

#include "hdl/rs_core.h"

namespace codexel::hdl {

Netlist BuildDecoder(const std::string&, const RsParameters&, const std::vector<Port>&) {
  throw std::logic_error("decoder: not yet");
}

}  // namespace codexel::hdl
