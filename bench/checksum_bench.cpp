// Checksums beside zlib and ISA-L (CRC-32) and OpenSSL (SHA-1) over the
// same 1 MiB of random bytes. The "portable" rows force the table-driven CRC and the
// plain SHA-1 rounds, which processors without the carry-less multiply and
// SHA instructions run. The program stops with an error when a result
// differs from the peer's.
#include <benchmark/benchmark.h>
#include <isa-l/crc.h>
#include <openssl/evp.h>
#include <zlib.h>

#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "Nuv_dstruct_internal.h"
#include "bench_common.h"
#include "nuv/Nuv_dstruct.h"

namespace {

constexpr std::size_t kBytes = 1 << 20;
constexpr const char* kIsal = "ISA-L crc32_gzip_refl";

const std::vector<unsigned char>& Data() {
  static const std::vector<unsigned char> data = [] {
    std::vector<unsigned char> d(kBytes);
    std::mt19937_64 rng(11);
    for (auto& b : d) b = static_cast<unsigned char>(rng());
    return d;
  }();
  return data;
}

std::string_view DataText() {
  return {reinterpret_cast<const char*>(Data().data()), Data().size()};
}

uint32_t ZlibCRC() {
  return static_cast<uint32_t>(crc32(0, Data().data(), static_cast<uInt>(kBytes)));
}

// The reflected CRC-32 of gzip and zlib, started from 0 as zlib's is.
uint32_t IsalCRC() { return crc32_gzip_refl(0, Data().data(), kBytes); }

nuv::TSHA1Digest OpenSSLSHA1() {
  // Fetched once, as a program hashing many buffers would.
  static EVP_MD* const md = EVP_MD_fetch(nullptr, "SHA1", nullptr);
  nuv::TSHA1Digest d;
  unsigned int len = 0;
  if (md == nullptr || EVP_Digest(Data().data(), kBytes, d.data(), &len, md, nullptr) != 1)
    bench::Fail("OpenSSL SHA-1 failed", "");
  return d;
}

// Both paths of both checksums against the peers, before anything is timed.
void CheckSameResults() {
  for (const bool portable : {false, true}) {
    nuv::detail::ForcePortableChecksums(portable);
    if (nuv::CRC32ofBuffer(Data().data(), kBytes) != ZlibCRC())
      bench::Fail("CRC32ofBuffer differs from zlib", portable ? "portable" : "dispatched");
    if (nuv::CRC32ofBuffer(Data().data(), kBytes) != IsalCRC())
      bench::Fail("CRC32ofBuffer differs from ISA-L", portable ? "portable" : "dispatched");
    if (nuv::SHA1FromString(DataText()) != OpenSSLSHA1())
      bench::Fail("SHA1FromString differs from OpenSSL", portable ? "portable" : "dispatched");
  }
  nuv::detail::ForcePortableChecksums(false);
}

void SetBytes(benchmark::State& state) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kBytes));
}

template <bool Portable>
void CRC32Nuv(benchmark::State& state) {
  nuv::detail::ForcePortableChecksums(Portable);
  for (auto _ : state) benchmark::DoNotOptimize(nuv::CRC32ofBuffer(Data().data(), kBytes));
  nuv::detail::ForcePortableChecksums(false);
  SetBytes(state);
  if (Portable) return;
  bench::SetTarget(state, 1.0);
  bench::SetTarget(state, 1.0, kIsal);
}

void CRC32Zlib(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(ZlibCRC());
  SetBytes(state);
}

void CRC32Isal(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(IsalCRC());
  SetBytes(state);
}

template <bool Portable>
void SHA1Nuv(benchmark::State& state) {
  nuv::detail::ForcePortableChecksums(Portable);
  for (auto _ : state) benchmark::DoNotOptimize(nuv::SHA1FromString(DataText()));
  nuv::detail::ForcePortableChecksums(false);
  SetBytes(state);
  if (!Portable) bench::SetTarget(state, 1.25);
}

void SHA1OpenSSL(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(OpenSSLSHA1());
  SetBytes(state);
}

BENCHMARK(CRC32Nuv<false>)->Name("CRC32ofBuffer 1 MiB/nuv")->Unit(benchmark::kMicrosecond);
BENCHMARK(CRC32Nuv<true>)->Name("CRC32ofBuffer 1 MiB/nuv portable")->Unit(benchmark::kMicrosecond);
BENCHMARK(CRC32Zlib)->Name("CRC32ofBuffer 1 MiB/zlib crc32")->Unit(benchmark::kMicrosecond);
BENCHMARK(CRC32Isal)
    ->Name(std::string("CRC32ofBuffer 1 MiB/") + kIsal)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(SHA1Nuv<false>)->Name("SHA1FromString 1 MiB/nuv")->Unit(benchmark::kMicrosecond);
BENCHMARK(SHA1Nuv<true>)->Name("SHA1FromString 1 MiB/nuv portable")->Unit(benchmark::kMicrosecond);
BENCHMARK(SHA1OpenSSL)->Name("SHA1FromString 1 MiB/OpenSSL SHA1")->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) { return bench::Main(argc, argv, CheckSameResults); }
