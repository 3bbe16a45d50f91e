// CRC-16, CRC-32 and SHA-1. CRC-32 and SHA-1 have a portable path and one
// on the processor's carry-less multiply and SHA instructions, chosen at
// run time (for CRC-32 the 512-bit multiply where there is one, else the
// 128-bit one); all give the same results.
#include <cpuid.h>
#include <immintrin.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <memory>
#include <utility>

#include "Nuv_dstruct_internal.h"
#include "nuv/Nuv_dstruct.h"

namespace nuv {

namespace {

// ---------------------------------------------------------------------------
// Tables

constexpr std::array<uint16_t, 256> MakeCRC16Table() {
  std::array<uint16_t, 256> t{};
  for (uint32_t i = 0; i < 256; ++i) {
    uint32_t crc = i << 8;
    for (int bit = 0; bit < 8; ++bit) crc = (crc & 0x8000) ? (crc << 1) ^ 0x1021 : crc << 1;
    t[i] = static_cast<uint16_t>(crc);
  }
  return t;
}
constexpr auto kCRC16Table = MakeCRC16Table();

constexpr uint32_t kCRC32Poly = 0xEDB88320;

// Slice k advances a byte that lies k bytes before the end of an 8-byte
// word, so eight lookups process the whole word.
constexpr std::array<std::array<uint32_t, 256>, 8> MakeCRC32Tables() {
  std::array<std::array<uint32_t, 256>, 8> t{};
  for (uint32_t i = 0; i < 256; ++i) {
    uint32_t crc = i;
    for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) ? (crc >> 1) ^ kCRC32Poly : crc >> 1;
    t[0][i] = crc;
  }
  for (int k = 1; k < 8; ++k)
    for (uint32_t i = 0; i < 256; ++i) t[k][i] = (t[k - 1][i] >> 8) ^ t[0][t[k - 1][i] & 0xFF];
  return t;
}
constexpr auto kCRC32Tables = MakeCRC32Tables();

// ---------------------------------------------------------------------------
// CRC-32 (the register as CalcNextCRC32 keeps it: no inversions)

uint32_t CRC32Portable(uint32_t crc, const uint8_t* p, std::size_t n) {
  const auto& t = kCRC32Tables;
  for (; n >= 8; n -= 8, p += 8) {
    uint32_t lo;
    uint32_t hi;
    std::memcpy(&lo, p, 4);
    std::memcpy(&hi, p + 4, 4);
    lo ^= crc;
    crc = t[7][lo & 0xFF] ^ t[6][(lo >> 8) & 0xFF] ^ t[5][(lo >> 16) & 0xFF] ^ t[4][lo >> 24] ^
          t[3][hi & 0xFF] ^ t[2][(hi >> 8) & 0xFF] ^ t[1][(hi >> 16) & 0xFF] ^ t[0][hi >> 24];
  }
  for (; n > 0; --n, ++p) crc = t[0][(crc ^ *p) & 0xFF] ^ (crc >> 8);
  return crc;
}

// x^N mod P in the bit-reflected form that the folding multiplies with
// (reflected over 32 bits, times x).
constexpr uint64_t FoldConstant(int N) {
  uint64_t r = 1;  // normal form, x^0
  for (int i = 0; i < N; ++i) {
    r <<= 1;
    if (r & (uint64_t{1} << 32)) r ^= 0x104C11DB7;
  }
  uint64_t reflected = 0;
  for (int i = 0; i < 32; ++i)
    if (r & (uint64_t{1} << i)) reflected |= uint64_t{1} << (31 - i);
  return reflected << 1;
}

// Folding 128-bit lanes forward by D bits multiplies the low half by
// x^(D+32) and the high half by x^(D-32) modulo P.
constexpr uint64_t kFold512Lo = FoldConstant(512 + 32);
constexpr uint64_t kFold512Hi = FoldConstant(512 - 32);
constexpr uint64_t kFold128Lo = FoldConstant(128 + 32);
constexpr uint64_t kFold128Hi = FoldConstant(128 - 32);
constexpr uint64_t kFold4096Lo = FoldConstant(4096 + 32);
constexpr uint64_t kFold4096Hi = FoldConstant(4096 - 32);

__attribute__((target("pclmul,sse4.1"))) inline __m128i Fold(__m128i X, __m128i K, __m128i Next) {
  const __m128i lo = _mm_clmulepi64_si128(X, K, 0x00);
  const __m128i hi = _mm_clmulepi64_si128(X, K, 0x11);
  return _mm_xor_si128(_mm_xor_si128(lo, hi), Next);
}

__attribute__((target("pclmul,sse4.1"))) inline __m128i Load(const uint8_t* p) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

__attribute__((target("pclmul,sse4.1"))) inline __m128i FoldPair(uint64_t hi, uint64_t lo) {
  return _mm_set_epi64x(static_cast<int64_t>(hi), static_cast<int64_t>(lo));
}

// Folds X forward by 16 bytes onto Next.
__attribute__((target("pclmul,sse4.1"))) inline __m128i Fold128(__m128i X, __m128i Next) {
  return Fold(X, FoldPair(kFold128Hi, kFold128Lo), Next);
}

// The CRC of the bytes folded into lane x followed by p[0..n).
__attribute__((target("pclmul,sse4.1"))) uint32_t CRC32FromLane(__m128i x, const uint8_t* p,
                                                              std::size_t n) {
  for (; n >= 16; n -= 16, p += 16) x = Fold128(x, Load(p));
  alignas(16) uint8_t lane[16];
  _mm_store_si128(reinterpret_cast<__m128i*>(lane), x);
  return CRC32Portable(CRC32Portable(0, lane, 16), p, n);
}

__attribute__((target("pclmul,sse4.1"))) uint32_t CRC32Clmul(uint32_t crc, const uint8_t* p,
                                                           std::size_t n) {
  if (n < 128) return CRC32Portable(crc, p, n);
  // Four lanes of 16 bytes each fold 64 bytes further per round, then into
  // one lane; the lane's own CRC continues into the remaining bytes.
  const __m128i k512 = FoldPair(kFold512Hi, kFold512Lo);
  __m128i x0 = _mm_xor_si128(Load(p), _mm_cvtsi32_si128(static_cast<int32_t>(crc)));
  __m128i x1 = Load(p + 16);
  __m128i x2 = Load(p + 32);
  __m128i x3 = Load(p + 48);
  p += 64;
  n -= 64;
  for (; n >= 64; n -= 64, p += 64) {
    x0 = Fold(x0, k512, Load(p));
    x1 = Fold(x1, k512, Load(p + 16));
    x2 = Fold(x2, k512, Load(p + 32));
    x3 = Fold(x3, k512, Load(p + 48));
  }
  return CRC32FromLane(Fold128(Fold128(Fold128(x0, x1), x2), x3), p, n);
}

// The same folding on 64-byte vectors of four lanes each.
#define NUV_TARGET_VPCLMUL __attribute__((target("vpclmulqdq,avx512f,pclmul,sse4.1")))

NUV_TARGET_VPCLMUL inline __m512i Fold(__m512i X, __m512i K, __m512i Next) {
  const __m512i lo = _mm512_clmulepi64_epi128(X, K, 0x00);
  const __m512i hi = _mm512_clmulepi64_epi128(X, K, 0x11);
  return _mm512_ternarylogic_epi64(lo, hi, Next, 0x96);  // lo ^ hi ^ Next
}

NUV_TARGET_VPCLMUL inline __m512i Load512(const uint8_t* p) { return _mm512_loadu_si512(p); }

NUV_TARGET_VPCLMUL inline __m512i FoldPair512(uint64_t hi, uint64_t lo) {
  const auto h = static_cast<int64_t>(hi), l = static_cast<int64_t>(lo);
  return _mm512_set_epi64(h, l, h, l, h, l, h, l);
}

// Eight vectors fold 512 bytes further per round: enough independent
// multiplies to cover their latency.
NUV_TARGET_VPCLMUL uint32_t CRC32Vpclmul(uint32_t crc, const uint8_t* p, std::size_t n) {
  constexpr int kVectors = 8;
  constexpr std::size_t kRound = 64 * kVectors;
  if (n < 2 * kRound) return CRC32Clmul(crc, p, n);
  const __m512i kRoundFold = FoldPair512(kFold4096Hi, kFold4096Lo);
  const __m512i k512 = FoldPair512(kFold512Hi, kFold512Lo);
  __m512i x[kVectors];
  for (int i = 0; i < kVectors; ++i) x[i] = Load512(p + 64 * i);
  x[0] = _mm512_xor_si512(x[0], _mm512_set_epi64(0, 0, 0, 0, 0, 0, 0, crc));
  p += kRound;
  n -= kRound;
  for (; n >= kRound; n -= kRound, p += kRound)
    for (int i = 0; i < kVectors; ++i) x[i] = Fold(x[i], kRoundFold, Load512(p + 64 * i));
  __m512i v = x[0];
  for (int i = 1; i < kVectors; ++i) v = Fold(v, k512, x[i]);
  // The four lanes of v are consecutive 16-byte blocks.
  alignas(64) __m128i lanes[4];
  _mm512_store_si512(lanes, v);
  return CRC32FromLane(Fold128(Fold128(Fold128(lanes[0], lanes[1]), lanes[2]), lanes[3]), p, n);
}

#undef NUV_TARGET_VPCLMUL

// ---------------------------------------------------------------------------
// SHA-1 compression of whole 64-byte blocks

constexpr uint32_t kSHA1Init[5] = {0x67452301, 0xEFCDAB89, 0x98BADCFE, 0x10325476, 0xC3D2E1F0};

void SHA1Portable(uint32_t* h, const uint8_t* p, std::size_t blocks) {
  for (; blocks > 0; --blocks, p += 64) {
    uint32_t w[80];
    for (int i = 0; i < 16; ++i) {
      uint32_t v;
      std::memcpy(&v, p + 4 * i, 4);
      w[i] = __builtin_bswap32(v);
    }
    for (int i = 16; i < 80; ++i) w[i] = std::rotl(w[i - 3] ^ w[i - 8] ^ w[i - 14] ^ w[i - 16], 1);
    uint32_t a = h[0], b = h[1], c = h[2], d = h[3], e = h[4];
    const auto rounds = [&](int first, auto f, uint32_t k) {
      for (int i = first; i < first + 20; ++i) {
        const uint32_t t = std::rotl(a, 5) + f(b, c, d) + e + k + w[i];
        e = d;
        d = c;
        c = std::rotl(b, 30);
        b = a;
        a = t;
      }
    };
    const auto parity = [](uint32_t x, uint32_t y, uint32_t z) { return x ^ y ^ z; };
    rounds(0, [](uint32_t x, uint32_t y, uint32_t z) { return z ^ (x & (y ^ z)); }, 0x5A827999);
    rounds(20, parity, 0x6ED9EBA1);
    rounds(40, [](uint32_t x, uint32_t y, uint32_t z) { return (x & y) | (z & (x | y)); }, 0x8F1BBCDC);
    rounds(60, parity, 0xCA62C1D6);
    h[0] += a;
    h[1] += b;
    h[2] += c;
    h[3] += d;
    h[4] += e;
  }
}

// Four rounds of group G (0..19) with round function G / 5. W holds the
// message words of groups G-4..G-1 on entry and of G on exit (slot G % 4);
// Prev is the state before the previous group, which the next-E step needs.
template <int G>
__attribute__((target("sha,sse4.1"))) inline void SHA1Group(__m128i* W, __m128i& Abcd,
                                                            __m128i& Prev, __m128i& E) {
  if constexpr (G >= 4) {
    __m128i& w = W[G % 4];
    w = _mm_sha1msg2_epu32(_mm_xor_si128(_mm_sha1msg1_epu32(w, W[(G + 1) % 4]), W[(G + 2) % 4]),
                           W[(G + 3) % 4]);
  }
  __m128i e;
  if constexpr (G == 0) e = _mm_add_epi32(E, W[0]);
  else e = _mm_sha1nexte_epu32(Prev, W[G % 4]);
  Prev = Abcd;
  Abcd = _mm_sha1rnds4_epu32(Abcd, e, G / 5);
}

template <int... G>
__attribute__((target("sha,sse4.1"))) inline void SHA1Groups(std::integer_sequence<int, G...>,
                                                             __m128i* W, __m128i& Abcd,
                                                             __m128i& Prev, __m128i& E) {
  (SHA1Group<G>(W, Abcd, Prev, E), ...);
}

__attribute__((target("sha,sse4.1"))) void SHA1Hardware(uint32_t* h, const uint8_t* p,
                                                        std::size_t blocks) {
  const __m128i byteSwap = _mm_set_epi64x(0x0001020304050607, 0x08090A0B0C0D0E0F);
  __m128i abcd = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(h)), 0x1B);
  __m128i e = _mm_set_epi32(static_cast<int32_t>(h[4]), 0, 0, 0);
  for (; blocks > 0; --blocks, p += 64) {
    const __m128i abcdSaved = abcd;
    const __m128i eSaved = e;
    __m128i w[4];
    for (int i = 0; i < 4; ++i)
      w[i] = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * i)), byteSwap);
    __m128i prev;
    SHA1Groups(std::make_integer_sequence<int, 20>{}, w, abcd, prev, e);
    e = _mm_sha1nexte_epu32(prev, eSaved);
    abcd = _mm_add_epi32(abcd, abcdSaved);
  }
  _mm_storeu_si128(reinterpret_cast<__m128i*>(h), _mm_shuffle_epi32(abcd, 0x1B));
  h[4] = static_cast<uint32_t>(_mm_extract_epi32(e, 3));
}

