// The geographic vector database: a small multi-file store of geographic
// items (borders, towns, cities, lakes, rivers, roads, routes and binary
// objects). Each item has a fixed 120-byte summary record and an optional
// payload (a polygon of points, or a binary object with meta information)
// appended to the data file. Five sorted indexes, by item identifier and by
// the four edges of the bounding box, are held in memory and mirrored in
// index files, written at once or lazily.
//
// A database named "dir/base.ext" is the seven files "dir/base" + ".nuvgdd"
// (data: a 260-byte header, then payloads), ".nuvgds" (summary records in
// entry order) and ".nuvgi0" .. ".nuvgi4" (item-ID, LatLow, LatHigh,
// LongLow and LongHigh indexes of 8-byte records). All values are stored
// little-endian field by field. Entry numbers seen by callers are 1-based;
// the entries stored inside index records are 0-based. Entry numbers change
// when an entry is deleted (the last entry moves into its place); item
// identifiers never do. Payloads of replaced or deleted items stay in the
// data file until GarbageCollection.
//
// Opening checks the files: a data file shorter than its header, a version
// other than 4, or a summary file that is not a whole number of records is
// refused with ENUVGeoDBError and nothing is written; index files that
// disagree with the summary records in any way are rebuilt from them.
// Payload positions and sizes are checked against the data file whenever a
// payload is read, so a corrupt record gives false, never a wild read.
// Coordinates must be numbers: NaN is refused with ENUVGeoDBError. Index
// files are written to a temporary file and renamed, so a failed save
// leaves the previous one in place.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "nuv/Nuv_nuvbase.h"
#include "nuv/platform/BinaryFile.h"
#include "nuv/platform/Classes.h"
#include "nuv/platform/DateTime.h"
#include "nuv/platform/Streams.h"
#include "nuv/platform/Types.h"

namespace nuv {

class ENUVGeoDBError : public ENUVError {
 public:
  using ENUVError::ENUVError;
};

enum TgdbItem : uint8_t {
  gitBorder,
  gitTown,
  gitCity,
  gitLake,
  gitRiver,
  gitRoad,
  gitRoute,
  gitBLOB,
  gitUndefined
};
inline constexpr std::array<std::string_view, 9> GDB_ITEMNAMES{
    "Border", "Town", "City", "Lake", "River", "Road", "Route", "BLOB", "Undefined"};

// True for the kinds whose payload is a polygon (all but towns, BLOBs and
// undefined kinds).
constexpr bool IsPolygonKind(TgdbItem Kind) {
  return Kind < gitUndefined && Kind != gitTown && Kind != gitBLOB;
}

using TgdbName = ShortString<59>;

// A point in degrees.
struct TSCoords {
  float Lat = 0;
  float Long = 0;
  friend bool operator==(const TSCoords&, const TSCoords&) = default;
};
using TgdbPolygon = std::vector<TSCoords>;

enum TMetaItem : uint8_t { miKwd, miCaption, miFilePath, miDescriptor, miComment };

// The meta information stored in front of a binary object (1024 bytes).
struct TMetaInfo {
  ShortString<255> Kwd;
  ShortString<127> Caption;
  ShortString<127> FilePath;
  ShortString<255> Descriptor;
  ShortString<255> Comment;

