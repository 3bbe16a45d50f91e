#!/usr/bin/python3
"""Fixtures and expected values of the connection-table tests.

Writes, into mollib/tests/data/cstruct/, molfiles and SD files made by
RDKit and Open Babel (obabel) from SMILES chosen here and from RDKit's NCI
sample, and the values those programs compute for them: formulae, hydrogen
counts, chemical weights, charges, ring counts and symmetrised SSSR sizes,
fragment counts by SMARTS and substructure hits. Nothing here reads nuv's
output.

    /usr/bin/python3 tools/ref/cstruct_fixtures.py            # test fixtures
    /usr/bin/python3 tools/ref/cstruct_fixtures.py --bench OUT  # benchmark SD file

Needs python3-rdkit, rdkit-data and openbabel (obabel).
"""
import os
import subprocess
import sys
import tempfile

from rdkit import Chem, RDLogger
from rdkit.Chem import AllChem, Descriptors

RDLogger.DisableLog("rdApp.*")

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "..", "mollib", "tests", "data", "cstruct")
NCI = "/usr/share/RDKit/Data/NCI/first_5K.smi"

# Neutral and charged molecules, isotopes, salts, rings.
MOLECULES = [
    ("methanol", "CO"),
    ("ethanol", "CCO"),
    ("acetic_acid", "CC(=O)O"),
    ("benzene", "c1ccccc1"),
    ("naphthalene", "c1ccc2ccccc2c1"),
    ("pyridine", "c1ccncc1"),
    ("pyrrole", "c1cc[nH]c1"),
    ("phenol", "Oc1ccccc1"),
    ("chlorobenzene", "Clc1ccccc1"),
    ("nitrobenzene", "O=[N+]([O-])c1ccccc1"),
    ("acetonitrile", "CC#N"),
    ("acetamide", "CC(N)=O"),
    ("urea", "NC(N)=O"),
    ("acetaldehyde", "CC=O"),
    ("acetyl_chloride", "CC(Cl)=O"),
    ("dmso", "CS(C)=O"),
    ("methyl_acetate", "COC(C)=O"),
    ("triethylamine", "CCN(CC)CC"),
    ("ammonium", "[NH4+]"),
    ("tetramethylammonium", "C[N+](C)(C)C"),
    ("trimethylammonium", "C[NH+](C)C"),
    ("methylammonium", "C[NH3+]"),
    ("acetate", "CC(=O)[O-]"),
    ("hydroxide_water", "[OH-].O"),
    ("sodium_chloride", "[Na+].[Cl-]"),
    ("sodium_acetate", "CC(=O)[O-].[Na+]"),
    ("pyridinium", "c1cc[nH+]cc1"),
    ("tert_butyl_cation", "C[C+](C)C"),
    ("methyl_anion", "[CH3-]"),
    ("borohydride", "[BH4-]"),
    ("hydronium", "[OH3+]"),
    ("cyanide", "[C-]#N"),
    ("deuterated_methane", "[2H]C([2H])([2H])[2H]"),
    ("carbon13_methanol", "[13CH3]O"),
    ("heavy_water", "[2H]O[2H]"),
    ("hydrogen", "[H][H]"),
    ("tritium_water", "[3H]O"),
    ("glucose", "OCC1OC(O)C(O)C(O)C1O"),
    ("caffeine", "Cn1cnc2c1c(=O)n(C)c(=O)n2C"),
    ("aspirin", "CC(=O)Oc1ccccc1C(=O)O"),
    ("cyclohexane", "C1CCCCC1"),
    ("cubane", "C12C3C4C1C5C2C3C45"),
    ("adamantane", "C1C2CC3CC1CC(C2)C3"),
    ("bicyclooctane", "C1CC2CCC1CC2"),
    ("norbornane", "C1CC2CCC1C2"),
    ("spiro", "C1CCC2(C1)CCCC2"),
    ("anthracene", "c1ccc2cc3ccccc3cc2c1"),
    ("phenanthrene", "c1ccc2c(c1)ccc1ccccc12"),
    ("pyrene", "c1cc2ccc3cccc4ccc(c1)c2c34"),
    ("dodecahedrane", "C12C3C4C5C1C6C7C2C8C3C9C4C%10C5C6C%11C7C8C9C%10%11"),
    ("fullerene_c60",
     "c12c3c4c5c1c1c6c7c2c2c8c3c3c9c4c4c%10c5c5c1c1c6c6c%11c7c2c2c7c8c3c3c8c9c4c4c9c%10c5c5c1c1c6c6c%11c2"
     "c2c7c3c3c8c4c4c9c5c1c1c6c2c3c41"),
    ("phosphonate", "COP(=O)OC"),
    ("phosphate", "COP(=O)(OC)OC"),
    ("nitrate_ester", "CO[N+](=O)[O-]"),
    ("nitroso", "CN=O"),
    ("hydrazine", "NN"),
    ("methylhydrazine", "CNN"),
    ("diazene", "CN=NC"),
    ("sulfonic_acid", "CS(=O)(=O)O"),
    ("bromo_iodo", "BrCCI"),
    ("fluoro", "FC(F)(F)C(=O)O"),
    ("silane", "C[Si](C)(C)C"),
    ("germane", "C[Ge](C)(C)C"),
    ("boronic", "OB(O)c1ccccc1"),
    ("ferrocene_like", "[Fe+2].c1cc[cH-]c1.c1cc[cH-]c1"),
    ("tin", "C[Sn](C)(C)C"),
    ("arsenic", "C[As](C)C"),
    ("triple_charge", "[Al+3].[Cl-].[Cl-].[Cl-]"),
    ("carbonate", "[O-]C([O-])=O"),
    ("disconnected_ring", "C1CC1.C1CCC1"),
]

