// Peak memory of large objects against their raw data: 8 bytes a double,
// plus one byte a cell where the object keeps a state per cell.
//
// Each object is built in a child process of its own, so that neither
// memory the program freed earlier nor the pages of another object hide
// part of its need. The child first builds and drops a small object (the
// code it runs is then paged in), records its peak resident size, builds
// and fills the large object and records the peak again; the difference is
// "peak_bytes". "heap_bytes" is the largest amount of heap the object held
// at any one time, counted by this program's operator new.
#include <malloc.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>
#include <new>

#include "bench_common.h"
#include "nuv/Nuv_datatable.h"
#include "nuv/Nuv_matrix.h"

// ---------------------------------------------------------------------------
// Heap accounting: the usable size of every block, counted when it is
// allocated and when it is freed.

namespace {

std::atomic<int64_t> g_heapNow{0}, g_heapPeak{0};

void* Counted(void* p) {
  if (p == nullptr) throw std::bad_alloc();
  const int64_t now = g_heapNow += static_cast<int64_t>(malloc_usable_size(p));
  int64_t peak = g_heapPeak.load();
  while (now > peak && !g_heapPeak.compare_exchange_weak(peak, now)) {
  }
  return p;
}

void Uncounted(void* p) noexcept {
  if (p == nullptr) return;
  g_heapNow -= static_cast<int64_t>(malloc_usable_size(p));
  std::free(p);
}

void* AlignedBlock(std::size_t n, std::align_val_t a) {
  const auto align = static_cast<std::size_t>(a);
  return std::aligned_alloc(align, (n + align - 1) / align * align);
}

}  // namespace

void* operator new(std::size_t n) { return Counted(std::malloc(n)); }
void* operator new[](std::size_t n) { return Counted(std::malloc(n)); }
void* operator new(std::size_t n, std::align_val_t a) { return Counted(AlignedBlock(n, a)); }
void* operator new[](std::size_t n, std::align_val_t a) { return Counted(AlignedBlock(n, a)); }
void operator delete(void* p) noexcept { Uncounted(p); }
void operator delete[](void* p) noexcept { Uncounted(p); }
void operator delete(void* p, std::size_t) noexcept { Uncounted(p); }
void operator delete[](void* p, std::size_t) noexcept { Uncounted(p); }
void operator delete(void* p, std::align_val_t) noexcept { Uncounted(p); }
void operator delete[](void* p, std::align_val_t) noexcept { Uncounted(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { Uncounted(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { Uncounted(p); }

namespace {

constexpr double kTarget = 1.05;

int64_t PeakResidentBytes() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return int64_t{u.ru_maxrss} * 1024;
}

struct TMeasured {
  int64_t PeakBytes = 0;
  int64_t HeapBytes = 0;
};

// build(small) creates, fills and returns an object (in a holder that frees
// it when destroyed); the object lives until the measurement ends.
TMeasured MeasureInChild(const std::function<std::shared_ptr<void>(bool small)>& build) {
  int fds[2];
  if (pipe(fds) != 0) bench::Fail("memory measurement", "no pipe");
  const pid_t child = fork();
  if (child < 0) bench::Fail("memory measurement", "no child process");
  if (child == 0) {
    close(fds[0]);
    build(true).reset();
    TMeasured m;
    const int64_t heapBefore = g_heapNow.load();
    g_heapPeak = heapBefore;
    const int64_t before = PeakResidentBytes();
    {
      const auto object = build(false);
      m.PeakBytes = PeakResidentBytes() - before;
      m.HeapBytes = g_heapPeak.load() - heapBefore;
    }
    const bool sent = write(fds[1], &m, sizeof m) == static_cast<ssize_t>(sizeof m);
    _exit(sent ? 0 : 1);
  }
  close(fds[1]);
  TMeasured m;
  const bool received = read(fds[0], &m, sizeof m) == static_cast<ssize_t>(sizeof m);
  close(fds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  if (!received || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
    bench::Fail("memory measurement", "the child process failed");
  return m;
}

void Report(benchmark::State& state, const TMeasured& m, int64_t rawBytes) {
  state.counters["peak_bytes"] = static_cast<double>(m.PeakBytes);
  state.counters["heap_bytes"] = static_cast<double>(m.HeapBytes);
  state.counters["raw_bytes"] = static_cast<double>(rawBytes);
  bench::SetTarget(state, kTarget);
}

nuv::TMatrix& ValuesOf(nuv::TMatrix& m) { return m; }
nuv::TMatrix& ValuesOf(nuv::TDataTable& t) { return t.DataMatrix(); }

// A T of cols × rows, every cell holding a distinct number.
template <class T>
std::shared_ptr<void> Filled(int32_t cols, int32_t rows) {
  auto t = std::make_shared<T>(nullptr);
  t->Resize(cols, rows);
  nuv::TMatrix& values = ValuesOf(*t);
  for (int32_t c = 1; c <= cols; ++c) {
    double* col = values.Column(c);
    for (int32_t r = 0; r < rows; ++r) col[r] = c + r * 1e-6;
  }
  values.Changed();
  return t;
}

// rows × cols cells of bytesPerCell raw data each.
template <class T>
void MemoryOf(benchmark::State& state, int32_t rows, int32_t cols, int64_t bytesPerCell) {
  TMeasured m;
  for (auto _ : state)
    m = MeasureInChild([&](bool small) { return small ? Filled<T>(2, 2) : Filled<T>(cols, rows); });
  Report(state, m, int64_t{cols} * rows * bytesPerCell);
}

// The matrix has no state of its own; a table cell has its state byte.
void MatrixMemory(benchmark::State& state) { MemoryOf<nuv::TMatrix>(state, 10000, 1000, 8); }
void DataTableMemory(benchmark::State& state) { MemoryOf<nuv::TDataTable>(state, 100000, 50, 9); }

BENCHMARK(MatrixMemory)
    ->Name("TMatrix 10,000 x 1,000/nuv")
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(DataTableMemory)
    ->Name("TDataTable 100,000 x 50/nuv")
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

void NoCheck() {}

}  // namespace

int main(int argc, char** argv) { return bench::Main(argc, argv, NoCheck); }
