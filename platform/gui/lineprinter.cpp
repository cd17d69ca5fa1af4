#include "platform/gui/lineprinter.h"

#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

#include "platform/gui/fonts.h"

namespace plat {

namespace {

QString ExpandTabs(const QString& line) {
  if (!line.contains('\t')) return line;
  QString out;
  for (QChar c : line) {
    if (c == '\t') {
      do out += ' ';
      while (out.size() % 8 != 0);
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace

QtLinePrinter::QtLinePrinter() {
  QFont f(QStringLiteral("Noto Sans Mono CJK TC"), 11);
  f.setStyleHint(QFont::TypeWriter);
  SetFont(f);
}

void QtLinePrinter::SetFont(const QFont& font) { font_ = WithTraditionalChineseFaces(font); }

QtLinePrinter::~QtLinePrinter() { KillDoc(); }

bool QtLinePrinter::Begin() {
  if (painter_) return true;
  error_ = kPrinterOk;
  printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
  if (!pdf_.isEmpty()) {
    printer_->setOutputFormat(QPrinter::PdfFormat);
    printer_->setOutputFileName(pdf_);
  } else if (QPrinterInfo::defaultPrinter().isNull()) {
    printer_.reset();
    error_ = kPrinterNotReady;
    return false;
  }
  printer_->setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
  painter_ = std::make_unique<QPainter>();
  if (!painter_->begin(printer_.get())) {
    painter_.reset();
    printer_.reset();
    error_ = kPrinterError;
    return false;
  }
  painter_->setFont(font_);
  y_ = 0;
  pages_ = 1;
  return true;
}

bool QtLinePrinter::NewPage() {
  if (!printer_->newPage()) {
    error_ = kPrinterError;
    KillDoc();
    return false;
  }
  ++pages_;
  y_ = 0;
  return true;
}

bool QtLinePrinter::PrintLine(const QString& line) {
  if (!Begin()) return false;
  const QFontMetricsF fm(painter_->font(), printer_.get());
  const double height = printer_->pageLayout().paintRectPixels(printer_->resolution()).height();
  if (y_ > 0 && y_ + fm.lineSpacing() > height && !NewPage()) return false;
  painter_->drawText(QPointF(0, y_ + fm.ascent()), ExpandTabs(line));
  y_ += fm.lineSpacing();
  return true;
}

bool QtLinePrinter::PrintImage(const QImage& image) {
  if (image.isNull()) {
    error_ = kPrinterNoImage;
    return false;
  }
  if (!Begin()) return false;
  if (y_ > 0 && !NewPage()) return false;
  const QRect page = printer_->pageLayout().paintRectPixels(printer_->resolution());
  // The window's pixels at screen size (96 per inch), shrunk to fit the page.
  QSizeF size(image.width() * printer_->resolution() / 96.0, image.height() * printer_->resolution() / 96.0);
  if (size.width() > page.width() || size.height() > page.height())
    size.scale(QSizeF(page.width(), page.height()), Qt::KeepAspectRatio);
  painter_->drawImage(QRectF(QPointF(0, 0), size), image);
  y_ = size.height();
  return true;
}

bool QtLinePrinter::EndDoc() {
  if (!painter_) {
    error_ = kPrinterOk;  // nothing printed is nothing lost
    return true;
  }
  const bool ok = painter_->end();
  painter_.reset();
  printer_.reset();
  if (!ok) error_ = kPrinterError;
  return ok;
}

void QtLinePrinter::KillDoc() {
  if (painter_) {
    printer_->abort();
    painter_->end();
  }
  painter_.reset();
  printer_.reset();
}

void UseSystemPrinter() {
  static QtLinePrinter real;
  SetDefaultPrinter(&real);
}

}  // namespace plat
