#include "nuv/platform/Forms.h"

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>

#include "Fonts.h"
#include "QtBoundary.h"
#include "nuv/platform/Bitmap.h"

namespace nuv {

namespace {

Qt::CursorShape ShapeOf(TCursor c) {
  switch (c) {
    case crNone:
      return Qt::BlankCursor;
    case crCross:
      return Qt::CrossCursor;
    case crIBeam:
      return Qt::IBeamCursor;
    case crSizeNESW:
      return Qt::SizeBDiagCursor;
    case crSizeNS:
      return Qt::SizeVerCursor;
    case crSizeNWSE:
      return Qt::SizeFDiagCursor;
    case crSizeWE:
      return Qt::SizeHorCursor;
    case crUpArrow:
      return Qt::UpArrowCursor;
    case crHourGlass:
      return Qt::WaitCursor;
    case crDrag:
      return Qt::DragCopyCursor;
    case crNoDrop:
      return Qt::ForbiddenCursor;
    case crHSplit:
      return Qt::SplitHCursor;
    case crVSplit:
      return Qt::SplitVCursor;
    case crMultiDrag:
      return Qt::DragCopyCursor;
    case crSQLWait:
      return Qt::BusyCursor;
    case crNo:
      return Qt::ForbiddenCursor;
    case crAppStart:
      return Qt::BusyCursor;
    case crHelp:
      return Qt::WhatsThisCursor;
    case crHandPoint:
      return Qt::PointingHandCursor;
    case crSizeAll:
      return Qt::SizeAllCursor;
    default:
      return Qt::ArrowCursor;
  }
}

QSize PrimarySize() {
  if (!HasGuiApplication()) return {};
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen ? screen->size() : QSize();
}

}  // namespace

int32_t TScreen::PixelsPerInch() const { return ScreenPixelsPerInch(); }
int32_t TScreen::Width() const { return PrimarySize().width(); }
int32_t TScreen::Height() const { return PrimarySize().height(); }

std::vector<std::string> TScreen::Fonts() const { return InstalledFontNames(); }

QCursor TScreen::Cursors(TCursor Index) const {
  EnsureGuiApplication();
  if (Index > 0) {
    const auto it = cursors_.find(Index);
    return it != cursors_.end() ? it->second : QCursor(Qt::ArrowCursor);
  }
  return QCursor(ShapeOf(Index));
}

void TScreen::SetCursors(TCursor Index, const QCursor& Cursor) {
  if (Index > 0) cursors_[Index] = Cursor;
}

void TScreen::SetCursor(TCursor Value) {
  EnsureGuiApplication();
  if (Value == crDefault) {
    if (cursor_ != crDefault) QGuiApplication::restoreOverrideCursor();
  } else if (cursor_ == crDefault) {
    QGuiApplication::setOverrideCursor(Cursors(Value));
  } else {
    QGuiApplication::changeOverrideCursor(Cursors(Value));
  }
  cursor_ = Value;
}

TScreen& Screen() {
  // Never destroyed: its cursors must not outlive the Qt application that a
  // host may delete before static destruction.
  static TScreen* screen = new TScreen;
  return *screen;
}

QCursor LoadCursorFromResource(std::string_view Module, std::string_view ResName) {
  EnsureGuiApplication();
  QFile resource(QStringLiteral(":/") + ToQString(Module) + QLatin1Char('/') + ToQString(ResName));
  QImage image;
  if (!resource.open(QIODevice::ReadOnly) || !image.loadFromData(resource.readAll()))
    throw EResNotFound("Resource " + std::string(ResName) + " not found");
  bool okX = false, okY = false;
  const int x = image.text(QStringLiteral("HotSpotX")).toInt(&okX);
  const int y = image.text(QStringLiteral("HotSpotY")).toInt(&okY);
  const bool inside = okX && okY && x >= 0 && y >= 0 && x < image.width() && y < image.height();
  return QCursor(QPixmap::fromImage(image), inside ? x : -1, inside ? y : -1);
}

// ---------------------------------------------------------------------------

void TApplication::Initialize() { EnsureGuiApplication(); }

void TApplication::ProcessMessages() {
  if (QCoreApplication::instance()) QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void TApplication::HandleMessage() {
  if (QCoreApplication::instance()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

TApplication& Application() {
  static TApplication application;
  return application;
}

}  // namespace nuv
