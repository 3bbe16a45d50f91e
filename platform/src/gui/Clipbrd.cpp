#include "nuv/platform/Clipbrd.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "QtBoundary.h"
#include "nuv/platform/Bitmap.h"

namespace nuv {

namespace {

QClipboard& System() {
  EnsureGuiApplication();
  return *QGuiApplication::clipboard();
}

}  // namespace

bool TClipboard::HasFormat(uint16_t Format) const {
  const QMimeData* data = System().mimeData();
  if (!data) return false;
  if (Format == CF_TEXT) return data->hasText();
  if (Format == CF_BITMAP) return data->hasImage();
  return false;
}

std::string TClipboard::AsText() const { return FromQString(System().text()); }

void TClipboard::SetAsText(std::string_view value) { System().setText(ToQString(value)); }

void TClipboard::Clear() { System().clear(); }

void TClipboard::Assign(const TPersistent& Source) {
  if (const auto* graphic = dynamic_cast<const TGraphic*>(&Source))
    return System().setImage(graphic->Image());
  TPersistent::Assign(Source);
}

void TClipboard::AssignTo(TPersistent& Dest) const {
  auto* graphic = dynamic_cast<TGraphic*>(&Dest);
  if (!graphic) return TPersistent::AssignTo(Dest);
  const QImage image = System().image();
  if (image.isNull()) throw EInvalidGraphic("The clipboard holds no picture");
  TBitmap bitmap;
  bitmap.SetImage(image);
  graphic->Assign(bitmap);
}

TClipboard& Clipboard() {
  static TClipboard* clipboard = new TClipboard;
  return *clipboard;
}

}  // namespace nuv
