// Stream and text-file helpers: line-oriented reading and writing, binary
// number helpers, number scanning and the ASC table header reader.
#pragma once

#include "nuv/Nuv_nuvbase.h"
#include "nuv/Nuv_streams_xml.h"

namespace nuv {

}  // namespace nuv
