// nuv dist: densities, integrals and quantiles of the normal, t, chi-squared,
// F and binomial distributions of the statistics unit.
#include <cmath>
#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "cli.h"
#include "nuv/Nuv_statis.h"
#include "nuv/Nuv_stringl.h"

namespace nuv::tool {

namespace {

constexpr const char* kDistDescription =
    "NAME is normal (standard), t, chi2, f or binomial. With --x X: the\n"
    "density (for binomial the probability of exactly X), P(X <= x) and\n"
    "P(X > x), the upper tail computed directly so that it keeps its\n"
    "precision far out. With --p P: the quantile, the x with P(X <= x) = P\n"
    "(for binomial the smallest k with P(X <= k) >= P).\n"
    "t and chi2 take --df DF, f takes --df DF1 DF2 (real, positive);\n"
    "binomial takes --n N and --prob P.";

struct TDistArgs {
  std::string Name;
  std::vector<double> X, P;
  std::vector<double> Df;
  int32_t N = -1;
  double Prob = -1;
  TOutputMode Output{false, 10};
};

struct TDistribution {
  std::string Title;
  std::function<double(double)> Density, Integral, UpperTail, Quantile;
};

void RequireDf(const TDistArgs& a, std::size_t count) {
  if (a.Df.size() != count)
    throw TUsageError("dist " + a.Name + ": --df needs " + std::to_string(count) + " value" +
                      (count > 1 ? "s" : ""));
  for (double df : a.Df)
    if (!(df > 0 && std::isfinite(df)))
      throw TUsageError("dist " + a.Name + ": --df must be positive and finite");
}

// P(X <= k) and P(X > k) of the binomial through the incomplete beta
// function; P(X = k) from the logarithm of the coefficient.
TDistribution Binomial(int32_t n, double p) {
  const auto cdf = [n, p](double k) {
    if (k < 0) return 0.0;
    if (k >= n) return 1.0;
    const double kk = std::floor(k);
    return IncompleteBeta(1 - p, n - kk, kk + 1);
  };
  const auto upper = [n, p](double k) {
    if (k < 0) return 1.0;
    if (k >= n) return 0.0;
    const double kk = std::floor(k);
    return IncompleteBeta(p, kk + 1, n - kk);
  };
  const auto pmf = [n, p](double k) {
    if (k != std::floor(k) || k < 0 || k > n) return 0.0;
    const auto ki = static_cast<int32_t>(k);
    if (p == 0 || p == 1) return (p == 0 ? ki == 0 : ki == n) ? 1.0 : 0.0;
    return std::exp(LnBinomCoeff(n, ki) + k * std::log(p) + (n - k) * std::log1p(-p));
  };
  const auto quantile = [n, cdf](double q) {
    int32_t lo = 0, hi = n;  // the smallest k with cdf(k) >= q lies in lo..hi
    while (lo < hi) {
      const int32_t mid = lo + (hi - lo) / 2;
      if (cdf(mid) >= q)
        hi = mid;
      else
        lo = mid + 1;
    }
    return static_cast<double>(lo);
  };
  return {"binomial (n = " + std::to_string(n) + ", p = " + Number(p, 10) + ")", pmf, cdf, upper,
          quantile};
}

TDistribution Select(const TDistArgs& a) {
  if (a.Name == "normal") {
    if (!a.Df.empty()) throw TUsageError("dist normal: takes no --df");
    return {"standard normal", nDistriDensity, nDistriIntegral,
            [](double x) { return nDistriIntegral(-x); }, nDistriQuantile};
  }
  if (a.Name == "t" || a.Name == "chi2") {
    RequireDf(a, 1);
    const double df = a.Df[0];
    const std::string title =
        (a.Name == "t" ? "t (df = " : "chi-squared (df = ") + Number(df, 10) + ")";
    if (a.Name == "t")
      return {title, [df](double x) { return tDistriDensity(x, df); },
              [df](double x) { return tDistriIntegral(x, df); },
              [df](double x) { return tDistriUpperTail(x, df); },
              [df](double p) { return tDistriQuantile(p, df); }};
    return {title, [df](double x) { return Chi2DistriDensity(x, df); },
            [df](double x) { return chi2DistriIntegral(x, df); },
            [df](double x) { return chi2DistriUpperTail(x, df); },
            [df](double p) { return chi2DistriQuantile(p, df); }};
  }
  if (a.Name == "f") {
    RequireDf(a, 2);
    const double d1 = a.Df[0], d2 = a.Df[1];
    return {"F (df = " + Number(d1, 10) + ", " + Number(d2, 10) + ")",
            [d1, d2](double x) { return FDistriDensity(x, d1, d2); },
            [d1, d2](double x) { return FDistriIntegral(x, d1, d2); },
            [d1, d2](double x) { return FDistriUpperTail(x, d1, d2); },
            [d1, d2](double p) { return FDistriQuantile(p, d1, d2); }};
  }
  if (a.Name == "binomial") {
    if (a.N < 0) throw TUsageError("dist binomial: --n N (a count of trials >= 0) is needed");
    if (!(a.Prob >= 0 && a.Prob <= 1))
      throw TUsageError("dist binomial: --prob P (a probability from 0 to 1) is needed");
    return Binomial(a.N, a.Prob);
  }
  throw TUsageError("dist: unknown distribution '" + a.Name + "' (normal, t, chi2, f, binomial)");
}

void Run(const TDistArgs& a) {
  if (a.X.empty() && a.P.empty()) throw TUsageError("dist: give --x or --p");
  for (double p : a.P) {
    // The normal quantile answers the ends with 0; refuse them instead.
    const bool open = a.Name == "normal";
    if (!(open ? p > 0 && p < 1 : p >= 0 && p <= 1))
      throw TUsageError(std::string("dist: --p must lie in ") + (open ? "(0, 1)" : "[0, 1]"));
  }
  const TDistribution d = Select(a);
  ordered_json values = ordered_json::array();
  if (!a.Output.Json) std::cout << d.Title << '\n';
  for (double x : a.X) {
    const double density = d.Density(x), lower = d.Integral(x), upper = d.UpperTail(x);
    values.push_back({{"x", x}, {"density", density}, {"integral", lower}, {"upper_tail", upper}});
    if (!a.Output.Json)
      std::cout << "  x = " << Number(x, a.Output.Digits) << ": "
                << (a.Name == "binomial" ? "P(X = x) " : "density ")
                << Number(density, a.Output.Digits) << ", P(X <= x) "
                << Number(lower, a.Output.Digits) << ", P(X > x) " << Number(upper, a.Output.Digits)
                << '\n';
  }
  for (double p : a.P) {
    const double q = d.Quantile(p);
    values.push_back({{"p", p}, {"quantile", q}});
    if (!a.Output.Json)
      std::cout << "  p = " << Number(p, a.Output.Digits) << ": quantile "
                << Number(q, a.Output.Digits) << '\n';
  }
  if (a.Output.Json) PrintJson({{"distribution", d.Title}, {"values", values}});
}

}  // namespace

void AddDistCommand(CLI::App& app) {
  auto a = std::make_shared<TDistArgs>();
  CLI::App* cmd = app.add_subcommand("dist", "densities, integrals and quantiles of distributions");
  cmd->footer(kDistDescription);
  cmd->add_option("NAME", a->Name, "normal, t, chi2, f or binomial")->required();
  cmd->add_option("--x", a->X, "values at which to evaluate (repeatable)")->check(Finite());
  cmd->add_option("--p", a->P, "probabilities whose quantiles to compute (repeatable)")
      ->check(Finite());
  cmd->add_option("--df", a->Df, "degrees of freedom (one; two for f)")->check(Finite());
  cmd->add_option("--n", a->N, "binomial: number of trials")->check(CLI::NonNegativeNumber);
  cmd->add_option("--prob", a->Prob, "binomial: probability of success")->check(Finite());
  AddOutputOptions(*cmd, a->Output);
  cmd->callback([a] { Run(*a); });
}

}  // namespace nuv::tool
