#include <gtest/gtest.h>

#include <cmath>
#include <deque>
#include <set>
#include <vector>

#include "nuv/Nuv_dstruct.h"
#include "nuv/platform/Random.h"

namespace nuv {
namespace {

std::string Bytes(std::span<const uint8_t> b) {
  std::string s;
  for (const uint8_t v : b) s += std::to_string(v) + ",";
  return s;
}

// ---------------------------------------------------------------------------
// TByteMatrix

TEST(ByteMatrix, ResizeKeepsOverlapAndRejectsSameOrBadDimensions) {
  TByteMatrix m(nullptr);
  ASSERT_TRUE(m.Resize(3, 2));
  for (int c = 1; c <= 3; ++c)
    for (int r = 1; r <= 2; ++r) m.SetByte(c, r, static_cast<uint8_t>(10 * c + r));
  ASSERT_TRUE(m.Resize(2, 4));
  const struct {
    int col, row, want;
  } cells[] = {{1, 1, 11}, {1, 2, 12}, {2, 1, 21}, {2, 2, 22}, {1, 3, 0}, {2, 4, 0}, {3, 1, 0}};
  for (const auto& c : cells) EXPECT_EQ(m.GetByte(c.col, c.row), c.want) << c.col << "," << c.row;
  EXPECT_FALSE(m.Resize(2, 4)) << "unchanged";
  EXPECT_FALSE(m.Resize(0, 4));
  EXPECT_FALSE(m.Resize(2, -1));
  EXPECT_EQ(m.NrOfColumns(), 2);
  EXPECT_EQ(m.NrOfRows(), 4);
}

TEST(ByteMatrix, TooLargeRaisesComponentMessage) {
  TByteMatrix m(nullptr);
  m.SetName("M");
  try {
    m.Resize(100000, 100000);
    FAIL() << "no exception";
  } catch (const ENUVDStructError& e) {
    EXPECT_EQ(e.Message(), "Component \"M\": not enough memory on heap");
  }
  EXPECT_EQ(m.NrOfColumns(), 1) << "failed resize keeps the matrix";
}

TEST(ByteMatrix, BitsAndInvalidIndicesWithChangeEvents) {
  TByteMatrix m(nullptr);
  m.Resize(2, 2);
  int changes = 0;
  m.OnChange = [&](TObject*) { ++changes; };
  m.SetBit(2, 1, 7, true);
  m.SetBit(2, 1, 0, true);
  m.ToggleBit(2, 1, 0);
  m.ToggleBit(2, 1, 3);
  EXPECT_EQ(m.GetByte(2, 1), 0x88);
  EXPECT_TRUE(m.GetBit(2, 1, 7));
  EXPECT_FALSE(m.GetBit(2, 1, 0));
  EXPECT_EQ(changes, 4);
  // Invalid indices: ignored, no event, read as 0.
  m.SetByte(0, 1, 5);
  m.SetByte(3, 1, 5);
  m.SetByte(1, 3, 5);
  m.SetBit(1, 1, 8, true);
  m.SetBit(1, 1, -1, true);
  m.ToggleBit(1, 1, 8);
  EXPECT_EQ(changes, 4);
  EXPECT_EQ(m.GetByte(3, 1), 0);
  EXPECT_FALSE(m.GetBit(2, 1, 8));
  EXPECT_EQ(m.GetByte(1, 1), 0);
}

TEST(ByteMatrix, CombineWithEveryOperation) {
  const struct {
    TLogicOp op;
    uint8_t want;
  } cases[] = {{loAND, 0x08}, {loOR, 0x0E}, {loXOR, 0x06}, {loANDNot, 0x04}, {loORNot, 0xFD}, {loXORNot, 0xF9}};
  for (const auto& c : cases) {
    TByteMatrix a(nullptr), b(nullptr);
    a.Resize(2, 3);
    b.Resize(2, 3);
    a.Fill(0x0C);
    b.Fill(0x0A);
    a.CombineWith(b, c.op);
    EXPECT_EQ(a.GetByte(2, 3), c.want) << "op=" << int(c.op);
    EXPECT_EQ(a.GetByte(1, 1), c.want) << "op=" << int(c.op);
  }
  TByteMatrix a(nullptr), b(nullptr);
  a.Resize(2, 3);
  b.Resize(3, 2);
  a.Fill(1);
  a.CombineWith(b, loAND);
  EXPECT_EQ(a.GetByte(1, 1), 1) << "different dimensions leave the target";
}

// ---------------------------------------------------------------------------
// TBitFld

TEST(BitFld, SizePlusOneUsableBits) {
  TBitFld f(nullptr);
  EXPECT_EQ(f.Size(), 1000);
  f.SetSize(8);
  f.SetBit(0, true);
  f.SetBit(8, true);
  f.SetBit(9, true);
  f.SetBit(-1, true);
  EXPECT_EQ(f.CountTrueBits(), 2);
  EXPECT_TRUE(f.GetBit(8));
  EXPECT_FALSE(f.GetBit(9));
  EXPECT_FALSE(f.GetBit(-1));
  TIntArray list;
  f.MakeListOfBits(list, true);
  EXPECT_EQ(list, (TIntArray{0, 8}));
  f.MakeListOfBits(list, false);
  EXPECT_EQ(list, (TIntArray{1, 2, 3, 4, 5, 6, 7})) << "no padding bits listed";
  f.ToggleBit(8);
  EXPECT_EQ(f.FirstTrueBit(), 0);
  f.SetBit(0, false);
  EXPECT_EQ(f.FirstTrueBit(), -1);
}

TEST(BitFld, InvertAndNotOperationsLeavePaddingClear) {
  for (int32_t size = 0; size <= 17; ++size) {
    TBitFld f(nullptr), other(nullptr);
    f.SetSize(size);
    other.SetSize(size);
    f.Invert();
    EXPECT_EQ(f.CountTrueBits(), size + 1) << "size=" << size;
    f.Clear();
    f.CombineWith(other, loORNot);
    EXPECT_EQ(f.CountTrueBits(), size + 1) << "size=" << size;
    f.SetSize(size + 8);
    EXPECT_EQ(f.CountTrueBits(), size + 1) << "growing shows no stale bits, size=" << size;
    EXPECT_EQ(f.FirstTrueBit(), 0);
  }
}

TEST(BitFld, CombineCloneAndResize) {
  TBitFld a(nullptr), b(nullptr);
  a.SetSize(20);
  b.SetSize(20);
  a.SetBit(3, true);
  a.SetBit(5, true);
  b.SetBit(5, true);
  a.CombineWith(b, loANDNot);
  TIntArray list;
  a.MakeListOfBits(list, true);
  EXPECT_EQ(list, (TIntArray{3}));
  b.SetSize(21);
  a.CombineWith(b, loOR);
  a.MakeListOfBits(list, true);
  EXPECT_EQ(list, (TIntArray{3})) << "sizes differ: unchanged";
  b.SetBit(21, true);
  a.Clone(b);
  EXPECT_EQ(a.Size(), 21);
  a.MakeListOfBits(list, true);
  EXPECT_EQ(list, (TIntArray{5, 21}));
  a.SetSize(4);
  a.SetSize(30);
  a.MakeListOfBits(list, true);
  EXPECT_EQ(list, (TIntArray{})) << "bits cut off by shrinking stay cleared";
  a.SetSize(-1);
  EXPECT_EQ(a.Size(), 30);
}

TEST(BitFld, RandomFillSetsExactCounts) {
  const struct {
    int32_t size, count, want;
  } counts[] = {{100, 0, 0}, {100, 30, 30}, {100, 51, 51}, {100, 100, 100}, {100, 150, 100}, {100, -5, 0}, {0, 1, 0}, {7, 7, 7}};
  TBitFld f(nullptr);
  for (const auto& c : counts) {
    f.SetSize(c.size);
    f.RandomFill(c.count);
    EXPECT_EQ(f.CountTrueBits(), c.want) << "size=" << c.size << " count=" << c.count;
  }
  const struct {
    double percent;
    int32_t want;
  } percents[] = {{50.0, 500}, {0.0, 0}, {100.0, 1000}, {250.0, 1000}, {-3.0, 0}, {NAN, 0}, {12.34, 123}};
  f.SetSize(1000);
  for (const auto& c : percents) {
    f.RandomFill(c.percent);
    EXPECT_EQ(f.CountTrueBits(), c.want) << "percent=" << c.percent;
  }
  // Every usable bit can be drawn, the last one included.
  f.SetSize(1);
  std::set<int32_t> drawn;
  for (int i = 0; i < 200; ++i) {
    f.RandomFill(int32_t{1});
    drawn.insert(f.FirstTrueBit());
  }
  EXPECT_EQ(drawn, (std::set<int32_t>{0, 1}));
}

// ---------------------------------------------------------------------------
// TFifo

TEST(Fifo, HoldsSizeMinusOneAndForceDropsOldest) {
  TFifo q(nullptr);
  EXPECT_EQ(q.Size(), 256);
  q.SetSize(4);
  EXPECT_FALSE(q.ForceByte(1)) << "not full: nothing dropped";
  EXPECT_TRUE(q.PutByte(2));
  EXPECT_TRUE(q.PutByte(3));
  EXPECT_FALSE(q.PutByte(4));
  EXPECT_TRUE(q.ForceByte(4));
  EXPECT_EQ(q.CountBytes(), 3);
  uint8_t b = 0;
  std::vector<uint8_t> got;
  while (q.GetByte(b)) got.push_back(b);
  EXPECT_EQ(got, (std::vector<uint8_t>{2, 3, 4}));
  EXPECT_FALSE(q.GetByte(b)) << "underflow";
  EXPECT_FALSE(q.SenseByte(0, b));
}

TEST(Fifo, LoadBackOnFullFifoKeepsItFull) {
  TFifo q(nullptr);
  q.SetSize(4);
  uint8_t b = 0;
  q.PutByte(7);
  q.GetByte(b);
  EXPECT_TRUE(q.LoadBack(b));
  EXPECT_TRUE(q.PutByte(8));
  EXPECT_TRUE(q.PutByte(9));
  EXPECT_FALSE(q.LoadBack(6)) << "full";
  EXPECT_EQ(q.CountBytes(), 3);
  std::vector<uint8_t> got;
  while (q.GetByte(b)) got.push_back(b);
  EXPECT_EQ(got, (std::vector<uint8_t>{7, 8, 9}));
}

// Random operations against a plain queue of the same capacity.
TEST(Fifo, AgreesWithQueueModelAcrossWrapAndResize) {
  TFifo q(nullptr);
  q.SetSize(5);
  std::deque<uint8_t> model;
  std::size_t capacity = 4;
  RandSeed = 12345;
  for (int step = 0; step < 5000; ++step) {
    const int op = Random(7);
    const auto v = static_cast<uint8_t>(step);
    uint8_t b = 0;
    if (op == 0) {
      EXPECT_EQ(q.PutByte(v), model.size() < capacity) << "step=" << step;
      if (model.size() < capacity) model.push_back(v);
    } else if (op == 1) {
      const bool full = model.size() == capacity;
      EXPECT_EQ(q.ForceByte(v), full) << "step=" << step;
      if (full) model.pop_front();
      model.push_back(v);
    } else if (op == 2 || op == 3) {
      EXPECT_EQ(q.GetByte(b), !model.empty()) << "step=" << step;
      if (!model.empty()) {
        EXPECT_EQ(b, model.front()) << "step=" << step;
        model.pop_front();
      }
    } else if (op == 4) {
      EXPECT_EQ(q.LoadBack(v), model.size() < capacity) << "step=" << step;
      if (model.size() < capacity) model.push_front(v);
    } else if (op == 5) {
      const int32_t ix = Random(6) - 1;
      const bool inRange = ix >= 0 && static_cast<std::size_t>(ix) < model.size();
      EXPECT_EQ(q.SenseByte(ix, b), inRange) << "step=" << step;
      if (inRange) {
        EXPECT_EQ(b, model[static_cast<std::size_t>(ix)]) << "step=" << step;
      }
    } else if (step % 50 == 0) {
      const int32_t size = 2 + Random(6);
      q.SetSize(size);
      capacity = static_cast<std::size_t>(size - 1);
      while (model.size() > capacity) model.pop_front();
    }
    ASSERT_EQ(q.CountBytes(), static_cast<int32_t>(model.size())) << "step=" << step;
  }
  q.SetSize(1);
  EXPECT_EQ(q.Size(), static_cast<int32_t>(capacity + 1)) << "sizes below 2 are ignored";
}

// ---------------------------------------------------------------------------
// Combinations and permutations

TEST(NextCombination, LexicographicSequenceAndCount) {
  std::vector<uint8_t> comb{2, 1, 2};
  std::vector<std::string> seq;
  while (NextCombination(comb, 4)) seq.push_back(Bytes(std::span(comb).subspan(1)));
  EXPECT_EQ(seq, (std::vector<std::string>{"1,3,", "1,4,", "2,3,", "2,4,", "3,4,"}));
  EXPECT_EQ(comb, (std::vector<uint8_t>{2, 3, 4})) << "unchanged after the last";

  const struct {
    int n, k, count;
  } cases[] = {{5, 0, 1}, {5, 5, 1}, {6, 3, 20}, {10, 4, 210}, {255, 1, 255}, {255, 254, 255}};
  for (const auto& c : cases) {
    std::vector<uint8_t> v(static_cast<std::size_t>(c.k) + 1);
    v[0] = static_cast<uint8_t>(c.k);
    for (int i = 1; i <= c.k; ++i) v[static_cast<std::size_t>(i)] = static_cast<uint8_t>(i);
    int count = 1;
    std::vector<uint8_t> prev = v;
    while (NextCombination(v, c.n)) {
      ++count;
      EXPECT_TRUE(std::lexicographical_compare(prev.begin(), prev.end(), v.begin(), v.end()));
      prev = v;
    }
    EXPECT_EQ(count, c.count) << "n=" << c.n << " k=" << c.k;
  }
}

TEST(NextCombination, InconsistentInputIsRefused) {
  std::vector<uint8_t> shortComb{3, 1, 2};
  EXPECT_FALSE(NextCombination(shortComb, 5));
  std::vector<uint8_t> comb{2, 1, 2};
  EXPECT_FALSE(NextCombination(comb, 256)) << "values above a byte";
  EXPECT_FALSE(NextCombination(comb, 1)) << "k above N";
  EXPECT_EQ(comb, (std::vector<uint8_t>{2, 1, 2}));
  EXPECT_FALSE(NextCombination(std::span<uint8_t>(), 3));
}

TEST(NextPermutation, OrderForThreeAndAllOrdersForMore) {
  std::vector<uint8_t> perm{3, 1, 2, 3};
  std::vector<std::string> seq{Bytes(std::span(perm).subspan(1))};
  while (NextPermutation(perm)) seq.push_back(Bytes(std::span(perm).subspan(1)));
  EXPECT_EQ(seq, (std::vector<std::string>{"1,2,3,", "2,1,3,", "2,3,1,", "1,3,2,", "3,1,2,", "3,2,1,"}));
  EXPECT_EQ(perm, (std::vector<uint8_t>{3, 3, 2, 1})) << "unchanged after the last";
  for (int n = 1; n <= 6; ++n) {
    std::vector<uint8_t> p(static_cast<std::size_t>(n) + 1);
    p[0] = static_cast<uint8_t>(n);
    for (int i = 1; i <= n; ++i) p[static_cast<std::size_t>(i)] = static_cast<uint8_t>(i);
    std::set<std::vector<uint8_t>> seen{p};
    while (NextPermutation(p)) EXPECT_TRUE(seen.insert(p).second) << "repeat for n=" << n;
    EXPECT_EQ(seen.size(), static_cast<std::size_t>(std::tgamma(n + 1) + 0.5)) << "n=" << n;
  }
}

TEST(NextPermutation, InputThatIsNoPermutationIsRefused) {
  const std::vector<std::vector<uint8_t>> cases{{3, 1, 1, 2}, {3, 1, 2, 4}, {3, 0, 1, 2}, {4, 1, 2, 3}, {0}, {}};
  for (auto c : cases) {
    const auto before = c;
    EXPECT_FALSE(NextPermutation(c)) << Bytes(before);
    EXPECT_EQ(c, before);
  }
}

}  // namespace
}  // namespace nuv
