// HTML support beside libcurl (URL escaping; curl_easy_escape takes the
// text in pieces of 4 MB, as it refuses more than 8 MB at once), a plain
// memchr-and-append copy (template conversion) and CountWords (word
// counting). The URL text holds
// only characters on which both escape sets agree (letters, digits,
// "-._~" and the characters URLEncode escapes but "%"), so both sides
// produce the same bytes. The program stops with an error when a pair differs.
#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <string_view>

#include "bench_common.h"
#include "nuv/Nuv_htmlsupport.h"
#include "nuv/Nuv_stringl.h"

namespace {

constexpr std::size_t kMB = 1000 * 1000;

// Words and URL punctuation, about one escaped character in five.
std::string MakeUrlText(std::size_t size) {
  static constexpr std::string_view kWord = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-._~";
  // No "%": the second decoding pass of URLDecode would read the decoded
  // "%" again, which libcurl's single pass does not.
  static constexpr std::string_view kEscaped = "!*();:@&=+$,/?#[] ";
  std::mt19937_64 rng(21);
  std::string s;
  s.reserve(size);
  while (s.size() < size) {
    const std::size_t len = 1 + rng() % 6;
    for (std::size_t i = 0; i < len && s.size() < size; ++i) s += kWord[rng() % kWord.size()];
    if (s.size() < size) s += kEscaped[rng() % kEscaped.size()];
  }
  return s;
}

const std::string& UrlText() {
  static const std::string s = MakeUrlText(100 * kMB);
  return s;
}

const std::string& EncodedText() {
  static const std::string s = nuv::URLEncode(UrlText());
  return s;
}

// HTML of about `size` bytes: paragraphs of words with ordinary tags and
// `tags` special tags spread evenly.
std::string MakeHtml(std::size_t size, std::size_t tags) {
  static constexpr std::string_view kWords[] = {"the ", "measurement ", "value ", "of ", "12.5 ",
                                                "mg/l, ", "<b>", "</b> ", "<a href=\"x.html\">",
                                                "link</a> ", "\xE9t\xE9 ", "<p>\r\n"};
  std::mt19937_64 rng(7);
  std::string s;
  s.reserve(size + 64);
  const std::size_t gap = size / tags;
  std::size_t next = gap / 2, placed = 0;
  while (s.size() < size) {
    if (s.size() >= next && placed < tags) {
      s += placed % 2 ? "<#date fmt=iso>" : "<#user>";
      ++placed;
      next += gap;
    }
    s += kWords[rng() % std::size(kWords)];
  }
  return s;
}

const std::string& Html1() {
  static const std::string s = MakeHtml(kMB, 10'000);
  return s;
}
const std::string& Html10() {
  static const std::string s = MakeHtml(10 * kMB, 100'000);
  return s;
}
const std::string& Html100() {
  static const std::string s = MakeHtml(100 * kMB, 1'000'000);
  return s;
}

// libcurl escapes at most 8 MB per call, so the text goes in pieces.
std::string CurlEscape(const std::string& s) {
  constexpr std::size_t kPiece = 4 * kMB;
  std::string out;
  out.reserve(s.size() + s.size() / 2);
  for (std::size_t at = 0; at < s.size(); at += kPiece) {
    const std::size_t n = std::min(kPiece, s.size() - at);
    char* e = curl_easy_escape(nullptr, s.data() + at, static_cast<int>(n));
    if (e == nullptr) bench::Fail("curl_easy_escape failed", "");
    out += e;
    curl_free(e);
  }
  return out;
}

std::string CurlUnescape(const std::string& s) {
  int len = 0;
  char* d = curl_easy_unescape(nullptr, s.data(), static_cast<int>(s.size()), &len);
  if (d == nullptr) bench::Fail("curl_easy_unescape failed", "");
  std::string out(d, static_cast<std::size_t>(len));
  curl_free(d);
  return out;
}

// The copy every template conversion has to make at least.
std::string MemchrCopy(const std::string& s) {
  std::string out;
  out.reserve(s.size());
  const char* p = s.data();
  const char* const end = p + s.size();
  while (const auto* lt = static_cast<const char*>(std::memchr(p, '<', static_cast<std::size_t>(end - p)))) {
    out.append(p, lt + 1);
    p = lt + 1;
  }
  out.append(p, end);
  return out;
}

// A producer over tmpl with a handler that keeps every tag as it is.
nuv::THtmlProducer& Producer(const std::string& tmpl) {
  static nuv::THtmlProducer producer(nullptr);
  producer.OnHTMLTag = [](nuv::TObject*, const std::string&, const std::string&, std::string&) {};
  if (producer.Template().size() != tmpl.size()) producer.SetTemplate(tmpl);
  return producer;
}

// The same word count through CountWords: each tag cut down to its "<",
// which is a delimiter as the tag is.
std::string TagsCut(const std::string& s) {
  std::string out;
  bool inTag = false;
  for (const char c : s) {
    if (inTag) {
      inTag = c != '>';
    } else {
      out += c;
      inTag = c == '<';
    }
  }
  return out;
}

void CheckSameResults() {
  if (nuv::URLEncode(UrlText()) != CurlEscape(UrlText()))
    bench::Fail("URLEncode differs from curl_easy_escape", "100 MB");
  if (nuv::URLDecode(EncodedText()) != CurlUnescape(EncodedText()))
    bench::Fail("URLDecode differs from curl_easy_unescape", "100 MB");
  for (const std::string* t : {&Html1(), &Html10()})
    if (Producer(*t).Convert() != MemchrCopy(*t))
      bench::Fail("Convert differs from the copy", std::to_string(t->size()));
  bool inTag = false;
  if (nuv::CountWordsHTML(Html100(), false, inTag) != nuv::CountWords(TagsCut(Html100())))
    bench::Fail("CountWordsHTML differs from CountWords without tag bodies", "100 MB");
}

void SetBytes(benchmark::State& state, std::size_t bytes) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}

void URLEncodeNuv(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(nuv::URLEncode(UrlText()));
  SetBytes(state, UrlText().size());
  bench::SetTarget(state, 1.0);
}
void URLEncodeCurl(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(CurlEscape(UrlText()));
  SetBytes(state, UrlText().size());
}
void URLDecodeNuv(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(nuv::URLDecode(EncodedText()));
  SetBytes(state, EncodedText().size());
  bench::SetTarget(state, 1.0);
}
void URLDecodeCurl(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(CurlUnescape(EncodedText()));
  SetBytes(state, EncodedText().size());
}

template <const std::string& (*Text)(), bool Target>
void ConvertNuv(benchmark::State& state) {
  nuv::THtmlProducer& p = Producer(Text());
  for (auto _ : state) benchmark::DoNotOptimize(p.Convert());
  SetBytes(state, Text().size());
  if (Target) bench::SetTarget(state, 5.0);
}
template <const std::string& (*Text)()>
void ConvertMemchr(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(MemchrCopy(Text()));
  SetBytes(state, Text().size());
}
// Ten times the text against one: the ratio shows how the time grows.
void ConvertTenfold(benchmark::State& state) {
  ConvertNuv<Html10, false>(state);
  bench::SetTarget(state, 11.0);
}

void CountWordsHTMLNuv(benchmark::State& state) {
  for (auto _ : state) {
    bool inTag = false;
    benchmark::DoNotOptimize(nuv::CountWordsHTML(Html100(), false, inTag));
  }
  SetBytes(state, Html100().size());
  bench::SetTarget(state, 1.2);
}
void CountWordsPlain(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(nuv::CountWords(Html100()));
  SetBytes(state, Html100().size());
}

BENCHMARK(URLEncodeNuv)->Name("URLEncode 100 MB/nuv")->Unit(benchmark::kMillisecond);
BENCHMARK(URLEncodeCurl)->Name("URLEncode 100 MB/libcurl curl_easy_escape")->Unit(benchmark::kMillisecond);
BENCHMARK(URLDecodeNuv)->Name("URLDecode 100 MB/nuv")->Unit(benchmark::kMillisecond);
BENCHMARK(URLDecodeCurl)->Name("URLDecode 100 MB/libcurl curl_easy_unescape")->Unit(benchmark::kMillisecond);
BENCHMARK(ConvertNuv<Html1, true>)->Name("Convert 1 MB, 10000 tags/nuv")->Unit(benchmark::kMicrosecond);
BENCHMARK(ConvertMemchr<Html1>)->Name("Convert 1 MB, 10000 tags/memchr and append")->Unit(benchmark::kMicrosecond);
BENCHMARK(ConvertNuv<Html10, true>)->Name("Convert 10 MB, 100000 tags/nuv")->Unit(benchmark::kMillisecond);
BENCHMARK(ConvertMemchr<Html10>)->Name("Convert 10 MB, 100000 tags/memchr and append")->Unit(benchmark::kMillisecond);
BENCHMARK(ConvertTenfold)->Name("Convert 10 MB against 1 MB/nuv")->Unit(benchmark::kMillisecond);
BENCHMARK(ConvertNuv<Html1, false>)->Name("Convert 10 MB against 1 MB/Convert of 1 MB")->Unit(benchmark::kMillisecond);
BENCHMARK(CountWordsHTMLNuv)->Name("CountWordsHTML 100 MB/nuv")->Unit(benchmark::kMillisecond);
BENCHMARK(CountWordsPlain)->Name("CountWordsHTML 100 MB/CountWords")->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return bench::Main(argc, argv, CheckSameResults); }
