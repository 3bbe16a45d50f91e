#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "FileFixtures.h"
#include "Nuv_matrix_3d4d_test.h"
#include "Nuv_matrix_test.h"
#include "TempDir.h"
#include "nuv/Nuv_matrix.h"
#include "nuv/Nuv_streams.h"
#include "nuv/platform/FileUtils.h"

namespace nuv {
namespace {

using testing::FillRef;
using testing::IoCodeOf;
using testing::ReadRawFile;
using testing::Rows;
using testing::SetRows;
using testing::WriteRawFile;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// Values that only a bit-exact format keeps: a negative zero, the
// smallest subnormal, the extremes, infinities, NaNs of both signs and a
// signalling payload, and a value with 17 significant digits.
const std::vector<double> kSpecial{-0.0,
                                   5e-324,
                                   1.7976931348623157e308,
                                   -1e308,
                                   kInf,
                                   -kInf,
                                   kNaN,
                                   -kNaN,
                                   std::bit_cast<double>(uint64_t{0x7FF0000000000123}),
                                   0.1,
                                   1.0 / 3,
                                   -2.5e-310};

// A 3 × 4 matrix holding the special values column by column.
void FillSpecial(TMatrix& m) {
  m.Resize(3, 4);
  for (int32_t i = 0; i < 12; ++i) m.Column(i / 4 + 1)[i % 4] = kSpecial[i];
  m.SetDataID("special \xE9 values");
}

std::vector<uint64_t> Bits(const TMatrix& m) {
  std::vector<uint64_t> bits;
  for (int32_t c = 1; c <= m.NrOfColumns(); ++c)
    for (int32_t r = 1; r <= m.NrOfRows(); ++r)
      bits.push_back(std::bit_cast<uint64_t>(m.GetVal(c, r)));
  return bits;
}

std::vector<std::vector<int32_t>> IntRows(const TIntMatrix& m) {
  std::vector<std::vector<int32_t>> rows(m.NrOfRows(), std::vector<int32_t>(m.NrOfColumns()));
  for (int32_t r = 1; r <= m.NrOfRows(); ++r)
    for (int32_t c = 1; c <= m.NrOfColumns(); ++c) rows[r - 1][c - 1] = m.GetVal(c, r);
  return rows;
}

// A sparse integer matrix: counts beyond its entries, a stored zero.
std::unique_ptr<TIntMatrix> SparseSample() {
  auto m = std::make_unique<TIntMatrix>(nullptr, 7);
  m->SetVal(5, 2, -2147483647 - 1);
  m->SetVal(1, 3, 0);
  m->SetVal(2, 1, 2147483647);
  m->SetVal(5, 3, 12);
  m->Resize(9, 6);
  m->SetDataID("sparse");
  return m;
}

void ExpectSameSparse(const TIntMatrix& got, const TIntMatrix& want, const char* what) {
  ASSERT_TRUE(got.IsSparse()) << what;
  EXPECT_EQ(got.NrOfColumns(), want.NrOfColumns()) << what;
  EXPECT_EQ(got.NrOfRows(), want.NrOfRows()) << what;
  EXPECT_EQ(got.AllocStep(), want.AllocStep()) << what;
  EXPECT_EQ(std::vector<TIntMatEntry>(got.Entries().begin(), got.Entries().end()),
            std::vector<TIntMatEntry>(want.Entries().begin(), want.Entries().end()))
      << what;
  EXPECT_EQ(got.BoundingBox(), want.BoundingBox()) << what;
  EXPECT_EQ(got.DataID(), want.DataID()) << what;
}

// ---------------------------------------------------------------------------
// Text files

TEST(TMatrixFiles, TextHoldsTheWindowRowByRowInThePrecisions) {
  testing::TempDir dir;
  const std::string file = dir.File("m.txt");
  TMatrix m(nullptr);
  SetRows(m, {{1.5, -2, 0.125}, {1e300, 0, -0.5}});
  const struct {
    const char* what;
    int32_t window[4], width, decimals;
    std::string text;
  } cases[] = {
      {"defaults: E(x, 15)", {0, 0, 0, 0}, 15, -1,
       "1 1 3 2\r\n 1.500000E+0000 -2.000000E+0000  1.250000E-0001\r\n"
       " 1.000000E+0300  0.000000E+0000 -5.000000E-0001\r\n"},
      {"fixed, reversed and clamped", {3, 2, 2, 9}, 1, 2, "2 2 3 2\r\n0.00 -0.50\r\n"},
      {"zero padded", {1, 1, 1, 1}, -1, 3, "1 1 1 1\r\n1.500\r\n"},
  };
  for (const auto& k : cases) {
    m.SetFPrecis(1, k.width);
    m.SetFPrecis(2, k.decimals);
    ASSERT_TRUE(m.StoreOnFile(k.window[0], k.window[1], k.window[2], k.window[3], file)) << k.what;
    EXPECT_EQ(ReadRawFile(file), k.text) << k.what;
  }
  TIntMatrix im(nullptr);
  im.Resize(2, 2);
  im.SetVal(1, 2, -7);
  im.SetVal(2, 1, 2147483647);
  ASSERT_TRUE(im.StoreOnFile(0, 0, 0, 0, file));
  EXPECT_EQ(ReadRawFile(file), "1 1 2 2\r\n0 2147483647\r\n-7 0\r\n");
  im.Resize(0, 3);
  ASSERT_TRUE(im.StoreOnFile(0, 0, 0, 0, file));
  EXPECT_EQ(ReadRawFile(file), "1 1 0 3\r\n") << "no columns";
}

TEST(TMatrixFiles, TextRoundTripsRestoreWindowAndShape) {
  testing::TempDir dir;
  const std::string file = dir.File("m.txt");
  TMatrix m(nullptr), back(nullptr);
  SetRows(m, {{1.5, -2, 0.125, 7}, {kNaN, kInf, -kInf, 3}, {4, 5, 6, 8}});
  m.SetFPrecis(1, 1);
  m.SetFPrecis(2, 3);
  ASSERT_TRUE(m.StoreOnFile(2, 2, 3, 3, file));
  ASSERT_TRUE(back.LoadFromFile(file, true));
  const testing::TRows want{{0, 0, 0}, {0, kInf, -kInf}, {0, 5, 6}};
  EXPECT_EQ(Rows(back), want) << "shape hiCol x hiRow, the window in place";

  // Without adjustSize the window must fit, and only it changes.
  SetRows(back, {{9, 9, 9}, {9, 9, 9}});
  EXPECT_FALSE(back.LoadFromFile(file, false));
  EXPECT_EQ(Rows(back), testing::TRows({{9, 9, 9}, {9, 9, 9}}));
  SetRows(back, {{9, 9, 9, 9}, {9, 9, 9, 9}, {9, 9, 9, 9}});
  ASSERT_TRUE(back.LoadFromFile(file, false));
  EXPECT_EQ(Rows(back), testing::TRows({{9, 9, 9, 9}, {9, kInf, -kInf, 9}, {9, 5, 6, 9}}));

  ASSERT_TRUE(m.StoreOnFile(0, 0, 0, 0, file));
  ASSERT_TRUE(back.LoadFromFile(file, true));
  EXPECT_TRUE(std::isnan(back.GetVal(1, 2))) << "NAN reads back";

  TMatrix empty(nullptr);
  empty.Resize(0, 5);
  ASSERT_TRUE(empty.StoreOnFile(0, 0, 0, 0, file));
  ASSERT_TRUE(back.LoadFromFile(file, true));
  EXPECT_EQ(back.NrOfColumns(), 0);
  EXPECT_EQ(back.NrOfRows(), 5);
}

TEST(TIntMatrixFiles, TextLoadsIntoEitherMode) {
  testing::TempDir dir;
  const std::string file = dir.File("i.txt");
  WriteRawFile(file, "2 1 3 2\r\n5 0\r\n-1 2.6\r\n");
  TIntMatrix dense(nullptr);
  ASSERT_TRUE(dense.LoadFromFile(file, true));
  EXPECT_EQ(IntRows(dense), (std::vector<std::vector<int32_t>>{{0, 5, 0}, {0, -1, 3}}))
      << "numbers are rounded";

  auto sparse = SparseSample();
  sparse->SetVal(3, 1, 44);  // overwritten by the file's 0, and kept as an entry
  sparse->Resize(9, 6);
  ASSERT_TRUE(sparse->LoadFromFile(file, false));
  ASSERT_TRUE(sparse->IsSparse());
  EXPECT_EQ(sparse->NrOfColumns(), 9);
  EXPECT_EQ(sparse->NrOfRows(), 6);
  EXPECT_EQ(sparse->GetVal(2, 1), 5);
  EXPECT_EQ(sparse->GetVal(3, 2), 3);
  EXPECT_EQ(sparse->GetVal(3, 1), 0);
  EXPECT_EQ(sparse->NrOfEntries(), 7) << "five entries, two new";

  WriteRawFile(file, "1 1 1 1\r\n2147483648\r\n");
  EXPECT_FALSE(dense.LoadFromFile(file, true)) << "beyond the int32 range";
}

// ---------------------------------------------------------------------------
// Streams

TEST(TMatrixFiles, StreamRecordsRestoreWindowAndShape) {
  TMatrix m(nullptr), back(nullptr);
  FillSpecial(m);
  std::unique_ptr<TMemoryStream> stream;
  m.SaveToStream(stream, 3, 4, 2, 2);  // columns 2..3, rows 2..4
  ASSERT_NE(stream, nullptr) << "the memory stream is created";
  EXPECT_EQ(stream->Size(), 10 * (4 + 6));
  m.SaveToStream(*stream, 0, 0, 0, 0);
  stream->SetPosition(0);
  ASSERT_TRUE(back.LoadFromStream(stream.get(), true));
  EXPECT_EQ(back.NrOfColumns(), 3);
  EXPECT_EQ(back.NrOfRows(), 4);
  for (int32_t c = 2; c <= 3; ++c)
    for (int32_t r = 2; r <= 4; ++r)
      EXPECT_EQ(std::bit_cast<uint64_t>(back.GetVal(c, r)), std::bit_cast<uint64_t>(m.GetVal(c, r)))
          << c << "," << r;
  EXPECT_EQ(back.GetVal(1, 1), 0.0);
  ASSERT_TRUE(back.LoadFromStream(stream.get(), true)) << "the next record";
  EXPECT_EQ(Bits(back), Bits(m)) << "every double survives the extended records";
  EXPECT_FALSE(back.LoadFromStream(stream.get(), true)) << "at the end";
  EXPECT_FALSE(back.LoadFromStream(nullptr, true));

  TIntMatrix im(nullptr), iback(nullptr);
  im.Resize(2, 3);
  im.SetVal(2, 3, -2147483647 - 1);
  im.SetVal(1, 1, 17);
  TMemoryStream s;
  im.SaveToStream(s, 0, 0, 0, 0);
  EXPECT_EQ(s.Size(), 4 * (4 + 6));
  s.SetPosition(0);
  ASSERT_TRUE(iback.LoadFromStream(&s, true));
  EXPECT_EQ(IntRows(iback), IntRows(im));
}

TEST(TMatrixFiles, StreamLoadersCheckTheRecordFirst) {
  auto image = [](std::vector<double> bounds, int values) {
    TMemoryStream s;
    for (double b : bounds) WriteExtendedToStream(s, b);
    for (int i = 0; i < values; ++i) WriteExtendedToStream(s, i);
    s.SetPosition(0);
    return std::string(s.Memory(), static_cast<std::size_t>(s.Size()));
  };
  const struct {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"empty", ""},
      {"three bounds", image({1, 1, 2}, 0)},
      {"too few values", image({1, 1, 2, 2}, 3)},
      {"fractional bound", image({1, 1, 2.5, 2}, 6)},
      {"zero bound", image({0, 1, 2, 2}, 4)},
      {"negative bound", image({1, -1, 2, 2}, 4)},
      {"reversed", image({2, 1, 1, 1}, 2)},
      {"empty range not starting at 1", image({3, 1, 2, 1}, 0)},
      {"beyond int32", image({1, 1, 4294967296.0, 1}, 0)},
      {"NaN bound", image({1, 1, kNaN, 1}, 0)},
      {"shape beyond 2^31 - 1 elements", image({65536, 65536, 65536, 65536}, 1)},
  };
  TMatrix m(nullptr);
  SetRows(m, {{1, 2}, {3, 4}});
  int changes = 0;
  m.OnChange = [&](TObject*) { ++changes; };
  for (const auto& k : cases) {
    TStringStream s(k.bytes);
    EXPECT_FALSE(m.LoadFromStream(&s, true)) << k.what;
  }
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(Rows(m), testing::TRows({{1, 2}, {3, 4}}));
}

// ---------------------------------------------------------------------------
// The binary file of TMatrix

TEST(TMatrixFiles, BinaryKeepsEveryBitWithPrecisionsAndDataID) {
  testing::TempDir dir;
  const std::string file = dir.File("m.nvm");
  TMatrix m(nullptr), back(nullptr);
  FillSpecial(m);
  m.SetFPrecis(1, 7);
  m.SetFPrecis(2, 25);
  m.SaveBinary(file);
  EXPECT_EQ(FileSizeOf(file), 28 + 16 + 8 * 12);
  int32_t cols = 0, rows = 0;
  std::string id;
  ASSERT_TRUE(TMatrix::ReadBinaryHeader(file, cols, rows, id));
  EXPECT_EQ(cols, 3);
  EXPECT_EQ(rows, 4);
  EXPECT_EQ(id, m.DataID());
  int changes = 0;
  back.OnChange = [&](TObject*) { ++changes; };
  ASSERT_TRUE(back.LoadBinary(file));
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(Bits(back), Bits(m));
  EXPECT_EQ(back.DataID(), m.DataID());
  EXPECT_EQ(back.GetFPrecis(1), 7);
  EXPECT_EQ(back.GetFPrecis(2), 25);

  const int32_t shapes[][2] = {{0, 5}, {4, 0}, {0, 0}, {1, 1}};
  for (const auto& s : shapes) {
    m.Resize(s[0], s[1]);
    m.SaveBinary(file);
    ASSERT_TRUE(back.LoadBinary(file)) << s[0] << "x" << s[1];
    EXPECT_EQ(back.NrOfColumns(), s[0]);
    EXPECT_EQ(back.NrOfRows(), s[1]);
  }
}

TEST(TMatrixFiles, BinaryLoaderRefusesOtherAndDamagedFiles) {
  testing::TempDir dir;
  const std::string file = dir.File("m.nvm");
  TMatrix m(nullptr);
  SetRows(m, {{1, 2, 3}, {4, 5, 6}});
  m.SetDataID("id");
  m.SaveBinary(file);
  const std::string good = ReadRawFile(file);
  auto patched = [&](std::size_t at, std::string_view bytes) {
    std::string s = good;
    s.replace(at, bytes.size(), bytes);
    return s;
  };
  const struct {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"empty", ""},
      {"header cut short", good.substr(0, 20)},
      {"data cut short", good.substr(0, good.size() - 1)},
      {"a byte too many", good + "x"},
      {"another magic word", patched(0, "NVMS")},
      {"a later version", patched(4, std::string("\x02\x00", 2))},
      {"negative columns", patched(8, std::string("\xFF\xFF\xFF\xFF", 4))},
      {"two negative counts", patched(8, std::string("\xFD\xFF\xFF\xFF\xFE\xFF\xFF\xFF", 8))},
      {"DataID beyond the file", patched(24, std::string("\x00\x00\x00\x10", 4))},
      {"a 4-D matrix file", ReadRawFile(testing::RefFile("mat4d_py_small.bin"))},
      {"a text file", "1 1 1 1\r\n5\r\n"},
  };
  TMatrix back(nullptr);
  SetRows(back, {{9}});
  for (const auto& k : cases) {
    WriteRawFile(file, k.bytes);
    EXPECT_FALSE(back.LoadBinary(file)) << k.what;
    int32_t c = -1, r = -1;
    std::string id;
    EXPECT_FALSE(TMatrix::ReadBinaryHeader(file, c, r, id)) << k.what;
  }
  EXPECT_EQ(Rows(back), testing::TRows({{9}}));
  EXPECT_EQ(IoCodeOf([&] { back.LoadBinary(dir.File("missing")); }), 2);
}

