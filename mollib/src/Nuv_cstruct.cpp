#include "nuv/Nuv_cstruct.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "mollib_units.h"
#include "nuv/Nuv_math2.h"
#include "nuv/Nuv_matrix.h"
#include "nuv/Nuv_stringl.h"

namespace nuv {

namespace {

int32_t SlotCount(const CTElem& e) {
  int32_t n = 0;
  while (n < MaxCTabConn && e.Conn[static_cast<std::size_t>(n)] != 0) ++n;
  return n;
}

// Index of B among e's neighbours, -1 if absent.
int32_t SlotOf(const CTElem& e, int32_t B) {
  for (int32_t i = 0; i < MaxCTabConn && e.Conn[static_cast<std::size_t>(i)] != 0; ++i)
    if (e.Conn[static_cast<std::size_t>(i)] == B) return i;
  return -1;
}

// Drops slot i and closes the gap.
void RemoveSlot(CTElem& e, int32_t i) {
  for (auto k = static_cast<std::size_t>(i); k + 1 < MaxCTabConn; ++k) {
    e.Conn[k] = e.Conn[k + 1];
    e.BondType[k] = e.BondType[k + 1];
  }
  e.Conn[MaxCTabConn - 1] = 0;
  e.BondType[MaxCTabConn - 1] = 0;
}

// Removes zero and duplicate neighbours, keeping the first of each.
void CompactSlots(CTElem& e) {
  std::size_t out = 0;
  for (std::size_t i = 0; i < MaxCTabConn; ++i) {
    const uint8_t c = e.Conn[i];
    if (c == 0) continue;
    bool dup = false;
    for (std::size_t k = 0; k < out; ++k) dup = dup || e.Conn[k] == c;
    if (dup) continue;
    e.Conn[out] = c;
    e.BondType[out] = e.BondType[i];
    ++out;
  }
  for (; out < MaxCTabConn; ++out) e.Conn[out] = e.BondType[out] = 0;
}

bool HasRoomFor(const CTElem& e, int32_t B) {
  return SlotOf(e, B) >= 0 || SlotCount(e) < MaxCTabConn;
}

}  // namespace

void ClearCTElem(CTElem& Elem) { Elem = CTElem{}; }

TCTab::TCTab(TComponent* AOwner) : TComponent(AOwner) {}

void TCTab::Changed() {
  if (OnChange) OnChange(this);
}

void TCTab::SetStrucName(std::string_view Value) {
  name_ = Value;
  Changed();
}

std::string TCTab::CASNr() const { return cas_ == 0 ? std::string() : FormatCASNr(cas_); }

void TCTab::SetCASNr(std::string_view Value) {
  int32_t n = 0;
  if (ConvertStrToCASNr(Value, n)) cas_ = n;
  Changed();
}

bool TCTab::CheckCASNr(int32_t N) const { return nuv::CheckCASNr(N); }

void TCTab::SetCoordUnit(CoordUnitType Value) {
  if (Value > cuAngstrom) return;
  unit_ = Value;
  Changed();
}

int32_t TCTab::GetAtNum(int32_t Atom) const { return Valid(Atom) ? At(Atom).AtNum : 0; }
int32_t TCTab::GetAtWeight(int32_t Atom) const { return Valid(Atom) ? At(Atom).AtWeight : 0; }
int32_t TCTab::GetAtFlag(int32_t Atom) const { return Valid(Atom) ? At(Atom).AtFlag : 0; }
int32_t TCTab::GetAttrib(int32_t Atom) const { return Valid(Atom) ? At(Atom).Attrib : 0; }
int32_t TCTab::GetCharge(int32_t Atom) const { return Valid(Atom) ? At(Atom).Charge : 0; }

void TCTab::SetAtNum(int32_t Atom, int32_t Value) {
  if (!Valid(Atom) || Value < 1 || Value > MaxChemElem) return;
  At(Atom).AtNum = static_cast<uint8_t>(Value);
  Changed();
}

void TCTab::SetAtWeight(int32_t Atom, int32_t Value) {
  if (!Valid(Atom) || Value < 0 || Value > MaxIsotopeMass) return;
  At(Atom).AtWeight = static_cast<uint16_t>(Value);
  Changed();
}

void TCTab::SetAtFlag(int32_t Atom, int32_t Value) {
  if (!Valid(Atom) || Value < 0 || Value > 255) return;
  At(Atom).AtFlag = static_cast<uint8_t>(Value);
  Changed();
}

void TCTab::SetAttrib(int32_t Atom, int32_t Value) {
  if (!Valid(Atom) || Value < 0 || Value > 255) return;
  At(Atom).Attrib = static_cast<uint8_t>(Value);
  Changed();
}

void TCTab::SetCharge(int32_t Atom, int32_t Value) {
  if (!Valid(Atom) || Value < -127 || Value > 127) return;
  At(Atom).Charge = static_cast<int8_t>(Value);
  Changed();
}

int32_t TCTab::GetConnTo(int32_t Atom, int32_t Slot) const {
  if (!Valid(Atom) || Slot < 1 || Slot > MaxCTabConn) return 0;
  return At(Atom).Conn[static_cast<std::size_t>(Slot - 1)];
}

int32_t TCTab::GetTypConn(int32_t Atom, int32_t Slot) const {
  if (!Valid(Atom) || Slot < 1 || Slot > MaxCTabConn) return 0;
  return At(Atom).BondType[static_cast<std::size_t>(Slot - 1)];
}

void TCTab::SetConnTo(int32_t Atom, int32_t Slot, int32_t Value) {
  if (!Valid(Atom) || Slot < 1 || Slot > MaxCTabConn || Value < 0 || Value > MaxCTabAtoms) return;
  At(Atom).Conn[static_cast<std::size_t>(Slot - 1)] = static_cast<uint8_t>(Value);
  Changed();
}

void TCTab::SetTypConn(int32_t Atom, int32_t Slot, int32_t Value) {
  if (!Valid(Atom) || Slot < 1 || Slot > MaxCTabConn || Value < 0 || Value > 4) return;
  At(Atom).BondType[static_cast<std::size_t>(Slot - 1)] = static_cast<uint8_t>(Value);
  Changed();
}

double TCTab::GetCoords(int32_t Atom, int32_t Axis) const {
  if (!Valid(Atom) || Axis < 1 || Axis > 3) return 0;
  return At(Atom).Coords[static_cast<std::size_t>(Axis - 1)];
}

void TCTab::SetCoords(int32_t Atom, int32_t Axis, double Value) {
  if (!Valid(Atom) || Axis < 1 || Axis > 3 || !std::isfinite(Value)) return;
  At(Atom).Coords[static_cast<std::size_t>(Axis - 1)] = static_cast<float>(Value);
  Changed();
}

CTElem TCTab::GetAtomEntries(int32_t Atom) const { return Valid(Atom) ? At(Atom) : CTElem{}; }

void TCTab::SetAtomEntries(int32_t Atom, const CTElem& Elem) {
  if (!Valid(Atom)) return;
  At(Atom) = Elem;
  Changed();
}

int32_t TCTab::GetNBonds(int32_t Atom) const { return Valid(Atom) ? SlotCount(At(Atom)) : 0; }

int32_t TCTab::MaxNBonds(int32_t& Atom) const {
  int32_t best = 0;
  Atom = 0;
  for (int32_t i = 1; i <= natoms_; ++i) {
    const int32_t n = GetNBonds(i);
    if (Atom == 0 || n > best) {
      best = n;
      Atom = i;
    }
  }
  return best;
}

int32_t TCTab::AtomCount(int32_t AtNum) const {
  int32_t n = 0;
  for (int32_t i = 1; i <= natoms_; ++i) n += At(i).AtNum == AtNum ? 1 : 0;
  return n;
}

int32_t TCTab::CheckConnect(int32_t A, int32_t B) const {
  if (!Valid(A) || !Valid(B)) return 0;
  const int32_t s = SlotOf(At(A), B);
  return s < 0 ? 0 : At(A).BondType[static_cast<std::size_t>(s)];
}

bool TCTab::GetCoordsPresent() const {
  for (int32_t i = 1; i <= natoms_; ++i)
    for (float c : At(i).Coords)
      if (c != 0) return true;
  return false;
}

void TCTab::SetCoordsPresent(bool Value) {
  if (Value) return;
  for (auto& a : atoms_) a.Coords = {};
  Changed();
}

// ---------------------------------------------------------------------------
// Editing

void TCTab::Clear() {
  natoms_ = 0;
  name_.clear();
  cas_ = 0;
  unit_ = cuUnknown;
  for (auto& a : atoms_) ClearCTElem(a);
  Changed();
}

void TCTab::ClearAttributes() {
  for (auto& a : atoms_) a.Attrib = 0;
  Changed();
}

bool TCTab::AddAtom(const CTElem& Elem) {
  if (natoms_ >= MaxCTabAtoms) return false;
  ++natoms_;
  CTElem& e = At(natoms_);
  e = Elem;
  e.Conn = {};
  e.BondType = {};
  for (std::size_t i = 0; i < MaxCTabConn; ++i)
    if (Elem.Conn[i] != 0) EnterConn(natoms_, Elem.Conn[i], Elem.BondType[i]);
  Changed();
  return true;
}

void TCTab::EnterConn(int32_t A, int32_t B, int32_t Type) {
  if (!Valid(A) || B < 1 || B > MaxCTabAtoms || Type < 0 || Type > 255) return;
  CTElem& e = At(A);
  int32_t s = SlotOf(e, B);
  if (s < 0) {
    s = SlotCount(e);
    if (s >= MaxCTabConn) return;
    e.Conn[static_cast<std::size_t>(s)] = static_cast<uint8_t>(B);
  }
  e.BondType[static_cast<std::size_t>(s)] = static_cast<uint8_t>(Type);
  Changed();
}

bool TCTab::MakeConnection(int32_t A, int32_t B, int32_t Type) {
  if (!Valid(A) || !Valid(B) || A == B || Type < 0 || Type > 4) return false;
  if (Type == 0) {
    const int32_t sa = SlotOf(At(A), B);
    const int32_t sb = SlotOf(At(B), A);
    if (sa < 0 && sb < 0) return false;
    if (sa >= 0) RemoveSlot(At(A), sa);
    if (sb >= 0) RemoveSlot(At(B), sb);
  } else {
    if (!HasRoomFor(At(A), B) || !HasRoomFor(At(B), A)) return false;
    EnterConn(A, B, Type);
    EnterConn(B, A, Type);
  }
  Changed();
  return true;
}

void TCTab::MakeSymmetricConnections() {
  for (int32_t a = 1; a <= natoms_; ++a) {
    const CTElem& e = At(a);
    for (std::size_t i = 0; i < MaxCTabConn && e.Conn[i] != 0; ++i)
      if (Valid(e.Conn[i])) EnterConn(e.Conn[i], a, e.BondType[i]);
  }
  Changed();
}

void TCTab::DeleteAtom(int32_t A) {
  if (!Valid(A)) return;
  const CTElem gone = At(A);
  const int32_t n = SlotCount(gone);
  for (int32_t i = 0; i < n; ++i) {
    const int32_t nb = gone.Conn[static_cast<std::size_t>(i)];
    if (!Valid(nb)) continue;
    const int32_t s = SlotOf(At(nb), A);
    if (s >= 0) RemoveSlot(At(nb), s);
  }
  for (int32_t i = 0; i < n; ++i)
    for (int32_t k = i + 1; k < n; ++k) {
      const int32_t p = gone.Conn[static_cast<std::size_t>(i)];
      const int32_t q = gone.Conn[static_cast<std::size_t>(k)];
      if (!Valid(p) || !Valid(q) || p == q || CheckConnect(p, q) != 0) continue;
      const int32_t t = std::min(gone.BondType[static_cast<std::size_t>(i)],
                                 gone.BondType[static_cast<std::size_t>(k)]);
      MakeConnection(p, q, std::clamp(t, 1, 4));
    }
  const int32_t last = natoms_;
  if (A != last) At(A) = At(last);
  ClearCTElem(At(last));
  --natoms_;
  for (int32_t a = 1; a <= natoms_; ++a) {
    CTElem& e = At(a);
    for (auto& c : e.Conn)
      if (c == last) c = static_cast<uint8_t>(A);
    CompactSlots(e);
  }
  Changed();
}

void TCTab::RemoveHydrogen() {
  for (int32_t a = natoms_; a >= 1; --a)
    if (At(a).AtNum == 1) DeleteAtom(a);
  Changed();
}

int32_t TCTab::StripfromChains() {
  for (;;) {
    bool any = false;
    for (int32_t a = natoms_; a >= 1; --a)
      if (GetNBonds(a) == 1) {
        DeleteAtom(a);
        any = true;
      }
    if (!any) break;
  }
  if (natoms_ == 1) DeleteAtom(1);
  Changed();
  return natoms_;
}

int32_t TCTab::FindNextEndAtom(int32_t Start) const {
  for (int32_t a = std::max(Start, 1); a <= natoms_; ++a)
    if (GetNBonds(a) == 1) return a;
  return 0;
}

bool TCTab::ContainsUnconnectedAtom() const {
  for (int32_t a = 1; a <= natoms_; ++a)
    if (GetNBonds(a) == 0) return true;
  return false;
}

void TCTab::CommitFrom(const TCTab& Other) {
  atoms_ = Other.atoms_;
  natoms_ = Other.natoms_;
  name_ = Other.name_;
  cas_ = Other.cas_;
  unit_ = Other.unit_;
}

void TCTab::CopyFrom(const TCTab& Other) {
  if (&Other != this) CommitFrom(Other);
  Changed();
}

bool TCTab::JoinFragment(const TCTab& Frag) {
  const auto& frag = Frag.atoms_;
  const int32_t fn = Frag.natoms_;
  std::array<int32_t, MaxCTabAtoms + 1> map{};
  int32_t next = natoms_;
  for (int32_t i = 1; i <= fn; ++i) {
    const int32_t flag = frag[static_cast<std::size_t>(i - 1)].AtFlag;
    int32_t found = 0;
    for (int32_t a = 1; flag != 0 && a <= natoms_; ++a)
      if (At(a).AtFlag == flag) found = a;
    map[static_cast<std::size_t>(i)] = found != 0 ? found : ++next;
  }
  if (next > MaxCTabAtoms) return false;
  const auto snapshot = std::vector<CTElem>(frag.begin(), frag.begin() + fn);
  for (int32_t i = 1; i <= fn; ++i) {
    const CTElem& src = snapshot[static_cast<std::size_t>(i - 1)];
    const int32_t t = map[static_cast<std::size_t>(i)];
    if (t > natoms_) {
      CTElem e = src;
      e.Conn = {};
      e.BondType = {};
      AddAtom(e);
    } else {
      At(t).AtNum = src.AtNum;
      At(t).AtWeight = src.AtWeight;
      At(t).Charge = src.Charge;
    }
  }
  for (int32_t i = 1; i <= fn; ++i) {
    const CTElem& src = snapshot[static_cast<std::size_t>(i - 1)];
    for (std::size_t s = 0; s < MaxCTabConn && src.Conn[s] != 0; ++s)
      if (src.Conn[s] <= fn)
        MakeConnection(map[static_cast<std::size_t>(i)], map[src.Conn[s]], src.BondType[s]);
  }
  Changed();
  return true;
}

bool TCTab::LinkFragment(const TCTab& Frag) {
  const int32_t old = natoms_;
  const int32_t fn = Frag.natoms_;
  if (old + fn >= 64) return false;
  for (int32_t i = 1; i <= fn; ++i) {
    CTElem e = Frag.At(i);
    for (auto& c : e.Conn)
      if (c != 0) c = static_cast<uint8_t>(c + old);
    At(old + i) = e;
  }
  natoms_ = old + fn;
  for (int32_t a = 1; a <= old; ++a)
    for (int32_t b = old + 1; At(a).AtFlag != 0 && b <= natoms_; ++b)
      if (At(b).AtFlag == At(a).AtFlag) MakeConnection(a, b, 1);
  Changed();
  return true;
}

int32_t TCTab::CompareWith(const TCTab& Other) const {
  int32_t r = 0;
  if (natoms_ != Other.natoms_) r |= cwAtomCount;
  if (!EqualAnsiStrings(name_, Other.name_)) r |= cwName;
  if (unit_ != Other.unit_) r |= cwCoordUnit;
  if (cas_ != Other.cas_) r |= cwCASNr;
  for (std::size_t i = 0; i < MaxCTabAtoms; ++i) {
    const CTElem& a = atoms_[i];
    const CTElem& b = Other.atoms_[i];
    if (a.AtNum != b.AtNum) r |= cwAtNum;
    if (a.AtWeight != b.AtWeight) r |= cwAtWeight;
    if (a.AtFlag != b.AtFlag) r |= cwAtFlag;
    if (a.Attrib != b.Attrib) r |= cwAttrib;
    if (a.Charge != b.Charge) r |= cwCharge;
    if (a.Coords[0] != b.Coords[0]) r |= cwX;
    if (a.Coords[1] != b.Coords[1]) r |= cwY;
    if (a.Coords[2] != b.Coords[2]) r |= cwZ;
    if (a.Conn != b.Conn) r |= cwConn;
    if (a.BondType != b.BondType) r |= cwBondType;
  }
  return r;
}

// ---------------------------------------------------------------------------
// Geometry

void TCTab::CalcMolCenter(double& X, double& Y, double& Z) const {
  long double s[3] = {0, 0, 0};
  for (int32_t a = 1; a <= natoms_; ++a)
    for (int k = 0; k < 3; ++k) s[k] += At(a).Coords[static_cast<std::size_t>(k)];
  const long double n = natoms_ > 0 ? natoms_ : 1;
  X = static_cast<double>(s[0] / n);
  Y = static_cast<double>(s[1] / n);
  Z = static_cast<double>(s[2] / n);
}

long double TCTab::CalcMolExtents(double& MinX, double& MinY, double& MaxX, double& MaxY,
                                  double& MeanX, double& MeanY) const {
  if (natoms_ < 2) {
    MinX = MinY = 1;
    MaxX = 10000;
    MaxY = 7000;
    MeanX = 5000;
    MeanY = 3500;
    return 0;
  }
  MinX = MaxX = At(1).Coords[0];
  MinY = MaxY = At(1).Coords[1];
  long double sx = 0, sy = 0, len = 0;
  int32_t ends = 0;
  for (int32_t a = 1; a <= natoms_; ++a) {
    const CTElem& e = At(a);
    MinX = std::min<double>(MinX, e.Coords[0]);
    MaxX = std::max<double>(MaxX, e.Coords[0]);
    MinY = std::min<double>(MinY, e.Coords[1]);
    MaxY = std::max<double>(MaxY, e.Coords[1]);
    sx += e.Coords[0];
    sy += e.Coords[1];
    for (std::size_t i = 0; i < MaxCTabConn && e.Conn[i] != 0; ++i) {
      if (!Valid(e.Conn[i])) continue;
      const CTElem& o = At(e.Conn[i]);
      len += std::hypot(static_cast<long double>(e.Coords[0]) - o.Coords[0],
                        static_cast<long double>(e.Coords[1]) - o.Coords[1]);
      ++ends;
    }
  }
  MeanX = static_cast<double>(sx / natoms_);
  MeanY = static_cast<double>(sy / natoms_);
  return ends > 0 ? len / ends : 0;
}

void TCTab::FindClosestAtom(double X, double Y, double Z, int32_t& Atom, double& Dist) const {
  Atom = 0;
  Dist = std::numeric_limits<double>::max();
  for (int32_t a = 1; a <= natoms_; ++a) {
    const CTElem& e = At(a);
    const double d =
        std::sqrt((e.Coords[0] - X) * (e.Coords[0] - X) + (e.Coords[1] - Y) * (e.Coords[1] - Y) +
                  (e.Coords[2] - Z) * (e.Coords[2] - Z));
    if (d < Dist) {
      Dist = d;
      Atom = a;
    }
  }
}

int32_t TCTab::FindAtomInBox(double X, double Y, double Z, double DX, double DY, double DZ) const {
  int32_t found = -1;
  for (int32_t a = 1; a <= natoms_; ++a) {
    const CTElem& e = At(a);
    if (std::fabs(e.Coords[0] - X) <= DX && std::fabs(e.Coords[1] - Y) <= DY &&
        std::fabs(e.Coords[2] - Z) <= DZ)
      found = a;
  }
  return found;
}

bool TCTab::RotateWithPCA() {
  if (natoms_ < 2) return false;
  TMatrix data(nullptr);
  data.Resize(3, natoms_);
  double mean[2] = {0, 0};
  for (int32_t a = 1; a <= natoms_; ++a)
    for (int32_t k = 1; k <= 2; ++k) {
      data.SetVal(k, a, At(a).Coords[static_cast<std::size_t>(k - 1)]);
      mean[k - 1] += At(a).Coords[static_cast<std::size_t>(k - 1)] / static_cast<double>(natoms_);
    }
  if (!CalcPrincComp(data, 1, 3, 1, natoms_, 1, false)) return false;
  for (int32_t a = 1; a <= natoms_; ++a) {
    const double d[2] = {At(a).Coords[0] - mean[0], At(a).Coords[1] - mean[1]};
    for (int32_t c = 1; c <= 3; ++c)
      At(a).Coords[static_cast<std::size_t>(c - 1)] = static_cast<float>(
          std::nearbyint(d[0] * GetEigenResult(1, c) + d[1] * GetEigenResult(2, c)));
  }
  Changed();
  return true;
}

namespace units {

void Nuv_cstruct_Init() {}
void Nuv_cstruct_Finalize() {}

}  // namespace units

}  // namespace nuv
