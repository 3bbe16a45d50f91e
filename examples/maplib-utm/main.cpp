// UTM conversion: geographic positions (degrees on WGS 84) to UTM grid
// coordinates and back, as a survey or GPS application needs them.
#include <iostream>

#include "nuv/Nuv_geobasics.h"
#include "nuv/Nuv_stringl.h"

int main() {
  using namespace nuv;
  struct TPlace {
    const char* Name;
    double Lat, Long;
  };
  constexpr TPlace kPlaces[] = {
      {"Vienna", 48.2082, 16.3738}, {"Bergen", 60.3913, 5.3221}, {"Cape Town", -33.9249, 18.4241}};

  for (const TPlace& p : kPlaces) {
    int32_t zone = 0;
    double easting = 0, northing = 0;
    // The zone follows from the position (with the Norway and Svalbard
    // exceptions); southern northings carry the false northing of 10000 km.
    LatLongToUTM(p.Lat, p.Long, gelWGS84, zone, easting, northing);
    std::cout << p.Name << ": " << GeoToUTMZone(p.Lat, p.Long) << ' ' << strff(easting, 1, 1) << ' '
              << strff(northing, 1, 1);

    // Back from the grid: the zone and the hemisphere say which grid.
    double lat = 0, lon = 0;
    UTMToLatLong(easting, northing, zone, p.Lat < 0, gelWGS84, lat, lon);
    std::cout << "  back: " << strff(lat, 1, 6) << ' ' << strff(lon, 1, 6) << '\n';
  }
  return 0;
}
