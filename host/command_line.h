#pragma once
// The wizard's command line: the design path and the options -n, -h, -symbol,
// -x, -y, -p and -t.

#include <string>
#include <vector>

namespace codexel {

class MessageService;

inline constexpr const char* kHostTitle = "Quillwork Plug-In Manager";

inline constexpr const char* kUsageMessage =
    "Command line options:\n\n"
    "-n\t\tindicates that this is a new file (required)\n"
    "<filename>\tfull path to file that must be created (required)\n\n"
    "-h\t\tSpecifies the thread ID of the calling program (optional)\n"
    "-symbol\tSpecifies that the calling program can generate a symbol file (optional)\n"
    "-x\t\tSpecifies the screen x coordinate of the lower right corner (optional)\n"
    "-y\t\tSpecifies the screen y coordinate of the lower right corner (optional)\n"
    "-p\t\tSpecifies the first page offset (optional)";

struct WizardCommandLine {
  std::string design_path;
  std::string t_text;
  bool new_file = false;
  int caller_thread_id = 0;
  bool notify = false;  // -h given
  bool symbol = false;
  int first_page_offset = 0;
  bool has_x = false;
  bool has_y = false;
  int x = 0;
  int y = 0;
};

// Parses the arguments after the program name. Each option letter that means
// nothing shows the usage message and parsing goes on.
WizardCommandLine ParseCommandLine(const std::vector<std::string>& args,
                                   MessageService& messages);

}  // namespace codexel
