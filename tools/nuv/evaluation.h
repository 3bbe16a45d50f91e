// The evaluation of a measurement series that `nuv demo` runs: a data table
// of a classic data set, its statistics, covariance and correlation, a line
// fit and an ASC file read back.
#pragma once

#include <ostream>

namespace nuv::tool {

// Runs the evaluation and writes its report to out. The ASC file goes into
// a temporary directory that is removed afterwards.
void ShowEvaluation(std::ostream& out);

}  // namespace nuv::tool
