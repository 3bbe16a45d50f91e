// The nuv tool as a user runs it: each command on files the tests write,
// its output (text and --json) against values from independent software,
// and the exit codes and messages of bad input.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <QImage>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "FileFixtures.h"
#include "RelativeError.h"
#include "TempDir.h"

extern char** environ;

namespace {

#include "data/nuv_tool_ref.inc"

using nlohmann::json;
using nuv::testing::ReadRawFile;
using nuv::testing::Rel;
using nuv::testing::TempDir;
using nuv::testing::WriteRawFile;

struct TRun {
  int Code = -1;
  std::string Out, Err;
};

// Runs nuv with the arguments and the given standard input.
TRun Nuv(std::vector<std::string> args, const std::string& input = "") {
  static int counter = 0;
  TempDir dir;
  const std::string in = dir.File("in"), out = dir.File("out"), err = dir.File("err");
  WriteRawFile(in, input);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, in.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  args.insert(args.begin(), NUV_TOOL);
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  TRun r;
  if (posix_spawn(&pid, NUV_TOOL, &actions, nullptr, argv.data(), environ) == 0) {
    int status = 0;
    waitpid(pid, &status, 0);
    r.Code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  posix_spawn_file_actions_destroy(&actions);
  r.Out = ReadRawFile(out);
  r.Err = ReadRawFile(err);
  ++counter;
  return r;
}

json Json(const TRun& r) {
  EXPECT_EQ(r.Code, 0) << r.Err;
  return json::parse(r.Out);
}

std::string Table(const TempDir& dir) {
  std::ostringstream csv;
  csv << "x,y,z,group\n";
  for (std::size_t i = 0; i < std::size(kX); ++i)
    csv << kX[i] << ',' << kY[i] << ',' << kZ[i] << ',' << kG[i] << '\n';
  const std::string file = dir.File("table.csv");
  WriteRawFile(file, csv.str());
  return file;
}

// ---------------------------------------------------------------------------

TEST(NuvTool, HelpVersionAndUsageErrors) {
  EXPECT_EQ(Nuv({"--help"}).Code, 0);
  const TRun v = Nuv({"--version"});
  EXPECT_EQ(v.Code, 0);
  EXPECT_EQ(v.Out.rfind("nuv ", 0), 0u) << v.Out;
  for (const std::string command :
       {"stats", "fit", "dist", "geo", "formula", "checksum", "demo", "units"})
    EXPECT_EQ(Nuv({command, "--help"}).Code, 0) << command;
  EXPECT_NE(Nuv({"formula", "--help"}).Out.find("'CO2' is cobalt"), std::string::npos);
  const TRun none = Nuv({});
  EXPECT_EQ(none.Code, 2);
  EXPECT_FALSE(none.Err.empty());
  EXPECT_EQ(Nuv({"frobnicate"}).Code, 2);
}

// CRC-32 and SHA-1 as python3's zlib.crc32 and hashlib.sha1 give them.
TEST(NuvTool, ChecksumsOfFiles) {
  TempDir dir;
  const std::string fox = dir.File("fox.txt"), empty = dir.File("empty");
  WriteRawFile(fox, "The quick brown fox jumps over the lazy dog");
  WriteRawFile(empty, "");
  const TRun r = Nuv({"checksum", fox, empty});
  ASSERT_EQ(r.Code, 0) << r.Err;
  EXPECT_EQ(r.Out, "414FA339  2FD4E1C67A2D28FCED849EE1BB76E7391B93EB12  " + fox + "\n" +
                       "00000000  DA39A3EE5E6B4B0D3255BFEF95601890AFD80709  " + empty + "\n");
  const TRun missing = Nuv({"checksum", fox, dir.File("gone")});
  EXPECT_EQ(missing.Code, 1);
  EXPECT_NE(missing.Err.find("gone: not a readable file"), std::string::npos) << missing.Err;
  EXPECT_NE(missing.Out.find("414FA339"), std::string::npos) << "the readable file is still done";
}

TEST(NuvTool, StatsAgainstNumpy) {
  TempDir dir;
  const json doc = Json(Nuv({"stats", Table(dir), "--cov", "--by", "group", "--json"}));
  ASSERT_EQ(doc["statistics"].size(), 3u);
  const double* expected[] = {kStatsX, kStatsY, kStatsZ};
  const char* keys[] = {"count", "mean", "stddev", "min", "q1", "median", "q3", "max"};
  for (int c = 0; c < 3; ++c)
    for (int k = 0; k < 8; ++k)
      EXPECT_TRUE(Rel(doc["statistics"][c][keys[k]].get<double>(), expected[c][k], 1e-13))
          << "column " << c << ' ' << keys[k];
  for (int i = 0; i < 9; ++i)
    EXPECT_TRUE(Rel(doc["covariance"][i / 3][i % 3].get<double>(), kCov[i], 1e-13)) << i;
  const json& classes = doc["by"]["classes"];
  ASSERT_EQ(classes.size(), 3u);
  for (int g = 0; g < 3; ++g) {
    EXPECT_EQ(classes[g]["class"].get<double>(), g + 1);
    const char* cols[] = {"x", "y", "z"};
    for (int c = 0; c < 3; ++c) {
      EXPECT_EQ(classes[g]["means"][cols[c]]["count"].get<double>(), kClassMeans[4 * g]);
      EXPECT_TRUE(Rel(classes[g]["means"][cols[c]]["mean"].get<double>(),
                      kClassMeans[4 * g + 1 + c], 1e-14))
          << "class " << g + 1 << ' ' << cols[c];
    }
  }
  const json corr = Json(Nuv({"stats", Table(dir), "--corr", "--json"}));
  for (int i = 0; i < 16; ++i) {
    if (i / 4 == 3 || i % 4 == 3) continue;  // the group column
    EXPECT_NEAR(corr["correlation"][i / 4][i % 4].get<double>(), kCorr[(i / 4) * 3 + i % 4], 1e-14)
        << i;
  }
  // The text form shows the same numbers.
  const TRun text = Nuv({"stats", Table(dir)});
  EXPECT_EQ(text.Code, 0);
  EXPECT_NE(text.Out.find("10.1545"), std::string::npos) << text.Out;
}

TEST(NuvTool, StatsBadInput) {
  TempDir dir;
  struct TCase {
    const char* Name;
    std::string Content;
    std::vector<std::string> Extra;
    int Code;
    const char* Message;
  } cases[] = {
      {"empty.csv", "", {}, 1, "no data"},
      {"text.csv", "a,b\n1,2\n3,four\n", {}, 1, "not a number"},
      {"unknown.csv", "a,b\n1,2\n3,4\n", {"--by", "c"}, 2, "no column 'c'"},
      {"digits.csv", "a,b\n1,2\n3,4\n", {"--digits", "0"}, 2, "--digits"},
      {"both.csv", "a,b\n1,2\n3,4\n", {"--cov", "--corr"}, 2, "excludes"},
      {"bad.asc", "comment\nx\n", {}, 1, "not an ASC table"},
  };
  for (const TCase& c : cases) {
    const std::string file = dir.File(c.Name);
    WriteRawFile(file, c.Content);
    std::vector<std::string> args{"stats", file};
    args.insert(args.end(), c.Extra.begin(), c.Extra.end());
    const TRun r = Nuv(args);
    EXPECT_EQ(r.Code, c.Code) << c.Name << ": " << r.Err;
    EXPECT_NE(r.Err.find(c.Message), std::string::npos) << c.Name << ": " << r.Err;
    EXPECT_TRUE(r.Out.empty() || c.Code == 0) << c.Name;
  }
  const TRun missing = Nuv({"stats", dir.File("missing.csv")});
  EXPECT_EQ(missing.Code, 1);
  EXPECT_NE(missing.Err.find("missing.csv: no such file"), std::string::npos) << missing.Err;
  EXPECT_EQ(Nuv({"stats", dir.Path().string()}).Code, 1);
  // Short rows leave empty cells, which the counts leave out; the user is told.
  const std::string ragged = dir.File("ragged.csv");
  WriteRawFile(ragged, "a,b\n1,2\n3\n5,6\n");
  const TRun r = Nuv({"stats", ragged, "--json"});
  EXPECT_EQ(Json(r)["statistics"][1]["count"].get<int>(), 2);
  EXPECT_NE(r.Err.find("1 empty cells"), std::string::npos) << r.Err;
}

TEST(NuvTool, FitsAgainstNumpyAndScipy) {
  TempDir dir;
  const std::string t = Table(dir);
  const json line = Json(Nuv({"fit", t, "--x", "x", "--y", "y", "--line", "--json"}));
  EXPECT_TRUE(Rel(line["slope"].get<double>(), kLine[0], 1e-13));
  EXPECT_TRUE(Rel(line["intercept"].get<double>(), kLine[1], 1e-12));
  EXPECT_TRUE(Rel(line["r2"].get<double>(), kLine[2], 1e-13));
  EXPECT_EQ(line["points"].get<int>(), 11);
  const json poly = Json(Nuv({"fit", t, "--x", "1", "--y", "2", "--poly", "2", "--json"}));
  for (int j = 0; j < 3; ++j)
    EXPECT_TRUE(Rel(poly["coefficients"][j].get<double>(), kPoly2[j], 1e-10)) << "c" << j;
  EXPECT_TRUE(Rel(poly["r2"].get<double>(), kPoly2[3], 1e-12));
  const json spline = Json(
      Nuv({"fit", t, "--x", "x", "--y", "y", "--spline", "--at", "2.5", "--at", "7.25", "--json"}));
  for (int i = 0; i < 2; ++i)
    EXPECT_TRUE(Rel(spline["values"][i]["y"].get<double>(), kSplineY[i], 1e-12)) << kSplineAt[i];

  std::ostringstream circle;
  circle.precision(17);
  circle << "u;v\n";
  for (std::size_t i = 0; i < std::size(kCircleX); ++i)
    circle << kCircleX[i] << ';' << kCircleY[i] << '\n';
  const std::string c = dir.File("circle.csv");
  WriteRawFile(c, circle.str());
  const json fit = Json(Nuv({"fit", c, "--x", "u", "--y", "v", "--circle", "--json"}));
  EXPECT_TRUE(Rel(fit["radius"].get<double>(), kCircle[0], 1e-12));
  EXPECT_TRUE(Rel(fit["center_x"].get<double>(), kCircle[1], 1e-12));
  EXPECT_TRUE(Rel(fit["center_y"].get<double>(), kCircle[2], 1e-12));
}

TEST(NuvTool, FitFailuresWriteNothing) {
  TempDir dir;
  const std::string one = dir.File("one.csv"), line = dir.File("line.csv"), png = dir.File("p.png");
  WriteRawFile(one, "x,y\n1,2\n");
  WriteRawFile(line, "x,y\n1,1\n2,2\n3,3\n");
  struct TCase {
    std::vector<std::string> Args;
    int Code;
    const char* Message;
  } cases[] = {
      {{"fit", one, "--x", "x", "--y", "y", "--line", "--plot", png}, 1, "not enough data points"},
      {{"fit", line, "--x", "x", "--y", "y", "--circle", "--plot", png}, 1, "radius is infinite"},
      {{"fit", line, "--x", "x", "--y", "y", "--line", "--circle"}, 2, "exactly one"},
      {{"fit", line, "--x", "x", "--y", "w", "--line"}, 2, "no column 'w'"},
      {{"fit", line, "--x", "x", "--y", "y", "--poly", "11"}, 2, "--poly"},
      {{"fit", line, "--x", "x", "--y", "y", "--spline", "--smooth", "nan"}, 2, "finite"},
      {{"fit", line, "--x", "x", "--y", "y", "--line", "--size", "20x20", "--plot", png},
       2,
       "--size"},
      {{"fit", line, "--x", "x", "--y", "y", "--line", "--plot", dir.File("no/such/dir.png")},
       1,
       "cannot be written"},
  };
  for (const TCase& c : cases) {
    const TRun r = Nuv(c.Args);
    EXPECT_EQ(r.Code, c.Code) << c.Args[5] << ' ' << c.Args.back() << ": " << r.Err;
    EXPECT_NE(r.Err.find(c.Message), std::string::npos) << r.Err;
  }
  EXPECT_FALSE(std::filesystem::exists(png));
}

// The plot's axes run along the plot area's left and bottom edges; the
// table's x (0..10) and y (0.5..20) give axes from 0 to 10 and 0 to 20.
TEST(NuvTool, PlotPixels) {
  TempDir dir;
  const std::string png = dir.File("fit.png");
  const TRun r = Nuv(
      {"fit", Table(dir), "--x", "x", "--y", "y", "--line", "--plot", png, "--size", "600x400"});
  ASSERT_EQ(r.Code, 0) << r.Err;
  const QImage image(QString::fromStdString(png));
  ASSERT_EQ(image.width(), 600);
  ASSERT_EQ(image.height(), 400);
  const int left = 80, right = 600 - 24, top = 24, bottom = 400 - 56;
  const auto at = [&](double x, double y) {
    return QPoint(static_cast<int>(std::lround(left + x / 10 * (right - left))),
                  static_cast<int>(std::lround(bottom - y / 20 * (bottom - top))));
  };
  for (int y = top; y <= bottom; y += 37)
    EXPECT_EQ(image.pixel(left, y) & 0xFFFFFF, 0u) << "y axis " << y;
  for (int x = left; x <= right; x += 41)
    EXPECT_EQ(image.pixel(x, bottom) & 0xFFFFFF, 0u) << "x axis " << x;
  for (std::size_t i = 1; i + 1 < std::size(kX); ++i)
    EXPECT_EQ(image.pixel(at(kX[i], kY[i])) & 0xFFFFFF, 0x0000FFu) << "point " << i;
  // The fitted line passes through (5.5, 5.5k + d), between two points.
  const QPoint mid = at(5.5, 5.5 * kLine[0] + kLine[1]);
  bool red = false;
  for (int dy = -2; dy <= 2; ++dy)
    red |= (image.pixel(mid.x(), mid.y() + dy) & 0xFFFFFF) == 0xFF0000u;
  EXPECT_TRUE(red);
  EXPECT_EQ(image.pixel(300, 100) & 0xFFFFFF, 0xFFFFFFu) << "background";
}

TEST(NuvTool, DistributionsAgainstScipy) {
  struct TCase {
    std::vector<std::string> Args;
    int First;  // index into kDist: density, integral, upper tail, quantile
  } cases[] = {
      {{"t", "--x", "2", "--p", "0.975", "--df", "5"}, 0},
      {{"chi2", "--x", "3.5", "--p", "0.95", "--df", "4"}, 4},
      {{"f", "--x", "2.5", "--p", "0.95", "--df", "3", "10"}, 8},
      {{"normal", "--x", "1.5", "--p", "0.9"}, 12},
      {{"binomial", "--x", "3", "--p", "0.5", "--n", "10", "--prob", "0.3"}, 16},
  };
  for (const TCase& c : cases) {
    std::vector<std::string> args{"dist"};
    args.insert(args.end(), c.Args.begin(), c.Args.end());
    args.push_back("--json");
    const json d = Json(Nuv(args));
    const json& v = d["values"];
    EXPECT_TRUE(Rel(v[0]["density"].get<double>(), kDist[c.First], 1e-12)) << c.Args[0];
    EXPECT_TRUE(Rel(v[0]["integral"].get<double>(), kDist[c.First + 1], 1e-12)) << c.Args[0];
    EXPECT_TRUE(Rel(v[0]["upper_tail"].get<double>(), kDist[c.First + 2], 1e-12)) << c.Args[0];
    EXPECT_TRUE(Rel(v[1]["quantile"].get<double>(), kDist[c.First + 3], 1e-11)) << c.Args[0];
  }
  const json tail = Json(Nuv({"dist", "t", "--x", "40", "--df", "3", "--json"}));
  EXPECT_TRUE(Rel(tail["values"][0]["upper_tail"].get<double>(), kDist[20], 1e-12));
}

TEST(NuvTool, DistributionUsageErrors) {
  const std::vector<std::vector<std::string>> cases = {
      {"dist", "t", "--x", "1"},                 // no df
      {"dist", "t", "--x", "1", "--df", "0"},    // df not positive
      {"dist", "f", "--x", "1", "--df", "3"},    // one df for F
      {"dist", "t", "--p", "1.5", "--df", "3"},  // p out of range
      {"dist", "normal", "--p", "0"},            // the end of the support
      {"dist", "normal", "--x", "abc"},          // not a number
      {"dist", "normal", "--x", "nan"},          // not finite
      {"dist", "gamma", "--x", "1"},             // unknown distribution
      {"dist", "normal"},                        // neither --x nor --p
      {"dist", "binomial", "--x", "1", "--prob", "2", "--n", "3"},
  };
  for (const auto& c : cases) {
    const TRun r = Nuv(c);
    EXPECT_EQ(r.Code, 2) << c[1] << ' ' << c.back() << ": " << r.Err;
    EXPECT_FALSE(r.Err.empty());
    EXPECT_TRUE(r.Out.empty()) << r.Out;
  }
}

std::vector<std::string> Words(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> w;
  for (std::string s; in >> s;) w.push_back(s);
  return w;
}

TEST(NuvTool, GeoAgainstGeographicLib) {
  std::string input;
  for (const char* line : kGeoIn) input += std::string(line) + '\n';
  const TRun r = Nuv({"geo", "--to", "utm"}, input);
  ASSERT_EQ(r.Code, 0) << r.Err;
  std::istringstream out(r.Out);
  for (const char* expected : kUTMLines) {
    std::string line;
    std::getline(out, line);
    const auto got = Words(line), want = Words(expected);
    ASSERT_EQ(got.size(), 3u) << line;
    EXPECT_EQ(std::stoi(got[0]), std::stoi(want[0])) << line;
    EXPECT_EQ(got[1], want[1]) << expected;
    EXPECT_EQ(got[2], want[2]) << expected;
  }
  // Degrees, minutes and seconds with hemisphere letters, in either order.
  const TRun dms = Nuv({"geo", "13d24'18\"E", "52d31'12\"N"});
  EXPECT_EQ(Words(dms.Out)[0], "33U") << dms.Out << dms.Err;
  const TRun back = Nuv({"geo", "--to", "geo", "33n", "391779.259", "5820072.159"});
  ASSERT_EQ(back.Code, 0) << back.Err;
  EXPECT_NEAR(std::stod(Words(back.Out)[0]), kFromUTM[0], 1e-8);
  EXPECT_NEAR(std::stod(Words(back.Out)[1]), kFromUTM[1], 1e-8);
  const json cart = Json(Nuv({"geo", "--to", "geocentric", "48.1", "11.5", "500", "--json"}));
  EXPECT_NEAR(cart["output"]["x"].get<double>(), kGeocentric[0], 5e-4);
  EXPECT_NEAR(cart["output"]["y"].get<double>(), kGeocentric[1], 5e-4);
  EXPECT_NEAR(cart["output"]["z"].get<double>(), kGeocentric[2], 5e-4);
  const TRun round = Nuv(
      {"geo", "--from", "geocentric", "--to", "geo", "4182105.122", "850858.903", "4724681.421"});
  EXPECT_NEAR(std::stod(Words(round.Out)[2]), 500, 1e-3) << round.Out;
}

// Datums by number or by name; the shift there and back returns to the
// start within the few millimetres of the negated-parameter inverse.
TEST(NuvTool, GeoDatumShifts) {
  const TRun list = Nuv({"geo", "--list-datums"});
  EXPECT_EQ(std::count(list.Out.begin(), list.Out.end(), '\n'), 271);
  EXPECT_NE(list.Out.find("269\tWORLD GEODETIC SYSTEM 1984\tWorld\tWGS84"), std::string::npos);
  const TRun there = Nuv({"geo", "--datum", "101", "--to-datum", "WORLD GEODETIC SYSTEM 1984",
                          "--to", "geo", "--precision", "4", "48.2", "16.4", "200"});
  ASSERT_EQ(there.Code, 0) << there.Err;
  const auto w = Words(there.Out);
  ASSERT_EQ(w.size(), 3u);
  EXPECT_GT(std::fabs(std::stod(w[0]) - 48.2) + std::fabs(std::stod(w[1]) - 16.4), 1e-4)
      << "no shift";
  const TRun back = Nuv({"geo", "--datum", "269", "--to-datum", "101", "--to", "geo", "--precision",
                         "4", w[0], w[1], w[2]});
  const auto b = Words(back.Out);
  ASSERT_EQ(b.size(), 3u) << back.Err;
  EXPECT_NEAR(std::stod(b[0]), 48.2, 1e-7);
  EXPECT_NEAR(std::stod(b[1]), 16.4, 1e-7);
  EXPECT_NEAR(std::stod(b[2]), 200, 0.01);
  EXPECT_EQ(Nuv({"geo", "--datum", "ADINDAN", "--to-datum", "269", "1", "2"}).Code, 2)
      << "ambiguous name";
  EXPECT_EQ(
      Nuv({"geo", "--datum", "3", "--to-datum", "269", "--ellipsoid", "GRS80", "1", "2"}).Code, 2);
  EXPECT_EQ(Nuv({"geo", "--datum", "0", "--to-datum", "269", "1", "2"}).Code, 2);
}

TEST(NuvTool, GeoBatchGoesOnAfterBadLines) {
  const TRun r = Nuv({"geo"}, "52.52 13.405\nfoo\n91 0\n0 nan\n-33.9 18.4\n10 200\n");
  EXPECT_EQ(r.Code, 1);
  std::istringstream out(r.Out);
  std::vector<std::string> lines;
  for (std::string l; std::getline(out, l);) lines.push_back(l);
  ASSERT_EQ(lines.size(), 6u) << r.Out;
  EXPECT_EQ(Words(lines[0])[0], "33U");
  for (int i : {1, 2, 3, 5}) EXPECT_TRUE(lines[i].empty()) << i;
  EXPECT_EQ(Words(lines[4])[0], "34H");
  for (const char* m : {"line 2:", "line 3: latitude beyond", "line 4:", "line 6: longitude beyond",
                        "4 of 6 lines"})
    EXPECT_NE(r.Err.find(m), std::string::npos) << m << '\n' << r.Err;
  EXPECT_EQ(Nuv({"geo", "--to", "mars"}).Code, 2);
  EXPECT_EQ(Nuv({"geo", "--ellipsoid", "Flat"}).Code, 2);
  EXPECT_EQ(Nuv({"geo", "--datum", "3"}).Code, 2);
  EXPECT_EQ(Nuv({"geo", "85", "10"}).Code, 1) << "outside UTM";
}

TEST(NuvTool, FormulaMassesAgainstRDKit) {
  const char* texts[] = {"C8 H10 N4 O2", "C6H12O6", "C6 H5 Br"};
  for (int i = 0; i < 3; ++i) {
    const json f = Json(Nuv({"formula", texts[i], "--json"}));
    EXPECT_NEAR(f["exact_mass"].get<double>(), kMasses[2 * i], 1e-5) << texts[i];
    EXPECT_TRUE(Rel(f["chemical_weight"].get<double>(), kMasses[2 * i + 1], 1e-4)) << texts[i];
  }
  const json co2 = Json(Nuv({"formula", "CO2", "--json"}));
  EXPECT_EQ(co2["entries"][0]["element"], "Co") << "CO2 reads as cobalt";
  const TRun bad = Nuv({"formula", "C6 H5 Xx"});
  EXPECT_EQ(bad.Code, 1);
  EXPECT_NE(bad.Err.find("reading stopped at character 7"), std::string::npos) << bad.Err;
  EXPECT_TRUE(bad.Out.empty());
  EXPECT_EQ(Nuv({"formula"}).Code, 2);
  const TRun nested = Nuv({"formula", "K4(Fe(C N)6)"});
  EXPECT_EQ(nested.Code, 1) << "groups do not nest";
  EXPECT_NE(nested.Err.find("character 6"), std::string::npos) << nested.Err;
}

TEST(NuvTool, FormulaSearch) {
  const json s = Json(Nuv({"formula", "search", "194.080376", "--tol", "0.001", "--exact",
                           "--elements", "C0-10,H0-20,N0-4,O0-4", "--json"}));
  bool caffeine = false;
  for (const json& hit : s["hits"]) {
    EXPECT_NEAR(hit["exact_mass"].get<double>(), 194.080376, 0.001) << hit["formula"];
    caffeine |= hit["formula"] == "C8 H10 N4 O2";
  }
  EXPECT_TRUE(caffeine);
  EXPECT_TRUE(s["complete"].get<bool>());
  const TRun limited = Nuv({"formula", "search", "194", "--tol", "1", "--limit", "3"});
  EXPECT_EQ(limited.Code, 0);
  EXPECT_EQ(std::count(limited.Out.begin(), limited.Out.end(), '\n'), 3);
  for (const std::vector<std::string>& c : std::vector<std::vector<std::string>>{
           {"formula", "search", "194", "--tol", "0"},
           {"formula", "search", "194", "--tol", "-1"},
           {"formula", "search", "194", "--tol", "1", "--elements", "C9-2"},
           {"formula", "search", "194", "--tol", "1", "--elements", "Qq0-2"},
           {"formula", "search", "-5", "--tol", "1"}})
    EXPECT_EQ(Nuv(c).Code, 2) << c.back();
}

TEST(NuvTool, MapRenderOfAnEmptyMap) {
  TempDir dir;
  const std::string png = dir.File("map.png");
  // 460 x 360 pixels with a 30-pixel margin: 50 pixels per degree of
  // latitude from 40 at y = 330, 40 per degree of longitude from 10 at x = 30.
  const TRun r = Nuv({"map", "render", dir.File("blank.xml"), "--empty", "40", "46", "10", "20",
                      "--size", "460x360", "-o", png});
  ASSERT_EQ(r.Code, 0) << r.Err;
  EXPECT_NE(r.Out.find("model: biquadraticpn"), std::string::npos) << r.Out;
  EXPECT_NE(r.Out.find("top-left: 46.6 9.25"), std::string::npos) << r.Out;
  EXPECT_NE(r.Out.find("bottom-right: 39.4 20.75"), std::string::npos) << r.Out;
  EXPECT_TRUE(std::filesystem::exists(dir.File("blank.bmp")));
  const QImage image(QString::fromStdString(png));
  ASSERT_EQ(image.width(), 460);
  ASSERT_EQ(image.height(), 360);
  // The graticule of whole degrees in blue over the generated map.
  for (int lon = 10; lon <= 20; ++lon)
    EXPECT_EQ(image.pixel(30 + 40 * (lon - 10), 100) & 0xFFFFFF, 0x0000FFu) << "meridian " << lon;
  for (int lat = 40; lat <= 46; ++lat)
    EXPECT_EQ(image.pixel(215, 330 - 50 * (lat - 40)) & 0xFFFFFF, 0x0000FFu) << "parallel " << lat;
  EXPECT_EQ(image.pixel(215, 305) & 0xFFFFFF, 0xFFFFFFu) << "between the lines";
  EXPECT_EQ(image.pixel(0, 180) & 0xFFFFFF, 0u) << "frame";
  // Rendered again from the files written, with the points.
  const TRun again = Nuv({"map", "render", dir.File("blank.xml"), "--show", "points", "--size",
                          "230x180", "-o", dir.File("half.png"), "--json"});
  ASSERT_EQ(again.Code, 0) << again.Err;
  EXPECT_EQ(json::parse(again.Out)["magnification"], 0.5);
  EXPECT_EQ(QImage(QString::fromStdString(dir.File("half.png"))).width(), 230);
}

TEST(NuvTool, MapRenderBadInput) {
  TempDir dir;
  const std::string png = dir.File("m.png");
  EXPECT_EQ(Nuv({"map", "render", dir.File("none.xml"), "-o", png}).Code, 1);
  EXPECT_EQ(
      Nuv({"map", "render", dir.File("e.xml"), "--empty", "40", "40", "10", "20", "-o", png}).Code,
      1);
  ASSERT_EQ(
      Nuv({"map", "render", dir.File("e.xml"), "--empty", "40", "41", "10", "11", "-o", png}).Code,
      0);
  EXPECT_EQ(Nuv({"map", "render", dir.File("e.xml"), "--show", "utm", "-o", png}).Code, 1);
  for (const std::vector<std::string>& c :
       {std::vector<std::string>{"map", "render", "x.xml", "--size", "10x10", "-o", "p.png"},
        {"map", "render", "x.xml", "--show", "grid", "-o", "p.png"},
        {"map", "render", "x.xml", "--empty", "1", "2", "3", "-o", "p.png"},
        {"map", "render", "x.xml"}})
    EXPECT_EQ(Nuv(c).Code, 2) << c[3];
  EXPECT_FALSE(std::filesystem::exists("p.png"));
}

#include "data/nuv_mol_ref.inc"

// Pixels of the structure colour (BGR 000080, dark red) in a PNG.
int InkPixels(const QImage& image) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) n += (image.pixel(x, y) & 0xFFFFFF) == 0x800000u;
  return n;
}

