#include "nuv/platform/Jpeg.h"

#include <QBuffer>
#include <QImageReader>
#include <algorithm>

#include "QtBoundary.h"

namespace nuv {

TJPEGImage::TJPEGImage() = default;
TJPEGImage::~TJPEGImage() = default;

int32_t TJPEGImage::Width() const { return size_.width(); }
int32_t TJPEGImage::Height() const { return size_.height(); }

void TJPEGImage::SetCompressionQuality(int32_t value) { quality_ = std::clamp(value, 1, 100); }

void TJPEGImage::LoadFromStream(TStream& Stream) { LoadFromBytes(ReadRest(Stream)); }

void TJPEGImage::LoadFromBytes(const QByteArray& bytes) {
  QBuffer buffer;
  buffer.setData(bytes);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer);
  const QSize size = reader.format() == "jpeg" ? reader.size() : QSize();
  if (!size.isValid()) throw EInvalidGraphic("JPEG image is not valid");
  data_ = bytes;
  image_ = QImage();
  size_ = size;
  Changed();
}

void TJPEGImage::SaveToStream(TStream& Stream) const {
  if (Empty()) throw EInvalidGraphic("Cannot save an empty JPEG image");
  JPEGNeeded();
  WriteAll(Stream, data_);
}

void TJPEGImage::Assign(const TPersistent& Source) {
  if (&Source == this) return;
  if (const auto* jpeg = dynamic_cast<const TJPEGImage*>(&Source)) {
    data_ = jpeg->data_;
    image_ = jpeg->image_;
    size_ = jpeg->size_;
    quality_ = jpeg->quality_;
    return Changed();
  }
  if (const auto* graphic = dynamic_cast<const TGraphic*>(&Source)) {
    image_ = graphic->Image();
    data_.clear();
    size_ = image_.size();
    return Changed();
  }
  TGraphic::Assign(Source);
}

void TJPEGImage::DIBNeeded() const { Image(); }

void TJPEGImage::JPEGNeeded() const {
  if (data_.isEmpty() && !image_.isNull()) data_ = EncodeImage(image_, "JPEG", quality_);
}

void TJPEGImage::Compress() {
  if (Empty()) return;
  const QImage pixels = Image();
  data_ = EncodeImage(pixels, "JPEG", quality_);
  Changed();
}

const QImage& TJPEGImage::Image() const {
  if (image_.isNull() && !data_.isEmpty()) {
    Progress(psStarting, 0, "");
    QImage decoded = DecodeImage(data_);
    if (decoded.isNull()) throw EInvalidGraphic("JPEG image is not valid");
    image_ = std::move(decoded);
    Progress(psEnding, 100, "");
  }
  return image_;
}

}  // namespace nuv
