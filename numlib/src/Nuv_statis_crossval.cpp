#include <algorithm>
#include <cmath>
#include <string_view>

#include "nuv/Nuv_dstruct.h"
#include "nuv/Nuv_matrix.h"
#include "nuv/Nuv_statis.h"
#include "nuv/platform/Random.h"

namespace nuv {

namespace {

[[noreturn]] void Raise(std::string_view text) { throw ENUVStatisError(std::string(text)); }

const TMatrix& Assigned(const TMatrix* m) {
  if (!m) Raise("TCrossValidator.Execute: data matrix not assigned");
  return *m;
}

template <class Event>
const Event& Assigned(const Event& e, std::string_view name) {
  if (!e) Raise("TCrossValidator: " + std::string(name) + " event is not assigned");
  return e;
}

}  // namespace

// One Execute: the pool of objects not yet tested, the current test set and
// the running sums. The matrices and events are looked up on the validator
// at every use, since a handler may unassign or delete them.
class TCrossValidator::TRun {
 public:
  TRun(TCrossValidator& cv, int32_t n, int32_t size)
      : cv_(cv),
        n_(n),
        size_(size),
        nx_(static_cast<std::size_t>(Assigned(cv.xmat_).NrOfColumns())),
        used_(nullptr),
        test_(nullptr) {
    used_.SetSize(n);
    test_.SetSize(n);
    used_.Clear();
    response_.resize(Assigned(cv.ymat_).NrOfColumns());
    sums_.assign(response_.size(), 0.0L);
  }

  // False when aborted or when models kept failing.
  bool Run() {
    int32_t failures = 0;
    while (nused_ < n_) {
      ChooseTestSet();
      const bool success = CreateModel();
      if (success) {
        failures = 0;
      } else {
        // The test objects go back to the pool.
        used_.CombineWith(test_, loANDNot);
        nused_ -= ntest_;
        if (++failures >= kMaxFailedCreates) return false;
      }
      if (Aborted()) return false;
      if (success && !PredictTestSet()) return false;
    }
    return true;
  }

  std::vector<long double>& Sums() { return sums_; }

 private:
  void ChooseTestSet() {
    test_.Clear();
    ntest_ = 0;
    if (size_ < n_ - nused_) {
      for (int32_t k = 0; k < size_; ++k) {
        int32_t obj = Random(n_) + 1;
        while (used_.GetBit(obj)) obj = obj % n_ + 1;
        Take(obj);
      }
    } else {
      for (int32_t obj = 1; obj <= n_; ++obj)
        if (!used_.GetBit(obj)) Take(obj);
    }
  }

  void Take(int32_t obj) {
    used_.SetBit(obj, true);
    test_.SetBit(obj, true);
    ++nused_;
    ++ntest_;
  }

  bool CreateModel() {
    // Bit 0 is never an object.
    test_.MakeListOfBits(objects_, false);
    objects_.erase(objects_.begin());
    bool success = true;
    Assigned(cv_.OnModelCreateRequest, "OnModelCreateRequest")(&cv_, PercentDone(), objects_,
                                                               success);
    return success;
  }

  // False when aborted.
  bool PredictTestSet() {
    for (int32_t obj = 1; obj <= n_; ++obj) {
      if (!test_.GetBit(obj)) continue;
      ++predicted_;
      // A handler may have resized either array.
      const TMatrix& x = Assigned(cv_.xmat_);
      predictors_.resize(nx_);
      for (std::size_t c = 0; c < nx_; ++c)
        predictors_[c] = x.GetVal(static_cast<int32_t>(c) + 1, obj);
      response_.resize(sums_.size());
      Assigned(cv_.OnModelApplyRequest, "OnModelApplyRequest")(&cv_, PercentDone(), predictors_,
                                                               response_);
      if (response_.size() < sums_.size())
        Raise(
            "TCrossValidator.Execute: OnModelApplyRequest returned fewer responses than YMat "
            "has columns");
      const TMatrix& y = Assigned(cv_.ymat_);
      for (std::size_t j = 0; j < sums_.size(); ++j) {
        const long double d =
            static_cast<long double>(response_[j]) - y.GetVal(static_cast<int32_t>(j) + 1, obj);
        sums_[j] += d * d;
      }
      if (Aborted()) return false;
    }
    return true;
  }

  bool Aborted() {
    bool abort = false;
    if (cv_.OnCheckAbort) cv_.OnCheckAbort(&cv_, abort);
    return abort;
  }

  int32_t PercentDone() const { return Round32(100.0L * predicted_ / n_); }

  TCrossValidator& cv_;
  const int32_t n_;
  // Fixed for the run, whatever a handler sets meanwhile.
  const int32_t size_;
  const std::size_t nx_;
  TBitFld used_, test_;
  int32_t nused_ = 0, ntest_ = 0, predicted_ = 0;
  TIntArray objects_;
  TDoubleArray predictors_, response_;
  std::vector<long double> sums_;
};

TCrossValidator::TCrossValidator(TComponent* AOwner) : TComponent(AOwner) {}

void TCrossValidator::SetMatrix(TMatrix*& field, TMatrix* m) {
  if (field == m) return;
  TMatrix* old = field;
  field = m;
  // The other reference may still need to hear of the old matrix.
  if (old && old != xmat_ && old != ymat_) RemoveFreeNotification(old);
  if (m) FreeNotification(m);
}

void TCrossValidator::SetXMat(TMatrix* m) { SetMatrix(xmat_, m); }
void TCrossValidator::SetYMat(TMatrix* m) { SetMatrix(ymat_, m); }

void TCrossValidator::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == xmat_) xmat_ = nullptr;
  if (AComponent == ymat_) ymat_ = nullptr;
}

void TCrossValidator::SetTestSize(int32_t n) {
  size_test_set_ = std::max(n, 1);
  Invalidate();
}

void TCrossValidator::Invalidate() {
  valid_ = false;
  sums_.clear();
}

bool TCrossValidator::Execute() {
  const int32_t n = Assigned(xmat_).NrOfRows();
  Assigned(ymat_);
  if (ymat_->NrOfRows() != n)
    Raise("TCrossValidator.Execute: number of rows of XMat and YMat not equal");
  Assigned(OnModelApplyRequest, "OnModelApplyRequest");
  Assigned(OnModelCreateRequest, "OnModelCreateRequest");
  Invalidate();
  // One object leaves nothing to build a model from.
  if (n < 2) return false;
  size_test_set_ = std::min(size_test_set_, n / 2);
  TRun run(*this, n, size_test_set_);
  if (!run.Run()) return false;
  sums_ = std::move(run.Sums());
  objects_ = n;
  valid_ = true;
  return true;
}

double TCrossValidator::GetRMSEP(int32_t j) const {
  if (!valid_) return -1;
  if (j < 1 || j > static_cast<int32_t>(sums_.size())) return 0;
  return static_cast<double>(std::sqrt(sums_[j - 1] / objects_));
}

}  // namespace nuv
