#!/usr/bin/env python3
"""UTM references on the meridian 180 (= -180) for maplib's UTM test
(maplib/tests/Nuv_geobasics_utm_test.cpp), from GeographicLib's GeoConvert
(WGS 1984, grid coordinates to 1 micrometre). Prints the C++ rows
{Lat, Long, Zone, South, Easting, Northing}."""
import subprocess

POINTS = [(10, 180), (0, 180), (-45, 180), (83.9, 180), (-79.9, 180), (45, -180)]

text = "".join("%r %r\n" % p for p in POINTS)
out = subprocess.run(["GeoConvert", "-u", "-p", "6"], input=text, capture_output=True,
                     text=True, check=True).stdout.split("\n")
for (lat, lon), line in zip(POINTS, out):
    zone, easting, northing = line.split()
    print("    {%r, %r, %d, %s, %s, %s}," % (lat, lon, int(zone[:-1]),
                                           "true" if zone[-1] == "s" else "false",
                                           easting, northing))
