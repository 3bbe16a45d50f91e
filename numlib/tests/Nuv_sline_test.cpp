// Straight lines against independent geometry: directions from
// math.atan2, intersections, distances and angles from exact sympy
// arithmetic, clipping from shapely (tools/ref/sline_ref.py).
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <string>
#include <type_traits>

#include "nuv/Nuv_sline.h"

namespace nuv {
namespace {

struct TDirectionRef {
  double A, B, Direction;
};
struct TLineCoef {
  double A, B, C;
};
struct TPairRef {
  TLineCoef L1, L2;
  bool Crossing;
  double X, Y, Angle;
};
struct TDistanceRef {
  TLineCoef L;
  double X, Y, Distance;
};
struct TClipBox {
  double XLow, YLow, XHigh, YHigh;
};
struct TChord {
  double X1, Y1, X2, Y2;
};
struct TClipRef {
  TLineCoef L;
  TClipBox Box;
  int32_t Points;  // 0 none, 1 a corner touched, 2 a chord
  TChord Ends;
};

#include "data/sline_ref.inc"

constexpr double kPi = std::numbers::pi;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// A line with the coefficients written directly (the constructions skip
// the setters' check, so no setter order matters).
class Line {
 public:
  explicit Line(const TLineCoef& c) : line_(nullptr) { Set(c); }
  Line(double a, double b, double c) : Line(TLineCoef{a, b, c}) {}
  void Set(const TLineCoef& c) {
    // ParB first so that A = 0 is accepted on the default line (B = 1).
    line_.SetParB(c.B == 0 ? 1 : c.B);
    line_.SetParA(c.A);
    line_.SetParB(c.B);
    line_.SetParC(c.C);
  }
  TSLine* operator->() { return &line_; }
  TSLine& operator*() { return line_; }

