#!/usr/bin/env python3
"""An independent codec of the geographic database files, written from the
record tables (not from the C++ code), and the fixture it makes.

The fixture maplib/tests/data/geodb/sample.* is the database that results
from the operations in build_sample(); the C++ tests repeat them and compare
the seven files byte for byte, and open the fixture to read it back.

    python3 tools/ref/geodb_codec.py            # writes the fixture
    python3 tools/ref/geodb_codec.py --dump DB  # prints a database
    python3 tools/ref/geodb_codec.py --fuzz-seed fuzz/corpus/geodb
"""
import os
import struct
import sys

HEADER_SIZE = 260
DATA_SIZE = 120
META_SIZE = 1024
BLOCK = 16384
KINDS = ["Border", "Town", "City", "Lake", "River", "Road", "Route", "BLOB", "Undefined"]
POLYGON_KINDS = {0, 2, 3, 4, 5, 6}
META_CAPS = [255, 127, 127, 255, 255]  # keyword, caption, file path, descriptor, comment


def f32(x):
    return struct.unpack("<f", struct.pack("<f", x))[0]


def short_string(text, cap, pad):
    raw = text.encode("cp1252")[:cap]
    return bytes([len(raw)]) + raw + pad * (cap - len(raw))


def read_short(buf, cap):
    n = min(buf[0], cap)
    return buf[1:1 + n].decode("cp1252")


# --- records ---------------------------------------------------------------

def enc_header(h):
    b = struct.pack("<ii", h["LastItemID"], h["DBVersion"])
    b += short_string(h["Description"], 63, b"\0")
    b += struct.pack("<i", h["Revision"])
    return b + bytes(HEADER_SIZE - len(b))


def dec_header(b):
    last, ver = struct.unpack_from("<ii", b, 0)
    (rev,) = struct.unpack_from("<i", b, 72)
    return {"LastItemID": last, "DBVersion": ver, "Description": read_short(b[8:72], 63), "Revision": rev}


def enc_data(d):
    b = struct.pack("<i", d["ItemID"])
    b += short_string(d["Name"], 59, b" ")
    b += struct.pack("<fB3x", d["FloatAttr"], d["ByteAttr"])
    b += struct.pack("<iidi", d["IntAttrB"], d["DataPos"], d["Date"], d["IntAttrA"])
    b += struct.pack("<ffff", d["LatLow"], d["LatHigh"], d["LongLow"], d["LongHigh"])
    b += struct.pack("<B3xiB3x", d["Kind"], d["Size"], 1 if d["Closed"] else 0)
    assert len(b) == DATA_SIZE
    return b


def dec_data(b):
    d = {"ItemID": struct.unpack_from("<i", b, 0)[0], "Name": read_short(b[4:64], 59)}
    d["FloatAttr"], d["ByteAttr"] = struct.unpack_from("<fB", b, 64)
    d["IntAttrB"], d["DataPos"], d["Date"], d["IntAttrA"] = struct.unpack_from("<iidi", b, 72)
    d["LatLow"], d["LatHigh"], d["LongLow"], d["LongHigh"] = struct.unpack_from("<ffff", b, 92)
    d["Kind"] = b[108]
    (d["Size"],) = struct.unpack_from("<i", b, 112)
    d["Closed"] = b[116] != 0
    return d


def enc_meta(m):
    b = b"".join(short_string(t, c, b"\0") for t, c in zip(m, META_CAPS))
    assert len(b) == META_SIZE
    return b


def dec_meta(b):
    out, pos = [], 0
    for c in META_CAPS:
        out.append(read_short(b[pos:pos + c + 1], c))
        pos += c + 1
    return out


def enc_index(ix, key_fmt):
    return b"".join(struct.pack("<" + key_fmt + "i", k, e) for k, e in ix)


def dec_index(b, key_fmt):
    return [struct.unpack_from("<" + key_fmt + "i", b, p) for p in range(0, len(b), 8)]


# --- the database's algorithms -----------------------------------------------

def search_stop(keys, v):
    """Where a binary search for v stops, one further when v is greater."""
    lo, hi = 0, len(keys) - 1
    while lo <= hi:
        mid = (lo + hi) // 2
        if keys[mid] < v:
            lo = mid + 1
        elif keys[mid] > v:
            hi = mid - 1
        else:
            return mid
    return lo


INDEX_KEYS = [lambda d: d["ItemID"], lambda d: d["LatLow"], lambda d: d["LatHigh"],
              lambda d: d["LongLow"], lambda d: d["LongHigh"]]


