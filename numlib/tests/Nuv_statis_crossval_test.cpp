// Leave-one-out references from scikit-learn (tools/ref/crossval_loo.py).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <numeric>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "ExpectThrow.h"
#include "RelativeError.h"
#include "nuv/Nuv_matrix.h"
#include "nuv/Nuv_statis.h"
#include "nuv/platform/Random.h"

namespace nuv {
namespace {

using testing::ExpectThrowMessage;
using testing::Rel;

constexpr int32_t kObjects = 12;
constexpr double kX[kObjects][2] = {{1, 0.5}, {2, 1.7}, {3, 0.2}, {4, 2.9},  {5, 1.1},  {6, 3.6},
                                    {7, 0.8}, {8, 2.2}, {9, 4.1}, {10, 1.4}, {11, 3.3}, {12, 0.1}};
constexpr double kY[kObjects][2] = {{2.9, 10.2}, {5.3, 8.1},  {6.2, 11.9},  {10.4, 5.5},
                                    {10.1, 9.7}, {14.8, 4.0}, {13.5, 10.8}, {17.6, 7.3},
                                    {21.9, 3.2}, {19.8, 9.9}, {24.6, 5.1},  {22.7, 12.5}};

template <std::size_t Cols>
std::unique_ptr<TMatrix> MakeMatrix(const double (&rows)[kObjects][Cols], int32_t n = kObjects) {
  auto m = std::make_unique<TMatrix>(nullptr);
  m->Resize(Cols, n);
  for (int32_t r = 1; r <= n; ++r)
    for (int32_t c = 1; c <= static_cast<int32_t>(Cols); ++c) m->SetVal(c, r, rows[r - 1][c - 1]);
  return m;
}

// A model the tests hand to the validator: fitted on the listed objects,
// predicting from a row of predictors.
class TModel {
 public:
  virtual ~TModel() = default;
  virtual bool Fit(const TMatrix& x, const TMatrix& y, const TIntArray& objects) = 0;
  virtual void Predict(const TDoubleArray& predictors, TDoubleArray& response) const = 0;
};

class TMeanModel : public TModel {
 public:
  bool Fit(const TMatrix& x, const TMatrix& y, const TIntArray& objects) override {
    mean_.assign(y.NrOfColumns(), 0.0);
    for (int32_t obj : objects)
      for (int32_t j = 1; j <= y.NrOfColumns(); ++j) mean_[j - 1] += y.GetVal(j, obj);
    for (double& m : mean_) m /= static_cast<double>(objects.size());
    return true;
  }
  void Predict(const TDoubleArray&, TDoubleArray& response) const override { response = mean_; }

 private:
  TDoubleArray mean_;
};

// Least squares with an intercept through the normal equations.
class TLeastSquares : public TModel {
 public:
  bool Fit(const TMatrix& x, const TMatrix& y, const TIntArray& objects) override {
    const int32_t p = x.NrOfColumns() + 1, q = y.NrOfColumns();
    TMatrix design(nullptr), normal(nullptr), targets(nullptr);
    design.Resize(p, static_cast<int32_t>(objects.size()));
    targets.Resize(q, static_cast<int32_t>(objects.size()));
    for (std::size_t r = 0; r < objects.size(); ++r) {
      const int32_t row = static_cast<int32_t>(r) + 1;
      design.SetVal(1, row, 1);
      for (int32_t c = 2; c <= p; ++c) design.SetVal(c, row, x.GetVal(c - 1, objects[r]));
      for (int32_t j = 1; j <= q; ++j) targets.SetVal(j, row, y.GetVal(j, objects[r]));
    }
    normal.Resize(p, p);
    TMatrix xty(nullptr);
    xty.Resize(q, p);
    coef_.Resize(q, p);
    return design.TransposeAndMultiply(design, normal) &&
           design.TransposeAndMultiply(targets, xty) && normal.Invert() &&
           normal.Multiply(xty, coef_);
  }
  void Predict(const TDoubleArray& predictors, TDoubleArray& response) const override {
    for (int32_t j = 1; j <= coef_.NrOfColumns(); ++j) {
      double v = coef_.GetVal(j, 1);
      for (std::size_t c = 0; c < predictors.size(); ++c)
        v += coef_.GetVal(j, static_cast<int32_t>(c) + 2) * predictors[c];
      response[j - 1] = v;
    }
  }

