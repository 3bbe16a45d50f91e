// The landmark list of the map view TGeoMap: the template, adding,
// searching and removing.
#include <algorithm>
#include <new>

#include "nuv/Nuv_dstruct.h"
#include "nuv/Nuv_geomap.h"

namespace nuv {

namespace {

// -1 for every class: the argument -1 and anything outside 0..255.
int32_t ClassFilter(int32_t Class) { return Class >= 0 && Class <= 255 ? Class : -1; }

bool OfClass(uint8_t Class, int32_t Filter) { return Filter < 0 || Class == Filter; }

uint8_t ClampClass(int32_t Class) { return static_cast<uint8_t>(std::clamp(Class, 0, 255)); }

double Dist2(double Lat, double Long, double lat, double lon) {
  return (Lat - lat) * (Lat - lat) + (Long - lon) * (Long - lon);
}

}  // namespace

TLandMark DefaultLandMarkTemplate() {
  TLandMark t;
  t.Element = lmCross;
  t.Size = 7;
  t.ColorFg = 0xFF0000;
  t.ColorBg = 0xFFFFFF;
  t.Leng = 10;
  t.Caption.FontName = "MS Sans Serif";
  t.Caption.FontSize = 8;
  t.Caption.FgColor = 0x000000;
  t.Caption.BgColor = 0xFFFFFF;
  t.Caption.Transparent = true;
  t.Caption.Dx = 0;
  t.Caption.Dy = 8;
  t.Caption.HorAlign = 2;
  t.Caption.VertAlign = 0;
  return t;
}

// ---------------------------------------------------------------------------
// Storage

void TGeoMap::TLMKeys::Reserve(std::size_t Count) {
  Lat.reserve(Count);
  Long.reserve(Count);
  Class.reserve(Count);
}

void TGeoMap::TLMKeys::Clear() {
  std::vector<double>().swap(Lat);
  std::vector<double>().swap(Long);
  std::vector<uint8_t>().swap(Class);
}

void TGeoMap::TLMKeys::Push(const TLandMark& LandMark) {
  Lat.push_back(LandMark.Latitude);
  Long.push_back(LandMark.Longitude);
  Class.push_back(LandMark.Class);
}

void TGeoMap::TLMKeys::Set(std::size_t Ix, const TLandMark& LandMark) {
  Lat[Ix] = LandMark.Latitude;
  Long[Ix] = LandMark.Longitude;
  Class[Ix] = LandMark.Class;
}

void TGeoMap::TLMKeys::Move(std::size_t From, std::size_t To) {
  Lat[To] = Lat[From];
  Long[To] = Long[From];
  Class[To] = Class[From];
}

void TGeoMap::TLMKeys::Resize(std::size_t Count) {
  Lat.resize(Count);
  Long.resize(Count);
  Class.resize(Count);
}

void TGeoMap::ReserveLandMarks(std::size_t Count) {
  const std::size_t block = LandMarkBlockSize;
  const std::size_t want = Count == 0 ? block : (Count - 1) / block * block + block;
  if (want <= landMarks_.capacity()) return;
  try {
    landMarks_.reserve(want);
    lmKeys_.Reserve(want);
  } catch (const std::bad_alloc&) {
    RaiseComponentError<ENUVGeoMapError>(*this, "insufficient memory");
  } catch (const std::length_error&) {
    RaiseComponentError<ENUVGeoMapError>(*this, "insufficient memory");
  }
}

void TGeoMap::ResetLandMarkStorage() {
  std::vector<TLandMark>().swap(landMarks_);
  lmKeys_.Clear();
  highLM_ = 0;
  ReserveLandMarks(0);
}

void TGeoMap::AppendLandMark(const TLandMark& LandMark) {
  ReserveLandMarks(landMarks_.size() + 1);
  landMarks_.push_back(LandMark);
  lmKeys_.Push(LandMark);
}

bool TGeoMap::LandMarkAllowed(TLandMarkAction Action, const TLandMark& LandMark) {
  if (!OnLandMarkAction) return true;
  // The handler gets a copy: it may change the list.
  const TLandMark offered = LandMark;
  bool allowed = true;
  OnLandMarkAction(this, allowed, Action, offered);
  return allowed;
}

// ---------------------------------------------------------------------------
// Adding

void TGeoMap::AddFromTemplate(TLandMark LandMark) {
  if (!LandMarkAllowed(lmaAdd, LandMark)) return;
  AppendLandMark(LandMark);
  ViewChanged();
}

void TGeoMap::AddLandMark(double Lat, double Long, double Alti) {
  TLandMark l = template_;
  l.Latitude = Lat;
  l.Longitude = Long;
  l.Altitude = Alti;
  AddFromTemplate(std::move(l));
}

void TGeoMap::AddLandMark(double Lat, double Long, double Alti, std::string_view Ident,
                          TDateTime Date) {
  AddLandMark(Lat, Long, Alti, Ident, Date, template_.Caption.Text.View(), template_.Class,
              template_.ColorFg);
}

void TGeoMap::AddLandMark(double Lat, double Long, double Alti, std::string_view Caption,
                          int32_t Class, TColor Color) {
  AddLandMark(Lat, Long, Alti, template_.Ident.View(), template_.Date, Caption, Class, Color);
}

void TGeoMap::AddLandMark(double Lat, double Long, double Alti, std::string_view Ident,
                          TDateTime Date, std::string_view Caption, int32_t Class, TColor Color) {
  TLandMark l = template_;
  l.Latitude = Lat;
  l.Longitude = Long;
  l.Altitude = Alti;
  l.Ident = Ident;
  l.Date = Date;
  l.Caption.Text = Caption;
  l.Class = ClampClass(Class);
  l.ColorFg = Color;
  AddFromTemplate(std::move(l));
}

void TGeoMap::AddLandMark(double Lat, double Long, double Alti, TLandMarkElement Element,
                          uint8_t Class, std::string_view Ident, TDateTime Date, int32_t UserTag,
                          TColor ColorFg, TColor ColorBg, int32_t Size, bool Transp, int32_t Dir,
                          int32_t Leng) {
  TLandMark l = template_;
  l.Latitude = Lat;
  l.Longitude = Long;
  l.Altitude = Alti;
  l.Element = Element;
  l.Class = Class;
  l.Ident = Ident;
  l.Date = Date;
  l.UserTag = UserTag;
  l.ColorFg = ColorFg;
  l.ColorBg = ColorBg;
  l.Size = Size;
  l.Transparent = Transp;
  l.Dir = Dir;
  l.Leng = Leng;
  AddFromTemplate(std::move(l));
}

// ---------------------------------------------------------------------------
// Searching and removing

int32_t TGeoMap::FindLandMark(double Lat, double Long, int32_t Class) const {
  const int32_t filter = ClassFilter(Class);
  double best = 1E10;
  int32_t found = 0;
  const int32_t n = NumLandMarks();
  const double* lat = lmKeys_.Lat.data();
  const double* lon = lmKeys_.Long.data();
  const uint8_t* cls = lmKeys_.Class.data();
  for (int32_t i = 0; i < n; ++i) {
    if (filter >= 0 && cls[i] != filter) continue;
    const double d = Dist2(Lat, Long, lat[i], lon[i]);
    if (d < best) {
      best = d;
      found = i + 1;
    }
  }
  return found;
}

int32_t TGeoMap::RemoveLandMark(double Lat, double Long, int32_t Class) {
  const int32_t i = FindLandMark(Lat, Long, Class);
  if (i == 0 || !LandMarkAllowed(lmaRemove, landMarks_[static_cast<std::size_t>(i - 1)]) ||
      i > NumLandMarks())
    return 0;
  highLM_ = 0;
  const std::size_t ix = static_cast<std::size_t>(i - 1);
  landMarks_[ix] = std::move(landMarks_.back());
  lmKeys_.Move(landMarks_.size() - 1, ix);
  landMarks_.pop_back();
  lmKeys_.Resize(landMarks_.size());
  if (landMarks_.empty()) ResetLandMarkStorage();
  ViewChanged();
  return 1;
}

int32_t TGeoMap::RemoveMarked(const std::function<bool(std::size_t)>& Candidate) {
  highLM_ = 0;
  const int32_t n = NumLandMarks();
  TBitFld marked(nullptr);
  marked.SetSize(n);
  int32_t removed = 0;
  for (int32_t i = 1; i <= n && n == NumLandMarks(); ++i) {
    const std::size_t ix = static_cast<std::size_t>(i - 1);
    if (!Candidate(ix) || !LandMarkAllowed(lmaRemove, landMarks_[ix])) continue;
    marked.SetBit(i, true);
    ++removed;
  }
  // A handler that added or removed landmarks has changed the numbers.
  if (n != NumLandMarks()) removed = 0;
  if (removed == n) {
    ResetLandMarkStorage();
  } else if (removed > 0) {
    // The first marked slot receives the last unmarked landmark, until no
    // marked slot is left below the end.
    int32_t last = n;
    const auto dropMarkedTail = [&] {
      while (last >= 1 && marked.GetBit(last)) --last;
    };
    dropMarkedTail();
    for (int32_t i = 1; i <= last; ++i) {
      if (!marked.GetBit(i)) continue;
      const auto to = static_cast<std::size_t>(i - 1), from = static_cast<std::size_t>(last - 1);
      landMarks_[to] = std::move(landMarks_[from]);
      lmKeys_.Move(from, to);
      marked.SetBit(i, false);
      --last;
      dropMarkedTail();
    }
    landMarks_.resize(static_cast<std::size_t>(last));
    lmKeys_.Resize(static_cast<std::size_t>(last));
  }
  ViewChanged();
  return removed;
}

int32_t TGeoMap::RemoveLandMark(double Lat, double Long, int32_t Class, double Radius) {
  const int32_t filter = ClassFilter(Class);
  const double r2 = Radius * Radius;
  const TLMKeys& k = lmKeys_;
  return RemoveMarked([&](std::size_t i) {
    return OfClass(k.Class[i], filter) && Dist2(Lat, Long, k.Lat[i], k.Long[i]) < r2;
  });
}

int32_t TGeoMap::RemoveLandMark(const TRectDouble& Rect, int32_t Class) {
  const int32_t filter = ClassFilter(Class);
  const TLMKeys& k = lmKeys_;
  return RemoveMarked([&](std::size_t i) {
    return OfClass(k.Class[i], filter) && Rect.Left < k.Long[i] && k.Long[i] < Rect.Right &&
           Rect.Bottom < k.Lat[i] && k.Lat[i] < Rect.Top;
  });
}

void TGeoMap::RemoveAllLandMarks(int32_t Class) {
  const int32_t filter = ClassFilter(Class);
  RemoveMarked([&](std::size_t i) { return OfClass(lmKeys_.Class[i], filter); });
}

void TGeoMap::RemoveAllLandMarks() {
  ResetLandMarkStorage();
  ViewChanged();
}

void TGeoMap::RemoveLastLandMark() {
  if (landMarks_.empty() || !LandMarkAllowed(lmaRemove, landMarks_.back()) || landMarks_.empty())
    return;
  highLM_ = 0;
  landMarks_.pop_back();
  lmKeys_.Resize(landMarks_.size());
  if (landMarks_.empty()) ResetLandMarkStorage();
  ViewChanged();
}

TLandMark TGeoMap::GetLandMarkData(int32_t Index) const {
  if (!(Index >= 1 && Index <= NumLandMarks())) return TLandMark{};
  return landMarks_[static_cast<std::size_t>(Index - 1)];
}

void TGeoMap::SetLandMarkData(int32_t Index, const TLandMark& LandMark) {
  if (!(Index >= 1 && Index <= NumLandMarks())) return;
  const std::size_t ix = static_cast<std::size_t>(Index - 1);
  landMarks_[ix] = LandMark;
  lmKeys_.Set(ix, LandMark);
  ViewChanged();
}

}  // namespace nuv
