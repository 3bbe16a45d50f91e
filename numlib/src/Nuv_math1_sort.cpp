// Comb sort and sorted insertion of plain arrays (Nuv_math1).
#include <algorithm>
#include <cstring>
#include <type_traits>

#include "Nuv_math1_parts.h"
#include "nuv/Nuv_math1.h"

namespace nuv {

namespace {

// One comb pass over the pairs (i, i + gap); returns whether it exchanged
// anything. Written without a branch on the comparison, which random data
// would mispredict half of the time. While the gap is at least a vector's
// width, a vector of pairs is independent of the pairs it holds, so taking
// them a vector at a time exchanges exactly what the plain loop does;
// min/max-style selects keep NaN and signed zeros where the loop keeps
// them.
template <std::size_t Bytes, bool Ascending, class T>
[[gnu::always_inline]] inline bool CombPassBody(T* a, std::size_t n, std::size_t gap) {
  typedef T V __attribute__((vector_size(Bytes)));
  using TMask = decltype(V{} > V{});
  constexpr std::size_t kLanes = Bytes / sizeof(T);
  T* b = a + gap;
  const std::size_t pairs = n - gap;
  std::size_t i = 0;
  TMask anyOut{};
  if (gap >= kLanes) {
    for (; i + kLanes <= pairs; i += kLanes) {
      V x, y;
      std::memcpy(&x, a + i, Bytes);
      std::memcpy(&y, b + i, Bytes);
      const TMask out = Ascending ? x > y : x < y;
      const V lo = out ? y : x, hi = out ? x : y;
      std::memcpy(a + i, &lo, Bytes);
      std::memcpy(b + i, &hi, Bytes);
      anyOut |= out;
    }
  }
  bool exchanged = false;
  for (std::size_t k = 0; k < kLanes; ++k) exchanged |= anyOut[k] != 0;
  for (; i < pairs; ++i) {
    const T x = a[i], y = b[i];
    const bool out = Ascending ? x > y : x < y;
    a[i] = out ? y : x;
    b[i] = out ? x : y;
    exchanged |= out;
  }
  return exchanged;
}

template <bool Ascending, class T>
bool CombPassSse2(T* a, std::size_t n, std::size_t gap) {
  return CombPassBody<16, Ascending>(a, n, gap);
}

template <bool Ascending, class T>
__attribute__((target("avx2"))) bool CombPassAvx2(T* a, std::size_t n, std::size_t gap) {
  return CombPassBody<32, Ascending>(a, n, gap);
}

bool HasAvx2() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2");
}

bool g_portableSort = false;

template <bool Ascending, class T>
bool CombPass(T* a, std::size_t n, std::size_t gap) {
  static const bool avx2 = HasAvx2();
  return avx2 && !g_portableSort ? CombPassAvx2<Ascending>(a, n, gap)
                                 : CombPassSse2<Ascending>(a, n, gap);
}

template <class T>
void CombSort(T* a, std::size_t n, bool ascending) {
  if (a == nullptr || n < 2) return;
  std::size_t gap = n;
  for (;;) {
    gap = std::max<std::size_t>(1, static_cast<std::size_t>(static_cast<double>(gap) / 1.3));
    const bool exchanged = ascending ? CombPass<true>(a, n, gap) : CombPass<false>(a, n, gap);
    IncProcStat();
    if (gap == 1 && !exchanged) return;
  }
}

template <class T>
bool InOrderAt(T element, T value, bool ascending) {
  return ascending ? element >= value : element <= value;
}

// 0-based position where value went, or -1.
template <class T>
int32_t SortInto(T* a, std::size_t n, T value, bool ascending, bool dupsAllowed) {
  if (a == nullptr || n == 0) return -1;
  std::size_t stop = 0;
  while (stop < n - 1 && !InOrderAt(a[stop], value, ascending)) ++stop;
  if (!InOrderAt(a[stop], value, ascending) || (!dupsAllowed && a[stop] == value)) return -1;
  std::move_backward(a + stop, a + n - 1, a + n);
  a[stop] = value;
  return static_cast<int32_t>(stop);
}

template <class T>
void InsertAt(T* a, std::size_t n, T value, int64_t position) {
  if (a == nullptr || position < 0 || static_cast<uint64_t>(position) >= n) return;
  const auto p = static_cast<std::size_t>(position);
  std::move_backward(a + p, a + n - 1, a + n);
  a[p] = value;
}

// Calls f with the array as a typed pointer for the numeric kinds; the
// other kinds are left alone.
template <class F>
void WithKind(void* data, TVarKind kind, F&& f) {
  switch (kind) {
    case rnum:
    case dnum:
      f(static_cast<double*>(data));
      break;
    case snum:
      f(static_cast<float*>(data));
      break;
    case inum:
    case lnum:
      f(static_cast<int32_t*>(data));
      break;
    default:
      break;
  }
}

template <class T>
T ElementAt(const void* p) {
  return *static_cast<const T*>(p);
}

std::size_t Count(int32_t n) { return n > 0 ? static_cast<std::size_t>(n) : 0; }

}  // namespace

