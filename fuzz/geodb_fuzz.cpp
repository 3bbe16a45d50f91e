// Builds a geographic database from arbitrary bytes (seven length-prefixed
// files: data, summary, then the five indexes), opens it and reads every
// entry back. Besides crashes, undefined behaviour and hangs it traps on
// indexes that do not hold each entry once after opening, and on payloads
// handed out that do not have the size their record gives.
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "nuv/Nuv_geodb.h"

namespace {

using namespace nuv;

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

const std::string& Base() {
  static const std::string base = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "nuv-geodb-fuzz-XXXXXX").string();
    Check(::mkdtemp(pattern.data()) != nullptr);
    return pattern + "/db";
  }();
  return base;
}

constexpr const char* kExt[7] = {".nuvgdd", ".nuvgds", ".nuvgi0", ".nuvgi1", ".nuvgi2", ".nuvgi3", ".nuvgi4"};

// Each file is a 4-byte little-endian length and that many bytes; a
// length of 0xFFFFFFFF leaves the file out.
void WriteFiles(const uint8_t* data, size_t size) {
  for (const char* ext : kExt) {
    const std::string name = Base() + ext;
    std::filesystem::remove(name);
    if (size < 4) continue;
    uint32_t len;
    std::memcpy(&len, data, 4);
    data += 4, size -= 4;
    if (len == 0xFFFFFFFFu) continue;
    const size_t n = len < size ? len : size;
    std::ofstream(name, std::ios::binary).write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(n));
    data += n, size -= n;
  }
}

void CheckIndexes(const TGeoDB& db) {
  const int32_t n = db.NumEntries();
  std::string seen(static_cast<size_t>(n) * 5 + 5, '\0');
  for (int32_t i = 1; i <= n; ++i) {
    const int32_t entries[5] = {db.GetIxItemID(i).Entry, db.GetIxLatLow(i).Entry, db.GetIxLatHigh(i).Entry,
                                db.GetIxLongLow(i).Entry, db.GetIxLongHigh(i).Entry};
    for (int k = 0; k < 5; ++k) {
      Check(entries[k] >= 1 && entries[k] <= n);
      Check(seen[static_cast<size_t>(entries[k]) * 5 + k]++ == 0);
    }
    Check(db.SearchForItemID(db.GetIxItemID(i).ItemID) >= 1);
  }
}

void RetrieveEverything(TGeoDB& db) {
  for (int32_t e = 0; e <= db.NumEntries() + 1; ++e) {
    const TgdbData d = db.GetSumdata(e);
    TgdbPolygon p;
    if (db.RetrievePolygon(e, p)) Check(static_cast<int64_t>(p.size()) == db.GetSumdata(e < 1 ? 1 : e).Size);
    TMetaInfo m;
    TMemoryStream s;
    if (db.RetrieveBLOB(e, m, s)) Check(s.Size() == d.Size);
    db.GetMetaInfo(e, m);
    db.GetClosestLatLowIx(d.LatLow);
    db.GetClosestLongHighIx(d.LongHigh);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  WriteFiles(data, size);
  TGeoDB db(nullptr);
  try {
    db.SetDBName(Base());
  } catch (const ENUVGeoDBError&) {
    return 0;  // refused: truncated files or another version
  }
  CheckIndexes(db);
  RetrieveEverything(db);
  if (db.NumEntries() > 0) {
    db.DeleteData(1);
    CheckIndexes(db);
  }
  db.GarbageCollection();
  RetrieveEverything(db);
  db.SetDBName("");
  return 0;
}