TEST(NuvTool, MolDrawAgainstRDKit) {
  TempDir dir;
  const std::string sdf = dir.File("two.sdf"), png = dir.File("m.png");
  WriteRawFile(sdf, kMolSd);
  for (int record = 1; record <= 2; ++record) {
    const json j =
        Json(Nuv({"mol", "draw", sdf, "--record", std::to_string(record), "-o", png, "--json"}));
    const TMolRef& ref = kMolRefs[record - 1];
    EXPECT_EQ(j["name"], ref.Name);
    std::string formula = j["formula"];
    formula.erase(std::remove(formula.begin(), formula.end(), ' '), formula.end());
    EXPECT_EQ(formula, ref.Formula) << ref.Name;
    EXPECT_TRUE(Rel(j["weight"].get<double>(), ref.Weight, 1e-4)) << ref.Name;
    const QImage image(QString::fromStdString(png));
    ASSERT_EQ(image.width(), 300) << ref.Name;
    ASSERT_EQ(image.height(), 200) << ref.Name;
    EXPECT_GT(InkPixels(image), 100) << ref.Name;
    EXPECT_EQ(image.pixel(0, 100) & 0xFFFFFF, 0x808080u) << "raised frame";
    EXPECT_EQ(image.pixel(150, 4) & 0xFFFFFF, 0xFFFFFFu) << "white background";
  }
  // A molfile (the first record alone), in another size and mode.
  const std::string mol = dir.File("caffeine.mol");
  WriteRawFile(mol, std::string(kMolSd).substr(0, std::string(kMolSd).find("$$$$")));
  const TRun r = Nuv({"mol", "draw", mol, "--mode", "all", "--size", "500x240", "-o", png});
  ASSERT_EQ(r.Code, 0) << r.Err;
  EXPECT_NE(r.Out.find("name     caffeine"), std::string::npos) << r.Out;
  EXPECT_NE(r.Out.find("formula  C8 H10 N4 O2"), std::string::npos) << r.Out;
  EXPECT_EQ(QImage(QString::fromStdString(png)).width(), 500);
}