// ---------------------------------------------------------------------------
// The sparse file of TIntMatrix

TEST(TIntMatrixFiles, SparseFileRestoresModeStepAndEntries) {
  testing::TempDir dir;
  const std::string file = dir.File("s.nvm");
  auto m = SparseSample();
  m->StoreSparseMat(file);
  EXPECT_EQ(FileSizeOf(file), 28 + 6 + 12 * 4);
  TIntMatrix back(nullptr);  // dense before
  ASSERT_TRUE(back.LoadSparseMat(file));
  ExpectSameSparse(back, *m, "sparse");

  TIntMatrix dense(nullptr);
  dense.Resize(3, 2);
  dense.SetVal(3, 2, -4);
  dense.SetVal(1, 1, 8);
  dense.StoreSparseMat(file);
  EXPECT_EQ(FileSizeOf(file), 28 + 12 * 2) << "the non-zero elements";
  auto into = SparseSample();
  ASSERT_TRUE(into->LoadSparseMat(file));
  EXPECT_FALSE(into->IsSparse()) << "a dense matrix comes back dense";
  EXPECT_EQ(IntRows(*into), IntRows(dense));
  EXPECT_EQ(into->DataID(), "");
}

TEST(TIntMatrixFiles, SparseLoaderRefusesInconsistentFiles) {
  testing::TempDir dir;
  const std::string file = dir.File("s.nvm");
  SparseSample()->StoreSparseMat(file);
  const std::string good = ReadRawFile(file);
  auto patched = [&](std::size_t at, int32_t v) {
    std::string s = good;
    std::memcpy(s.data() + at, &v, 4);
    return s;
  };
  const std::size_t entries = 28 + 6;  // after the header and "sparse"
  const struct {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"cut short", good.substr(0, good.size() - 4)},
      {"a TMatrix file magic", [&] { std::string s = good; s[3] = 'D'; return s; }()},
      {"more entries than stored", patched(20, 5)},
      {"allocation step 0", patched(16, 0)},
      {"negative rows", patched(12, -6)},
      {"entries out of order", patched(entries, 9)},
      {"an entry beyond the columns", patched(entries + 36, 10)},
      {"a duplicate entry", patched(entries + 28, 3)},
      {"an entry in row 0", patched(entries + 4, 0)},
      {"dense and 2^31 elements", [&] {
         std::string s = patched(8, 65536);
         std::string t = s;
         t[6] = 0;  // flags: dense
         std::memcpy(t.data() + 12, "\x00\x80\x00\x00", 4);
         return t;
       }()},
  };
  TIntMatrix back(nullptr);
  back.SetVal(1, 1, 3);
  for (const auto& k : cases) {
    WriteRawFile(file, k.bytes);
    EXPECT_FALSE(back.LoadSparseMat(file)) << k.what;
  }
  EXPECT_FALSE(back.IsSparse());
  EXPECT_EQ(back.GetVal(1, 1), 3);
}