class Database:
    def __init__(self):
        self.header = {"LastItemID": 0, "DBVersion": 4, "Description": "", "Revision": 0}
        self.payload = bytearray()
        self.summary = []
        self.indexes = [[] for _ in range(5)]

    def data_file(self):
        return enc_header(self.header) + bytes(self.payload)

    def add(self, name, kind, points=(), closed=False, box=(0, 0, 0, 0), meta=None, blob=b"",
            date=0.0, int_a=0, float_attr=0.0, byte_attr=0, int_b=0):
        self.header["LastItemID"] += 1
        d = {"ItemID": self.header["LastItemID"], "Name": name[:59], "FloatAttr": f32(float_attr),
             "ByteAttr": byte_attr, "IntAttrB": int_b, "DataPos": -1, "Date": date, "IntAttrA": int_a,
             "Kind": kind, "Size": 0, "Closed": False}
        d["LatLow"], d["LatHigh"], d["LongLow"], d["LongHigh"] = (f32(v) for v in box)
        end = HEADER_SIZE + len(self.payload)
        if kind == 7:
            d["Size"], d["DataPos"] = len(blob), end
            self.payload += enc_meta(meta) + blob
        elif kind in POLYGON_KINDS:
            d["Closed"] = closed
            pts = [(f32(a), f32(b)) for a, b in points]
            d["LatLow"] = min([90.0] + [p[0] for p in pts])
            d["LatHigh"] = max([-90.0] + [p[0] for p in pts])
            d["LongLow"] = min([180.0] + [p[1] for p in pts])
            d["LongHigh"] = max([-180.0] + [p[1] for p in pts])
            d["DataPos"], d["Size"] = end, len(pts)
            self.payload += b"".join(struct.pack("<ff", a, b) for a, b in pts)
        self.summary.append(d)
        entry0 = len(self.summary) - 1
        for ix, key in zip(self.indexes, INDEX_KEYS):
            p = search_stop([k for k, _ in ix], key(d))
            ix.insert(p, (key(d), entry0))
        return len(self.summary)

    def delete(self, entry):
        e, last = entry - 1, len(self.summary) - 1
        self.summary[e] = self.summary[last]
        self.summary.pop()
        for i, ix in enumerate(self.indexes):
            ix.remove(next(r for r in ix if r[1] == e))
            self.indexes[i] = [(k, e if x == last else x) for k, x in ix]

    def write(self, base):
        with open(base + ".nuvgdd", "wb") as f:
            f.write(self.data_file())
        with open(base + ".nuvgds", "wb") as f:
            f.write(b"".join(enc_data(d) for d in self.summary))
        for i, ix in enumerate(self.indexes):
            with open(base + ".nuvgi%d" % i, "wb") as f:
                f.write(enc_index(ix, "i" if i == 0 else "f"))


def blob_pattern(n):
    return bytes((i * 7 + 3) % 251 for i in range(n))


def build_sample():
    """Keep in step with SampleOperations() in Nuv_geodb_test.cpp."""
    db = Database()
    db.add("Lower Saxony", 0, points=[(52.5, 7.0), (53.75, 8.25), (51.25, 11.5), (52.0, 9.125)],
           closed=True, box=(1, 2, 3, 4), date=45000.5, int_a=7, float_attr=1.5, byte_attr=3, int_b=-2)
    db.add("Graz", 1, box=(47.07, 47.07, 15.44, 15.44), date=45001.25, int_a=1, float_attr=2.25,
           byte_attr=1, int_b=10)
    db.add("notes", 7, meta=["kwd", "A caption", "", "descriptor", "comment"], blob=blob_pattern(20000),
           box=(-10, 10, -20, 20), date=45002.0, int_a=2, float_attr=0.5, byte_attr=2, int_b=20)
    db.add("R" * 70, 4, points=[(47.07, 15.0), (46.5, 15.44), (48.0, 16.0)], date=45003.0, int_a=3)
    db.add("Empty lake", 3, closed=True, date=45004.0)
    db.add("Wien", 1, box=(47.07, 47.07, 16.37, 16.37), date=45005.75, int_a=5, byte_attr=1)
    db.header["Description"] = "Test database \xe4\xf6\xfc"
    db.header["Revision"] = 3
    db.delete(2)
    return db


def dump(base):
    with open(base + ".nuvgdd", "rb") as f:
        data = f.read()
    print(dec_header(data[:HEADER_SIZE]))
    with open(base + ".nuvgds", "rb") as f:
        s = f.read()
    for p in range(0, len(s) - len(s) % DATA_SIZE, DATA_SIZE):
        print(dec_data(s[p:p + DATA_SIZE]))
    for i in range(5):
        with open(base + ".nuvgi%d" % i, "rb") as f:
            print(i, dec_index(f.read(), "i" if i == 0 else "f"))


def fuzz_seed(db):
    """The files as fuzz/geodb_fuzz.cpp reads them: each a 4-byte length, then its bytes."""
    files = [db.data_file(), b"".join(enc_data(d) for d in db.summary)]
    files += [enc_index(ix, "i" if i == 0 else "f") for i, ix in enumerate(db.indexes)]
    return b"".join(struct.pack("<I", len(f)) + f for f in files)


def main():
    if len(sys.argv) == 3 and sys.argv[1] == "--dump":
        dump(sys.argv[2])
        return
    if len(sys.argv) == 3 and sys.argv[1] == "--fuzz-seed":
        os.makedirs(sys.argv[2], exist_ok=True)
        with open(os.path.join(sys.argv[2], "sample"), "wb") as f:
            f.write(fuzz_seed(build_sample()))
        small = Database()
        small.add("b", 0, points=[(1, 2), (3, 4)], closed=True)
        small.add("t", 1, box=(5, 5, 6, 6))
        small.add("o", 7, meta=["k", "", "", "", ""], blob=b"0123456789")
        with open(os.path.join(sys.argv[2], "small"), "wb") as f:
            f.write(fuzz_seed(small))
        return
    here = os.path.dirname(os.path.abspath(__file__))
    out = os.path.join(here, "..", "..", "maplib", "tests", "data", "geodb")
    os.makedirs(out, exist_ok=True)
    build_sample().write(os.path.join(out, "sample"))


if __name__ == "__main__":
    main()