# Queries of the search tests: SMILES, written as Kekulé molfiles; the
# SMARTS is built from the same molecule.
QUERIES = [
    ("benzene", "C1=CC=CC=C1"),
    ("carboxyl", "C(=O)O"),
    ("amide", "C(=O)N"),
    ("ethanol", "CCO"),
    ("nitrile", "C#N"),
    ("pyridine", "C1=CC=NC=C1"),
    ("cyclohexane", "C1CCCCC1"),
    ("enone", "O=CC=C"),
    ("chloro", "Cl"),
    ("thioether", "CSC"),
    ("nitro", "[N+](=O)[O-]"),
    ("two_parts", "O.N"),
    ("two_chlorines", "Cl.Cl"),
    ("sulfonyl", "S(=O)(=O)"),
    ("naphthalene", "C1=CC=C2C=CC=CC2=C1"),
]

# SMARTS of the fragment-count rules, each counting its centre atom once
# (bond kinds count bonds).
FRAGMENT_SMARTS = {
    "NSglBnd": ["*-*"], "NCCSgl": ["[#6]-[#6]"], "NDblBnd": ["*=*"], "NCCDbl": ["[#6]=[#6]"],
    "NTrplBnd": ["*#*"], "NCCTrpl": ["[#6]#[#6]"], "NAroBnd": ["*:*"],
    "NBranch": ["[D{3-}]"],
    "XCnt": ["[#17,#35]"],
    "COOH": ["[#6;D3](=[#8])-[#8;D1]"],
    "COO": ["[#6;D3](=[#8])-[#8;D{2-}]"],
    "NO2": ["[#7;D3](=[#8])=[#8]", "[#7;D3;+1](=[#8])-[#8]"],
    "AnyCO": ["[#6;D{1-3}]=[#8]"],
    "AroCl": ["[#17]~[#6]:*"],
    "AroBr": ["[#35]~[#6]:*"],
    "AnyOH": ["[#8;D1]-*"],
    "PhOH": ["[#8;D1]-[#6]:*"],
    "NH2": ["[#7;D1]-[!#7;!$([#6]=[#8])]"],
    "NHR": ["[#7;D2](-[!#7;!$([#6]=[#8])])-[!#7;!$([#6]=[#8])]"],
    "NR2": ["[#7;D3](-[!#7;!$([#6]=[#8])])(-[!#7;!$([#6]=[#8])])-[!#7;!$([#6]=[#8])]"],
    "NCON": ["[#6;D3](=[#8])(-[#7])-[#7]"],
    "CN": ["[#6;D2]#[#7]"],
    "CONR2": ["[#6;D3;$([#6](=[#8])-[#7]);!$([#6](-[#7])-[#7]);!$([#6](=[#8])=[#8])]"],
    "CHO": ["[#6;D1]=[#8]", "[#6;D2;!$([#6](=*)=*)]=[#8]"],
    "COX": ["[#6;D{1-3}](=[#8])~[#17,#35,#53]"],
    "AnySO": ["[#16;D{1-3}]=[#8]"],
    "OCH3": ["[#8;D2]~[#6;D1]"],
    "NO": ["[#7;D2]=[#8]"],
    "NNH2": ["[#7;D2]-[#7;D1]"],
}
BOND_KINDS = {"NSglBnd", "NCCSgl", "NDblBnd", "NCCDbl", "NTrplBnd", "NCCTrpl", "NAroBnd", "NNH2"}
FORMULA_ORDER = [6, 1, 7, 8, 16, 15, 9, 17, 35, 53]
PT = Chem.GetPeriodicTable()


def with_coords(m):
    m = Chem.Mol(m)
    AllChem.Compute2DCoords(m)
    return m