// ---------------------------------------------------------------------------
// XML blocks

TEST(MatrixXML, EveryClassRoundTripsBitExactly) {
  testing::TempDir dir;
  const std::string file = dir.File("m.xml");
  TMatrix m(nullptr), mb(nullptr);
  FillSpecial(m);
  TIntMatrix im(nullptr), imb(nullptr);
  im.Resize(3, 2);
  im.SetVal(3, 1, -2147483647 - 1);
  im.SetVal(2, 2, 2147483647);
  auto sm = SparseSample();
  TIntMatrix smb(nullptr);
  TMat3D c3(nullptr), c3b(nullptr);
  FillRef(c3, {3, 2, 5}, 4);
  c3.Data()[7] = -0.0;
  c3.SetDataID("cube");
  TMat4D c4(nullptr), c4b(nullptr);
  FillRef(c4, {2, 3, 1, 2}, 8);
  c4.Data()[11] = kNaN;

  // Each round trip through a stream, an open file and a whole file.
  struct TCase {
    const char* what;
    std::function<void(TStream&)> writeStream;
    std::function<bool(TStream&)> readStream;
    std::function<void(TextFile&)> writeFile;
    std::function<bool(TextFile&)> readFile;
    std::function<void()> save;
    std::function<bool()> load;
    std::function<void()> check;
  };
  auto make = [&](const char* what, auto& src, auto& dst, std::function<void()> check) {
    return TCase{what,
                 [&](TStream& s) { src.WriteToXMLStream(s, true, "blk"); },
                 [&](TStream& s) { return dst.ReadFromXMLStream(s, "BLK"); },
                 [&](TextFile& f) { src.WriteToOpenXMLFile(f, false, "blk"); },
                 [&](TextFile& f) { return dst.ReadFromOpenXMLFile(f, "blk"); },
                 [&] { src.SaveAsXMLFile(file, "blk"); },
                 [&] { return dst.LoadFromXMLFile(file, "blk"); },
                 check};
  };
  const TCase cases[] = {
      make("TMatrix", m, mb, [&] {
        EXPECT_EQ(Bits(mb), Bits(m));
        EXPECT_EQ(mb.DataID(), m.DataID());
      }),
      make("TIntMatrix dense", im, imb, [&] { EXPECT_EQ(IntRows(imb), IntRows(im)); }),
      make("TIntMatrix sparse", *sm, smb, [&] { ExpectSameSparse(smb, *sm, "sparse"); }),
      make("TMat3D", c3, c3b, [&] {
        EXPECT_EQ(c3b.CRCofData(), c3.CRCofData());
        EXPECT_EQ(c3b.NrOfLayers(), 5);
        EXPECT_EQ(c3b.DataID(), "cube");
      }),
      make("TMat4D", c4, c4b, [&] {
        EXPECT_EQ(testing::Counts(c4b), testing::Counts(c4));
        EXPECT_EQ(c4b.CRCofData(), c4.CRCofData());
      }),
  };
  for (const TCase& k : cases) {
    SCOPED_TRACE(k.what);
    {
      TMemoryStream s;
      WriteStringStream(s, "<matrix sig=\"Nuvkit\" vers=\"1.0\" id=\"other\">\r\n</matrix>\r\n");
      k.writeStream(s);
      s.SetPosition(0);
      ASSERT_TRUE(k.readStream(s)) << "stream";
      k.check();
    }
    {
      TextFile f(file);
      f.Rewrite();
      k.writeFile(f);
      k.writeFile(f);
      f.Close();
      f.Reset();
      ASSERT_TRUE(k.readFile(f)) << "open file, first block";
      ASSERT_TRUE(k.readFile(f)) << "open file, second block";
      EXPECT_FALSE(k.readFile(f)) << "no third block";
      f.Close();
      k.check();
    }
    k.save();
    EXPECT_EQ(ReadRawFile(file).substr(0, 23), "<?xml version=\"1.0\"?>\r\n");
    ASSERT_TRUE(k.load()) << "whole file";
    k.check();
  }
}