  // The member of one item; Set cuts the text to the member's capacity.
  std::string Get(TMetaItem Item) const;
  void Set(TMetaItem Item, std::string_view Text);
  friend bool operator==(const TMetaInfo&, const TMetaInfo&) = default;
};

// The summary record of one item.
struct TgdbData {
  int32_t ItemID = 0;
  TgdbName Name;
  float FloatAttr = 0;
  uint8_t ByteAttr = 0;
  int32_t IntAttrB = 0;
  int32_t DataPos = -1;  // byte offset of the payload, -1 for none
  TDateTime Date = 0;
  int32_t IntAttrA = 0;
  float LatLow = 0;
  float LatHigh = 0;
  float LongLow = 0;
  float LongHigh = 0;
  TgdbItem Kind = gitUndefined;
  int32_t Size = 0;  // points of a polygon, bytes of a BLOB, else 0
  bool Closed = false;
  friend bool operator==(const TgdbData&, const TgdbData&) = default;
};

// The header at the start of the data file.
struct TgdbHeader {
  int32_t LastItemID = 0;
  int32_t DBVersion = 4;
  ShortString<63> Description;
  int32_t Revision = 0;
  friend bool operator==(const TgdbHeader&, const TgdbHeader&) = default;
};

struct TIxItemIDRec {
  int32_t ItemID = 0;
  int32_t Entry = 0;
  friend bool operator==(const TIxItemIDRec&, const TIxItemIDRec&) = default;
};
using TIxItemIDRecArray = std::vector<TIxItemIDRec>;

struct TIxLLRec {
  float Value = 0;
  int32_t Entry = 0;
  friend bool operator==(const TIxLLRec&, const TIxLLRec&) = default;
};
using TIxLLRecArray = std::vector<TIxLLRec>;

// Stored sizes.
inline constexpr int32_t GdbHeaderSize = 260;
inline constexpr int32_t GdbDataSize = 120;
inline constexpr int32_t GdbMetaInfoSize = 1024;
inline constexpr int32_t GdbIndexRecSize = 8;
inline constexpr int32_t GdbVersion = 4;

// What ReadSystemInformation finds out about a database without opening it.
struct TgdbSystemInfo {
  bool Valid = false;  // the data file's header is there with version 4
  TgdbHeader Header;
  int32_t NumEntries = 0;  // whole summary records
  int64_t DataFileSize = 0;
};

class TGeoDB : public TComponent {
 public:
  explicit TGeoDB(TComponent* AOwner);
  // Saves the indexes when LazyWrite is on.
  ~TGeoDB() override;

  // The base path of the open database (no extension), empty when closed.
  const std::string& DBName() const { return base_; }
  // Closes the open database (saving pending indexes), then opens the one
  // named, creating missing files; empty only closes. A database that
  // cannot be used raises ENUVGeoDBError ("SetDBName: ...") or the
  // platform's EInOutError and leaves the component closed, the files
  // untouched.
  void SetDBName(std::string_view Path);
  bool LazyWrite() const { return lazy_write_; }
  // Switching it off saves the five indexes.
  void SetLazyWrite(bool Value);
  int32_t NumEntries() const { return static_cast<int32_t>(sum_.size()); }

  TOnPercentDoneEvent OnPercentDone;

