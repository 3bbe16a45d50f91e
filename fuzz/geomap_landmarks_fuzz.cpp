// Feeds arbitrary bytes, as a file, to the landmark reader of the map view.
// Besides crashes, undefined behaviour and hangs it traps on a list that
// does not write and read back to the same text, and draws what was read
// on a calibrated map, so that fuzzed sizes, lengths, directions and
// captions go through the symbol drawing and the caption placement.
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "nuv/Nuv_geomap.h"
#include "nuv/platform/Bitmap.h"

namespace {

using namespace nuv;

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

std::string TempName(const char* what) {
  return "/tmp/nuv_landmarks_fuzz_" + std::to_string(getpid()) + what;
}

void WriteFile(const std::string& name, const std::string& bytes) {
  std::ofstream(name, std::ios::binary) << bytes;
}

std::string ReadFile(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TGeoMap& Map() {
  static TGeoMap* map = [] {
    auto* m = new TGeoMap(nullptr);
    m->SetBounds(0, 0, 64, 48);
    TBitmap image;
    image.SetSize(64, 48);
    m->SetMapBitMap(image);
    m->SetCalibModel(cmEquiRect);
    for (TPoint p : {TPoint{0, 0}, TPoint{64, 0}, TPoint{0, 48}, TPoint{64, 48}})
      m->AddCalibPoint(48 - p.Y / 100.0, 10 + p.X / 100.0, p.X, p.Y);
    return m;
  }();
  return *map;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input = TempName(".in"), first = TempName(".1"), second = TempName(".2");
  WriteFile(input, std::string(reinterpret_cast<const char*>(data), size));
  TGeoMap& m = Map();
  m.RemoveAllLandMarks();
  if (m.LoadLandMarks(input, "")) {
    m.SetHighLM(1);
    m.Paint();
    // Written, read and written again: the same text.
    m.SaveLandmarks(first, "f");
    TGeoMap back(nullptr);
    Check(back.LoadLandMarks(first, "f"));
    Check(back.NumLandMarks() == m.NumLandMarks());
    back.SaveLandmarks(second, "f");
    Check(ReadFile(first) == ReadFile(second));
    for (int32_t i = 1; i <= m.NumLandMarks(); ++i) {
      const TLandMark l = m.GetLandMarkData(i);
      const bool finite = std::isfinite(l.Latitude) && std::isfinite(l.Longitude);
      Check(!finite || m.FindLandMark(l.Latitude, l.Longitude, l.Class) != 0);
    }
  }
  std::remove(input.c_str());
  std::remove(first.c_str());
  std::remove(second.c_str());
  return 0;
}