// ---------------------------------------------------------------------------
// Dispatch

struct TCpuFeatures {
  bool clmul = false;
  bool vpclmul = false;
  bool sha = false;
};

TCpuFeatures DetectCpu() {
  TCpuFeatures f;
  unsigned a, b, c, d;
  if (!__get_cpuid(1, &a, &b, &c, &d)) return f;
  const bool sse41 = (c & bit_SSE4_1) != 0;
  f.clmul = sse41 && (c & bit_PCLMUL) != 0;
  if (__get_cpuid_count(7, 0, &a, &b, &c, &d)) f.sha = sse41 && (b & bit_SHA) != 0;
  // The compiler's test also asks whether the system saves the 512-bit
  // registers.
  __builtin_cpu_init();
  f.vpclmul = f.clmul && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("vpclmulqdq");
  return f;
}

const TCpuFeatures& Cpu() {
  static const TCpuFeatures features = DetectCpu();
  return features;
}

bool g_portableOnly = false;

bool g_narrowOnly = false;

uint32_t CRC32Update(uint32_t crc, const uint8_t* p, std::size_t n) {
  if (g_portableOnly || !Cpu().clmul) return CRC32Portable(crc, p, n);
  return Cpu().vpclmul && !g_narrowOnly ? CRC32Vpclmul(crc, p, n) : CRC32Clmul(crc, p, n);
}

