// Pictures in memory: TGraphic, the base of everything a canvas can Draw,
// and TBitmap, a picture with its own canvas.
//
// A bitmap always holds 32-bit RGB pixels (a Qt image of Format_RGB32), so
// that every drawing operation works on it; PixelFormat records the depth
// the bitmap stands for and is applied when the bitmap is saved (a 4-bit
// bitmap is written with the 16 standard colours, an 8-bit one with a
// palette of at most 256). New areas of a bitmap are white.
//
// Files are read and written through the runtime's file streams (file names
// as OsFileName describes; errors EFOpenError, EFCreateError, EReadError,
// EWriteError); contents that cannot be decoded raise EInvalidGraphic.
#pragma once

#include <QImage>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "nuv/platform/Graphics.h"
#include "nuv/platform/Streams.h"

namespace nuv {

class TRasterCanvas;

class EInvalidGraphic : public Exception {
  using Exception::Exception;
};
class EResNotFound : public Exception {
  using Exception::Exception;
};

enum TProgressStage : uint8_t { psStarting, psRunning, psEnding };
// Progress of loading or saving a picture; PercentDone 0..100.
using TProgressEvent =
    std::function<void(TObject* Sender, TProgressStage Stage, uint8_t PercentDone, bool RedrawNow,
                       const TRect& R, const std::string& Msg)>;

class TGraphic : public TPersistent {
 public:
  virtual int32_t Width() const = 0;
  virtual int32_t Height() const = 0;
  bool Empty() const { return Width() <= 0 || Height() <= 0; }

  // Loading reads the stream from its position to its end.
  virtual void LoadFromStream(TStream& Stream) = 0;
  virtual void SaveToStream(TStream& Stream) const = 0;
  void LoadFromFile(std::string_view FileName);
  void SaveToFile(std::string_view FileName) const;

  // The pixels as an RGB32 image (decoded on first use for compressed
  // pictures). The reference stays valid until the graphic changes.
  virtual const QImage& Image() const = 0;

  TNotifyEvent OnChange;
  TProgressEvent OnProgress;

 protected:
  void Changed();
  // Fires OnProgress; const because pictures decode when first read.
  void Progress(TProgressStage Stage, uint8_t PercentDone, const std::string& Msg) const;
};

enum TPixelFormat : uint8_t {
  pfDevice,
  pf1bit,
  pf4bit,
  pf8bit,
  pf15bit,
  pf16bit,
  pf24bit,
  pf32bit,
  pfCustom
};
enum TTransparentMode : uint8_t { tmAuto, tmFixed };

class TBitmap : public TGraphic {
 public:
  TBitmap();
  ~TBitmap() override;

  int32_t Width() const override;
  int32_t Height() const override;
  // Negative sizes count as 0. Kept pixels stay where they are; new ones are
  // white. Raises EOutOfMemory when the pixels cannot be allocated.
  void SetWidth(int32_t value) { SetSize(value, Height()); }
  void SetHeight(int32_t value) { SetSize(Width(), value); }
  void SetSize(int32_t width, int32_t height);

  // The depth the bitmap is saved in (the pixels in memory keep 24 bits):
  // 1 bit takes black or white, 4 bits the nearest of the 16 standard
  // colours, 8 bits a palette of at most 256 colours.
  TPixelFormat PixelFormat() const { return pixel_format_; }
  void SetPixelFormat(TPixelFormat value);

  // When Transparent is set, Draw leaves out the pixels of TransparentColor:
  // the bottom-left pixel's colour in tmAuto mode, the colour set with
  // SetTransparentColor in tmFixed mode.
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool value);
  TTransparentMode TransparentMode() const { return transparent_mode_; }
  void SetTransparentMode(TTransparentMode value);
  TColor TransparentColor() const;
  void SetTransparentColor(TColor value);

  TCanvas* Canvas();

  // BMP (or any other format the image reader recognises, such as PNG);
  // the file's bit depth becomes PixelFormat.
  void LoadFromStream(TStream& Stream) override;
  // BMP in PixelFormat's depth (15/16 and device formats as 24 bits).
  void SaveToStream(TStream& Stream) const override;
  void SaveToPngFile(std::string_view FileName) const;
  // Loads the image resource ":/<Module>/<ResName>" that a library compiled
  // in with Qt's resource system; raises EResNotFound when there is none.
  void LoadFromResourceName(std::string_view Module, std::string_view ResName);

  // Takes another bitmap, a JPEG picture (decoded) or the clipboard's
  // picture.
  void Assign(const TPersistent& Source) override;

  const QImage& Image() const override;
  // Writable pixels of one row as 0xAARRGGBB words (alpha is 0xFF), for
  // fast pixel work; nullptr outside 0..Height-1. The canvas is flushed
  // first, so drawing and direct access may alternate. The pointer is valid
  // until the bitmap is resized, loaded, assigned or copied.
  uint32_t* ScanLine(int32_t Row);
  // Replaces the pixels (converted to RGB32).
  void SetImage(const QImage& image);

 private:
  // Every change of the pixels goes between these two: the canvas's painter
  // is closed first, OnChange fires after.
  void BeforeChange();
  void AfterChange();
  void LoadFromBytes(const QByteArray& bytes);
  QImage ImageForSave() const;

  QImage image_;
  std::unique_ptr<TRasterCanvas> canvas_;
  TPixelFormat pixel_format_ = pfDevice;
  bool transparent_ = false;
  TTransparentMode transparent_mode_ = tmAuto;
  TColor transparent_color_ = clDefault;
};

// Width and height of an image file from its header, without decoding the
// pixels (so that a caller can refuse a huge image before loading it).
// False when the file cannot be read or is no image.
bool GetImageFileSize(std::string_view FileName, int32_t& Width, int32_t& Height);

}  // namespace nuv
