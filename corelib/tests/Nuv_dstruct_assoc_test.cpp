// TAssocArray: adding, replacing and removing pairs, the case rules, the
// chunked slots, number and text reading, random sequences against a
// first-match search over a plain vector, and the XML block.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "nuv/Nuv_dstruct.h"
#include "nuv/platform/CodePage.h"

namespace nuv {
namespace {

std::vector<std::string> KeysOf(const TAssocArray& a) {
  std::vector<std::string> keys;
  for (int32_t i = 1; i <= a.NumEntries(); ++i) keys.push_back(a.Keys(i));
  return keys;
}

TEST(AssocArray, AddReplacesAndKeepsInsertionOrder) {
  TAssocArray a(nullptr);
  EXPECT_TRUE(a.IgnoreCase());
  EXPECT_EQ(a.Granularity(), 1024);
  a.Add("Key", int32_t{1});
  EXPECT_EQ(a.Resolve("KEY"), Variant(int32_t{1}));
  EXPECT_EQ(a.Keys(1), "key") << "stored lower-cased";
  a.Add("second", "two");
  a.Add("KEY", 2.5);
  EXPECT_EQ(a.NumEntries(), 2);
  EXPECT_EQ(a.Values(1), Variant(2.5));
  EXPECT_EQ(KeysOf(a), (std::vector<std::string>{"key", "second"}));
  a.Add("\xC4rger", true);  // the 1252 upper-case A umlaut
  EXPECT_EQ(a.Keys(3), "\xE4rger");
  EXPECT_EQ(a.Resolve("\xE4RGER"), Variant(true));
  EXPECT_TRUE(a.Resolve("missing").IsNull());
  a.Add("", int8_t{-1});
  EXPECT_EQ(a.Resolve(""), Variant(int8_t{-1})) << "the empty key is a key";
}

TEST(AssocArray, CaseSensitiveKeysStayApart) {
  TAssocArray a(nullptr);
  a.SetIgnoreCase(false);
  a.Add("Key", int32_t{1});
  a.Add("key", int32_t{2});
  EXPECT_EQ(a.NumEntries(), 2);
  EXPECT_EQ(a.Resolve("Key"), Variant(int32_t{1}));
  EXPECT_TRUE(a.Resolve("KEY").IsNull());
  EXPECT_EQ(a.Keys(1), "Key");
  // Switching the rule keeps the stored keys; a search then meets the
  // first of the two, as a scan from the first pair would.
  a.SetIgnoreCase(true);
  EXPECT_EQ(a.Keys(1), "Key");
  EXPECT_EQ(a.Resolve("KEY"), Variant(int32_t{1}));
  a.Add("kEY", int32_t{3});
  EXPECT_EQ(a.NumEntries(), 2);
  EXPECT_EQ(a.Values(1), Variant(int32_t{3}));
  EXPECT_TRUE(a.Remove("key"));
  EXPECT_EQ(KeysOf(a), (std::vector<std::string>{"key"}));
  EXPECT_EQ(a.Resolve("KEY"), Variant(int32_t{2}));
}

TEST(AssocArray, RemoveMovesTheLastPairIntoTheGap) {
  TAssocArray a(nullptr);
  a.Add("a", int32_t{1});
  a.Add("b", int32_t{2});
  a.Add("c", int32_t{3});
  EXPECT_FALSE(a.Remove("d"));
  EXPECT_TRUE(a.Remove("A"));
  EXPECT_EQ(KeysOf(a), (std::vector<std::string>{"c", "b"}));
  EXPECT_EQ(a.Resolve("c"), Variant(int32_t{3}));
  EXPECT_TRUE(a.Remove("b"));
  EXPECT_TRUE(a.Remove("c"));
  EXPECT_EQ(a.NumEntries(), 0);
  EXPECT_FALSE(a.Remove("c"));
  a.Add("z", int32_t{9});
  EXPECT_EQ(a.Keys(1), "z");
}

TEST(AssocArray, IndicesOutsideThePairs) {
  TAssocArray a(nullptr);
  a.Add("k", int32_t{5});
  for (const int32_t ix : {0, 2, -1, INT32_MAX}) {
    EXPECT_EQ(a.Keys(ix), "") << ix;
    EXPECT_EQ(a.Values(ix), Variant(std::string())) << ix;
    a.SetKeys(ix, "x");
    a.SetValues(ix, int32_t{0});
  }
  EXPECT_EQ(KeysOf(a), (std::vector<std::string>{"k"}));
  a.SetValues(1, "new");
  a.SetKeys(1, "NEW KEY");
  EXPECT_EQ(a.Keys(1), "new key");
  EXPECT_EQ(a.Resolve("New Key"), Variant("new"));
  EXPECT_TRUE(a.Resolve("k").IsNull());
}

TEST(AssocArray, WritingAKeyTwiceFallsBackToTheFirstMatch) {
  TAssocArray a(nullptr);
  a.Add("a", int32_t{1});
  a.Add("b", int32_t{2});
  a.Add("c", int32_t{3});
  a.SetKeys(3, "A");
  EXPECT_EQ(a.Resolve("a"), Variant(int32_t{1}));
  EXPECT_TRUE(a.Remove("a"));  // the first; the former third moves up
  EXPECT_EQ(KeysOf(a), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(a.Resolve("a"), Variant(int32_t{3}));
  a.Add("d", int32_t{4});
  EXPECT_EQ(a.Resolve("d"), Variant(int32_t{4}));
}

TEST(AssocArray, GranularityGrowsTheSlotsWithoutMovingPairs) {
  TAssocArray a(nullptr);
  for (const int32_t g : {0, -3}) {
    a.SetGranularity(g);
    EXPECT_EQ(a.Granularity(), 1) << g;
  }
  a.SetGranularity(INT32_MAX);
  EXPECT_EQ(a.Granularity(), TAssocArray::kMaxGranularity);
  a.SetGranularity(1);
  a.Clear();
  for (int32_t i = 0; i < 40; ++i) {
    if (i == 13) a.SetGranularity(3);  // chunks of mixed sizes from here
    if (i == 29) a.SetGranularity(7);
    a.Add("k" + std::to_string(i), i);
  }
  ASSERT_EQ(a.NumEntries(), 40);
  for (int32_t i = 0; i < 40; ++i) {
    EXPECT_EQ(a.Keys(i + 1), "k" + std::to_string(i));
    EXPECT_EQ(a.Resolve("K" + std::to_string(i)), Variant(i));
  }
  a.Clear();
  EXPECT_EQ(a.NumEntries(), 0);
  EXPECT_TRUE(a.Resolve("k1").IsNull());
}

TEST(AssocArray, ResolveAsNumberAndAsString) {
  TAssocArray a(nullptr);
  a.Add("i16", int16_t{-300});
  a.Add("u32", uint32_t{4000000000u});
  a.Add("i64", int64_t{1} << 62);
  a.Add("single", 0.5f);
  a.Add("double", -1e300);
  a.Add("currency", Currency{123456});
  a.Add("u8", uint8_t{255});
  a.Add("dot", " 1.5e3xyz");
  a.Add("comma", "2,25");
  a.Add("text", "abc");
  a.Add("bool", true);
  a.Add("date", Variant::FromDate(2.0));
  a.Add("null", Variant::Null());
  a.Add("empty", Variant());
  const struct {
    const char* key;
    long double number;
    const char* text;
  } cases[] = {
      {"i16", -300, "-300"},
      {"u32", 4000000000.0L, "4000000000"},
      {"i64", 4611686018427387904.0L, "4611686018427387904"},
      {"single", 0.5, "0.5"},
      {"double", -1e300, "-1e+300"},
      {"currency", 12.3456L, "12.3456"},
      {"u8", 255, "255"},
      {"dot", 1500, " 1.5e3xyz"},
      {"comma", 2.25, "2,25"},
      {"text", 0, "abc"},
      {"bool", 0, "True"},
      {"date", 0, "1900-01-01"},
      {"null", 0, ""},
      {"empty", 0, ""},
      {"absent", 0, ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(a.ResolveAsNumber(c.key), c.number) << c.key;
    EXPECT_EQ(a.ResolveAsString(c.key), c.text) << c.key;
  }
}

TEST(AssocArray, AddXMLAttributesTakesEveryPairAsText) {
  TAssocArray a(nullptr);
  a.Add("x", int32_t{0});
  a.AddXMLAttributes("X=1 name=\"Arial Narrow\" size= 10 empty=\"\" last=end");
  EXPECT_EQ(KeysOf(a), (std::vector<std::string>{"x", "name", "size", "empty", "last"}));
  EXPECT_EQ(a.Resolve("x"), Variant("1"));
  EXPECT_EQ(a.Resolve("name"), Variant("Arial Narrow"));
  EXPECT_EQ(a.Resolve("size"), Variant("10"));
  EXPECT_EQ(a.Resolve("empty"), Variant(""));
  EXPECT_EQ(a.Resolve("last"), Variant("end"));
  TAssocArray b(nullptr);
  b.AddXMLAttributes("a=1 b=x=y c=3");
  EXPECT_EQ(KeysOf(b), (std::vector<std::string>{"a"})) << "stops at a malformed pair";
  b.AddXMLAttributes("q\"=1");
  b.AddXMLAttributes("open=\"no end");
  b.AddXMLAttributes("   ");
  EXPECT_EQ(KeysOf(b), (std::vector<std::string>{"a", "open"}));
  EXPECT_EQ(b.Resolve("open"), Variant("no end"));
}

// The search the array must agree with: the first pair whose key matches.
struct TModelPair {
  std::string key;
  int32_t value;
};

TEST(AssocArrayRandom, SequencesMatchAFirstMatchScan) {
  std::mt19937 rng(99);
  const auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  const auto key = [&] {
    std::string k(static_cast<std::size_t>(pick(0, 3)), ' ');
    for (char& c : k) c = "aAbB\xC4\xE4z"[pick(0, 6)];
    return k;
  };
  for (int sequence = 0; sequence < 20; ++sequence) {
    TAssocArray a(nullptr);
    a.SetGranularity(pick(1, 5));
    std::vector<TModelPair> m;
    bool ignoreCase = true;
    const auto norm = [&](const std::string& k) { return ignoreCase ? AnsiLowerCase(k) : k; };
    const auto find = [&](const std::string& k) -> int {
      for (std::size_t i = 0; i < m.size(); ++i)
        if (norm(m[i].key) == norm(k)) return static_cast<int>(i);
      return -1;
    };
    for (int step = 0; step < 300; ++step) {
      const int op = pick(0, 99);
      const std::string k = key();
      if (op < 45) {
        const int32_t v = pick(0, 1000);
        a.Add(k, v);
        if (const int i = find(k); i >= 0)
          m[static_cast<std::size_t>(i)].value = v;
        else
          m.push_back({ignoreCase ? AnsiLowerCase(k) : k, v});
      } else if (op < 75) {
        const int i = find(k);
        EXPECT_EQ(a.Remove(k), i >= 0);
        if (i >= 0) {
          m[static_cast<std::size_t>(i)] = m.back();
          m.pop_back();
        }
      } else if (op < 85 && !m.empty()) {
        const int ix = pick(1, static_cast<int>(m.size()));
        a.SetKeys(ix, k);
        m[static_cast<std::size_t>(ix - 1)].key = ignoreCase ? AnsiLowerCase(k) : k;
      } else if (op < 90) {
        ignoreCase = !ignoreCase;
        a.SetIgnoreCase(ignoreCase);
      } else if (op < 92) {
        a.Clear();
        m.clear();
      }
      SCOPED_TRACE(::testing::Message() << "sequence " << sequence << " step " << step);
      ASSERT_EQ(a.NumEntries(), static_cast<int32_t>(m.size()));
      for (std::size_t i = 0; i < m.size(); ++i) {
        ASSERT_EQ(a.Keys(static_cast<int32_t>(i + 1)), m[i].key);
        ASSERT_EQ(a.Values(static_cast<int32_t>(i + 1)), Variant(m[i].value));
      }
      for (int probe = 0; probe < 4; ++probe) {
        const std::string q = key();
        const int i = find(q);
        ASSERT_EQ(a.Resolve(q),
                  i < 0 ? Variant::Null() : Variant(m[static_cast<std::size_t>(i)].value))
            << "\"" << q << "\"";
      }
    }
  }
}

TEST(AssocArrayRandom, ManyKeysStayFindableThroughRemovals) {
  TAssocArray a(nullptr);
  a.SetIgnoreCase(false);
  const int32_t n = 20000;
  for (int32_t i = 0; i < n; ++i) a.Add("key" + std::to_string(i), i);
  for (int32_t i = 0; i < n; i += 3) ASSERT_TRUE(a.Remove("key" + std::to_string(i)));
  for (int32_t i = 0; i < n; ++i) {
    const Variant v = a.Resolve("key" + std::to_string(i));
    ASSERT_EQ(v, i % 3 == 0 ? Variant::Null() : Variant(i)) << i;
  }
  EXPECT_EQ(a.NumEntries(), n - (n + 2) / 3);
}

// ---------------------------------------------------------------------------
// XML

std::string BlockOf(const TAssocArray& a, bool header, std::string_view id) {
  TStringStream s;
  a.WriteToXMLStream(s, header, id);
  return s.DataString();
}

TEST(AssocArrayXml, TheBlockLayout) {
  TAssocArray a(nullptr);
  a.SetDataID("set1");
  a.Add("Width", 1.25);
  a.Add("name", "A & <B>");
  a.Add("n", Variant::Null());
  a.Add("cash", Currency{-15000});
  EXPECT_EQ(BlockOf(a, false, ""),
            "\r\n<!-- TAssocArray / Nuvkit -->\r\n"
            "<assocarray sig=\"Nuvkit\" vers=\"1.0\" id=\"set1\" ignorecase=1>\r\n"
            "  <numentries val=4 />\r\n"
            "  <assoc key=\"width\" type=varDouble> 1.250E+0000</assoc>\r\n"
            "  <assoc key=\"name\" type=varString>A &amp; &lt;B&gt;</assoc>\r\n"
            "  <assoc key=\"n\" type=varNull></assoc>\r\n"
            "  <assoc key=\"cash\" type=varCurrency>-15000</assoc>\r\n"
            "</assocarray>\r\n");
}

TEST(AssocArrayXml, EveryKindRoundTrips) {
  TAssocArray a(nullptr);
  a.SetIgnoreCase(false);
  a.SetDataID("kinds");
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  const std::vector<std::pair<std::string, Variant>> pairs{
      {"empty", Variant()},
      {"null", Variant::Null()},
      {"i8", int8_t{-128}},
      {"u8", uint8_t{255}},
      {"i16", int16_t{-32768}},
      {"u16", uint16_t{65535}},
      {"i32", std::numeric_limits<int32_t>::min()},
      {"u32", std::numeric_limits<uint32_t>::max()},
      {"i64", std::numeric_limits<int64_t>::min()},
      {"single", 0.1f},
      {"double", 0.1},
      {"tiny", 5e-324},
      {"inf", -std::numeric_limits<double>::infinity()},
      {"currency", Currency{std::numeric_limits<int64_t>::max()}},
      {"date", Variant::FromDate(45000.123)},
      {"bool", false},
      {"all bytes", all},
      {all, "key of every byte"},
      {"Quote\"Key", " spaced "},
  };
  for (const auto& [k, v] : pairs) a.Add(k, v);
  TStringStream s(BlockOf(a, true, "") + BlockOf(a, false, "second"));
  TAssocArray b(nullptr);
  b.Add("old", int32_t{1});
  ASSERT_TRUE(b.ReadFromXMLStream(s, "SECOND"));
  EXPECT_FALSE(b.IgnoreCase()) << "the stored case rule";
  EXPECT_EQ(b.DataID(), "second");
  ASSERT_EQ(b.NumEntries(), static_cast<int32_t>(pairs.size()));
  for (std::size_t i = 0; i < pairs.size(); ++i) {
    EXPECT_EQ(b.Keys(static_cast<int32_t>(i + 1)), pairs[i].first) << i;
    EXPECT_EQ(b.Values(static_cast<int32_t>(i + 1)), pairs[i].second) << pairs[i].first;
  }
  EXPECT_TRUE(b.Resolve("old").IsNull());
  EXPECT_EQ(b.Resolve(all), Variant("key of every byte"));
}

TEST(AssocArrayXml, InconsistentBlocksChangeNothing) {
  const struct {
    const char* what;
    const char* body;
  } cases[] = {
      {"count beyond the pairs", "<numentries val=2 /><assoc key=\"a\" type=varInteger>1</assoc>"},
      {"count below the pairs", "<numentries val=0 /><assoc key=\"a\" type=varInteger>1</assoc>"},
      {"no count", "<assoc key=\"a\" type=varInteger>1</assoc>"},
      {"count twice", "<numentries val=0 /><numentries val=0 />"},
      {"repeated key",
       "<numentries val=2 /><assoc key=\"a\" type=varByte>1</assoc><assoc key=\"a\" "
       "type=varByte>2</assoc>"},
      {"repeated key in another case",
       "<numentries val=2 /><assoc key=\"a\" type=varByte>1</assoc><assoc key=\"A\" "
       "type=varByte>2</assoc>"},
      {"unknown kind", "<numentries val=1 /><assoc key=\"a\" type=varVariant>1</assoc>"},
      {"no kind", "<numentries val=1 /><assoc key=\"a\">1</assoc>"},
      {"byte beyond", "<numentries val=1 /><assoc key=\"a\" type=varByte>256</assoc>"},
      {"word below", "<numentries val=1 /><assoc key=\"a\" type=varWord>-1</assoc>"},
      {"integer not a number", "<numentries val=1 /><assoc key=\"a\" type=varInteger>1.5</assoc>"},
      {"empty integer", "<numentries val=1 /><assoc key=\"a\" type=varInt64></assoc>"},
      {"single beyond", "<numentries val=1 /><assoc key=\"a\" type=varSingle>1E+0300</assoc>"},
      {"pair not closed", "<numentries val=1 /><assoc key=\"a\" type=varString>open"},
  };
  TAssocArray a(nullptr);
  a.SetDataID("mine");
  a.Add("keep", int32_t{7});
  for (const auto& c : cases) {
    TStringStream s(std::string("<assocarray sig=\"Nuvkit\" id=\"x\" ignorecase=1>\n") + c.body +
                    "\n</assocarray>\n");
    EXPECT_FALSE(a.ReadFromXMLStream(s, "x")) << c.what;
    EXPECT_EQ(KeysOf(a), (std::vector<std::string>{"keep"})) << c.what;
    EXPECT_EQ(a.DataID(), "mine") << c.what;
  }
  TStringStream none("<other sig=\"Nuvkit\" id=\"x\">\n</other>\n");
  EXPECT_FALSE(a.ReadFromXMLStream(none, ""));
  TStringStream ok(
      "<assocarray sig=\"Nuvkit\" id=\"x\">\n<numentries val=1 />\n"
      "<assoc key=\"A\" type=varString>v</assoc>\n</assocarray>\n");
  ASSERT_TRUE(a.ReadFromXMLStream(ok, ""));
  EXPECT_TRUE(a.IgnoreCase()) << "kept when the block does not say";
  EXPECT_EQ(KeysOf(a), (std::vector<std::string>{"a"})) << "lowered under the case rule";
}

}  // namespace
}  // namespace nuv
