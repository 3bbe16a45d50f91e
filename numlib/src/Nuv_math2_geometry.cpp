// Image correlation, plane polygons and hulls, great circles.
#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "nuv/Nuv_math1.h"
#include "nuv/Nuv_math2.h"
#include "nuv/Nuv_nuvcolors.h"
#include "nuv/platform/Bitmap.h"

namespace nuv {

namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;

bool AreaInside(const TRect& a, const TBitmap& bmp) {
  return a.Left >= 0 && a.Left <= a.Right && a.Right < bmp.Width() && a.Top >= 0 &&
         a.Top <= a.Bottom && a.Bottom < bmp.Height();
}

double PixelValue(uint32_t argb, TImgCompareMode mode) {
  const int32_t r = (argb >> 16) & 0xFF, g = (argb >> 8) & 0xFF, b = argb & 0xFF;
  double h = 0, s = 0, i = 0;
  switch (mode) {
    case icmRed:
      return r;
    case icmBlue:
      return b;
    case icmGreen:
      return g;
    case icmGrayValues:
      return RGBtoGray(r, g, b);
    case icmHue:
    case icmLightness:
    case icmSaturation:
      RGBtoHSI(r, g, b, h, s, i);
      return mode == icmHue ? h : mode == icmLightness ? i : s;
  }
  return 0;
}

}  // namespace

double CalcImgCorrelation(const TBitmap& Bmp1, const TBitmap& Bmp2, const TRect& Area1,
                          const TRect& Area2, TImgCompareMode Mode) {
  if (int64_t{Area1.Right} - Area1.Left != int64_t{Area2.Right} - Area2.Left ||
      int64_t{Area1.Bottom} - Area1.Top != int64_t{Area2.Bottom} - Area2.Top)
    throw ENUVMath2Error("image ranges to compare are not of equal size");
  if (!AreaInside(Area1, Bmp1) || !AreaInside(Area2, Bmp2))
    throw ENUVMath2Error("image range to compare lies outside its bitmap");
  const QImage& img1 = Bmp1.Image();
  const QImage& img2 = Bmp2.Image();
  TCurveFit fit(nullptr);
  for (int32_t y = Area1.Top; y <= Area1.Bottom; ++y) {
    const auto* row1 = reinterpret_cast<const uint32_t*>(img1.constScanLine(y));
    const auto* row2 =
        reinterpret_cast<const uint32_t*>(img2.constScanLine(y - Area1.Top + Area2.Top));
    for (int32_t x = Area1.Left; x <= Area1.Right; ++x)
      fit.EnterStatValue(PixelValue(row1[x], Mode),
                         PixelValue(row2[x - Area1.Left + Area2.Left], Mode));
  }
  int32_t n = 0;
  double mx = 0, my = 0, sx = 0, sy = 0, md = 0, sd = 0, r = 0;
  fit.CalcStatistics(n, mx, my, sx, sy, md, sd, r);
  return r;
}

bool PointIsInsidePolygon(double X, double Y, const TPDblArray& Polygon) {
  const std::size_t n = Polygon.size();
  if (n < 3) return false;
  bool inside = false;
  for (std::size_t i = 0, j = n - 1; i < n; j = i++) {
    const TPointDouble& a = Polygon[j];
    const TPointDouble& b = Polygon[i];
    if ((a.X <= X) == (b.X <= X)) continue;
    if (a.Y + (X - a.X) * (b.Y - a.Y) / (b.X - a.X) > Y) inside = !inside;
  }
  return inside;
}

double PolygonArea(const TPDblArray& Polygon) {
  const std::size_t n = Polygon.size();
  if (n == 0) return 0;
  double s = (Polygon[n - 1].X - Polygon[0].X) * (Polygon[n - 1].Y + Polygon[0].Y);
  for (std::size_t i = 0; i + 1 < n; ++i)
    s += (Polygon[i].X - Polygon[i + 1].X) * (Polygon[i].Y + Polygon[i + 1].Y);
  return s / 2;
}

bool PointIsInsideConvexHull(double X, double Y, const TPDblArray& Hull) {
  const std::size_t n = Hull.size();
  if (n < 3) return false;
  for (std::size_t i = 0; i < n; ++i) {
    const TPointDouble& a = Hull[i];
    const TPointDouble& b = Hull[(i + 1) % n];
    if (!((b.X - a.X) * (Y - a.Y) - (b.Y - a.Y) * (X - a.X) > 0)) return false;
  }
  return true;
}

