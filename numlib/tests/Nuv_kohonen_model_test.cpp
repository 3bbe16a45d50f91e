// TKohonen against the numpy model of tools/ref/kohonen_model.py: the
// weights after every training step from starting maps written by the
// model, and ApplyIt against an argmin over all neurons.
#include <gtest/gtest.h>

#include <cmath>
#include <span>
#include <string>
#include <vector>

#include "Nuv_kohonen_test.h"
#include "Nuv_matrix_3d4d_test.h"
#include "data/kohonen_ref.inc"
#include "nuv/Nuv_kohonen.h"

namespace nuv {
namespace {

namespace ref = testing::kohonen_ref;
using testing::AllWeights;
using testing::RefFile;

struct TTraceCase {
  const char* id;
  std::span<const double> data;
  std::span<const double> trace;
};

TEST(TKohonenModel, EveryStepMatchesTheModel) {
  const TTraceCase cases[] = {{"clipped", ref::kClippedData, ref::kClippedTrace},
                              {"cyclic", ref::kCyclicData, ref::kCyclicTrace}};
  for (const auto& c : cases) {
    TKohonen k(nullptr);
    // The feature count is the file's; the data matrix takes it first, as
    // SetDataMat clears the weights.
    ASSERT_TRUE(k.LoadFromXMLFile(RefFile(std::string("kohonen_") + c.id + ".xml"), c.id)) << c.id;
    const int32_t n = k.NrOfInSens();
    const auto rows = static_cast<int32_t>(c.data.size() / n);
    TMatrix data(nullptr);
    data.Resize(n, rows);
    for (int32_t r = 1; r <= rows; ++r)
      for (int32_t i = 1; i <= n; ++i) data.SetVal(i, r, c.data[(r - 1) * n + (i - 1)]);
    ASSERT_TRUE(k.SetDataMat(data)) << c.id;
    ASSERT_TRUE(k.LoadFromXMLFile(RefFile(std::string("kohonen_") + c.id + ".xml"), c.id)) << c.id;
    EXPECT_EQ(k.DataMat().GetVal(n, rows), data.GetVal(n, rows)) << "loading keeps the data";

    const std::size_t cube = AllWeights(k).size();
    std::size_t steps = 0;
    double worst = 0;
    k.OnFeedback = [&](TObject*, int32_t) {
      const std::vector<double> w = AllWeights(k);
      ASSERT_LE((steps + 1) * cube, c.trace.size()) << c.id << ": too many steps";
      for (std::size_t j = 0; j < cube; ++j)
        worst = std::max(worst, std::abs(w[j] - c.trace[steps * cube + j]));
      ++steps;
    };
    k.ContinueTraining();
    EXPECT_EQ(steps * cube, c.trace.size()) << c.id;
    EXPECT_LE(worst, 1e-14) << c.id;
  }
}

TEST(TKohonenModel, ApplyItAgreesWithTheArgminOverAllNeurons) {
  const struct {
    const char* file;
    const char* id;
    std::span<const int32_t> x, y;
    std::span<const double> dist;
  } cases[] = {
      {"kohonen_apply_std.xml", "std", ref::kApplyStdX, ref::kApplyStdY, ref::kApplyStdDist},
      {"kohonen_apply_raw.xml", "raw", ref::kApplyRawX, ref::kApplyRawY, ref::kApplyRawDist}};
  for (const auto& c : cases) {
    TKohonen k(nullptr);
    ASSERT_TRUE(k.LoadFromXMLFile(RefFile(c.file), c.id)) << c.id;
    const int32_t n = k.NrOfInSens();
    TVector v(nullptr);
    v.Resize(n);
    for (std::size_t q = 0; q < c.x.size(); ++q) {
      for (int32_t i = 1; i <= n; ++i) v.SetVal(i, ref::kApplyQueries[q * n + (i - 1)]);
      int32_t x = 0, y = 0;
      double d = 0;
      ASSERT_TRUE(k.ApplyIt(v, x, y, d)) << c.id << " query " << q;
      EXPECT_EQ(x, c.x[q]) << c.id << " query " << q;
      EXPECT_EQ(y, c.y[q]) << c.id << " query " << q;
      EXPECT_NEAR(d, c.dist[q], 1e-12 * (1 + c.dist[q])) << c.id << " query " << q;
    }
  }
}

}  // namespace
}  // namespace nuv
