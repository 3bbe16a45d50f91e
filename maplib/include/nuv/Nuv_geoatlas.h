// The atlas: a set of calibrated maps, each known by its calibration file,
// shown one at a time in an embedded map view. TGeoAtlas is a control (a
// QWidget) with a command panel on top (a pointer button, a zoom button
// and a drop-down list of the registered maps) over the TGeoMap. In zoom
// mode a left click on the map switches to the next finer registered map
// that covers the clicked position, any other button to the next coarser
// one, and centres the view there. The outlines of the other registered
// maps are drawn over the current one.
//
// Maps are numbered 1..MaxAtlasMaps in the order of registration; 0 means
// none. The list's item i-1 is map i. Resources of the unit: the glyphs
// ":/maplib/POINTR", "ZOOMIN" and "ZOOM11" and the cursors "CURGEOZOOM"
// (screen cursor crGeoZoom) and "CURGEOHAND" (crGeoHand).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "nuv/Nuv_geomap.h"
#include "nuv/Nuv_nuvbase.h"
#include "nuv/platform/Controls.h"
#include "nuv/platform/Forms.h"
#include "nuv/platform/StdCtrls.h"

namespace nuv {

inline constexpr int32_t MaxAtlasMaps = 200;
inline constexpr TCursor crGeoZoom = 1000;
inline constexpr TCursor crGeoHand = 1001;

// One registered map, as its calibration file describes it.
struct TMapDefinition {
  std::string FileName;  // the calibration file, as registered
  std::string Caption;
  double Resolution = 0;              // metres per pixel
  std::array<TLatLong, 4> Corners{};  // indexed by TCorners
};

class TGeoAtlas : public TCustomControl {
 public:
  // Bounds (100, 50, 480, 320), no map; registers the two cursors with
  // Screen().
  explicit TGeoAtlas(TComponent* AOwner);
  ~TGeoAtlas() override;

  // The embedded map view. The atlas owns its OnMapImageRequest,
  // OnDataRendered and mouse events; use the atlas's events instead.
  TGeoMap& GeoMap() { return *map_; }
  const TGeoMap& GeoMap() const { return *map_; }

  // ---- registry
  // Reads caption, resolution and corners from the first calibration block
  // of FileName. A file already registered under the same name in any
  // letter case is updated (and keeps its number), else the map is
  // appended. False, with nothing changed, for a file that cannot be read
  // or holds no complete block, and when MaxAtlasMaps maps are held.
  bool RegisterMap(std::string_view FileName);
  // Removes map Index (1..MapCount, else nothing); the maps after it move
  // down. When it was the current map, the map now at its place (or the
  // new last one) is selected; without maps none is shown.
  void UnregisterMap(int32_t Index);
  // Loads map Index's calibration and image into the view and makes it
  // current: true when the calibration block was read. False, with the
  // current map unchanged, for an index outside 1..MapCount and for a
  // file that is gone or broken.
  bool SelectMap(int32_t Index);
  // The definition; empty outside 1..MapCount.
  TMapDefinition GetMapDef(int32_t Index) const;
  int32_t MapCount() const { return static_cast<int32_t>(maps_.size()); }
  // 0 for none.
  int32_t CurrentMap() const { return current_; }

  // ---- zoom
  // Selects, among the maps whose corners contain (Lat, Long), the one of
  // the largest resolution f with (Resolution - f) / Resolution above
  // MinResDiff percent (an earlier map wins ties), and centres the view on
  // the position. False, with nothing changed, when no map qualifies or
  // Resolution is not positive.
  bool ZoomIn(double Resolution, double Lat, double Long);
  // As ZoomIn for the smallest f above Resolution.
  bool ZoomOut(double Resolution, double Lat, double Long);

  // ---- appearance
  bool CmdPanelVisible() const { return panel_->Visible(); }
  void SetCmdPanelVisible(bool Value);
  TColor MapOutlineColor() const { return outlineColor_; }
  void SetMapOutlineColor(TColor Value);
  bool MapOutlineVisible() const { return outlineVisible_; }
  void SetMapOutlineVisible(bool Value);
  // Percent.
  double MinResDiff() const { return minResDiff_; }
  void SetMinResDiff(double Value) { minResDiff_ = Value; }

  // The child controls, for layouts and tests.
  TPanel& CmdPanel() { return *panel_; }
  TSpeedButton& PointerButton() { return *pointerBut_; }
  TSpeedButton& ZoomButton() { return *zoomBut_; }
  TComboBox& MapList() { return *cbMaps_; }

  TNotifyEvent OnZoomButClick;
  TNotifyEvent OnPointerButClick;
  // The user chose a map in the list.
  TNotifyEvent OnCBoxMapsChange;
  // With the image file name already placed beside the current map's
  // calibration file; the handler may change it further.
  TMapImgRequestEvent OnMapImageRequest;
  // After the outlines, with the map view's canvas.
  TRenderEvent OnDataRendered;

 private:
  void CreateChildren();
  void ConnectMap();
  void RebuildList();
  // Key: the lower-cased file name.
  int32_t FindMap(const std::string& Key) const;
  // Makes Index current when its calibration and image load; else the
  // previous map is restored, or none.
  bool LoadMap(int32_t Index);
  // Index current and loaded: true when both calibration and image came.
  bool ReadMap(int32_t Index);
  void ButtonClicked(bool Zoom);
  void ListChanged();
  void RedirectImage(std::string& FileName) const;
  void DrawOutlines(TCanvas& Canvas);
  void ZoomAtClick(TMouseButton Button, int32_t X, int32_t Y);
  bool ZoomTo(int32_t Index, double Lat, double Long);

  TPanel* panel_ = nullptr;
  TSpeedButton* pointerBut_ = nullptr;
  TSpeedButton* zoomBut_ = nullptr;
  TComboBox* cbMaps_ = nullptr;
  TGeoMap* map_ = nullptr;
  std::vector<TMapDefinition> maps_;
  std::vector<std::string> keys_;  // lower-cased file names, as maps_
  int32_t current_ = 0;
  double minResDiff_ = 10.0;
  TColor outlineColor_ = 0xFF0000;
  bool outlineVisible_ = true;
};

}  // namespace nuv
