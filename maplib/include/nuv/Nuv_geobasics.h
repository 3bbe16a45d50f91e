// Geodetic basics: the reference ellipsoids, the datums with their
// seven-parameter shifts to WGS 1984, a table of countries with centre and
// capital positions, and the conversions between geographic coordinates
// (latitude, longitude, height), earth-centred cartesian coordinates,
// Transverse Mercator, UTM and UPS grid coordinates.
//
// Everything here is stateless: constant tables and pure functions. Angles
// are in degrees and lengths in metres unless a contract says radians.
// Latitudes are positive north, longitudes positive east.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "nuv/Nuv_nuvbase.h"

namespace nuv {

class ENUVGeoBasicsError : public ENUVError {
 public:
  using ENUVError::ENUVError;
};

enum THemisphere : uint8_t { hemiNorth, hemiSouth };

// ---------------------------------------------------------------------------
// Reference ellipsoids. Flattening and eccentricity are always derived from
// the two axes; the spheres (gelSphere, gelAuthSph, gelInt24AuthSph,
// gelPopVisSphere) have equal axes.

enum TGeoEllipsoid : uint8_t {
  gelWGS84, gelWGS72, gelWGS66, gelWGS60, gelClrk80RGS, gelClrk66, gelBess41, gelBess41Jap,
  gelBess41Nam, gelNewInt67, gelInt24, gelEver69, gelEver56, gelEver48, gelEver30Ind, gelEverPak,
  gelEverest, gelGRS80, gelAiry30, gelModifAiry, gelFish68, gelFish60, gelModifFish60, gelAuNat65,
  gelKrass40, gelHough60, gelSphere, gelIndo74, gelHelm06, gelSGS85, gelSAm69, gelATS77,
  gelAuthSph, gelBesselMod, gelCGCS2000, gelClrk58, gelClrk66Mich, gelClrk80, gelClrk80Arc,
  gelClrk80Benoit, gelClrk80IGN, gelClrk80intfoot, gelClrk80SGA22, gelDan76, gelEver30, gelEver75,
  gelGEM10C, gelGRS67, gelGRS67Mod, gelHughes80, gelIAG75, gelInt24AuthSph, gelOSU86F, gelOSU91A,
  gelPlessis17, gelPopVisSphere, gelPZ90, gelStruve60, gelWarOffice, gelHongKong63, gelNahrwan29
};
inline constexpr int32_t GeoEllipsoidCount = 61;

// Semi-major axis A and semi-minor axis B in metres.
struct TEllipsoidAxes {
  double A;
  double B;
};

inline constexpr std::array<std::string_view, GeoEllipsoidCount> GeoEllipsoidId{
    "gelWGS84",
    "gelWGS72",
    "gelWGS66",
    "gelWGS60",
    "gelClrk80RGS",
    "gelClrk66",
    "gelBess41",
    "gelBess41Jap",
    "gelBess41Nam",
    "gelNewInt67",
    "gelInt24",
    "gelEver69",
    "gelEver56",
    "gelEver48",
    "gelEver30Ind",
    "gelEverPak",
    "gelEverest",
    "gelGRS80",
    "gelAiry30",
    "gelModifAiry",
    "gelFish68",
    "gelFish60",
    "gelModifFish60",
    "gelAuNat65",
    "gelKrass40",
    "gelHough60",
    "gelSphere",
    "gelIndo74",
    "gelHelm06",
    "gelSGS85",
    "gelSAm69",
    "gelATS77",
    "gelAuthSph",
    "gelBesselMod",
    "gelCGCS2000",
    "gelClrk58",
    "gelClrk66Mich",
    "gelClrk80",
    "gelClrk80Arc",
    "gelClrk80Benoit",
    "gelClrk80IGN",
    "gelClrk80intfoot",
    "gelClrk80SGA22",
    "gelDan76",
    "gelEver30",
    "gelEver75",
    "gelGEM10C",
    "gelGRS67",
    "gelGRS67Mod",
    "gelHughes80",
    "gelIAG75",
    "gelInt24AuthSph",
    "gelOSU86F",
    "gelOSU91A",
    "gelPlessis17",
    "gelPopVisSphere",
    "gelPZ90",
    "gelStruve60",
    "gelWarOffice",
    "gelHongKong63",
    "gelNahrwan29",
};
inline constexpr std::array<std::string_view, GeoEllipsoidCount> GeoEllipsoidName{
    "WGS 1984",
    "WGS 1972",
    "WGS 1966",
    "WGS 1960",
    "Clarke 1880 RGS",
    "Clarke 1866",
    "Bessel 1841",
    "Bessel 1841 (Japan)",
    "Bessel 1841 (Namibia)",
    "New International 1967",
    "International 1924",
    "Everest 1969 (Malaysia)",
    "Everest 1956 (India)",
    "Everest 1948",
    "Everest 1830 (India 1937 adj.)",
    "Everest (Pakistan)",
    "Everest (1967 Definition)",
    "GRS 1980",
    "Airy 1830",
    "Modified Airy",
    "Fisher 1968",
    "Fisher 1960",
    "Modified Fisher 1960",
    "Australian Nat 1965",
    "Krassovsky 1940",
    "Hough 1960",
    "Normal Sphere",
    "Indonesian 1974",
    "Helmert 1906",
    "SGS 1985",
    "South American 1969",
    "ATS77",
    "Authalic Sphere",
    "Bessel Modified",
    "CGCS2000",
    "Clarke 1858",
    "Clarke 1866 Michigan",
    "Clarke 1880",
    "Clarke 1880 (Arc)",
    "Clarke 1880 (Benoit)",
    "Clarke 1880 (IGN)",
    "Clarke 1880 (international foot)",
    "Clarke 1880 (SGA 1922)",
    "Danish 1876",
    "Everest (1830 Definition)",
    "Everest 1830 (1975 Definition)",
    "GEM 10C",
    "GRS 1967",
    "GRS 1967 Modified",
    "Hughes 1980",
    "IAG 1975",
    "International 1924 Authalic Sphere",
    "OSU86F",
    "OSU91A",
    "Plessis 1817",
    "Popular Visualisation Sphere",
    "PZ-90",
    "Struve 1860",
    "War Office",
    "Hong Kong 1963",
    "Nahrwan 1929",
};
inline constexpr std::array<TEllipsoidAxes, GeoEllipsoidCount> GeoEllipsoidData{{
    {6378137.0, 6356752.314245},  // gelWGS84
    {6378135.0, 6356750.519915},  // gelWGS72
    {6378145.0, 6356759.769356},  // gelWGS66
    {6378165.0, 6356783.286959},  // gelWGS60
    {6378249.145, 6356514.86955},  // gelClrk80RGS
    {6378206.4, 6356583.8},  // gelClrk66
    {6377397.155, 6356078.96284},  // gelBess41
    {6377397.155, 6356078.963},  // gelBess41Jap
    {6377483.865, 6356165.382966},  // gelBess41Nam
    {6378157.5, 6356772.2},  // gelNewInt67
    {6378388.0, 6356911.94613},  // gelInt24
    {6377295.664, 6356094.667915},  // gelEver69
    {6377301.243, 6356100.228368},  // gelEver56
    {6377304.063, 6356103.039},  // gelEver48
    {6377276.3452, 6356075.4133},  // gelEver30Ind
    {6377309.613, 6356108.570542},  // gelEverPak
    {6377298.556, 6356097.550301},  // gelEverest
    {6378137.0, 6356752.31414},  // gelGRS80
    {6377563.396, 6356256.91},  // gelAiry30
    {6377340.189, 6356034.448},  // gelModifAiry
    {6378150.0, 6356768.337303},  // gelFish68
    {6378166.0, 6356784.283666},  // gelFish60
    {6378155.0, 6356773.3205},  // gelModifFish60
    {6378160.0, 6356774.719},  // gelAuNat65
    {6378245.0, 6356863.0188},  // gelKrass40
    {6378270.0, 6356794.343479},  // gelHough60
    {6370997.0, 6370997.0},  // gelSphere
    {6378160.0, 6356774.504086},  // gelIndo74
    {6378200.0, 6356818.169628},  // gelHelm06
    {6378136.0, 6356751.301569},  // gelSGS85
    {6378160.0, 6356774.719},  // gelSAm69
    {6378135.0, 6356750.304922},  // gelATS77
    {6371000.0, 6371000.0},  // gelAuthSph
    {6377492.018, 6356173.508713},  // gelBesselMod
    {6378137.0, 6356752.31414},  // gelCGCS2000
    {6378293.6452, 6356617.987671},  // gelClrk58
    {6378450.0475, 6356826.62144},  // gelClrk66Mich
    {6378249.1448, 6356514.966196},  // gelClrk80
    {6378249.145, 6356514.966399},  // gelClrk80Arc
    {6378300.789, 6356566.435},  // gelClrk80Benoit
    {6378249.2, 6356515.0},  // gelClrk80IGN
    {6378306.3696, 6356571.996},  // gelClrk80intfoot
    {6378249.2, 6356514.996942},  // gelClrk80SGA22
    {6377019.2567, 6355762.525844},  // gelDan76
    {6377299.3656, 6356098.35901},  // gelEver30
    {6377299.151, 6356098.14512},  // gelEver75
    {6378137.0, 6356752.314245},  // gelGEM10C
    {6378160.0, 6356774.516091},  // gelGRS67
    {6378160.0, 6356774.719195},  // gelGRS67Mod
    {6378273.0, 6356889.449},  // gelHughes80
    {6378140.0, 6356755.288158},  // gelIAG75
    {6371228.0, 6371228.0},  // gelInt24AuthSph
    {6378136.2, 6356751.516927},  // gelOSU86F
    {6378136.3, 6356751.616592},  // gelOSU91A
    {6376523.0, 6355862.933256},  // gelPlessis17
    {6378137.0, 6378137.0},  // gelPopVisSphere
    {6378136.0, 6356751.361746},  // gelPZ90
    {6378298.3, 6356657.14267},  // gelStruve60
    {6378300.0, 6356751.689189},  // gelWarOffice
    {6378235.6, 6356560.13971},  // gelHongKong63
    {6378300.782, 6356566.42744},  // gelNahrwan29
}};

// ---------------------------------------------------------------------------
// Countries, sorted by English name. Names with alternatives separate them
// with a semicolon ("Burma;Myanmar"). Codes are lower case; CapitalElevation
// is 0 where no elevation is known.

struct TCountryRecord {
  ShortString<40> Name;
  ShortString<2> FipsCode;   // FIPS 10-4
  ShortString<2> IsoCode2;   // ISO 3166-1 alpha-2
  ShortString<3> IsoCode3;   // ISO 3166-1 alpha-3
  double Latitude;           // a representative centre point, degrees
  double Longitude;
  ShortString<31> Capital;   // empty where the country has none
  double CapitalLat;
  double CapitalLong;
  int32_t CapitalElevation;  // metres
};

inline constexpr int32_t CountryCount = 231;
extern const std::array<TCountryRecord, CountryCount> CountryData;

// ---------------------------------------------------------------------------
// Datums. HelmertTransform addresses them by a datum number 1..DatumCount;
// each record holds the shift from the datum to WGS 1984 (number 269):
// translations in metres, scale difference in parts per million and
// rotations in arc seconds, rotating the position vector.

struct TDatumRecord {
  ShortString<33> Name;
  ShortString<35> Region;
  TGeoEllipsoid Ellipsoid;
  double DX;
  double DY;
  double DZ;
  double Scale;
  double RotX;
  double RotY;
  double RotZ;
};

inline constexpr int32_t DatumCount = 271;

// The record of datum number DatumNr (1..DatumCount), read-only, for
// example to offer the datums in a list; an empty record (no name or
// region, gelWGS84, all parameters 0) for other numbers.
const TDatumRecord& DatumRecord(int32_t DatumNr);

// ---------------------------------------------------------------------------
// Ellipsoid helpers. An ellipsoid outside the enumeration raises
// ENUVGeoBasicsError "invalid ellipsoid" in every function taking one.

// e^2 = 1 - b^2/a^2 of a catalogue ellipsoid.
double GeoEllEccSquared(TGeoEllipsoid Ellipsoid);
// e^2 from two axes in either order (the larger is the major axis). An axis
// that is not positive and finite: "invalid eccentricity".
double GeoEllEccSquared(double AxisA, double AxisB);
// e^2 = 2f - f^2 with f = 1/RecipFlattening; 0 (a sphere) gives 0. Other
// values below 1 describe no ellipsoid: "invalid reciprocal flattening".
double GeoEllEccSquared(double RecipFlattening);

// 1/f = 1/(1 - b/a); 0 for a sphere.
double RecipFlattening(TGeoEllipsoid Ellipsoid);
// 1/f from the axes; 0 when they are equal. A major axis that is not
// positive and finite, or a minor axis outside 0..MajorAxis:
// "invalid reciprocal flattening".
double RecipFlattening(double MajorAxis, double MinorAxis);
// 1/f from e^2 in 0..1 ("invalid eccentricity" outside); 0 gives 0.
double RecipFlattening(double EccSquared);

// Semi-minor axis from the major axis and 1/f, where 0 means a sphere and
// other values below 1 raise "invalid reciprocal flattening".
double EllipsoidMinAxFlat(double MajorAxis, double RecipFlattening);
// Semi-minor axis from the major axis and e^2 in 0..1 ("invalid
// eccentricity" outside).
double EllipsoidMinAxEcc(double MajorAxis, double EccSquared);

// ---------------------------------------------------------------------------
// Geographic and cartesian coordinates

// Earth-centred cartesian X, Y, Z (metres) of a geographic position.
void GeoToCartesian(double Lat, double Long, double Height, TGeoEllipsoid Ellipsoid,
                    double& X, double& Y, double& Z);
// Geographic position of earth-centred X, Y, Z. Longitude in -180..180; on
// the polar axis latitude is +-90 by the sign of Z and longitude 0.
void CartesianToGeo(double X, double Y, double Z, TGeoEllipsoid Ellipsoid,
                    double& Lat, double& Long, double& Height);

// Converts a position from datum SourceDatum to TargetDatum (numbers
// 1..DatumCount) through WGS 1984. Returns 0, or -1 for a bad source datum,
// -2 for a bad target datum (the outputs are then left unchanged), -3 for a
// latitude outside -90..90, -4 for a longitude outside -180..180 (these two
// still compute the outputs). With several faults a bad datum wins.
int32_t HelmertTransform(int32_t SourceDatum, double Lat, double Long, double Height,
                         int32_t TargetDatum, double& LatOut, double& LongOut,
                         double& HeightOut);

// ---------------------------------------------------------------------------
// Transverse Mercator, UTM and UPS

// UTM zone (1..60) and latitude band letter (C..X) of a position; zone 0 and
// a blank band outside latitudes -80..84 or longitudes -180..<180. Applies
// the Norway (32V) and Svalbard (31X, 33X, 35X, 37X) exceptions.
void GeoToUTMZone(double Lat, double Long, int32_t& Zone, char& Band);
// The same as text, for example "32U"; empty outside the UTM range.
std::string GeoToUTMZone(double Lat, double Long);
// Central meridian of a UTM zone in radians; 0 for a zone outside 1..60.
double UTMCentralMeridian(int32_t Zone);

// Length of the meridian arc from the equator to latitude Phi (radians).
double ArcLengthOfMeridian(double Phi, TGeoEllipsoid Ellipsoid);
// Unscaled Transverse Mercator (scale 1, no false easting or northing) of
// Phi, Lambda about the central meridian Lambda0, all in radians.
void LatLongToTM(double Phi, double Lambda, double Lambda0, TGeoEllipsoid Ellipsoid,
                 double& X, double& Y);
// Inverse of LatLongToTM; Phi and Lambda in radians.
void TMToLatLong(double X, double Y, double Lambda0, TGeoEllipsoid Ellipsoid,
                 double& Phi, double& Lambda);

// UTM easting and northing of a position, in the zone GeoToUTMZone gives;
// longitude 180 counts as -180 (zone 1). Southern northings carry the false
// northing of 10000000 m. Outside the UTM range (latitudes -80..84,
// longitudes -180..180, NaN) Zone is 0 and Easting and Northing are NaN.
void LatLongToUTM(double Lat, double Long, TGeoEllipsoid Ellipsoid, int32_t& Zone,
                  double& Easting, double& Northing);
// Inverse of LatLongToUTM for the given zone and hemisphere.
void UTMToLatLong(double Easting, double Northing, int32_t Zone, bool SouthHemi,
                  TGeoEllipsoid Ellipsoid, double& Lat, double& Long);

// Universal Polar Stereographic grid coordinates (scale 0.994, false
// easting and northing 2000000 m) of a position; the pole of the
// hemisphere of Lat is used. A latitude outside -90..90 (or NaN) gives NaN
// for X and Y.
void LatLongToUPS(double Lat, double Long, TGeoEllipsoid Ellipsoid, double& X, double& Y);
// Inverse of LatLongToUPS for the given hemisphere.
void UPSToLatLong(double X, double Y, bool SouthHemi, TGeoEllipsoid Ellipsoid,
                  double& Lat, double& Long);

}  // namespace nuv
