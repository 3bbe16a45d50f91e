// nuv map render: a calibrated map (or a generated empty one) fitted into a
// PNG with its graticule, calibration points or UTM grid, drawn headless by
// the map view control.
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli.h"
#include "nuv/Nuv_geomap.h"
#include "nuv/Nuv_math1.h"
#include "nuv/platform/Forms.h"
#include "plot.h"

namespace nuv::tool {

namespace {

constexpr const char* kRenderDescription =
    "Loads the calibration block ID (the first without --id) of CALFILE and\n"
    "its map image, fits the image into --size, draws the graticule (lines),\n"
    "the calibration points (points), both, or the UTM grid (utm, for UTM\n"
    "calibrations) and writes the PNG. With --empty LAT1 LAT2 LONG1 LONG2 a\n"
    "graticule map of these bounds is generated first: CALFILE's name with\n"
    ".bmp and .xml. Prints the model, the corners and the resolution.";

struct TMapArgs {
  std::string CalFile, Id, Show = "lines", Size = "800x600", Output;
  std::vector<double> Empty;
  TOutputMode Mode;
};

TShowGrat ShowOf(const std::string& show) {
  if (show == "points") return sgPoints;
  if (show == "both") return sgPointsAndLines;
  if (show == "utm") return sgUTMGrid;
  return sgLines;
}

// A 1-2-5 step giving about five lines over the range.
double EmptyMapStep(double range) { return Round125(std::fabs(range) / 5); }

void Run(const TMapArgs& a) {
  int32_t w = 0, h = 0;
  ParseImageSize(a.Size, 50, 4000, w, h);
  Application().Initialize();
  TGeoMap map(nullptr);
  map.SetBounds(0, 0, w, h);
  std::string id = Ansi(a.Id);
  if (!a.Empty.empty()) {
    const double lat1 = a.Empty[0], lat2 = a.Empty[1], long1 = a.Empty[2], long2 = a.Empty[3];
    map.CreateAndLoadEmptyMap(Ansi(a.CalFile), lat1, long1, lat2, long2, EmptyMapStep(lat2 - lat1),
                              EmptyMapStep(long2 - long1), w, h, nullptr);
    id = "NUV_geomap_caldata";
  } else if (!map.LoadCalDataFromXML(Ansi(a.CalFile), id)) {
    throw TJobError(a.CalFile + ": no complete calibration block" +
                    (a.Id.empty() ? std::string() : " '" + a.Id + "'"));
  }
  if (map.ImageWidth() < 1)
    throw TJobError(a.CalFile + ": map image '" + Utf8(map.MapImgName()) + "' cannot be loaded");
  const TShowGrat show = ShowOf(a.Show);
  if (show == sgUTMGrid && map.CalibModel() != cmUTM)
    throw TJobError(a.CalFile + ": --show utm needs a UTM calibration");
  map.SetShowGraticule(show);
  map.ZoomFitPage();
  TBitmap png;
  map.CopyToBMP(png, map.TopLeft(), map.Magnification(), w, h);
  WritePng(png, a.Output);

  const TCalibData& d = map.CalibData();
  const char* names[] = {"top-left", "bottom-left", "bottom-right", "top-right"};
  ordered_json doc;
  doc["model"] = std::string(CalibModelNames[map.CalibModel()]);
  std::string text = "model: " + std::string(CalibModelNames[map.CalibModel()]) + "\n";
  for (std::size_t i = 0; i < d.Corners.size(); ++i) {
    doc["corners"][names[i]] = {d.Corners[i].Lat, d.Corners[i].Long};
    text += std::string(names[i]) + ": " + Number(d.Corners[i].Lat, 9) + " " +
            Number(d.Corners[i].Long, 9) + "\n";
  }
  doc["resolution"] = d.Resolution;
  doc["image"] = {map.ImageWidth(), map.ImageHeight()};
  doc["magnification"] = map.Magnification();
  doc["file"] = a.Output;
  text += "resolution: " + Number(d.Resolution, 6) + " m/pixel\n" +
          "image: " + std::to_string(map.ImageWidth()) + " x " + std::to_string(map.ImageHeight()) +
          " pixels at magnification " + Number(map.Magnification(), 6) + "\n" +
          "written: " + a.Output + " (" + std::to_string(w) + " x " + std::to_string(h) + ")\n";
  if (a.Mode.Json)
    PrintJson(doc);
  else
    std::cout << text;
}

}  // namespace

void AddMapCommand(CLI::App& app) {
  CLI::App* map = app.add_subcommand("map", "calibrated maps");
  map->require_subcommand(1);
  auto a = std::make_shared<TMapArgs>();
  CLI::App* cmd =
      map->add_subcommand("render", "draw a calibrated map with its graticule into a PNG");
  cmd->footer(kRenderDescription);
  cmd->add_option("CALFILE", a->CalFile, "calibration file (written with --empty)")->required();
  cmd->add_option("--id", a->Id, "ID of the calibration block");
  cmd->add_option("--show", a->Show, "lines, points, both or utm")
      ->check(CLI::IsMember({"lines", "points", "both", "utm"}))
      ->capture_default_str();
  cmd->add_option("--size", a->Size, "size WxH of the PNG in pixels")->capture_default_str();
  cmd->add_option("--empty", a->Empty, "LAT1 LAT2 LONG1 LONG2: generate an empty map first")
      ->expected(4)
      ->check(Finite());
  cmd->add_option("-o,--output", a->Output, "PNG file to write")->required();
  AddJsonFlag(*cmd, a->Mode);
  cmd->callback([a] { Run(*a); });
}

}  // namespace nuv::tool
