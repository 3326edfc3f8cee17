#include "hdl/design_files.h"

#include <cctype>
#include <memory>
#include <set>
#include <sstream>
#include <stdexcept>

#include "hdl/axis_wrapper.h"
#include "hdl/core_figures.h"
#include "hdl/decoder_plan.h"
#include "hdl/rs_core.h"
#include "hdl/testbench.h"
#include "hdl/vector_file.h"
#include "hdl/verilog.h"
#include "hdl/vhdl.h"
#include "rs_engine/rs_files.h"

namespace codexel::hdl {

namespace {

const std::set<std::string>& Keywords() {
  static const std::set<std::string> keywords = {
      "always", "and", "assign", "automatic", "begin", "buf", "bufif0", "bufif1", "case", "casex",
      "casez", "cell", "cmos", "config", "deassign", "default", "defparam", "design", "disable",
      "edge", "else", "end", "endcase", "endconfig", "endfunction", "endgenerate", "endmodule",
      "endprimitive", "endspecify", "endtable", "endtask", "event", "for", "force", "forever",
      "fork", "function", "generate", "genvar", "highz0", "highz1", "if", "ifnone", "incdir",
      "include", "initial", "inout", "input", "instance", "integer", "join", "large", "liblist",
      "library", "localparam", "macromodule", "medium", "module", "nand", "negedge", "nmos", "nor",
      "noshowcancelled", "not", "notif0", "notif1", "or", "output", "parameter", "pmos", "posedge",
      "primitive", "pull0", "pull1", "pulldown", "pullup", "pulsestyle_ondetect",
      "pulsestyle_onevent", "rcmos", "real", "realtime", "reg", "release", "repeat", "rnmos",
      "rpmos", "rtran", "rtranif0", "rtranif1", "scalared", "showcancelled", "signed", "small",
      "specify", "specparam", "strong0", "strong1", "supply0", "supply1", "table", "task", "time",
      "tran", "tranif0", "tranif1", "tri", "tri0", "tri1", "triand", "trior", "trireg", "unsigned",
      "use", "uwire", "vectored", "wait", "wand", "weak0", "weak1", "while", "wire", "wor", "xnor",
      "xor"};
  return keywords;
}


// The last line of the header every printed file starts with.
std::string MadeByLine(std::string_view program_title) {
  return "Made by " + std::string(program_title) + " (codexel-gen --hdl).";
}

// `note`, when not empty, is a line of its own before the last.
std::string Header(const std::string& what, const RsParameters& p, const std::string& program_title,
                   const std::string& note = "") {
  std::ostringstream s;
  s << what << " of a Reed-Solomon " << (p.Enc_Dec == 1 ? "encoder" : "decoder") << ": m " << p.m
    << ", n " << p.n << ", r " << p.r << ", irrpol " << p.irrpol << ", genstart " << p.genstart << ".\n";
  if (p.Enc_Dec == 1) {
    s << "A symbol every clock, latency " << kEncoderLatency << " clock.\n";
  } else {
    const DecoderPlan plan = PlanDecoder(p);
    s << (plan.erasures ? "Erasure-supporting" : "Standard") << ", "
      << (plan.streaming ? "streaming" : "discrete") << ", " << (plan.full_speed ? "full" : "half")
      << " speed: latency " << plan.latency << " clocks (bound " << plan.latency_bound
      << "); a codeword may start every " << plan.interval << " clocks, within the " << plan.page_cycles
      << " cycles per codeword the extra files page figures its throughput from.\n";
    if (plan.folded) {
      s << "Solver: " << plan.lanes << (plan.lanes == 1 ? " multiplier, " : " multipliers, ")
        << (plan.bounded_sweeps || plan.erasures ? "up to " : "") << plan.iteration_clocks
        << " clocks an iteration";
    } else {
      s << "Solver: " << plan.solver_multipliers << " multipliers, one iteration a clock";
    }
    s << "; Chien and Forney: " << plan.chien_parallel << (plan.chien_parallel == 1 ? " position" : " positions")
      << " a clock on " << plan.chien_parallel << (plan.chien_parallel == 1 ? " multiplier" : " multipliers")
      << ".\n";
  }
  if (!note.empty()) s << note << '\n';
  s << MadeByLine(program_title);
  return s.str();
}

std::string WrapperHeader(const RsParameters& p, const std::string& core_name, const std::string& extension,
                          const std::string& program_title) {
  return Header("The AXI4-Stream wrapper", p, program_title,
                "It instantiates the core " + core_name + " of " + core_name + extension + " unchanged.");
}

}  // namespace

std::string VectorText(const RsParameters& p) {
  RsEngine engine(p);
  engine.build_alog();
  engine.build_gg();
  LoadTestMessage(engine, 1);
  engine.encode();
  std::ostringstream out;
  if (p.Enc_Dec == 1) {
    WriteEncoderVectorFile(out, engine, false);
  } else {
    const DecoderVectorOptions options{p.Fast_Small == 1, p.Eras_Stnd == 1, false};
    if (p.Disc_Stream == 1) {
      WriteDiscreteDecoderVectorFile(out, engine, options);
    } else {
      WriteStreamingDecoderVectorFile(out, engine, options);
    }
  }
  return out.str();
}

std::optional<std::string> VerilogNameProblem(const std::string& name) {
  const auto letter = [](char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; };
  bool legal = !name.empty() && name.size() <= 1024 && letter(name[0]);
  for (char c : name) {
    legal = legal && (letter(c) || std::isdigit(static_cast<unsigned char>(c)) || c == '$');
  }
  if (!legal) {
    return "'" + name +
           "' cannot name a Verilog module: it must begin with a letter or '_' and hold only "
           "letters, digits, '_' and '$'";
  }
  if (Keywords().count(name)) return "'" + name + "' cannot name a Verilog module: it is a Verilog keyword";
  return std::nullopt;
}

std::string TestbenchPath(const std::string& design_directory, const std::string& design_base_name) {
  return design_directory + design_base_name + "_tb.v";
}

std::string AxisWrapperPath(const std::string& design_directory, const std::string& design_base_name,
                            const std::string& extension) {
  return design_directory + AxisWrapperName(design_base_name) + extension;
}

std::vector<DesignFile> MakeVerilogFiles(const RsParameters& parameters, const WizardInfoModel& model,
                                         const std::string& design_directory,
                                         const std::string& design_base_name, CoreFileSet set,
                                         const std::string& program_title) {
  if (auto problem = VerilogNameProblem(design_base_name)) throw std::invalid_argument(*problem);
  const std::vector<Port> ports = RecordedPorts(model);
  for (const Port& port : ports) {
    if (port.name == design_base_name) {
      throw std::invalid_argument("'" + design_base_name + "' is the name of one of the core's ports");
    }
  }
  if (set.axis) {
    if (auto problem = AxisWrapperNameProblem(".v", design_base_name)) throw std::invalid_argument(*problem);
  }
  const auto core = std::make_shared<const Netlist>(BuildRsCore(design_base_name, parameters, ports));
  std::vector<DesignFile> files;
  files.push_back({design_directory + design_base_name + ".v",
                   PrintVerilog(*core, Header("The core", parameters, program_title))});
  if (set.axis) {
    files.push_back({AxisWrapperPath(design_directory, design_base_name, ".v"),
                     PrintVerilog(BuildAxisWrapper(parameters, core), WrapperHeader(parameters, design_base_name,
                                                                                      ".v", program_title))});
  }
  if (set.testbench) {
    const VectorFile vectors = ParseVectorFile(VectorText(parameters));
    std::vector<TestbenchChecker> checkers;
    if (parameters.Enc_Dec != 1) {
      checkers.push_back(DecoderOutputChecker(DecoderCodewordsSent(vectors, parameters.n), ports));
    }
    files.push_back({TestbenchPath(design_directory, design_base_name),
                     PrintTestbench(design_base_name, ports, vectors, checkers,
                                    Header("Testbench", parameters, program_title))});
  }
  return files;
}

std::vector<DesignFile> MakeVhdlFiles(const RsParameters& parameters, const WizardInfoModel& model,
                                      const std::string& design_directory, const std::string& design_base_name,
                                      CoreFileSet set, const std::string& program_title) {
  const std::vector<Port> ports = RecordedPorts(model);
  if (auto problem = VhdlNameProblem(design_base_name, ports)) throw std::invalid_argument(*problem);
  if (set.axis) {
    if (auto problem = AxisWrapperNameProblem(".vhd", design_base_name)) throw std::invalid_argument(*problem);
  }
  const auto core = std::make_shared<const Netlist>(BuildRsCore(design_base_name, parameters, ports));
  const std::vector<std::string> paths = CoreFilePaths(design_directory, design_base_name, ".vhd", set);
  std::vector<DesignFile> files;
  files.push_back({paths[0], PrintVhdl(*core, Header("The core", parameters, program_title))});
  std::string components =
      PrintVhdlComponent(design_base_name, ports, Header("Component declaration", parameters, program_title));
  if (set.axis) {
    const Netlist wrapper = BuildAxisWrapper(parameters, core);
    components += "\n" + PrintVhdlComponent(wrapper.module_name(), wrapper.ports(),
                                            "The AXI4-Stream wrapper " + wrapper.module_name() + ", in " +
                                                wrapper.module_name() + ".vhd.");
    files.push_back({paths[1], components});
    files.push_back({paths[2], PrintVhdl(wrapper, WrapperHeader(parameters, design_base_name, ".vhd", program_title))});
  } else {
    files.push_back({paths[1], components});
  }
  if (set.testbench) {
    const VectorFile vectors = ParseVectorFile(VectorText(parameters));
    std::optional<std::vector<std::vector<std::uint64_t>>> codewords;
    if (parameters.Enc_Dec != 1) codewords = DecoderCodewordsSent(vectors, parameters.n);
    files.push_back({paths.back(), PrintVhdlTestbench(design_base_name, ports, vectors, codewords,
                                                      Header("Testbench", parameters, program_title))});
  }
  return files;
}

bool CoreLanguageAvailable(const std::string& extension) { return extension == ".v" || extension == ".vhd"; }

std::string CoreLanguageName(const std::string& extension) {
  if (extension == ".v") return "Verilog";
  if (extension == ".vhd") return "VHDL";
  return "";
}

std::vector<std::string> CoreFilePaths(const std::string& design_directory, const std::string& design_base_name,
                                       const std::string& extension, CoreFileSet set) {
  std::vector<std::string> paths{design_directory + design_base_name + extension};
  if (extension == ".vhd") paths.push_back(design_directory + design_base_name + ".cmp");
  if (set.axis) paths.push_back(AxisWrapperPath(design_directory, design_base_name, extension));
  if (set.testbench) {
    paths.push_back(extension == ".vhd" ? design_directory + design_base_name + "_tb.vhd"
                                        : TestbenchPath(design_directory, design_base_name));
  }
  return paths;
}

std::vector<DesignFile> MakeCoreFiles(const RsParameters& parameters, const WizardInfoModel& model,
                                      const std::string& design_directory, const std::string& design_base_name,
                                      const std::string& extension, CoreFileSet set,
                                      const std::string& program_title) {
  if (extension == ".v") {
    return MakeVerilogFiles(parameters, model, design_directory, design_base_name, set, program_title);
  }
  if (extension == ".vhd") {
    return MakeVhdlFiles(parameters, model, design_directory, design_base_name, set, program_title);
  }
  throw std::invalid_argument("the core has no back end for a '" + extension + "' design file");
}

}  // namespace codexel::hdl

