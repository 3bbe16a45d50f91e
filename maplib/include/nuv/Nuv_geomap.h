// Calibrated maps: a raster map image tied to geographic coordinates by one
// of six calibration models, converted in both directions, and saved with
// its calibration as an XML block. TGeoMap is the map view, a control (a
// QWidget usable in any layout) that shows the image at a magnification
// and pan offset with a graticule or UTM grid, the calibration points and
// a frame over it, draws the landmarks of its list (Nuv_geomap_landmarks.h),
// and pans and zooms with the mouse. It holds the
// calibration (Nuv_geomap_calib.h, usable without a map) and offers it
// under its own names.
//
// Control pixels count from the control's top-left corner, image pixels
// from the image's; Magnification is control pixels per image pixel and
// TopLeft the image pixel shown at the control's (0, 0). Conversions round
// half to even. Nothing raises inside the control's mouse handling: the
// mouse clamps where a call would raise.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "nuv/Nuv_geomap_calib.h"
#include "nuv/Nuv_geomap_landmarks.h"
#include "nuv/Nuv_geomap_view.h"
#include "nuv/Nuv_nuvbase.h"
#include "nuv/platform/Bitmap.h"
#include "nuv/platform/Controls.h"
#include "nuv/platform/Streams.h"
#include "nuv/platform/TextFile.h"

namespace nuv {

// Before a map image is loaded; the handler may change the file name.
using TMapImgRequestEvent = std::function<void(TObject* Sender, std::string& FileName)>;

class TGeoMap : public TCustomControl {
 public:
  // 500 × 400 pixels, no image, cmUndefined, the initial zoom state in the
  // history.
  explicit TGeoMap(TComponent* AOwner);
  ~TGeoMap() override;

  // ---- events
  TMapImgRequestEvent OnMapImageRequest;
  TProgressEvent OnDataLoading;  // decoding a JPEG file
  TRenderEvent OnBeforeRenderData;
  TRenderEvent OnDataRendered;
  TOnRubberBandActionEvent OnBeginRubberBand;
  TOnRubberBandActionEvent OnContinueRubberBand;
  TOnRubberBandActionEvent OnEndRubberBand;
  TZoomPanEvent OnZoomPan;

  // The calibration itself, for what TGeoMap does not forward.
  TGeoMapCalibration& Calibration() { return calib_; }
  const TGeoMapCalibration& Calibration() const { return calib_; }

  // ---- the map image
  const std::string& MapImgName() const { return mapImgName_; }
  // Loads a ".jpg", ".jpeg" or ".bmp" file (extension in any case) named
  // by Name after OnMapImageRequest may have changed it, and stores Name
  // (as given, before the event) and resets TopLeft. A missing file or
  // another extension leaves no image (0 × 0). An image above
  // MaxMapImagePixels raises ENUVGeoMapError, read from the file's header
  // before decoding; that and a file that cannot be decoded
  // (EInvalidGraphic, EInOutError) leave the previous image, name and
  // calibration.
  void SetMapImgName(std::string_view Name);
  // Copies Bitmap as the map image under the name "$unknown$"; the size
  // limit as SetMapImgName.
  void SetMapBitMap(const TBitmap& Bitmap);
  // The map image (empty when none).
  const TBitmap& MapBitMap() const { return *image_; }
  int32_t ImageWidth() const { return calib_.ImageWidth(); }
  int32_t ImageHeight() const { return calib_.ImageHeight(); }
  const std::string& MapCaption() const { return calib_.Data().Caption; }
  void SetMapCaption(std::string_view Caption) { calib_.SetCaption(Caption); }
  // The calibration file last loaded by name; setting an existing file
  // loads it with LoadCalDataFromXML(Name, ""), a missing one empties the
  // image size.
  const std::string& CalDatName() const { return calDatName_; }
  void SetCalDatName(std::string_view Name);

