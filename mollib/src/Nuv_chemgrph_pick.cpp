// TChemGraph: mouse tracking, the popup menu and the ring and chain
// nearest to a point.
#include <QContextMenuEvent>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "nuv/Nuv_chemgrph.h"
#include "nuv/Nuv_univconst.h"

namespace nuv {

void TChemGraph::MouseMove(TShiftState Shift, int32_t X, int32_t Y) {
  TGraphicControl::MouseMove(Shift, X, Y);
  MoveOverStruct(Shift, X, Y);
}

void TChemGraph::MoveOverStruct(TShiftState Shift, int32_t X, int32_t Y) {
  if (!(std::isfinite(scale_) && scale_ != 0)) return;
  const double x = (X - offset_x_) / scale_, y = (Y - offset_y_) / scale_;
  int32_t atom = 0;
  double dist = 0;
  structure_->FindClosestAtom(x, y, 0, atom, dist);
  if (OnMoveOverStruct) OnMoveOverStruct(this, atom, dist, Shift, x, y);
}

void TChemGraph::contextMenuEvent(QContextMenuEvent* event) {
  if (!popup_menu_) return TGraphicControl::contextMenuEvent(event);
  popup_menu_->popup(event->globalPos());
  event->accept();
}

namespace {

double SquaredDistance(const TCTab& t, int32_t atom, float X, float Y) {
  const double dx = t.GetCoords(atom, 1) - X, dy = t.GetCoords(atom, 2) - Y;
  return dx * dx + dy * dy;
}

}  // namespace

// Only real atoms are candidates, however far away they lie: there is no
// stand-in atom for a molecule of fewer than five atoms.
void TChemGraph::FindRingNextToCursor(float X, float Y, RingType& Ring) const {
  Ring.fill(0);
  const TCTab& t = *structure_;
  struct TNear {
    double dist;
    int32_t atom;
  };
  std::array<TNear, 5> nearest{};
  int32_t count = 0;
  for (int32_t a = 1; a <= t.NAtoms(); ++a) {
    const TNear c{SquaredDistance(t, a, X, Y), a};
    int32_t pos = count;
    while (pos > 0 && c.dist < nearest[static_cast<std::size_t>(pos - 1)].dist) --pos;
    if (pos >= 5) continue;
    for (int32_t k = std::min(count, 4); k > pos; --k)
      nearest[static_cast<std::size_t>(k)] = nearest[static_cast<std::size_t>(k - 1)];
    nearest[static_cast<std::size_t>(pos)] = c;
    count = std::min(count + 1, 5);
  }
  if (count == 0) return;
  RingListType rings;
  t.FindShortestRings(nearest[0].atom, rings);
  if (rings.NRings < 2) {
    if (rings.NRings == 1) Ring = rings.Rings[0];
    return;
  }
  RingListType all;
  for (int32_t k = 0; k < count; ++k) {
    t.FindShortestRings(nearest[static_cast<std::size_t>(k)].atom, rings);
    for (int32_t i = 0; i < rings.NRings && all.NRings < MaxRingsInList; ++i) {
      const RingType& r = rings.Rings[static_cast<std::size_t>(i)];
      if (!RingInRingList(r, all)) all.Rings[static_cast<std::size_t>(all.NRings++)] = r;
    }
  }
  double best = 0;
  for (int32_t i = 0; i < all.NRings; ++i) {
    const RingType& r = all.Rings[static_cast<std::size_t>(i)];
    double sum = 0;
    for (int32_t k = 1; k <= r[0]; ++k)
      sum += std::fabs(t.GetCoords(r[static_cast<std::size_t>(k)], 1) - X) +
             std::fabs(t.GetCoords(r[static_cast<std::size_t>(k)], 2) - Y);
    if (i == 0 || sum < best) {
      best = sum;
      Ring = r;
    }
  }
}

// The walk stops at an atom it has met before, so a ring of atoms with two
// bonds each ends after one round instead of circling for ever.
int32_t TChemGraph::FindChainNexttoCursor(float X, float Y, AtListType& List) const {
  List.fill(0);
  const TCTab& t = *structure_;
  int32_t start = 0;
  double best = static_cast<double>(uc_MaxDouble);
  for (int32_t a = 1; a <= t.NAtoms(); ++a) {
    if (t.GetNBonds(a) > 2) continue;
    const double d = SquaredDistance(t, a, X, Y);
    if (d < best) {
      best = d;
      start = a;
    }
  }
  if (start == 0) return 0;
  uint64_t seen = uint64_t{1} << start;
  auto walk = [&](int32_t first) {
    std::vector<int32_t> out;
    int32_t prev = start, cur = first;
    while (cur >= 1 && cur <= t.NAtoms() && (seen & (uint64_t{1} << cur)) == 0) {
      seen |= uint64_t{1} << cur;
      out.push_back(cur);
      if (t.GetNBonds(cur) != 2) break;
      const int32_t next = t.GetConnTo(cur, 1) == prev ? t.GetConnTo(cur, 2) : t.GetConnTo(cur, 1);
      prev = cur;
      cur = next;
    }
    return out;
  };
  const int32_t bonds = t.GetNBonds(start);
  const std::vector<int32_t> ahead = walk(bonds >= 1 ? t.GetConnTo(start, 1) : 0);
  std::vector<int32_t> chain = walk(bonds == 2 ? t.GetConnTo(start, 2) : 0);
  std::reverse(chain.begin(), chain.end());
  chain.push_back(start);
  chain.insert(chain.end(), ahead.begin(), ahead.end());
  if (t.GetCoords(chain.front(), 1) > t.GetCoords(chain.back(), 1))
    std::reverse(chain.begin(), chain.end());
  const int32_t n = static_cast<int32_t>(chain.size());
  List[0] = static_cast<uint8_t>(n);
  std::copy(chain.begin(), chain.end(), List.begin() + 1);
  return n;
}

}  // namespace nuv