def molblock(m, name, kekulize=True):
    m = Chem.Mol(m)
    m.SetProp("_Name", name)
    return Chem.MolToMolBlock(m, kekulize=kekulize, forceV3000=False)


def write_sd(path, records):
    with open(path, "w", newline="\n") as f:
        for block, props in records:
            f.write(block)
            for k, v in props:
                f.write(f"> <{k}>\n{v}\n\n")
            f.write("$$$$\n")


def formula(m):
    """Entries Z/mass/count in the table's order, implicit hydrogens first."""
    pairs = []

    def add(z, w, n):
        for p in pairs:
            if p[0] == z and p[1] == w:
                p[2] += n
                return
        pairs.append([z, w, n])

    implicit = sum(a.GetTotalNumHs() for a in m.GetAtoms() if a.GetAtomicNum() != 1)
    if implicit > 0:
        add(1, 1, implicit)
    for a in m.GetAtoms():
        z = a.GetAtomicNum()
        add(z, a.GetIsotope() or PT.GetMostCommonIsotope(z), 1)
    rank = lambda z: FORMULA_ORDER.index(z) if z in FORMULA_ORDER else len(FORMULA_ORDER)
    pairs.sort(key=lambda p: rank(p[0]))
    return " ".join(f"{z}/{w}/{n}" for z, w, n in pairs)


def unsanitised(block):
    m = Chem.MolFromMolBlock(block, sanitize=False, removeHs=False)
    m.UpdatePropertyCache(strict=False)
    return m


def ring_count(m):
    return m.GetNumBonds() - m.GetNumAtoms() + len(Chem.GetMolFrags(m))


def fragment_counts(m):
    out = []
    for kind, patterns in FRAGMENT_SMARTS.items():
        if kind in BOND_KINDS:
            n = sum(len(m.GetSubstructMatches(Chem.MolFromSmarts(p), uniquify=True, maxMatches=100000))
                    for p in patterns)
        else:
            centres = set()
            for p in patterns:
                for match in m.GetSubstructMatches(Chem.MolFromSmarts(p), uniquify=False, maxMatches=100000):
                    centres.add(match[0])
            n = len(centres)
        out.append(f"{kind}={n}")
    return " ".join(out)


def obabel_values(sdf):
    """Formula and weight per record as Open Babel computes them."""
    r = subprocess.run(["obabel", "-isdf", sdf, "-otxt", "--append", "formula MW"],
                       capture_output=True, text=True, check=True)
    rows = []
    for line in r.stdout.splitlines():
        parts = line.split()
        if len(parts) >= 2:
            rows.append((parts[-2], parts[-1]))
    return rows


def obabel_sd(smiles_list):
    with tempfile.NamedTemporaryFile("w", suffix=".smi", delete=False) as f:
        for name, smi in smiles_list:
            f.write(f"{smi} {name}\n")
        path = f.name
    r = subprocess.run(["obabel", "-ismi", path, "-osdf", "--gen2d"], capture_output=True, text=True, check=True)
    os.unlink(path)
    return r.stdout


def make_molecules():
    mols = []
    for name, smi in MOLECULES:
        m = Chem.MolFromSmiles(smi)
        assert m is not None, name
        mols.append((name, smi, with_coords(m)))
    kek = [molblock(m, n) for n, _, m in mols]
    arom = [molblock(m, n, False) for n, _, m in mols]
    write_sd(os.path.join(OUT, "mols_rdkit.sdf"), [(b, [("SMILES", s)]) for b, (_, s, _) in zip(kek, mols)])
    write_sd(os.path.join(OUT, "mols_rdkit_arom.sdf"), [(b, []) for b in arom])
    ob = obabel_sd([(n, s) for n, s, _ in mols])
    with open(os.path.join(OUT, "mols_obabel.sdf"), "w", newline="\n") as f:
        f.write(ob)
    ob_vals = obabel_values(os.path.join(OUT, "mols_obabel.sdf"))
    assert len(ob_vals) == len(mols)
    with open(os.path.join(OUT, "mols_expected.tsv"), "w") as f:
        f.write("# name\tatoms\tformula\ttotal_h\tmolwt\tcharges\trings\tsssr\tob_formula\tob_mw\t"
                "fragments of the Kekule file\tfragments of the aromatic file\n")
        for (name, smi, m), (obf, obw), kb, ab in zip(mols, ob_vals, kek, arom):
            total_h = sum(a.GetTotalNumHs() for a in m.GetAtoms()) + sum(
                1 for a in m.GetAtoms() if a.GetAtomicNum() == 1)
            charges = ",".join(str(a.GetFormalCharge()) for a in m.GetAtoms())
            sssr = ",".join(str(len(r)) for r in sorted(Chem.GetSymmSSSR(m), key=len))
            f.write(f"{name}\t{m.GetNumAtoms()}\t{formula(m)}\t{total_h}\t{Descriptors.MolWt(m):.5f}\t"
                    f"{charges}\t{ring_count(m)}\t{sssr or '-'}\t{obf}\t{obw}\t{fragment_counts(unsanitised(kb))}\t"
                    f"{fragment_counts(unsanitised(ab))}\n")


