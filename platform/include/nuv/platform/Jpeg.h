// JPEG pictures: TJPEGImage keeps the compressed data it was loaded with
// and decodes it on first use (Image, Width and Height read the header
// only), so that saving an unchanged picture writes the original bytes.
// A picture assigned from a bitmap is compressed when it is saved, with
// CompressionQuality. OnProgress reports the decoding: psStarting (0 %)
// before, psEnding (100 %) after.
#pragma once

#include <QByteArray>
#include <QImage>
#include <cstdint>
#include <string_view>

#include "nuv/platform/Bitmap.h"

namespace nuv {

class TJPEGImage : public TGraphic {
 public:
  TJPEGImage();
  ~TJPEGImage() override;

  int32_t Width() const override;
  int32_t Height() const override;

  // 1..100 (values outside are clamped); default 90.
  int32_t CompressionQuality() const { return quality_; }
  void SetCompressionQuality(int32_t value);

  // Raises EInvalidGraphic when the data are no JPEG image.
  void LoadFromStream(TStream& Stream) override;
  // Raises EInvalidGraphic for an empty picture.
  void SaveToStream(TStream& Stream) const override;

  // Takes another JPEG picture or any graphic's pixels (a bitmap).
  void Assign(const TPersistent& Source) override;

  // Decodes now (EInvalidGraphic when the data are damaged).
  void DIBNeeded() const;
  // Compresses the pixels now, when the picture has no compressed data.
  void JPEGNeeded() const;
  // Compresses the pixels again with the current quality.
  void Compress();

  const QImage& Image() const override;

 private:
  void LoadFromBytes(const QByteArray& bytes);

  mutable QByteArray data_;  // compressed; empty when only pixels exist
  mutable QImage image_;     // decoded; null until needed
  QSize size_;
  int32_t quality_ = 90;
};

}  // namespace nuv
