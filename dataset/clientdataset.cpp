// The client dataset's packet save and load: file and stream I/O around the table export and
// import, with the framework's file errors.
#include "dataset/clientdataset.h"

#include <algorithm>
#include <istream>
#include <ostream>

#include "datapacket/dspacket.h"
#include "datapacket/packetformats.h"
#include "dataset/dberrors.h"
#include "platform/files.h"

namespace db {

using dspacket::ByteArray;

namespace {

uint32_t StreamModeOf(TDataPacketFormat format) {
  return dspacket::StreamModeForSave({}, static_cast<uint32_t>(format));
}

}  // namespace

void TClientDataSet::EndEditing() {
  if (State() != dsEdit && State() != dsInsert) return;
  if (Modified())
    Post();
  else
    Cancel();
}

ByteArray TClientDataSet::ExportTable(uint32_t streamMode) {
  if (DSBase() == nullptr) return {};
  EndEditing();
  Check(DSBase()->SetProp(dsengine::dspropSTREAMMODE, streamMode));
  ByteArray packet;
  Check(dspacket::ExportPacket(*DSBase(), &packet));
  return packet;
}

namespace {

// The packet's bytes into the replacement of the table file, as the export makes them.
class FileSink : public dspacket::PacketSink {
 public:
  explicit FileSink(platform::ReplacingFile& file) : file_(file) {}
  bool Append(const uint8_t* data, size_t size) override {
    return file_.Write(data, size, &reason);
  }
  bool Patch(uint64_t offset, const uint8_t* data, size_t size) override {
    return file_.WriteAt(offset, data, size, &reason);
  }
  bool AppendLasting(const uint8_t* data, size_t size) override {
    return file_.WriteLasting(data, size, &reason);
  }
  bool Finish() override { return file_.Flush(&reason); }
  std::string reason;  // the system's text for a failed write

 private:
  platform::ReplacingFile& file_;
};

}  // namespace

void TClientDataSet::SavePacketFile(const std::string& fileName, TDataPacketFormat format) {
  if (DSBase() == nullptr) return;
  EndEditing();
  Check(DSBase()->SetProp(dsengine::dspropSTREAMMODE,
                          dspacket::StreamModeForSave(fileName, static_cast<uint32_t>(format))));
  // The packet goes to the file as it is made (a binary one a chunk at a time), so a save
  // needs no second copy of the table in memory; the old file stays until the new one is
  // complete on disk.
  auto cannotCreate = [&fileName](const std::string& reason) {
    return EFCreateError("Cannot create file \"" + fileName + "\". " + reason);
  };
  platform::ReplacingFile file(fileName);
  std::string reason;
  if (!file.Open(&reason)) throw cannotCreate(reason);
  FileSink sink(file);
  const dsengine::DBResult st = dspacket::ExportPacket(*DSBase(), sink);
  if (!sink.reason.empty()) throw cannotCreate(sink.reason);
  Check(st);
  if (!file.Commit(&reason)) throw cannotCreate(reason);
}

void TClientDataSet::SaveToStream(std::ostream& stream, TDataPacketFormat format) {
  if (DSBase() == nullptr) return;
  const ByteArray packet = ExportTable(StreamModeOf(format));
  stream.write(reinterpret_cast<const char*>(packet.data()),
               static_cast<std::streamsize>(packet.size()));
  if (!stream) throw EStreamError("Stream write error");
}

void TClientDataSet::LoadPacketFile(const std::string& fileName) {
  Close();
  savedPacket_.reset();  // the old packet goes before the new one is read
  ByteArray bytes;
  std::string reason;
  const bool read = platform::ReadWholeFileInto(
      fileName,
      [&bytes](size_t size) -> uint8_t* {
        if (!bytes.Reserve(size)) return nullptr;
        bytes.SetSize(size);
        return bytes.data();
      },
      &reason);
  if (!read) throw EFOpenError("Cannot open file \"" + fileName + "\". " + reason);
  OpenFromPacket(std::move(bytes));
}

void TClientDataSet::LoadFromStream(std::istream& stream) {
  Close();
  savedPacket_.reset();
  // Read straight into the packet's array (from the stream's buffer, as an iterator over it
  // would), doubling its room as it fills.
  ByteArray packet;
  constexpr size_t kFirstRoom = size_t(1) << 16;
  std::streambuf* source = stream.rdbuf();
  for (std::streamsize got = 1; source != nullptr && got > 0;) {
    if (packet.size() == packet.capacity() &&
        !packet.Reserve(std::max(kFirstRoom, packet.capacity() * 2)))
      throw EStreamError("Stream read error");
    got = source->sgetn(reinterpret_cast<char*>(packet.data() + packet.size()),
                        static_cast<std::streamsize>(packet.capacity() - packet.size()));
    if (got > 0) packet.SetSize(packet.size() + size_t(got));
  }
  if (stream.bad()) throw EStreamError("Stream read error");
  OpenFromPacket(std::move(packet));
}

void TClientDataSet::OpenFromPacket(ByteArray packet) {
  // A packet held from an earlier failed open is let go here even when this one is empty, so
  // an empty file never reopens the previous file's content.
  savedPacket_.reset();
  loadFault_ = {};
  if (!packet.empty()) savedPacket_ = std::make_shared<const ByteArray>(std::move(packet));
  Open();
}

void TClientDataSet::InternalOpen() {
  if (DSBase() == nullptr && savedPacket_ != nullptr) {
    auto table = std::make_unique<dsengine::DSBASE>();
    // After a failed import the packet stays held (until the next load); after a successful
    // one the table alone keeps it, for as long as its blob store borrows from it.
    Check(dspacket::ImportPacket(*table, savedPacket_, true, &loadFault_));
    savedPacket_.reset();
    AdoptTable(std::move(table));
  }
  TCustomClientDataSet::InternalOpen();
}

}  // namespace db