namespace codexel::hdl {

bool IsProgramsCore(std::string_view head, std::string_view program_title) {
  const std::string made_by = MadeByLine(program_title);
  while (!head.empty()) {
    const std::size_t end = head.find('\n');
    std::string_view line = head.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!line.starts_with("//") && !line.starts_with("--")) return false;  // past the header
    line.remove_prefix(2);
    if (line.starts_with(' ')) line.remove_prefix(1);
    if (line == made_by) return true;
    if (end == std::string_view::npos) return false;
    head.remove_prefix(end + 1);
  }
  return false;
}

std::optional<std::string> CoreNameProblem(const std::string& extension, const std::string& base_name) {
  // Every port any variation has: the design's name must differ from all
  // (in VHDL also in case).
  std::vector<Port> ports;
  for (const char* port : {"sysclk", "reset", "start", "enable", "rsin", "rsout", "dsin", "dsout", "rdyin",
                           "outvalid", "decfail", "bypass", "numerr", "eras_ind"}) {
    ports.push_back(Port{port, false, 0, 0, -1});
  }
  if (extension == ".vhd") return VhdlNameProblem(base_name, ports);
  if (extension != ".v") return std::nullopt;
  if (auto problem = VerilogNameProblem(base_name)) return problem;
  for (const Port& port : ports) {
    if (base_name == port.name) return "'" + base_name + "' is the name of one of the core's ports";
  }
  return std::nullopt;
}

std::optional<std::string> AxisWrapperNameProblem(const std::string& extension, const std::string& base_name) {
  RsParameters decoder;  // a decoder's ports hold the encoder's
  decoder.Enc_Dec = 0;
  const std::vector<Port> ports = AxisWrapperPorts(decoder);
  const bool vhdl = extension == ".vhd";
  const auto lower = [](std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
  };
  for (const Port& port : ports) {
    if (base_name == port.name || (vhdl && lower(base_name) == port.name)) {
      return "'" + base_name + "' is the name of one of the AXI4-Stream wrapper's ports" +
             (base_name == port.name ? std::string() : " (" + port.name + "; VHDL ignores case)");
    }
  }
  const std::string wrapper = AxisWrapperName(base_name);
  if (vhdl) return VhdlNameProblem(wrapper, ports);
  if (extension == ".v") return VerilogNameProblem(wrapper);
  return std::nullopt;
}

}  // namespace codexel::hdl
