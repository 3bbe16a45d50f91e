// Map calibration: the reference points that tie the pixels of a map image
// to geographic coordinates, the six models fitted to them, the conversions
// in both directions, and the calibration block of the XML files. Part of
// the unit Nuv_geomap (included by Nuv_geomap.h); TGeoMapCalibration needs
// no window, so files can be read and models evaluated without a view.
//
// Pixels are image pixels (x to the right, y downwards, (0, 0) the top-left
// corner); angles are degrees, UTM coordinates metres. Fitted pixels are
// rounded half to even and checked against the 32-bit range first: a
// position that has no finite pixel gives false, never a garbage pixel.
#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "nuv/Nuv_geobasics.h"
#include "nuv/Nuv_nuvbase.h"
#include "nuv/platform/Graphics.h"
#include "nuv/platform/Streams.h"
#include "nuv/platform/TextFile.h"

namespace nuv {

class ENUVGeoMapError : public ENUVError {
 public:
  using ENUVError::ENUVError;
};

class TMatrix;
class TCurveFit;

enum TCalibModel : uint8_t {
  cmParabolicIp,        // interpolation between drawn meridians and parallels
  cmBiquadraticPn,      // second-order polynomials in both directions
  cmConicConformal,     // conic projection about an apex
  cmMillerCylindrical,  // Miller cylindrical projection
  cmEquiRect,           // first-order polynomials (plate carrée)
  cmUTM,                // first-order polynomials in UTM northing and easting
  cmUndefined
};
// The names of the models in calibration files.
inline constexpr std::array<std::string_view, 7> CalibModelNames{
    "parabolicip", "biquadraticpn", "conicconformal", "millercylindrical",
    "equirect",    "utm",           "undefined"};

enum TGratLineKind : uint8_t { gtlMeridian, gtlParallel };
enum TCorners : uint8_t { gcoTopLeft, gcoBottomLeft, gcoBottomRight, gcoTopRight };

inline constexpr int32_t MaxCalLines = 25;
inline constexpr int32_t MaxPointsPerCalLine = 10;
inline constexpr int32_t MaxCalPoints = 200;

// A fixed array indexed from 1 to N, as the calibration record counts its
// lines and points. Indices outside read an empty element; writes there go
// to a scratch element and are lost.
template <class T, int32_t N>
class TCalArray {
 public:
  static constexpr int32_t Count = N;
  T& operator[](int32_t i) {
    if (i >= 1 && i <= N) return items_[i - 1];
    scratch_ = T{};
    return scratch_;
  }
  const T& operator[](int32_t i) const { return i >= 1 && i <= N ? items_[i - 1] : kEmpty; }

