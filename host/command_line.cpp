#include "host/command_line.h"

#include "host/number_text.h"
#include "platform/services.h"

namespace codexel {

WizardCommandLine ParseCommandLine(const std::vector<std::string>& args,
                                   MessageService& messages) {
  WizardCommandLine line;
  for (const std::string& arg : args) {
    if (arg.empty() || (arg[0] != '-' && arg[0] != '/')) {
      line.design_path = arg;
      continue;
    }
    const std::string option = arg.substr(1);
    if (option == "symbol") {
      line.symbol = true;
      continue;
    }
    if (option.find('.') != std::string::npos) {
      // A path given with a leading '/' (or '-') reads as an option.
      line.design_path = "/" + option;
      continue;
    }
    const std::string rest = option.empty() ? std::string() : option.substr(1);
    switch (option.empty() ? '\0' : option[0]) {
      case 'h':
        line.caller_thread_id = ToInteger(rest);
        line.notify = true;
        break;
      case 'n':
        line.new_file = true;
        break;
      case 'p':
        line.first_page_offset = ToInteger(rest);
        break;
      case 't':
        line.t_text = rest;
        break;
      case 'x':
        line.x = ToInteger(rest);
        line.has_x = true;
        break;
      case 'y':
        line.y = ToInteger(rest);
        line.has_y = true;
        break;
      default:
        messages.Show(kHostTitle, kUsageMessage);
        break;
    }
  }
  return line;
}

}  // namespace codexel
