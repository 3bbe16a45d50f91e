#!/usr/bin/python3
"""Fixtures and expected values of the structure drawing tests.

Writes, into mollib/tests/data/chemgrph/, molfiles made by RDKit from
SMILES chosen here (2-D coordinates from RDKit's Compute2DCoords) and:

  labels.tsv  per heteroatom or charged atom of the label molecules: file,
              atom number, symbol, formal charge and RDKit's total hydrogen
              count, which the drawn label must show;
  rings.tsv   per ring of the picking molecules: file and the ring's atoms,
              sorted (the tests query the ring's centroid);
  chains.tsv  per atom with at most two bonds of the picking molecules:
              file, the atom, and the chain through it: the atoms followed
              in both directions through those with exactly two bonds up to
              the first with another bond count, end to end.

Nothing here reads nuv's output.

    /usr/bin/python3 tools/ref/chemgrph_fixtures.py

Needs python3-rdkit.
"""
import os

from rdkit import Chem, RDLogger
from rdkit.Chem import AllChem

RDLogger.DisableLog("rdApp.*")

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "..", "mollib", "tests", "data", "chemgrph")

# Charged and aromatic atoms; written with aromatic bonds (type 4) unless
# the molecule has an aromatic N-H, whose hydrogen an aromatic-bond
# molfile does not carry: those are written in Kekulé form.
LABELS = [
    ("pyridinium", "c1cc[nH+]cc1", True),
    ("methylpyridinium", "C[n+]1ccccc1", True),
    ("pyridine_oxide", "[O-][n+]1ccccc1", True),
    ("phenolate", "[O-]c1ccccc1", True),
    ("anilinium", "[NH3+]c1ccccc1", True),
    ("thiophene", "c1ccsc1", True),
    ("furan", "c1ccoc1", True),
    ("dmap", "CN(C)c1ccncc1", True),
    ("nitrobenzene", "[O-][N+](=O)c1ccccc1", True),
    ("pyrrole", "c1cc[nH]c1", False),
    ("imidazolium", "c1c[nH+]c[nH]1", False),
    ("ammonium", "[NH4+]", False),
    ("water", "O", False),
    ("hydroxide", "[OH-]", False),
    ("iron3", "[Fe+3]", False),
    ("calcium", "[Ca+2]", False),
    ("tetramethylammonium", "C[N+](C)(C)C", False),
    ("trimethyloxonium", "C[O+](C)C", False),
    ("acetate", "CC(=O)[O-]", False),
    ("guanidinium", "NC(N)=[NH2+]", False),
    ("dmso", "CS(C)=O", False),
    ("methylamine", "CN", False),
    ("dimethylphosphine", "CPC", False),
]

PICKS = [
    ("butylnaphthalene", "CCCCc1ccc2ccccc2c1"),
    ("cyclohexane", "C1CCCCC1"),
    ("propylcyclopentane", "CCCC1CCCC1"),
    ("biphenyl_ether", "c1ccc(Oc2ccccc2)cc1"),
]


def molfile(mol, name, kekulize=True):
    mol = Chem.Mol(mol)
    mol.SetProp("_Name", name)
    AllChem.Compute2DCoords(mol, canonOrient=True)
    return Chem.MolToMolBlock(mol, kekulize=kekulize)


def write(name, text):
    with open(os.path.join(OUT, name), "w", newline="\n") as f:
        f.write(text)


def labels():
    rows = ["# file\tatom\tsymbol\tcharge\thydrogens"]
    for name, smi, aromatic in LABELS:
        mol = Chem.MolFromSmiles(smi)
        write(name + ".mol", molfile(mol, name, kekulize=not aromatic))
        for a in mol.GetAtoms():
            if a.GetSymbol() == "C" and a.GetFormalCharge() == 0:
                continue
            rows.append("%s.mol\t%d\t%s\t%d\t%d" % (name, a.GetIdx() + 1, a.GetSymbol(),
                                                    a.GetFormalCharge(), a.GetTotalNumHs()))
    write("labels.tsv", "\n".join(rows) + "\n")


def chain_through(mol, start):
    deg = [a.GetDegree() for a in mol.GetAtoms()]
    seen = {start}

    def walk(first):
        out, prev, cur = [], start, first
        while cur is not None and cur not in seen:
            seen.add(cur)
            out.append(cur)
            if deg[cur] != 2:
                break
            nxt = [n.GetIdx() for n in mol.GetAtomWithIdx(cur).GetNeighbors() if n.GetIdx() != prev]
            prev, cur = cur, (nxt[0] if nxt else None)
        return out

    nbs = [n.GetIdx() for n in mol.GetAtomWithIdx(start).GetNeighbors()]
    ahead = walk(nbs[0] if nbs else None)
    back = walk(nbs[1] if len(nbs) == 2 else None)
    chain = back[::-1] + [start] + ahead
    return chain


def picks():
    rings = ["# file\tring atoms (sorted)"]
    chains = ["# file\tatom\tchain atoms in order"]
    for name, smi in PICKS:
        mol = Chem.MolFromSmiles(smi)
        block = molfile(mol, name)
        write(name + ".mol", block)
        mol = Chem.MolFromMolBlock(block)
        for ring in mol.GetRingInfo().AtomRings():
            rings.append("%s.mol\t%s" % (name, " ".join(str(i + 1) for i in sorted(ring))))
        for a in mol.GetAtoms():
            if a.GetDegree() > 2:
                continue
            chain = chain_through(mol, a.GetIdx())
            chains.append("%s.mol\t%d\t%s" % (name, a.GetIdx() + 1, " ".join(str(i + 1) for i in chain)))
    write("rings.tsv", "\n".join(rings) + "\n")
    write("chains.tsv", "\n".join(chains) + "\n")


# Tristearin: 63 heavy atoms, the most a table holds, for the layout search.
TRISTEARIN = "CCCCCCCCCCCCCCCCCC(=O)OCC(COC(=O)CCCCCCCCCCCCCCCCC)OC(=O)CCCCCCCCCCCCCCCCC"


def layout63():
    mol = Chem.MolFromSmiles(TRISTEARIN)
    assert mol.GetNumAtoms() == 63
    write("layout63.mol", molfile(mol, "tristearin"))


def main():
    os.makedirs(OUT, exist_ok=True)
    labels()
    picks()
    layout63()


if __name__ == "__main__":
    main()
