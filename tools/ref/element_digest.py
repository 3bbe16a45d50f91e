#!/usr/bin/env python3
"""FNV-1a (64 bit) digest of mollib/data/elements.tsv for the element table
test (mollib/tests/Nuv_cdata_test.cpp): one line per element,
"Z|symbol|name|nominal|exact|chem|outer|configuration|vdw" with the masses
in fixed notation with six decimals, then the periodic grid, one row per
line with commas. Run from the repository root; prints the digest."""
import csv

with open("mollib/data/elements.tsv", newline="") as f:
    rows = list(csv.DictReader(f, delimiter="\t"))
text = ""
for e in rows:
    text += "%s|%s|%s|%s|%.6f|%.6f|%s|%s|%s\n" % (
        e["Z"], e["Symbol"], e["Name"], e["NominalMass"], float(e["ExactMass"]),
        float(e["ChemWeight"]), e["OuterElectrons"], e["Configuration"], e["VdWRadiusPm"])
grid = [[0] * 18 for _ in range(9)]
for e in rows:
    grid[int(e["Row"])][int(e["Col"])] = int(e["Z"])
for row in grid:
    text += ",".join(map(str, row)) + "\n"
digest = 14695981039346656037
for b in text.encode("cp1252"):
    digest = ((digest ^ b) * 1099511628211) % (1 << 64)
print("0x%016x" % digest)
