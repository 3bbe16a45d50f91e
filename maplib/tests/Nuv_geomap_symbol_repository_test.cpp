// The symbol repository: entries and their limits, backup and assignment,
// the file byte for byte, round trips, malformed files and a failed store.
#include <gtest/gtest.h>

#include <string>

#include "ExpectThrow.h"
#include "FileFixtures.h"
#include "TempDir.h"
#include "nuv/Nuv_geomap.h"
#include "nuv/platform/SysUtils.h"

namespace nuv {
namespace {

using namespace nuv::testing;

TSymbol Symbol(TLandMarkElement e, const std::string& name, int32_t category) {
  TSymbol s = DefaultSymbolRecord();
  s.Element = e;
  s.Name = name;
  s.Category = category;
  s.Size = 12;
  s.ColorFg = 0x123456;
  s.ColorBg = static_cast<TColor>(0x8000000F);
  s.Transparent = true;
  s.Dir = -30;
  s.Leng = 77;
  return s;
}

TEST(SymbolRepository, EntriesAndTheirLimits) {
  TSymbolRepository r(nullptr);
  EXPECT_EQ(r.NumEntries(), 0);
  const TSymbol d = DefaultSymbolRecord();
  EXPECT_EQ(d.Element, lmCross);
  EXPECT_EQ(d.Size, 8);
  EXPECT_EQ(d.ColorFg, 0x000000);
  EXPECT_EQ(d.ColorBg, 0x0000FF);
  EXPECT_FALSE(d.Transparent);
  EXPECT_EQ(d.Dir, 90);
  EXPECT_EQ(d.Leng, 40);
  EXPECT_TRUE(d.Name.Empty());
  EXPECT_EQ(d.Category, 0);

  r.SetNEntries(3);
  r.SetNEntries(-1);  // ignored
  EXPECT_EQ(r.NumEntries(), 3);
  const TSymbol s = Symbol(lmSpade, "Hut", 4);
  for (int32_t i : {0, 4, -1, INT32_MIN}) {
    r.SetValues(i, s);
    EXPECT_EQ(r.GetValues(i), d) << i;
  }
  r.SetValues(3, s);
  EXPECT_EQ(r.GetValues(3), s);
  EXPECT_EQ(r.GetValues(2), d);
  r.SetNEntries(2);
  r.SetNEntries(3);
  EXPECT_EQ(r.GetValues(3), d);  // dropped and grown again
  r.SetValues(1, s);
  r.Clear();
  EXPECT_EQ(r.NumEntries(), 3);
  EXPECT_EQ(r.GetValues(1), d);
  r.SetName("Repo");
  ExpectThrowMessage<ENUVGeoMapError>([&] { r.SetNEntries(MaxSymbolEntries + 1); },
                                      "Component \"Repo\": insufficient memory");
  EXPECT_EQ(r.NumEntries(), 3);
}

TEST(SymbolRepository, BackupRestoreAndAssign) {
  TSymbolRepository a(nullptr), b(nullptr);
  a.SetNEntries(2);
  a.SetValues(1, Symbol(lmCircle, "One", 1));
  a.Backup();
  a.SetNEntries(5);
  a.SetValues(5, Symbol(lmSquare, "Five", 5));
  b.Assign(a);
  EXPECT_EQ(b.NumEntries(), 5);
  EXPECT_EQ(b.GetValues(5).Name, "Five");
  // The backup came along too.
  b.Restore();
  EXPECT_EQ(b.NumEntries(), 2);
  EXPECT_EQ(b.GetValues(1).Name, "One");
  a.Restore();
  EXPECT_EQ(a.NumEntries(), 2);
  TSymbolRepository c(nullptr);
  a.AssignTo(c);
  EXPECT_EQ(c.NumEntries(), 2);
  EXPECT_EQ(c.GetValues(1), a.GetValues(1));
  a.Assign(a);
  EXPECT_EQ(a.NumEntries(), 2);
  TComponent other(nullptr);
  EXPECT_THROW(a.Assign(other), EConvertError);
}

constexpr std::string_view kStored =
    "<?xml version=\"1.0\"?>\r\n"
    "\r\n"
    "<!-- TGeoMap Landmark Repository / Nuvkit -->\r\n"
    "<lmsymbols sig=\"Nuvkit\" vers=\"1.0\" id=\"Set1\">\r\n"
    "<symbol element=\"Cross\" name=\"\" category=\"0\" colorfg=\"00000000\" "
    "colorbg=\"000000FF\" size=\"8\" transp=\"FALSE\" dir=\"90\" leng=\"40\" />\r\n"
    "<symbol element=\"ArrowTo\" name=\"Say &quot;hi&quot; &amp;quot; &lt;b&gt;\" "
    "category=\"-3\" colorfg=\"00123456\" colorbg=\"8000000F\" size=\"12\" transp=\"TRUE\" "
    "dir=\"-30\" leng=\"77\" />\r\n"
    "<symbol element=\"User-Defined\" name=\"Own\" category=\"9\" colorfg=\"00123456\" "
    "colorbg=\"8000000F\" size=\"12\" transp=\"TRUE\" dir=\"-30\" leng=\"77\" />\r\n"
    "</lmsymbols>\r\n";

TEST(SymbolRepositoryFile, StoredByteForByteAndReadBack) {
  TempDir dir;
  TSymbolRepository r(nullptr);
  r.SetNEntries(3);
  r.SetValues(2, Symbol(lmArrowTo, "Say \"hi\" &quot; <b>", -3));
  r.SetValues(3, Symbol(lmUserDef, "Own", 9));
  r.StoreOnFile(dir.File("sym.xml"), "Set1");
  EXPECT_EQ(ReadRawFile(dir.File("sym.xml")), kStored);

  TSymbolRepository back(nullptr);
  ASSERT_TRUE(back.LoadFromFile(dir.File("sym.xml"), "set1"));
  ASSERT_EQ(back.NumEntries(), 3);
  EXPECT_EQ(back.GetValues(1), r.GetValues(1));
  EXPECT_EQ(back.GetValues(2), r.GetValues(2));
  // lmUserDef has no name of its own in the reader: it comes back a cross.
  TSymbol own = r.GetValues(3);
  own.Element = lmCross;
  EXPECT_EQ(back.GetValues(3), own);
  EXPECT_FALSE(back.LoadFromFile(dir.File("sym.xml"), "other"));
  EXPECT_EQ(back.NumEntries(), 3);
  EXPECT_FALSE(back.LoadFromFile(dir.File("missing.xml"), ""));
}

TEST(SymbolRepositoryFile, MalformedAndLargeFiles) {
  TempDir dir;
  const std::string head = "<!-- x -->\r\n<lmsymbols sig=\"nuvkit\" id=\"A\">\r\n";
  const struct {
    const char* what;
    std::string body;
    int32_t count;
    TSymbol first;
  } cases[] = {
      {"no attributes", "<symbol />\r\n</lmsymbols>\r\n", 1, TSymbol{}},
      {"bad values",
       "<symbol element=\"SQUARE\" colorfg=\"zz\" colorbg=\"$ff\" size=\"99999999999\" "
       "transp=\"yes\" name=\"a-name-that-is-longer-than-forty-three-characters!\" />\r\n"
       "<junk a=\"1\" />\r\n</lmsymbols>\r\n",
       1,
       [] {
         TSymbol s;
         s.Element = lmSquare;
         s.ColorBg = 0xFF;
         s.Size = INT32_MAX;
         s.Name = "a-name-that-is-longer-than-forty-three-characters!";
         return s;
       }()},
      {"unknown element, truncated",
       "<symbol element=\"star\" transp=\"TRUE\" dir=\"5\" />\r\n<sym", 1,
       [] {
         TSymbol s;
         s.Transparent = true;
         s.Dir = 5;
         return s;
       }()},
  };
  for (const auto& c : cases) {
    WriteRawFile(dir.File("f.xml"), head + c.body);
    TSymbolRepository r(nullptr);
    ASSERT_TRUE(r.LoadFromFile(dir.File("f.xml"), "a")) << c.what;
    ASSERT_EQ(r.NumEntries(), c.count) << c.what;
    EXPECT_EQ(r.GetValues(1), c.first) << c.what;
  }
  EXPECT_EQ(TSymbol{}.Name.Capacity, 43u);

  // More symbols than the 1000 reserved.
  std::string many = head;
  for (int32_t i = 0; i < 2500; ++i)
    many += "<symbol element=\"Circle\" category=\"" + std::to_string(i) + "\" />\r\n";
  WriteRawFile(dir.File("many.xml"), many + "</lmsymbols>\r\n");
  TSymbolRepository r(nullptr);
  ASSERT_TRUE(r.LoadFromFile(dir.File("many.xml"), ""));
  ASSERT_EQ(r.NumEntries(), 2500);
  EXPECT_EQ(r.GetValues(2500).Category, 2499);
  EXPECT_EQ(r.GetValues(1001).Element, lmCircle);
}

TEST(SymbolRepositoryFile, FailedStoreKeepsTheOldFile) {
  TempDir dir;
  TSymbolRepository r(nullptr);
  r.SetNEntries(1);
  r.StoreOnFile(dir.File("sym.xml"), "s");
  const std::string old = ReadRawFile(dir.File("sym.xml"));
  r.SetNEntries(5000);
  {
    FileSizeLimit limit(16384);
    EXPECT_ANY_THROW(r.StoreOnFile(dir.File("sym.xml"), "s"));
  }
  EXPECT_EQ(ReadRawFile(dir.File("sym.xml")), old);
  int32_t files = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.Path())) ++files;
  EXPECT_EQ(files, 1);
}

}  // namespace
}  // namespace nuv