 private:
  TMatrix coef_{nullptr};
};

// What a run showed the handlers.
struct TLog {
  std::vector<TIntArray> testSets;  // per create request: the objects left out
  std::vector<int32_t> createPercent, applyPercent;
  std::vector<TDoubleArray> predictors;
  int32_t creates = 0, applies = 0, polls = 0;
};

class CrossValidator : public ::testing::Test {
 protected:
  void SetUp() override {
    x_ = MakeMatrix(kX);
    y_ = MakeMatrix(kY);
    cv_.SetName("CV");
    cv_.SetXMat(x_.get());
    cv_.SetYMat(y_.get());
    Use(mean_);
  }

  // Wires the model into the events, logging what they receive; fail tells
  // which create requests (0-based) report failure.
  void Use(TModel& model, std::function<bool(int32_t)> fail = nullptr) {
    cv_.OnModelCreateRequest = [this, &model, fail](TObject* sender, int32_t percent,
                                                    TIntArray& objects, bool& success) {
      EXPECT_EQ(sender, &cv_);
      const int32_t n = cv_.XMat()->NrOfRows();
      TIntArray left;
      for (int32_t obj = 1; obj <= n; ++obj)
        if (!std::binary_search(objects.begin(), objects.end(), obj)) left.push_back(obj);
      EXPECT_TRUE(std::is_sorted(objects.begin(), objects.end()));
      log_.testSets.push_back(left);
      log_.createPercent.push_back(percent);
      const bool failed = fail && fail(log_.creates);
      ++log_.creates;
      success = !failed && model.Fit(*cv_.XMat(), *cv_.YMat(), objects);
    };
    cv_.OnModelApplyRequest = [this, &model](TObject*, int32_t percent, TDoubleArray& predictors,
                                             TDoubleArray& response) {
      ++log_.applies;
      log_.applyPercent.push_back(percent);
      log_.predictors.push_back(predictors);
      model.Predict(predictors, response);
    };
  }

  // The objects predicted, in order: the first predictor is the object's
  // number.
  TIntArray Predicted() const {
    TIntArray objects;
    for (const TDoubleArray& p : log_.predictors) objects.push_back(static_cast<int32_t>(p[0]));
    return objects;
  }