  // --- Adding (the result is the new entry number, -1 with no database)
  // The box arguments of the polygon kinds are ignored: the box is taken
  // from the points.
  int32_t AddBorder(const TgdbName& Name, const TgdbPolygon& Polygon, bool Closed, TDateTime Date,
                    int32_t IntAttrA, float LatLow, float LatHigh, float LongLow, float LongHigh,
                    float FloatAttr, uint8_t ByteAttr, int32_t IntAttrB);
  int32_t AddCity(const TgdbName& Name, const TgdbPolygon& Polygon, bool Closed, TDateTime Date,
                  int32_t IntAttrA, float LatLow, float LatHigh, float LongLow, float LongHigh,
                  float FloatAttr, uint8_t ByteAttr, int32_t IntAttrB);
  int32_t AddLake(const TgdbName& Name, const TgdbPolygon& Polygon, TDateTime Date,
                  int32_t IntAttrA, float LatLow, float LatHigh, float LongLow, float LongHigh,
                  float FloatAttr, uint8_t ByteAttr, int32_t IntAttrB);
  int32_t AddRiver(const TgdbName& Name, const TgdbPolygon& Polygon, TDateTime Date,
                   int32_t IntAttrA, float LatLow, float LatHigh, float LongLow, float LongHigh,
                   float FloatAttr, uint8_t ByteAttr, int32_t IntAttrB);
  int32_t AddRoad(const TgdbName& Name, const TgdbPolygon& Polygon, TDateTime Date,
                  int32_t IntAttrA, float LatLow, float LatHigh, float LongLow, float LongHigh,
                  float FloatAttr, uint8_t ByteAttr, int32_t IntAttrB);
  int32_t AddRoute(const TgdbName& Name, const TgdbPolygon& Polygon, TDateTime Date,
                   int32_t IntAttrA, float LatLow, float LatHigh, float LongLow, float LongHigh,
                   float FloatAttr, uint8_t ByteAttr, int32_t IntAttrB);
  int32_t AddTown(const TgdbName& Name, TDateTime Date, int32_t IntAttrA, const TSCoords& Location,
                  float FloatAttr, uint8_t ByteAttr, int32_t IntAttrB);
  // From a file: the item is named after the file (without directory), or
  // after ItemName's file part; Date becomes the file's time stamp. A
  // missing or unreadable file raises EInOutError and adds nothing. The
  // overload with Text stores it as the item's comment.
  int32_t AddBLOB(const std::string& FileName, TDateTime Date, int32_t IntAttrA, float LatLow,
                  float LatHigh, float LongLow, float LongHigh, float FloatAttr, uint8_t ByteAttr,
                  int32_t IntAttrB, const TMetaInfo& MetaInfo);
  int32_t AddBLOB(const std::string& FileName, const std::string& ItemName, TDateTime Date,
                  int32_t IntAttrA, float LatLow, float LatHigh, float LongLow, float LongHigh,
                  float FloatAttr, uint8_t ByteAttr, int32_t IntAttrB, const TMetaInfo& MetaInfo);
  int32_t AddBLOB(const std::string& FileName, const std::string& ItemName, const std::string& Text,
                  TDateTime Date, int32_t IntAttrA, float LatLow, float LatHigh, float LongLow,
                  float LongHigh, float FloatAttr, uint8_t ByteAttr, int32_t IntAttrB,
                  const TMetaInfo& MetaInfo);
  // From memory (DataSize bytes at Data, DataSize >= 0) or a memory stream.
  int32_t AddBLOB(const TgdbName& Name, TDateTime Date, int32_t IntAttrA, float LatLow,
                  float LatHigh, float LongLow, float LongHigh, float FloatAttr, uint8_t ByteAttr,
                  int32_t IntAttrB, const TMetaInfo& MetaInfo, const void* Data, int32_t DataSize);
  int32_t AddBLOB(const TgdbName& Name, TDateTime Date, int32_t IntAttrA, float LatLow,
                  float LatHigh, float LongLow, float LongHigh, float FloatAttr, uint8_t ByteAttr,
                  int32_t IntAttrB, const TMetaInfo& MetaInfo, const TMemoryStream& Stream);
  // The general form. A BLOB comes from the file named in MetaInfo's file
  // path when FromFile is set, else from Data. Raises ENUVGeoDBError when
  // the data file cannot be opened, when a coordinate is NaN, or when the
  // payload would end beyond the 2 GiB that 32-bit positions reach.
  int32_t AddData(const TgdbName& Name, const TgdbPolygon& Polygon, bool Closed, TgdbItem Kind,
                  uint8_t ByteAttr, TDateTime Date, int32_t IntAttrA, float LatLow, float LatHigh,
                  float LongLow, float LongHigh, float FloatAttr, int32_t IntAttrB,
                  const TMetaInfo& MetaInfo, const void* Data, int32_t DataSize, bool FromFile);

