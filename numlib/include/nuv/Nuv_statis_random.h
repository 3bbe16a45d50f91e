// Random numbers from tabulated distributions (TRandGen) and repeated
// random-subset cross-validation of a caller's regression model
// (TCrossValidator). Part of the unit Nuv_statis (included by
// Nuv_statis.h).
//
// Both draw from the runtime's uniform generator (nuv::Random), so setting
// RandSeed reproduces a run. Misuse raises ENUVStatisError.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "nuv/Nuv_nuvbase.h"

namespace nuv {

class TMatrix;

// A distribution given as Resolution relative probabilities, one per equal
// cell of [LowBorder, HighBorder]; cell i (1-based) starts at GetLambda(i).
// GetRandNum draws by rejection: a cell and a position f in it uniformly,
// accepted with the table value interpolated linearly from the cell's left
// edge towards the next cell's (the last cell keeps its own value
// throughout). A value of 1 or more is always accepted, so densities that
// exceed 1 shape the draws only after Normalize or Standardize.
class TRandGen : public TComponent {
 public:
  static constexpr int32_t kMinResolution = 10;
  static constexpr int32_t kMaxResolution = 4000;
  // GetRandNum gives up after this many rejected attempts and returns the
  // last candidate (a table of zeros never accepts).
  static constexpr int32_t kMaxAttempts = 100000;

  // Borders 0, Resolution 500, a uniform table (every value 1). Raises
  // "not enough memory on heap" when the table cannot be allocated.
  explicit TRandGen(TComponent* AOwner);

  // Any values; equal borders make every draw LowBorder, reversed ones
  // number the cells from LowBorder downwards.
  double LowBorder() const { return low_; }
  void SetLowBorder(double v) { low_ = v; }
  double HighBorder() const { return high_; }
  void SetHighBorder(double v) { high_ = v; }

  int32_t Resolution() const { return resolution_; }
  // n clamped to kMinResolution..kMaxResolution; the table becomes uniform
  // (also when n is unchanged). Raises "not enough memory".
  void SetResolution(int32_t n);

  // Table value of cell i, 0 outside 1..Resolution.
  double GetProbability(int32_t i) const;
  // p clamped to [0, 1] (NaN counts as 0); i outside 1..Resolution is
  // ignored.
  void SetProbability(int32_t i, double p);

  // Left edge of cell i; LowBorder for i <= 0, HighBorder for
  // i > Resolution.
  double GetLambda(int32_t i) const;
  // The cell holding x: 0 below LowBorder (and for NaN), Resolution + 1
  // above HighBorder, Resolution for x = HighBorder. Equal borders leave no
  // inside: LowBorder itself is then cell Resolution.
  int32_t IndexOfLambda(double x) const;

  // One number in [LowBorder, HighBorder) distributed as the table says.
  double GetRandNum();

  // Maps the table linearly onto [0, 1]; false (unchanged) when all values
  // are equal.
  bool Normalize();
  // Divides the table by its largest value; false (unchanged) when that is
  // 0.
  bool Standardize();

  // Shape fillers: the density at each cell's left edge, not normalised.
  // Parameters that are not positive (also NaN) raise
  // "<filler>: ... must be positive" and leave the table unchanged.
  void UniformDistri();
  // exp(-(x - Mean)²/2/StdDev²), peak 1; Mean must be finite.
  void NormalDistri(double Mean, double StdDev);
  void tDistri(double df);
  // 0 below x = 0. For df < 2 the density has a pole at 0: a cell starting
  // there takes its mean density instead.
  void Chi2Distri(double df);
  // 0 for x <= 0.
  void FDistri(double df1, double df2);
  void WeibullDistri(double Shape, double Scale);

 private:
  // Fills the table from the value of each cell, given its 1-based index.
  template <class F>
  void FillCells(F value);
  // The table is kept one longer than Resolution, its last value repeated,
  // so that the last cell interpolates flat without a branch.
  void SealLastCell();
  [[noreturn]] void RaiseNotPositive(const char* what) const;

  double low_ = 0;
  double high_ = 0;
  int32_t resolution_ = 500;
  std::vector<double> table_;
};

// ---------------------------------------------------------------------------
// Cross-validation

// The model is to be built from the objects (1-based rows of XMat and YMat)
// in ObjectList, ascending; the handler sets Success (preset to true) to
// false when it cannot. PercentDone is the share of objects predicted so
// far, 0..100.
using TOnModelCreateRequestEvent =
    std::function<void(TObject* Sender, int32_t PercentDone, TIntArray& ObjectList, bool& Success)>;
// The model built last predicts Response (one value per column of YMat)
// from Predictors (the object's row of XMat).
using TOnModelApplyRequestEvent = std::function<void(
    TObject* Sender, int32_t PercentDone, TDoubleArray& Predictors, TDoubleArray& Response)>;

// Repeated random-subset cross-validation: each pass takes up to
// SizeTestSet objects not tested before as the test set, asks for a model
// of all other objects and for predictions of the test objects, until
// every object has been predicted once. GetRMSEP then gives the root mean
// square error of prediction of each response column. With SizeTestSet 1
// this is leave-one-out and does not depend on the seed.
//
// The matrices are the caller's; when one is deleted the validator forgets
// it.
class TCrossValidator : public TComponent {
 public:
  // Execute gives up (false) after this many create requests in a row
  // that reported failure: a model that cannot be built would otherwise
  // keep the run going for ever.
  static constexpr int32_t kMaxFailedCreates = 100;

  // SizeTestSet 2, no matrices, no results.
  explicit TCrossValidator(TComponent* AOwner);

  TMatrix* XMat() const { return xmat_; }
  void SetXMat(TMatrix* m);
  TMatrix* YMat() const { return ymat_; }
  void SetYMat(TMatrix* m);

  int32_t SizeTestSet() const { return size_test_set_; }
  // n, at least 1; invalidates the results.
  void SetTestSize(int32_t n);

  TOnModelCreateRequestEvent OnModelCreateRequest;
  TOnModelApplyRequestEvent OnModelApplyRequest;
  // Polled after every create request and every prediction.
  TOnCheckAbortEvent OnCheckAbort;

  // Runs the cross-validation. Raises, in this order,
  // "TCrossValidator.Execute: data matrix not assigned", "...: number of
  // rows of XMat and YMat not equal", "TCrossValidator: OnModelApplyRequest
  // event is not assigned", "TCrossValidator: OnModelCreateRequest event is
  // not assigned", and "TCrossValidator.Execute: OnModelApplyRequest
  // returned fewer responses than YMat has columns" during the run. Lowers
  // SizeTestSet to half the object count when it is larger. False, with the
  // results invalid, for fewer than two objects, an abort, or
  // kMaxFailedCreates failed create requests in a row. An exception from a
  // handler leaves the results invalid and propagates.
  bool Execute();

  // RMSEP of response column j (1-based): √(squared error sum / objects).
  // -1 while no valid result is present, 0 for j outside the columns.
  double GetRMSEP(int32_t j) const;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  class TRun;
  void SetMatrix(TMatrix*& field, TMatrix* m);
  void Invalidate();

  TMatrix* xmat_ = nullptr;
  TMatrix* ymat_ = nullptr;
  int32_t size_test_set_ = 2;
  // Squared-error sums of the last completed run and its object count.
  std::vector<long double> sums_;
  int32_t objects_ = 0;
  bool valid_ = false;
};

}  // namespace nuv
