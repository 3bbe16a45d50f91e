// Self-organising (Kohonen) maps: TKohonen, a rectangular grid of SizeX ×
// SizeY neurons, each holding one weight per input feature. The map is
// trained on the rows of a data matrix (one pattern per row, one feature
// per column) and then maps an input vector to its best-matching neuron.
//
// The weights live in a TMat3D of SizeX columns × SizeY rows × NrOfInSens
// layers; weight (x, y, i) is feature i of neuron (x, y), and the features
// of one neuron are adjacent in memory.
//
// Trainit runs the steps 1 .. NrOfTrnSteps - 1 (at least one) over all
// patterns. Step s has f = (NrOfTrnSteps - s) / NrOfTrnSteps, clamped to
// [0, 1], the window radius R = Round(f²·(InitialNeighbors - 1) + 1) and
// the rate α = f²·InitialAlpha. For every pattern the winner is the neuron
// of smallest squared Euclidean distance g (x outer, y inner, the first
// one keeps ties). Every neuron of the square window of half-width R
// around it moves towards the pattern by the factor α / (1 + √(d - g)), d
// its own squared distance: the step falls with the distance in input
// space, not on the grid, and the winner moves by α. The window is clipped
// to the grid; when Cyclic, a half-width of at least size div 2 becomes
// size div 2 - 1 (at least 0) and positions outside wrap once. With
// NrOfTrnSteps = 1 the only step has α = 0; the last rate is
// InitialAlpha / NrOfTrnSteps², never 0.
//
// TKohonen raises nothing of its own: bad arguments are ignored or give a
// false result; the internal matrices raise ENUVMatrixError when a map is
// too large to allocate.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "nuv/Nuv_matrix.h"
#include "nuv/Nuv_nuvbase.h"
#include "nuv/Nuv_vector.h"
#include "nuv/platform/Streams.h"
#include "nuv/platform/TextFile.h"

namespace nuv {

// The XML vocabulary of the map: the block root and its end tag, one
// element per property, a weight cell, a feature's statistics, and the
// name the reader gives an unknown tag. A block reads
//
//   <kohonen sig="Nuvkit" vers="1.0" id="som1">
//     <sizex val=2 />   (sizey, nrinsens, maxneighb, maxsteps, currentstep)
//     <maxalpha val= 5.000E-0001 />
//     <cyclic val=FALSE />
//     <comment>free text</comment>
//     <meanstddev i=1 mean= 1.250E+0000 stddev= 3.000E-0001 />
//     <cell x=1 y=1> 1.000E-0002 -2.500E-0002</cell>   one per neuron
//   </kohonen>
inline constexpr std::array<std::string_view, 14> xmlKohonenTags{
    "kohonen",  "/kohonen", "sizex",       "sizey",  "comment", "nrinsens",   "maxneighb",
    "maxsteps", "maxalpha", "currentstep", "cyclic", "cell",    "meanstddev", "invalidtag"};

class TKohonen : public TComponent {
 public:
  // A 1 × 1 map of one feature with random weights, 200 steps, radius 2,
  // rate 1, not cyclic; the data matrix is 1 × 1 holding 0.
  explicit TKohonen(TComponent* AOwner);
  ~TKohonen() override;

  // Grid size. A value <= 0 is ignored; any other recreates the weights,
  // all 0.
  int32_t SizeX() const { return size_x_; }
  int32_t SizeY() const { return size_y_; }
  void SetSizeX(int32_t n);
  void SetSizeY(int32_t n);
  // Number of features. A value <= 0 is ignored; any other recreates the
  // weights, the statistics and the data matrix (n × its pattern count),
  // all 0.
  int32_t NrOfInSens() const { return nr_in_sens_; }
  void SetNumInsens(int32_t n);
  // Number of training steps; values below 1 count as 1.
  int32_t NrOfTrnSteps() const { return nr_trn_steps_; }
  void SetNrOfTrnSteps(int32_t n);
  // Radius at the start of training; values below 1 count as 1.
  int32_t InitialNeighbors() const { return initial_neighbors_; }
  void SetInitialNeighbors(int32_t n);
  // Rate at the start of training; a value that is not finite is ignored.
  double InitialAlpha() const { return initial_alpha_; }
  void SetInitialAlpha(double alpha);
  // The grid wraps around in both directions.
  bool Cyclic() const { return cyclic_; }
  void SetCyclic(bool cyclic) { cyclic_ = cyclic; }
  const std::string& Comment() const { return comment_; }
  void SetComment(std::string_view text) { comment_ = text; }

  // After every training step, with Round(s·100 / NrOfTrnSteps) for step
  // s, clamped to 0..100. The handler may call AbortTraining.
  TOnPercentDoneEvent OnFeedback;

  // The step the next ContinueTraining starts from (1 at creation), and
  // the radius and rate of the step last run (R = 0, α = 0 before any).
  int32_t CurrentStep() const { return current_step_; }
  int32_t CurrentNeighbors() const { return current_neighbors_; }
  double CurrentAlpha() const { return current_alpha_; }

