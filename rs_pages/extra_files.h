#pragma once
// What the extra files page shows for a parameter set: the names of the
// files Finish will write and which of its controls are enabled.

#include <string>

#include "rs_pages/rs_parameters.h"

namespace codexel {

struct ExtraFilesView {
  std::string vector_file;  // the test-vector file, native separators
  std::string memory_file;  // the inverse-table memory file; empty for an encoder
  bool vector_file_checked = false;  // "Generate Vector File" marked
  bool vector_file_enabled = false;  // its label and name field
  // A decoder: the memory file's label and name and every throughput control
  // are enabled, and the unit buttons are marked.
  bool decoder = false;
  bool megasymbols = false;  // "Megasymbols/second" marked, else "Megabits/second"
};

// The check box is marked only for generate_vectorfile 1 while the name is
// enabled for any value but 0; Enc_Dec 0 is a decoder.
ExtraFilesView ExtraFilesViewFor(const RsParameters& parameters,
                                 const std::string& design_directory,
                                 const std::string& design_base_name);

}  // namespace codexel
