// Structure drawing on the offscreen platform: the first 1,000 molecules of
// the NCI sample (2-D coordinates from RDKit, written at build time by
// tools/ref/cstruct_fixtures.py) drawn into 300 x 200 images by TChemGraph
// (fit, frame, bonds and labels), beside RDKit's MolDraw2DCairo on the same
// coordinates and size, and beside a bare QPainter that draws the lines
// label texts and filled rectangles (background, frame) TChemGraph issues
// (recorded once beforehand) with the same fonts. The layout search on a 63-atom molecule is timed
// beside the version that rescores every pair after each step (the same decisions).
#include <GraphMol/FileParsers/MolSupplier.h>
#include <GraphMol/MolDraw2D/MolDraw2DCairo.h>
#include <GraphMol/MolDraw2D/MolDraw2DUtils.h>
#include <GraphMol/RWMol.h>
#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "bench_common.h"
#include "nuv/Nuv_chemgrph.h"
#include "nuv/platform/Bitmap.h"
#include "nuv/platform/Forms.h"
#include "nuv/platform/RecordingCanvas.h"
#include "nuv/platform/TextFile.h"

namespace {

using namespace nuv;

constexpr int32_t kMolecules = 1000, kW = 300, kH = 200;
const std::string kSample = NUV_CSTRUCT_BENCH_SDF;
const std::string kLayout63 =
    std::string(NUV_SOURCE_DIR) + "/mollib/tests/data/chemgrph/layout63.mol";

// One drawing as the calls TChemGraph made: lines, texts, the frame.
struct TOps {
  struct TLine {
    QLine line;
    QColor colour;
    bool dashed;
  };
  struct TText {
    QPoint at;
    QString text;
    const QFont* font;
    QColor colour;
  };
  std::vector<TLine> lines;
  std::vector<std::pair<QRect, QColor>> rects;
  std::vector<TText> texts;
};

QColor QtColor(TColor c) {
  const TColor rgb = ColorToRGB(c);
  return QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}

struct TRecordedDrawing {
  std::vector<TCanvasCall> calls;
};

struct TSample {
  std::vector<std::unique_ptr<TChemGraph>> ours;
  std::vector<std::unique_ptr<RDKit::RWMol>> rdkit;
  std::vector<TOps> ops;
  std::vector<TRecordedDrawing> recorded;
  std::vector<std::unique_ptr<TFont>> fonts;  // by pixel height, for the QPainter side

