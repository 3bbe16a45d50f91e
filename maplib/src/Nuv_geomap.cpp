// The map component of Nuv_geomap: construction and the calibration files
// under its name.
#include "nuv/Nuv_geomap.h"

#include "maplib_units.h"
#include "nuv/Nuv_filesys.h"
#include "nuv/Nuv_streams.h"
#include "nuv/platform/Bitmap.h"
#include "nuv/platform/CodePage.h"
#include "nuv/platform/FileUtils.h"

namespace nuv {

TGeoMap::TGeoMap(TComponent* AOwner)
    : TCustomControl(AOwner),
      calib_(this),
      image_(std::make_unique<TBitmap>()),
      view_(std::make_unique<TBitmap>()) {
  SetBounds(Left(), Top(), 500, 400);
  classVisible_.fill(true);
  ReserveLandMarks(0);
  calib_.SetUTMZone(0);
  calib_.OnLoadMapImage = [this](const std::string& name) { LoadImageOfCalibration(name); };
  calib_.OnRecalculated = [this] { ViewChanged(); };
  ClearZoomHistory();
}

TGeoMap::~TGeoMap() = default;

void TGeoMap::SetCalDatName(std::string_view Name) {
  if (FileExists(Name)) {
    calDatName_ = Name;
    LoadCalDataFromXML(calDatName_, "");
  } else {
    calib_.SetImageSize(0, 0);
  }
  ViewChanged();
}

void TGeoMap::WriteCalDataToOpenXMLFile(TextFile& F, bool CreateHeader, const std::string& ID) {
  calib_.SetMapName(mapImgName_);
  calib_.WriteCalDataToOpenXMLFile(F, CreateHeader, ID);
}

void TGeoMap::SaveCalDataAsXML(const std::string& FileName, const std::string& ID) {
  SaveXMLFile(FileName, [&](TextFile& F) { WriteCalDataToOpenXMLFile(F, true, ID); });
}

void TGeoMap::SaveCalDataAsXML(TStream& Stream, const std::string& ID) {
  calib_.SetMapName(mapImgName_);
  calib_.WriteCalDataToStream(Stream, true, ID);
}

void TGeoMap::LoadImageOfCalibration(const std::string& Name) {
  // SaveMap stores the image's bare name: it lives beside the calibration.
  const std::string beside = calFileDir_ + Name;
  if (!calFileDir_.empty() && StripPath(Name) == Name && !FileExists(Name) && FileExists(beside))
    SetMapImgName(beside);
  else
    SetMapImgName(Name);
}

bool TGeoMap::LoadCalDataFromXML(const std::string& FileName, const std::string& ID) {
  calFileDir_ = FileName.substr(0, FileName.size() - StripPath(FileName).size());
  try {
    const bool found =
        LoadXMLFile(FileName, [&](TextFile& F) { return ReadCalDataFromOpenXMLFile(F, ID); });
    calFileDir_.clear();
    return found;
  } catch (...) {
    calFileDir_.clear();
    throw;
  }
}

bool TGeoMap::LoadCalDataFromXML(TMemoryStream& Stream, const std::string& ID) {
  Stream.SetPosition(0);
  return calib_.ReadCalDataFromStream(Stream, ID);
}

}  // namespace nuv

namespace nuv::units {

void Nuv_geomap_Init() {}
void Nuv_geomap_Finalize() {}

}  // namespace nuv::units
