// The conversion formulas of Nuv_geobasics as templates over the working
// float type. The library instantiates them with double; the benchmark
// also runs the long double instantiation to show that extended
// intermediates change no result at the millimetre level.
#pragma once

#include <cmath>
#include <numbers>

namespace nuv::geobasics_detail {

template <class T>
inline constexpr T kDegToRad = std::numbers::pi_v<T> / 180;
template <class T>
inline constexpr T kRadToDeg = 180 / std::numbers::pi_v<T>;

// Everything the conversions need of one ellipsoid, derived from its axes
// without roots so that a table of all ellipsoids is a constant.
template <class T>
struct TEllipsoidConsts {
  T A;
  T B;
  T E2;        // 1 - b^2/a^2
  T Ep2;       // (a^2 - b^2)/b^2
  T OneMinusF; // b/a
  T NOverB;    // a^2/b, the radius of curvature at the pole
  // Meridian arc: length = Alpha (phi + sum Arc[k] sin(2(k+1) phi)).
  T Alpha;
  T Arc[4];
  // Footpoint latitude: phi = y' + sum Foot[k] sin(2(k+1) y').
  T Foot[4];
};

template <class T>
constexpr TEllipsoidConsts<T> MakeEllipsoidConsts(T a, T b) {
  const T n = (a - b) / (a + b);
  const T n2 = n * n, n3 = n2 * n, n4 = n3 * n, n5 = n4 * n;
  TEllipsoidConsts<T> c{};
  c.A = a;
  c.B = b;
  c.E2 = 1 - (b * b) / (a * a);
  c.Ep2 = (a * a - b * b) / (b * b);
  c.OneMinusF = b / a;
  c.NOverB = a * a / b;
  c.Alpha = ((a + b) / 2) * (1 + n2 / 4 + n4 / 64);
  c.Arc[0] = -3 * n / 2 + 9 * n3 / 16 - 3 * n5 / 32;
  c.Arc[1] = 15 * n2 / 16 - 15 * n4 / 32;
  c.Arc[2] = -35 * n3 / 48 + 105 * n5 / 256;
  c.Arc[3] = 315 * n4 / 512;
  c.Foot[0] = 3 * n / 2 - 27 * n3 / 32 + 269 * n5 / 512;
  c.Foot[1] = 21 * n2 / 16 - 55 * n4 / 32;
  c.Foot[2] = 151 * n3 / 96 - 417 * n5 / 128;
  c.Foot[3] = 1097 * n4 / 512;
  return c;
}

// x + sum_{k=1..4} c[k-1] sin(2k x), with one sine and cosine and the
// multiple-angle recurrence instead of four more sines.
template <class T>
T SineSeries(T x, const T (&c)[4]) {
  const T s = std::sin(2 * x), co = std::cos(2 * x);
  const T s4 = 2 * s * co;
  const T c4 = 1 - 2 * s * s;
  const T s6 = s4 * co + c4 * s;
  const T s8 = 2 * s4 * c4;
  return x + c[0] * s + c[1] * s4 + c[2] * s6 + c[3] * s8;
}

template <class T>
T ArcLengthOfMeridian(T phi, const TEllipsoidConsts<T>& c) {
  return c.Alpha * SineSeries(phi, c.Arc);
}

template <class T>
void GeoToCartesian(T latDeg, T longDeg, T h, const TEllipsoidConsts<T>& c, T& x, T& y,
                    T& z) {
  const T phi = latDeg * kDegToRad<T>, lambda = longDeg * kDegToRad<T>;
  const T sp = std::sin(phi), cp = std::cos(phi);
  const T n = c.A / std::sqrt(1 - c.E2 * sp * sp);
  x = (n + h) * cp * std::cos(lambda);
  y = (n + h) * cp * std::sin(lambda);
  z = (n * (1 - c.E2) + h) * sp;
}

// Bowring's closed form. The auxiliary angle mu and the latitude are used
// through their sine and cosine, taken straight from the vectors whose
// angles they are: on and near the polar axis an arc tangent of Z/p would
// round to a right angle whose cosine is not zero and flip the pole.
template <class T>
void CartesianToGeo(T x, T y, T z, const TEllipsoidConsts<T>& c, T& latDeg, T& longDeg,
                    T& h) {
  const T p = std::hypot(x, y);
  const T r = std::hypot(p, z);
  const T ea = c.E2 * c.A;
  if (p != 0 && r != 0) {  // NaN takes this way and stays NaN
    const T my = z * (c.OneMinusF + ea / r);
    const T hm = std::hypot(p, my);
    const T sm = my / hm, cm = p / hm;
    const T num = c.OneMinusF * z + ea * sm * sm * sm;
    const T den = c.OneMinusF * (p - ea * cm * cm * cm);
    if (!(den <= 0)) {
      const T hl = std::hypot(num, den);
      const T sl = num / hl, cl = den / hl;
      latDeg = std::atan2(num, den) * kRadToDeg<T>;
      longDeg = std::atan2(y, x) * kRadToDeg<T>;
      h = p * cl + z * sl - c.A * std::sqrt(1 - c.E2 * sl * sl);
      return;
    }
  }
  // On the polar axis (and deep inside the earth next to it, where the
  // closed form does not apply) the nearest surface point is the pole.
  latDeg = std::signbit(z) ? T(-90) : T(90);
  longDeg = p > 0 ? std::atan2(y, x) * kRadToDeg<T> : T(0);
  h = std::fabs(z) - c.B;
}

template <class T>
void LatLongToTM(T phi, T lambda, T lambda0, const TEllipsoidConsts<T>& c, T& x, T& y) {
  const T sp = std::sin(phi), cp = std::cos(phi);
  const T nu2 = c.Ep2 * cp * cp;
  const T n = c.NOverB / std::sqrt(1 + nu2);
  const T t = sp / cp, t2 = t * t, t4 = t2 * t2, t6 = t4 * t2;
  const T l = lambda - lambda0;
  const T q3 = 1 - t2 + nu2;
  const T q4 = 5 - t2 + 9 * nu2 + 4 * nu2 * nu2;
  const T q5 = 5 - 18 * t2 + t4 + 14 * nu2 - 58 * t2 * nu2;
  const T q6 = 61 - 58 * t2 + t4 + 270 * nu2 - 330 * t2 * nu2;
  const T q7 = 61 - 479 * t2 + 179 * t4 - t6;
  const T q8 = 1385 - 3111 * t2 + 543 * t4 - t6;
  // Powers of (l cos phi) in Horner form.
  const T lc = l * cp, lc2 = lc * lc;
  x = n * lc * (1 + lc2 * (q3 / 6 + lc2 * (q5 / 120 + lc2 * (q7 / 5040))));
  y = ArcLengthOfMeridian(phi, c) +
      t * n * lc2 * (T(1) / 2 + lc2 * (q4 / 24 + lc2 * (q6 / 720 + lc2 * (q8 / 40320))));
}

template <class T>
void TMToLatLong(T x, T y, T lambda0, const TEllipsoidConsts<T>& c, T& phi, T& lambda) {
  const T phif = SineSeries(y / c.Alpha, c.Foot);
  const T sf = std::sin(phif), cf = std::cos(phif);
  const T nu2 = c.Ep2 * cf * cf;
  const T nf = c.NOverB / std::sqrt(1 + nu2);
  const T t = sf / cf, t2 = t * t, t4 = t2 * t2, t6 = t4 * t2;
  const T p2 = -1 - nu2;
  const T p3 = -1 - 2 * t2 - nu2;
  const T p4 = 5 + 3 * t2 + 6 * nu2 - 6 * t2 * nu2 - 3 * nu2 * nu2 - 9 * t2 * nu2 * nu2;
  const T p5 = 5 + 28 * t2 + 24 * t4 + 6 * nu2 + 8 * t2 * nu2;
  const T p6 = -61 - 90 * t2 - 45 * t4 - 107 * nu2 + 162 * t2 * nu2;
  const T p7 = -61 - 662 * t2 - 1320 * t4 - 720 * t6;
  const T p8 = 1385 + 3633 * t2 + 4095 * t4 + 1575 * t6;
  // Powers of X/Nf in Horner form; the fractions x1..x8 of the series are
  // t/(k! Nf^k) and 1/(k! Nf^k cos phif).
  const T u = x / nf, u2 = u * u;
  phi = phif + t * u2 * (p2 / 2 + u2 * (p4 / 24 + u2 * (p6 / 720 + u2 * (p8 / 40320))));
  lambda = lambda0 + u / cf * (1 + u2 * (p3 / 6 + u2 * (p5 / 120 + u2 * (p7 / 5040))));
}

inline constexpr double kUTMScale = 0.9996;
inline constexpr double kUTMFalseEasting = 500000;
inline constexpr double kUTMFalseNorthing = 10000000;

// UTM grid coordinates about the central meridian lambda0 (radians).
template <class T>
void UTMForward(T latDeg, T longDeg, T lambda0, const TEllipsoidConsts<T>& c, T& easting,
                T& northing) {
  T x, y;
  LatLongToTM(latDeg * kDegToRad<T>, longDeg * kDegToRad<T>, lambda0, c, x, y);
  easting = T(kUTMScale) * x + T(kUTMFalseEasting);
  northing = T(kUTMScale) * y;
  if (northing < 0) northing += T(kUTMFalseNorthing);
}

template <class T>
void UTMInverse(T easting, T northing, T lambda0, bool southHemi, const TEllipsoidConsts<T>& c,
                T& latDeg, T& longDeg) {
  const T x = (easting - T(kUTMFalseEasting)) / T(kUTMScale);
  const T y = (southHemi ? northing - T(kUTMFalseNorthing) : northing) / T(kUTMScale);
  T phi, lambda;
  TMToLatLong(x, y, lambda0, c, phi, lambda);
  latDeg = phi * kRadToDeg<T>;
  longDeg = lambda * kRadToDeg<T>;
}

}  // namespace nuv::geobasics_detail