void SHA1Blocks(uint32_t* h, const uint8_t* p, std::size_t blocks) {
  if (Cpu().sha && !g_portableOnly) SHA1Hardware(h, p, blocks);
  else SHA1Portable(h, p, blocks);
}

// An incremental SHA-1.
class TSHA1 {
 public:
  void Update(const uint8_t* p, std::size_t n) {
    total_ += n;
    if (fill_ > 0) {
      const std::size_t take = std::min(n, 64 - fill_);
      std::memcpy(buf_ + fill_, p, take);
      fill_ += take;
      p += take;
      n -= take;
      if (fill_ < 64) return;
      SHA1Blocks(h_, buf_, 1);
      fill_ = 0;
    }
    SHA1Blocks(h_, p, n / 64);
    fill_ = n % 64;
    if (fill_ > 0) std::memcpy(buf_, p + n - fill_, fill_);
  }

  TSHA1Digest Final() {
    const uint64_t bits = total_ * 8;
    uint8_t pad[72] = {0x80};
    const std::size_t padLen = (fill_ < 56 ? 56 : 120) - fill_;
    for (int i = 0; i < 8; ++i) pad[padLen + static_cast<std::size_t>(i)] = static_cast<uint8_t>(bits >> (56 - 8 * i));
    Update(pad, padLen + 8);
    TSHA1Digest digest;
    for (int i = 0; i < 5; ++i) {
      const uint32_t v = __builtin_bswap32(h_[i]);
      std::memcpy(&digest[static_cast<std::size_t>(4 * i)], &v, 4);
    }
    return digest;
  }

