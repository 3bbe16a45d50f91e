// The geographic vector database: data, structure and index files, items,
// polygons, names, meta information and binary objects.
#pragma once

#include "nuv/Nuv_nuvbase.h"

namespace nuv {

class ENUVGeoDBError : public ENUVError {
 public:
  using ENUVError::ENUVError;
};

}  // namespace nuv