  // Writes the image as JPEG under FileName's name with extension ".jpg"
  // (which becomes MapImgName, without directory) and the calibration
  // under ".xml", both beside FileName. Each file replaces its old version
  // only when complete; on failure the old files and MapImgName stay and
  // the error propagates. Without an image ENUVGeoMapError is raised.
  void SaveMap(const std::string& FileName, const std::string& ID);
  // Renames the image file to NewName (made file-name safe, without
  // directory and extension) in its directory with its extension. False
  // when either name is empty, the image file does not exist, the target
  // exists or the move fails.
  bool RenameMapImg(std::string_view NewName);
  // Generates a Width × Height (at least 100 × 100) graticule image of the
  // bounds (put in order; a step that is not positive becomes 30°), lets
  // DrawProc draw into it, saves it as FileName with ".bmp" and a
  // biquadratic calibration of nine points as ".xml", and loads both.
  // ENUVGeoMapError for equal or non-finite bounds and for steps that give
  // more than MaxGridLinesPerAxis lines.
  void CreateAndLoadEmptyMap(const std::string& FileName, double LatLow, double LongLow,
                             double LatHigh, double LongHigh, double LatStep, double LongStep,
                             int32_t Width, int32_t Height, const TEmptyMapDrawProc& DrawProc);
  // Rescales the image to round(W·Factor) × round(H·Factor) and every
  // calibration pixel by Factor, then recalculates. ENUVGeoMapError for a
  // factor that is not positive or finite, an image that would leave
  // 1..MaxMapImagePixels pixels, or no image.
  void ResizeMap(double Factor);
  // The factor MaxSize / max(W, H); ENUVGeoMapError without an image or
  // for MaxSize < 1.
  void ResizeMap(int32_t MaxSize);
  // Forgets the image, its names and the calibration (cmUndefined).
  void Clear();

  // ---- view
  double Magnification() const { return mag_; }
  // ENUVError outside MinMagnification..MaxMagnification (and for NaN).
  void SetMagnification(double Value);
  TPoint TopLeft() const { return topLeft_; }
  void SetTopLeft(TPoint Value);
  // The whole image in the control. Nothing without an image.
  void ZoomFitPage();
  // TopLeft limited so that the control is covered by the image where the
  // image is large enough, and to at least 0.
  void PanMapToFillWindow();
  void BringMapPixelToCenter(TPoint P);
  // Only when the position has a pixel.
  void BringLocationToCenter(double Lat, double Long);
  TPoint ControlToMapImage(TPoint P) const;
  TPoint MapImageToControl(TPoint P) const;
  // Image pixel P in pixels of the canvas being rendered: inside
  // OnBeforeRenderData, OnDrawLandmark and OnDataRendered those of that
  // rendering (PaintTo, CopyToBMP and printing have their own origin and
  // scale), elsewhere those of the control.
  TPoint MapImageToCanvas(TPoint P) const;
  bool IsPositionWithinMap(double Lat, double Long) const;
  // Fires OnZoomPan.
  void DoZoomPanEvent();

  // ---- zoom history: a ring of ZoomHistorySize states
  void ZoomStateOnStack();
  // Restores the state Steps (-15..0) before the last one stored, unless
  // that entry is unused; other values do nothing.
  void ZoomHistory(int32_t Steps);
  // That entry; all zero for Steps outside -15..0.
  TZoomStackEntry GetZoomStackEntry(int32_t Steps) const;
  void ClearZoomHistory();

  // ---- mouse
  TMouseActMode MouseAction() const { return mouseAction_; }
  void SetMouseAction(TMouseActMode Value);
  bool AllowPan() const { return mouseAction_ == maPan; }
  void SetAllowPan(bool Value) { SetMouseAction(Value ? maPan : maNone); }
  bool ConfinePanToMapImage() const { return confinePan_; }
  void SetConfinePanToMapImage(bool Value);
  // The position of the image pixel of the last mouse press; 0 when the
  // calibration cannot convert it.
  double GetLastMClickLatitude() const;
  double GetLastMClickLongitude() const;
  TPoint LastMClickPixel() const { return lastClick_; }
  // Lets the user drag a rectangle with the left button (a right press or
  // MouseBoxAbort cancels) while the application's messages are processed;
  // the mouse actions are off meanwhile. True with the control-pixel
  // corners ordered (X1 <= X2, Y1 <= Y2); false with the arguments
  // unchanged when cancelled. False at once when a box is already running.
  bool MouseBox(int32_t& X1, int32_t& Y1, int32_t& X2, int32_t& Y2);
  void MouseBoxAbort() { boxAbort_ = true; }

