// Helpers of the data table tests: tables filled so that every cell, name
// and attribute tells where it came from, a compact picture of a table, and
// a log of the events in the order they fire.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "nuv/Nuv_datatable.h"

namespace nuv::testing {

// cols × rows cells; cell (c, r) holds 10c + r with state 4(c + r) (bits
// without meaning for the statistics), column c has attribute c, row r
// attribute 100 + r. Names are the fresh ones.
inline void FillTagged(TDataTable& t, int32_t cols, int32_t rows) {
  t.Resize(cols, rows);
  for (int32_t c = 1; c <= cols; ++c) {
    t.SetColAttrib(c, static_cast<uint8_t>(c));
    for (int32_t r = 1; r <= rows; ++r) {
      t.SetElem(c, r, 10 * c + r);
      t.SetCellState(c, r, static_cast<uint8_t>(4 * (c + r)));
    }
  }
  for (int32_t r = 1; r <= rows; ++r) t.SetRowAttrib(r, static_cast<uint8_t>(100 + r));
}

// One line per row: "name/attribute: value/state ...", after a header line
// of the columns "name/attribute/scale type".
inline std::vector<std::string> Picture(const TDataTable& t) {
  std::vector<std::string> lines;
  std::string head;
  for (int32_t c = 1; c <= t.NrOfColumns(); ++c)
    head += (c > 1 ? " " : "") + t.GetColName(c).Str() + "/" + std::to_string(t.GetColAttrib(c)) +
            "/" + std::string(MScaleTypeNames[t.GetMScaleType(c)]);
  lines.push_back(head);
  for (int32_t r = 1; r <= t.NrOfRows(); ++r) {
    std::string line = t.GetRowName(r).Str() + "/" + std::to_string(t.GetRowAttrib(r)) + ":";
    for (int32_t c = 1; c <= t.NrOfColumns(); ++c)
      line += " " + FloatToStr(t.GetElem(c, r)) + "/" + std::to_string(t.GetCellState(c, r));
    lines.push_back(line);
  }
  return lines;
}

// The events of a table as words: Change, Setup, Names, Attrib, CellState,
// Resize(oc x or > nc x nr), Sort(what i j first last).
struct TEventLog {
  std::vector<std::string> Events;

  explicit TEventLog(TDataTable& t) {
    t.OnChange = [this](TObject*) { Events.push_back("Change"); };
    t.OnChangeSetup = [this](TObject*) { Events.push_back("Setup"); };
    t.OnChangeNames = [this](TObject*) { Events.push_back("Names"); };
    t.OnChangeAttrib = [this](TObject*) { Events.push_back("Attrib"); };
    t.OnChangeCellState = [this](TObject*) { Events.push_back("CellState"); };
    t.OnResize = [this](TObject*, int32_t oc, int32_t orr, int32_t nc, int32_t nr) {
      Events.push_back("Resize(" + std::to_string(oc) + "x" + std::to_string(orr) + ">" +
                       std::to_string(nc) + "x" + std::to_string(nr) + ")");
    };
  }

  // The events so far, separated by blanks; the log starts over.
  std::string Take() {
    std::string s;
    for (const std::string& e : Events) s += (s.empty() ? "" : " ") + e;
    Events.clear();
    return s;
  }
};

}  // namespace nuv::testing
