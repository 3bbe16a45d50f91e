// Calibrated maps: a raster map image tied to geographic coordinates by one
// of six calibration models, converted in both directions, and saved with
// its calibration as an XML block. TGeoMap holds the image's name and size
// and its calibration (Nuv_geomap_calib.h, usable without a map) and offers
// the calibration under its own names.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "nuv/Nuv_geomap_calib.h"
#include "nuv/Nuv_nuvbase.h"
#include "nuv/platform/Streams.h"
#include "nuv/platform/TextFile.h"

namespace nuv {

// Before a map image is loaded; the handler may change the file name.
using TMapImgRequestEvent = std::function<void(TObject* Sender, std::string& FileName)>;

class TGeoMap : public TComponent {
 public:
  explicit TGeoMap(TComponent* AOwner);
  ~TGeoMap() override;

  TMapImgRequestEvent OnMapImageRequest;

  // The calibration itself, for what TGeoMap does not forward.
  TGeoMapCalibration& Calibration() { return calib_; }
  const TGeoMapCalibration& Calibration() const { return calib_; }

  // ---- the map image
  const std::string& MapImgName() const { return mapImgName_; }
  // Stores the name and takes the image size from the file's header (a
  // ".jpg", ".jpeg" or ".bmp" file, after OnMapImageRequest); 0 × 0 when
  // there is no such readable file.
  void SetMapImgName(std::string_view Name);
  int32_t ImageWidth() const { return calib_.ImageWidth(); }
  int32_t ImageHeight() const { return calib_.ImageHeight(); }
  const std::string& MapCaption() const { return calib_.Data().Caption; }
  void SetMapCaption(std::string_view Caption) { calib_.SetCaption(Caption); }
  // The calibration file last loaded by name; setting an existing file
  // loads it with LoadCalDataFromXML(Name, ""), a missing one empties the
  // image size.
  const std::string& CalDatName() const { return calDatName_; }
  void SetCalDatName(std::string_view Name);
  void Paint() {}

  // ---- calibration (see TGeoMapCalibration)
  const TCalibData& CalibData() const { return calib_.Data(); }
  TCalibModel CalibModel() const { return calib_.CalibModel(); }
  void SetCalibModel(TCalibModel Value) { calib_.SetCalibModel(Value); }
  int32_t UTMZone() const { return calib_.UTMZone(); }
  void SetUTMZone(int32_t Value) { calib_.SetUTMZone(Value); }
  THemisphere UTMHemisphere() const { return calib_.UTMHemisphere(); }
  void SetUTMHemisphere(THemisphere Value) { calib_.SetUTMHemisphere(Value); }

  bool AddCalibPoint(TGratLineKind Kind, double Value, int32_t X, int32_t Y) {
    return calib_.AddCalibPoint(Kind, Value, X, Y);
  }
  bool AddCalibPoint(double Lat, double Long, int32_t X, int32_t Y) {
    return calib_.AddCalibPoint(Lat, Long, X, Y);
  }
  bool AddCalibPoint(double Northing, double Easting, int32_t Zone, THemisphere Hemisphere,
                     int32_t X, int32_t Y) {
    return calib_.AddCalibPoint(Northing, Easting, Zone, Hemisphere, X, Y);
  }
  bool RemoveCalibPoint(TGratLineKind Kind, double Value, int32_t X, int32_t Y) {
    return calib_.RemoveCalibPoint(Kind, Value, X, Y);
  }
  bool RemoveCalibPoint(int32_t X, int32_t Y) { return calib_.RemoveCalibPoint(X, Y); }
  bool RestoreLastDeletedCalPoint() { return calib_.RestoreLastDeletedCalPoint(); }
  void ClearCalibData() { calib_.ClearCalibData(); }
  void RecalcCalibration() { calib_.RecalcCalibration(); }

  double CalcLatitude(int32_t X, int32_t Y, bool& Valid) const { return calib_.CalcLatitude(X, Y, Valid); }
  double CalcLongitude(int32_t X, int32_t Y, bool& Valid) const { return calib_.CalcLongitude(X, Y, Valid); }
  double CalcLatitude(TPoint P, bool& Valid) const { return calib_.CalcLatitude(P, Valid); }
  double CalcLongitude(TPoint P, bool& Valid) const { return calib_.CalcLongitude(P, Valid); }
  bool CalcPixelCoords(double Lat, double Long, int32_t& X, int32_t& Y) const {
    return calib_.CalcPixelCoords(Lat, Long, X, Y);
  }
  bool CalcPixelCoordsUTM(double Northing, double Easting, int32_t& X, int32_t& Y) const {
    return calib_.CalcPixelCoordsUTM(Northing, Easting, X, Y);
  }
  int32_t CalcUTMyFromNorthingX(double Northing, int32_t X) const {
    return calib_.CalcUTMyFromNorthingX(Northing, X);
  }
  int32_t CalcUTMxFromEastingY(double Easting, int32_t Y) const {
    return calib_.CalcUTMxFromEastingY(Easting, Y);
  }
  void CalibQuality(double& QualX, double& QualY) const { calib_.CalibQuality(QualX, QualY); }

  bool CalcConicCalibration() { return calib_.CalcConicCalibration(); }
  bool CalcMillerCylCalibration() { return calib_.CalcMillerCylCalibration(); }
  bool CalcBiquadraticCalibration() { return calib_.CalcBiquadraticCalibration(); }
  bool CalcEquiRectCalibration() { return calib_.CalcEquiRectCalibration(); }
  bool RecalcGratMat() { return calib_.RecalcGratMat(); }
  void CalcExtentsAndResolution() { calib_.CalcExtentsAndResolution(); }

  // ---- calibration files
  // The block under the map's model, with the map image's name. A file is
  // written beside FileName and replaces it only when complete, so a
  // failed save keeps the old file.
  void SaveCalDataAsXML(const std::string& FileName, const std::string& ID);
  void SaveCalDataAsXML(TStream& Stream, const std::string& ID);
  void WriteCalDataToOpenXMLFile(TextFile& F, bool CreateHeader, const std::string& ID);
  // Replace the calibration by the block of ID (the first for an empty ID)
  // and load its map image: true when the block was found and read to its
  // end tag; false also for a file that cannot be opened. The memory stream
  // is read from its beginning. What did not fit the record is in
  // Calibration().LastReadIssues().
  bool LoadCalDataFromXML(const std::string& FileName, const std::string& ID);
  bool LoadCalDataFromXML(TMemoryStream& Stream, const std::string& ID);
  bool ReadCalDataFromOpenXMLFile(TextFile& F, const std::string& ID) {
    return calib_.ReadCalDataFromOpenXMLFile(F, ID);
  }

 private:
  TGeoMapCalibration calib_;
  std::string mapImgName_;
  std::string calDatName_;
};

}  // namespace nuv