void math1::UsePortableSort(bool portable) { g_portableSort = portable; }

void SortArray(std::span<double> Data, bool Ascending) {
  CombSort(Data.data(), Data.size(), Ascending);
}
void SortArray(std::span<int32_t> Data, bool Ascending) {
  CombSort(Data.data(), Data.size(), Ascending);
}
void SortArray(std::span<float> Data, bool Ascending) {
  CombSort(Data.data(), Data.size(), Ascending);
}

void SortArray(void* Data, int32_t NrElems, TVarKind Kind, bool Ascending) {
  WithKind(Data, Kind, [&](auto* a) { CombSort(a, Count(NrElems), Ascending); });
}

int32_t SortIntoArray(std::span<double> Data, double Value, bool Ascending, bool DupsAllowed) {
  return SortInto(Data.data(), Data.size(), Value, Ascending, DupsAllowed);
}
int32_t SortIntoArray(std::span<float> Data, float Value, bool Ascending, bool DupsAllowed) {
  return SortInto(Data.data(), Data.size(), Value, Ascending, DupsAllowed);
}
int32_t SortIntoArray(std::span<int32_t> Data, int32_t Value, bool Ascending, bool DupsAllowed) {
  return SortInto(Data.data(), Data.size(), Value, Ascending, DupsAllowed);
}

int32_t SortIntoArray(void* Data, int32_t NrElems, TVarKind Kind, const void* Value, bool Ascending,
                      bool DupsAllowed) {
  if (Value == nullptr) return 0;
  int32_t position = -1;
  WithKind(Data, Kind, [&](auto* a) {
    using T = std::remove_pointer_t<decltype(a)>;
    position = SortInto(a, Count(NrElems), ElementAt<T>(Value), Ascending, DupsAllowed);
  });
  return position + 1;
}

void InsertIntoArray(std::span<double> Data, double Value, int32_t Position) {
  InsertAt(Data.data(), Data.size(), Value, Position);
}
void InsertIntoArray(std::span<float> Data, float Value, int32_t Position) {
  InsertAt(Data.data(), Data.size(), Value, Position);
}
void InsertIntoArray(std::span<int32_t> Data, int32_t Value, int32_t Position) {
  InsertAt(Data.data(), Data.size(), Value, Position);
}

void InsertIntoArray(void* Data, int32_t NrElems, TVarKind Kind, const void* Value,
                     int32_t Position) {
  if (Value == nullptr) return;
  WithKind(Data, Kind, [&](auto* a) {
    using T = std::remove_pointer_t<decltype(a)>;
    InsertAt(a, Count(NrElems), ElementAt<T>(Value), int64_t{Position} - 1);
  });
}

}  // namespace nuv
