#include "nuv/Nuv_geoatlas.h"

#include <limits>

#include "maplib_units.h"
#include "nuv/Nuv_filesys.h"
#include "nuv/platform/Bitmap.h"
#include "nuv/platform/CodePage.h"

namespace nuv {

namespace {

constexpr int32_t kPanelHeight = 33;
constexpr int32_t kListWidth = 300;
constexpr int32_t kListTop = 5;

std::string DirectoryOf(const std::string& FileName) {
  return FileName.substr(0, FileName.size() - StripPath(FileName).size());
}

const std::string& ListText(const TMapDefinition& Def) {
  return Def.Caption.empty() ? Def.FileName : Def.Caption;
}

void LoadGlyph(TSpeedButton& Button, std::string_view ResName) {
  TBitmap glyph;
  glyph.LoadFromResourceName("maplib", ResName);
  Button.SetGlyph(&glyph);
}

}  // namespace

TGeoAtlas::TGeoAtlas(TComponent* AOwner) : TCustomControl(AOwner) {
  SetBounds(100, 50, 480, 320);
  Screen().SetCursors(crGeoZoom, LoadCursorFromResource("maplib", "CURGEOZOOM"));
  Screen().SetCursors(crGeoHand, LoadCursorFromResource("maplib", "CURGEOHAND"));
  CreateChildren();
  ConnectMap();
}

TGeoAtlas::~TGeoAtlas() {
  // The view goes with the owned components, after this object's members.
  map_->OnMapImageRequest = nullptr;
  map_->OnDataRendered = nullptr;
  map_->OnMouseDown = nullptr;
  map_->OnMouseMove = nullptr;
  map_->OnMouseUp = nullptr;
  map_->OnClick = nullptr;
  map_->OnDblClick = nullptr;
  cbMaps_->OnChange = nullptr;
}

void TGeoAtlas::CreateChildren() {
  panel_ = new TPanel(this);
  panel_->SetParent(this);
  panel_->SetHeight(kPanelHeight);
  panel_->SetAlign(alTop);
  panel_->SetCursor(crArrow);

  pointerBut_ = new TSpeedButton(this);
  pointerBut_->SetParent(panel_);
  pointerBut_->SetBounds(5, 5, 23, 22);
  pointerBut_->SetGroupIndex(1);
  LoadGlyph(*pointerBut_, "POINTR");
  pointerBut_->SetDown(true);
  pointerBut_->OnClick = [this](TObject*) { ButtonClicked(false); };

  zoomBut_ = new TSpeedButton(this);
  zoomBut_->SetParent(panel_);
  zoomBut_->SetBounds(pointerBut_->Left() + pointerBut_->Width() + 3, 5, 23, 22);
  zoomBut_->SetGroupIndex(1);
  LoadGlyph(*zoomBut_, "ZOOMIN");
  zoomBut_->OnClick = [this](TObject*) { ButtonClicked(true); };

  cbMaps_ = new TComboBox(this);
  cbMaps_->SetParent(panel_);
  cbMaps_->SetStyle(csDropDownList);
  cbMaps_->SetBounds(zoomBut_->Left() + zoomBut_->Width() + 10, kListTop, kListWidth,
                     cbMaps_->Height());
  cbMaps_->OnChange = [this](TObject*) { ListChanged(); };

  map_ = new TGeoMap(this);
  map_->SetParent(this);
  map_->SetAlign(alClient);
  map_->SetEmptyMsg("TGeoAtlas: Empty");
}

void TGeoAtlas::ConnectMap() {
  map_->OnMapImageRequest = [this](TObject*, std::string& FileName) {
    RedirectImage(FileName);
    if (OnMapImageRequest) OnMapImageRequest(this, FileName);
  };
  map_->OnDataRendered = [this](TObject*, TCanvas& Canvas) {
    DrawOutlines(Canvas);
    if (OnDataRendered) OnDataRendered(this, Canvas);
  };
  map_->OnMouseDown = [this](TObject*, TMouseButton Button, TShiftState Shift, int32_t X,
                             int32_t Y) {
    TCustomControl::MouseDown(Button, Shift, X, Y);
    if (zoomBut_->Down()) ZoomAtClick(Button, X, Y);
  };
  map_->OnMouseMove = [this](TObject*, TShiftState Shift, int32_t X, int32_t Y) {
    TCustomControl::MouseMove(Shift, X, Y);
  };
  map_->OnMouseUp = [this](TObject*, TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
    TCustomControl::MouseUp(Button, Shift, X, Y);
  };
  map_->OnClick = [this](TObject*) { Click(); };
  map_->OnDblClick = [this](TObject*) { DblClick(); };
}

// ---- registry

int32_t TGeoAtlas::FindMap(const std::string& Key) const {
  for (std::size_t i = 0; i < keys_.size(); ++i)
    if (keys_[i] == Key) return static_cast<int32_t>(i) + 1;
  return 0;
}

bool TGeoAtlas::RegisterMap(std::string_view FileName) {
  const std::string name(FileName);
  std::string key = AnsiLowerCase(name);
  const int32_t found = FindMap(key);
  if (found == 0 && MapCount() >= MaxAtlasMaps) return false;
  TCalibData data;
  TCalibModel model = cmUndefined;
  try {
    if (!ParseCalibData(name, "", data, model)) return false;
  } catch (const Exception&) {
    return false;
  }
  TMapDefinition def{name, data.Caption, data.Resolution, data.Corners};
  // Only the item of this map changes: rebuilding the whole list would
  // make registering n maps cost n² list items.
  if (found > 0) {
    maps_[static_cast<std::size_t>(found) - 1] = std::move(def);
    cbMaps_->Items().Delete(found - 1);
    cbMaps_->Items().Insert(found - 1, ListText(maps_[static_cast<std::size_t>(found) - 1]));
  } else {
    maps_.push_back(std::move(def));
    keys_.push_back(std::move(key));
    cbMaps_->Items().Add(ListText(maps_.back()));
  }
  cbMaps_->SetItemIndex(current_ - 1);
  return true;
}

void TGeoAtlas::UnregisterMap(int32_t Index) {
  if (!(Index >= 1 && Index <= MapCount())) return;
  maps_.erase(maps_.begin() + (Index - 1));
  keys_.erase(keys_.begin() + (Index - 1));
  const int32_t removedCurrent = current_;
  if (current_ > Index) --current_;
  RebuildList();
  if (removedCurrent != Index) {
    map_->Invalidate();
    return;
  }
  current_ = 0;
  if (MapCount() == 0)
    map_->Clear();
  else
    SelectMap(Index <= MapCount() ? Index : MapCount());
  map_->Invalidate();
}

bool TGeoAtlas::SelectMap(int32_t Index) {
  if (!(Index >= 1 && Index <= MapCount())) return false;
  if (!LoadMap(Index)) return false;
  cbMaps_->SetItemIndex(Index - 1);
  return true;
}

bool TGeoAtlas::LoadMap(int32_t Index) {
  const int32_t previous = current_;
  if (ReadMap(Index)) {
    map_->Invalidate();
    return true;
  }
  // A half-read calibration must not pass for the previous map.
  if (previous >= 1 && ReadMap(previous)) return false;
  current_ = 0;
  map_->Clear();
  cbMaps_->SetItemIndex(-1);
  return false;
}

bool TGeoAtlas::ReadMap(int32_t Index) {
  // The number is set first: the image request asks for its directory
  // while the calibration loads.
  current_ = Index;
  try {
    // A calibration without its image is no map to show.
    if (map_->LoadCalDataFromXML(maps_[static_cast<std::size_t>(Index) - 1].FileName, "") &&
        map_->ImageWidth() > 0)
      return true;
  } catch (const Exception&) {
  }
  return false;
}

TMapDefinition TGeoAtlas::GetMapDef(int32_t Index) const {
  if (!(Index >= 1 && Index <= MapCount())) return {};
  return maps_[static_cast<std::size_t>(Index) - 1];
}

void TGeoAtlas::RebuildList() {
  cbMaps_->Items().Clear();
  for (const TMapDefinition& def : maps_) cbMaps_->Items().Add(ListText(def));
  cbMaps_->SetItemIndex(current_ - 1);
}

void TGeoAtlas::ListChanged() {
  const int32_t index = cbMaps_->ItemIndex() + 1;
  if (index >= 1) LoadMap(index);
  cbMaps_->SetItemIndex(current_ - 1);
  if (OnCBoxMapsChange) OnCBoxMapsChange(this);
}

void TGeoAtlas::RedirectImage(std::string& FileName) const {
  if (current_ < 1 || current_ > MapCount()) return;
  FileName =
      DirectoryOf(maps_[static_cast<std::size_t>(current_) - 1].FileName) + StripPath(FileName);
}

// ---- zoom

bool TGeoAtlas::ZoomIn(double Resolution, double Lat, double Long) {
  if (!(Resolution > 0)) return false;
  const double limit = minResDiff_ / 100;
  int32_t best = 0;
  double bestRes = 0;
  for (int32_t i = 1; i <= MapCount(); ++i) {
    const TMapDefinition& def = maps_[static_cast<std::size_t>(i) - 1];
    const double f = def.Resolution;
    if (PositionInMap(Lat, Long, def.Corners) && (Resolution - f) / Resolution > limit &&
        f > bestRes) {
      best = i;
      bestRes = f;
    }
  }
  return ZoomTo(best, Lat, Long);
}

bool TGeoAtlas::ZoomOut(double Resolution, double Lat, double Long) {
  int32_t best = 0;
  double bestRes = 1E10;
  for (int32_t i = 1; i <= MapCount(); ++i) {
    const TMapDefinition& def = maps_[static_cast<std::size_t>(i) - 1];
    const double f = def.Resolution;
    if (PositionInMap(Lat, Long, def.Corners) && f > Resolution && f < bestRes) {
      best = i;
      bestRes = f;
    }
  }
  return ZoomTo(best, Lat, Long);
}

bool TGeoAtlas::ZoomTo(int32_t Index, double Lat, double Long) {
  if (Index == 0 || !SelectMap(Index)) return false;
  map_->BringLocationToCenter(Lat, Long);
  return true;
}

void TGeoAtlas::ZoomAtClick(TMouseButton Button, int32_t X, int32_t Y) {
  if (current_ == 0) return;
  // The view stores the pressed pixel only after its handlers ran.
  const TPoint pixel = map_->ControlToMapImage({X, Y});
  bool validLat = false, validLong = false;
  const double lat = map_->CalcLatitude(pixel, validLat);
  const double lon = map_->CalcLongitude(pixel, validLong);
  if (!validLat || !validLong) return;
  const double res = maps_[static_cast<std::size_t>(current_) - 1].Resolution;
  if (Button == mbLeft)
    ZoomIn(res, lat, lon);
  else
    ZoomOut(res, lat, lon);
}

// ---- buttons and appearance

void TGeoAtlas::ButtonClicked(bool Zoom) {
  const bool zooming = zoomBut_->Down();
  SetCursor(zooming ? crGeoZoom : crHandPoint);
  map_->SetCursor(zooming ? crGeoZoom : crHandPoint);
  map_->SetAllowPan(!zooming);
  Click();
  const TNotifyEvent& event = Zoom ? OnZoomButClick : OnPointerButClick;
  if (event) event(this);
}

void TGeoAtlas::SetCmdPanelVisible(bool Value) { panel_->SetVisible(Value); }

void TGeoAtlas::SetMapOutlineColor(TColor Value) {
  outlineColor_ = Value;
  map_->Invalidate();
}

void TGeoAtlas::SetMapOutlineVisible(bool Value) {
  outlineVisible_ = Value;
  map_->Invalidate();
}

void TGeoAtlas::DrawOutlines(TCanvas& Canvas) {
  if (!outlineVisible_) return;
  Canvas.Pen()->SetColor(outlineColor_);
  Canvas.Pen()->SetStyle(psSolid);
  Canvas.Pen()->SetMode(pmCopy);
  Canvas.Pen()->SetWidth(1);
  const int32_t shown = cbMaps_->ItemIndex() + 1;
  for (int32_t i = 1; i <= MapCount(); ++i) {
    if (i == shown) continue;
    const auto& corners = maps_[static_cast<std::size_t>(i) - 1].Corners;
    bool started = false;
    for (std::size_t k = 0; k <= corners.size(); ++k) {
      // Starts at the last corner so that the four lines close the outline.
      const TLatLong& c = corners[(k + corners.size() - 1) % corners.size()];
      int32_t x = 0, y = 0;
      if (!map_->CalcPixelCoords(c.Lat, c.Long, x, y)) continue;
      const TPoint p = map_->MapImageToCanvas({x, y});
      if (started) {
        Canvas.LineTo(p.X, p.Y);
      } else {
        Canvas.MoveTo(p.X, p.Y);
        started = true;
      }
    }
  }
}

namespace units {

void Nuv_geoatlas_Init() {}
void Nuv_geoatlas_Finalize() {}

}  // namespace units

}  // namespace nuv