  // ---- appearance (setters repaint)
  bool AntiAlias() const { return antiAlias_; }
  void SetAntiAlias(bool Value);
  double CacheMagLimit() const { return cacheMagLimit_; }
  // Clamped into 0..2/3.
  void SetCacheMagLimit(double Value);
  TColor ColorBackGnd() const { return colorBackGnd_; }
  void SetColorBackGnd(TColor Value) { SetAndRepaint(colorBackGnd_, Value); }
  TColor ColorGraticule() const { return colorGraticule_; }
  void SetColorGraticule(TColor Value) { SetAndRepaint(colorGraticule_, Value); }
  TColor ColorCalibPoints() const { return colorCalibPoints_; }
  void SetColorCalibPoints(TColor Value) { SetAndRepaint(colorCalibPoints_, Value); }
  TColor ColorFrame() const { return colorFrame_; }
  void SetColorFrame(TColor Value) { SetAndRepaint(colorFrame_, Value); }
  const std::string& EmptyMsg() const { return emptyMsg_; }
  void SetEmptyMsg(std::string_view Value);
  TFrameStyle FrameStyle() const { return frameStyle_; }
  void SetFrameStyle(TFrameStyle Value) { SetAndRepaint(frameStyle_, Value); }
  TShowGrat ShowGraticule() const { return showGrat_; }
  void SetShowGraticule(TShowGrat Value);
  // Degrees, clamped into 0..60; 0 chooses the spacing from the map.
  double GratLineDist() const { return gratLineDist_; }
  void SetGratLineDist(double Value);
  // Metres, clamped into 0..10000000; 0 chooses the spacing from the map.
  int32_t UTMGridDist() const { return utmGridDist_; }
  void SetUTMGridDist(int32_t Value);

  // ---- landmark display
  int32_t RandSampleLimit() const { return randSampleLimit_; }
  // Values up to 1000 are ignored.
  void SetRandSampleLimit(int32_t Value);
  // Classes 0..255; others read false and are not stored.
  bool GetClassVisibility(int32_t Class) const;
  void SetClassVisibility(int32_t Class, bool Visible);
  // 1-based number of the highlighted landmark, 0 for none; values outside
  // 0..NumLandMarks become 0.
  int32_t HighLM() const { return highLM_; }
  void SetHighLM(int32_t Value);
  void SetHighLightProperties(TColor Color1, TColor Color2, bool Flag);
  TColor HighLightColor1() const { return highColor1_; }
  TColor HighLightColor2() const { return highColor2_; }
  bool HighLightFlag() const { return highFlag_; }

  // ---- landmarks (numbered from 1)
  TLandMarkActionEvent OnLandMarkAction;
  TDrawLandMarkEvent OnDrawLandmark;
  int32_t NumLandMarks() const { return static_cast<int32_t>(landMarks_.size()); }
  // Slots reserved: blocks of LandMarkBlockSize, at least one block.
  int32_t LandMarkCapacity() const { return static_cast<int32_t>(landMarks_.capacity()); }
  // What the adding overloads take where they have no argument.
  const TLandMark& LandMarkTemplate() const { return template_; }
  void SetLandMarkTemplate(const TLandMark& Value) { template_ = Value; }