TEST(MatrixXML, WritesTheBlockLayout) {
  TMatrix m(nullptr);
  SetRows(m, {{1.5}, {-0.0}});
  m.SetDataID("d");
  TStringStream s;
  m.WriteToXMLStream(s, false, "m1");
  EXPECT_EQ(s.DataString(),
            "\r\n<!-- TMatrix / Nuvkit -->\r\n"
            "<matrix sig=\"Nuvkit\" vers=\"1.0\" id=\"m1\" dataid=\"d\">\r\n"
            "  <numcols val=1 />\r\n"
            "  <numrows val=2 />\r\n"
            "  <cell c=1 r=1 v= 1.500E+0000 />\r\n"
            "  <cell c=1 r=2 v=-0.000E+0000 />\r\n"
            "</matrix>\r\n");
  TMat4D q(nullptr);
  TStringStream s4;
  q.WriteToXMLStream(s4, false, "q");
  EXPECT_NE(s4.DataString().find("<numtimeslots val=1 />\r\n  <cell c=1 r=1 l=1 t=1 v= 0.000E+0000 />"),
            std::string::npos);
  auto sparse = SparseSample();
  TStringStream ss;
  sparse->WriteToXMLStream(ss, false, "s");
  EXPECT_NE(ss.DataString().find("dataid=\"sparse\" sparse=1 allocstep=7>"), std::string::npos);
}

