#include "rs_engine/rs_wizard_app.h"

#include <istream>

#include "hdl/design_files.h"
#include "host/number_text.h"
#include "platform/design_path.h"
#include "symbol/rs_symbol.h"

namespace codexel {

namespace {

constexpr const char* kNoDefault = "NODEFVAL";
constexpr int kInput = 0;
constexpr int kOutput = 1;

// A flag as every reader treats it: 0, or set.
int NormaliseFlag(int value) { return value == 0 ? 0 : 1; }

}  // namespace

std::string ModuleName(const RsParameters& p) {
  if (p.Enc_Dec == 1) return "RS_Enc";
  const std::string type = p.Eras_Stnd == 1 ? "rs_eras" : "rs_std";
  return type + (p.Disc_Stream == 1 ? "_dsc" : "_str");
}

RsParameters ParametersFromModel(const WizardInfoModel& model) {
  const WizardInfoTable& priv = model.private_values;
  const WizardInfoTable& constants = model.constants;
  RsParameters p;
  p.Enc_Dec = priv.GetNumeric("Enc_Dec", 1);
  p.Disc_Stream = priv.GetNumeric("Disc_Stream", 0);
  p.Fast_Small = priv.GetNumeric("Fast_Small", 0);
  p.Eras_Stnd = priv.GetNumeric("Eras_Stnd", 0);
  p.m = constants.GetNumeric("m", 4);
  p.n = constants.GetNumeric("n", 5);
  p.r = constants.GetNumeric("check", 4);
  p.irrpol = constants.GetNumeric("irrpol", 19);
  p.genstart = priv.GetNumeric("GENSTART_V", 0);
  p.generate_vectorfile = priv.GetNumeric("generate_vectorfile", 1);
  return p;
}

void RepairParameters(RsParameters& p) {
  if (p.m < kMinM || p.m > kMaxM) p.m = kMinM;
  p.irrpol = RefillIrrpol(p.irrpol, p.m);
  p.n = RefillN(p.n, p.r, p.m);
  p.r = RefillR(p.r, p.n);
  p.genstart = RefillGenstart(p.genstart, p.r, p.m);
  for (int* flag : {&p.Enc_Dec, &p.Disc_Stream, &p.Fast_Small, &p.Eras_Stnd,
                    &p.generate_vectorfile, &p.Msym_Mbit}) {
    *flag = NormaliseFlag(*flag);
  }
}

RsWizardState::RsWizardState(TextMetrics& metrics) : rs_symbol_(metrics) {
  rs_symbol_.set_preview_width(PreviewBaseWidth(metrics) + 16);
}

RsWizardApp::RsWizardApp(PlatformServices& services, RsPageFactory* page_factory)
    : RsWizardState(services.metrics),
      WizardApp(kRsProgramTitle, &rs_symbol_, services, page_factory),
      rs_page_factory_(page_factory) {}

RsWizardApp::~RsWizardApp() {
  // Pages may still refer to the symbol; they go first.
  DestroyPages();
  rs_symbol_.Reset(0, 0);
}

bool RsWizardApp::Begin() {
  if (rs_page_factory_) {
    for (RsPageKind kind : {RsPageKind::kDeviceType, RsPageKind::kRsParameters,
                            RsPageKind::kExtraFiles, RsPageKind::kOrderCodes}) {
      AddPage(rs_page_factory_->CreateRsPage(*this, kind));
    }
  }
  AddSummaryPage();
  const bool started = WizardApp::Begin();
  LayoutSymbol();
  // A new variation or an edited one alike: the core is written unless a
  // file of the user's stands in its place.
  write_core_ = started && core_offer() == CoreOffer::kOffered && !DesignPathHoldsUsersFile();
  // An edited variation keeps a wrapper this program wrote beside it.
  write_axis_ = write_core_ && !new_file() && axis_offered() && services().files.Exists(AxisPath()) &&
                !AxisPathHoldsUsersFile();
  return started;
}

void RsWizardApp::LoadPagesFromModel() {
  rs_parameters_ = ParametersFromModel(model());
  RepairParameters(rs_parameters_);
}

void RsWizardApp::StorePagesIntoModel() {
  if (auto failure = StoreVariation()) {
    // The report may end the process at once: nothing staged is left.
    DiscardPendingFiles();
    ReportExtraFileFailure(*failure);
  }
}

void RsWizardApp::ReportExtraFileFailure(const ExtraFileFailure& failure) {
  const bool wrapper = write_axis_ && failure.path == AxisPath();
  if (write_core_ && (failure.path == CorePath() || wrapper) && !failure.outcome.reason.empty()) {
    // The core's own reason: a file of the user's, or a core that cannot be made.
    services().messages.Show(kExtraFileErrorTitle,
                             std::string(wrapper ? "The AXI4-Stream wrapper" : "The core") + " was not written to " +
                                 NativeSeparators(failure.path) + ": " + failure.outcome.reason +
                                 "\nNo file was changed.\n\nPress OK to Exit");
    services().process.Exit(1);
  }
  ExitOnExtraFileFailure(failure, services().messages, services().process);
}

std::string RsWizardApp::CorePath() const {
  return hdl::CoreFilePaths(host().design_directory, host().design_base_name, design_extension(), {}).front();
}

CoreOffer RsWizardApp::core_offer() const {
  if (host().notify) return CoreOffer::kManagerMakesIt;
  if (!hdl::CoreLanguageAvailable(design_extension())) return CoreOffer::kNoCoreLanguage;
  if (hdl::CoreNameProblem(design_extension(), host().design_base_name)) return CoreOffer::kIllegalName;
  return CoreOffer::kOffered;
}

std::string RsWizardApp::CoreOfferText() const {
  switch (core_offer()) {
    case CoreOffer::kOffered:
      return "Finish also writes the core itself as " + NativeSeparators(CorePath());
    case CoreOffer::kManagerMakesIt:
      return "The plug-in manager builds the design file from the wizard information file";
    case CoreOffer::kNoCoreLanguage:
      return "The core cannot be written as a '" + design_extension() + "' design file";
    case CoreOffer::kIllegalName:
      break;
  }
  return "The core cannot be written: " +
         hdl::CoreNameProblem(design_extension(), host().design_base_name).value_or("");
}

bool RsWizardApp::set_write_core(bool on) {
  if (on && (core_offer() != CoreOffer::kOffered || DesignPathHoldsUsersFile())) return false;
  write_core_ = on;
  if (!on) write_axis_ = false;
  return true;
}

bool RsWizardApp::DesignPathHoldsUsersFile() { return HoldsUsersFile(CorePath()); }

bool RsWizardApp::HoldsUsersFile(const std::string& path) {
  if (!services().files.Exists(path)) return false;
  std::unique_ptr<std::istream> in = services().files.OpenForReading(path);
  if (!in) return true;  // a directory, pipe or unreadable file is no core of ours
  std::string head(hdl::kCoreHeadBytes, '\0');
  in->read(head.data(), static_cast<std::streamsize>(head.size()));
  head.resize(static_cast<std::size_t>(in->gcount()));
  return !hdl::IsProgramsCore(head, kRsProgramTitle);
}

std::string RsWizardApp::UsersDesignFileText() const {
  return "The design file " + NativeSeparators(CorePath()) + " was not written by " + kRsProgramTitle +
         ". It is left as it is: the core is not written.";
}

bool RsWizardApp::axis_offered() const {
  return write_core_ && core_offer() == CoreOffer::kOffered &&
         !hdl::AxisWrapperNameProblem(design_extension(), host().design_base_name);
}

std::string RsWizardApp::AxisOfferText() const {
  if (axis_offered()) return "Finish also writes an AXI4-Stream wrapper of the core as " + NativeSeparators(AxisPath());
  if (!write_core_) return "The AXI4-Stream wrapper is written only with the core";
  return "The AXI4-Stream wrapper cannot be written: " +
         hdl::AxisWrapperNameProblem(design_extension(), host().design_base_name).value_or("");
}

bool RsWizardApp::set_write_axis(bool on) {
  if (on && (!axis_offered() || AxisPathHoldsUsersFile())) return false;
  write_axis_ = on;
  return true;
}

std::string RsWizardApp::AxisPath() const {
  return hdl::AxisWrapperPath(host().design_directory, host().design_base_name, design_extension());
}

bool RsWizardApp::AxisPathHoldsUsersFile() { return HoldsUsersFile(AxisPath()); }

std::string RsWizardApp::UsersAxisFileText() const {
  return "The file " + NativeSeparators(AxisPath()) + " was not written by " + kRsProgramTitle +
         ". It is left as it is: the AXI4-Stream wrapper is not written.";
}

std::optional<ExtraFileFailure> RsWizardApp::StageCore() {
  if (!write_core_ || core_offer() != CoreOffer::kOffered) return std::nullopt;
  const bool axis = write_axis_ && axis_offered();
  // A file of the user's may have appeared since the boxes were set.
  for (const std::string& path : axis ? std::vector{CorePath(), AxisPath()} : std::vector{CorePath()}) {
    if (HoldsUsersFile(path)) {
      const std::string reason =
          std::string("a file ") + kRsProgramTitle + " did not write stands there and is left as it is";
      return ExtraFileFailure{path, {WriteOutcome::Failure::kOpen, reason}};
    }
  }
  const std::string path = CorePath();
  std::vector<hdl::DesignFile> files;
  try {
    files = hdl::MakeCoreFiles(rs_parameters_, model(), host().design_directory, host().design_base_name,
                               design_extension(), {.testbench = false, .axis = axis}, kRsProgramTitle);
  } catch (const std::exception& e) {
    return ExtraFileFailure{path,
                            {WriteOutcome::Failure::kWrite, std::string("the core cannot be made: ") + e.what()}};
  }
  for (const hdl::DesignFile& file : files) {
    WriteOutcome outcome = pending_files().Stage(file.path, [&](std::ostream& out) { out << file.text; });
    if (!outcome.ok()) return ExtraFileFailure{file.path, std::move(outcome)};
  }
  return std::nullopt;
}

void RsWizardApp::ApplyModuleNameRule() { host().module_name = ModuleName(rs_parameters_); }

void RsWizardApp::LayoutSymbol() {
  LayoutRsSymbol(rs_symbol_, rs_parameters_, host().design_base_name, services().metrics);
}

std::vector<std::string> RsWizardApp::ExtraFilePaths() const {
  const RsParameters& p = rs_parameters_;
  std::vector<std::string> paths;
  if (p.Enc_Dec == 0) paths.push_back(MemoryFilePath(host().design_directory, p.m, p.irrpol));
  if (p.generate_vectorfile == 1) {
    paths.push_back(VectorFilePath(host().design_directory, host().design_base_name));
  }
  return paths;
}

std::optional<ExtraFileFailure> RsWizardApp::StoreVariation() {
  const RsParameters& p = rs_parameters_;
  WizardInfoModel& info = model();
  const bool encoder = p.Enc_Dec == 1;
  const bool decoder = p.Enc_Dec == 0;

  info.ClearWizardInfo();
  info.AddPrivateNumber("Enc_Dec", p.Enc_Dec);
  if (decoder) {
    info.AddPrivateNumber("Disc_Stream", p.Disc_Stream);
    info.AddPrivateNumber("Fast_Small", p.Fast_Small);
    info.AddConstantText("speed", p.Fast_Small == 1 ? "full" : "half");
  }
  if (encoder) {
    info.AddPortWithConnection("start", 0, kInput, 0, kNoDefault);
    info.AddPortWithConnection("enable", 0, kInput, 0, kNoDefault);
  } else if (decoder) {
    info.AddPrivateNumber("Eras_Stnd", p.Eras_Stnd);
  }
  if (decoder && p.Eras_Stnd == 1) info.AddPortWithConnection("eras_ind", 0, kInput, 0, kNoDefault);
  info.AddConstantNumber("m", p.m);
  info.AddConstantNumber("n", p.n);
  info.AddConstantNumber("check", p.r);
  info.AddConstantNumber("irrpol", p.irrpol);
  info.AddPrivateNumber("GENSTART_V", p.genstart);
  info.AddPrivateNumber("generate_vectorfile", p.generate_vectorfile);

  RsEngine engine(p);
  engine.build_alog();
  engine.build_gg();
  if (encoder) {
    if (auto failure = create_enc_files(engine, p, host().design_directory,
                                        host().design_base_name, design_extension(),
                                        pending_files())) {
      return failure;
    }
    for (int i = 0; i < RsEngine::kGgCapacity; ++i) {
      info.AddConstantNumber("gg" + FormatInt(i), engine.gg[static_cast<std::size_t>(i)]);
    }
  }
  info.AddPortWithConnection("sysclk", 0, kInput, 0, kNoDefault);
  info.AddPortWithConnection("reset", 0, kInput, 0, kNoDefault);
  info.AddPortWithConnection("rsin", p.m, kInput, 1, kNoDefault);
  info.AddPortWithConnection("rsout", p.m, kOutput, 1, kNoDefault);
  if (decoder) {
    StoreDecoderEntries(engine);
    if (auto failure = create_dec_files(engine, p, host().design_directory,
                                        host().design_base_name, design_extension(),
                                        pending_files())) {
      return failure;
    }
    for (int j = 0; j < RsEngine::kRootCapacity; ++j) {
      info.AddConstantNumber("root" + FormatInt(j + 1), engine.root[static_cast<std::size_t>(j)]);
    }
    const int negroots = p.Eras_Stnd == 1 ? RsEngine::kNegrootCountErasures
                                          : RsEngine::kNegrootCountStandard;
    for (int j = 0; j < negroots; ++j) {
      info.AddConstantNumber("negroot" + FormatInt(j), engine.negroot[static_cast<std::size_t>(j)]);
    }
  }
  // Made from the ports the model now records.
  if (auto failure = StageCore()) return failure;
  LayoutSymbol();
  return std::nullopt;
}

// The decoder's ports and the constants that come before its extra files.
void RsWizardApp::StoreDecoderEntries(RsEngine& engine) {
  const RsParameters& p = rs_parameters_;
  WizardInfoModel& info = model();
  info.AddPortWithConnection("dsin", 0, kInput, 0, kNoDefault);
  info.AddPortWithConnection("dsout", 0, kInput, 0, kNoDefault);
  info.AddPortWithConnection("rdyin", 0, kOutput, 0, kNoDefault);
  info.AddPortWithConnection("outvalid", 0, kOutput, 0, kNoDefault);
  info.AddPortWithConnection("decfail", 0, kOutput, 0, kNoDefault);
  info.AddPortWithConnection("bypass", 0, kInput, 0, kNoDefault);
  const int wide = NumerrWidth(p.r);
  info.AddPortWithConnection("numerr", wide, kOutput, 1, kNoDefault);
  info.AddConstantNumber("genstart", p.genstart);
  info.AddConstantText("inv_file", MemoryFileName(engine.m(), engine.irrpol()));
  info.AddConstantNumber("wide", wide);
  info.AddConstantNumber("rootpower_seed", engine.inverse_of_power(engine.genstart()));
  if (p.Eras_Stnd == 1) {
    info.AddConstantNumber("first_root", engine.alog[static_cast<std::size_t>(engine.n() - 1)]);
    info.AddConstantNumber("one_half", engine.inverse(2));
  }
}

}  // namespace codexel