namespace {

struct THullPoint {
  double x, y, angle, r2;  // relative to the centroid
  std::size_t index;       // in the input
};

// Whether the middle point lies farther from the centroid than the chord
// from prev to next.
bool IsConvexCorner(const THullPoint& prev, const THullPoint& mid, const THullPoint& next) {
  if (prev.x != next.x) {
    const double k = (prev.y - next.y) / (prev.x - next.x);
    return std::fabs(mid.y - k * mid.x) > std::fabs(prev.y - k * prev.x);
  }
  return (prev.x - mid.x) * (prev.y - next.y) > 0;
}

// Of points closer in angle than 1e-4 rad only the farther stays (the
// first when equally far); the last is compared with the first.
std::vector<THullPoint> DropAngularTwins(const std::vector<THullPoint>& sorted) {
  std::vector<THullPoint> kept;
  for (const THullPoint& p : sorted) {
    if (!kept.empty() && p.angle - kept.back().angle < 1e-4) {
      if (p.r2 > kept.back().r2) kept.back() = p;
      continue;
    }
    kept.push_back(p);
  }
  if (kept.size() > 1 && kept.front().angle + kTwoPi - kept.back().angle < 1e-4) {
    if (kept.back().r2 > kept.front().r2)
      kept.erase(kept.begin());
    else
      kept.pop_back();
  }
  return kept;
}

}  // namespace

TPDblArray Convex2DHull(const TPDblArray& Points) {
  const std::size_t n = Points.size();
  if (n <= 3) return Points;
  double cx = 0, cy = 0;
  for (const TPointDouble& p : Points) {
    cx += p.X;
    cy += p.Y;
  }
  cx /= static_cast<double>(n);
  cy /= static_cast<double>(n);
  std::vector<THullPoint> pts;
  pts.reserve(n);
  for (const TPointDouble& p : Points) {
    const double x = p.X - cx, y = p.Y - cy;
    double angle = AngleToXAxis(x, y) + std::numbers::pi / 2;
    if (angle > kTwoPi) angle -= kTwoPi;
    pts.push_back({x, y, angle, x * x + y * y, pts.size()});
  }
  std::stable_sort(pts.begin(), pts.end(),
                   [](const THullPoint& a, const THullPoint& b) { return a.angle < b.angle; });
  pts = DropAngularTwins(pts);
  // Walk around the points, dropping concave corners; after a drop the
  // walk steps back so that the previous corner is judged again.
  const int32_t m = static_cast<int32_t>(pts.size());
  std::vector<bool> alive(m, true);
  int32_t count = m;
  auto following = [&](int32_t i) {
    do i = (i + 1) % m;
    while (!alive[i]);
    return i;
  };
  auto preceding = [&](int32_t i) {
    do i = (i + m - 1) % m;
    while (!alive[i]);
    return i;
  };
  int32_t prev = 0, mid = 1 % std::max(m, 1), next = 2 % std::max(m, 1);
  for (int32_t steps = 0; steps < 2 * m && count >= 3;) {
    if (IsConvexCorner(pts[prev], pts[mid], pts[next])) {
      prev = mid;
      mid = next;
      next = following(next);
      ++steps;
    } else {
      alive[mid] = false;
      --count;
      mid = prev;
      prev = preceding(prev);
    }
  }
  TPDblArray hull;
  for (int32_t i = 0; i < m; ++i)
    if (alive[i]) hull.push_back(Points[pts[i].index]);
  return hull;
}

double SphereGreatCircleDist(double Radius, double Lat1, double Long1, double Lat2, double Long2) {
  // The arctangent form of the central angle: as exact for neighbouring
  // and antipodal points as in between, unlike the arccosine of the
  // spherical law of cosines.
  constexpr double kDeg = std::numbers::pi / 180;
  const double p1 = Lat1 * kDeg, p2 = Lat2 * kDeg, dl = (Long2 - Long1) * kDeg;
  const double c1 = std::cos(p1), s1 = std::sin(p1), c2 = std::cos(p2), s2 = std::sin(p2);
  const double cdl = std::cos(dl), sdl = std::sin(dl);
  const double a = c2 * sdl, b = c1 * s2 - s1 * c2 * cdl;
  return Radius * std::atan2(std::hypot(a, b), s1 * s2 + c1 * c2 * cdl);
}

}  // namespace nuv