  const QFont* FontOf(const TCanvasCall& call) {
    for (const auto& f : fonts)
      if (f->Height() == call.FontHeight && f->Style() == call.FontStyle) return &f->QtFont();
    fonts.push_back(std::make_unique<TFont>());
    fonts.back()->SetName(call.FontName);
    fonts.back()->SetHeight(call.FontHeight);
    fonts.back()->SetStyle(call.FontStyle);
    return &fonts.back()->QtFont();
  }
};

TOps Record(TChemGraph& g, TSample& s) {
  TRecordingCanvas c(kW, kH);
  g.PaintOn(c);
  s.recorded.push_back({c.Calls()});
  TOps ops;
  TPoint pen;
  for (const TCanvasCall& call : c.Calls()) {
    if (call.Op == "MoveTo") pen = {call.Args[0], call.Args[1]};
    if (call.Op == "LineTo") {
      ops.lines.push_back({QLine(pen.X, pen.Y, call.Args[0], call.Args[1]), QtColor(call.PenColor),
                           call.PenStyle == psDash});
      pen = {call.Args[0], call.Args[1]};
    }
    if (call.Op == "FillRect")
      ops.rects.emplace_back(
          QRect(QPoint(call.Args[0], call.Args[1]), QPoint(call.Args[2] - 1, call.Args[3] - 1)),
          QtColor(call.BrushColor));
    if (call.Op == "TextOut")
      ops.texts.push_back({QPoint(call.Args[0], call.Args[1]), QString::fromLatin1(call.Text),
                           s.FontOf(call), QtColor(call.FontColor)});
  }
  return ops;
}

TSample& Sample() {
  static TSample* s = [] {
    Application().Initialize();
    auto* r = new TSample;
    std::ifstream in(kSample);
    RDKit::ForwardSDMolSupplier sup(&in, false, true, false);
    TextFile f(kSample);
    f.Reset();
    while (static_cast<int32_t>(r->ours.size()) < kMolecules && !f.Eof() && !sup.atEnd()) {
      auto g = std::make_unique<TChemGraph>(nullptr);
      g->SetSuppressPaint(true);
      const bool ok = g->Structure()->ReadFromMDLSDFile(f, nullptr);
      std::unique_ptr<RDKit::ROMol> m(sup.next());
      if (!ok || !m || static_cast<int32_t>(m->getNumAtoms()) != g->Structure()->NAtoms()) continue;
      auto rw = std::make_unique<RDKit::RWMol>(*m);
      RDKit::MolDraw2DUtils::prepareMolForDrawing(*rw, true, false, false);
      r->ops.push_back(Record(*g, *r));
      r->ours.push_back(std::move(g));
      r->rdkit.push_back(std::move(rw));
    }
    return r;
  }();
  return *s;
}

void Check() {
  const TSample& s = Sample();
  if (static_cast<int32_t>(s.ours.size()) != kMolecules)
    bench::Fail("NCI sample", std::to_string(s.ours.size()) + " molecules read in both");
  for (const TOps& ops : s.ops)
    if (ops.lines.empty()) bench::Fail("recorded drawing", "no lines");
}

void DrawNuv(benchmark::State& state) {
  TSample& s = Sample();
  TBitmap b;
  b.SetSize(kW, kH);
  for (auto _ : state)
    for (auto& g : s.ours) {
      g->PaintOn(*b.Canvas());
      benchmark::DoNotOptimize(b.Canvas()->Pixels(0, 0));
    }
  bench::SetTarget(state, 0.5, "RDKit MolDraw2DCairo");
  bench::SetTarget(state, 1.3, "QPainter");
}

void DrawRdkit(benchmark::State& state) {
  TSample& s = Sample();
  for (auto _ : state)
    for (const auto& m : s.rdkit) {
      RDKit::MolDraw2DCairo drawer(kW, kH);
      drawer.drawOptions().prepareMolsBeforeDrawing = false;
      drawer.drawMolecule(*m);
      drawer.finishDrawing();
      benchmark::ClobberMemory();
    }
}

void DrawQPainter(benchmark::State& state) {
  TSample& s = Sample();
  QImage image(kW, kH, QImage::Format_RGB32);
  for (auto _ : state)
    for (const TOps& ops : s.ops) {
      QPainter p(&image);
      p.setRenderHint(QPainter::Antialiasing, false);
      for (const auto& [r, colour] : ops.rects) p.fillRect(r, colour);
      for (const auto& l : ops.lines) {
        p.setPen(QPen(l.colour, 1, l.dashed ? Qt::DashLine : Qt::SolidLine));
        p.drawLine(l.line);
      }
      for (const auto& t : ops.texts) {
        p.setFont(*t.font);
        p.setPen(t.colour);
        p.drawText(QRect(t.at, QSize(kW, kH)), Qt::AlignLeft | Qt::AlignTop, t.text);
      }
      p.end();
      benchmark::DoNotOptimize(image.constBits());
    }
}

// The recorded calls replayed on the platform canvas: the share of the
// drawing that is the canvas's own.
void DrawReplay(benchmark::State& state) {
  TSample& s = Sample();
  TBitmap b;
  b.SetSize(kW, kH);
  TCanvas& c = *b.Canvas();
  for (auto _ : state)
    for (const TRecordedDrawing& d : s.recorded) {
      for (const TCanvasCall& call : d.calls) {
        if (call.Op == "FillRect") {
          c.Brush()->SetStyle(bsSolid);
          c.Brush()->SetColor(call.BrushColor);
          c.FillRect(Rect(call.Args[0], call.Args[1], call.Args[2], call.Args[3]));
        } else if (call.Op == "MoveTo") {
          c.MoveTo(call.Args[0], call.Args[1]);
        } else if (call.Op == "LineTo") {
          c.Pen()->SetColor(call.PenColor);
          c.Pen()->SetStyle(call.PenStyle);
          c.LineTo(call.Args[0], call.Args[1]);
        } else if (call.Op == "TextOut") {
          c.Brush()->SetStyle(call.BrushStyle);
          c.Font()->SetHeight(call.FontHeight);
          c.Font()->SetColor(call.FontColor);
          c.TextOut(call.Args[0], call.Args[1], call.Text);
        }
      }
      benchmark::DoNotOptimize(c.Pixels(0, 0));
    }
}

std::unique_ptr<TChemGraph> Layout63() {
  auto g = std::make_unique<TChemGraph>(nullptr);
  g->SetSuppressPaint(true);
  TextFile f(kLayout63);
  f.Reset();
  if (!g->Structure()->ReadFromMDLMolFile(f) || g->Structure()->NAtoms() != 63)
    bench::Fail("layout molecule", kLayout63);
  return g;
}

void Optimize(benchmark::State& state, bool full) {
  auto g = Layout63();
  TCTab start(nullptr);
  start.CopyFrom(*g->Structure());
  for (auto _ : state) {
    state.PauseTiming();
    g->Structure()->CopyFrom(start);
    state.ResumeTiming();
    uint32_t seed = 11;
    g->OptimizeMolShape(30, seed, full);
  }
  if (!full) bench::SetTarget(state, 1.0);
}

void OptimizeNuv(benchmark::State& s) { Optimize(s, false); }
void OptimizeFull(benchmark::State& s) { Optimize(s, true); }

}  // namespace

BENCHMARK(DrawNuv)->Name("ChemGraph draw 1000 NCI 300x200/nuv")->Unit(benchmark::kMillisecond);
BENCHMARK(DrawRdkit)
    ->Name("ChemGraph draw 1000 NCI 300x200/RDKit MolDraw2DCairo")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(DrawQPainter)
    ->Name("ChemGraph draw 1000 NCI 300x200/QPainter")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(DrawReplay)
    ->Name("ChemGraph draw 1000 NCI 300x200/TBitmap canvas replay")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(OptimizeNuv)->Name("OptimizeMolShape 63 atoms/nuv")->Unit(benchmark::kMillisecond);
BENCHMARK(OptimizeFull)
    ->Name("OptimizeMolShape 63 atoms/full rescore")
    ->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) { return bench::Main(argc, argv, Check); }
