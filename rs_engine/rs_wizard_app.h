#pragma once
// The RS application: the wizard host specialised for the Reed-Solomon core.
// It owns the parameter set and the symbol, loads the set from an existing
// variation and turns it into the variation's records and extra files.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/wizard_app.h"
#include "rs_engine/rs_files.h"
#include "rs_pages/rs_parameters.h"
#include "symbol/symbol.h"

namespace codexel {

inline constexpr const char* kRsProgramTitle = "Codexel V1.00";

// The library module the variation instantiates: "RS_Enc" for an encoder,
// else one of "rs_std_dsc", "rs_eras_dsc", "rs_std_str", "rs_eras_str".
std::string ModuleName(const RsParameters& parameters);

// The parameter set as an existing variation records it; entries it lacks
// take the defaults of an edited variation (streaming, half speed, standard).
RsParameters ParametersFromModel(const WizardInfoModel& model);

// Brings recorded values back to a legal set: m outside 4..8 becomes 4;
// irrpol, n, r and genstart then go through the parameter page's list
// refills; a flag other than 0 or 1 counts as set. A legal set is unchanged.
void RepairParameters(RsParameters& parameters);

class RsWizardApp;

// Whether Finish can write the core itself as the design file.
enum class CoreOffer {
  kOffered,
  kManagerMakesIt,  // a plug-in manager started the wizard (-h): it builds the design file
  kNoCoreLanguage,  // the design's language has no back end (".tdf", or ".vhd" for now)
  kIllegalName,     // the design's name cannot name the core
};

// The four RS pages, in the order the wizard shows them.
enum class RsPageKind { kDeviceType, kRsParameters, kExtraFiles, kOrderCodes };

// Creates the RS pages and the host's own pages; the widget layer provides it.
class RsPageFactory : public PageFactory {
 public:
  virtual std::unique_ptr<PageInterface> CreateRsPage(RsWizardApp& app, RsPageKind kind) = 0;
};

// What the application owns besides the host; a base of its own so that it
// exists before the host is given the symbol.
class RsWizardState {
 protected:
  explicit RsWizardState(TextMetrics& metrics);
  RsParameters rs_parameters_;
  Symbol rs_symbol_;
};

class RsWizardApp : private RsWizardState, public WizardApp {
 public:
  // Without a factory the application has no pages (codexel-gen, tests of
  // the store and load steps).
  RsWizardApp(PlatformServices& services, RsPageFactory* page_factory);
  ~RsWizardApp() override;

  // Adds the RS pages and the Summary page last, runs the host's begin step
  // and lays out the symbol.
  bool Begin() override;
  // Seeds the parameter set from the model read in edit mode.
  void LoadPagesFromModel() override;
  // Fills the model and writes the extra files; a file that cannot be
  // written ends the run (ReportExtraFileFailure).
  void StorePagesIntoModel() override;

  RsParameters& parameters() { return rs_parameters_; }
  const RsParameters& parameters() const { return rs_parameters_; }
  Symbol& rs_symbol() { return rs_symbol_; }
  const Symbol& rs_symbol() const { return rs_symbol_; }

  // Sets the module name from the device choice, as the device type page
  // does each time it opens and after each of its changes.
  void ApplyModuleNameRule();
  // Lays the symbol out from the current parameters and design name.
  void LayoutSymbol();

  // The store step without reporting: the model filled from the parameter
  // set, the extra files staged in pending_files(); the first file that
  // failed, if any (the model is then incomplete and must not be written).
  std::optional<ExtraFileFailure> StoreVariation();

  // ---- The core as the design file ----
  // Why Finish can or cannot write the core; the reason's text for the user.
  CoreOffer core_offer() const;
  std::string CoreOfferText() const;
  // Whether Finish writes the core (the extra files page's box). Begin turns
  // it on when the core is offered and no file of the user's stands at the
  // design path.
  bool write_core() const { return write_core_; }
  // Turns it off (the wrapper too), or on when the core is offered and the
  // file at the design path is not the user's; false when turning it on was
  // refused.
  bool set_write_core(bool on);
  // Whether a file stands at the design path that this program did not
  // write (also one that cannot be read, or no regular file): it is never
  // replaced.
  bool DesignPathHoldsUsersFile();
  // The design path as the core's file: "<directory><base name><extension>".
  std::string CorePath() const;
  // The refusal's text, naming the file.
  std::string UsersDesignFileText() const;

  // ---- The AXI4-Stream wrapper beside the core ----
  // Offered only while the core is written and the wrapper can be named.
  bool axis_offered() const;
  // Why, or why not; the reason's text for the user.
  std::string AxisOfferText() const;
  // Whether Finish writes the wrapper too (the extra files page's second
  // box). In edit mode Begin turns it on when the core is written and the
  // wrapper beside the design file is this program's.
  bool write_axis() const { return write_axis_; }
  // Turns it off, or on while it is offered and no file of the user's
  // stands at its path; false when turning it on was refused.
  bool set_write_axis(bool on);
  // "<directory><base name>_axis<extension>"
  std::string AxisPath() const;
  // Whether a file of the user's stands at the wrapper's path.
  bool AxisPathHoldsUsersFile();
  // The refusal's text, naming the file.
  std::string UsersAxisFileText() const;

  // The extra files the variation comes with, in the order they are written:
  // the memory file of a decoder, then the vector file when it is wanted.
  std::vector<std::string> ExtraFilePaths() const;

 protected:
  // The wizard's answer: the "Error" box, then the process ends with 1.
  virtual void ReportExtraFileFailure(const ExtraFileFailure& failure);

 private:
  void StoreDecoderEntries(RsEngine& engine);
  // Stages the core as the design file when write_core() is on, and its
  // wrapper when write_axis() is too.
  std::optional<ExtraFileFailure> StageCore();
  // Whether a file stands at `path` that this program did not write.
  bool HoldsUsersFile(const std::string& path);

  RsPageFactory* rs_page_factory_;
  bool write_core_ = false;
  bool write_axis_ = false;
};

}  // namespace codexel
