// Nearest neighbours and kernels, k-means and agglomerative hierarchical
// clustering with dendrogram coordinates, the correlation of two image
// areas and plane and sphere geometry (point in polygon, polygon area,
// convex hull, great-circle distance). Part of the unit Nuv_math2
// (included by Nuv_math2.h). Objects are the rows of a data matrix.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string_view>

#include "nuv/Nuv_matrix_core.h"
#include "nuv/Nuv_nuvbase.h"
#include "nuv/platform/Graphics.h"

namespace nuv {

class TBitmap;
class TIntMatrix;
class TIntVector;
class TMatrix;
class TVector;

// Linkage rules; their counterparts in scipy's linkage: single, complete,
// ward (on squared Euclidean distances), weighted, weighted again for
// cmFlexLink with Alpha 0.5 (Lance–Williams with β = 1 - 2α), average.
enum TClusterMethod : uint8_t {
  cmSingleLink,
  cmCompleteLink,
  cmWard,
  cmAvgLink,
  cmFlexLink,
  cmUpgma
};
inline constexpr std::array<std::string_view, 6> ClusterMethodID{
    "single linkage",  "complete linkage",  "Ward's method",
    "average linkage", "flexible strategy", "unweighted pair group"};

enum TKnnWMode : uint8_t { kwmGauss, kwmAverage, kwmMedian, kwmLinear };

enum TImgCompareMode : uint8_t {
  icmRed,
  icmBlue,
  icmGreen,
  icmHue,
  icmLightness,
  icmSaturation,
  icmGrayValues
};

// Tokens of arithmetic formulae, for callers that parse them.
enum TOperator : uint8_t {
  opNone,
  opNumber,
  opListElem,
  opAdd,
  opSubtract,
  opMultiply,
  opDivide,
  opMod,
  opPower,
  opEqual,
  opNotEqual,
  opLess,
  opLessEqual,
  opGreater,
  opGreaterEqual,
  opOpenPar,
  opClosePar,
  opPlusSign,
  opMinusSign,
  opSine,
  opCosine,
  opTangent,
  opArcSine,
  opArcCosine,
  opArcTan,
  opAbs,
  opSign,
  opSqrt,
  opSqr,
  opRound,
  opNDInt,
  opNDQuant,
  opNDDens,
  opSum,
  opMean,
  opVar,
  opTrue,
  opFalse,
  opExp,
  opLg,
  opGauss,
  opRand,
  opFrac,
  opInt,
  opAnd,
  opNot,
  opXor
};

// ---------------------------------------------------------------------------
// Nearest neighbours and kernels

// MeanDists[r] (r in FirstRow..LastRow, clamped and ordered) = mean
// Euclidean distance of object r to its k nearest objects of the range,
// itself included; k is clamped to 1..50 and to the size of the range.
// MeanDists is enlarged to LastRow elements when shorter.
void MeanDistanceKNN(const TMatrix& DataMat, int32_t k, int32_t FirstRow, int32_t LastRow,
                     TVector& MeanDists);

// Distance of object Row to the target, replacing the Euclidean one.
using TKnnDistFunc = std::function<double(int32_t Row)>;
// The k (at most 100 and the size of the range; none for k <= 0) rows of
// FirstRow..LastRow nearest to Target, by the Euclidean distance over
// Target's first elements (columns beyond DataMat take no part) or by
// DistFunc: NNResult row j gets the row index (column 1) and the distance
// (column 2), nearest first, equal distances in row order, NaN distances
// last. NNResult is enlarged to 2 columns and k rows when smaller.
void FindNearestNeighbors(int32_t k, const TMatrix& DataMat, int32_t FirstRow, int32_t LastRow,
                          const TVector& Target, TMatrix& NNResult,
                          const TKnnDistFunc& DistFunc = {});
// Estimate of the response at Target from its k nearest rows (k clamped to
// 1..rows): kwmGauss weights exp(-(d·Param/MeanDist)²) (the nearest
// neighbour's response when all weights underflow), kwmAverage the mean,
// kwmMedian the median, kwmLinear weights 1 - d/MeanDist/Param where
// positive (0 without any). MeanDist = the mean neighbour distance (0.001
// in the weights when 0). Response is indexed by row. Raises
// "EstimateByKNN: parameter of the weighting must be positive" for
// kwmLinear with Param <= 0 and for a NaN Param.
void EstimateByKNN(const TMatrix& DataMat, const TVector& Response, int32_t k, TKnnWMode WMode,
                   double Param, const TVector& Target, double& Estimate, double& MeanDist);
// exp(-min(|A - B|²/Width², 20)) over the common elements; raises
// "CalcGaussKernel: width must be positive" (also for NaN).
double CalcGaussKernel(const TVector& VecA, const TVector& VecB, double Width);
double CalcGaussKernelMat(const TVector& Vec, const TMatrix& Mat, int32_t Row, double Width);

// ---------------------------------------------------------------------------
// Clustering

// Lloyd's k-means from the first NumClusters objects as centres: every
// object goes to the nearest centre (squared Euclidean; the first on ties;
// NaN distances never win), centres become the means of their objects (a
// centre without objects the zero vector) until no assignment changes.
// Centers takes DataMat's shape when it differs (rows 1..NumClusters
// used), ClusterIDs one entry per object. i1 and i2 are not used. Raises
// "kMeansClustering: number of clusters must be positive", "kMeansClustering:
// number of clusters is greater than number of objects" and
// "kMeansClustering: max. number of iterations exceeded" (1000).
void kMeansClustering(const TMatrix& DataMat, int32_t i1, int32_t i2, int32_t NumClusters,
                      TMatrix& Centers, TIntVector& ClusterIDs);

using TClusterFeedback = std::function<void(TObject* Sender, int32_t ProcStat, double PercentDone)>;

// Hierarchical clustering of DataMat's rows from the distances of
// DataMat.CalcDistMat(DistMode) (Jaccard and Dice similarities s enter as
// 1 - s; OnCalcDist serves dmUserDef while the distances are computed).
// Step k merges the live pair p < q of the smallest distance (the first in
// row-major order) into slot q: ClustResult row k = (identifier of p, of
// q, n + k), ClustDist[k] the distance. XCoords[object] is its position
// 1..n in the dendrogram's leaf order, XCoords[n + k] the middle of the
// two merged clusters. Alpha (cmFlexLink only) below 0.5 or NaN becomes
// 0.75, above 1 becomes 1. Returns 0, or -1 after an abort (ClustDist and
// XCoords cleared, ClustResult zero). One object gives XCoords = [1] and
// no merges (ClustDist a single 0); none raises "AgglomClustering: there
// are no objects".
int32_t AgglomClustering(TObject* Sender, TMatrix& DataMat, TDistMode DistMode,
                         TClusterMethod Method, double Alpha, TIntMatrix& ClustResult,
                         TVector& ClustDist, TVector& XCoords, const TClusterFeedback& Feedback,
                         const TOnCalcDistanceEvent& OnCalcDist);

// Greedy farthest-point centres: NumCenters (i1) objects of the rows
// FirstRow (i2) .. LastRow (i3), clamped and ordered; the first is the
// object nearest to the mean of the range, each further one the object
// farthest from the centres found so far. Centers is resized to DataMat's
// columns × NumCenters rows; d receives the largest distance of an object
// of the range from its nearest centre. Raises "FindCenters: number of
// centres is out of range" (allowed 1..size of the range).
void FindCenters(const TMatrix& DataMat, int32_t i1, int32_t i2, int32_t i3, TMatrix& Centers,
                 double& d);

// ---------------------------------------------------------------------------
// Images and geometry

// Correlation coefficient of the pixel values of Area1 in Bmp1 and the
// area of equal size at Area2's top left in Bmp2. Areas are inclusive
// here (Right and Bottom are pixels of the area). Raises "image ranges to
// compare are not of equal size" (widths or heights differ) and "image
// range to compare lies outside its bitmap".
double CalcImgCorrelation(const TBitmap& Bmp1, const TBitmap& Bmp2, const TRect& Area1,
                          const TRect& Area2, TImgCompareMode Mode);

// Half-open crossing rule: edges whose x-range [min, max) holds X and
// which cross the vertical x = X above Y. False under three vertices.
bool PointIsInsidePolygon(double X, double Y, const TPDblArray& Polygon);
// Signed area, positive for counter-clockwise vertices.
double PolygonArea(const TPDblArray& Polygon);
// True strictly inside a counter-clockwise convex hull (boundary points
// are outside); false under three vertices.
bool PointIsInsideConvexHull(double X, double Y, const TPDblArray& Hull);
// Convex hull by angular sorting about the centroid, counter-clockwise in
// ascending angle. Points whose angles from the centroid differ by less
// than 1e-4 rad count as one (the farther is kept), which can drop a true
// vertex; collinear or identical points leave what survives. With three
// points or fewer the result is a copy.
TPDblArray Convex2DHull(const TPDblArray& Points);

// Great-circle distance on a sphere of the given radius, angles in
// degrees; accurate also for near and antipodal points.
double SphereGreatCircleDist(double Radius, double Lat1, double Long1, double Lat2, double Long2);

}  // namespace nuv
