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

#include <array>
#include <memory>
#include <optional>
#include <string>

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
  std::string HelpSection() const override { return "rs-parameters"; }

  // Leaving by Back, Next or Finish first checks the field that has the
  // focus and every field whose typed text no check has taken yet (after a
  // press on "Cancel" that slid off, say), as their loss of focus would; a
  // check that had to correct a value keeps the page open on it.
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
  std::string ShownText(ParameterField field) const;
  // Whether the field shows a text the user changed and no check has taken.
  bool Unchecked(ParameterField field) const;
  void ShowForm();
  // Checks, as their loss of focus does, every field that shows an unchecked
  // text, and `also`, then shows the result; returns whether a check had to
  // correct a value (and so showed a message).
  bool CheckTyped(std::optional<ParameterField> also);
  void FocusLost(ParameterField field, Qt::FocusReason reason);
  void Picked(ParameterField field, int index);
  void Preset();
  // Whether the page may be left: the checks of the focused field and of any
  // unchecked text corrected nothing.
  bool MayLeave();
  template <class Act>
  void LeaveChecked(Act leave);

  std::unique_ptr<::Ui::RsParametersPage> ui_;
  RsParametersForm form_;
  std::array<bool, kParameterFieldCount> typed_{};  // typed into since its last check
  bool busy_ = false;            // a handler runs: no second one starts inside it
  bool leaving_ = false;         // the page is closing: losing the focus checks nothing
  bool cancel_pressed_ = false;  // a press on "Cancel" took the focus from a field
};

}  // namespace codexel