TEST(NuvTool, MolDrawOptimizeIsRepeatable) {
  TempDir dir;
  const std::string sdf = dir.File("two.sdf");
  WriteRawFile(sdf, kMolSd);
  std::string first;
  for (int run = 0; run < 2; ++run) {
    const std::string png = dir.File("o" + std::to_string(run) + ".png");
    ASSERT_EQ(Nuv({"mol", "draw", sdf, "--optimize", "30", "-o", png}).Code, 0);
    if (run == 0)
      first = ReadRawFile(png);
    else
      EXPECT_EQ(ReadRawFile(png), first);
  }
  ASSERT_EQ(Nuv({"mol", "draw", sdf, "-o", dir.File("plain.png")}).Code, 0);
  EXPECT_NE(ReadRawFile(dir.File("plain.png")), first) << "the layout changed";
}

TEST(NuvTool, MolDrawBadInput) {
  TempDir dir;
  const std::string sdf = dir.File("two.sdf"), png = dir.File("p.png");
  WriteRawFile(sdf, kMolSd);
  WriteRawFile(dir.File("junk.mol"), "not\na\nmolfile\n");
  const TRun beyond = Nuv({"mol", "draw", sdf, "--record", "3", "-o", png});
  EXPECT_EQ(beyond.Code, 1);
  EXPECT_NE(beyond.Err.find("has 2 records"), std::string::npos) << beyond.Err;
  EXPECT_EQ(Nuv({"mol", "draw", dir.File("none.mol"), "-o", png}).Code, 1);
  EXPECT_EQ(Nuv({"mol", "draw", dir.File("junk.mol"), "-o", png}).Code, 1);
  EXPECT_FALSE(std::filesystem::exists(png));
  for (const std::vector<std::string>& c :
       std::vector<std::vector<std::string>>{{"mol", "draw", sdf, "--size", "10x10", "-o", png},
                                             {"mol", "draw", sdf, "--size", "300", "-o", png},
                                             {"mol", "draw", sdf, "--mode", "wedges", "-o", png},
                                             {"mol", "draw", sdf, "--optimize", "0", "-o", png},
                                             {"mol", "draw", sdf, "--record", "0", "-o", png},
                                             {"mol", "draw", sdf}})
    EXPECT_EQ(Nuv(c).Code, 2) << c[3];
  EXPECT_FALSE(std::filesystem::exists(png));
}

}  // namespace