  // Each builds the landmark from the template and the arguments (the
  // identifier cut to 15 characters, a class clamped into 0..255), offers
  // it to OnLandMarkAction and appends it unless refused; repaints.
  // ENUVGeoMapError "insufficient memory" when storage cannot grow.
  void AddLandMark(double Lat, double Long, double Alti);
  void AddLandMark(double Lat, double Long, double Alti, std::string_view Ident, TDateTime Date);
  void AddLandMark(double Lat, double Long, double Alti, std::string_view Caption, int32_t Class,
                   TColor Color);
  void AddLandMark(double Lat, double Long, double Alti, std::string_view Ident, TDateTime Date,
                   std::string_view Caption, int32_t Class, TColor Color);
  // A full symbol; the caption from the template.
  void AddLandMark(double Lat, double Long, double Alti, TLandMarkElement Element, uint8_t Class,
                   std::string_view Ident, TDateTime Date, int32_t UserTag, TColor ColorFg,
                   TColor ColorBg, int32_t Size, bool Transp, int32_t Dir, int32_t Leng);

  // Removal and search take a class 0..255, or -1 (and any value outside
  // 0..255) for every class; distances are d² = ΔLat² + ΔLong² in degrees,
  // NaN positions are never near. Each landmark to be removed is offered
  // to OnLandMarkAction; the last landmarks move into the slots freed, so
  // the order is not kept. The removals of several reset the highlight,
  // the others when they remove; the view repaints.
  //
  // Every landmark with d² < Radius²; the number removed.
  int32_t RemoveLandMark(double Lat, double Long, int32_t Class, double Radius);
  // Every landmark strictly inside Rect (Left < long < Right, Bottom < lat
  // < Top); the number removed.
  int32_t RemoveLandMark(const TRectDouble& Rect, int32_t Class);
  // The nearest landmark (as FindLandMark); the number removed, 0 or 1.
  int32_t RemoveLandMark(double Lat, double Long, int32_t Class);
  // The number of the nearest landmark with d² below 1E10 (the first of
  // equals), 0 for none.
  int32_t FindLandMark(double Lat, double Long, int32_t Class) const;
  void RemoveLastLandMark();
  void RemoveAllLandMarks(int32_t Class);
  // Empties the list without asking.
  void RemoveAllLandMarks();
  // A copy of landmark Index; an all-zero record outside 1..NumLandMarks.
  TLandMark GetLandMarkData(int32_t Index) const;
  // Only for 1..NumLandMarks; repaints.
  void SetLandMarkData(int32_t Index, const TLandMark& LandMark);

  // Landmark files: the block "gmlandmarks" of ID (the first for an empty
  // ID) replaces the list, without OnLandMarkAction; false, with the list
  // unchanged, when there is none (or the file cannot be opened). A block
  // cut short keeps the landmarks read before the damage. Missing
  // attributes read as 0 or empty, classes are clamped into 0..255,
  // unknown elements and lmUserDef read as lmCross.
  bool LoadLandMarks(const std::string& FileName, const std::string& ID);
  bool ReadLandMarksFromOpenXMLFile(TextFile& F, const std::string& ID);
  // Every field of every landmark, read back exactly (the date to the
  // whole second, lmUserDef as lmCross). SaveLandmarks replaces FileName
  // only when the new file is complete.
  void SaveLandmarks(const std::string& FileName, const std::string& ID);
  void WriteLandMarksToOpenXMLFile(TextFile& F, bool CreateHeader, const std::string& ID);

