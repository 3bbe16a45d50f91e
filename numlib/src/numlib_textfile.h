// Text files that the numlib units read whole (not installed).
#pragma once

#include <string>

#include "nuv/platform/TextFile.h"

namespace nuv::numlib {

// The lines of the file, each ended by "\n" whatever line end the file
// uses; file errors raise EInOutError.
inline std::string ReadTextFile(const std::string& fileName) {
  TextFile f(fileName);
  f.Reset();
  std::string text, line;
  while (!f.Eof()) {
    f.ReadLn(line);
    text += line;
    text += '\n';
  }
  f.Close();
  return text;
}

}  // namespace nuv::numlib