  std::unique_ptr<TMatrix> x_, y_;
  TCrossValidator cv_{nullptr};
  TMeanModel mean_;
  TLeastSquares lsq_;
  TLog log_;
};

TEST_F(CrossValidator, LeaveOneOutMatchesScikitLearnWhateverTheSeed) {
  // tools/ref/crossval_loo.py, scikit-learn 1.2.1.
  const struct {
    const char* name;
    TModel* model;
    double rmsep[2];
  } cases[] = {
      {"mean", &mean_, {7.620698217506979, 3.2793367601966192}},
      {"least squares", &lsq_, {0.5287437409559661, 0.3358262911456738}},
  };
  cv_.SetTestSize(1);
  for (const auto& c : cases) {
    Use(*c.model);
    for (uint32_t seed : {1u, 999u, 123456789u}) {
      RandSeed = seed;
      log_ = {};
      ASSERT_TRUE(cv_.Execute()) << c.name;
      EXPECT_EQ(log_.creates, kObjects) << c.name;
      EXPECT_EQ(log_.applies, kObjects) << c.name;
      for (int32_t j = 1; j <= 2; ++j)
        EXPECT_TRUE(Rel(cv_.GetRMSEP(j), c.rmsep[j - 1], 1e-12)) << c.name << " seed " << seed;
    }
  }
}

TEST_F(CrossValidator, PassesTestDisjointSetsOfTheLoweredSizeAndReportProgress) {
  x_->Resize(2, 7);
  y_->Resize(2, 7);
  cv_.SetTestSize(5);
  RandSeed = 42;
  ASSERT_TRUE(cv_.Execute());
  EXPECT_EQ(cv_.SizeTestSet(), 3);
  ASSERT_EQ(log_.testSets.size(), 3u);
  EXPECT_EQ(log_.testSets[0].size(), 3u);
  EXPECT_EQ(log_.testSets[1].size(), 3u);
  EXPECT_EQ(log_.testSets[2].size(), 1u);
  TIntArray all = Predicted();
  std::sort(all.begin(), all.end());
  EXPECT_EQ(all, (TIntArray{1, 2, 3, 4, 5, 6, 7}));
  EXPECT_EQ(log_.createPercent, (std::vector<int32_t>{0, 43, 86}));
  EXPECT_EQ(log_.applyPercent, (std::vector<int32_t>{14, 29, 43, 57, 71, 86, 100}));
  // Predictors are the rows of the test objects, ascending in each pass.
  TIntArray inPasses;
  for (const TIntArray& set : log_.testSets)
    inPasses.insert(inPasses.end(), set.begin(), set.end());
  EXPECT_EQ(Predicted(), inPasses);
  for (const TDoubleArray& p : log_.predictors) {
    const int32_t obj = static_cast<int32_t>(p[0]);
    EXPECT_EQ(p, (TDoubleArray{kX[obj - 1][0], kX[obj - 1][1]})) << obj;
  }

  // Halves of PercentDone round to even.
  x_->Resize(2, 8);
  y_->Resize(2, 8);
  cv_.SetTestSize(1);
  log_ = {};
  ASSERT_TRUE(cv_.Execute());
  EXPECT_EQ(log_.createPercent, (std::vector<int32_t>{0, 12, 25, 38, 50, 62, 75, 88}));
}

TEST_F(CrossValidator, TestObjectsStartAtARandomObjectAndStepOnCyclically) {
  x_->Resize(2, 5);
  y_->Resize(2, 5);
  cv_.SetTestSize(2);
  // Seeds whose first two draws hit the same object: the second test object
  // is the next one, after 5 comes 1.
  const struct {
    int32_t object;
    TIntArray want;
  } cases[] = {{5, {1, 5}}, {2, {2, 3}}};
  for (const auto& c : cases) {
    uint32_t seed = 0;
    for (;; ++seed) {
      RandSeed = seed;
      if (Random(5) + 1 == c.object && Random(5) + 1 == c.object) break;
    }
    RandSeed = seed;
    log_ = {};
    ASSERT_TRUE(cv_.Execute());
    ASSERT_FALSE(log_.testSets.empty());
    EXPECT_EQ(log_.testSets[0], c.want) << "seed " << seed;
  }
  // Any seed covers every object exactly once.
  for (uint32_t seed = 0; seed < 200; ++seed) {
    RandSeed = seed;
    log_ = {};
    ASSERT_TRUE(cv_.Execute());
    TIntArray all = Predicted();
    std::sort(all.begin(), all.end());
    ASSERT_EQ(all, (TIntArray{1, 2, 3, 4, 5})) << "seed " << seed;
  }
}

TEST_F(CrossValidator, FailedCreatesReturnTheirObjectsToThePool) {
  cv_.SetTestSize(1);
  Use(mean_, [](int32_t call) { return call == 0 || call == 3 || call == 4; });
  RandSeed = 7;
  ASSERT_TRUE(cv_.Execute());
  EXPECT_EQ(log_.creates, kObjects + 3);
  EXPECT_EQ(log_.applies, kObjects);
  // The objects of the failed passes are tested later, each once.
  TIntArray all = Predicted();
  std::sort(all.begin(), all.end());
  TIntArray want(kObjects);
  std::iota(want.begin(), want.end(), 1);
  EXPECT_EQ(all, want);
  EXPECT_TRUE(Rel(cv_.GetRMSEP(1), 7.620698217506979, 1e-12));

  // A model that can never be built ends the run instead of looping.
  log_ = {};
  Use(mean_, [](int32_t) { return true; });
  EXPECT_FALSE(cv_.Execute());
  EXPECT_EQ(log_.creates, TCrossValidator::kMaxFailedCreates);
  EXPECT_EQ(log_.applies, 0);
  EXPECT_EQ(cv_.GetRMSEP(1), -1);
}

TEST_F(CrossValidator, AbortIsPolledAfterEveryCreateAndPredictionAndInvalidates) {
  cv_.SetTestSize(3);
  ASSERT_TRUE(cv_.Execute());
  ASSERT_GT(cv_.GetRMSEP(1), 0);
  // Polls: after create 1, after each of its 3 predictions, after create 2 ...
  const struct {
    int32_t abortAt, creates, applies;
  } cases[] = {{1, 1, 0}, {2, 1, 1}, {4, 1, 3}, {5, 2, 3}, {6, 2, 4}, {16, 4, 12}};
  for (const auto& c : cases) {
    log_ = {};
    cv_.OnCheckAbort = [&](TObject* sender, bool& abort) {
      EXPECT_EQ(sender, &cv_);
      abort = ++log_.polls == c.abortAt;
    };
    EXPECT_FALSE(cv_.Execute()) << c.abortAt;
    EXPECT_EQ(log_.creates, c.creates) << c.abortAt;
    EXPECT_EQ(log_.applies, c.applies) << c.abortAt;
    EXPECT_EQ(cv_.GetRMSEP(1), -1) << c.abortAt;
    EXPECT_EQ(cv_.GetRMSEP(2), -1) << c.abortAt;
  }
  log_ = {};
  cv_.OnCheckAbort = [&](TObject*, bool&) { ++log_.polls; };
  EXPECT_TRUE(cv_.Execute());
  EXPECT_EQ(log_.polls, 16);
}

TEST_F(CrossValidator, ChecksComeInTheirOrderWithTheirMessages) {
  const std::string unassigned = "TCrossValidator.Execute: data matrix not assigned";
  const auto expect = [&](const std::string& message) {
    ExpectThrowMessage<ENUVStatisError>([&] { cv_.Execute(); }, message);
  };
  cv_.OnModelApplyRequest = nullptr;
  cv_.OnModelCreateRequest = nullptr;
  y_->Resize(2, 11);
  cv_.SetXMat(nullptr);
  expect(unassigned);
  cv_.SetXMat(x_.get());
  cv_.SetYMat(nullptr);
  expect(unassigned);
  cv_.SetYMat(y_.get());
  expect("TCrossValidator.Execute: number of rows of XMat and YMat not equal");
  y_->Resize(2, kObjects);
  expect("TCrossValidator: OnModelApplyRequest event is not assigned");
  Use(mean_);
  cv_.OnModelCreateRequest = nullptr;
  expect("TCrossValidator: OnModelCreateRequest event is not assigned");
  EXPECT_EQ(log_.applies, 0);
}

TEST_F(CrossValidator, FewerThanTwoObjectsGiveFalseWithoutCallingTheModel) {
  for (int32_t n : {1, 0}) {
    x_->Resize(2, n);
    y_->Resize(2, n);
    EXPECT_FALSE(cv_.Execute()) << n;
    EXPECT_EQ(cv_.SizeTestSet(), 2) << n;
    EXPECT_EQ(log_.creates, 0) << n;
    EXPECT_EQ(cv_.GetRMSEP(1), -1) << n;
  }
  x_->Resize(2, 2);
  y_->Resize(2, 2);
  EXPECT_TRUE(cv_.Execute());
  EXPECT_EQ(cv_.SizeTestSet(), 1);
  EXPECT_EQ(log_.creates, 2);
}

TEST_F(CrossValidator, ResultsAreMinusOneUntilAValidRunAndOnlyThen) {
  EXPECT_EQ(cv_.GetRMSEP(1), -1);  // before any run
  const struct { int32_t set, want; } sizes[] = {{0, 1}, {-5, 1}, {4, 4}};
  for (const auto& c : sizes) {
    cv_.SetTestSize(c.set);
    EXPECT_EQ(cv_.SizeTestSet(), c.want) << c.set;
  }
  ASSERT_TRUE(cv_.Execute());
  const double rmsep = cv_.GetRMSEP(2);
  EXPECT_GT(rmsep, 0);
  EXPECT_EQ(cv_.GetRMSEP(0), 0);
  EXPECT_EQ(cv_.GetRMSEP(3), 0);
  // The results stay with the run, not with the matrices.
  x_.reset();
  EXPECT_EQ(cv_.XMat(), nullptr);
  EXPECT_EQ(cv_.GetRMSEP(2), rmsep);
  ExpectThrowMessage<ENUVStatisError>([&] { cv_.Execute(); },
                                      "TCrossValidator.Execute: data matrix not assigned");
  EXPECT_EQ(cv_.GetRMSEP(2), rmsep);
  cv_.SetTestSize(2);
  EXPECT_EQ(cv_.GetRMSEP(2), -1);
}

TEST_F(CrossValidator, HandlersThatResizeTheArraysOrRaiseCannotCorruptTheRun) {
  // Arrays resized by one call come back in shape for the next.
  cv_.SetTestSize(1);
  cv_.OnModelApplyRequest = [this](TObject*, int32_t, TDoubleArray& predictors,
                                   TDoubleArray& response) {
    EXPECT_EQ(predictors.size(), 2u);
    EXPECT_EQ(response.size(), 2u);
    TDoubleArray row = predictors;
    predictors.assign(50, -1);
    mean_.Predict(row, response);
    response.resize(5, 99);
  };
  ASSERT_TRUE(cv_.Execute());
  EXPECT_TRUE(Rel(cv_.GetRMSEP(2), 3.2793367601966192, 1e-12));

  const struct {
    const char* what;
    TOnModelApplyRequestEvent apply;
    std::string message;
  } faults[] = {
      {"short response", [](TObject*, int32_t, TDoubleArray&, TDoubleArray& r) { r.resize(1); },
       "TCrossValidator.Execute: OnModelApplyRequest returned fewer responses than YMat has "
       "columns"},
      {"matrix deleted", [this](TObject*, int32_t, TDoubleArray&, TDoubleArray&) { y_.reset(); },
       "TCrossValidator.Execute: data matrix not assigned"},
      {"event removed",
       [this](TObject*, int32_t, TDoubleArray&, TDoubleArray&) {
         cv_.OnModelCreateRequest = nullptr;
       },
       "TCrossValidator: OnModelCreateRequest event is not assigned"},
  };
  for (const auto& f : faults) {
    SetUp();
    ASSERT_TRUE(cv_.Execute()) << f.what;
    cv_.OnModelApplyRequest = f.apply;
    ExpectThrowMessage<ENUVStatisError>([&] { cv_.Execute(); }, f.message, f.what);
    EXPECT_EQ(cv_.GetRMSEP(1), -1) << f.what;
  }

  // A test size set during the run applies to the next one.
  SetUp();
  log_ = {};
  cv_.SetTestSize(2);
  const auto create = cv_.OnModelCreateRequest;
  cv_.OnModelCreateRequest = [&](TObject* sender, int32_t percent, TIntArray& objects,
                                 bool& success) {
    cv_.SetTestSize(1);
    create(sender, percent, objects, success);
  };
  ASSERT_TRUE(cv_.Execute());
  EXPECT_EQ(log_.creates, kObjects / 2);
  EXPECT_GT(cv_.GetRMSEP(1), 0);

  SetUp();
  cv_.OnModelCreateRequest = [](TObject*, int32_t, TIntArray&, bool&) {
    throw std::runtime_error("model failed");
  };
  EXPECT_THROW(cv_.Execute(), std::runtime_error);
  EXPECT_EQ(cv_.GetRMSEP(1), -1);
}

}  // namespace
}  // namespace nuv
