// The map component of Nuv_geomap: its image name and size and the
// calibration files under its name.
#include "nuv/Nuv_geomap.h"

#include "maplib_units.h"
#include "nuv/Nuv_streams.h"
#include "nuv/platform/Bitmap.h"
#include "nuv/platform/CodePage.h"
#include "nuv/platform/FileUtils.h"

namespace nuv {

namespace {

bool IsMapImageName(std::string_view name) {
  const std::string lower = LowerCase(name);
  return lower.ends_with(".jpg") || lower.ends_with(".jpeg") || lower.ends_with(".bmp");
}

}  // namespace

TGeoMap::TGeoMap(TComponent* AOwner) : TComponent(AOwner), calib_(this) {
  calib_.SetUTMZone(0);
  calib_.OnLoadMapImage = [this](const std::string& name) { SetMapImgName(name); };
  calib_.OnRecalculated = [this] { Paint(); };
}

TGeoMap::~TGeoMap() = default;

void TGeoMap::SetMapImgName(std::string_view Name) {
  std::string file(Name);
  if (OnMapImageRequest) OnMapImageRequest(this, file);
  int32_t w = 0, h = 0;
  if (!(IsMapImageName(file) && FileExists(file) && GetImageFileSize(file, w, h))) w = h = 0;
  mapImgName_ = Name;
  calib_.SetImageSize(w, h);
  Paint();
}

void TGeoMap::SetCalDatName(std::string_view Name) {
  if (FileExists(Name)) {
    calDatName_ = Name;
    LoadCalDataFromXML(calDatName_, "");
  } else {
    calib_.SetImageSize(0, 0);
  }
  Paint();
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

bool TGeoMap::LoadCalDataFromXML(const std::string& FileName, const std::string& ID) {
  return LoadXMLFile(FileName, [&](TextFile& F) { return ReadCalDataFromOpenXMLFile(F, ID); });
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
