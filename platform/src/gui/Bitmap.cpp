#include "nuv/platform/Bitmap.h"

#include <QFile>
#include <QImageReader>
#include <algorithm>
#include <cstring>

#include "QtBoundary.h"
#include "Raster.h"
#include "RasterCanvas.h"

namespace nuv {

void TGraphic::LoadFromFile(std::string_view FileName) {
  TFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(stream);
}

void TGraphic::SaveToFile(std::string_view FileName) const {
  TFileStream stream(FileName, fmCreate);
  SaveToStream(stream);
}

void TGraphic::Changed() {
  if (OnChange) OnChange(this);
}

void TGraphic::Progress(TProgressStage Stage, uint8_t PercentDone, const std::string& Msg) const {
  if (OnProgress) OnProgress(const_cast<TGraphic*>(this), Stage, PercentDone, false, TRect{}, Msg);
}

// ---------------------------------------------------------------------------

namespace {

// The 16 colours of a 4-bit bitmap, in their classic palette order.
const QList<QRgb> kVgaPalette = {
    0xFF000000, 0xFF800000, 0xFF008000, 0xFF808000, 0xFF000080, 0xFF800080, 0xFF008080, 0xFFC0C0C0,
    0xFF808080, 0xFFFF0000, 0xFF00FF00, 0xFFFFFF00, 0xFF0000FF, 0xFFFF00FF, 0xFF00FFFF, 0xFFFFFFFF,
};

uint16_t Le16(const QByteArray& b, qsizetype at) {
  return static_cast<uint16_t>(static_cast<uint8_t>(b[at]) |
                               (static_cast<uint8_t>(b[at + 1]) << 8));
}

// The depth a BMP file was written in; other files count as 24 bits.
TPixelFormat FormatOfFile(const QByteArray& bytes) {
  if (bytes.size() < 58 || !bytes.startsWith("BM")) return pf24bit;
  switch (Le16(bytes, 28)) {
    case 1:
      return pf1bit;
    case 4:
      return pf4bit;
    case 8:
      return pf8bit;
    case 16:
      // Bit fields with a six-bit green mask are 5-6-5, anything else 5-5-5.
      return Le16(bytes, 30) == 3 && Le16(bytes, 54 + 4) == 0x07E0 ? pf16bit : pf15bit;
    case 32:
      return pf32bit;
    default:
      return pf24bit;
  }
}

}  // namespace

TBitmap::TBitmap() = default;

TBitmap::~TBitmap() = default;

int32_t TBitmap::Width() const { return image_.width(); }
int32_t TBitmap::Height() const { return image_.height(); }

void TBitmap::BeforeChange() {
  if (canvas_) canvas_->Flush();
}

void TBitmap::AfterChange() { Changed(); }

void TBitmap::SetSize(int32_t width, int32_t height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (width == Width() && height == Height()) return;
  QImage next;
  if (width > 0 && height > 0) {
    if (static_cast<int64_t>(width) * height > kMaxImagePixels ||
        (next = QImage(width, height, QImage::Format_RGB32)).isNull())
      throw EOutOfMemory("Out of memory: cannot make a bitmap of " + std::to_string(width) + " x " +
                         std::to_string(height) + " pixels");
    next.fill(Qt::white);
  }
  BeforeChange();
  const int32_t keepW = std::min(width, Width()), keepH = std::min(height, Height());
  for (int32_t y = 0; y < keepH && keepW > 0; ++y)
    std::memcpy(next.scanLine(y), image_.constScanLine(y), static_cast<std::size_t>(keepW) * 4);
  image_ = std::move(next);
  AfterChange();
}

void TBitmap::SetPixelFormat(TPixelFormat value) {
  pixel_format_ = value;
  Changed();
}

void TBitmap::SetTransparent(bool value) {
  transparent_ = value;
  Changed();
}

void TBitmap::SetTransparentMode(TTransparentMode value) {
  transparent_mode_ = value;
  Changed();
}

TColor TBitmap::TransparentColor() const {
  if (transparent_mode_ == tmFixed) return transparent_color_;
  if (image_.isNull()) return clDefault;
  Image();
  return raster::ColorOf(
      reinterpret_cast<const uint32_t*>(image_.constScanLine(image_.height() - 1))[0]);
}

void TBitmap::SetTransparentColor(TColor value) {
  transparent_color_ = value;
  transparent_mode_ = tmFixed;
  Changed();
}

TCanvas* TBitmap::Canvas() {
  if (!canvas_) {
    canvas_ = std::make_unique<TRasterCanvas>(&image_, false);
    canvas_->Damaged = [this] { Changed(); };
  }
  return canvas_.get();
}

void TBitmap::LoadFromStream(TStream& Stream) { LoadFromBytes(ReadRest(Stream)); }

void TBitmap::LoadFromBytes(const QByteArray& bytes) {
  QImage image = DecodeImage(bytes);
  if (image.isNull()) throw EInvalidGraphic("Bitmap image is not valid");
  BeforeChange();
  image_ = std::move(image);
  pixel_format_ = FormatOfFile(bytes);
  AfterChange();
}

QImage TBitmap::ImageForSave() const {
  switch (pixel_format_) {
    case pf1bit:
      return Image().convertToFormat(QImage::Format_Mono, {0xFF000000, 0xFFFFFFFF});
    case pf4bit:
      return Image().convertToFormat(QImage::Format_Indexed8, kVgaPalette);
    case pf8bit: {
      QImage indexed =
          Image().convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither | Qt::AvoidDither);
      // A full palette, or the writer would drop to 4 bits for few colours.
      if (indexed.colorCount() < 256) indexed.setColorCount(256);
      return indexed;
    }
    default:
      return Image();
  }
}