  // The training data takes a copy of matrix, NrOfInSens its column count;
  // the weights and the statistics are recreated, all 0. False, nothing
  // changed, for a matrix without columns or rows or with a value that is
  // not finite.
  bool SetDataMat(const TMatrix& matrix);
  const TMatrix& DataMat() const { return *data_; }
  // Standardises the columns of the data (StandardizeColumns), keeping
  // their means and standard deviations for ApplyIt and GetWeight.
  void StandardizeData();
  const TVector& Means() const { return *means_; }
  const TVector& StdDevs() const { return *stddevs_; }

  // Every weight becomes (U - 0.5)·0.2, U from the runtime's generator
  // (Random), neuron by neuron in storage order: weights in [-0.1, 0.1).
  void SetWeigtsToRandom();
  // Step 1, random weights, then ContinueTraining.
  void Trainit();
  // Runs the steps from CurrentStep on: at least one, then while the step
  // is below NrOfTrnSteps and AbortTraining was not called during the step
  // just run. The abort flag is cleared before and after.
  void ContinueTraining();
  // Stops a training after the step in progress; ContinueTraining then
  // resumes from the next step. Without a training running it has no
  // effect, as ContinueTraining clears the flag.
  void AbortTraining() { abort_ = true; }

  // The best-matching neuron for vector, given in data units: each
  // feature becomes (v_i - m_i) / s_i, or v_i - m_i where s_i = 0, and the
  // smallest squared distance to the weights wins (x outer, y inner, the
  // first keeps ties). False, with winnerX = winnerY = 0 and distance =
  // uc_MaxDouble, for a vector of another length than NrOfInSens or when
  // no distance is below uc_MaxDouble (a NaN input). Not for concurrent
  // calls on one map.
  bool ApplyIt(const TVector& vector, int32_t& winnerX, int32_t& winnerY, double& distance) const;
  // Weight i of neuron (x, y) in data units: weight·s_i + m_i, or
  // weight + m_i where s_i = 0, as ApplyIt reads such a feature (before
  // StandardizeData the raw weight). 0 outside the map.
  double GetWeight(int32_t x, int32_t y, int32_t i) const;
  // The weights in standardised units.
  const TMat3D& Weights() const { return *weights_; }
  void DoFeedback(int32_t percent);

  // ---- XML block "kohonen" (comment "TKohonen"): the properties, the
  // current step, every neuron's weights and every feature's statistics;
  // every double reads back with the same bits. Readers return false,
  // nothing changed, for a missing or incomplete block, an element that
  // is missing, repeated or out of range, or cells and statistics that do
  // not cover the map exactly; the data matrix is kept when the feature
  // count stays, else recreated as by SetNumInsens. Writers raise the
  // file's or stream's errors.
  void WriteToOpenXMLFile(TextFile& f, bool createHeader, std::string_view id) const;
  void WriteToXMLStream(TStream& stream, bool createHeader, std::string_view id) const;
  // Through a temporary file that replaces fileName only when complete.
  void SaveAsXMLFile(std::string_view fileName, std::string_view id) const;
  bool ReadFromXMLStream(TStream& stream, std::string_view id);
  bool ReadFromOpenXMLFile(TextFile& f, std::string_view id);
  bool LoadFromXMLFile(std::string_view fileName, std::string_view id);

 private:
  struct TXMLIO;
  // Weights of x × y × n, all 0; for data given, or another n, also the
  // statistics (all 0) and the data matrix (data, or the old one).
  void Reshape(int32_t x, int32_t y, int32_t n, std::unique_ptr<TMatrix> data);
  // One step over every pattern; patterns holds them row by row,
  // distances room for one per neuron.
  void TrainStep(int64_t step, const std::vector<double>& patterns, std::vector<double>& distances);
  void TrainPattern(const double* pattern, double* distances);
  // Position range of the window around the winner along one axis; a
  // cyclic one may reach past the grid by less than its size.
  struct TSpan {
    int64_t Lo, Hi;
  };
  TSpan WindowSpan(int32_t winner, int32_t size) const;

  std::unique_ptr<TMat3D> weights_;
  std::unique_ptr<TMatrix> data_;
  std::unique_ptr<TVector> means_;
  std::unique_ptr<TVector> stddevs_;
  // The input of ApplyIt in standardised units.
  mutable std::vector<double> input_;
  std::string comment_;
  int32_t size_x_ = 1;
  int32_t size_y_ = 1;
  int32_t nr_in_sens_ = 1;
  int32_t nr_trn_steps_ = 200;
  int32_t initial_neighbors_ = 2;
  double initial_alpha_ = 1.0;
  bool cyclic_ = false;
  bool abort_ = false;
  int32_t current_step_ = 1;
  int32_t current_neighbors_ = 0;
  double current_alpha_ = 0.0;
};

}  // namespace nuv
