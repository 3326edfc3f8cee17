#include "host/qt_page_factory.h"

#include "host/summary_page.h"

namespace codexel {

std::unique_ptr<PageInterface> QtPageFactory::CreateSummaryPage(WizardApp& app,
                                                                const std::string& file_list,
                                                                const std::string& directory) {
  return std::make_unique<SummaryPage>(app, file_list, directory);
}

}  // namespace codexel
