// The geographic database: the bytes on disk against an independent codec
// (tools/ref/geodb_codec.py), the sorted indexes through adds and deletes,
// lazy index writing, payloads across the copy block size with their
// progress reports, maintenance, and databases that are corrupt or misused.
#include "nuv/Nuv_geodb.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "ExpectThrow.h"
#include "FileFixtures.h"
#include "TempDir.h"
#include "nuv/platform/FileUtils.h"

namespace nuv {
namespace {

using nuv::testing::ExpectThrowMessage;
using nuv::testing::ReadRawFile;
using nuv::testing::TempDir;
using nuv::testing::WriteRawFile;

constexpr std::array<const char*, 7> kExt{".nuvgdd", ".nuvgds", ".nuvgi0", ".nuvgi1",
                                          ".nuvgi2", ".nuvgi3", ".nuvgi4"};
const std::string kFixture = std::string(NUV_GEODB_DATA) + "/sample";

using Files = std::array<std::string, 7>;

Files ReadFiles(const std::string& base) {
  Files f;
  for (std::size_t i = 0; i < kExt.size(); ++i) f[i] = ReadRawFile(base + kExt[i]);
  return f;
}

void WriteFiles(const std::string& base, const Files& f) {
  for (std::size_t i = 0; i < kExt.size(); ++i) WriteRawFile(base + kExt[i], f[i]);
}

void ExpectSameFiles(const Files& got, const Files& want, const std::string& label) {
  for (std::size_t i = 0; i < kExt.size(); ++i)
    EXPECT_TRUE(got[i] == want[i]) << label << ": " << kExt[i] << " differs (" << got[i].size()
                                   << " vs " << want[i].size() << " bytes)";
}

std::string BlobPattern(int32_t n) {
  std::string s(static_cast<std::size_t>(n), '\0');
  for (int32_t i = 0; i < n; ++i) s[i] = static_cast<char>((i * 7 + 3) % 251);
  return s;
}

TMetaInfo SampleMeta() {
  TMetaInfo m;
  m.Kwd = "kwd";
  m.Caption = "A caption";
  m.Descriptor = "descriptor";
  m.Comment = "comment";
  return m;
}

// Keep in step with build_sample() in tools/ref/geodb_codec.py.
void SampleOperations(TGeoDB& db) {
  db.AddBorder("Lower Saxony", {{52.5f, 7.0f}, {53.75f, 8.25f}, {51.25f, 11.5f}, {52.0f, 9.125f}},
               true, 45000.5, 7, 1, 2, 3, 4, 1.5f, 3, -2);
  db.AddTown("Graz", 45001.25, 1, {47.07f, 15.44f}, 2.25f, 1, 10);
  const std::string blob = BlobPattern(20000);
  db.AddBLOB("notes", 45002.0, 2, -10, 10, -20, 20, 0.5f, 2, 20, SampleMeta(), blob.data(),
             static_cast<int32_t>(blob.size()));
  db.AddRiver(std::string(70, 'R'), {{47.07f, 15.0f}, {46.5f, 15.44f}, {48.0f, 16.0f}}, 45003.0, 3,
              0, 0, 0, 0, 0, 0, 0);
  db.AddLake("Empty lake", {}, 45004.0, 0, 0, 0, 0, 0, 0, 0, 0);
  db.AddTown("Wien", 45005.75, 5, {47.07f, 16.37f}, 0, 1, 0);
  db.SetDescription("Test database \xe4\xf6\xfc");
  db.SetRevision(3);
  db.DeleteData(2);
}

// Every index holds each entry once, sorted, with the entry's own key.
void ExpectIndexesConsistent(const TGeoDB& db, const std::string& label) {
  const int32_t n = db.NumEntries();
  using Getter = TIxLLRec (TGeoDB::*)(int32_t) const;
  const std::array<Getter, 4> getters{&TGeoDB::GetIxLatLow, &TGeoDB::GetIxLatHigh,
                                      &TGeoDB::GetIxLongLow, &TGeoDB::GetIxLongHigh};
  const std::array<float TgdbData::*, 4> edges{&TgdbData::LatLow, &TgdbData::LatHigh,
                                               &TgdbData::LongLow, &TgdbData::LongHigh};
  for (int32_t k = 0; k < 4; ++k) {
    std::vector<bool> seen(n + 1);
    for (int32_t i = 1; i <= n; ++i) {
      const TIxLLRec r = (db.*getters[k])(i);
      ASSERT_TRUE(r.Entry >= 1 && r.Entry <= n && !seen[r.Entry])
          << label << " index " << k + 1 << " at " << i;
      seen[r.Entry] = true;
      EXPECT_EQ(std::bit_cast<uint32_t>(r.Value),
                std::bit_cast<uint32_t>(db.GetSumdata(r.Entry).*edges[k]))
          << label << " index " << k + 1 << " at " << i;
      // NaN, found only in foreign files, sorts after every number.
      const float prev = (db.*getters[k])(i - 1).Value;
      if (i > 1) {
        EXPECT_TRUE(std::isnan(r.Value) || (!std::isnan(prev) && prev <= r.Value))
            << label << " index " << k + 1 << " at " << i;
      }
    }
  }
  for (int32_t i = 1; i <= n; ++i) {
    const TIxItemIDRec r = db.GetIxItemID(i);
    EXPECT_EQ(db.GetSumdata(r.Entry).ItemID, r.ItemID) << label << " item-ID index at " << i;
    EXPECT_EQ(db.SearchForItemID(r.ItemID), r.Entry) << label << " item " << r.ItemID;
    if (i > 1) {
      EXPECT_LT(db.GetIxItemID(i - 1).ItemID, r.ItemID) << label;
    }
  }
}

class GeoDBTest : public ::testing::Test {
 protected:
  std::string Base(const std::string& name = "db") const { return dir_.File(name); }
  std::unique_ptr<TGeoDB> Open(const std::string& base) {
    auto db = std::make_unique<TGeoDB>(nullptr);
    db->SetName("GDB");
    db->SetDBName(base + ".any");
    return db;
  }
  // The fixture copied into the test's directory.
  std::string CopyFixture(const std::string& name = "sample") {
    WriteFiles(Base(name), ReadFiles(kFixture));
    return Base(name);
  }
  TempDir dir_;
};

// ---------------------------------------------------------------------------
// Layout

TEST_F(GeoDBTest, NewDatabaseHasSevenFilesAndAVersion4Header) {
  auto db = Open(Base("New.Base"));
  EXPECT_EQ(db->DBName(), Base("New"));
  const Files f = ReadFiles(Base("New"));
  ASSERT_EQ(f[0].size(), 260u);
  EXPECT_EQ(f[0], std::string("\0\0\0\0\4\0\0\0", 8) + std::string(252, '\0'));
  for (std::size_t i = 1; i < kExt.size(); ++i) {
    EXPECT_TRUE(FileExists(Base("New") + kExt[i])) << kExt[i];
    EXPECT_TRUE(f[i].empty()) << kExt[i];
  }
  EXPECT_EQ(db->GetDBVersion(), 4);
}

TEST_F(GeoDBTest, OperationsWriteTheFilesTheCodecWrites) {
  {
    auto db = Open(Base());
    SampleOperations(*db);
  }
  ExpectSameFiles(ReadFiles(Base()), ReadFiles(kFixture), "sample operations");
}

TEST_F(GeoDBTest, FilesOfTheCodecReadBack) {
  auto db = Open(CopyFixture());
  ASSERT_EQ(db->NumEntries(), 5);
  EXPECT_EQ(db->GetDescription(), "Test database \xe4\xf6\xfc");
  EXPECT_EQ(db->GetRevision(), 3);

  const TgdbData border = db->GetSumdata(1);
  EXPECT_EQ(border.Name, "Lower Saxony");
  EXPECT_EQ(border.Kind, gitBorder);
  EXPECT_TRUE(border.Closed);
  EXPECT_EQ(border.Date, 45000.5);
  EXPECT_EQ(border.FloatAttr, 1.5f);
  EXPECT_EQ(border.IntAttrB, -2);
  // The box comes from the points, not from the arguments 1, 2, 3, 4.
  EXPECT_EQ((std::array{border.LatLow, border.LatHigh, border.LongLow, border.LongHigh}),
            (std::array{51.25f, 53.75f, 7.0f, 11.5f}));
  TgdbPolygon poly;
  ASSERT_TRUE(db->RetrievePolygon(1, poly));
  EXPECT_EQ(poly, (TgdbPolygon{{52.5f, 7.0f}, {53.75f, 8.25f}, {51.25f, 11.5f}, {52.0f, 9.125f}}));

  const TgdbData town = db->GetSumdata(2);  // Wien moved into the deleted Graz's place
  EXPECT_EQ(town.Name, "Wien");
  EXPECT_EQ(town.ItemID, 6);
  EXPECT_EQ(town.DataPos, -1);
  EXPECT_EQ(town.Size, 0);
  EXPECT_EQ(town.LatLow, town.LatHigh);
  EXPECT_EQ(town.LongLow, 16.37f);
  EXPECT_FALSE(db->RetrievePolygon(2, poly));

  TMetaInfo meta;
  std::vector<char> buf(20000);
  ASSERT_TRUE(db->RetrieveBLOB(3, meta, buf.data(), static_cast<int32_t>(buf.size())));
  EXPECT_EQ(meta, SampleMeta());
  EXPECT_EQ(std::string(buf.data(), buf.size()), BlobPattern(20000));

  EXPECT_EQ(db->GetSumdata(4).Name, std::string(59, 'R'));
  const TgdbData lake = db->GetSumdata(5);
  EXPECT_EQ((std::array{lake.LatLow, lake.LatHigh, lake.LongLow, lake.LongHigh}),
            (std::array{90.0f, -90.0f, 180.0f, -180.0f}));
  EXPECT_TRUE(lake.Closed);
  ASSERT_TRUE(db->RetrievePolygon(5, poly));
  EXPECT_TRUE(poly.empty());
  // Item identifiers continue after the last one given out.
  EXPECT_EQ(db->GetSumdata(db->AddTown("Linz", 0, 0, {48.3f, 14.3f}, 0, 0, 0)).ItemID, 7);
  ExpectIndexesConsistent(*db, "fixture");
}

TEST_F(GeoDBTest, OpeningAConsistentDatabaseWritesNothing) {
  const std::string base = CopyFixture();
  Open(base);
  ExpectSameFiles(ReadFiles(base), ReadFiles(kFixture), "reopened");
}

TEST_F(GeoDBTest, BaseNameKeepsItsCaseAndLosesItsExtension) {
  auto db = Open(Base("MixedCase.nuvgdd"));
  EXPECT_EQ(db->DBName(), Base("MixedCase"));
  EXPECT_TRUE(FileExists(Base("MixedCase") + ".nuvgi4"));
  db->SetDBName("");
  EXPECT_EQ(db->DBName(), "");
  EXPECT_EQ(db->NumEntries(), 0);
}

// ---------------------------------------------------------------------------
// Indexes

TEST(GeoDBIndex, SortIxIntoPlacesEqualKeysBeforeTheOneFound) {
  struct Case {
    const char* label;
    float value;
    int32_t position;  // 0-based where the new record lands
  };
  const Case cases[] = {{"below all", 0.5f, 0}, {"equal to the middle", 2.0f, 1},
                        {"between", 2.5f, 3},   {"equal to the last", 3.0f, 3},
                        {"above all", 9.0f, 4}, {"equal to the first", 1.0f, 0}};
  for (const Case& c : cases) {
    TIxLLRecArray ix{{1, 0}, {2, 1}, {2, 2}, {3, 3}, {}};
    TGeoDB::SortIxInto(ix, {c.value, 99});
    EXPECT_EQ(ix[c.position], (TIxLLRec{c.value, 99})) << c.label;
    EXPECT_TRUE(std::is_sorted(ix.begin(), ix.end(), [](auto& a, auto& b) {
      return a.Value < b.Value;
    })) << c.label;
  }
  TIxItemIDRecArray ids{{5, 0}, {}};
  TGeoDB::SortIxItemIDInto(ids, {5, 1});
  EXPECT_EQ(ids[0], (TIxItemIDRec{5, 1})) << "equal item ID goes in front";
  TIxLLRecArray none;
  TGeoDB::SortIxInto(none, {1, 1});
  EXPECT_TRUE(none.empty());
}

TEST_F(GeoDBTest, DeleteMovesTheLastEntryAndItsIndexRecords) {
  auto db = Open(Base());
  for (int32_t i = 1; i <= 3; ++i)
    db->AddTown("T" + std::to_string(i), 0, i,
                {10.0f * static_cast<float>(i), 1.0f * static_cast<float>(i)}, 0, 0, 0);
  db->DeleteData(1);
  ASSERT_EQ(db->NumEntries(), 2);
  EXPECT_EQ(db->GetSumdata(1).Name, "T3");
  EXPECT_EQ(db->SearchForItemID(3), 1);
  EXPECT_EQ(db->SearchForItemID(2), 2);
  EXPECT_EQ(db->SearchForItemID(1), 0);
  EXPECT_EQ(db->GetIxLatLow(2).Entry, 1) << "T3's record follows it to entry 1";
  ExpectIndexesConsistent(*db, "after delete");
  db->DeleteData(2);
  db->DeleteData(5);  // outside: nothing
  EXPECT_EQ(db->NumEntries(), 1);
  EXPECT_EQ(ReadRawFile(Base() + ".nuvgds").size(), 120u);
}

TEST_F(GeoDBTest, IndexesStayConsistentThroughMixedOperations) {
  auto db = Open(Base());
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> coord(-20, 20);
  const auto point = [&] {
    return TSCoords{static_cast<float>(coord(rng)), static_cast<float>(coord(rng))};
  };
  for (int step = 0; step < 60; ++step) {
    const int op = step < 10 ? 0 : static_cast<int>(rng() % 4);
    const int32_t entry =
        db->NumEntries() > 0 ? static_cast<int32_t>(rng() % db->NumEntries()) + 1 : 0;
    if (op == 0)
      db->AddTown("t", 0, 0, point(), 0, 0, 0);
    else if (op == 1)
      db->AddRoad("r", {point(), point()}, 0, 0, 0, 0, 0, 0, 0, 0, 0);
    else if (op == 2)
      db->DeleteData(entry);
    else
      db->ReplaceRoad(entry, "r2", {point(), point(), point()}, 0, 0, 0, 0, 0, 0, 0, 0, 0);
    ExpectIndexesConsistent(*db, "step " + std::to_string(step));
  }
  const Files before = ReadFiles(Base());
  db.reset();
  Open(Base());
  ExpectSameFiles(ReadFiles(Base()), before, "saved indexes need no repair");
}

TEST_F(GeoDBTest, ClosestPositionsOnDistinctKeysMatchLowerBound) {
  auto db = Open(Base());
  EXPECT_EQ(db->GetClosestLatLowIx(5), 1) << "empty index";
  const std::vector<float> lats{-45.5f, -10, 0, 12.25f, 33, 60};
  for (float lat : lats) db->AddTown("t", 0, 0, {lat, -lat}, 0, 0, 0);
  const double probes[] = {-90, -45.5, -45.4, -10, 1, 12.25, 33, 59.9, 60, 61};
  for (double v : probes) {
    const auto lb =
        static_cast<int32_t>(std::lower_bound(lats.begin(), lats.end(), v) - lats.begin()) + 1;
    EXPECT_EQ(db->GetClosestLatLowIx(v), lb) << v;
    EXPECT_EQ(db->GetClosestLatHighIx(v), lb) << v;
    // The longitudes are the same keys mirrored.
    const auto mirrored =
        static_cast<int32_t>(lats.end() - std::upper_bound(lats.begin(), lats.end(), -v)) + 1;
    EXPECT_EQ(db->GetClosestLongLowIx(v), mirrored) << v;
    EXPECT_EQ(db->GetClosestLongHighIx(v), mirrored) << v;
  }
  EXPECT_EQ(db->GetClosestItemIDIx(0), 1);
  EXPECT_EQ(db->GetClosestItemIDIx(4), 4);
  EXPECT_EQ(db->GetClosestItemIDIx(100), 7);
  // Positions outside the index are clamped.
  EXPECT_EQ(db->GetIxLatLow(0).Value, -45.5f);
  EXPECT_EQ(db->GetIxLatLow(99).Value, 60.0f);
}

TEST_F(GeoDBTest, RecalcIndexesRestoresOrderAfterTampering) {
  auto db = Open(CopyFixture());
  db->RemoveIndexEntries(1);  // leaves every index short of entry 1
  db->RecalcIndexes();
  ExpectIndexesConsistent(*db, "recalculated");
  ExpectSameFiles(ReadFiles(Base("sample")), ReadFiles(kFixture), "recalculated files");
}

// ---------------------------------------------------------------------------
// LazyWrite

TEST_F(GeoDBTest, LazyIndexesAreWrittenOnlyWhenLeftOrClosed) {
  enum End { SwitchOff, CloseByName, Destroy, OpenAnother };
  for (End end : {SwitchOff, CloseByName, Destroy, OpenAnother}) {
    const std::string base = Base("lazy" + std::to_string(end));
    auto db = Open(base);
    db->AddTown("first", 0, 0, {1, 2}, 0, 0, 0);
    db->SetLazyWrite(true);
    const Files before = ReadFiles(base);
    db->AddTown("second", 0, 0, {3, 4}, 0, 0, 0);
    db->AddRoad("third", {{5, 6}, {7, 8}}, 0, 0, 0, 0, 0, 0, 0, 0, 0);
    db->DeleteData(1);
    const Files during = ReadFiles(base);
    for (std::size_t i = 2; i < kExt.size(); ++i)
      EXPECT_EQ(during[i], before[i]) << end << ": " << kExt[i] << " written while lazy";
    EXPECT_NE(during[1], before[1]) << end << ": the summary file is written at once";
    if (end == SwitchOff) db->SetLazyWrite(false);
    if (end == CloseByName) db->SetDBName("");
    if (end == Destroy) db.reset();
    if (end == OpenAnother) db->SetDBName(Base("other"));
    EXPECT_EQ(ReadRawFile(base + ".nuvgi0").size(), 16u) << end;
    db.reset();
    // The saved indexes agree with the summary file: reopening repairs nothing.
    const Files saved = ReadFiles(base);
    Open(base);
    ExpectSameFiles(ReadFiles(base), saved, "lazy end " + std::to_string(end));
  }
}

// ---------------------------------------------------------------------------
// Payloads and progress

class Recorder {
 public:
  void Attach(TGeoDB& db) {
    db.OnPercentDone = [this](TObject*, int32_t p) { seq.push_back(p); };
  }
  std::vector<int32_t> seq;
};

TEST_F(GeoDBTest, BLOBsOfEveryAddFormCrossTheBlockBoundary) {
  auto db = Open(Base());
  const int32_t sizes[] = {0, 1, 16383, 16384, 16385, 40000};
  for (int32_t size : sizes) {
    const std::string bytes = BlobPattern(size);
    const std::string src = Base("src" + std::to_string(size) + ".bin");
    WriteRawFile(src, bytes);
    TMemoryStream stream;
    stream.WriteBuffer(bytes.data(), size);
    const std::string label = "size " + std::to_string(size);
    const std::array<int32_t, 4> entries{
        db->AddBLOB(src, 0, 0, 1, 2, 3, 4, 0, 0, 0, SampleMeta()),
        db->AddBLOB(src, "dir/renamed.dat", "text", 0, 0, 1, 2, 3, 4, 0, 0, 0, SampleMeta()),
        db->AddBLOB("mem", 0, 0, 1, 2, 3, 4, 0, 0, 0, SampleMeta(), bytes.data(), size),
        db->AddBLOB("stream", 0, 0, 1, 2, 3, 4, 0, 0, 0, SampleMeta(), stream)};
    for (int32_t entry : entries) {
      TMetaInfo meta;
      TMemoryStream out;
      ASSERT_TRUE(db->RetrieveBLOB(entry, meta, out)) << label << " entry " << entry;
      EXPECT_EQ(std::string(out.Memory(), static_cast<std::size_t>(out.Size())), bytes) << label;
      EXPECT_EQ(out.Position(), size) << label;
      EXPECT_EQ(db->GetSumdata(entry).Size, size) << label;
      const std::string target = Base("out" + std::to_string(entry));
      ASSERT_TRUE(db->RetrieveBLOB(entry, target, meta)) << label;
      EXPECT_EQ(ReadRawFile(target), bytes) << label;
    }
    TMetaInfo meta;
    ASSERT_TRUE(db->GetMetaInfo(entries[0], meta));
    EXPECT_EQ(meta.FilePath, src) << label;
    EXPECT_EQ(db->GetSumdata(entries[0]).Name, "src" + std::to_string(size) + ".bin") << label;
    EXPECT_EQ(db->GetSumdata(entries[1]).Name, "renamed.dat") << label;
    ASSERT_TRUE(db->GetMetaInfo(entries[1], meta));
    EXPECT_EQ(meta.Comment, "text") << label;
    EXPECT_EQ(meta.Kwd, "kwd") << label;
  }
}

TEST_F(GeoDBTest, ProgressSequences) {
  auto db = Open(Base());
  Recorder rec;
  rec.Attach(*db);
  const std::string bytes = BlobPattern(40000);
  WriteRawFile(Base("src.bin"), bytes);
  struct Case {
    const char* label;
    std::function<void()> run;
    std::vector<int32_t> want;
  };
  const Case cases[] = {
      {"BLOB from memory: full blocks only",
       [&] { db->AddBLOB("m", 0, 0, 0, 0, 0, 0, 0, 0, 0, {}, bytes.data(), 40000); },
       {0, 41, 82, 100}},
      {"BLOB from a file: every block, never above 100",
       [&] { db->AddBLOB(Base("src.bin"), 0, 0, 0, 0, 0, 0, 0, 0, 0, {}); },
       {0, 41, 82, 100, 100}},
      {"polygon: one call per point",
       [&] {
         db->AddRoad("p", {{1, 1}, {2, 2}, {3, 3}}, 0, 0, 0, 0, 0, 0, 0, 0, 0);
       },
       {0, 0, 33, 67, 100}},
      {"town",
       [&] {
         db->AddTown("t", 0, 0, {1, 1}, 0, 0, 0);
       },
       {0, 100}},
      {"retrieving a BLOB",
       [&] {
         TMemoryStream s;
         TMetaInfo m;
         db->RetrieveBLOB(1, m, s);
       },
       {41, 82, 100, 100}},
      {"retrieving a polygon",
       [&] {
         TgdbPolygon p;
         db->RetrievePolygon(3, p);
       },
       {0, 0, 33, 67, 100}},
  };
  for (const Case& c : cases) {
    rec.seq.clear();
    c.run();
    EXPECT_EQ(rec.seq, c.want) << c.label;
  }
  // A long polygon reports every Size div 100 + 1 points.
  TgdbPolygon big(250);
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = {static_cast<float>(i) / 10, 0};
  const int32_t entry = db->AddRiver("big", big, 0, 0, 0, 0, 0, 0, 0, 0, 0);
  rec.seq.clear();
  TgdbPolygon back;
  ASSERT_TRUE(db->RetrievePolygon(entry, back));
  EXPECT_EQ(back, big);
  ASSERT_EQ(rec.seq.size(), 86u);  // 0, points 0, 3, ..., 249, then 100
  EXPECT_EQ(rec.seq[2], 1);
  EXPECT_EQ(rec.seq[84], 100);
}

TEST_F(GeoDBTest, ReplaceKeepsTheItemIDAndLeavesTheOldPayload) {
  auto db = Open(Base());
  db->AddTown("a", 0, 0, {1, 1}, 0, 0, 0);
  const int32_t e = db->AddRoad("road", {{1, 2}, {3, 4}}, 0, 0, 0, 0, 0, 0, 0, 0, 0);
  const int64_t sizeBefore = FileSizeOf(Base() + ".nuvgdd");
  db->ReplaceRiver(e, "river", {{5, 6}, {7, 8}, {9, 10}}, 0, 0, 0, 0, 0, 0, 0, 0, 0);
  db->ReplaceData(9, "x", {}, false, gitTown, 0, 0, 0, 0, 0, 0, 0, 0, 0, {}, nullptr, 0, false);
  const TgdbData d = db->GetSumdata(e);
  EXPECT_EQ(d.ItemID, 2);
  EXPECT_EQ(d.Kind, gitRiver);
  EXPECT_EQ(d.Name, "river");
  EXPECT_EQ(d.DataPos, sizeBefore);
  EXPECT_EQ(FileSizeOf(Base() + ".nuvgdd"), sizeBefore + 24);
  db->ReplaceTown(1, "b", 0, 0, {-5, -6}, 0, 0, 0);
  EXPECT_EQ(db->GetSumdata(1).LatLow, -5.0f);
  ExpectIndexesConsistent(*db, "after replaces");
}

TEST_F(GeoDBTest, GarbageCollectionKeepsEveryPayloadRetrievable) {
  auto db = Open(CopyFixture());
  const std::string blob = BlobPattern(30000);
  db->ReplaceBLOB(3, "notes2", 0, 0, 0, 0, 0, 0, 0, 0, 0, SampleMeta(), blob.data(), 30000);
  db->ReplaceBorder(1, "b", {{1, 1}, {2, 2}}, false, 0, 0, 0, 0, 0, 0, 0, 0, 0);
  db->DeleteData(4);
  TgdbPolygon p1, p5;
  ASSERT_TRUE(db->RetrievePolygon(1, p1));
  const int64_t before = FileSizeOf(Base("sample") + ".nuvgdd");
  // Live: border 2 points (16), BLOB 1024 + 30000, empty lake 0.
  EXPECT_EQ(db->GarbageCollection(), before - (260 + 16 + 31024));
  EXPECT_EQ(FileSizeOf(Base("sample") + ".nuvgdd"), 260 + 16 + 31024);
  TgdbPolygon q;
  ASSERT_TRUE(db->RetrievePolygon(1, q));
  EXPECT_EQ(q, p1);
  TMemoryStream s;
  TMetaInfo m;
  ASSERT_TRUE(db->RetrieveBLOB(3, m, s));
  EXPECT_EQ(std::string(s.Memory(), 30000), blob);
  EXPECT_EQ(m, SampleMeta());
  const int32_t lake = db->SearchData("EMPTY LAKE");
  ASSERT_GT(lake, 0);
  EXPECT_TRUE(db->RetrievePolygon(lake, p5));
  db.reset();
  auto again = Open(Base("sample"));
  EXPECT_EQ(again->GetDescription(), "Test database \xe4\xf6\xfc");
  ASSERT_TRUE(again->RetrieveBLOB(3, m, s));
  EXPECT_EQ(std::string(s.Memory(), 30000), blob);
  EXPECT_FALSE(FileExists(Base("sample") + ".nuvgdd.tmp"));
}

// ---------------------------------------------------------------------------
// Searches, updates, header, dump

TEST_F(GeoDBTest, SearchDataByNameKindAndAttribute) {
  auto db = Open(Base());
  db->AddTown("Paris", 0, 0, {48, 2}, 0, 1, 0);
  db->AddCity("paris", {{48, 2}}, true, 0, 0, 0, 0, 0, 0, 0, 1, 0);
  db->AddTown("PARIS", 0, 0, {33, -95}, 0, 2, 0);
  db->AddTown("Lyon", 0, 0, {45, 4}, 0, 1, 0);
  struct Case {
    const char* name;
    TgdbItem kind;
    int32_t start;
    uint8_t attr;
    int32_t want;
  };
  const Case cases[] = {{"paris", gitTown, 1, 1, 1}, {"paris", gitTown, 2, 1, 0},
                        {"Paris", gitTown, 1, 2, 3}, {"PARIS", gitCity, 0, 1, 2},
                        {"", gitTown, 2, 1, 4},      {"Rome", gitTown, 1, 1, 0},
                        {"paris", gitTown, 99, 1, 0}};
  for (const Case& c : cases)
    EXPECT_EQ(db->SearchData(c.name, c.kind, c.start, c.attr), c.want)
        << c.name << " " << int(c.kind) << " from " << c.start;
  EXPECT_EQ(db->SearchData("LYON"), 4);
  EXPECT_EQ(db->SearchData("Rome"), 0);
}

TEST_F(GeoDBTest, UpdatesRewriteInPlaceAndKeepIndexesInStep) {
  auto db = Open(CopyFixture());
  TgdbData d = db->GetSumdata(2);  // the town
  d.Name = "Vienna";
  d.LatLow = d.LatHigh = -30;
  d.ItemID = 999;  // not taken: identifiers never change
  d.DataPos = 5;
  ASSERT_TRUE(db->UpdateBasicData(2, d));
  TgdbData border = db->GetSumdata(1);
  border.LatLow = -80;  // a polygon's box stays that of its points
  border.IntAttrA = 42;
  ASSERT_TRUE(db->UpdateBasicData(1, border));
  EXPECT_FALSE(db->UpdateBasicData(6, d));
  EXPECT_EQ(db->GetSumdata(2).Name, "Vienna");
  EXPECT_EQ(db->GetSumdata(2).ItemID, 6);
  EXPECT_EQ(db->GetSumdata(2).DataPos, -1);
  EXPECT_EQ(db->GetSumdata(1).LatLow, 51.25f);
  EXPECT_EQ(db->GetSumdata(1).IntAttrA, 42);
  EXPECT_EQ(db->GetIxLatLow(1).Entry, 2);
  ExpectIndexesConsistent(*db, "updated");

  TMetaInfo m = SampleMeta();
  m.Caption = "new caption";
  EXPECT_TRUE(db->UpdateMetaInfo(3, m));
  EXPECT_FALSE(db->UpdateMetaInfo(1, m)) << "not a BLOB";
  db.reset();
  auto again = Open(Base("sample"));
  EXPECT_EQ(again->GetSumdata(2).Name, "Vienna");
  TMetaInfo back;
  ASSERT_TRUE(again->GetMetaInfo(3, back));
  EXPECT_EQ(back, m);
  std::vector<char> buf(20000);
  ASSERT_TRUE(again->RetrieveBLOB(3, back, buf.data(), 20000));
  EXPECT_EQ(std::string(buf.data(), 20000), BlobPattern(20000));
}

TEST_F(GeoDBTest, HeaderFieldsAreWrittenAtOnce) {
  auto db = Open(Base());
  db->SetDescription(std::string(70, 'd'));
  db->SetRevision(-7);
  const std::string head = ReadRawFile(Base() + ".nuvgdd").substr(0, 260);
  EXPECT_EQ(static_cast<uint8_t>(head[8]), 60) << "description cut to 60";
  EXPECT_EQ(head.substr(9, 60), std::string(60, 'd'));
  EXPECT_EQ(head.substr(72, 4), std::string("\xF9\xFF\xFF\xFF", 4));
  EXPECT_EQ(head.substr(76), std::string(184, '\0'));
  const TgdbSystemInfo info = ReadSystemInformation(Base() + ".nuvgds");
  EXPECT_TRUE(info.Valid);
  EXPECT_EQ(info.Header.Revision, -7);
  EXPECT_EQ(info.Header.Description.Length(), 60u);
  EXPECT_FALSE(ReadSystemInformation(Base("missing")).Valid);
  const TgdbSystemInfo sample = ReadSystemInformation(kFixture);
  EXPECT_EQ(sample.NumEntries, 5);
  EXPECT_EQ(sample.Header.LastItemID, 6);
  EXPECT_EQ(sample.DataFileSize, 21340);
}

TEST_F(GeoDBTest, ExportDataDebugListsRecordsAndIndexes) {
  auto db = Open(CopyFixture());
  db->ExportDataDebug(Base("dump.txt"));
  const std::string text = ReadRawFile(Base("dump.txt"));
  for (const char* want :
       {"Entries: 5\r\n",
        "1; 1; Lower Saxony; Border; 260; 4; 1; 51.25; 53.75; 7; 11.5; 45000.5; 7; -2; 1.5; 3\r\n",
        "3; 3; notes; BLOB; 292; 20000; 0;", "Index LongHigh (key; entry):\r\n-180; 5\r\n"})
    EXPECT_NE(text.find(want), std::string::npos) << want;
}

// ---------------------------------------------------------------------------
// Corrupt databases

const std::string kMissing = "<missing>";

std::string I32(int32_t v) { return std::string(reinterpret_cast<const char*>(&v), 4); }
std::string F32(float v) { return std::string(reinterpret_cast<const char*>(&v), 4); }
void Patch(std::string& file, std::size_t at, const std::string& bytes) {
  file.replace(at, bytes.size(), bytes);
}

void WriteOrRemove(const std::string& base, const Files& f) {
  for (std::size_t i = 0; i < kExt.size(); ++i) {
    if (f[i] == kMissing)
      DeleteFile(base + kExt[i]);
    else
      WriteRawFile(base + kExt[i], f[i]);
  }
}

// Reads every payload there is; none of it may crash or read wild.
void RetrieveEverything(TGeoDB& db) {
  for (int32_t e = 0; e <= db.NumEntries() + 1; ++e) {
    TgdbPolygon p;
    TMetaInfo m;
    TMemoryStream s;
    db.RetrievePolygon(e, p);
    db.RetrieveBLOB(e, m, s);
    db.GetMetaInfo(e, m);
  }
}

TEST_F(GeoDBTest, CorruptDatabasesAreRefusedOrRepaired) {
  enum Outcome { Refused, Repaired, Opens };
  struct Case {
    const char* label;
    std::function<void(Files&)> corrupt;
    Outcome outcome;
    std::function<void(TGeoDB&)> check;
  };
  const auto polygonFails = [](TGeoDB& db) {
    TgdbPolygon p{{1, 1}};
    EXPECT_FALSE(db.RetrievePolygon(1, p));
    EXPECT_TRUE(p.empty());
  };
  const auto blobFails = [](TGeoDB& db) {
    TMetaInfo m;
    std::vector<char> buf(40000);
    EXPECT_FALSE(db.RetrieveBLOB(3, m, buf.data(), 40000));
    EXPECT_FALSE(db.GetMetaInfo(3, m));
  };
  const Case cases[] = {
      {"data file shorter than its header", [](Files& f) { f[0].resize(259); }, Refused, {}},
      {"database version 3", [](Files& f) { f[0][4] = 3; }, Refused, {}},
      {"summary file not whole records", [](Files& f) { f[1].resize(599); }, Refused, {}},
      {"index short of a record", [](Files& f) { f[3].resize(32); }, Repaired, {}},
      {"index entry past the end", [](Files& f) { Patch(f[2], 4, I32(99)); }, Repaired, {}},
      {"negative index entry", [](Files& f) { Patch(f[6], 12, I32(-1)); }, Repaired, {}},
      {"index entry twice", [](Files& f) { Patch(f[4], 12, f[4].substr(4, 4)); }, Repaired, {}},
      {"index key not the record's", [](Files& f) { Patch(f[5], 0, F32(-21)); }, Repaired, {}},
      {"index out of order",
       [](Files& f) { std::swap_ranges(f[2].begin(), f[2].begin() + 8, f[2].begin() + 8); },
       Repaired,
       {}},
      {"index file missing", [](Files& f) { f[4] = kMissing; }, Repaired, {}},
      {"index with a partial record", [](Files& f) { f[2] += "xyz"; }, Repaired, {}},
      {"summary file missing", [](Files& f) { f[1] = kMissing; }, Opens,
       [](TGeoDB& db) {
         EXPECT_EQ(db.NumEntries(), 0);
         EXPECT_EQ(ReadRawFile(db.DBName() + ".nuvgi2"), "");
       }},
      {"data file missing", [](Files& f) { f[0] = kMissing; }, Opens,
       [&](TGeoDB& db) {
         polygonFails(db);
         EXPECT_EQ(db.GetSumdata(db.AddTown("n", 0, 0, {1, 1}, 0, 0, 0)).ItemID, 7)
             << "identifiers stay unique";
       }},
      {"polygon size far beyond the file", [](Files& f) { Patch(f[1], 112, I32(INT32_MAX)); },
       Opens, polygonFails},
      {"negative polygon size", [](Files& f) { Patch(f[1], 112, I32(-4)); }, Opens, polygonFails},
      {"payload position past the end", [](Files& f) { Patch(f[1], 76, I32(1000000000)); }, Opens,
       polygonFails},
      {"payload position inside the header", [](Files& f) { Patch(f[1], 76, I32(0)); }, Opens,
       polygonFails},
      {"polygon without payload position", [](Files& f) { Patch(f[1], 76, I32(-1)); }, Opens,
       polygonFails},
      {"BLOB size beyond the file", [](Files& f) { Patch(f[1], 240 + 112, I32(30000)); }, Opens,
       blobFails},
      {"BLOB at a negative position", [](Files& f) { Patch(f[1], 240 + 76, I32(-5)); }, Opens,
       blobFails},
      {"kind out of range", [](Files& f) { f[1][108] = static_cast<char>(200); }, Opens,
       [&](TGeoDB& db) {
         polygonFails(db);
         EXPECT_EQ(db.GetSumdata(1).Kind, 200);
         db.ExportDataDebug(db.DBName() + ".txt");
         EXPECT_NE(ReadRawFile(db.DBName() + ".txt").find("; kind 200; "), std::string::npos);
       }},
      {"name length byte 255", [](Files& f) { f[1][4] = static_cast<char>(255); }, Opens,
       [](TGeoDB& db) { EXPECT_EQ(db.GetSumdata(1).Name, "Lower Saxony" + std::string(47, ' ')); }},
      {"meta length byte above capacity",
       [](Files& f) { f[0][292 + 256] = static_cast<char>(255); }, Opens,
       [](TGeoDB& db) {
         TMetaInfo m;
         ASSERT_TRUE(db.GetMetaInfo(3, m));
         EXPECT_EQ(m.Caption.Length(), 127u);
         EXPECT_EQ(m.Descriptor, "descriptor");
       }},
      {"last item ID behind the records", [](Files& f) { Patch(f[0], 0, I32(1)); }, Opens,
       [](TGeoDB& db) {
         EXPECT_EQ(db.GetSumdata(db.AddTown("n", 0, 0, {1, 1}, 0, 0, 0)).ItemID, 7);
       }},
      {"NaN edge in a foreign record", [](Files& f) { Patch(f[1], 92, F32(std::nanf(""))); }, Opens,
       [](TGeoDB& db) {
         ExpectIndexesConsistent(db, "NaN edge");
         EXPECT_EQ(db.GetIxLatLow(5).Entry, 1) << "NaN sorts last";
         EXPECT_EQ(db.GetClosestLatLowIx(60), 4);
         db.AddTown("n", 0, 0, {95, 1}, 0, 0, 0);
         EXPECT_EQ(db.GetIxLatLow(6).Entry, 1);
       }},
  };
  const Files fixture = ReadFiles(kFixture);
  int n = 0;
  for (const Case& c : cases) {
    const std::string base = Base("c" + std::to_string(n++));
    Files f = fixture;
    c.corrupt(f);
    WriteOrRemove(base, f);
    TGeoDB db(nullptr);
    db.SetName("GDB");
    if (c.outcome == Refused) {
      EXPECT_THROW(db.SetDBName(base), ENUVGeoDBError) << c.label;
      EXPECT_EQ(db.DBName(), "") << c.label;
      EXPECT_EQ(db.NumEntries(), 0) << c.label;
      ExpectSameFiles(ReadFiles(base), f, c.label);
      continue;
    }
    ASSERT_NO_THROW(db.SetDBName(base)) << c.label;
    if (c.outcome == Repaired) {
      EXPECT_EQ(db.NumEntries(), 5) << c.label;
      ExpectSameFiles(ReadFiles(base), fixture, c.label);
    }
    if (c.check) c.check(db);
    RetrieveEverything(db);
    ExpectIndexesConsistent(db, c.label);
    EXPECT_GE(db.GarbageCollection(), 0) << c.label;
    RetrieveEverything(db);
  }
}

TEST_F(GeoDBTest, RefusalMessages) {
  const Files fixture = ReadFiles(kFixture);
  struct Case {
    std::function<void(Files&)> corrupt;
    const char* message;
  };
  const Case cases[] = {
      {[](Files& f) { f[0].resize(10); }, "Component \"GDB\": SetDBName: data file is truncated."},
      {[](Files& f) { f[0][4] = 5; },
       "Component \"GDB\": SetDBName: unsupported database version."},
      {[](Files& f) { f[1] += "x"; }, "Component \"GDB\": SetDBName: summary file is truncated."},
  };
  for (const Case& c : cases) {
    Files f = fixture;
    c.corrupt(f);
    WriteFiles(Base(), f);
    TGeoDB db(nullptr);
    db.SetName("GDB");
    ExpectThrowMessage<ENUVGeoDBError>([&] { db.SetDBName(Base()); }, c.message);
  }
}

// ---------------------------------------------------------------------------
// Misuse and failing files

TEST_F(GeoDBTest, WithoutADatabaseNothingHappens) {
  TGeoDB db(nullptr);
  TgdbPolygon p;
  TMetaInfo m;
  TMemoryStream s;
  EXPECT_EQ(db.AddTown("t", 0, 0, {1, 1}, 0, 0, 0), -1);
  EXPECT_EQ(db.AddBLOB("b", 0, 0, 0, 0, 0, 0, 0, 0, 0, m, "x", 1), -1);
  EXPECT_FALSE(db.RetrievePolygon(1, p));
  EXPECT_FALSE(db.RetrieveBLOB(1, m, s));
  EXPECT_FALSE(db.RetrieveBLOB(1, dir_.File("x"), m));
  EXPECT_FALSE(db.GetMetaInfo(1, m));
  EXPECT_FALSE(db.UpdateMetaInfo(1, m));
  EXPECT_FALSE(db.UpdateBasicData(1, {}));
  EXPECT_EQ(db.GarbageCollection(), -1);
  db.DeleteData(1);
  db.ReplaceTown(1, "t", 0, 0, {1, 1}, 0, 0, 0);
  db.SetDescription("d");
  db.SetRevision(2);
  db.SaveIndex(0);
  db.RecalcIndexes();
  EXPECT_EQ(db.GetDescription(), "");
  EXPECT_EQ(db.GetSumdata(1), TgdbData{});
  EXPECT_EQ(db.GetIxLatLow(1), TIxLLRec{});
  EXPECT_EQ(db.GetClosestLongHighIx(3), 1);
  EXPECT_EQ(db.SearchForItemID(1), 0);
  EXPECT_EQ(db.SearchData("t"), 0);
}

TEST_F(GeoDBTest, EntriesOutsideTheDatabaseAreRefused) {
  auto db = Open(CopyFixture());
  TgdbPolygon p;
  TMetaInfo m;
  TMemoryStream s;
  EXPECT_TRUE(db->RetrievePolygon(-3, p)) << "below 1 reads entry 1";
  EXPECT_EQ(p.size(), 4u);
  EXPECT_FALSE(db->RetrievePolygon(6, p));
  EXPECT_FALSE(db->RetrieveBLOB(0, m, s));
  EXPECT_FALSE(db->RetrieveBLOB(6, m, s));
  EXPECT_FALSE(db->RetrieveBLOB(1, m, s)) << "not a BLOB";
  EXPECT_EQ(db->GetSumdata(99).Name, "Empty lake");
  EXPECT_EQ(db->GetSumdata(-1).Name, "Lower Saxony");
  db->InsertIntoIndex(9, {});
  db->RemoveIndexEntries(0);
  ExpectIndexesConsistent(*db, "after ignored index calls");
  auto empty = Open(Base("empty"));
  EXPECT_FALSE(empty->RetrievePolygon(1, p));
  EXPECT_FALSE(empty->RetrieveBLOB(1, m, s));
}

TEST_F(GeoDBTest, FailuresRaiseTheirMessagesAndChangeNothing) {
  auto db = Open(CopyFixture());
  const std::string base = Base("sample");
  const float nan = std::nanf("");
  const std::string small = "abc";
  std::vector<char> buf(100);
  TMetaInfo m;
  db->AddBLOB("", 0, 0, 0, 0, 0, 0, 0, 0, 0, m, small.data(), 3);
  const Files before = ReadFiles(base);
  struct Case {
    std::function<void()> run;
    const char* message;
  };
  const Case cases[] = {
      {[&] {
         db->AddRoad("n", {{1, 1}, {nan, 2}}, 0, 0, 0, 0, 0, 0, 0, 0, 0);
       },
       "Component \"GDB\": AddData: invalid coordinates."},
      {[&] {
         db->AddTown("n", 0, 0, {1, nan}, 0, 0, 0);
       },
       "Component \"GDB\": AddData: invalid coordinates."},
      {[&] {
         db->ReplaceTown(2, "n", 0, 0, {nan, 1}, 0, 0, 0);
       },
       "Component \"GDB\": ReplaceData: invalid coordinates."},
      {[&] {
         TgdbData d = db->GetSumdata(2);
         d.LongHigh = nan;
         db->UpdateBasicData(2, d);
       },
       "Component \"GDB\": UpdateBasicData: invalid coordinates."},
      {[&] { db->AddBLOB("b", 0, 0, 0, 0, 0, 0, 0, 0, 0, m, nullptr, 5); },
       "Component \"GDB\": AddData: invalid BLOB data."},
      {[&] { db->RetrieveBLOB(3, m, buf.data(), 100); },
       "Component \"GDB\": RetrieveBLOB: BLOB to be retrieved is larger than SizeOfBlobData."},
      {[&] { db->RetrieveBLOB(6, "", m); }, "Component \"GDB\": RetrieveBLOB: invalid filename."},
  };
  for (const Case& c : cases) ExpectThrowMessage<ENUVGeoDBError>(c.run, c.message);
  EXPECT_EQ(db->NumEntries(), 6);
  ExpectSameFiles(ReadFiles(base), before, "after refused calls");

  const int32_t code = nuv::testing::IoCodeOf(
      [&] { db->AddBLOB(Base("no such file.bin"), 0, 0, 0, 0, 0, 0, 0, 0, 0, m); });
  EXPECT_EQ(code, 2) << "a missing BLOB source";
  EXPECT_EQ(db->NumEntries(), 6);
  ExpectSameFiles(ReadFiles(base), before, "after a missing BLOB source");

  // Retrieving into a directory named after the item.
  ASSERT_TRUE(db->RetrieveBLOB(3, dir_.File("") + "/", m));
  EXPECT_EQ(ReadRawFile(dir_.File("notes")), BlobPattern(20000));

  DeleteFile(base + ".nuvgdd");
  const std::pair<std::function<void()>, const char*> gone[] = {
      {[&] {
         db->AddTown("n", 0, 0, {1, 1}, 0, 0, 0);
       },
       "Component \"GDB\": AddData: cannot open database."},
      {[&] { db->SetDescription("x"); },
       "Component \"GDB\": SetDescription: cannot open database."},
      {[&] { db->SetRevision(9); }, "Component \"GDB\": SetRevision: cannot open database."},
  };
  for (const auto& [run, message] : gone) ExpectThrowMessage<ENUVGeoDBError>(run, message);
  EXPECT_EQ(db->NumEntries(), 6);
  EXPECT_EQ(db->GetRevision(), 3);
}

TEST_F(GeoDBTest, PayloadsBeyondTwoGibibytesAreRefused) {
  auto db = Open(Base());
  const std::string data = Base() + ".nuvgdd";
  std::filesystem::resize_file(data, static_cast<std::uintmax_t>(INT32_MAX) - 100);  // sparse
  const std::vector<TSCoords> points(13, TSCoords{1, 2});
  ExpectThrowMessage<ENUVGeoDBError>([&] { db->AddRoad("r", points, 0, 0, 0, 0, 0, 0, 0, 0, 0); },
                                     "Component \"GDB\": AddData: database file is full.");
  EXPECT_EQ(FileSizeOf(data), INT32_MAX - 100);
  EXPECT_EQ(db->NumEntries(), 0);
  const int32_t e =
      db->AddRoad("r", std::vector<TSCoords>(12, TSCoords{1, 2}), 0, 0, 0, 0, 0, 0, 0, 0, 0);
  EXPECT_EQ(db->GetSumdata(e).DataPos, INT32_MAX - 100);
  EXPECT_EQ(db->AddTown("t", 0, 0, {1, 1}, 0, 0, 0), 2) << "items without payload still fit";
  TgdbPolygon p;
  EXPECT_TRUE(db->RetrievePolygon(e, p));
  EXPECT_EQ(p.size(), 12u);
}

TEST_F(GeoDBTest, AnOpeningThatFailsLateLeavesTheComponentClosed) {
  const std::string base = CopyFixture();
  std::filesystem::remove(base + ".nuvgi3");
  std::filesystem::create_directory(base + ".nuvgi3");  // cannot be rebuilt
  TGeoDB db(nullptr);
  EXPECT_THROW(db.SetDBName(base), EInOutError);
  EXPECT_EQ(db.DBName(), "");
  EXPECT_EQ(db.NumEntries(), 0);
  EXPECT_EQ(db.GetDescription(), "");
  EXPECT_EQ(db.AddTown("t", 0, 0, {1, 1}, 0, 0, 0), -1);
  EXPECT_EQ(ReadRawFile(base + ".nuvgds"), ReadRawFile(kFixture + ".nuvgds"));
}

TEST_F(GeoDBTest, AFailedIndexSaveLeavesTheOldFile) {
  auto db = Open(Base());
  db->AddTown("a", 0, 0, {1, 1}, 0, 0, 0);
  const std::string index = Base() + ".nuvgi0";
  const std::string old = ReadRawFile(index);
  std::filesystem::create_directory(index + ".tmp");  // the temporary file cannot be made
  EXPECT_THROW(db->AddTown("b", 0, 0, {2, 2}, 0, 0, 0), EInOutError);
  EXPECT_EQ(ReadRawFile(index), old);
  std::filesystem::remove(index + ".tmp");
  db.reset();
  auto again = Open(Base());
  EXPECT_EQ(again->NumEntries(), 2);
  EXPECT_EQ(ReadRawFile(index).size(), 16u) << "repaired on opening";
  ExpectIndexesConsistent(*again, "repaired");
}

// ---------------------------------------------------------------------------
// Free functions

TEST(GeoDBFree, LatitudesAndLongitudesAreClampedAndSigned) {
  struct Case {
    double value;
    bool lat;
    const char* want;
  };
  const Case cases[] = {{-100, true, "90.0\xB0 S"},  {45.25, true, "45.3\xB0 N"},
                        {0, true, "0.0\xB0 N"},      {-0.5, false, "0.5\xB0 W"},
                        {200, false, "180.0\xB0 E"}, {-181, false, "180.0\xB0 W"}};
  for (const Case& c : cases)
    EXPECT_EQ(c.lat ? GeoLatitude(c.value, dfDeg, 1) : GeoLongitude(c.value, dfDeg, 1), c.want)
        << c.value;
}

TEST(GeoDBFree, ClearedRecordsAndLocations) {
  TgdbData d;
  d.ItemID = 5;
  d.Kind = gitCity;
  d.Name = "x";
  ClearGdbData(d);
  EXPECT_EQ(d.DataPos, -1);
  EXPECT_EQ(d.Kind, gitUndefined);
  EXPECT_TRUE(d.Name.Empty());
  EXPECT_GT(d.Date, 40000.0);
  d.LatLow = 3;
  d.LongLow = 4;
  TSCoords loc;
  ExtractLocation(d, loc);
  EXPECT_EQ(loc, (TSCoords{3, 4}));
  TMetaInfo m = SampleMeta();
  ClearMetaInfo(m);
  EXPECT_EQ(m, TMetaInfo{});
  m.Set(miFilePath, std::string(200, 'p'));
  EXPECT_EQ(m.Get(miFilePath).size(), 127u);
  EXPECT_EQ(GDB_ITEMNAMES[gitBLOB], "BLOB");
}

}  // namespace
}  // namespace nuv
