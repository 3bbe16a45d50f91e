// Text-file helpers of Nuv_filesys: appending, counting lines, reading
// words, searching, and the byte-order-mark probe.
#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <memory>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include "nuv/Nuv_filesys.h"
#include "nuv/platform/CodePage.h"
#include "nuv/platform/FileUtils.h"

namespace nuv {

namespace {

class TReadFd {
 public:
  explicit TReadFd(std::string_view FileName) {
    const std::string osName = OsFileName(FileName);
    errno = ENOENT;
    fd_ = osName.empty() ? -1 : ::open(osName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  }
  ~TReadFd() {
    if (fd_ >= 0) ::close(fd_);
  }
  TReadFd(const TReadFd&) = delete;
  TReadFd& operator=(const TReadFd&) = delete;
  int Get() const { return fd_; }

  // Up to size bytes (fewer only at the end); -1 on error.
  ssize_t Read(char* data, std::size_t size) {
    std::size_t got = 0;
    while (got < size) {
      const ssize_t n = ::read(fd_, data + got, size - got);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return -1;
      if (n == 0) break;
      got += static_cast<std::size_t>(n);
    }
    return static_cast<ssize_t>(got);
  }

 private:
  int fd_ = -1;
};

// Line ends as ReadLn sees them: LF, CR and LF each count, a CR LF pair
// once.
struct TLineEnds {
  int64_t LF = 0, CR = 0, CRLF = 0;
  int64_t Lines() const { return LF + CR - CRLF; }
};

void CountLineEndsScalar(const char* p, std::size_t n, TLineEnds& c) {
  for (std::size_t i = 0; i < n; ++i) {
    c.LF += p[i] == '\n';
    c.CR += p[i] == '\r';
  }
  for (std::size_t i = 0; i + 1 < n; ++i) c.CRLF += p[i] == '\r' && p[i + 1] == '\n';
}

#if defined(__x86_64__)

// Per 16 bytes: compare masks subtracted into byte counters (each -1 adds
// one), summed before they can wrap.
void CountLineEndsSse2(const char* p, std::size_t n, TLineEnds& c) {
  const __m128i lf = _mm_set1_epi8('\n'), cr = _mm_set1_epi8('\r'), zero = _mm_setzero_si128();
  auto sum = [&](__m128i v) {
    const __m128i s = _mm_sad_epu8(v, zero);
    return static_cast<int64_t>(_mm_cvtsi128_si64(s) + _mm_extract_epi16(s, 4));
  };
  std::size_t i = 0;
  // The pair test reads one byte ahead.
  while (i + 17 <= n) {
    __m128i nLF = zero, nCR = zero, nPair = zero;
    for (int k = 0; k < 255 && i + 17 <= n; ++k, i += 16) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
      const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + 1));
      const __m128i isCR = _mm_cmpeq_epi8(v, cr);
      nLF = _mm_sub_epi8(nLF, _mm_cmpeq_epi8(v, lf));
      nCR = _mm_sub_epi8(nCR, isCR);
      nPair = _mm_sub_epi8(nPair, _mm_and_si128(isCR, _mm_cmpeq_epi8(next, lf)));
    }
    c.LF += sum(nLF);
    c.CR += sum(nCR);
    c.CRLF += sum(nPair);
  }
  CountLineEndsScalar(p + i, n - i, c);
}

#endif

// The counts of one buffer, including a pair across the previous one.
void CountLineEnds(const char* p, std::size_t n, char previous, TLineEnds& c) {
  if (n == 0) return;
  if (previous == '\r' && p[0] == '\n') ++c.CRLF;
#if defined(__x86_64__)
  CountLineEndsSse2(p, n, c);
#else
  CountLineEndsScalar(p, n, c);
#endif
}

// Position of needle (lower-cased already when ignoreCase) in line.
std::size_t FindInLine(const std::string& line, const std::string& needle, bool ignoreCase) {
  return ignoreCase ? AnsiLowerCase(line).find(needle) : line.find(needle);
}

// Only a missing file is created: one that cannot be opened must not be
// emptied.
void OpenForAppending(TextFile& f) {
  if (FileExists(f.FileName()))
    f.Append();
  else
    f.Rewrite();
}

}  // namespace

void AppendToTextFile(std::string_view FileName, std::string_view Line) {
  TextFile f(FileName);
  OpenForAppending(f);
  f.WriteLn(Line);
  f.Close();
}