TEST(MatrixXML, ReadersRefuseInconsistentBlocks) {
  const std::string head = "<matrix sig=\"Nuvkit\" vers=\"1.0\" id=\"x\">\r\n";
  auto block = [&](std::string body) { return head + body + "</matrix>\r\n"; };
  const std::string shape = "<numcols val=2 /><numrows val=1 />";
  const std::string cells = "<cell c=1 r=1 v=1 /><cell c=2 r=1 v=2 />";
  const struct {
    const char* what;
    std::string text;
    bool ok;
  } cases[] = {
      {"complete, cells in any order", block(shape + "<cell c=2 r=1 v=2 /><cell c=1 r=1 v=1 />"), true},
      {"a TMat3D block of one layer", block(shape + "<numplanes val=1 />" + cells), true},
      {"no end tag", head + shape + cells, false},
      {"another id", "<matrix sig=\"Nuvkit\" vers=\"1.0\" id=\"y\">" + shape + cells + "</matrix>", false},
      {"a cell missing", block(shape + "<cell c=1 r=1 v=1 />"), false},
      {"a cell twice", block(shape + cells + "<cell c=1 r=1 v=1 />"), false},
      {"a cell twice instead of another", block(shape + "<cell c=1 r=1 v=1 /><cell c=1 r=1 v=2 />"), false},
      {"a cell outside", block(shape + "<cell c=1 r=1 v=1 /><cell c=3 r=1 v=2 />"), false},
      {"a cell in layer 2", block(shape + "<cell c=1 r=1 v=1 /><cell c=2 r=1 l=2 v=2 />"), false},
      {"a value that is no number", block(shape + "<cell c=1 r=1 v=1 /><cell c=2 r=1 v=abc />"), false},
      {"a cell without value", block(shape + "<cell c=1 r=1 v=1 /><cell c=2 r=1 />"), false},
      {"a column index 0", block(shape + "<cell c=0 r=1 v=1 /><cell c=2 r=1 v=2 />"), false},
      {"no rows given", block("<numcols val=2 />" + cells), false},
      {"negative columns", block("<numcols val=-2 /><numrows val=1 />" + cells), false},
      {"columns given twice", block(shape + "<numcols val=2 />" + cells), false},
      {"two planes", block(shape + "<numplanes val=2 />" + cells), false},
      {"2^31 cells claimed", block("<numcols val=65536 /><numrows val=32768 />" + cells), false},
  };
  for (const auto& k : cases) {
    TMatrix m(nullptr);
    SetRows(m, {{7}});
    TStringStream s(k.text);
    EXPECT_EQ(m.ReadFromXMLStream(s, "x"), k.ok) << k.what;
    if (k.ok)
      EXPECT_EQ(Rows(m), testing::TRows({{1, 2}})) << k.what;
    else
      EXPECT_EQ(Rows(m), testing::TRows({{7}})) << k.what;
  }

  // The cubes need their own extents, each at least 1.
  const struct {
    const char* what;
    std::string text;
  } cubes[] = {
      {"a TMatrix block", block(shape + cells)},
      {"no layers", block(shape + "<numplanes val=0 />")},
  };
  for (const auto& k : cubes) {
    TMat3D c(nullptr);
    TMat4D q(nullptr);
    TStringStream s3(k.text), s4(k.text);
    EXPECT_FALSE(c.ReadFromXMLStream(s3, "x")) << k.what;
    EXPECT_FALSE(q.ReadFromXMLStream(s4, "x")) << k.what;
  }
  TIntMatrix im(nullptr);
  TStringStream si(block(shape + "<cell c=1 r=1 v=1 /><cell c=2 r=1 v=1e10 />"));
  EXPECT_FALSE(im.ReadFromXMLStream(si, "x")) << "beyond int32";
  TStringStream sp(head.substr(0, head.size() - 3) + " sparse=1 allocstep=0>" + shape + "</matrix>");
  EXPECT_FALSE(im.ReadFromXMLStream(sp, "x")) << "allocation step 0";
}

