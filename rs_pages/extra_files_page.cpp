#include "rs_pages/extra_files_page.h"

#include <QRegularExpressionValidator>
#include <QScopedValueRollback>

#include "hdl/core_figures.h"
#include "rs_engine/rs_wizard_app.h"
#include "rs_pages/extra_files.h"
#include "rs_pages/throughput.h"
#include "ui_extra_files_page.h"

namespace codexel {

ExtraFilesPage::ExtraFilesPage(RsWizardApp& app, const Symbol* symbol) : RsPage(app, symbol) {}

ExtraFilesPage::~ExtraFilesPage() = default;

void ExtraFilesPage::CreateControls(QDialog& page) {
  ui_ = std::make_unique<::Ui::ExtraFilesPage>();
  ui_->setupUi(&page);
  // Typing or pasting can put nothing but digits into the frequency.
  ui_->frequencyField->setValidator(new QRegularExpressionValidator(
      QRegularExpression(QStringLiteral("[0-9]*")), ui_->frequencyField));
  // The check box and the unit buttons act on a change of their mark, however
  // it came (mouse, keyboard, an assistive technology's toggle action, the
  // program); the marks Refresh sets are not choices.
  QObject::connect(ui_->generateVectorFileBox, &QCheckBox::toggled, &page, [this](bool marked) {
    if (refreshing_) return;
    parameters().generate_vectorfile = marked ? 1 : 0;
    Refresh();
  });
  // The same rule for the core: turning it on over a file of the user's is
  // refused with a box naming the file, and the box goes off again.
  QObject::connect(ui_->writeCoreBox, &QCheckBox::toggled, &page, [this](bool marked) {
    if (refreshing_) return;
    if (!rs_app().set_write_core(marked) && rs_app().core_offer() == CoreOffer::kOffered) {
      rs_app().ShowMessage(rs_app().UsersDesignFileText());
    }
    Refresh();
  });
  QObject::connect(ui_->writeAxisBox, &QCheckBox::toggled, &page, [this](bool marked) {
    if (refreshing_) return;
    if (!rs_app().set_write_axis(marked) && rs_app().axis_offered()) {
      rs_app().ShowMessage(rs_app().UsersAxisFileText());
    }
    Refresh();
  });
  const struct {
    QRadioButton* button;
    int megasymbols;
  } units[] = {{ui_->megasymbolsButton, 1}, {ui_->megabitsButton, 0}};
  for (const auto& unit : units) {
    QObject::connect(unit.button, &QRadioButton::toggled, &page,
                     [this, megasymbols = unit.megasymbols](bool marked) {
                       if (marked && !refreshing_) ChooseUnit(megasymbols);
                     });
    // A click on the unit already marked changes no mark but still
    // recalculates, as the frequency may have changed since.
    QObject::connect(unit.button, &QRadioButton::clicked, &page,
                     [this, megasymbols = unit.megasymbols] { ChooseUnit(megasymbols); });
  }
  QObject::connect(ui_->calculateButton, &QPushButton::clicked, &page, [this] { Calculate(); });
  // The core's rate follows the frequency as it is typed.
  QObject::connect(ui_->frequencyField, &QLineEdit::textChanged, &page, [this] { ShowCoreFigures(); });
}

ExtraFilesView ExtraFilesPage::View() const {
  const HostState& host = rs_app().host();
  return ExtraFilesViewFor(parameters(), host.design_directory, host.design_base_name);
}

void ExtraFilesPage::OnPageOpened() {
  ::Ui::ExtraFilesPage& ui = *ui_;
  const ExtraFilesView view = View();
  ui.vectorFileField->setReadOnly(true);
  ui.vectorFileField->setText(QString::fromStdString(view.vector_file));
  ui.memoryFileField->setReadOnly(true);
  ui.memoryFileField->setText(QString::fromStdString(view.memory_file));
  SetEnabled({ui.memoryFileLabel, ui.memoryFileField, ui.throughputGroup, ui.unitLabel,
              ui.megasymbolsButton, ui.megabitsButton, ui.frequencyLabel, ui.frequencyField,
              ui.calculateButton, ui.resultField},
             view.decoder);
  // The frequency never survives leaving the page.
  ui.resultField->setReadOnly(true);
  ui.resultField->clear();
  ui.frequencyField->clear();
  Refresh();
}

void ExtraFilesPage::Refresh() {
  ::Ui::ExtraFilesPage& ui = *ui_;
  const QScopedValueRollback<bool> quiet(refreshing_, true);
  const ExtraFilesView view = View();
  ui.generateVectorFileBox->setEnabled(true);
  ui.generateVectorFileBox->setChecked(view.vector_file_checked);
  ui.vectorFileLabel->setEnabled(view.vector_file_enabled);
  ui.vectorFileField->setEnabled(view.vector_file_enabled);
  // Offered only without a plug-in manager and for a language with a back end.
  const RsWizardApp& app = rs_app();
  ui.writeCoreBox->setEnabled(app.core_offer() == CoreOffer::kOffered);
  ui.writeCoreBox->setChecked(app.write_core());
  ui.writeCoreBox->setToolTip(QString::fromStdString(app.CoreOfferText()));
  ui.writeCoreBox->setAccessibleDescription(ui.writeCoreBox->toolTip());
  // The wrapper only with the core.
  ui.writeAxisBox->setEnabled(app.axis_offered());
  ui.writeAxisBox->setChecked(app.write_axis());
  ui.writeAxisBox->setToolTip(QString::fromStdString(app.AxisOfferText()));
  ui.writeAxisBox->setAccessibleDescription(ui.writeAxisBox->toolTip());
  // An encoder's unit buttons keep whatever marks they have.
  ui.megasymbolsButton->setEnabled(view.decoder);
  ui.megabitsButton->setEnabled(view.decoder);
  if (view.decoder) (view.megasymbols ? ui.megasymbolsButton : ui.megabitsButton)->setChecked(true);
  ShowCoreFigures();
}

void ExtraFilesPage::ShowCoreFigures() {
  // The core Finish writes, from the plan its design file's header states.
  const QString text = rs_app().write_core()
                           ? QString::fromStdString(hdl::CoreFiguresText(
                                 parameters(), ui_->frequencyField->text().toStdString()))
                           : QString();
  ui_->coreFiguresLabel->setText(text);
  ui_->coreFiguresLabel->setAccessibleName(text);
}

void ExtraFilesPage::Calculate() {
  ui_->resultField->setText(QString::fromStdString(
      ThroughputText(parameters(), ui_->frequencyField->text().toStdString())));
}

void ExtraFilesPage::ChooseUnit(int megasymbols) {
  parameters().Msym_Mbit = megasymbols;
  // An empty frequency empties the result; any other recalculates at once.
  Calculate();
  Refresh();
}

}  // namespace codexel