def nci_molecules(limit):
    out = []
    with open(NCI) as f:
        for line in f:
            smi, ident = line.split()[:2]
            m = Chem.MolFromSmiles(smi)
            if m is None or m.GetNumAtoms() > 63 or any(a.GetDegree() > 10 for a in m.GetAtoms()):
                continue
            out.append((f"NCI{ident}", m))
            if len(out) >= limit:
                break
    return out


def query_smarts(q, bond_types):
    """Atoms [#Z], bonds - = # : (or ~), as the search compares them."""
    sym = {Chem.BondType.SINGLE: "-", Chem.BondType.DOUBLE: "=", Chem.BondType.TRIPLE: "#",
           Chem.BondType.AROMATIC: ":"}
    atoms = [f"[#{a.GetAtomicNum()}]" for a in q.GetAtoms()]
    bonds = [(b.GetBeginAtomIdx(), b.GetEndAtomIdx(), sym[b.GetBondType()] if bond_types else "~")
             for b in q.GetBonds()]
    return atoms, bonds


def smarts_mol(atoms, bonds):
    rw = Chem.RWMol(Chem.MolFromSmarts(".".join(atoms)))
    for a, b, s in bonds:
        qb = Chem.MolFromSmarts(f"[*]{s}[*]").GetBondWithIdx(0)
        rw.AddBond(a, b, Chem.BondType.UNSPECIFIED)
        rw.ReplaceBond(rw.GetBondBetweenAtoms(a, b).GetIdx(), qb)
    return rw.GetMol()


def make_nci(limit=250):
    mols = nci_molecules(limit)
    blocks = [molblock(with_coords(m), name) for name, m in mols]
    write_sd(os.path.join(OUT, "nci_kekule.sdf"), [(b, []) for b in blocks])
    targets = [unsanitised(b) for b in blocks]
    qblocks = []
    with open(os.path.join(OUT, "nci_hits.tsv"), "w") as f:
        f.write("# query\tbond_types\thits (1-based records)\n")
        for name, smi in QUERIES:
            q = Chem.MolFromSmiles(smi, sanitize=False)
            q.UpdatePropertyCache(strict=False)
            qblocks.append((molblock(with_coords(q), name), []))
            for bond_types in (True, False):
                patt = smarts_mol(*query_smarts(q, bond_types))
                hits = [str(i + 1) for i, t in enumerate(targets) if t.HasSubstructMatch(patt)]
                f.write(f"{name}\t{int(bond_types)}\t{','.join(hits) or '-'}\n")
    write_sd(os.path.join(OUT, "nci_queries.sdf"), qblocks)
    frag_total = {}
    for t in targets:
        for item in fragment_counts(t).split():
            k, v = item.split("=")
            frag_total[k] = frag_total.get(k, 0) + int(v)
    with open(os.path.join(OUT, "nci_fragments.tsv"), "w") as f:
        f.write("# kind\tsum over nci_kekule.sdf\n")
        for k, v in frag_total.items():
            f.write(f"{k}\t{v}\n")


def make_pca():
    """Scores of points on their principal components, by numpy."""
    import numpy as np
    rng = np.random.default_rng(31)
    pts = np.round(rng.normal(size=(12, 2)) @ np.array([[300.0, 80.0], [-40.0, 90.0]]) + [400, 300])
    centred = pts - pts.mean(axis=0)
    vals, vecs = np.linalg.eigh(np.cov(centred.T))
    scores = centred @ vecs[:, np.argsort(vals)[::-1]]
    with open(os.path.join(OUT, "pca_scores.tsv"), "w") as f:
        f.write("# x\ty\tscore on component 1\tscore on component 2 (signs are arbitrary)\n")
        for (x, y), (s1, s2) in zip(pts, scores):
            f.write(f"{x:.0f}\t{y:.0f}\t{s1:.6f}\t{s2:.6f}\n")


def make_bench(path):
    mols = nci_molecules(5000)
    write_sd(path, [(molblock(with_coords(m), name), []) for name, m in mols])


if __name__ == "__main__":
    if len(sys.argv) == 3 and sys.argv[1] == "--bench":
        make_bench(sys.argv[2])
    else:
        os.makedirs(OUT, exist_ok=True)
        make_molecules()
        make_nci()
        make_pca()