void AppendToTextFile(std::string_view FileName, std::span<const std::string> Lines) {
  TextFile f(FileName);
  OpenForAppending(f);
  for (const std::string& line : Lines) f.WriteLn(line);
  f.Close();
}

int64_t CountLinesInTextFile(std::string_view FileName) {
  TReadFd fd(FileName);
  if (fd.Get() < 0) RaiseInOutErrorFromErrno(errno, FileName);
  ::posix_fadvise(fd.Get(), 0, 0, POSIX_FADV_SEQUENTIAL);
  constexpr std::size_t kBufferSize = std::size_t{1} << 18;
  const auto buffer = std::make_unique<char[]>(kBufferSize);
  TLineEnds ends;
  char last = 0;
  bool any = false;
  for (;;) {
    const ssize_t n = fd.Read(buffer.get(), kBufferSize);
    if (n < 0) RaiseInOutErrorFromErrno(errno, FileName);
    if (n == 0) break;
    CountLineEnds(buffer.get(), static_cast<std::size_t>(n), last, ends);
    last = buffer[static_cast<std::size_t>(n) - 1];
    any = true;
    if (static_cast<std::size_t>(n) < kBufferSize) break;
  }
  // A last line without its end.
  return ends.Lines() + (any && last != '\n' && last != '\r' ? 1 : 0);
}

int64_t CountLinesInTextFile(TextFile& F) {
  F.Reset();
  const int64_t lines = CountLinesInTextFile(F.FileName());
  F.Reset();
  return lines;
}

std::string ReadNextWordInTextFile(TextFile& F) {
  auto isWordChar = [](char c) { return static_cast<unsigned char>(c) >= '!'; };
  std::string word;
  char c = 0;
  while (!F.Eof()) {
    F.Read(c);
    if (isWordChar(c)) {
      word += c;
      break;
    }
  }
  while (!word.empty() && !F.Eof()) {
    F.Read(c);
    if (!isWordChar(c)) break;
    word += c;
  }
  return word;
}

int32_t DetectStringInFile(std::string_view FileName, std::string_view S, bool IgnoreCase,
                           int32_t MaxChars) {
  if (S.empty()) return 0;
  TextFile f(FileName);
  f.Reset();
  const std::string needle = IgnoreCase ? AnsiLowerCase(S) : std::string(S);
  int64_t count = 0;
  std::string line;
  while (count < MaxChars && !f.Eof()) {
    f.ReadLn(line);
    const std::size_t p = FindInLine(line, needle, IgnoreCase);
    if (p != std::string::npos) {
      count += static_cast<int64_t>(p) + 1;
      return count <= MaxChars ? static_cast<int32_t>(count) : 0;
    }
    count += static_cast<int64_t>(line.size());
  }
  return 0;
}

int32_t FindFirstMatchInTextFile(std::string_view FileName, std::string_view S, bool IgnoreCase,
                                 std::string& Line) {
  Line.clear();
  if (S.empty()) return 0;
  TextFile f(FileName);
  f.Reset();
  const std::string needle = IgnoreCase ? AnsiLowerCase(S) : std::string(S);
  std::string line;
  while (!f.Eof()) {
    f.ReadLn(line);
    const std::size_t p = FindInLine(line, needle, IgnoreCase);
    if (p != std::string::npos) {
      Line = line;
      return static_cast<int32_t>(p) + 1;
    }
  }
  return 0;
}

TTextfileType CheckTextFileType(std::string_view FileName) {
  TReadFd fd(FileName);
  std::array<unsigned char, 4> head{};
  const ssize_t n = fd.Get() < 0 ? 0 : fd.Read(reinterpret_cast<char*>(head.data()), head.size());
  auto startsWith = [&](std::initializer_list<unsigned char> sig) {
    return n >= static_cast<ssize_t>(sig.size()) && std::equal(sig.begin(), sig.end(), head.begin());
  };
  if (startsWith({0xEF, 0xBB, 0xBF})) return tftUTF8;
  if (startsWith({0xFF, 0xFE, 0x00, 0x00})) return tftUnicode4_le;
  if (startsWith({0x00, 0x00, 0xFE, 0xFF})) return tftUnicode4_be;
  if (startsWith({0xFF, 0xFE})) return tftUnicode_le;
  if (startsWith({0xFE, 0xFF})) return tftUnicode_be;
  if (startsWith({0x7B, 0x5C, 0x72})) return tftRTF;
  return tftUnknown;
}

}  // namespace nuv
