#pragma once
// The files codexel-gen --hdl writes for a Verilog or VHDL design path: the
// core as one self-contained module or entity named after the design, for
// VHDL its component declaration, and, when asked, its testbench, which
// replays the variation's own vector file.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/wizard_info.h"
#include "rs_pages/rs_parameters.h"

namespace codexel::hdl {

struct DesignFile {
  std::string path;
  std::string text;
};

// What is written beside the core: its testbench, which replays the
// variation's vector file, and its AXI4-Stream wrapper (hdl/axis_wrapper.h).
struct CoreFileSet {
  bool testbench = false;
  bool axis = false;
};

// The vector file the variation comes with, as a Verilog or VHDL design
// path gets it (buses without index ranges), whether or not it is written.
std::string VectorText(const RsParameters& parameters);

// Why `name` cannot name a Verilog-2005 module (not an identifier, or a
// keyword); nothing when it can.
std::optional<std::string> VerilogNameProblem(const std::string& name);

// "<directory><base name>_tb.v"
std::string TestbenchPath(const std::string& design_directory, const std::string& design_base_name);

// "<directory><base name>_axis<extension>": the AXI4-Stream wrapper's file.
std::string AxisWrapperPath(const std::string& design_directory, const std::string& design_base_name,
                            const std::string& extension);

// The design "<directory><base name>.v", with `set.axis` its wrapper
// "<base name>_axis.v" (module <base name>_axis) and with `set.testbench`
// its testbench, from the parameters and the ports `model` records (the
// model the store step has just filled); every file's header names
// `program_title`, the program that made it. Throws std::exception when the
// core cannot be made, or would be named like one of its ports.
std::vector<DesignFile> MakeVerilogFiles(const RsParameters& parameters, const WizardInfoModel& model,
                                         const std::string& design_directory,
                                         const std::string& design_base_name, CoreFileSet set,
                                         const std::string& program_title);

// The design "<directory><base name>.vhd" (entity and architecture), its
// component declaration "<base name>.cmp" (with `set.axis` the wrapper's
// component as well), with `set.axis` the wrapper "<base name>_axis.vhd"
// (entity <base name>_axis) and with `set.testbench` "<base name>_tb.vhd".
// Throws std::exception when the core cannot be made, or its name is not a
// VHDL one or is a port's, case ignored.
std::vector<DesignFile> MakeVhdlFiles(const RsParameters& parameters, const WizardInfoModel& model,
                                      const std::string& design_directory, const std::string& design_base_name,
                                      CoreFileSet set, const std::string& program_title);

// Whether the core can be printed for a design path with this extension
// (".v" and ".vhd").
bool CoreLanguageAvailable(const std::string& extension);

// "Verilog" or "VHDL" by the extension; empty for another.
std::string CoreLanguageName(const std::string& extension);

// The paths MakeCoreFiles writes, in its order: the design, for VHDL the
// component declaration, the wrapper, then the testbench.
std::vector<std::string> CoreFilePaths(const std::string& design_directory, const std::string& design_base_name,
                                       const std::string& extension, CoreFileSet set);

// The core's files for the design "<directory><base name><extension>", in
// the design's language. Throws std::invalid_argument for a language
// without a back end, and what the language's maker throws.
std::vector<DesignFile> MakeCoreFiles(const RsParameters& parameters, const WizardInfoModel& model,
                                      const std::string& design_directory, const std::string& design_base_name,
                                      const std::string& extension, CoreFileSet set,
                                      const std::string& program_title);

}  // namespace codexel::hdl

namespace codexel::hdl {

// How much of a file at the design path IsProgramsCore needs: its leading
// comment block.
inline constexpr std::size_t kCoreHeadBytes = 4096;

// Whether `head`, the first bytes of a file, is the start of a core the
// program titled `program_title` printed: its leading comment lines ("//" in
// Verilog, "--" in VHDL) name that program and "(codexel-gen --hdl)". Any
// other file at the design path is the user's and is never replaced.
bool IsProgramsCore(std::string_view head, std::string_view program_title);

// Why the core cannot be printed for the design "<base name><extension>"
// whatever the variation (the name is no Verilog module or VHDL entity
// name, or is one of the core's port names, in VHDL whatever its case);
// nothing when it can.
std::optional<std::string> CoreNameProblem(const std::string& extension, const std::string& base_name);

// Why the AXI4-Stream wrapper cannot be printed beside the core of the
// design "<base name><extension>" (the core's name is one of the wrapper's
// ports, in VHDL whatever its case, or "<base name>_axis" names no module
// or entity); nothing when it can.
std::optional<std::string> AxisWrapperNameProblem(const std::string& extension, const std::string& base_name);

}  // namespace codexel::hdl
