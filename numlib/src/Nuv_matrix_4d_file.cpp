// TMat4D: the blocked binary file of time slots (4096-byte records,
// record 0 the header, then the values 512 to a record).
#include <algorithm>
#include <cstring>
#include <functional>
#include <limits>
#include <string>

#include "Nuv_matrix_3d4d_parts.h"
#include "Nuv_matrix_files_parts.h"
#include "nuv/platform/BinaryFile.h"
#include "nuv/platform/FileUtils.h"

namespace nuv {

namespace {

constexpr int32_t kRecordBytes = 4096;
constexpr int64_t kRecordValues = kRecordBytes / sizeof(double);
// Records moved by one read or write between progress reports: large
// enough that the calls cost nothing beside the copying.
constexpr int64_t kChunkRecords = 256;

struct THeader {
  int32_t Counts[4] = {0, 0, 0, 0};  // columns, rows, layers, stored slots
  std::string DataID;
};

void EncodeHeader(const THeader& h, uint8_t (&record)[kRecordBytes]) {
  ByteWriter w(record, sizeof record);
  for (const int32_t n : h.Counts) w.WriteI32(n);
  w.WriteStr(ShortString<255>(h.DataID));
  w.Skip(sizeof record - w.Pos());
}

THeader DecodeHeader(const uint8_t (&record)[kRecordBytes]) {
  ByteReader r(record, sizeof record);
  THeader h;
  for (int32_t& n : h.Counts) n = r.ReadI32();
  h.DataID = r.ReadStr<255>().Str();
  return h;
}

// Record 0 of an open file, as it is and decoded; false when the file is
// shorter than a record.
bool ReadHeader(BinaryFile& f, uint8_t (&record)[kRecordBytes], THeader& header) {
  if (f.FileSize() < 1) return false;
  f.Seek(0);
  f.Read(record);
  header = DecodeHeader(record);
  return true;
}

// The slots to write: firstSlot beyond the matrix raises, <= 0 in either
// bound takes all, lastSlot is lowered to the slots there are and a
// reversed pair is ordered.
void SlotRange(const TMat4D& m, int32_t& firstSlot, int32_t& lastSlot) {
  if (firstSlot > m.NrOfTimeSlots())
    RaiseComponentError<ENUVMatrixError>(m, "specified time slot beyond data range");
  if (firstSlot <= 0 || lastSlot <= 0) {
    firstSlot = 1;
    lastSlot = m.NrOfTimeSlots();
    return;
  }
  lastSlot = std::min(lastSlot, m.NrOfTimeSlots());
  if (firstSlot > lastSlot) std::swap(firstSlot, lastSlot);
}

// Reports every max(1, count div 100) values moved.
class TProgress {
 public:
  TProgress(const TMat4D& m, int64_t count)
      : m_(m), count_(count), step_(std::max<int64_t>(1, count / 100)), next_(step_) {}
  void Reached(int64_t done) {
    for (; next_ <= done; next_ += step_)
      m_.PercDone(const_cast<TMat4D*>(&m_), static_cast<int32_t>(Round(next_ * 100.0L / count_)));
  }

