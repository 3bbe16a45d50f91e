// Where the graphical layer meets Qt: Windows-1252 text and file names to
// and from QString, images in memory and in streams, and the GUI
// application that fonts, widgets and the clipboard need.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QPalette>
#include <QString>
#include <cstdint>
#include <string>
#include <string_view>

namespace nuv {

class TStream;

QString ToQString(std::string_view text);
// Characters outside Windows-1252 become "?".
std::string FromQString(const QString& text);

// A library file name as Qt opens it (OsFileName), and back.
QString QtFileName(std::string_view fileName);
std::string FromQtFileName(const QString& name);

// The bytes from the stream's position to its end, and all bytes written
// to it (the stream's errors propagate).
QByteArray ReadRest(TStream& stream);
void WriteAll(TStream& stream, const QByteArray& bytes);

// Images in memory: decoding (any format the image reader recognises,
// converted to RGB32; a null image when the bytes are no image) and
// encoding ("BMP", "PNG", "JPEG"; quality -1 is the writer's default).
// format receives the reader's format name when given.
QImage DecodeImage(const QByteArray& bytes, QByteArray* format = nullptr);
// The image as RGB32; transparent pixels are laid over white.
QImage ToRgb32(const QImage& image);
QByteArray EncodeImage(const QImage& image, const char* format, int quality = -1);
// Largest image the library allocates, in pixels (1 GiB of RGB32).
inline constexpr int64_t kMaxImagePixels = int64_t{1} << 28;

// Creates the QApplication when the host has not (on the offscreen platform
// when there is no display), so that fonts, widgets and the clipboard work.
// Raises Exception when the host made a non-GUI application.
void EnsureGuiApplication();

// While one exists, system colours resolve through the given group of the
// palette (that of the control being painted); scopes nest. The palette
// must outlive the scope.
class TSystemColorScope {
 public:
  TSystemColorScope(const QPalette& palette, QPalette::ColorGroup group);
  ~TSystemColorScope();
  TSystemColorScope(const TSystemColorScope&) = delete;
  TSystemColorScope& operator=(const TSystemColorScope&) = delete;

 private:
  const QPalette* previous_palette_;
  QPalette::ColorGroup previous_group_;
};
// True when a QGuiApplication exists.
bool HasGuiApplication();
// Logical pixels per inch of the primary screen, rounded; 96 without a
// GUI application or screen.
int32_t ScreenPixelsPerInch();
// True when nobody can see or answer windows (offscreen or minimal
// platform).
bool IsHeadless();

}  // namespace nuv
