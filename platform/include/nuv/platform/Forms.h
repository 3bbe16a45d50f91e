// The process-wide objects of the graphical layer: the screen (pixel
// density, installed fonts, cursors) and the application (creation of the
// Qt GUI application when the host has none, and the message processing
// that modal mouse loops run).
#pragma once

#include <QCursor>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "nuv/platform/Classes.h"

namespace nuv {

// Cursor numbers: the built-in shapes are 0 and below; applications and
// libraries register their own under positive numbers.
using TCursor = int16_t;
inline constexpr TCursor crDefault = 0;
inline constexpr TCursor crNone = -1;
inline constexpr TCursor crArrow = -2;
inline constexpr TCursor crCross = -3;
inline constexpr TCursor crIBeam = -4;
inline constexpr TCursor crSizeNESW = -6;
inline constexpr TCursor crSizeNS = -7;
inline constexpr TCursor crSizeNWSE = -8;
inline constexpr TCursor crSizeWE = -9;
inline constexpr TCursor crUpArrow = -10;
inline constexpr TCursor crHourGlass = -11;
inline constexpr TCursor crDrag = -12;
inline constexpr TCursor crNoDrop = -13;
inline constexpr TCursor crHSplit = -14;
inline constexpr TCursor crVSplit = -15;
inline constexpr TCursor crMultiDrag = -16;
inline constexpr TCursor crSQLWait = -17;
inline constexpr TCursor crNo = -18;
inline constexpr TCursor crAppStart = -19;
inline constexpr TCursor crHelp = -20;
inline constexpr TCursor crHandPoint = -21;
inline constexpr TCursor crSizeAll = -22;
inline constexpr TCursor crSize = crSizeAll;

class TScreen : public TObject {
 public:
  // Logical pixels per inch of the primary screen, rounded (96 without a
  // GUI application).
  int32_t PixelsPerInch() const;
  int32_t Width() const;
  int32_t Height() const;
  // Installed font names with the well-known names the library serves from
  // its own families, sorted case-insensitively.
  std::vector<std::string> Fonts() const;

  // The cursor of a number: a built-in shape, a registered cursor, or the
  // arrow for unknown numbers.
  QCursor Cursors(TCursor Index) const;
  // Registers a cursor under a number above 0 (other numbers are ignored).
  void SetCursors(TCursor Index, const QCursor& Cursor);

  // Cursor of the whole application over every control (crDefault: each
  // control shows its own).
  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor Value);

 private:
  std::map<TCursor, QCursor> cursors_;
  TCursor cursor_ = crDefault;
};

TScreen& Screen();

// The image resource ":/<Module>/<ResName>" as a cursor. Its hot spot comes
// from the image's text keys "HotSpotX" and "HotSpotY" (PNG text chunks),
// else the centre. Raises EResNotFound when there is no such resource.
QCursor LoadCursorFromResource(std::string_view Module, std::string_view ResName);

class TApplication : public TObject {
 public:
  // Creates the QApplication unless the host has one (on the offscreen
  // platform when there is no display). Raises Exception when the host
  // created a non-GUI application. Controls, fonts and the clipboard call
  // it themselves.
  void Initialize();
  // Handles the events waiting now and returns (nothing without an
  // application).
  void ProcessMessages();
  // Waits for the next event and handles what has arrived.
  void HandleMessage();
  void Terminate() { terminated_ = true; }
  bool Terminated() const { return terminated_; }

 private:
  bool terminated_ = false;
};

TApplication& Application();

}  // namespace nuv
