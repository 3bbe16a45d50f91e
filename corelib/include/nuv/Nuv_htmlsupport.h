// HTML support: templates with replaceable tags, URL encoding, entity
// conversion and word counting of HTML text.
#pragma once

#include "nuv/Nuv_nuvbase.h"

namespace nuv {

}  // namespace nuv
