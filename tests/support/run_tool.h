#pragma once
// An open tool (Icarus Verilog, GHDL, Verilator, Yosys) run on files the
// test wrote into a folder.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace codexel::testing {

// Runs `command` in `dir` through the shell; returns what it printed, led by
// "status N" when it failed (empty for a silent success).
inline std::string RunTool(const std::filesystem::path& dir, const std::string& command) {
  const int status = std::system(("cd '" + dir.string() + "' && (" + command + ") > tool.log 2>&1").c_str());
  std::ifstream in(dir / "tool.log");
  std::stringstream text;
  text << in.rdbuf();
  return (status == 0 ? "" : "status " + std::to_string(status) + "\n") + text.str();
}

}  // namespace codexel::testing
