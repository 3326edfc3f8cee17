#pragma once
// The first RS page: encoder or decoder and, for a decoder, standard or
// erasure-supporting, discrete or streaming, full or half speed. Each button
// that becomes marked sets its flag at once and applies the module name rule.
//
// Controls (resources/device_type_page.ui), accessible names = their texts:
//   "deviceTypeGroup"   "Type of Device":      "encoderButton", "decoderButton"
//   "decoderTypeGroup"  "Type of Decoder":     "standardButton", "erasureButton"
//   "architectureGroup" "Architecture":        "discreteButton", "streamingButton"
//   "speedGroup"        "Speed/Area Tradeoff": "fullButton", "halfButton"

#include <memory>

#include "rs_pages/rs_page.h"

namespace Ui {
class DeviceTypePage;
}

namespace codexel {

class DeviceTypePage : public RsPage {
 public:
  DeviceTypePage(RsWizardApp& app, const Symbol* symbol);
  ~DeviceTypePage() override;
  std::string HelpSection() const override { return "device-type"; }

 protected:
  void CreateControls(QDialog& page) override;
  void OnPageOpened() override;

 private:
  // Marks and enabling from the flags, the module name rule, the preview.
  void Refresh();

  std::unique_ptr<::Ui::DeviceTypePage> ui_;
  bool refreshing_ = false;  // Refresh marks the buttons: no handler runs
};

}  // namespace codexel