 private:
  static constexpr T kEmpty{};
  std::array<T, N> items_{};
  T scratch_{};
};

struct TLatLong {
  double Lat = 0;
  double Long = 0;
};

// A drawn meridian (Value its longitude) or parallel (Value its latitude)
// with up to 10 pixels on it.
struct TCalLine {
  TGratLineKind Kind = gtlMeridian;
  double Value = 0;
  int32_t NumPoints = 0;
  TCalArray<TPoint, MaxPointsPerCalLine> Points;
};

// A reference point; under cmUTM Lat holds the northing and Long the
// easting.
struct TCalPoint {
  double Lat = 0;
  double Long = 0;
  int32_t X = 0;
  int32_t Y = 0;
};

// The calibration state of a map, as files store it.
struct TCalibData {
  std::string MapName;  // file name of the map image
  std::string Caption;
  std::array<TLatLong, 4> Corners{};  // indexed by TCorners
  double Resolution = 0;              // metres per pixel along the middle row
  int32_t NumCalLines = 0;            // 0..25
  TCalArray<TCalLine, MaxCalLines> CalLines;
  int32_t NumCalPoints = 0;  // 0..200
  TCalArray<TCalPoint, MaxCalPoints> CalPoints;
  int32_t UTMZone = -1;  // -1 when not set
  bool UTMSouth = false;
  TGeoEllipsoid Ellipsoid = gelWGS84;
};

// What a reader had to leave out of a block because it does not fit the
// record: lines beyond 25, points beyond 10 on a line or beyond 200, an
// ellipsoid or model name that is not in its table (the ellipsoid then
// stays gelWGS84, the model becomes cmUndefined).
enum TCalibReadIssue : uint8_t {
  criTooManyLines,
  criTooManyLinePoints,
  criTooManyPoints,
  criUnknownEllipsoid,
  criUnknownModel
};
using TCalibReadIssues = std::bitset<5>;

// Fitted parameters of the two projection models.
struct TConicParams {
  double X0 = 0, Y0 = 0;  // apex, pixels
  double KLat = 0, DLat = 0, KLong = 0, DLong = 0;
  // The side of the apex where the points lie: +1 below (larger y), -1
  // above. The model gives a pixel and its mirror image through the apex
  // the same position; pixels are placed on the points' side.
  double Side = 1;
};
struct TMillerParams {
  double K1 = 0, D1 = 0;  // x against longitude in radians
  double K2 = 0, D2 = 0;  // y against the Miller ordinate
};

// The calibration of one map: its points, the current model, the fit and
// the conversions. The image size (set by the map view) bounds the corner
// positions and the resolution. Misuse (a point added through an overload
// that the model does not serve) raises ENUVGeoMapError, worded with the
// owning component's name when there is one.
class TGeoMapCalibration {
 public:
  // Owner (may be null) names the component in messages.
  explicit TGeoMapCalibration(const TComponent* Owner = nullptr);
  ~TGeoMapCalibration();
  TGeoMapCalibration(const TGeoMapCalibration&) = delete;
  TGeoMapCalibration& operator=(const TGeoMapCalibration&) = delete;

  // Called after every recalculation, so that a view can repaint.
  std::function<void()> OnRecalculated;
  // Called by the readers with the image name of the block read, before
  // the model is fitted, so that a view can load the image and set its
  // size.
  std::function<void(const std::string& MapName)> OnLoadMapImage;

  const TCalibData& Data() const { return data_; }
  TCalibModel CalibModel() const { return model_; }
  // Stores the model and recalculates; values outside the enumeration are
  // ignored.
  void SetCalibModel(TCalibModel Value);
  int32_t UTMZone() const { return data_.UTMZone; }
  void SetUTMZone(int32_t Value) { data_.UTMZone = Value; }
  THemisphere UTMHemisphere() const { return data_.UTMSouth ? hemiSouth : hemiNorth; }
  void SetUTMHemisphere(THemisphere Value) { data_.UTMSouth = Value == hemiSouth; }
  TGeoEllipsoid Ellipsoid() const { return data_.Ellipsoid; }
  // Ellipsoids outside the enumeration are ignored.
  void SetEllipsoid(TGeoEllipsoid Value);
  void SetMapName(std::string_view Name) { data_.MapName = Name; }
  void SetCaption(std::string_view Text) { data_.Caption = Text; }

  int32_t ImageWidth() const { return width_; }
  int32_t ImageHeight() const { return height_; }
  // Negative sizes count as 0. Nothing is recalculated.
  void SetImageSize(int32_t Width, int32_t Height);

  // ---- editing (each successful change recalculates)
  // Graticule point, only under cmParabolicIp: extends the line of this
  // kind and exactly this value, or starts one while fewer than 25 exist.
  // False when the point was not stored (a full line, 25 lines, a value
  // that is not finite).
  bool AddCalibPoint(TGratLineKind Kind, double Value, int32_t X, int32_t Y);
  // Geographic point, under cmBiquadraticPn, cmConicConformal,
  // cmMillerCylindrical and cmEquiRect. False (nothing stored) with 200
  // points held or for a coordinate that is not finite.
  bool AddCalibPoint(double Lat, double Long, int32_t X, int32_t Y);
  // UTM point, only under cmUTM; Zone and Hemisphere must be the map's
  // (else "UTM zone parameter changed"). False as the geographic overload.
  bool AddCalibPoint(double Northing, double Easting, int32_t Zone, THemisphere Hemisphere,
                     int32_t X, int32_t Y);
  // Removes the point with exactly this pixel from the line of exactly this
  // kind and value; only under cmParabolicIp. True when one was removed.
  bool RemoveCalibPoint(TGratLineKind Kind, double Value, int32_t X, int32_t Y);
  // Removes the point nearest to the pixel (the first of equally near
  // ones): a graticule point under cmParabolicIp, a reference point under
  // the other models. True when one was removed.
  bool RemoveCalibPoint(int32_t X, int32_t Y);
  // Adds the last removed point again through the overload of the current
  // model's kind (graticule, geographic or UTM); true when it was stored.
  bool RestoreLastDeletedCalPoint();
  // Whether a removed point is held for the current model's kind.
  bool CanRestoreLastDeletedCalPoint() const;
  void ClearCalibData();
  void RecalcCalibration();
  // Multiplies every graticule-line and calibration pixel by Factor
  // (rounded half to even, saturated to 32 bits), for an image rescaled by
  // it, then recalculates. Factors that are not positive and finite are
  // ignored.
  void ScalePixels(double Factor);

