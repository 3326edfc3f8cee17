#pragma once
// Cycle-exact evaluation of a netlist in C++, with the semantics the printed
// Verilog has: fast enough to check a core on thousands of codewords before
// a simulator sees the printed design.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "hdl/netlist.h"

namespace codexel::hdl {

class Simulator {
 public:
  // Power-up state: registers at their initial values, memories zero; each
  // instance a simulator of its own, stepped with this one.
  explicit Simulator(const Netlist& netlist);
  ~Simulator();
  Simulator(const Simulator&) = delete;
  Simulator& operator=(const Simulator&) = delete;

  void Set(const std::string& input, std::uint64_t value);
  // A port's value now: outputs follow the inputs set since the last edge.
  std::uint64_t Get(const std::string& port);
  // A register's value now, by its name (for tests that watch a stage).
  std::uint64_t Peek(const std::string& register_name) const;
  // One rising clock edge.
  void Step();

 private:
  void Evaluate();
  std::uint64_t Value(int id) const { return values_[static_cast<std::size_t>(id)]; }
  int PortNode(const std::string& name, bool output) const;

  const Netlist& netlist_;
  std::vector<std::uint64_t> values_;
  std::vector<std::uint64_t> state_;  // registers and memory read ports, by node id
  std::vector<std::vector<std::uint64_t>> memories_;
  std::vector<std::uint64_t> inputs_;  // by port
  std::vector<std::unique_ptr<Simulator>> instances_;
  bool evaluated_ = false;
};

}  // namespace codexel::hdl
