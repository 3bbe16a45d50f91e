#!/usr/bin/env python3
"""Reference masses for the element table test (mollib/tests/Nuv_cdata_test.cpp):
for every element of mollib/data/elements.tsv, RDKit's mass of the isotope
whose mass number is the table's nominal mass. The exact mass of the table
must describe that isotope. Prints the C++ initialiser rows. Run from the
repository root with a Python that has RDKit."""
import csv

from rdkit import Chem

table = Chem.GetPeriodicTable()
with open("mollib/data/elements.tsv", newline="") as f:
    rows = list(csv.DictReader(f, delimiter="\t"))
cells = ["%.7f" % table.GetMassForIsotope(int(e["Z"]), int(e["NominalMass"])) for e in rows]
for i in range(0, len(cells), 6):
    print("      " + ", ".join(cells[i:i + 6]) + ",")