  // --- Replacing (Entry 1..NumEntries, else nothing): the item keeps its
  // ItemID; a new payload is appended, the old one stays unreferenced.
  void ReplaceBorder(int32_t Entry, const TgdbName& Name, const TgdbPolygon& Polygon, bool Closed,
                     TDateTime Date, int32_t IntAttrA, float LatLow, float LatHigh, float LongLow,
                     float LongHigh, float FloatAttr, uint8_t ByteAttr, int32_t IntAttrB);
  void ReplaceCity(int32_t Entry, const TgdbName& Name, const TgdbPolygon& Polygon, bool Closed,
                   TDateTime Date, int32_t IntAttrA, float LatLow, float LatHigh, float LongLow,
                   float LongHigh, float FloatAttr, uint8_t ByteAttr, int32_t IntAttrB);
  void ReplaceLake(int32_t Entry, const TgdbName& Name, const TgdbPolygon& Polygon, TDateTime Date,
                   int32_t IntAttrA, float LatLow, float LatHigh, float LongLow, float LongHigh,
                   float FloatAttr, uint8_t ByteAttr, int32_t IntAttrB);
  void ReplaceRiver(int32_t Entry, const TgdbName& Name, const TgdbPolygon& Polygon, TDateTime Date,
                    int32_t IntAttrA, float LatLow, float LatHigh, float LongLow, float LongHigh,
                    float FloatAttr, uint8_t ByteAttr, int32_t IntAttrB);
  void ReplaceRoad(int32_t Entry, const TgdbName& Name, const TgdbPolygon& Polygon, TDateTime Date,
                   int32_t IntAttrA, float LatLow, float LatHigh, float LongLow, float LongHigh,
                   float FloatAttr, uint8_t ByteAttr, int32_t IntAttrB);
  void ReplaceRoute(int32_t Entry, const TgdbName& Name, const TgdbPolygon& Polygon, TDateTime Date,
                    int32_t IntAttrA, float LatLow, float LatHigh, float LongLow, float LongHigh,
                    float FloatAttr, uint8_t ByteAttr, int32_t IntAttrB);
  void ReplaceTown(int32_t Entry, const TgdbName& Name, TDateTime Date, int32_t IntAttrA,
                   const TSCoords& Location, float FloatAttr, uint8_t ByteAttr, int32_t IntAttrB);
  void ReplaceBLOB(int32_t Entry, const std::string& FileName, TDateTime Date, int32_t IntAttrA,
                   float LatLow, float LatHigh, float LongLow, float LongHigh, float FloatAttr,
                   uint8_t ByteAttr, int32_t IntAttrB, const TMetaInfo& MetaInfo);
  void ReplaceBLOB(int32_t Entry, const TgdbName& Name, TDateTime Date, int32_t IntAttrA,
                   float LatLow, float LatHigh, float LongLow, float LongHigh, float FloatAttr,
                   uint8_t ByteAttr, int32_t IntAttrB, const TMetaInfo& MetaInfo, const void* Data,
                   int32_t DataSize);
  void ReplaceBLOB(int32_t Entry, const TgdbName& Name, TDateTime Date, int32_t IntAttrA,
                   float LatLow, float LatHigh, float LongLow, float LongHigh, float FloatAttr,
                   uint8_t ByteAttr, int32_t IntAttrB, const TMetaInfo& MetaInfo,
                   const TMemoryStream& Stream);
  void ReplaceData(int32_t Entry, const TgdbName& Name, const TgdbPolygon& Polygon, bool Closed,
                   TgdbItem Kind, uint8_t ByteAttr, TDateTime Date, int32_t IntAttrA, float LatLow,
                   float LatHigh, float LongLow, float LongHigh, float FloatAttr, int32_t IntAttrB,
                   const TMetaInfo& MetaInfo, const void* Data, int32_t DataSize, bool FromFile);

  // Removes the entry; the last entry takes its number.
  void DeleteData(int32_t Entry);

  // --- Reading payloads (false for a wrong entry or kind, or a payload
  // that does not lie inside the data file; the targets are then empty)
  bool RetrievePolygon(int32_t Entry, TgdbPolygon& Polygon);
  // Writes the object to FileName; a name that is empty or ends with a
  // separator gets the item's name (made file-name safe) appended. The
  // target is replaced only once the whole object is written.
  bool RetrieveBLOB(int32_t Entry, const std::string& FileName, TMetaInfo& MetaInfo);
  // Raises ENUVGeoDBError when BufSize is smaller than the object.
  bool RetrieveBLOB(int32_t Entry, TMetaInfo& MetaInfo, void* Buffer, int32_t BufSize);
  // The stream gets exactly the object's bytes, positioned at its end.
  bool RetrieveBLOB(int32_t Entry, TMetaInfo& MetaInfo, TMemoryStream& Stream);
  bool GetMetaInfo(int32_t Entry, TMetaInfo& MetaInfo);

