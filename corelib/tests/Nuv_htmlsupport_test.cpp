#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "ExpectCases.h"
#include "FileFixtures.h"
#include "TempDir.h"
#include "nuv/Nuv_htmlsupport.h"
#include "nuv/Nuv_stringl.h"
#include "nuv/platform/FileUtils.h"

namespace nuv {
namespace {

#include "Nuv_htmlsupport_ref.inc"

using testing::ExpectAll;

std::string Printable(std::string_view s) {
  std::string p;
  for (const char c : s) {
    const auto b = static_cast<uint8_t>(c);
    p += b >= 32 && b < 127 ? std::string(1, c) : "\\x" + IntToHex(b, 2);
  }
  return p;
}

// Every byte but the given ones.
std::string AllBytesExcept(std::string_view excluded) {
  std::string s;
  for (int c = 0; c < 256; ++c)
    if (excluded.find(static_cast<char>(c)) == std::string_view::npos) s += static_cast<char>(c);
  return s;
}

// ---------------------------------------------------------------------------
// Templates

struct TTagCall {
  std::string Name, Params, Preset;
  bool operator==(const TTagCall&) const = default;
};

// A producer whose handler records each call and replaces tags by "[name]".
struct TRecordingProducer {
  THtmlProducer Producer{nullptr};
  std::vector<TTagCall> Calls;
  TRecordingProducer() {
    Producer.OnHTMLTag = [this](TObject* Sender, const std::string& Name, const std::string& Params,
                                std::string& Replacement) {
      EXPECT_EQ(Sender, &Producer);
      Calls.push_back({Name, Params, Replacement});
      Replacement = "[" + Name + "]";
    };
  }
};

TEST(HtmlProducer, ConvertScansSpecialTags) {
  const struct {
    std::string_view tmpl, want;
    std::vector<TTagCall> calls;
  } cases[] = {
      {"a<#date fmt=iso>b", "a[date]b", {{"date", "fmt=iso", "<#date fmt=iso>"}}},
      {"<#now>!", "[now]!", {{"now", "", "<#now>"}}},
      {"<#NoW   a  b  >", "[now]", {{"now", "a  b", "<#NoW   a  b  >"}}},
      {"<#\xC4Tag x>", "[\xE4tag]", {{"\xE4tag", "x", "<#\xC4Tag x>"}}},
      {"x<#tag rest", "x[tag]", {{"tag", "rest", "<#tag rest"}}},
      {"x<#", "x[]", {{"", "", "<#"}}},
      {"<#>", "[]", {{"", "", "<#>"}}},
      {"<# a>", "[]", {{"", "a", "<# a>"}}},
      {"<#a><#b c>", "[a][b]", {{"a", "", "<#a>"}, {"b", "c", "<#b c>"}}},
      {"<#a <#b>>", "[a]>", {{"a", "<#b", "<#a <#b>"}}},
      {"<p><<#x>< #y>", "<p><[x]< #y>", {{"x", "", "<#x>"}}},
      {"end<", "end<", {}},
      {"<", "<", {}},
      {"", "", {}},
      {std::string_view("\0<#z\0>\xFF", 7), std::string_view("\0[z\0]\xFF", 6), {{std::string("z\0", 2), "", std::string("<#z\0>", 5)}}},
  };
  for (const auto& c : cases) {
    TRecordingProducer r;
    r.Producer.SetTemplate(c.tmpl);
    EXPECT_EQ(r.Producer.Convert(), c.want) << Printable(c.tmpl);
    EXPECT_EQ(r.Calls, c.calls) << Printable(c.tmpl);
    EXPECT_EQ(r.Producer.ConvertedHTMLAsStream().DataString(), c.want) << Printable(c.tmpl);
  }
}

TEST(HtmlProducer, HandlersThatDoNothingOrAreMissingKeepTags) {
  THtmlProducer p(nullptr);
  p.SetTemplate("a<#x y>b<#z");
  EXPECT_EQ(p.Convert(), "a<#x y>b<#z") << "no handler";
  p.OnHTMLTag = [](TObject*, const std::string&, const std::string&, std::string&) {};
  EXPECT_EQ(p.Convert(), "a<#x y>b<#z") << "replacement left as preset";
  p.OnHTMLTag = [](TObject*, const std::string&, const std::string&, std::string& r) { r.clear(); };
  EXPECT_EQ(p.Convert(), "ab") << "empty replacement";
}

TEST(HtmlProducer, RaisingHandlerKeepsThePreviousResult) {
  THtmlProducer p(nullptr);
  p.SetTemplate("ok");
  p.Convert();
  p.SetTemplate("a<#boom>b");
  p.OnHTMLTag = [](TObject*, const std::string&, const std::string&, std::string&) {
    throw std::runtime_error("handler failed");
  };
  EXPECT_THROW(p.Convert(), std::runtime_error);
  EXPECT_EQ(p.ConvertedHTMLAsStream().DataString(), "ok");
  EXPECT_EQ(p.Template(), "a<#boom>b");
}

TEST(HtmlProducer, HandlerMayReplaceTheTemplateWhileItIsScanned) {
  THtmlProducer p(nullptr);
  p.SetTemplate("<#a>" + std::string(100, 'x') + "<#b>");
  std::string names;
  p.OnHTMLTag = [&](TObject*, const std::string& name, const std::string&, std::string& r) {
    names += name;
    p.SetTemplate("");
    r = "-";
  };
  EXPECT_EQ(p.Convert(), "-" + std::string(100, 'x') + "-");
  EXPECT_EQ(names, "ab");
}

TEST(HtmlProducer, StreamsReplaceEachOther) {
  TRecordingProducer r;
  r.Producer.SetTemplate("<#one>");
  r.Producer.Convert();
  TStringStream& first = r.Producer.ConvertedHTMLAsStream();
  EXPECT_EQ(first.Position(), 0);
  EXPECT_EQ(first.ReadString(3), "[on");
  r.Producer.SetTemplate("<#two>");
  r.Producer.Convert();
  TStringStream& second = r.Producer.ConvertedHTMLAsStream();
  EXPECT_EQ(second.Position(), 0);
  EXPECT_EQ(second.DataString(), "[two]");

  THtmlProducer fresh(nullptr);
  EXPECT_EQ(fresh.ConvertedHTMLAsStream().Size(), 0) << "nothing converted yet";
}

TEST(HtmlProducer, TemplateFromStreamStartsAtZero) {
  THtmlProducer p(nullptr);
  TStringStream s(std::string("ab\0c\r\n", 6));
  s.SetPosition(4);
  p.ReadTemplateFromStream(s);
  EXPECT_EQ(p.Template(), std::string("ab\0c\r\n", 6));
  EXPECT_EQ(s.Position(), 6);
  TStringStream empty;
  p.ReadTemplateFromStream(empty);
  EXPECT_EQ(p.Template(), "");
}

TEST(HtmlProducer, TemplateFromFileEndsEveryLineWithCRLF) {
  testing::TempDir dir;
  const std::string name = dir.File("t.html");
  const struct {
    std::string_view file, want;
  } cases[] = {
      {"a\nb\n", "a\r\nb\r\n"},
      {"a\r\nb", "a\r\nb\r\n"},
      {"a\rb\r", "a\r\nb\r\n"},
      {"\n\n", "\r\n\r\n"},
      {"", ""},
      {"<#x>\n", "<#x>\r\n"},
  };
  for (const auto& c : cases) {
    testing::WriteRawFile(name, c.file);
    THtmlProducer p(nullptr);
    p.ReadTemplateFromFile(name);
    EXPECT_EQ(p.Template(), c.want) << Printable(c.file);
  }
  THtmlProducer p(nullptr);
  p.SetTemplate("kept");
  EXPECT_EQ(testing::IoCodeOf([&] { p.ReadTemplateFromFile(dir.File("missing.html")); }), ioFileNotFound);
  EXPECT_EQ(p.Template(), "kept");
}

TEST(HtmlProducer, ConvertedTextGoesToFileUnchanged) {
  testing::TempDir dir;
  const std::string name = dir.File("out.html");
  TRecordingProducer r;
  r.Producer.SetTemplate(std::string("<#a>\n\0\xE9", 7));
  r.Producer.Convert();
  testing::WriteRawFile(name, "old content that is longer");
  r.Producer.WriteConvertedHTMLToFile(name);
  EXPECT_EQ(testing::ReadRawFile(name), std::string("[a]\n\0\xE9", 6));

  EXPECT_NE(testing::IoCodeOf([&] { r.Producer.WriteConvertedHTMLToFile(dir.File("no/such/dir/x.html")); }), 0);
  ASSERT_EQ(FileSetAttr(name, faReadOnly), 0);
  r.Producer.SetTemplate("new");
  r.Producer.Convert();
  EXPECT_NE(testing::IoCodeOf([&] { r.Producer.WriteConvertedHTMLToFile(name); }), 0);
  EXPECT_EQ(testing::ReadRawFile(name), std::string("[a]\n\0\xE9", 6)) << "a failed write keeps the file";
  FileSetAttr(name, 0);
}

// ---------------------------------------------------------------------------
// URLs

TEST(URLEncode, MatchesQuoteFromBytesWithTheComplementarySafeSet) {
  for (const auto& c : kUrlEncodeCases) EXPECT_EQ(URLEncode(c.In), c.Out) << Printable(c.In);
  ExpectAll({
      {"example", URLEncode("a b&c"), "a%20b%26c"},
      {"upper-case hex", URLEncode("[]"), "%5B%5D"},
      {"every escaped character", URLEncode("!*();:@&=+$,/?%#[] "),
       "%21%2A%28%29%3B%3A%40%26%3D%2B%24%2C%2F%3F%25%23%5B%5D%20"},
  });
  const std::string kept = AllBytesExcept("!*();:@&=+$,/?%#[] ");
  EXPECT_EQ(URLEncode(kept), kept) << "controls, NUL and 128..255 stay";
}

TEST(URLDecode, MatchesUnquoteToBytesAppliedTwice) {
  for (const auto& c : kUrlDecodeCases) EXPECT_EQ(URLDecode(c.In), c.Out) << Printable(c.In);
  ExpectAll({
      {"example", URLDecode("%2541"), "A"},
      {"plus stays", URLDecode("a+b%2B"), "a+b+"},
      {"percent at the end", URLDecode("ab%"), "ab%"},
      {"one digit at the end", URLDecode("ab%4"), "ab%4"},
      {"lower-case hex", URLDecode("%e9%E9"), "\xE9\xE9"},
      {"NUL", URLDecode("a%00b"), std::string("a\0b", 3)},
      {"third level stays", URLDecode("%252541"), "%41"},
      {"empty", URLDecode(""), ""},
  });
}

TEST(URLDecode, UndoesURLEncodeUnlessTheTextHoldsPercentCodes) {
  const std::string text = AllBytesExcept("%") + AllBytesExcept("%");
  EXPECT_EQ(URLDecode(URLEncode(text)), text);
  EXPECT_EQ(URLDecode(URLEncode("100%")), "100%") << "a percent without digits survives";
  EXPECT_EQ(URLDecode(URLEncode("%41")), "A") << "decoding twice takes the literal code too";
}

TEST(ExtractHTTPPath, CutsSchemeAndFileName) {
  ExpectAll({
      {"example", ExtractHTTPPath("HTTP://host/dir/page.html"), "host/dir/"},
      {"nothing after the scheme", ExtractHTTPPath("http://"), ""},
      {"empty", ExtractHTTPPath(""), ""},
      {"host only", ExtractHTTPPath("http://host"), "h"},
      {"no scheme, no slash", ExtractHTTPPath("page.html"), "p"},
      {"no scheme", ExtractHTTPPath("www.x.org/a/b.html"), "www.x.org/a/"},
      {"other scheme", ExtractHTTPPath("ftp://a/b/c"), "ftp://a/b/"},
      {"text before the scheme", ExtractHTTPPath("see hTtP://a/b/c?q=/x"), "a/b/c?q=/"},
      {"first scheme only", ExtractHTTPPath("http://a/http://b/c"), "a/http://b/"},
      {"trailing slash", ExtractHTTPPath("http://a/"), "a/"},
      {"https is not http://", ExtractHTTPPath("https://a/b"), "https://a/"},
  });
}

// ---------------------------------------------------------------------------
// Words

TEST(CountWordsHTML, MatchesTheModelAcrossSplitCalls) {
  for (const auto& c : kCountCases) {
    bool inTag = c.InTagBefore;
    std::string whole;
    for (int32_t i = 0; i < c.NrSteps; ++i) {
      const TCountStep& s = c.Steps[i];
      whole += s.Text;
      EXPECT_EQ(CountWordsHTML(s.Text, c.SkipNumbers, inTag), s.Words)
          << Printable(s.Text) << " step " << i << " of " << Printable(whole);
      EXPECT_EQ(inTag, s.InTagAfter) << Printable(s.Text) << " step " << i;
    }
  }
}

TEST(CountWordsHTML, TagsDelimitWordsAndNumbersMayBeSkipped) {
  const struct {
    std::string_view text;
    bool skipNumbers, inTagBefore;
    int32_t words;
    bool inTagAfter;
  } cases[] = {
      {"ab<b>cd</b> ", false, false, 2, false},
      {"ab<tag words inside> ", false, false, 1, false},
      {"words inside> after ", false, true, 1, false},
      {"one two", false, false, 1, false},
      {"12 ab 3x x3 ", true, false, 2, false},
      {"12 ab 3x x3 ", false, false, 4, false},
      {"ab> cd ", false, false, 2, false},
      {"ab <unclosed tag", false, false, 1, true},
      {"", false, true, 0, true},
      {"\xE9t\xE9\t\xA0 ", false, false, 1, false},
  };
  for (const auto& c : cases) {
    bool inTag = c.inTagBefore;
    EXPECT_EQ(CountWordsHTML(c.text, c.skipNumbers, inTag), c.words) << Printable(c.text);
    EXPECT_EQ(inTag, c.inTagAfter) << Printable(c.text);
  }
  bool inTag = false;
  const std::string plain = "some plain words, no tags. ";
  EXPECT_EQ(CountWordsHTML(plain, false, inTag), CountWords(plain));
}

// ---------------------------------------------------------------------------
// Entities

TEST(HTMLEntities, KnownNamesMatchPythonsTable) {
  for (const auto& e : kKnownEntities) {
    const char want = static_cast<char>(e.Code);
    const std::string name(e.Name);
    EXPECT_EQ(HTMLEntityToAnsi("&" + name + ";"), want) << name;
    EXPECT_EQ(HTMLEntityToAnsi(name), want) << name << " bare";
    EXPECT_EQ(ResolveHTMLEntities("x&" + name + ";y"), std::string("x") + want + "y") << name;
    if (e.Code >= 160 || std::string_view("&<>\"").find(want) != std::string_view::npos) {
      EXPECT_EQ(AnsiToHTMLEntity(want), "&" + name + ";") << name;
    }
  }
  for (const std::string_view name : kUnknownEntities) {
    EXPECT_EQ(HTMLEntityToAnsi(name), '\0') << name;
    const std::string text = "&" + std::string(name) + ";";
    EXPECT_EQ(ResolveHTMLEntities(text), text) << name;
  }
  EXPECT_EQ(HTMLEntityToAnsi("&apos;"), '\'');
  for (int c = 0; c < 160; ++c) {
    const char ch = static_cast<char>(c);
    if (std::string_view("&<>\"").find(ch) == std::string_view::npos) {
      EXPECT_EQ(AnsiToHTMLEntity(ch), std::string(1, ch)) << "code " << c;
    }
  }
}

TEST(HTMLEntities, NumericEntities) {
  const struct {
    std::string_view entity;
    char want;
  } cases[] = {
      {"&#233;", '\xE9'},  {"&#xE9;", '\xE9'},   {"&#Xe9;", '\xE9'},  {"#00065", 'A'},
      {"&#8364;", '\x80'}, {"&#x80;", '\x80'},   {"&#150;", '\x96'},  {"&#x2013;", '\x96'},
      {"&#9;", '\t'},      {"&#0;", '\0'},       {"&#945;", '\0'},    {"&#xD800;", '\0'},
      {"&#99999999999;", '\0'}, {"&#x110000;", '\0'}, {"&#-65;", '\0'}, {"&#+65;", '\0'},
      {"&#x;", '\0'},      {"&#;", '\0'},        {"&#6 5;", '\0'},    {"&#x4G;", '\0'},
      {"", '\0'},          {"&", '\0'},          {"&;", '\0'},
  };
  for (const auto& c : cases) EXPECT_EQ(HTMLEntityToAnsi(c.entity), c.want) << c.entity;
}

TEST(ResolveHTMLEntities, MatchesHtmlUnescape) {
  for (const auto& c : kResolveCases)
    EXPECT_EQ(ResolveHTMLEntities(c.In), c.Out) << Printable(c.In);
}

TEST(ResolveHTMLEntities, LeavesWhatItCannotResolve) {
  ExpectAll({
      {"unterminated name", ResolveHTMLEntities("&amp &eacute"), "&amp &eacute"},
      {"unterminated at the end", ResolveHTMLEntities("a&lt"), "a&lt"},
      {"number without character", ResolveHTMLEntities("&#945;&#x3B1;"), "&#945;&#x3B1;"},
      {"NUL stays an entity", ResolveHTMLEntities("a&#0;b"), "a&#0;b"},
      {"huge number", ResolveHTMLEntities("&#000000000000000000065;&#123456789012345678901;"),
       "A&#123456789012345678901;"},
      {"ampersands before an entity", ResolveHTMLEntities("&&&amp;;"), "&&&;"},
      {"not resolved twice", ResolveHTMLEntities("&amp;lt;"), "&lt;"},
      {"wrong case", ResolveHTMLEntities("&AMP;&Eacute;&EACUTE;"), "&AMP;\xC9&EACUTE;"},
  });
}

TEST(MakeStringHTMLCompatible, EscapesMarkupAndUpperHalf) {
  ExpectAll({
      {"markup", MakeStringHTMLCompatible("a<b & \"c\">'"), "a&lt;b &amp; &quot;c&quot;&gt;'"},
      {"upper half", MakeStringHTMLCompatible("\xA0\xE9\xFF\x80"), "&nbsp;&eacute;&yuml;\x80"},
      {"empty", MakeStringHTMLCompatible(""), ""},
  });
  const std::string all = AllBytesExcept("");
  const std::string escaped = MakeStringHTMLCompatible(all);
  EXPECT_EQ(ResolveHTMLEntities(escaped), all) << "resolving undoes escaping";
  for (const char c : escaped) {
    EXPECT_TRUE(static_cast<uint8_t>(c) < 160) << Printable(std::string(1, c));
    EXPECT_EQ(std::string_view("<>\"").find(c), std::string_view::npos) << c;
  }
}

TEST(DefaultHTMLHead, WritesAValidFrame) {
  EXPECT_EQ(DefaultHTMLHead("R&D <1>", "J\xFCrg", "", "a \"b\"", true),
            "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\" "
            "\"http://www.w3.org/TR/html4/loose.dtd\">\r\n"
            "<html>\r\n<head>\r\n"
            "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\">\r\n"
            "<title>R&amp;D &lt;1&gt;</title>\r\n"
            "<meta name=\"author\" content=\"J&uuml;rg\">\r\n"
            "<meta name=\"description\" content=\"a &quot;b&quot;\">\r\n"
            "</head>\r\n<body>\r\n");
  const std::string bare = DefaultHTMLHead("", "", "", "", false);
  EXPECT_NE(bare.find("<title></title>\r\n</head>\r\n"), std::string::npos) << bare;
  EXPECT_EQ(bare.find("<body>"), std::string::npos);
  EXPECT_NE(DefaultHTMLHead("t", "", "k1, k2", "", false)
                .find("<title>t</title>\r\n<meta name=\"keywords\" content=\"k1, k2\">\r\n</head>\r\n"),
            std::string::npos);
  EXPECT_EQ(DefaultHTMLFoot(true), "</body>\r\n</html>\r\n");
  EXPECT_EQ(DefaultHTMLFoot(false), "</html>\r\n");
}

}  // namespace
}  // namespace nuv