  // ---- drawing
  bool SuppressPaint() const { return suppressPaint_; }
  void SetSuppressPaint(bool Value);
  // Draws the view into the internal bitmap of the control's size
  // (background, image, graticule, points, landmarks, highlight, frame),
  // which the control shows;
  // nothing while SuppressPaint.
  void Paint() override;
  // The internal bitmap: what the control shows, mouse feedback included.
  const TBitmap& ViewBitmap() const { return *view_; }
  // Renders the view with image pixel At at the top-left corner and Scale
  // target pixels per image pixel on Canvas, over Width × Height pixels
  // from its origin, with overlays and frame as on screen (the image
  // stretched directly, without the cache). ENUVGeoMapError for a scale
  // outside the magnification range.
  void PaintTo(TCanvas& Canvas, TPoint At, double Scale, int32_t Width, int32_t Height);
  // PaintTo into Bitmap, resized to Width × Height (each at least 1).
  void CopyToBMP(TBitmap& Bitmap, TPoint At, double Scale, int32_t Width, int32_t Height);
  // The view as shown, inside a 2-pixel border, to the clipboard.
  void CopyToClipboard();
  // The whole image at magnification 1 with its overlays to the clipboard.
  void CopyEntireMapToClipboard();
  // Printer rectangle covered by the view printed at (X, Y) with Scale
  // printer pixels per control pixel.
  TRect CalcExtentsOfPrint(int32_t X, int32_t Y, double Scale) const;
  // Renders the visible view on the open printer's page: at (X, Y) with
  // Scale printer pixels per control pixel; fitted into a printer
  // rectangle keeping its proportions; or at a point in the size it has on
  // the screen. Nothing when the printer is not printing; ENUVGeoMapError
  // for a scale that is not positive and finite.
  void CopyToOpenPrinter(int32_t X, int32_t Y, double Scale);
  void CopyToOpenPrinter(const TRect& PrinterRect);
  void CopyToOpenPrinter(TPoint At);
  // Prints the view centred on one page with Scale printer pixels per
  // control pixel (a document of its own).
  void PrintIt(double Scale);

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

  double CalcLatitude(int32_t X, int32_t Y, bool& Valid) const {
    return calib_.CalcLatitude(X, Y, Valid);
  }
  double CalcLongitude(int32_t X, int32_t Y, bool& Valid) const {
    return calib_.CalcLongitude(X, Y, Valid);
  }
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
  // and load its map image (a bare image name that is not found is looked
  // up in the calibration file's directory): true when the block was found and read to its
  // end tag; false also for a file that cannot be opened. The memory stream
  // is read from its beginning. What did not fit the record is in
  // Calibration().LastReadIssues().
  bool LoadCalDataFromXML(const std::string& FileName, const std::string& ID);
  bool LoadCalDataFromXML(TMemoryStream& Stream, const std::string& ID);
  bool ReadCalDataFromOpenXMLFile(TextFile& F, const std::string& ID) {
    return calib_.ReadCalDataFromOpenXMLFile(F, ID);
  }

 protected:
  void MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) override;
  void MouseMove(TShiftState Shift, int32_t X, int32_t Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) override;
  // Shows the internal bitmap.
  void paintEvent(QPaintEvent* event) override;

 private:
  struct TView;
  enum TBoxState : uint8_t { bxIdle, bxWaiting, bxDragging, bxDone };
  template <class T>
  void SetAndRepaint(T& Field, T Value) {
    if (Field == Value) return;
    Field = Value;
    ViewChanged();
  }
  // Invalidates the control unless painting is suppressed.
  void ViewChanged();
  void CheckImageSize(int32_t Width, int32_t Height) const;
  void LoadImageOfCalibration(const std::string& Name);
  void TakeImage(std::unique_ptr<TBitmap> Image, std::string_view Name);
  TView CurrentView() const;
  // The view of the rendering in progress, or the control's.
  TView CanvasView() const;
  // Target, when given, is the bitmap whose canvas Canvas is: one-to-one
  // copies then go row by row.
  void Render(TCanvas& Canvas, const TView& View, bool UseCache, TBitmap* Target = nullptr);
  // The part of the view the image covers.
  TRect DrawImage(TCanvas& Canvas, const TView& View, bool UseCache, TBitmap* Target);
  void DrawGraticule(TCanvas& Canvas, const TView& View);
  void DrawParabolicLines(TCanvas& Canvas, const TView& View);
  void DrawGeoGraticule(TCanvas& Canvas, const TView& View);
  void DrawUTMGrid(TCanvas& Canvas, const TView& View);
  void DrawCalibPoints(TCanvas& Canvas, const TView& View);
  void RenderToPrinter(const TRect& PrinterRect);
  void SetMagnificationClamped(double Value);
  void CenterOn(double ImageX, double ImageY);
  void PanTo(TPoint Mouse, TShiftState Shift);
  void ZoomDragTo(TPoint Mouse);
  void FinishZoomWindow();
  void DrawXorRect(TPoint A, TPoint B);
  void DrawXorLine(TPoint A, TPoint B);
  void DrawMouseFeedback();
  void HandleMouse(const std::function<void()>& Action);
  // The positions and classes of the landmarks, in order, for the
  // searches and the view test.
  struct TLMKeys {
    std::vector<double> Lat;
    std::vector<double> Long;
    std::vector<uint8_t> Class;
    void Reserve(std::size_t Count);
    void Clear();
    void Push(const TLandMark& LandMark);
    void Set(std::size_t Ix, const TLandMark& LandMark);
    void Move(std::size_t From, std::size_t To);
    void Resize(std::size_t Count);
  };
  void AppendLandMark(const TLandMark& LandMark);
  void ReserveLandMarks(std::size_t Count);
  void ResetLandMarkStorage();
  bool LandMarkAllowed(TLandMarkAction Action, const TLandMark& LandMark);
  void AddFromTemplate(TLandMark LandMark);
  // Removes the allowed ones among the landmarks for which Candidate(ix)
  // holds (0-based); the number removed.
  int32_t RemoveMarked(const std::function<bool(std::size_t)>& Candidate);
  void DrawLandMarks(TCanvas& Canvas, const TView& View);
  void DrawHighLight(TCanvas& Canvas, const TView& View);
  // The control point of a landmark to draw, after OnDrawLandmark: false
  // when it has no pixel, the handler drew it or it is not strictly
  // inside the view.
  bool LandMarkPoint(TCanvas& Canvas, const TView& View, const TLandMark& LandMark, TPoint& P);