  // The summary record, Entry clamped into 1..NumEntries (an empty record
  // when there is none).
  TgdbData GetSumdata(int32_t Entry) const;

  // --- Indexes: index records at 1-based positions (clamped), with the
  // entry given 1-based.
  TIxItemIDRec GetIxItemID(int32_t i) const;
  TIxLLRec GetIxLatLow(int32_t i) const;
  TIxLLRec GetIxLatHigh(int32_t i) const;
  TIxLLRec GetIxLongLow(int32_t i) const;
  TIxLLRec GetIxLongHigh(int32_t i) const;
  // The 1-based index position where a binary search for Value stops, plus
  // one when Value is greater than the key there: for distinct keys the
  // first position whose key is not below Value (NumEntries + 1 past the
  // end); 1 for an empty index.
  int32_t GetClosestLatLowIx(double Value) const;
  int32_t GetClosestLatHighIx(double Value) const;
  int32_t GetClosestLongLowIx(double Value) const;
  int32_t GetClosestLongHighIx(double Value) const;
  int32_t GetClosestItemIDIx(int32_t ItemID) const;
  // The entry number of the item, 0 when there is none.
  int32_t SearchForItemID(int32_t ItemID) const;

  // Insert Rec into a sorted array whose last element is free (an array
  // without elements is left alone).
  static void SortIxInto(TIxLLRecArray& Index, const TIxLLRec& Rec);
  static void SortIxItemIDInto(TIxItemIDRecArray& Index, const TIxItemIDRec& Rec);
  // Insert the records of Entry (1-based) into the five indexes, whose last
  // elements must be free; remove them, leaving the last elements free.
  // Entries outside 1..NumEntries are ignored.
  void InsertIntoIndex(int32_t Entry, const TgdbData& Data);
  void RemoveIndexEntries(int32_t Entry);
  // Rewrites index file Index (0 item IDs, 1 LatLow, 2 LatHigh, 3 LongLow,
  // 4 LongHigh); nothing when closed or Index is outside 0..4.
  void SaveIndex(int32_t Index);
  // Rebuilds the five indexes from the summary records and saves them
  // unless LazyWrite is on.
  void RecalcIndexes();

  // --- Header
  std::string GetDescription() const { return header_.Description.Str(); }
  // Cut to 60 characters and written at once (with a database open).
  void SetDescription(std::string_view Text);
  int32_t GetRevision() const { return header_.Revision; }
  void SetRevision(int32_t Value);
  int32_t GetDBVersion() const { return header_.DBVersion; }

  // --- Searches and maintenance
  // The first entry from Start (clamped to 1) whose name equals Name
  // without regard to case (an empty Name matches every name) and whose
  // kind and byte attribute are Kind and ByteAttr; 0 when none.
  int32_t SearchData(const TgdbName& Name, TgdbItem Kind, int32_t Start, uint8_t ByteAttr) const;
  // The first entry of that name (case-insensitive), of any kind; 0 when none.
  int32_t SearchData(const TgdbName& Name) const;
  // Rewrites the summary record in place from Data's name, date and
  // attributes; ItemID, kind, payload position, size and closed flag stay,
  // and so does the box of a polygon, which comes from its points. For
  // other kinds the box is taken from Data (NaN raises ENUVGeoDBError).
  // False for an entry outside 1..NumEntries.
  bool UpdateBasicData(int32_t Entry, const TgdbData& Data);
  // Rewrites a BLOB's meta information in place; false for other entries.
  bool UpdateMetaInfo(int32_t Entry, const TMetaInfo& MetaInfo);
  // Copies the payloads still referenced into a new data file, updates
  // every DataPos, and only then replaces the data and summary files.
  // Payloads that do not lie inside the data file are dropped (DataPos -1,
  // Size 0). Returns the number of bytes saved; -1 with no database open.
  int64_t GarbageCollection();
  // Writes a readable text dump of the header, the summary records and the
  // five indexes.
  void ExportDataDebug(const std::string& FileName) const;