// ---------------------------------------------------------------------------
// Saving

TEST(MatrixFiles, FailedSavesKeepTheOldFile) {
  testing::TempDir dir;
  const std::string file = dir.File("m.txt");
  TMatrix m(nullptr);
  SetRows(m, {{1, 2}});
  ASSERT_TRUE(m.StoreOnFile(0, 0, 0, 0, file));
  const std::string before = ReadRawFile(file);
  ASSERT_EQ(FileSetAttr(file, faReadOnly), 0);
  SetRows(m, {{3, 4, 5}});
  TIntMatrix im(nullptr);
  TMat3D c(nullptr);
  EXPECT_FALSE(m.StoreOnFile(0, 0, 0, 0, file));
  EXPECT_FALSE(im.StoreOnFile(0, 0, 0, 0, file));
  EXPECT_EQ(IoCodeOf([&] { m.SaveBinary(file); }), 5);
  EXPECT_EQ(IoCodeOf([&] { im.StoreSparseMat(file); }), 5);
  EXPECT_EQ(IoCodeOf([&] { c.SaveAsXMLFile(file, "c"); }), 5);
  EXPECT_EQ(ReadRawFile(file), before);
  EXPECT_FALSE(m.StoreOnFile(0, 0, 0, 0, dir.File("none/m.txt")));
  EXPECT_FALSE(m.LoadFromFile(dir.File("none/m.txt"), true));
  EXPECT_FALSE(c.LoadFromXMLFile(dir.File("none.xml"), ""));
}

