// The system clipboard, for pictures and text. Without a clipboard manager
// what the application put there is gone when it exits.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "nuv/platform/Classes.h"

namespace nuv {

inline constexpr uint16_t CF_TEXT = 1;
inline constexpr uint16_t CF_BITMAP = 2;

class TClipboard : public TPersistent {
 public:
  // CF_TEXT or CF_BITMAP.
  bool HasFormat(uint16_t Format) const;
  std::string AsText() const;
  void SetAsText(std::string_view value);
  void Clear();
  // Puts a picture (any TGraphic) on the clipboard.
  void Assign(const TPersistent& Source) override;

 protected:
  // Gives the clipboard's picture to a TGraphic (Bitmap.Assign(Clipboard()));
  // raises EInvalidGraphic when the clipboard holds none.
  void AssignTo(TPersistent& Dest) const override;
};

TClipboard& Clipboard();

}  // namespace nuv
