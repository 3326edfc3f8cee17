#pragma once
// The Summary page's file list: the files the plug-in manager will create
// from the wizard information file. Plain text rules, shared by the page and
// by the batch generator's --list.

#include <string>
#include <vector>

namespace codexel {

// "$<base><extension>$<base>.inc$<base>.cmp", and "$<base>.sym" when the
// caller can make a symbol file.
std::string SummaryFileList(const std::string& base_name, const std::string& extension,
                            bool symbol);

// The lines of the file list: the list split at every '$' and line feed,
// empty pieces skipped; a name without a directory of its own ('/' here;
// also '\' or ':' on Windows) is joined to `directory`. Shown with the
// platform's separators.
std::vector<std::string> SummaryFileLines(const std::string& file_list,
                                          const std::string& directory);

}  // namespace codexel