 private:
  // The arguments of AddData and ReplaceData; SourceFile names the file of
  // a BLOB read from a file.
  struct TItemArgs {
    TgdbName Name;
    const TgdbPolygon* Polygon;
    bool Closed;
    TgdbItem Kind;
    uint8_t ByteAttr;
    TDateTime Date;
    int32_t IntAttrA;
    std::array<float, 4> Box;
    float FloatAttr;
    int32_t IntAttrB;
    const TMetaInfo* MetaInfo;
    const void* Data;
    int64_t DataSize;
    bool FromFile;
    std::string SourceFile;
  };
  static TItemArgs BLOBArgs(const std::string& FileName, std::string_view ItemName, TDateTime Date,
                            int32_t IntAttrA, const std::array<float, 4>& Box, float FloatAttr,
                            uint8_t ByteAttr, int32_t IntAttrB, TMetaInfo& Meta);
  static TItemArgs MemoryArgs(const TgdbName& Name, TDateTime Date, int32_t IntAttrA,
                              const std::array<float, 4>& Box, float FloatAttr, uint8_t ByteAttr,
                              int32_t IntAttrB, const TMetaInfo& Meta, const void* Data,
                              int64_t DataSize);
  int32_t AddItem(const TItemArgs& Args);
  void ReplaceItem(int32_t Entry, const TItemArgs& Args);
  TgdbData BuildRecord(std::string_view Method, const TItemArgs& Args, BinaryFile& DataFile);
  void OpenDataFile(std::string_view Method, BinaryFile& F, bool Writable) const;
  void Open(const std::string& Base);
  // Reads and checks the files, repairs the indexes and creates what is
  // missing; Open undoes it all when this throws.
  void Load(const std::string& Base);
  void Close();
  void SaveAllIndexes();
  void SaveIndexesUnlessLazy();
  void WriteHeader(std::string_view Method, const TgdbHeader& Header);
  void WriteSummary(int32_t Entry0, const TgdbData& Data);
  void RebuildIndex(int32_t Index);
  // KeyBits: the bits of each entry's key, in entry order.
  bool IndexMatches(int32_t Index, const std::vector<uint32_t>& KeyBits) const;
  void Progress(int32_t Percent);
  void ProgressOf(int64_t Done, int64_t Total);
  // Opens the data file at a payload that lies wholly inside it.
  bool OpenPayload(int32_t Entry0, BinaryFile& F, TgdbData& Data) const;
  bool ReadBLOB(int32_t Entry, TMetaInfo& MetaInfo, const std::function<void(int32_t Size)>& Start,
                const std::function<void(const uint8_t* Bytes, int32_t Count)>& Sink);
  std::string FileOf(int32_t Index) const;
  bool Entry1Valid(int32_t Entry) const { return Entry >= 1 && Entry <= NumEntries(); }

  std::string base_;
  bool lazy_write_ = false;
  TgdbHeader header_;
  std::vector<TgdbData> sum_;
  TIxItemIDRecArray ix_id_;
  std::array<TIxLLRecArray, 4> ix_ll_;  // LatLow, LatHigh, LongLow, LongHigh
};

// LatLow and LongLow of the record.
void ExtractLocation(const TgdbData& Data, TSCoords& Location);
void ClearMetaInfo(TMetaInfo& MetaInfo);
// Name of 59 blanks' worth of empty slots, DataPos -1, Kind gitUndefined,
// Date now, everything else 0.
void ClearGdbData(TgdbData& Data);
// Value clamped into -90..90 (-180..180), its absolute value in the
// notation of DegreeToStr, then " N" or " S" (" E" or " W"); NaN gives "".
std::string GeoLatitude(double Value, TDegreeFormat Format, int32_t Decimals);
std::string GeoLongitude(double Value, TDegreeFormat Format, int32_t Decimals);
// The header and entry count of a database, read without opening it (any
// of its file names or its base); Valid is false when the data file is
// missing, shorter than its header or of another version.
TgdbSystemInfo ReadSystemInformation(std::string_view FileName);

}  // namespace nuv
