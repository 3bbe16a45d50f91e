// The printer: a canvas whose pages go to a PDF file or to the system's
// default printer. Pages are drawn at 300 pixels per inch on A4 paper into
// an image (the canvas reports IsPrinter, and its font's PixelsPerInch is
// 300), and each finished page is handed to Qt's printing.
#pragma once

#include <QImage>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "nuv/platform/Graphics.h"

class QPainter;
class QPrinter;

namespace nuv {

class EPrinter : public Exception {
  using Exception::Exception;
};

enum TPrinterOrientation : uint8_t { poPortrait, poLandscape };

class TRasterCanvas;

class TPrinter : public TObject {
 public:
  static constexpr int32_t kResolution = 300;

  TPrinter();
  ~TPrinter() override;

  // The PDF file the next document goes to; empty for the system's default
  // printer.
  const std::string& OutputFileName() const { return output_file_; }
  void SetOutputFileName(std::string_view value) { output_file_ = value; }
  const std::string& Title() const { return title_; }
  void SetTitle(std::string_view value) { title_ = value; }
  TPrinterOrientation Orientation() const { return orientation_; }
  // Raises EPrinter while printing.
  void SetOrientation(TPrinterOrientation value);

  // Page size in printer pixels.
  int32_t PageWidth() const;
  int32_t PageHeight() const;
  int32_t PageNumber() const { return page_number_; }
  bool Printing() const { return printing_; }
  bool Aborted() const { return aborted_; }
  // Also usable outside a document for text metrics; drawing then does
  // nothing.
  TCanvas* Canvas();

  // Raise EPrinter: BeginDoc while printing or when the output cannot be
  // opened; EndDoc and NewPage when not printing.
  void BeginDoc();
  void NewPage();
  void EndDoc();
  // Stops the document; a PDF file begun is removed.
  void Abort();

  // Names of the system's printers.
  std::vector<std::string> Printers() const;

 private:
  void SendPage();
  void Finish();

  std::unique_ptr<QPrinter> qprinter_;
  std::unique_ptr<QPainter> painter_;
  QImage page_;
  std::unique_ptr<TRasterCanvas> canvas_;
  std::string output_file_;
  std::string title_;
  TPrinterOrientation orientation_ = poPortrait;
  int32_t page_number_ = 0;
  bool printing_ = false;
  bool aborted_ = false;
};

TPrinter& Printer();

}  // namespace nuv