  // ---- conversions
  // Latitude and longitude of a pixel; Valid is false (result 0) when the
  // model cannot convert it.
  double CalcLatitude(int32_t X, int32_t Y, bool& Valid) const;
  double CalcLongitude(int32_t X, int32_t Y, bool& Valid) const;
  double CalcLatitude(TPoint P, bool& Valid) const { return CalcLatitude(P.X, P.Y, Valid); }
  double CalcLongitude(TPoint P, bool& Valid) const { return CalcLongitude(P.X, P.Y, Valid); }
  // Pixel of a position; false, with X = Y = 0, when the model has none.
  bool CalcPixelCoords(double Lat, double Long, int32_t& X, int32_t& Y) const;
  // Pixel of UTM coordinates of the map's grid; false (X = Y = 0) unless
  // the model is cmUTM with a fit.
  bool CalcPixelCoordsUTM(double Northing, double Easting, int32_t& X, int32_t& Y) const;
  // Pixel y where the grid line of this northing crosses pixel column X,
  // and pixel x where the line of this easting crosses row Y; 0 unless the
  // model is cmUTM with a fit in which that line is not parallel to the
  // pixel axis.
  int32_t CalcUTMyFromNorthingX(double Northing, int32_t X) const;
  // Northing and easting of a pixel under the map's grid; false (both 0)
  // unless the model is cmUTM with a fit.
  bool CalcUTMCoords(double X, double Y, double& Northing, double& Easting) const;
  int32_t CalcUTMxFromEastingY(double Easting, int32_t Y) const;
  // Standard deviations of the differences between stored and fitted
  // pixels (x and y) over the reference points; 0 with fewer than three
  // points and under cmParabolicIp and cmUndefined.
  void CalibQuality(double& QualX, double& QualY) const;

  // ---- fitting steps
  bool CalcConicCalibration();
  bool CalcMillerCylCalibration();
  bool CalcBiquadraticCalibration();
  bool CalcEquiRectCalibration();
  // Fits a parabola to every line of more than two points; true when at
  // least two meridians and two parallels were fitted.
  bool RecalcGratMat();
  void CalcExtentsAndResolution();

  // Kind (0 meridian, 1 parallel), value and g0, g1, g2 of every line.
  const TMatrix& GratMat() const { return *gratMat_; }
  const TConicParams& ConicParams() const { return conic_; }
  const TMillerParams& MillerParams() const { return miller_; }

  // ---- files
  // The block of this calibration under its own model, after
  // CalcExtentsAndResolution.
  void WriteCalDataToOpenXMLFile(TextFile& F, bool CreateHeader, std::string_view ID);
  void WriteCalDataToStream(TStream& Stream, bool CreateHeader, std::string_view ID);
  // Replaces the calibration by a block read from the position of F or
  // Stream (the first block, or the one of this ID); then fits the model.
  // True when a block was found and read to its end tag; a block that is
  // not found leaves everything unchanged. A malformed line or point list
  // raises ENUVGeoMapError and leaves everything unchanged too.
  bool ReadCalDataFromOpenXMLFile(TextFile& F, std::string_view ID);
  bool ReadCalDataFromStream(TStream& Stream, std::string_view ID);
  // What the last read had to leave out.
  const TCalibReadIssues& LastReadIssues() const { return readIssues_; }

