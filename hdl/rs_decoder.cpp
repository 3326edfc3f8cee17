// The RS decoders as netlists: the stages of decoder_stages.h, sized and
// timed by the variant's plan, joined.

#include "hdl/decoder_plan.h"
#include "hdl/decoder_stages.h"
#include "hdl/rs_core.h"

namespace codexel::hdl {

Netlist BuildDecoder(const std::string& module_name, const RsParameters& p, const std::vector<Port>& ports) {
  const DecoderPlan plan = PlanDecoder(p);
  CoreNetlist core(module_name, p, ports);
  Netlist& nl = core.nl();
  // An edge with dsout low is skipped by the whole core.
  nl.SetClockEnable(core.In("dsout"));
  const decoder::InputStage in =
      decoder::BuildInput(nl, plan, p, core.In("rsin"), core.In("dsin"), core.In("bypass"),
                          plan.erasures ? core.In("eras_ind") : nl.Zero(1));
  nl.Output("rdyin", in.ready);
  const decoder::SolverResult solved = decoder::BuildSolver(nl, plan, p, in);
  const decoder::ChienResult found = decoder::BuildChien(nl, plan, p, solved);
  const decoder::OutputPorts out = decoder::BuildOutput(nl, plan, p, found, in.delayed);
  nl.Output("rsout", out.rsout);
  nl.Output("outvalid", out.outvalid);
  nl.Output("numerr", out.numerr);
  nl.Output("decfail", out.decfail);
  nl.Check();
  return std::move(nl);
}

}  // namespace codexel::hdl
