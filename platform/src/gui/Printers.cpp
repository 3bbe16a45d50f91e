#include "nuv/platform/Printers.h"

#include <QFile>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

#include "QtBoundary.h"
#include "RasterCanvas.h"

namespace nuv {

namespace {

QSize PagePixels(TPrinterOrientation orientation) {
  const QSizeF mm = QPageSize(QPageSize::A4).size(QPageSize::Millimeter);
  const QSize a4(qRound(mm.width() / 25.4 * TPrinter::kResolution),
                 qRound(mm.height() / 25.4 * TPrinter::kResolution));
  return orientation == poPortrait ? a4 : a4.transposed();
}

}  // namespace

TPrinter::TPrinter() : canvas_(std::make_unique<TRasterCanvas>(&page_, true)) {
  canvas_->Font()->SetPixelsPerInch(kResolution);
}

TPrinter::~TPrinter() {
  if (printing_) Abort();
}

void TPrinter::SetOrientation(TPrinterOrientation value) {
  if (printing_) throw EPrinter("Cannot change the orientation while printing");
  orientation_ = value;
}

int32_t TPrinter::PageWidth() const { return PagePixels(orientation_).width(); }
int32_t TPrinter::PageHeight() const { return PagePixels(orientation_).height(); }

TCanvas* TPrinter::Canvas() { return canvas_.get(); }

void TPrinter::BeginDoc() {
  if (printing_) throw EPrinter("Printing in progress");
  EnsureGuiApplication();
  auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
  printer->setResolution(kResolution);
  printer->setPageSize(QPageSize(QPageSize::A4));
  printer->setPageOrientation(orientation_ == poPortrait ? QPageLayout::Portrait
                                                         : QPageLayout::Landscape);
  printer->setFullPage(true);
  printer->setDocName(ToQString(title_));
  if (!output_file_.empty()) {
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(QtFileName(output_file_));
  } else if (!printer->isValid()) {
    throw EPrinter("There is no default printer");
  }
  auto painter = std::make_unique<QPainter>();
  if (!painter->begin(printer.get())) throw EPrinter("Cannot start printing to " + output_file_);
  const QSize size = PagePixels(orientation_);
  page_ = QImage(size, QImage::Format_RGB32);
  if (page_.isNull()) throw EOutOfMemory("Out of memory: cannot make a printer page");
  page_.fill(Qt::white);
  qprinter_ = std::move(printer);
  painter_ = std::move(painter);
  printing_ = true;
  aborted_ = false;
  page_number_ = 1;
}

void TPrinter::SendPage() {
  canvas_->Flush();
  painter_->drawImage(QRect(0, 0, qprinter_->width(), qprinter_->height()), page_);
}

void TPrinter::NewPage() {
  if (!printing_) throw EPrinter("Printer is not currently printing");
  SendPage();
  qprinter_->newPage();
  canvas_->Flush();
  page_.fill(Qt::white);
  ++page_number_;
}

void TPrinter::EndDoc() {
  if (!printing_) throw EPrinter("Printer is not currently printing");
  SendPage();
  Finish();
}

void TPrinter::Abort() {
  if (!printing_) return;
  qprinter_->abort();
  Finish();
  if (!output_file_.empty()) QFile::remove(QtFileName(output_file_));
  aborted_ = true;
}

void TPrinter::Finish() {
  canvas_->Flush();
  painter_->end();
  painter_.reset();
  qprinter_.reset();
  page_ = QImage();
  printing_ = false;
}

std::vector<std::string> TPrinter::Printers() const {
  EnsureGuiApplication();
  std::vector<std::string> names;
  for (const QString& name : QPrinterInfo::availablePrinterNames())
    names.push_back(FromQString(name));
  return names;
}

TPrinter& Printer() {
  // Never destroyed, like the Qt application it prints through.
  static TPrinter* printer = new TPrinter;
  return *printer;
}

}  // namespace nuv
