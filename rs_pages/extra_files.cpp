#include "rs_pages/extra_files.h"

#include "platform/design_path.h"
#include "rs_engine/rs_files.h"

namespace codexel {

ExtraFilesView ExtraFilesViewFor(const RsParameters& p, const std::string& design_directory,
                                 const std::string& design_base_name) {
  ExtraFilesView view;
  view.vector_file = NativeSeparators(VectorFilePath(design_directory, design_base_name));
  view.decoder = p.Enc_Dec == 0;
  if (view.decoder) {
    view.memory_file = NativeSeparators(MemoryFilePath(design_directory, p.m, p.irrpol));
  }
  view.vector_file_checked = p.generate_vectorfile == 1;
  view.vector_file_enabled = p.generate_vectorfile != 0;
  view.megasymbols = p.Msym_Mbit == 1;
  return view;
}

}  // namespace codexel
