#pragma once
// The decoder's stages, each in a file of its own, joined by BuildDecoder:
//
//   input    syndromes while the codeword arrives, the erasures' locators,
//            and every symbol into the delay memory
//   solver   Berlekamp-Massey from the erasures, then the evaluator
//            polynomial, on as many multipliers as the plan gives
//   chien    one Chien and Forney pass: the changes go onto small stacks
//            (or into a memory), and the counts decide numerr and decfail
//   output   the delayed symbols, each with its change applied as it leaves
//
// Each stage holds one codeword and hands it on with a registered "go";
// every timing is fixed by the plan, so a streaming decoder overlaps
// codewords by starting them no closer than its codeword interval.

#include <string>
#include <vector>

#include "hdl/decoder_plan.h"
#include "hdl/netlist.h"
#include "rs_pages/rs_parameters.h"

namespace codexel::hdl::decoder {

using Poly = std::vector<Sig>;

std::string Indexed(const std::string& name, int i);
// values[index] by a tree of multiplexers; 0 beyond the values given.
Sig Select(Netlist& nl, Sig index, const std::vector<Sig>& values, int width);
// A register loaded with `value` where `load` is high and held otherwise.
Sig Staged(Netlist& nl, const std::string& name, Sig load, Sig value);
Sig CountOnes(Netlist& nl, const std::vector<Sig>& bits, int width);
// 2 value, modulo 2^width, as wiring: an adder of a signal with itself gives
// the iCE40 a carry LUT with one net on two inputs, which nextpnr's router
// cannot finish.
Sig Twice(Netlist& nl, Sig value);

struct InputStage {
  Sig ready;      // rdyin
  Sig last_take;  // the edge that takes a codeword's last symbol
  Poly syndromes;  // S_0..S_(r-1) with the symbol this edge takes
  Sig erased;     // erasures flagged, at most r (BitsFor(r + 1) bits)
  Sig overflow;   // more than r flagged
  Sig bypass;
  // The same as registers: a codeword's values for one edge after its last
  // symbol (the next codeword's first symbol replaces them).
  Poly syndrome_regs;
  Sig erased_reg, overflow_reg, bypass_reg;
  // Folded solver: the locators of the flagged positions, in a memory of two
  // banks (one codeword being taken, one being solved).
  int erasure_memory = -1;
  Sig erasure_bank;      // the bank this edge writes
  Sig erasure_bank_reg;  // the bank of the codeword taken last
  // Parallel solver: the erasure locator polynomial, built as symbols come.
  Poly gamma;
  Sig delayed;  // the symbol taken plan.delay edges ago
};

struct SolverResult {
  Sig done;  // high for one clock: lambda, omega and the facts are final
  Poly lambda;  // plan.lambda_terms coefficients
  Poly omega;   // plan.omega_terms coefficients
  Sig length, erased, overflow, bypass;
};

InputStage BuildInput(Netlist& nl, const DecoderPlan& plan, const RsParameters& p, Sig rsin, Sig dsin,
                      Sig bypass, Sig erasure_flag);
SolverResult BuildSolver(Netlist& nl, const DecoderPlan& plan, const RsParameters& p, const InputStage& in);

// A lane's changes of a codeword at the locator's roots, word and value,
// pushed in the order of the pass (the highest word first) into its bank of
// `memory`.
struct ChangeStack {
  int memory = -1;
  Sig pushed;  // entries of the codeword pushed last; held until the next pass
};

struct ChienResult {
  Sig go;  // high for one clock: the output may start
  Sig fail, clean;  // decfail (never for a bypassed codeword); no change to apply
  Sig count;        // numerr when not clean
  Sig bank;         // the stacks' (or the change memory's) bank of this codeword
  std::vector<ChangeStack> stacks;  // one a lane
  int change_memory = -1;           // without stacks: every position's change
};

ChienResult BuildChien(Netlist& nl, const DecoderPlan& plan, const RsParameters& p, const SolverResult& s);

struct OutputPorts {
  Sig rsout, outvalid, numerr, decfail;
};

OutputPorts BuildOutput(Netlist& nl, const DecoderPlan& plan, const RsParameters& p, const ChienResult& c,
                        Sig delayed);

}  // namespace codexel::hdl::decoder