 private:
  const TMat4D& m_;
  int64_t count_, step_, next_;
};

using TRecordWriter = std::function<void(const void* records, int64_t count)>;

// Writes count values as records from position pos of the first record,
// whose values before pos are already in `record`; the rest of the last
// record is zero.
void WriteValues(const double* values, int64_t count, int64_t pos, double (&record)[kRecordValues],
                 const TRecordWriter& write, TProgress& progress) {
  int64_t done = 0;
  auto writeBuffered = [&](int64_t from) {
    const int64_t n = std::min(kRecordValues - from, count - done);
    std::copy_n(values + done, n, record + from);
    std::fill(record + from + n, record + kRecordValues, 0.0);
    write(record, 1);
    progress.Reached(done += n);
  };
  if (pos > 0) writeBuffered(pos);
  while (count - done >= kRecordValues) {
    const int64_t records = std::min(kChunkRecords, (count - done) / kRecordValues);
    write(values + done, records);
    progress.Reached(done += records * kRecordValues);
  }
  if (done < count) writeBuffered(0);
}

// Reads count values from position pos of the file's current record.
void ReadValues(BinaryFile& f, double* values, int64_t count, int64_t pos, TProgress& progress) {
  double record[kRecordValues];
  int64_t done = 0;
  auto readBuffered = [&](int64_t from) {
    f.Read(record);
    const int64_t n = std::min(kRecordValues - from, count - done);
    std::copy_n(record + from, n, values + done);
    progress.Reached(done += n);
  };
  if (pos > 0) readBuffered(pos);
  while (count - done >= kRecordValues) {
    const int64_t records = std::min(kChunkRecords, (count - done) / kRecordValues);
    f.BlockRead(values + done, static_cast<int32_t>(records));
    progress.Reached(done += records * kRecordValues);
  }
  if (done < count) readBuffered(0);
}

// Records holding header and `values` values.
int64_t RecordsFor(int64_t values) { return 1 + (values + kRecordValues - 1) / kRecordValues; }

}  // namespace

void TMat4D::SaveBinary(std::string_view fileName, int32_t firstSlot, int32_t lastSlot) const {
  SlotRange(*this, firstSlot, lastSlot);
  const int64_t perSlot = int64_t{n_[0]} * n_[1] * n_[2];
  const int64_t count = perSlot * (int64_t{lastSlot} - firstSlot + 1);
  THeader header{{n_[0], n_[1], n_[2], lastSlot - firstSlot + 1}, data_id_};
  uint8_t headerRecord[kRecordBytes];
  EncodeHeader(header, headerRecord);
  TProgress progress(*this, count);
  matrix::SaveFileReplacing(fileName, [&](TextFile& f) {
    auto write = [&](const void* records, int64_t n) {
      f.Write(std::string_view(static_cast<const char*>(records),
                               static_cast<std::size_t>(n) * kRecordBytes));
    };
    write(headerRecord, 1);
    double record[kRecordValues];
    WriteValues(data_.get() + perSlot * (firstSlot - 1), count, 0, record, write, progress);
  });
}

bool TMat4D::LoadBinary(std::string_view fileName, int32_t firstSlot, int32_t lastSlot) {
  BinaryFile f(fileName, kRecordBytes);
  f.SetFileMode(fmOpenRead);
  f.Reset();
  uint8_t raw[kRecordBytes];
  THeader header;
  if (!ReadHeader(f, raw, header)) return false;
  const int32_t stored = header.Counts[3];
  const int64_t perSlot = matrix::CheckedCount({header.Counts[0], header.Counts[1], header.Counts[2]});
  if (perSlot < 0 || stored < 0) return false;
  if (firstSlot <= 0 || lastSlot <= 0) {
    firstSlot = 1;
    lastSlot = stored;
  } else {
    if (firstSlot > stored) Raise("specified time slot beyond data range");
    lastSlot = std::min(lastSlot, stored);
    if (firstSlot > lastSlot) std::swap(firstSlot, lastSlot);
  }
  if (lastSlot < firstSlot) return false;  // a file without slots
  const int32_t counts[4] = {header.Counts[0], header.Counts[1], header.Counts[2],
                             lastSlot - firstSlot + 1};
  const int64_t count = matrix::CheckedCount({perSlot, counts[3]});
  const int64_t offset = perSlot * (firstSlot - 1);
  if (count < 0 || f.FileSize() < RecordsFor(offset + count)) return false;

  // A block of the same shape is read in place; otherwise the new block
  // replaces the old one only once it is complete.
  const bool inPlace = std::equal(counts, counts + 4, n_);
  TStorage block = inPlace ? TStorage() : NewBlock(counts, false);
  f.Seek(offset / kRecordValues + 1);
  TProgress progress(*this, count);
  ReadValues(f, inPlace ? data_.get() : block.get(), count, offset % kRecordValues, progress);
  f.Close();
  if (!inPlace) data_ = std::move(block);
  std::copy_n(counts, 4, n_);
  data_id_ = header.DataID;
  Changed();
  return true;
}

bool TMat4D::ReadBinaryHeader(std::string_view fileName, int32_t& columns, int32_t& rows,
                              int32_t& layers, int32_t& slots, std::string& dataID) {
  BinaryFile f(fileName, kRecordBytes);
  f.SetFileMode(fmOpenRead);
  f.Reset();
  uint8_t raw[kRecordBytes];
  THeader header;
  const bool complete = ReadHeader(f, raw, header);
  f.Close();
  columns = header.Counts[0];
  rows = header.Counts[1];
  layers = header.Counts[2];
  slots = header.Counts[3];
  dataID = header.DataID;
  return complete && columns > 0 && rows > 0 && layers > 0 && slots > 0;
}

void TMat4D::AppendToBinaryFile(std::string_view fileName, int32_t firstSlot,
                                int32_t lastSlot) const {
  BinaryFile f(fileName, kRecordBytes);
  f.Reset();
  uint8_t raw[kRecordBytes];
  THeader header;
  if (!ReadHeader(f, raw, header)) Raise("file holds no valid matrix data");
  if (!std::equal(n_, n_ + 3, header.Counts)) Raise("X,Y,Z of matrices do not match");
  const int64_t stored = header.Counts[3];
  const int64_t perSlot = int64_t{n_[0]} * n_[1] * n_[2];
  if (stored < 0 || f.FileSize() < RecordsFor(stored * perSlot))
    Raise("file holds no valid matrix data");
  SlotRange(*this, firstSlot, lastSlot);
  const int64_t added = int64_t{lastSlot} - firstSlot + 1;
  if (stored + added > std::numeric_limits<int32_t>::max())
    Raise("specified time slot beyond data range");

  const int64_t offset = stored * perSlot, count = perSlot * added;
  // The values already in a partial last record stay.
  double record[kRecordValues] = {};
  f.Seek(offset / kRecordValues + 1);
  if (offset % kRecordValues != 0) {
    f.Read(record);
    f.Seek(offset / kRecordValues + 1);
  }
  TProgress progress(*this, count);
  WriteValues(data_.get() + perSlot * (firstSlot - 1), count, offset % kRecordValues, record,
              [&](const void* records, int64_t n) { f.BlockWrite(records, static_cast<int32_t>(n)); },
              progress);
  // The count last: until here the file still describes its old slots.
  // The rest of the header stays as it is.
  const int32_t total = static_cast<int32_t>(stored + added);
  std::memcpy(raw + 12, &total, sizeof total);
  f.Seek(0);
  f.Write(raw);
  f.Close();
}

}  // namespace nuv
