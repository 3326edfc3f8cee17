#pragma once
// The configured RS core as a netlist: the encoder, or the decoder the
// device choices name, built from the variation's parameters and with the
// ports its wizard information file records.

#include <map>
#include <string>
#include <vector>

#include "hdl/netlist.h"
#include "host/wizard_info.h"
#include "rs_pages/rs_parameters.h"

namespace codexel::hdl {

// The ports a variation records, in its order (USED_PORT entries).
std::vector<Port> RecordedPorts(const WizardInfoModel& model);

// A netlist whose ports are declared in the recorded order: inputs ready to
// use, outputs to be given their values.
class CoreNetlist {
 public:
  CoreNetlist(const std::string& module_name, const RsParameters& parameters,
              const std::vector<Port>& ports);
  Netlist& nl() { return nl_; }
  // The input named; throws std::logic_error when the variation lacks it.
  Sig In(const std::string& name) const;
  bool Has(const std::string& name) const;

 private:
  Netlist nl_;
  std::map<std::string, Sig> inputs_;
  std::map<std::string, bool> ports_;
};

// The encoder: systematic, one symbol per enabled clock.
Netlist BuildEncoder(const std::string& module_name, const RsParameters& parameters,
                     const std::vector<Port>& ports);
// One of the eight decoders, as Disc_Stream, Fast_Small and Eras_Stnd choose.
Netlist BuildDecoder(const std::string& module_name, const RsParameters& parameters,
                     const std::vector<Port>& ports);
// BuildEncoder or BuildDecoder, as Enc_Dec chooses.
Netlist BuildRsCore(const std::string& module_name, const RsParameters& parameters,
                    const std::vector<Port>& ports);

// Bits needed to count from 0 to `value`.
int BitsFor(int value);

}  // namespace codexel::hdl
