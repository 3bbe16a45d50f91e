// The connection-table readers on arbitrary bytes, one program per reader
// (NUV_CSTRUCT_READER: 0 CTAB stream, 1 molfile, 2 SD, 3 CONTAB, 4 CTABG).
// Every read must end, keep the records' invariants and, when refused,
// leave the table as it was (the SD reader and the query-bond case may
// change it).
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "nuv/Nuv_cstruct.h"
#include "nuv/platform/Streams.h"

namespace {

void Check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "cstruct fuzz: %s\n", what);
    std::abort();
  }
}

void CheckRecords(const nuv::TCTab& t) {
  const int32_t n = t.NAtoms();
  Check(n >= 0 && n <= nuv::MaxCTabAtoms, "atom count");
  for (int32_t a = 1; a <= n; ++a) {
    bool free = false;
    for (int32_t s = 1; s <= nuv::MaxCTabConn; ++s) {
      const int32_t b = t.GetConnTo(a, s);
      if (b == 0) {
        free = true;
        continue;
      }
      Check(!free, "gap in the neighbour slots");
      Check(b >= 1 && b <= n && b != a, "neighbour number");
      Check(t.GetTypConn(a, s) >= 1 && t.GetTypConn(a, s) <= 4, "bond type");
      Check(t.CheckConnect(b, a) == t.GetTypConn(a, s), "bond not symmetric");
    }
  }
}

std::string TempPath() {
  static const std::string path = "/tmp/cstruct_fuzz." + std::to_string(getpid());
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  nuv::TCTab t(nullptr), before(nullptr);
  before.Clear();
  before.SetStrucName("before");
  t.CopyFrom(before);
  bool ok = false;
  if (NUV_CSTRUCT_READER == 0) {
    nuv::TStringStream s(text);
    ok = t.ReadFromMDLCTabStream(s);
  } else if (NUV_CSTRUCT_READER == 1) {
    nuv::TStringStream s(text);
    ok = t.ReadFromMDLMolStream(s);
  } else {
    FILE* f = std::fopen(TempPath().c_str(), "wb");
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
    nuv::TextFile in(TempPath());
    in.Reset();
    if (NUV_CSTRUCT_READER == 2) {
      nuv::TPropRec props;
      for (int guard = 0; !in.Eof(); ++guard) {
        Check(guard <= static_cast<int>(size), "SD reader does not advance");
        t.ReadFromMDLSDFile(in, guard % 2 ? nullptr : &props);
        CheckRecords(t);
      }
      return 0;
    }
    ok = NUV_CSTRUCT_READER == 3 ? t.ReadFromClearTextFile(in) : t.ReadFromClearTextFileCTABG(in);
  }
  CheckRecords(t);
  // Only the MDL readers keep a structure with query bonds.
  if (!ok && NUV_CSTRUCT_READER >= 3)
    Check(t.CompareWith(before) == 0, "refused record changed the table");
  return 0;
}
