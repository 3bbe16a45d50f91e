#include "QtBoundary.h"

#include <QApplication>
#include <QBuffer>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QScreen>
#include <cstdlib>

#include "nuv/platform/CodePage.h"
#include "nuv/platform/Controls.h"
#include "nuv/platform/FileUtils.h"
#include "nuv/platform/Streams.h"
#include "nuv/platform/SysUtils.h"

namespace nuv {

QString ToQString(std::string_view text) {
  const std::u16string u = AnsiToUtf16(text);
  return QString::fromUtf16(u.data(), static_cast<qsizetype>(u.size()));
}

std::string FromQString(const QString& text) {
  return Utf16ToAnsi(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                         static_cast<std::size_t>(text.size())));
}

QString QtFileName(std::string_view fileName) {
  return QString::fromStdString(OsFileName(fileName));
}

std::string FromQtFileName(const QString& name) { return AnsiFileName(name.toStdString()); }

QByteArray ReadRest(TStream& stream) {
  const int64_t count = stream.Size() - stream.Position();
  QByteArray bytes;
  if (count <= 0) return bytes;
  bytes.resize(static_cast<qsizetype>(count));
  stream.ReadBuffer(bytes.data(), count);
  return bytes;
}

void WriteAll(TStream& stream, const QByteArray& bytes) {
  stream.WriteBuffer(bytes.constData(), bytes.size());
}

QImage DecodeImage(const QByteArray& bytes, QByteArray* format) {
  QBuffer buffer;
  buffer.setData(bytes);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer);
  reader.setAutoTransform(false);
  reader.setAllocationLimit(static_cast<int>(kMaxImagePixels * 4 >> 20));
  if (format) *format = reader.format();
  return ToRgb32(reader.read());
}

QImage ToRgb32(const QImage& image) {
  if (image.isNull() || image.format() == QImage::Format_RGB32) return image;
  if (!image.hasAlphaChannel()) return image.convertToFormat(QImage::Format_RGB32);
  // Transparent parts show the white of a new bitmap.
  QImage opaque(image.size(), QImage::Format_RGB32);
  opaque.fill(Qt::white);
  QPainter(&opaque).drawImage(0, 0, image);
  return opaque;
}

QByteArray EncodeImage(const QImage& image, const char* format, int quality) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, format);
  writer.setQuality(quality);
  if (!writer.write(image)) throw Exception(std::string("Cannot encode the image as ") + format);
  return bytes;
}

void EnsureGuiApplication() {
  if (QCoreApplication::instance()) {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
      throw Exception("The graphical layer needs a QApplication; the host created another kind");
    return;
  }
  // Without a display Qt would abort; the offscreen platform still draws.
  if (!std::getenv("QT_QPA_PLATFORM") && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
  static int argc = 1;
  static char arg0[] = "nuv";
  static char* argv[] = {arg0, nullptr};
  static QApplication* app = nullptr;
  app = new QApplication(argc, argv);
  // No host style is in charge: drawings look the same on every machine.
  QApplication::setPalette(ClassicPalette());
  // Gone at exit, before the statics Qt made while starting, so that Qt
  // and the font library shut down in order.
  std::atexit([] {
    delete app;
    app = nullptr;
  });
}

bool HasGuiApplication() {
  return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
}

int32_t ScreenPixelsPerInch() {
  if (!HasGuiApplication()) return 96;
  const QScreen* screen = QGuiApplication::primaryScreen();
  const double dpi = screen ? screen->logicalDotsPerInchY() : 96.0;
  return dpi >= 1.0 && dpi <= 10000.0 ? static_cast<int32_t>(Round(dpi)) : 96;
}

bool IsHeadless() {
  if (!HasGuiApplication()) return true;
  const QString platform = QGuiApplication::platformName();
  return platform == QLatin1String("offscreen") || platform == QLatin1String("minimal");
}

}  // namespace nuv