  TGeoMapCalibration calib_;
  std::string mapImgName_;
  std::string calDatName_;
  std::string calFileDir_;  // while a calibration file is read
  std::unique_ptr<TBitmap> image_;
  // The view as Paint drew it, shown by the paint events.
  std::unique_ptr<TBitmap> view_;
  const TView* rendering_ = nullptr;  // while Render runs
  // The whole image scaled by cacheMag_, for magnifications below
  // CacheMagLimit.
  std::unique_ptr<TBitmap> cache_;
  double cacheMag_ = 0;
  bool cacheAntiAlias_ = false;

  double mag_ = 1.0;
  TPoint topLeft_;
  std::array<TZoomStackEntry, ZoomHistorySize> zoomRing_{};
  int32_t zoomPos_ = 1;  // 1-based write position

  TMouseActMode mouseAction_ = maPan;
  bool confinePan_ = true;
  bool antiAlias_ = false;
  double cacheMagLimit_ = 2.0 / 3.0;
  TColor colorBackGnd_ = clSilver;
  TColor colorGraticule_ = clBlue;
  TColor colorCalibPoints_ = clRed;
  TColor colorFrame_ = clBlack;
  std::string emptyMsg_ = "GeoMap: empty";
  TFrameStyle frameStyle_ = fsSimple;
  TShowGrat showGrat_ = sgNone;
  double gratLineDist_ = 0;
  int32_t utmGridDist_ = 0;
  int32_t randSampleLimit_ = 20000;
  std::vector<TLandMark> landMarks_;
  TLMKeys lmKeys_;
  TLandMark template_ = DefaultLandMarkTemplate();
  std::array<bool, 256> classVisible_{};
  int32_t highLM_ = 0;
  TColor highColor1_ = clBlue;
  TColor highColor2_ = clYellow;
  bool highFlag_ = false;
  bool suppressPaint_ = false;

  // Mouse state. Points are control pixels unless named otherwise.
  TPoint lastClick_;  // image pixel of the last press
  bool dragStarted_ = false;
  TPoint dragMouse_;
  TPoint dragTopLeft_;
  double dragMag_ = 1;
  double dragCentreX_ = 0, dragCentreY_ = 0;  // image point kept at the centre
  bool zoomWind_ = false;
  TPoint zoomWindA_, zoomWindB_;
  bool rubberBand_ = false;
  TPoint bandAnchor_, bandEnd_;
  TBoxState boxState_ = bxIdle;
  bool boxAbort_ = false;
  TPoint boxA_, boxB_;
};

}  // namespace nuv