 private:
  uint32_t h_[5] = {kSHA1Init[0], kSHA1Init[1], kSHA1Init[2], kSHA1Init[3], kSHA1Init[4]};
  uint64_t total_ = 0;
  uint8_t buf_[64] = {};
  std::size_t fill_ = 0;
};

constexpr std::size_t kFileBlock = 64 * 1024;

// Feeds Consume with the stream's bytes from its position to its end.
template <class F>
void ReadInBlocks(TStream& Stream, F Consume) {
  const auto block = std::make_unique<uint8_t[]>(kFileBlock);
  for (;;) {
    const int64_t n = Stream.Read(block.get(), kFileBlock);
    if (n <= 0) break;
    Consume(block.get(), static_cast<std::size_t>(n));
  }
}

}  // namespace

namespace detail {

bool HardwareCRC32Available() { return Cpu().clmul; }
bool HardwareSHA1Available() { return Cpu().sha; }
void ForcePortableChecksums(bool On) { g_portableOnly = On; }
bool WideCRC32Available() { return Cpu().vpclmul; }
void ForceNarrowCRC32(bool On) { g_narrowOnly = On; }

}  // namespace detail

// ---------------------------------------------------------------------------
// Public functions

uint16_t CalcNextCRC16(uint8_t B, uint16_t CRC) {
  return static_cast<uint16_t>(kCRC16Table[((CRC >> 8) ^ B) & 0xFF] ^ (CRC << 8));
}