 private:
  TSLine line_;
};

std::string Text(const TLineCoef& c) {
  return std::to_string(c.A) + "x + " + std::to_string(c.B) + "y + " + std::to_string(c.C);
}

template <class F>
std::string MessageOf(F&& f) {
  try {
    f();
  } catch (const ENUVSLineError& e) {
    return e.Message();
  }
  return "no error";
}

TEST(TSLine, ErrorClassDerivesFromTheGeneralExceptionOnly) {
  static_assert(std::is_base_of_v<Exception, ENUVSLineError>);
  static_assert(!std::is_base_of_v<ENUVError, ENUVSLineError>);
  TComponent owner(nullptr);
  auto* l = new TSLine(&owner);
  EXPECT_EQ(owner.ComponentCount(), 1);
  l->SetName("Line1");
  // Plain texts, without the component prefix.
  EXPECT_EQ(MessageOf([&] { l->SetParB(0); }), "parameter A and B must not both be zero");
}

TEST(TSLine, NewLineIsTheXAxis) {
  TSLine l(nullptr);
  EXPECT_EQ(std::tuple(l.ParA(), l.ParB(), l.ParC(), l.SubstituteInf()), std::tuple(0.0, 1.0, 0.0, false));
  EXPECT_EQ(l.CalcY(5), 0.0);
  EXPECT_EQ(l.GetSlope(), 0.0);
  EXPECT_EQ(l.GetIntercept(), 0.0);
  EXPECT_EQ(l.GetDirect(), 0.0);
  EXPECT_FALSE(std::signbit(l.GetDirect()));
  EXPECT_EQ(MessageOf([&] { l.CalcX(1); }), "cannot calculate x");
}

TEST(TSLine, SettersRefuseBothCoefficientsZeroAndKeepTheLine) {
  TSLine l(nullptr);
  l.SetParA(2);
  l.SetParB(0);
  EXPECT_EQ(MessageOf([&] { l.SetParA(0); }), "parameter A and B must not both be zero");
  EXPECT_EQ(l.ParA(), 2.0);
  l.SetParA(5);
  l.SetParB(3);
  l.SetParA(0);
  EXPECT_EQ(MessageOf([&] { l.SetParB(-0.0); }), "parameter A and B must not both be zero");
  EXPECT_EQ(l.ParB(), 3.0);
  // C is free; NaN and infinite coefficients are not zero and are taken.
  l.SetParC(kNaN);
  l.SetParB(kInf);
  EXPECT_TRUE(std::isnan(l.ParC()));
  EXPECT_EQ(l.ParB(), kInf);
}

TEST(TSLine, ZeroCoefficientsRaiseUnlessSubstituted) {
  TSLine vertical(nullptr);  // 2x - 6 = 0
  vertical.SetParA(2);
  vertical.SetParB(0);
  vertical.SetParC(-6);
  EXPECT_EQ(vertical.CalcX(123), 3.0);
  EXPECT_EQ(MessageOf([&] { vertical.CalcY(1); }), "cannot calculate y");
  EXPECT_EQ(MessageOf([&] { vertical.GetSlope(); }), "slope is infinite");
  EXPECT_EQ(MessageOf([&] { vertical.GetIntercept(); }),
            "cannot calculate intercept (line is parallel to y axis)");
  double k = 7, d = 8;
  EXPECT_EQ(MessageOf([&] { vertical.CalcKDForm(k, d); }), "cannot convert to k-d-form if ParB is zero");
  EXPECT_EQ(std::pair(k, d), std::pair(7.0, 8.0));
  // The substitute divisor is 1e-100: a finite, huge answer.
  vertical.SetSubstituteInf(true);
  EXPECT_EQ(vertical.CalcY(1), (-1 * 2.0 + 6) / 1e-100);
  EXPECT_EQ(vertical.CalcY(3), 0.0);
  EXPECT_EQ(vertical.CalcY(1e300), -kInf);
  EXPECT_EQ(MessageOf([&] { vertical.GetSlope(); }), "slope is infinite") << "not substituted";
  TSLine horizontal(nullptr);
  horizontal.SetParC(4);
  horizontal.SetSubstituteInf(true);
  EXPECT_EQ(horizontal.CalcX(2), (-2 * 1.0 - 4) / 1e-100);
}

TEST(TSLine, SlopeInterceptAndKDForm) {
  TSLine l(nullptr);
  ASSERT_TRUE(l.LineFrom2Points(0, 0, 1, 1));
  EXPECT_EQ(std::tuple(l.ParA(), l.ParB(), l.ParC()), std::tuple(-1.0, 1.0, 0.0));
  EXPECT_EQ(l.GetSlope(), 1.0);
  EXPECT_EQ(l.GetDirect(), kPi / 4);
  EXPECT_DOUBLE_EQ(l.Distance(1, 0), std::sqrt(2.0) / 2);
  l.LineFromSlopeIcpt(-0.5, 3);
  EXPECT_EQ(std::tuple(l.ParA(), l.ParB(), l.ParC()), std::tuple(-0.5, -1.0, 3.0));
  double k = 0, d = 0;
  l.CalcKDForm(k, d);
  EXPECT_EQ(std::pair(k, d), std::pair(-0.5, 3.0));
  EXPECT_EQ(l.GetIntercept(), 3.0);
  EXPECT_EQ(l.CalcY(4), 1.0);
  EXPECT_EQ(l.CalcX(1), 4.0);
}

TEST(TSLine, LineFrom2PointsRefusesCoincidentAndNonFinitePoints) {
  TSLine l(nullptr);
  l.LineFromSlopeIcpt(2, 1);
  struct Case {
    double x1, y1, x2, y2;
  };
  for (const Case c : {Case{2, 3, 2, 3}, Case{-0.0, 0, 0, -0.0}, Case{kNaN, 0, 1, 1},
                       Case{0, 0, kInf, 1}, Case{0, -kInf, 1, 1}, Case{0, 0, 1, kNaN}}) {
    EXPECT_FALSE(l.LineFrom2Points(c.x1, c.y1, c.x2, c.y2)) << c.x1 << " " << c.y1 << " " << c.x2 << " " << c.y2;
    EXPECT_EQ(std::tuple(l.ParA(), l.ParB(), l.ParC()), std::tuple(2.0, -1.0, 1.0));
  }
  // Points far apart or nearly together still make a line through both.
  for (const Case c : {Case{1e300, -1e300, -1e300, 1e300}, Case{1, 1, 1 + 1e-15, 1}, Case{5e-324, 0, 0, 0}}) {
    ASSERT_TRUE(l.LineFrom2Points(c.x1, c.y1, c.x2, c.y2));
    EXPECT_FALSE(l.ParA() == 0 && l.ParB() == 0);
  }
}

TEST(TSLine, DirectionAgreesWithAtan2InEverySignCase) {
  for (const TDirectionRef& r : kDirectionRefs) {
    Line l(r.A, r.B, 0);
    const double got = l->GetDirect();
    // Angles just below a full turn may round to either end of it.
    const double diff = std::fabs(got - r.Direction);
    EXPECT_LE(std::min(diff, std::fabs(diff - 2 * kPi)), 4e-16 * 2 * kPi)
        << "A=" << r.A << " B=" << r.B << ": " << got << " want " << r.Direction;
    EXPECT_TRUE(got >= 0 && got <= 2 * kPi) << "A=" << r.A << " B=" << r.B;
  }
  // B = 0: straight down for A > 0, straight up otherwise.
  EXPECT_EQ(Line(1, 0, 5)->GetDirect(), 1.5 * kPi);
  EXPECT_EQ(Line(-1, 0, 5)->GetDirect(), 0.5 * kPi);
  EXPECT_EQ(Line(kNaN, 0, 5)->GetDirect(), 0.5 * kPi);
  EXPECT_TRUE(std::isnan(Line(kNaN, 1, 0)->GetDirect()));
  EXPECT_EQ(Line(-kInf, 1, 0)->GetDirect(), kPi / 2);
  // -1e-600 below the x axis is a full turn by the branch rule.
  EXPECT_EQ(Line(1e-300, 1e300, 0)->GetDirect(), 2 * kPi);
}

TEST(TSLine, IntersectionsAndAnglesAreExact) {
  for (const TPairRef& r : kPairRefs) {
    Line a(r.L1), b(r.L2);
    SCOPED_TRACE(Text(r.L1) + " with " + Text(r.L2));
    double x = 1234, y = 5678;
    ASSERT_EQ(a->InterSection(*b, x, y), r.Crossing);
    if (r.Crossing) {
      EXPECT_NEAR(x, r.X, 4e-16 * std::fabs(r.X) + 1e-300);
      EXPECT_NEAR(y, r.Y, 4e-16 * std::fabs(r.Y) + 1e-300);
    } else {
      EXPECT_EQ(std::pair(x, y), std::pair(1234.0, 5678.0)) << "outputs untouched";
    }
    EXPECT_NEAR(a->AngleBetweenLines(*b), r.Angle, 1e-15);
    EXPECT_NEAR(b->AngleBetweenLines(*a), r.Angle, 1e-15);
  }
  EXPECT_EQ(Line(1, 2, 0)->AngleBetweenLines(*Line(-2, 1, 7)), kPi / 2);
  EXPECT_EQ(Line(1, 2, 0)->AngleBetweenLines(*Line(2, 4, 7)), 0.0);
}

TEST(TSLine, NearlyParallelLinesCrossFarAway) {
  // Only an exactly zero determinant counts as parallel.
  Line a(1e-12, 1, 0), b(0, 1, -1);
  double x = 0, y = 0;
  ASSERT_TRUE(a->InterSection(*b, x, y));
  EXPECT_DOUBLE_EQ(x, -1e12);
  EXPECT_EQ(y, 1.0);
  EXPECT_DOUBLE_EQ(a->AngleBetweenLines(*b), 1e-12);
  Line c(1e-300, 1, 0), d(-1e-300, 1, 1);
  ASSERT_TRUE(c->InterSection(*d, x, y));
  EXPECT_DOUBLE_EQ(x, 5e299);
}

TEST(TSLine, DistancesAreExact) {
  for (const TDistanceRef& r : kDistanceRefs)
    EXPECT_NEAR(Line(r.L)->Distance(r.X, r.Y), r.Distance, 1e-15 * r.Distance)
        << Text(r.L) << " from " << r.X << "," << r.Y;
  EXPECT_TRUE(std::isnan(Line(1, 1, 0)->Distance(kNaN, 0)));
  EXPECT_EQ(Line(1, 1, 0)->Distance(kInf, 0), kInf);
}

TEST(TSLine, ConstructionsGoThroughThePointWithoutTheSettersCheck) {
  TSLine l(nullptr), m(nullptr);
  l.LineThroughPoint(2, 3, kPi / 6);
  EXPECT_NEAR(l.GetDirect(), kPi / 6, 1e-15);
  EXPECT_NEAR(l.Distance(2, 3), 0, 1e-15);
  m.ParallelLine(-1, 4, l);
  EXPECT_EQ(std::pair(m.ParA(), m.ParB()), std::pair(l.ParA(), l.ParB()));
  EXPECT_NEAR(m.Distance(-1, 4), 0, 1e-15);
  m.NormalLine(5, 5, l);
  EXPECT_NEAR(m.AngleBetweenLines(l), kPi / 2, 1e-15);
  EXPECT_NEAR(m.Distance(5, 5), 0, 1e-15);
  // The line itself as the argument.
  Line n(3, -4, 1);
  n->NormalLine(1, 2, *n);
  EXPECT_EQ(std::tuple(n->ParA(), n->ParB(), n->ParC()), std::tuple(4.0, 3.0, -10.0));
  n->ParallelLine(0, 1, *n);
  EXPECT_EQ(std::tuple(n->ParA(), n->ParB(), n->ParC()), std::tuple(4.0, 3.0, -3.0));
  // Written directly: a non-finite direction gives NaN coefficients, no error.
  l.LineThroughPoint(0, 0, kInf);
  EXPECT_TRUE(std::isnan(l.ParA()) && std::isnan(l.ParB()));
}

bool Near(double a, double b) { return std::fabs(a - b) <= 1e-9 * (1 + std::fabs(b)); }

TEST(TSLine, ClipBoxAgreesWithShapely) {
  for (const TClipRef& ref : kClipRefs) {
    const TClipBox& r = ref.Box;
    const TChord& e = ref.Ends;
    Line l(ref.L);
    SCOPED_TRACE(Text(ref.L) + " in " + std::to_string(r.XLow) + "," + std::to_string(r.YLow) +
                 ".." + std::to_string(r.XHigh) + "," + std::to_string(r.YHigh));
    double x1 = kNaN, y1 = kNaN, x2 = kNaN, y2 = kNaN;
    const bool hit = l->ClipBox(r.XLow, r.YLow, r.XHigh, r.YHigh, x1, y1, x2, y2);
    EXPECT_FALSE(l->SubstituteInf());
    ASSERT_EQ(hit, ref.Points > 0) << x1 << "," << y1 << " " << x2 << "," << y2;
    if (!hit) continue;
    if (ref.Points == 1) {
      EXPECT_TRUE(Near(x1, e.X1) && Near(y1, e.Y1) && Near(x2, e.X1) && Near(y2, e.Y1))
          << x1 << "," << y1 << " " << x2 << "," << y2;
      continue;
    }
    const bool same = Near(x1, e.X1) && Near(y1, e.Y1) && Near(x2, e.X2) && Near(y2, e.Y2);
    const bool swapped = Near(x1, e.X2) && Near(y1, e.Y2) && Near(x2, e.X1) && Near(y2, e.Y1);
    EXPECT_TRUE(same || swapped) << "got " << x1 << "," << y1 << " " << x2 << "," << y2 << " want "
                                 << e.X1 << "," << e.Y1 << " " << e.X2 << "," << e.Y2;
  }
}

TEST(TSLine, ClipBoxSearchesLeftRightBottomTop) {
  TSLine diagonal(nullptr);
  diagonal.LineFrom2Points(0, 0, 1, 1);
  double x1, y1, x2, y2;
  ASSERT_TRUE(diagonal.ClipBox(0, 0, 10, 10, x1, y1, x2, y2));
  EXPECT_EQ(std::tuple(x1, y1, x2, y2), std::tuple(0.0, 0.0, 10.0, 10.0));
  // Through a corner: the real exit, not the corner again.
  TSLine steep(nullptr);
  steep.LineFrom2Points(0, 0, 1, 2);
  ASSERT_TRUE(steep.ClipBox(0, 0, 10, 10, x1, y1, x2, y2));
  EXPECT_EQ(std::tuple(x1, y1, x2, y2), std::tuple(0.0, 0.0, 5.0, 10.0));
  // The first crossing found is the bottom edge's before the top's.
  TSLine down(nullptr);
  down.LineFrom2Points(3, 0, 4, 10);
  ASSERT_TRUE(down.ClipBox(0, 0, 10, 10, x1, y1, x2, y2));
  EXPECT_EQ(std::tuple(x1, y1, x2, y2), std::tuple(3.0, 0.0, 4.0, 10.0));
  // Through an inexact corner, where the two edges' candidates for the
  // corner differ in the last bits: still the far end of the chord.
  for (const double tx : {0.3, 0.35, 0.5, 0.7, 0.9}) {
    for (const double ty : {0.45, 0.8}) {
      TSLine corner(nullptr);
      corner.LineFrom2Points(0.1, 0.2, tx, ty);
      ASSERT_TRUE(corner.ClipBox(0.1, 0.2, 0.9, 0.8, x1, y1, x2, y2));
      if (!(Near(x1, 0.1) && Near(y1, 0.2))) std::swap(x1, x2), std::swap(y1, y2);
      EXPECT_TRUE(Near(x1, 0.1) && Near(y1, 0.2)) << "towards " << tx << "," << ty;
      EXPECT_TRUE(Near(x2, 0.9) || Near(y2, 0.8)) << "towards " << tx << "," << ty;
      EXPECT_NEAR(corner.Distance(x2, y2), 0, 1e-15);
    }
  }
  // Outside, given high to low, NaN bounds: no crossing.
  EXPECT_FALSE(diagonal.ClipBox(20, 0, 30, 5, x1, y1, x2, y2));
  EXPECT_FALSE(diagonal.ClipBox(10, 10, 0, 0, x1, y1, x2, y2));
  EXPECT_FALSE(diagonal.ClipBox(kNaN, 0, 10, 10, x1, y1, x2, y2));
  // A box of zero width is crossed in one point.
  ASSERT_TRUE(diagonal.ClipBox(4, 0, 4, 10, x1, y1, x2, y2));
  EXPECT_EQ(std::tuple(x1, y1, x2, y2), std::tuple(4.0, 4.0, 4.0, 4.0));
  // SubstituteInf is the caller's either way.
  diagonal.SetSubstituteInf(true);
  ASSERT_TRUE(diagonal.ClipBox(0, 0, 10, 10, x1, y1, x2, y2));
  EXPECT_TRUE(diagonal.SubstituteInf());
  // NaN coefficients find nothing.
  Line nan(kNaN, 1, 0);
  EXPECT_FALSE(nan->ClipBox(0, 0, 10, 10, x1, y1, x2, y2));
}

}  // namespace
}  // namespace nuv
