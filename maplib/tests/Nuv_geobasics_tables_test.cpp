#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <set>
#include <string>

#include "Nuv_geobasics_tables.h"
#include "nuv/Nuv_geobasics.h"

namespace nuv {
namespace {

bool IsLowerCode(std::string_view s, std::size_t length) {
  if (s.size() != length) return false;
  for (char ch : s)
    if (!std::islower(static_cast<unsigned char>(ch))) return false;
  return true;
}

// ---------------------------------------------------------------------------
// Countries

TEST(GeoCountries, EveryRowIsWellFormed) {
  std::set<std::string> fips, iso2, iso3;
  for (const TCountryRecord& c : CountryData) {
    const std::string name = c.Name.Str();
    EXPECT_FALSE(name.empty());
    EXPECT_TRUE(IsLowerCode(c.FipsCode, 2)) << name;
    EXPECT_TRUE(IsLowerCode(c.IsoCode2, 2)) << name;
    EXPECT_TRUE(IsLowerCode(c.IsoCode3, 3)) << name;
    EXPECT_TRUE(fips.insert(c.FipsCode.Str()).second) << "FIPS twice: " << name;
    EXPECT_TRUE(iso2.insert(c.IsoCode2.Str()).second) << "ISO twice: " << name;
    EXPECT_TRUE(iso3.insert(c.IsoCode3.Str()).second) << "ISO-3 twice: " << name;
    EXPECT_TRUE(c.Latitude >= -90 && c.Latitude <= 90) << name;
    EXPECT_TRUE(c.Longitude >= -180 && c.Longitude <= 180) << name;
    EXPECT_TRUE(c.CapitalLat >= -90 && c.CapitalLat <= 90) << name;
    EXPECT_TRUE(c.CapitalLong >= -180 && c.CapitalLong <= 180) << name;
    EXPECT_TRUE(c.CapitalElevation >= -100 && c.CapitalElevation <= 4500) << name;
  }
}

TEST(GeoCountries, SortedByNameWithTheFixedRows) {
  ASSERT_EQ(CountryData.size(), 231u);
  for (std::size_t i = 1; i < CountryData.size(); ++i)
    EXPECT_LT(CountryData[i - 1].Name.View(), CountryData[i].Name.View()) << "row " << i;
  auto row = [](std::string_view name) -> const TCountryRecord& {
    for (const TCountryRecord& c : CountryData)
      if (c.Name == name) return c;
    ADD_FAILURE() << name << " missing";
    return CountryData[0];
  };
  const TCountryRecord& af = CountryData[0];
  EXPECT_EQ(af.Name.View(), "Afghanistan");
  EXPECT_EQ(af.FipsCode.View(), "af");
  EXPECT_EQ(af.IsoCode2.View(), "af");
  EXPECT_EQ(af.IsoCode3.View(), "afg");
  EXPECT_EQ(af.Latitude, 33.0);
  EXPECT_EQ(af.Longitude, 65.0);
  EXPECT_EQ(af.Capital.View(), "Kabul");
  EXPECT_NEAR(af.CapitalLat, 34.5309, 5e-5);
  EXPECT_NEAR(af.CapitalLong, 69.1368, 5e-5);
  EXPECT_EQ(af.CapitalElevation, 1807);
  const TCountryRecord& dz = row("Algeria");
  EXPECT_EQ(dz.FipsCode.View(), "ag");
  EXPECT_EQ(dz.IsoCode2.View(), "dz");
  EXPECT_EQ(dz.IsoCode3.View(), "dza");
  const TCountryRecord& aq = row("Antarctica");
  EXPECT_EQ(aq.FipsCode.View(), "ay");
  EXPECT_EQ(aq.IsoCode2.View(), "aq");
  EXPECT_EQ(aq.IsoCode3.View(), "ata");
  EXPECT_EQ(aq.Latitude, -90.0);
  EXPECT_EQ(aq.Longitude, 0.0);
  EXPECT_TRUE(aq.Capital.Empty());
  EXPECT_EQ(aq.CapitalLat, -90.0);
  EXPECT_EQ(aq.CapitalLong, 0.0);
  EXPECT_EQ(aq.CapitalElevation, 0);
  const TCountryRecord& nl = row("Netherlands");
  EXPECT_EQ(nl.IsoCode3.View(), "nld");
  EXPECT_EQ(nl.Latitude, 52.5);
  EXPECT_EQ(nl.Longitude, 5.75);
  EXPECT_EQ(nl.Capital.View(), "Amsterdam");
  EXPECT_EQ(nl.CapitalElevation, -1);
  for (const char* name : {"Burma;Myanmar", "East Timor;Timor Lestre",
                           "Falkland Islands; Malvinas", "Zimbabwe", "Serbia and Montenegro"})
    EXPECT_EQ(row(name).Name.View(), name);
  EXPECT_EQ(CountryData.back().Name.View(), "Zimbabwe");
}

// ---------------------------------------------------------------------------
// Datums

TEST(GeoDatums, FixedRowsByteForByte) {
  struct Fixed {
    int32_t Number;
    const char* Name;
    const char* Region;
    TGeoEllipsoid Ellipsoid;
    double Values[7];
  };
  const Fixed fixed[] = {
      {1, "ACCRA", "Ghana", gelWarOffice, {-199, 32, 322, 0, 0, 0, 0}},
      {2, "ADINDAN", "Burkina Faso", gelClrk80, {-118, -14, 218, 0, 0, 0, 0}},
      {268, "WORLD GEODETIC SYSTEM 1972", "World", gelWGS72, {0, 0, 4.5, 0.219, 0, 0, 0.554}},
      {269, "WORLD GEODETIC SYSTEM 1984", "World", gelWGS84, {0, 0, 0, 0, 0, 0, 0}},
      {271, "ZANDERIJ", "Suriname", gelInt24, {-265, 120, -358, 0, 0, 0, 0}},
  };
  ASSERT_EQ(DatumData.size(), 271u);
  for (const Fixed& f : fixed) {
    const TDatumRecord& d = DatumRecord(f.Number);  // what applications see
    EXPECT_EQ(d.Name.View(), f.Name) << f.Number;
    EXPECT_EQ(d.Region.View(), f.Region) << f.Number;
    EXPECT_EQ(d.Ellipsoid, f.Ellipsoid) << f.Number;
    const double got[7] = {d.DX, d.DY, d.DZ, d.Scale, d.RotX, d.RotY, d.RotZ};
    for (int i = 0; i < 7; ++i) EXPECT_EQ(got[i], f.Values[i]) << f.Number << " value " << i;
  }
  EXPECT_EQ(DatumData[12].Name.View(), "RD, AMERSFOORT");
  EXPECT_EQ(DatumData[12].Region.View(), "Netherlands");
  EXPECT_NE(DatumData[12].RotZ, 0) << "RD carries all seven parameters";
  EXPECT_EQ(DatumData[117].Name.View(), "1 INDIAN 1975");
  EXPECT_EQ(DatumData[66].Region.View(), "Spain (except NW),");
  EXPECT_EQ(DatumData[131].Name.View(), "LISBON (Castelo di Sao Jorge), D7");
}

TEST(GeoDatums, AccessorReadsTheTableAndIsEmptyOutsideIt) {
  for (int32_t n = 1; n <= DatumCount; ++n) EXPECT_EQ(&DatumRecord(n), &DatumData[n - 1]) << n;
  for (int32_t n : {0, -1, DatumCount + 1, INT32_MIN, INT32_MAX}) {
    const TDatumRecord& d = DatumRecord(n);
    EXPECT_TRUE(d.Name.Empty() && d.Region.Empty()) << n;
    EXPECT_EQ(d.Ellipsoid, gelWGS84) << n;
    EXPECT_EQ(d.DX + d.DY + d.DZ + d.Scale + d.RotX + d.RotY + d.RotZ, 0) << n;
  }
}

TEST(GeoDatums, EveryRowIsAPlausibleShift) {
  for (std::size_t i = 0; i < DatumData.size(); ++i) {
    const TDatumRecord& d = DatumData[i];
    const std::string what = std::to_string(i + 1) + " " + d.Name.Str();
    EXPECT_LT(d.Ellipsoid, GeoEllipsoidCount) << what;
    EXPECT_FALSE(d.Name.Empty() || d.Region.Empty()) << what;
    EXPECT_LT(std::hypot(d.DX, d.DY, d.DZ), 2500) << what;
    EXPECT_LT(std::fabs(d.Scale), 30) << what;
    EXPECT_LT(std::fabs(d.RotX) + std::fabs(d.RotY) + std::fabs(d.RotZ), 30) << what;
  }
}

}  // namespace
}  // namespace nuv
