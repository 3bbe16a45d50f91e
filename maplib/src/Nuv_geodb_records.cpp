#include "Nuv_geodb_records.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "nuv/Nuv_filesys.h"
#include "nuv/Nuv_math1.h"
#include "nuv/platform/BinaryFile.h"
#include "nuv/platform/FileUtils.h"

namespace nuv {

namespace geodb {
namespace {

// A name's unused slots are blanks, unlike the zeros of the other strings.
void WriteName(ByteWriter& w, const TgdbName& name) {
  w.WriteU8(static_cast<uint8_t>(name.Length()));
  w.WriteBytes(name.Data(), name.Length());
  for (std::size_t i = name.Length(); i < TgdbName::Capacity; ++i) w.WriteU8(' ');
}

}  // namespace

void EncodeHeader(const TgdbHeader& h, uint8_t* out) {
  ByteWriter w(out, GdbHeaderSize);
  w.WriteI32(h.LastItemID);
  w.WriteI32(h.DBVersion);
  w.WriteStr(h.Description);
  w.WriteI32(h.Revision);
  w.Skip(GdbHeaderSize - w.Pos());
}

TgdbHeader DecodeHeader(const uint8_t* in) {
  ByteReader r(in, GdbHeaderSize);
  TgdbHeader h;
  h.LastItemID = r.ReadI32();
  h.DBVersion = r.ReadI32();
  h.Description = r.ReadStr<63>();
  h.Revision = r.ReadI32();
  return h;
}

void EncodeData(const TgdbData& d, uint8_t* out) {
  ByteWriter w(out, GdbDataSize);
  w.WriteI32(d.ItemID);
  WriteName(w, d.Name);
  w.WriteF32(d.FloatAttr);
  w.WriteU8(d.ByteAttr);
  w.Skip(3);
  w.WriteI32(d.IntAttrB);
  w.WriteI32(d.DataPos);
  w.WriteF64(d.Date);
  w.WriteI32(d.IntAttrA);
  w.WriteF32(d.LatLow);
  w.WriteF32(d.LatHigh);
  w.WriteF32(d.LongLow);
  w.WriteF32(d.LongHigh);
  w.WriteU8(d.Kind);
  w.Skip(3);
  w.WriteI32(d.Size);
  w.WriteBool(d.Closed);
  w.Skip(3);
}

void DecodeData(const uint8_t* in, TgdbData& d) {
  ByteReader r(in, GdbDataSize);
  d.ItemID = r.ReadI32();
  d.Name = r.ReadStr<59>();
  d.FloatAttr = r.ReadF32();
  d.ByteAttr = r.ReadU8();
  r.Skip(3);
  d.IntAttrB = r.ReadI32();
  d.DataPos = r.ReadI32();
  d.Date = r.ReadF64();
  d.IntAttrA = r.ReadI32();
  d.LatLow = r.ReadF32();
  d.LatHigh = r.ReadF32();
  d.LongLow = r.ReadF32();
  d.LongHigh = r.ReadF32();
  d.Kind = static_cast<TgdbItem>(r.ReadU8());
  r.Skip(3);
  d.Size = r.ReadI32();
  d.Closed = r.ReadBool();
}

void EncodeMetaInfo(const TMetaInfo& m, uint8_t* out) {
  ByteWriter w(out, GdbMetaInfoSize);
  w.WriteStr(m.Kwd);
  w.WriteStr(m.Caption);
  w.WriteStr(m.FilePath);
  w.WriteStr(m.Descriptor);
  w.WriteStr(m.Comment);
}

TMetaInfo DecodeMetaInfo(const uint8_t* in) {
  ByteReader r(in, GdbMetaInfoSize);
  TMetaInfo m;
  m.Kwd = r.ReadStr<255>();
  m.Caption = r.ReadStr<127>();
  m.FilePath = r.ReadStr<127>();
  m.Descriptor = r.ReadStr<255>();
  m.Comment = r.ReadStr<255>();
  return m;
}

TRecordBytes EncodeIndex(const TIxItemIDRecArray& ix) {
  TRecordBytes bytes(ix.size() * GdbIndexRecSize);
  ByteWriter w(bytes.data(), bytes.size());
  for (const TIxItemIDRec& rec : ix) {
    w.WriteI32(rec.ItemID);
    w.WriteI32(rec.Entry);
  }
  return bytes;
}

TRecordBytes EncodeIndex(const TIxLLRecArray& ix) {
  TRecordBytes bytes(ix.size() * GdbIndexRecSize);
  ByteWriter w(bytes.data(), bytes.size());
  for (const TIxLLRec& rec : ix) {
    w.WriteF32(rec.Value);
    w.WriteI32(rec.Entry);
  }
  return bytes;
}

TIxItemIDRecArray DecodeItemIDIndex(const TRecordBytes& bytes) {
  TIxItemIDRecArray ix(bytes.size() / GdbIndexRecSize);
  ByteReader r(bytes.data(), bytes.size());
  for (TIxItemIDRec& rec : ix) {
    rec.ItemID = r.ReadI32();
    rec.Entry = r.ReadI32();
  }
  return ix;
}

TIxLLRecArray DecodeLLIndex(const TRecordBytes& bytes) {
  TIxLLRecArray ix(bytes.size() / GdbIndexRecSize);
  ByteReader r(bytes.data(), bytes.size());
  for (TIxLLRec& rec : ix) {
    rec.Value = r.ReadF32();
    rec.Entry = r.ReadI32();
  }
  return ix;
}

bool ReadWholeFile(const std::string& name, TRecordBytes& bytes) {
  if (!FileExists(name)) return false;
  BinaryFile f(name, 1);
  f.SetFileMode(fmOpenRead);
  f.Reset();
  const int64_t size = f.FileSize();
  if (size > INT32_MAX) throw EInOutError(100);
  bytes.resize(static_cast<std::size_t>(size));
  f.BlockRead(bytes.data(), static_cast<int32_t>(size));
  return true;
}

bool ReadRecords(const std::string& name, int32_t recSize,
                 const std::function<void(const uint8_t* records, std::size_t count)>& sink) {
  if (!FileExists(name)) return false;
  BinaryFile f(name, recSize);
  f.SetFileMode(fmOpenRead);
  f.Reset();
  const int32_t perPiece = std::max(1, 65536 / recSize);
  std::vector<uint8_t> piece(static_cast<std::size_t>(perPiece) * recSize);
  for (int32_t got = perPiece; got == perPiece;) {
    f.BlockRead(piece.data(), perPiece, got);
    if (got > 0) sink(piece.data(), static_cast<std::size_t>(got));
  }
  return true;
}

void ReplaceFile(const std::string& temp, const std::string& name) {
  if (std::rename(OsFileName(temp).c_str(), OsFileName(name).c_str()) != 0) {
    DeleteFile(temp);
    throw EInOutError(5);
  }
}

void WriteFileReplacing(const std::string& name, const uint8_t* data, std::size_t size) {
  const std::string temp = name + ".tmp";
  {
    BinaryFile f(temp, 1);
    f.Rewrite();
    try {
      f.BlockWrite(data, static_cast<int32_t>(size));
    } catch (...) {
      f.Close();
      DeleteFile(temp);
      throw;
    }
  }
  ReplaceFile(temp, name);
}

std::string BaseOf(std::string_view path) { return StripExtension(path); }
std::string IndexFileName(const std::string& base, int32_t index) {
  return base + ".nuvgi" + static_cast<char>('0' + index);
}
std::string SummaryFileName(const std::string& base) { return base + ".nuvgds"; }
std::string DataFileName(const std::string& base) { return base + ".nuvgdd"; }

}  // namespace geodb

// ---------------------------------------------------------------------------

std::string TMetaInfo::Get(TMetaItem Item) const {
  switch (Item) {
    case miKwd:
      return Kwd.Str();
    case miCaption:
      return Caption.Str();
    case miFilePath:
      return FilePath.Str();
    case miDescriptor:
      return Descriptor.Str();
    case miComment:
      return Comment.Str();
  }
  return {};
}

void TMetaInfo::Set(TMetaItem Item, std::string_view Text) {
  switch (Item) {
    case miKwd:
      Kwd = Text;
      break;
    case miCaption:
      Caption = Text;
      break;
    case miFilePath:
      FilePath = Text;
      break;
    case miDescriptor:
      Descriptor = Text;
      break;
    case miComment:
      Comment = Text;
      break;
  }
}

void ExtractLocation(const TgdbData& Data, TSCoords& Location) {
  Location.Lat = Data.LatLow;
  Location.Long = Data.LongLow;
}

void ClearMetaInfo(TMetaInfo& MetaInfo) { MetaInfo = TMetaInfo{}; }

void ClearGdbData(TgdbData& Data) {
  Data = TgdbData{};
  Data.Date = Now();
}

namespace {

std::string GeoAngle(double value, double limit, TDegreeFormat format, int32_t decimals,
                     std::string_view positive, std::string_view negative) {
  if (std::isnan(value)) return {};
  const double v = std::clamp(value, -limit, limit);
  return DegreeToStr(std::fabs(v), format, decimals) + std::string(v >= 0 ? positive : negative);
}

}  // namespace

std::string GeoLatitude(double Value, TDegreeFormat Format, int32_t Decimals) {
  return GeoAngle(Value, 90, Format, Decimals, " N", " S");
}

std::string GeoLongitude(double Value, TDegreeFormat Format, int32_t Decimals) {
  return GeoAngle(Value, 180, Format, Decimals, " E", " W");
}

TgdbSystemInfo ReadSystemInformation(std::string_view FileName) {
  TgdbSystemInfo info;
  const std::string base = geodb::BaseOf(FileName);
  const int64_t summary = FileSizeOf(geodb::SummaryFileName(base));
  if (summary > 0)
    info.NumEntries = static_cast<int32_t>(std::min<int64_t>(summary / GdbDataSize, INT32_MAX));
  const std::string data = geodb::DataFileName(base);
  info.DataFileSize = std::max<int64_t>(FileSizeOf(data), 0);
  if (info.DataFileSize < GdbHeaderSize) return info;
  uint8_t bytes[GdbHeaderSize];
  try {
    BinaryFile f(data, 1);
    f.SetFileMode(fmOpenRead);
    f.Reset();
    f.BlockRead(bytes, GdbHeaderSize);
  } catch (const EInOutError&) {
    return info;
  }
  info.Header = geodb::DecodeHeader(bytes);
  info.Valid = info.Header.DBVersion == GdbVersion;
  return info;
}

}  // namespace nuv
