#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "nuv/corelib.h"

namespace nuv {
namespace {

std::vector<std::string> UnitNames(const TPackageInfoTable& t) {
  std::vector<std::string> names;
  for (int32_t i = 0; i < t.UnitCount; ++i) names.emplace_back(t.Units[i].Name);
  return names;
}

TEST(CorelibFrame, UnitsInInitialisationOrderAndLoaded) {
  const auto& t = corelib::GetPackageInfoTable();
  const std::vector<std::string> expected{"Nuv_univconst", "Nuv_nuvbase",  "Nuv_stringl",
                                          "Nuv_dstruct",   "Nuv_nuvcolors", "Nuv_streams",
                                          "Nuv_htmlsupport", "Nuv_filesys", "Nuv_cpuid"};
  EXPECT_EQ(UnitNames(t), expected);
  for (int32_t i = 0; i < t.UnitCount; ++i) EXPECT_EQ(t.InitCounts[i], 1) << t.Units[i].Name;
  EXPECT_EQ(FindModule("corelib"), &t);
}

TEST(CorelibFrame, RepeatedInitializeActsOnce) {
  ProcStat = 41;
  corelib::Initialize();
  EXPECT_EQ(ProcStat, 41) << "a second Initialize must not rerun the units";
  corelib::Finalize();
  const auto& t = corelib::GetPackageInfoTable();
  EXPECT_EQ(t.InitCounts[1], 1);
  ProcStat = 0;
}

TEST(NameArrays, StoredNamesAndLookup) {
  EXPECT_EQ(xmlVarKind[Bool], "bool");
  EXPECT_EQ(xmlVarKind[strg], "strg");
  EXPECT_EQ(xmlTxtLblMode[tlsimple], "tlsimple");
  EXPECT_EQ(xmlMouseActMode[maRotZOnly], "maRotZOnly");
  EXPECT_EQ(xmlAlignment[taCenter], "taCenter");
  EXPECT_EQ(xmlFontStyle[fsStrikeOut], "fsStrikeOut");
  EXPECT_EQ(IndexOfName(xmlFrameStyle, "fsEngraved"), fsEngraved);
  EXPECT_EQ(IndexOfName(xmlFrameStyle, "FSENGRAVED"), -1);
  EXPECT_EQ(xmlMouseActMode.size(), 15u);
}

TEST(LanguageTables, ExactWindows1252Entries) {
  const struct {
    std::string_view actual, expected;
  } cases[] = {
      {MonthLong[lgFrench][2], "f\xE9vrier "},
      {MonthShort[lgGerman][1], "J\xE4n"},
      {MonthShort[lgFrench][12], "d\xE9" "c"},
      {MonthLong[lgUnknown][7], "M07"},
      {MonthLong[lgSpanish][5], "mai"},
      {WeekDayShort[lgEnglish][7], "Sun"},
      {WeekDayLong[lgSpanish][6], "s\xE1" "bado"},
      {WeekDayLong[lgUnknown][1], "D01"},
      {NumWords[lgFrench][1], "celui"},
      {NumWords[lgGerman][12], "zw\xF6lf"},
      {NumWords[lgUnknown][0], "N00"},
      {LanguageID[lgFrench][lgGerman], "franz\xF6sisch"},
      {LanguageID[lgEnglish][lgSpanish], "ingl\xE9s"},
      {LanguageID[lgGerman][lgEnglish], "German"},
      {LanguageID[lgSpanish][lgUnknown], "???"},
      {ISO639_3Char[lgFrench], "fre"},
      {ISO639_2Char[lgUnknown], "??"},
      {HTMLLat1Entities[160], "&nbsp;"},
      {HTMLLat1Entities[255], "&yuml;"},
      {HTMLLat1Entities[223], "&szlig;"},
      {MonthShort[lgEnglish][13], ""},
      {HTMLLat1Entities[65], ""},
  };
  for (const auto& c : cases) EXPECT_EQ(c.actual, c.expected) << c.expected;
}

TEST(Progress, IncProcStatCallsTheFeedback) {
  ProcStat = 0;
  std::vector<int32_t> seen;
  MathFeedBackProc = [&](int32_t v) { seen.push_back(v); };
  IncProcStat();
  IncProcStat();
  MathFeedBackProc = nullptr;
  IncProcStat();
  EXPECT_EQ(seen, (std::vector<int32_t>{1, 2}));
  EXPECT_EQ(ProcStat, 3);
  ProcStat = 0;
}

TEST(Exceptions, Hierarchy) {
  EXPECT_THROW(throw ENUVStringlError("x"), ENUVError);
  EXPECT_THROW(throw ENUVDStructError("x"), ENUVError);
  EXPECT_THROW(throw ENUVColArrayError("x"), ENUVError);
  EXPECT_THROW(throw ENUVFileSysError("x"), ENUVError);
  EXPECT_THROW(throw ENUVCpuIdError("x"), ENUVError);
  EXPECT_THROW(throw ENUVError("x"), Exception);
}

}  // namespace
}  // namespace nuv