TEST(MatrixFiles, TextLoaderRefusesMalformedFiles) {
  testing::TempDir dir;
  const std::string file = dir.File("m.txt");
  const struct {
    const char* what;
    std::string text;
  } cases[] = {
      {"empty", ""},
      {"three bounds", "1 1 2\r\n"},
      {"a fractional bound", "1 1 1.5 1\r\n1 2\r\n"},
      {"a negative bound", "1 -1 1 1\r\n1\r\n"},
      {"reversed", "2 1 1 1\r\n1 2\r\n"},
      {"values missing", "1 1 2 2\r\n1 2\r\n3\r\n"},
      {"a value that is no number", "1 1 2 1\r\n1 x\r\n"},
      {"a vector file", "1 3\r\n1.5\r\n2\r\n3\r\n"},
      {"shape beyond 2^31 - 1 elements", "2147483647 2147483647 2147483647 2147483647\r\n1\r\n"},
      {"a binary file", ReadRawFile(testing::RefFile("mat4d_py_small.bin"))},
  };
  TMatrix m(nullptr);
  SetRows(m, {{1, 2}, {3, 4}});
  TIntMatrix im(nullptr);
  im.SetVal(1, 1, 5);
  int changes = 0;
  m.OnChange = [&](TObject*) { ++changes; };
  for (const auto& k : cases) {
    WriteRawFile(file, k.text);
    EXPECT_FALSE(m.LoadFromFile(file, true)) << k.what;
    EXPECT_FALSE(im.LoadFromFile(file, true)) << k.what;
  }
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(Rows(m), testing::TRows({{1, 2}, {3, 4}}));
  EXPECT_EQ(im.GetVal(1, 1), 5);
}

}  // namespace
}  // namespace nuv
