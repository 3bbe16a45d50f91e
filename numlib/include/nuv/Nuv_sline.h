// Straight lines in the plane, in the general form A*x + B*y + C = 0:
// points on the line, slope and intercept, direction, distance of a point,
// intersection and angle with another line, parallels and normals, lines
// from two points or from slope and intercept, and clipping against an
// axis-parallel box. The coefficients are not normalised.
#pragma once

#include "nuv/Nuv_nuvbase.h"

namespace nuv {

// Derives from the general exception, not from ENUVError.
class ENUVSLineError : public Exception {
 public:
  using Exception::Exception;
};

class TSLine : public TComponent {
 public:
  // The x axis: A = 0, B = 1, C = 0.
  explicit TSLine(TComponent* AOwner);

  double ParA() const { return parA_; }
  // Raise ENUVSLineError "parameter A and B must not both be zero" (the
  // line unchanged) when A and B would both be 0.
  void SetParA(double value);
  double ParB() const { return parB_; }
  void SetParB(double value);
  double ParC() const { return parC_; }
  void SetParC(double value) { parC_ = value; }
  // When set, CalcX and CalcY divide by 1e-100 instead of raising on a zero
  // coefficient.
  bool SubstituteInf() const { return substituteInf_; }
  void SetSubstituteInf(bool value) { substituteInf_ = value; }

  // y of the point at x: (-x*A - C) / B; B = 0 raises "cannot calculate y".
  double CalcY(double x) const;
  // x of the point at y: (-y*B - C) / A; A = 0 raises "cannot calculate x".
  double CalcX(double y) const;
  // -A / B; B = 0 raises "slope is infinite".
  double GetSlope() const;
  // y at x = 0, -C / B; B = 0 raises "cannot calculate intercept (line is
  // parallel to y axis)".
  double GetIntercept() const;
  // The form y = k*x + d; B = 0 raises "cannot convert to k-d-form if ParB
  // is zero".
  void CalcKDForm(double& k, double& d) const;
  // Angle of the direction vector (B, -A) against the positive x axis, in
  // radians, 0 <= angle < 2*pi.
  double GetDirect() const;
  // Distance of the point (x, y) from the line.
  double Distance(double x, double y) const;
  // The crossing point with line; false, x and y untouched, when the
  // determinant A1*B2 - A2*B1 is exactly 0 (nearly parallel lines give
  // far-away crossings).
  bool InterSection(const TSLine& line, double& x, double& y) const;
  // The acute angle between the lines, 0..pi/2 radians.
  double AngleBetweenLines(const TSLine& line) const;

  // The line through two points. False, and the line unchanged, when the
  // points coincide or a coordinate is not finite.
  bool LineFrom2Points(double x1, double y1, double x2, double y2);
  // y = k*x + d: A = k, B = -1, C = d.
  void LineFromSlopeIcpt(double k, double d);
  // The constructions below set the coefficients directly, without the
  // check of the setters.
  // The line through (x, y) in direction phi (radians).
  void LineThroughPoint(double x, double y, double phi);
  // The parallel to line through (x, y); line may be this line.
  void ParallelLine(double x, double y, const TSLine& line);
  // The normal to line through (x, y); line may be this line.
  void NormalLine(double x, double y, const TSLine& line);

  // Where the line crosses the box [xLow, xHigh] x [yLow, yHigh] (bounds
  // inclusive, give or take rounding at the corners): the edges are
  // searched left, right, bottom, top, the first crossing found goes to
  // (x1, y1) and the other end of the chord to (x2, y2). A line that only
  // touches a corner gives that point twice; a line along an edge gives
  // the edge. False when the line misses the box, and for a box given high
  // to low or with a NaN bound; the outputs then carry no meaning.
  bool ClipBox(double xLow, double yLow, double xHigh, double yHigh, double& x1, double& y1,
               double& x2, double& y2) const;

 private:
  double parA_ = 0;
  double parB_ = 1;
  double parC_ = 0;
  bool substituteInf_ = false;
};

}  // namespace nuv
