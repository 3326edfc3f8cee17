#include "rs_pages/device_type_page.h"

#include <QRadioButton>
#include <QScopedValueRollback>

#include "rs_engine/rs_wizard_app.h"
#include "ui_device_type_page.h"

namespace codexel {

DeviceTypePage::DeviceTypePage(RsWizardApp& app, const Symbol* symbol) : RsPage(app, symbol) {}

DeviceTypePage::~DeviceTypePage() = default;

void DeviceTypePage::CreateControls(QDialog& page) {
  ui_ = std::make_unique<::Ui::DeviceTypePage>();
  ui_->setupUi(&page);
  // Which flag each button sets, and to what.
  const struct {
    QRadioButton* button;
    int RsParameters::*flag;
    int value;
  } choices[] = {
      {ui_->encoderButton, &RsParameters::Enc_Dec, 1},
      {ui_->decoderButton, &RsParameters::Enc_Dec, 0},
      {ui_->standardButton, &RsParameters::Eras_Stnd, 0},
      {ui_->erasureButton, &RsParameters::Eras_Stnd, 1},
      {ui_->discreteButton, &RsParameters::Disc_Stream, 1},
      {ui_->streamingButton, &RsParameters::Disc_Stream, 0},
      {ui_->fullButton, &RsParameters::Fast_Small, 1},
      {ui_->halfButton, &RsParameters::Fast_Small, 0},
  };
  // A button acts when it becomes marked, however that happened: the mouse,
  // the keyboard, an assistive technology's toggle action or the program.
  // Marks set by the page's own refresh are not choices.
  for (const auto& choice : choices) {
    QObject::connect(choice.button, &QRadioButton::toggled, &page,
                     [this, flag = choice.flag, value = choice.value](bool marked) {
                       if (!marked || refreshing_) return;
                       parameters().*flag = value;
                       Refresh();
                     });
  }
}

void DeviceTypePage::OnPageOpened() { Refresh(); }

void DeviceTypePage::Refresh() {
  const RsParameters& p = parameters();
  const QScopedValueRollback<bool> quiet(refreshing_, true);
  ::Ui::DeviceTypePage& ui = *ui_;
  ui.encoderButton->setEnabled(true);
  ui.decoderButton->setEnabled(true);
  // Marking one button of a pair clears the other; the decoder buttons follow
  // their flags also while they are disabled.
  (p.Enc_Dec == 1 ? ui.encoderButton : ui.decoderButton)->setChecked(true);
  (p.Disc_Stream == 1 ? ui.discreteButton : ui.streamingButton)->setChecked(true);
  (p.Fast_Small == 1 ? ui.fullButton : ui.halfButton)->setChecked(true);
  (p.Eras_Stnd == 1 ? ui.erasureButton : ui.standardButton)->setChecked(true);
  const bool decoder = p.Enc_Dec != 1;
  SetEnabled({ui.decoderTypeGroup, ui.architectureGroup, ui.speedGroup, ui.standardButton,
              ui.erasureButton, ui.discreteButton, ui.streamingButton, ui.fullButton,
              ui.halfButton},
             decoder);
  rs_app().ApplyModuleNameRule();
  RefreshPreview();
}

}  // namespace codexel
