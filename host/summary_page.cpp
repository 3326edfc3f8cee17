#include "host/summary_page.h"

#include <QLinearGradient>
#include <QPainter>
#include <algorithm>
#include <utility>

#include "ui_summary_page.h"

namespace codexel {

namespace {

// One codeword drawn as a column of symbols: data symbols, then the check
// symbols set off in another colour.
void DrawCodeword(QPainter& painter, const QRect& area, int symbols, int checks) {
  const int cell = area.height() / symbols;
  for (int i = 0; i < symbols; ++i) {
    const QRect box(area.x(), area.y() + i * cell, area.width(), cell - 2);
    const bool check = i >= symbols - checks;
    painter.fillRect(box, check ? QColor(230, 150, 40) : QColor(90, 160, 230));
    // The symbol's bits, a fixed pattern so that the picture never changes.
    const int bits = 8;
    const int bit_width = (box.width() - 4) / bits;
    for (int b = 0; b < bits; ++b) {
      if (((i * 37 + b * 11) >> 2) % 3 == 0) {
        painter.fillRect(box.x() + 2 + b * bit_width, box.y() + 2, bit_width - 1, box.height() - 4,
                         QColor(255, 255, 255, 170));
      }
    }
  }
}

}  // namespace

QPixmap SummaryPicture(QSize size) {
  QPixmap pixmap(size);
  QPainter painter(&pixmap);
  QLinearGradient sky(0, 0, 0, size.height());
  sky.setColorAt(0.0, QColor(20, 40, 90));
  sky.setColorAt(1.0, QColor(10, 110, 120));
  painter.fillRect(pixmap.rect(), sky);

  const int margin = size.width() / 8;
  const int column = (size.width() - 3 * margin) / 2;
  const QRect codeword(margin, margin, column, size.height() * 3 / 4 - margin);
  DrawCodeword(painter, codeword, 12, 4);
  DrawCodeword(painter, codeword.translated(column + margin, 0), 12, 4);

  painter.setPen(QColor(235, 240, 250));
  QFont font = PageFont();
  font.setPixelSize(std::max(10, size.width() / 7));
  font.setBold(true);
  painter.setFont(font);
  painter.drawText(QRect(0, codeword.bottom() + margin / 2, size.width(),
                         size.height() - codeword.bottom() - margin / 2),
                   Qt::AlignHCenter | Qt::AlignTop, QStringLiteral("Codexel"));
  return pixmap;
}

SummaryPage::SummaryPage(WizardApp& app, std::string file_list, std::string directory)
    : WizardPage(app, PageTemplate{}),
      file_list_(std::move(file_list)),
      directory_(std::move(directory)) {}

SummaryPage::~SummaryPage() = default;

void SummaryPage::AddFile(const std::string& name) { file_list_ += "$" + name; }

void SummaryPage::CreateControls(QDialog& page) {
  ui_ = std::make_unique<::Ui::SummaryPage>();
  ui_->setupUi(&page);
  ui_->summaryPicture->setPixmap(SummaryPicture(ui_->summaryPicture->size()));
}

void SummaryPage::OnPageOpened() {
  for (const std::string& line : SummaryFileLines(file_list_, directory_)) {
    ui_->fileList->addItem(QString::fromStdString(line));
  }
}

void SummaryPage::OnAccept() {
  RememberPosition();
  OnNext();
}

}  // namespace codexel