uint16_t CRC16ofBuffer(std::span<const uint8_t> Buf, int32_t Count, TCRC16Mode Mode) {
  uint16_t crc = Mode == crcCCITT ? 0xFFFF : 0;
  const std::size_t n = Count > 0 ? std::min(Buf.size(), static_cast<std::size_t>(Count)) : 0;
  for (std::size_t i = 0; i < n; ++i) crc = CalcNextCRC16(Buf[i], crc);
  return crc;
}

uint32_t CalcNextCRC32(uint8_t B, uint32_t CRC) { return kCRC32Tables[0][(CRC ^ B) & 0xFF] ^ (CRC >> 8); }

uint32_t CRC32ofBuffer(const void* Buf, int64_t Count) {
  if (Count <= 0) return 0;
  return ~CRC32Update(0xFFFFFFFF, static_cast<const uint8_t*>(Buf), static_cast<std::size_t>(Count));
}

uint32_t CalcCRC32ofFile(std::string_view FileName) {
  try {
    TFileStream file(FileName, fmOpenRead | fmShareDenyWrite);
    uint32_t crc = 0xFFFFFFFF;
    ReadInBlocks(file, [&](const uint8_t* p, std::size_t n) { crc = CRC32Update(crc, p, n); });
    return ~crc;
  } catch (const Exception&) {
    return 0;
  }
}

TSHA1Digest SHA1FromString(std::string_view S) {
  TSHA1 sha;
  sha.Update(reinterpret_cast<const uint8_t*>(S.data()), S.size());
  return sha.Final();
}

TSHA1Digest SHA1FromStream(TStream& Stream) {
  TSHA1 sha;
  ReadInBlocks(Stream, [&](const uint8_t* p, std::size_t n) { sha.Update(p, n); });
  return sha.Final();
}

TSHA1Digest SHA1FromFile(std::string_view FileName) {
  TFileStream file(FileName, fmOpenRead | fmShareDenyWrite);
  return SHA1FromStream(file);
}

std::string SHA1DigestToHex(const TSHA1Digest& Digest) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string hex;
  hex.reserve(40);
  for (const uint8_t b : Digest) {
    hex += kHex[b >> 4];
    hex += kHex[b & 0xF];
  }
  return hex;
}

}  // namespace nuv
