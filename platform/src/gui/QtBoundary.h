// Where the library meets Qt and the file system: Windows-1252 text to and
// from QString, file names, whole-file reads and writes with the runtime's
// I/O errors, and the GUI application that fonts, widgets and the clipboard
// need.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include <QByteArray>
#include <QImage>
#include <QString>

namespace nuv {

QString ToQString(std::string_view text);
// Characters outside Windows-1252 become "?".
std::string FromQString(const QString& text);

// A file name for Qt and the operating system: "\" becomes "/".
QString QtFileName(std::string_view fileName);

// Raise EInOutError (errno-based code, naming the file) on failure.
QByteArray ReadFileBytes(std::string_view fileName);
void WriteFileBytes(std::string_view fileName, const QByteArray& bytes);

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
// True when a QGuiApplication exists.
bool HasGuiApplication();
// Logical pixels per inch of the primary screen, rounded; 96 without a
// GUI application or screen.
int32_t ScreenPixelsPerInch();
// True when nobody can see or answer windows (offscreen or minimal
// platform).
bool IsHeadless();

}  // namespace nuv
