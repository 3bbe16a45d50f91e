// Byte images of the database's records and the whole-file helpers shared
// by the component and the free functions.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "nuv/Nuv_geodb.h"

namespace nuv::geodb {

using TRecordBytes = std::vector<uint8_t>;

void EncodeHeader(const TgdbHeader& h, uint8_t* out);
TgdbHeader DecodeHeader(const uint8_t* in);
void EncodeData(const TgdbData& d, uint8_t* out);
void DecodeData(const uint8_t* in, TgdbData& d);
void EncodeMetaInfo(const TMetaInfo& m, uint8_t* out);
TMetaInfo DecodeMetaInfo(const uint8_t* in);

TRecordBytes EncodeIndex(const TIxItemIDRecArray& ix);
TRecordBytes EncodeIndex(const TIxLLRecArray& ix);
TIxItemIDRecArray DecodeItemIDIndex(const TRecordBytes& bytes);
TIxLLRecArray DecodeLLIndex(const TRecordBytes& bytes);

// The four box edges as the coordinate indexes order them.
inline float BoxEdge(const TgdbData& d, int32_t edge) {
  switch (edge) {
    case 0:
      return d.LatLow;
    case 1:
      return d.LatHigh;
    case 2:
      return d.LongLow;
    default:
      return d.LongHigh;
  }
}

// The whole file; false when it does not exist (an existing file that
// cannot be read raises EInOutError).
bool ReadWholeFile(const std::string& name, TRecordBytes& bytes);
// Hands the whole records of a file to Sink in pieces; false when the file
// does not exist (an existing file that cannot be read raises EInOutError).
bool ReadRecords(const std::string& name, int32_t recSize,
                 const std::function<void(const uint8_t* records, std::size_t count)>& sink);
// Writes a temporary file beside name and renames it over name, so that a
// failure leaves the old file as it was.
void WriteFileReplacing(const std::string& name, const uint8_t* data, std::size_t size);
// Renames a finished temporary file over name (EInOutError on failure).
void ReplaceFile(const std::string& temp, const std::string& name);

// The base (path without extension) and the seven file names.
std::string BaseOf(std::string_view path);
std::string IndexFileName(const std::string& base, int32_t index);
std::string SummaryFileName(const std::string& base);
std::string DataFileName(const std::string& base);

}  // namespace nuv::geodb