 private:
  struct TDeleted {
    bool Held = false;
    bool Graticule = false;
    bool UTM = false;
    TGratLineKind Kind = gtlMeridian;
    double A = 0, B = 0;  // line value, or the point's two coordinates
    int32_t X = 0, Y = 0;
  };
  template <class Source>
  bool ReadFrom(Source& In, std::string_view ID);
  void Apply(const TCalibData& Data, TCalibModel Model);
  std::string MessagePrefix() const;
  void FitModel();
  void StorePoint(double A, double B, int32_t X, int32_t Y);
  void RemovePointAt(int32_t Index);
  bool RemoveLinePoint(int32_t Line, int32_t Point);
  void Recalculated() const;
  [[noreturn]] void Raise(std::string_view Text) const;
  double LinearCoordinate(int32_t Which, int32_t X, int32_t Y) const;
  bool ParabolicPixel(double Lat, double Long, int32_t& X, int32_t& Y) const;
  double ParabolicValue(TGratLineKind Kind, int32_t X, int32_t Y, bool& Valid) const;
  bool UTMPixel(double Lat, double Long, int32_t& X, int32_t& Y) const;
  bool UTMPosition(int32_t X, int32_t Y, double& Lat, double& Long) const;
  bool UTMFitted() const { return linearFitted_ && model_ == cmUTM; }

  const TComponent* owner_;
  TCalibData data_;
  TCalibModel model_ = cmUndefined;
  int32_t width_ = 0, height_ = 0;
  std::unique_ptr<TMatrix> gratMat_;
  std::array<bool, MaxCalLines> lineFitted_{};
  bool gratComplete_ = false;
  // Pixel to coordinates (sets 0 and 1), coordinates to pixel x and y
  // (sets 2 and 3).
  std::array<std::array<double, 6>, 4> biquad_{};
  std::array<std::array<double, 3>, 4> linear_{};
  bool linearFitted_ = false;
  TConicParams conic_;
  TMillerParams miller_;
  TDeleted deleted_;
  TCalibReadIssues readIssues_;
  // The last pixel converted under cmUTM, so that its latitude and
  // longitude cost one inverse projection; valid for one fit and grid.
  struct TUTMCache {
    uint64_t Fit = 0;
    int32_t X = 0, Y = 0, Zone = 0;
    bool South = false;
    TGeoEllipsoid Ellipsoid = gelWGS84;
    double Lat = 0, Long = 0;
  };
  uint64_t fitCount_ = 1;
  mutable TUTMCache utmCache_;
};

// ---------------------------------------------------------------------------
// Calibration blocks without a map

// Writes the block of CalData under Model at the position of F (open for
// output): the header line when CreateHeader, an empty line, the comment,
// the root line with ID, then corners, resolution, UTM zone, ellipsoid,
// lines and points. I/O errors propagate.
void WriteRawCalDataToOpenXMLFile(TextFile& F, bool CreateHeader, std::string_view ID,
                                  const TCalibData& CalData, TCalibModel Model);
void WriteRawCalDataToStream(TStream& Stream, bool CreateHeader, std::string_view ID,
                             const TCalibData& CalData, TCalibModel Model);

// Reads the first calibration block of the file or stream (from its
// beginning), or the one of this ID, into CalData and Model: true when the
// block was found and read to its end tag, false when it was not found
// (CalData and Model unchanged) or its end tag is missing (what was read
// is kept), and false for a file that cannot be opened. A missing model
// attribute gives cmBiquadraticPn. A line type other than meridian and
// parallel, or a point count that does not match the groups, raises
// ENUVGeoMapError "ParseCalibData: ...". Issues tells what did not fit.
bool ParseCalibData(const std::string& FileName, const std::string& ID, TCalibData& CalData,
                    TCalibModel& Model);
bool ParseCalibData(TStream& Stream, const std::string& ID, TCalibData& CalData,
                    TCalibModel& Model);
bool ParseCalibData(TStream& Stream, const std::string& ID, TCalibData& CalData,
                    TCalibModel& Model, TCalibReadIssues& Issues);

}  // namespace nuv
