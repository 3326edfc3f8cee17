#pragma once
// The second RS page: the five code parameters in editable drop-down lists
// that stay consistent with each other, typed values checked when a field
// loses the focus, and the "DVB Standard" preset. The rules are those of
// RsParametersForm; this page copies the fields' texts in, runs a rule and
// shows the texts and lists it leaves.
//
// Controls (resources/rs_parameters_page.ui), each list named after its label:
//   "bitsField"       "Number of bits per symbol"
//   "symbolsField"    "Number of symbols per codeword"
//   "checksField"     "Number of check symbols per codeword"
//   "polynomialField" "Field polynomial"
//   "firstRootField"  "First root of polynomial generator"
//   "presetGroup"     "Preset values" with "dvbButton" ("DVB Standard")

#include <memory>

#include "rs_pages/rs_page.h"
#include "rs_pages/rs_parameters_form.h"

class QComboBox;

namespace Ui {
class RsParametersPage;
}

namespace codexel {

class RsParametersPage : public RsPage {
 public:
  RsParametersPage(RsWizardApp& app, const Symbol* symbol);
  ~RsParametersPage() override;

  // Leaving by Back, Next or Finish first checks the field that has the
  // focus, as its loss of focus would; a check that had to correct the value
  // keeps the page open on the corrected value.
  void OnBack() override;
  void OnNext() override;
  void OnFinish() override;

 protected:
  void CreateControls(QDialog& page) override;
  void OnPageOpened() override;
  // Enter: the same check first, then the page closes as usual.
  void OnAccept() override;
  // Cancel, Escape and closing the window check nothing.
  void OnCancel() override;

 private:
  QComboBox* Combo(ParameterField field) const;
  void ReadTexts();
  void ShowForm();
  // Runs the field's check; returns whether it showed a message.
  bool Check(ParameterField field);
  void FocusLost(ParameterField field, Qt::FocusReason reason);
  void Picked(ParameterField field, int index);
  void Preset();
  // Whether the page may be left: the focused field's check corrected nothing.
  bool MayLeave();
  template <class Act>
  void LeaveChecked(Act leave);

  std::unique_ptr<::Ui::RsParametersPage> ui_;
  RsParametersForm form_;
  bool busy_ = false;     // a handler runs: no second one starts inside it
  bool leaving_ = false;  // the page is closing: losing the focus checks nothing
};

}  // namespace codexel
