#pragma once
// codexel-gen: an RS variation made without the pages, for scripts, build
// flows and machines without a display. The command line is parsed and
// checked here, before anything is written; the files are then written by the
// wizard's own application object, so they are the very bytes the wizard's
// Finish writes for the same choices.

#include <functional>
#include <iosfwd>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/services.h"
#include "rs_pages/rs_parameters.h"

namespace codexel {

inline constexpr const char* kGenProgramName = "codexel-gen";

// A numeric option as it was given: its spelling ("-n", "--irrpol") and the
// text of its value, kept for the error line.
struct GenNumber {
  std::string option;
  std::string text;
};

struct GenOptions {
  std::string design_path;  // empty when none was given
  bool edit = false;
  bool dvb = false;
  bool quiet = false;
  bool list = false;
  bool symbol = false;
  bool hdl = false;        // also the core in the design file's language (.v or .vhd)
  bool testbench = false;  // with hdl: also its testbench, <name>_tb.v
  bool axis = false;       // with hdl: also its AXI4-Stream wrapper, <name>_axis.v
  // Choices given on the command line; the others keep the starting set's.
  std::optional<int> enc_dec;
  std::optional<int> eras_stnd;
  std::optional<int> disc_stream;
  std::optional<int> fast_small;
  std::optional<int> generate_vectorfile;
  std::optional<int> msym_mbit;
  std::optional<GenNumber> m;
  std::optional<GenNumber> n;
  std::optional<GenNumber> r;
  std::optional<GenNumber> irrpol;
  std::optional<GenNumber> genstart;
  std::optional<GenNumber> throughput;  // clock frequency in MHz
  // Options of another tool that takes these options (GenToolSyntax), as
  // given: name to value, empty text for a flag.
  std::map<std::string, std::string> tool_options;
};

// Another program that takes the generator's options: its name for the
// error lines, what its one operand is, and its own options besides.
struct GenToolSyntax {
  struct Option {
    std::string name;  // "--scale"
    bool takes_value = false;
  };
  std::string program = kGenProgramName;
  std::string operand = "design file";
  std::vector<Option> options;
};

enum class GenAction { kRun, kHelp, kVersion, kError };

struct GenCommand {
  GenAction action = GenAction::kRun;
  GenOptions options;
  std::string error;  // kError: the problem, without the program's name
};

// GNU-style parsing: options and operands in any order, "--" ends the
// options, "--name=value" and "-mN" as well as separate values; a later
// choice overrides an earlier one. --help and --version act where they stand.
GenCommand ParseGenCommandLine(const std::vector<std::string>& args,
                               const GenToolSyntax& tool = {});

// Applies the options to `parameters` (a new variation's defaults, or the set
// an edited variation was loaded with) and checks every value given against
// its legal range, which depends on the values before it: m; irrpol on m; r
// on m; n on m and r; genstart on m and r. --dvb applies first. A value not
// given keeps its current value while that stays legal, else it takes the
// fallback of the parameters page's lists (irrpol: the first field
// polynomial of m; r: 4; n: max(5, r + 1); genstart: 0). Returns the error
// line, and leaves `parameters` untouched, when a value given is illegal.
std::optional<std::string> ApplyGenOptions(const GenOptions& options, RsParameters& parameters);

std::string GenHelpText();
std::string GenVersionText();

// The whole run: parse, check, then write (or list, or calculate). Text
// metrics are asked for only once the command line has been checked, so a
// wrong command line never starts the graphics platform. Writes normal
// output to `out` and one line per problem to `err`; returns the exit
// status: 0 done, 1 any error (nothing written when the command line or a
// value is wrong; no wizard information file half-written when a file
// fails).
int RunGenerator(const std::vector<std::string>& args,
                 const std::function<TextMetrics&()>& metrics, FileSystem& files,
                 std::ostream& out, std::ostream& err);

}  // namespace codexel
