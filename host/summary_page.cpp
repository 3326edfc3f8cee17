#include "host/summary_page.h"

#include <QDialog>
#include <QLabel>
#include <QLinearGradient>
#include <QListWidget>
#include <QPainter>
#include <algorithm>
#include <utility>


namespace codexel {

namespace {

// Geometry of the template, in pixels.
constexpr QRect kPictureRect(10, 10, 120, 260);
constexpr int kTextLeft = 142;
constexpr int kTextWidth = 308;
constexpr QRect kFinishTextRect(kTextLeft, 10, kTextWidth, 54);
constexpr QRect kSymbolTextRect(kTextLeft, 72, kTextWidth, 30);
constexpr QRect kFilesTextRect(kTextLeft, 114, kTextWidth, 16);
constexpr QRect kFileListRect(kTextLeft, 134, kTextWidth, 136);

QLabel* MakeText(QDialog& page, const char* object_name, const char* text, const QRect& rect) {
  auto* label = new QLabel(QString::fromUtf8(text), &page);
  NameControl(label, object_name, label->text());
  label->setWordWrap(true);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label->setGeometry(rect);
  return label;
}

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
    : WizardPage(app, PageTemplate{"Summary", kTemplateSize}),
      file_list_(std::move(file_list)),
      directory_(std::move(directory)) {}

void SummaryPage::AddFile(const std::string& name) { file_list_ += "$" + name; }

void SummaryPage::CreateControls(QDialog& page) {
  auto* picture = new QLabel(&page);
  NameControl(picture, "summaryPicture", QStringLiteral("Codexel"));
  picture->setGeometry(kPictureRect);
  picture->setPixmap(SummaryPicture(kPictureRect.size()));

  MakeText(page, "finishText", kSummaryFinishText, kFinishTextRect);
  MakeText(page, "symbolText", kSummarySymbolText, kSymbolTextRect);
  QLabel* files_text = MakeText(page, "filesText", kSummaryFilesText, kFilesTextRect);

  auto* list = new QListWidget(&page);
  NameControl(list, "fileList", files_text->text());
  list->setGeometry(kFileListRect);
  files_text->setBuddy(list);
}

void SummaryPage::OnPageOpened() {
  auto* list = dialog()->findChild<QListWidget*>("fileList");
  for (const std::string& line : SummaryFileLines(file_list_, directory_)) {
    list->addItem(QString::fromStdString(line));
  }
}

void SummaryPage::OnAccept() {
  RememberPosition();
  OnNext();
}

}  // namespace codexel