void TBitmap::SaveToStream(TStream& Stream) const {
  if (image_.isNull()) throw EInvalidGraphic("Cannot save an empty bitmap");
  WriteAll(Stream, EncodeImage(ImageForSave(), "BMP"));
}

void TBitmap::SaveToPngFile(std::string_view FileName) const {
  if (image_.isNull()) throw EInvalidGraphic("Cannot save an empty bitmap");
  const QByteArray png = EncodeImage(Image(), "PNG");
  TFileStream stream(FileName, fmCreate);
  WriteAll(stream, png);
}

void TBitmap::LoadFromResourceName(std::string_view Module, std::string_view ResName) {
  QFile resource(QStringLiteral(":/") + ToQString(Module) + QLatin1Char('/') + ToQString(ResName));
  if (!resource.open(QIODevice::ReadOnly))
    throw EResNotFound("Resource " + std::string(ResName) + " not found");
  LoadFromBytes(resource.readAll());
}

void TBitmap::Assign(const TPersistent& Source) {
  if (&Source == this) return;
  if (const auto* bitmap = dynamic_cast<const TBitmap*>(&Source)) {
    QImage pixels = bitmap->Image();
    BeforeChange();
    image_ = std::move(pixels);
    pixel_format_ = bitmap->pixel_format_;
    transparent_ = bitmap->transparent_;
    transparent_mode_ = bitmap->transparent_mode_;
    transparent_color_ = bitmap->transparent_color_;
    return AfterChange();
  }
  if (const auto* graphic = dynamic_cast<const TGraphic*>(&Source)) {
    QImage pixels = graphic->Image();
    BeforeChange();
    image_ = std::move(pixels);
    pixel_format_ = pf24bit;
    return AfterChange();
  }
  TGraphic::Assign(Source);
}

const QImage& TBitmap::Image() const {
  if (canvas_) canvas_->Flush();
  return image_;
}

uint32_t* TBitmap::ScanLine(int32_t Row) {
  if (Row < 0 || Row >= Height()) return nullptr;
  BeforeChange();
  return reinterpret_cast<uint32_t*>(image_.scanLine(Row));
}

void TBitmap::SetImage(const QImage& image) {
  QImage pixels = ToRgb32(image);
  BeforeChange();
  image_ = std::move(pixels);
  AfterChange();
}

bool GetImageFileSize(std::string_view FileName, int32_t& Width, int32_t& Height) {
  QImageReader reader(QtFileName(FileName));
  const QSize size = reader.size();
  if (!size.isValid()) return false;
  Width = size.width();
  Height = size.height();
  return true;
}

}  // namespace nuv
