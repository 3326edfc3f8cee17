#include "host/summary_files.h"

#include "platform/design_path.h"

namespace codexel {

std::string SummaryFileList(const std::string& base_name, const std::string& extension,
                            bool symbol) {
  std::string file_list;
  for (const std::string& name : {base_name + extension, base_name + ".inc", base_name + ".cmp"}) {
    file_list += "$" + name;
  }
  if (symbol) file_list += "$" + base_name + ".sym";
  return file_list;
}

std::vector<std::string> SummaryFileLines(const std::string& file_list,
                                          const std::string& directory) {
  std::vector<std::string> lines;
  std::size_t begin = 0;
  while (begin <= file_list.size()) {
    std::size_t end = file_list.find_first_of("$\n", begin);
    if (end == std::string::npos) end = file_list.size();
    const std::string name = file_list.substr(begin, end - begin);
    if (!name.empty()) {
      lines.push_back(NativeSeparators(HasDirectory(name) ? name : directory + name));
    }
    begin = end + 1;
  }
  return lines;
}

}  // namespace codexel
