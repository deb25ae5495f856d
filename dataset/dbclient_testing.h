// Test helpers for the dataset model and the client dataset facade: a cursor that records the
// engine calls the facade makes, a client dataset using it, and the lyrics table. Test code only.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "dataset/DBClient.h"
#include "dataset/dberrors.h"
#include "tableengine/dsfilter.h"

namespace db::testing {

using namespace dsengine;

// Forwards to a real cursor and logs the name of each call of interest.
class RecordingCursor : public IDSCursor {
 public:
  explicit RecordingCursor(std::vector<std::string>* log) : log_(log), c_(&MakeFilteredIndex) {}
  DBResult Attach(IDSBase* t) override { return L("Attach"), c_.Attach(t); }
  DBResult GetCursorProps(CursorProps* p) override { return c_.GetCursorProps(p); }
  DBResult GetFieldDescs(FieldDescriptor* f) override { return c_.GetFieldDescs(f); }
  DBResult MoveToBOF() override { return L("MoveToBOF"), c_.MoveToBOF(); }
  DBResult MoveToEOF() override { return L("MoveToEOF"), c_.MoveToEOF(); }
  DBResult MoveRelative(int32_t n) override {
    return L(n > 0 ? "MoveRelative+" : "MoveRelative-"), c_.MoveRelative(n);
  }
  DBResult MoveToSeqNo(uint32_t n) override { return L("MoveToSeqNo"), c_.MoveToSeqNo(n); }
  DBResult GetCurrentRecord(uint8_t* r) override {
    return L("GetCurrentRecord"), c_.GetCurrentRecord(r);
  }
  DBResult GetRecordAt(uint32_t s, uint8_t* r, uint8_t* a, uint8_t* b) override {
    return L("GetRecordAt"), c_.GetRecordAt(s, r, a, b);
  }
  DBResult GetRecordCount(uint32_t* n) override { return c_.GetRecordCount(n); }
  DBResult GetSequenceNumber(uint32_t* s) override { return c_.GetSequenceNumber(s); }
  DBResult GetRecordAttribute(uint8_t* a) override { return c_.GetRecordAttribute(a); }
  DBResult SetNoCurrentRecord() override {
    return L("SetNoCurrentRecord"), c_.SetNoCurrentRecord();
  }
  DBResult GetBookmark(uint8_t* b) override { return c_.GetBookmark(b); }
  DBResult MoveToBookmark(const uint8_t* b) override {
    return L("MoveToBookmark"), c_.MoveToBookmark(b);
  }
  DBResult CompareBookmarks(const uint8_t* a, const uint8_t* b, int32_t* r) override {
    return c_.CompareBookmarks(a, b, r);
  }
  DBResult InitRecord(uint8_t* r) override { return L("InitRecord"), c_.InitRecord(r); }
  DBResult PutField(uint8_t* r, uint32_t f, const void* v) override {
    return L("PutField"), c_.PutField(r, f, v);
  }
  DBResult GetField(const uint8_t* r, uint32_t f, void* v, uint8_t* n) override {
    return c_.GetField(r, f, v, n);
  }
  DBResult GetBlobLength(const uint8_t* r, uint32_t f, uint32_t* n) override {
    return L("GetBlobLength"), c_.GetBlobLength(r, f, n);
  }
  DBResult GetBlob(const uint8_t* r, uint32_t f, uint32_t o, uint32_t n, void* d,
                   uint32_t* c) override {
    return L("GetBlob"), c_.GetBlob(r, f, o, n, d, c);
  }
  DBResult PutBlob(uint8_t* r, uint32_t f, uint32_t o, const void* d, uint32_t n) override {
    return L("PutBlob"), c_.PutBlob(r, f, o, d, n);
  }
  DBResult InsertRecord(const uint8_t* r) override { return L("InsertRecord"), c_.InsertRecord(r); }
  DBResult ModifyRecord(const uint8_t* r) override { return L("ModifyRecord"), c_.ModifyRecord(r); }
  DBResult DeleteRecord() override { return L("DeleteRecord"), c_.DeleteRecord(); }
  DBResult UndoLastChange(bool f) override { return L("UndoLastChange"), c_.UndoLastChange(f); }
  DBResult SortOnFields(uint32_t n, const uint32_t* f, const bool* d, const bool* ci) override {
    return L("SortOnFields"), c_.SortOnFields(n, f, d, ci);
  }
  DBResult UseIndexOrder(const char* n) override { return L("UseIndexOrder"), c_.UseIndexOrder(n); }
  DBResult GetIndexDescriptor(IndexDescriptor* d) override {
    return L("GetIndexDescriptor"), c_.GetIndexDescriptor(d);
  }
  DBResult AddFilter(const uint8_t* e, uint32_t s, uint32_t* h) override {
    return L("AddFilter"), c_.AddFilter(e, s, h);
  }
  DBResult DropFilter(uint32_t h) override { return L("DropFilter"), c_.DropFilter(h); }

 private:
  int L(const char* name) {
    log_->push_back(name);
    return 0;
  }
  std::vector<std::string>* log_;
  dsengine::DSCursor c_;
};

// A client dataset whose cursor records its calls into Log.
class TRecordingClientDataSet : public TCustomClientDataSet {
 public:
  using TCustomClientDataSet::TCustomClientDataSet;
  std::vector<std::string> Log;
  // Calls named `name` in the log since the last ClearLog.
  int Count(const std::string& name) const {
    int n = 0;
    for (const std::string& s : Log) n += s == name;
    return n;
  }
  void ClearLog() { Log.clear(); }
  // Whether the log holds `calls` in this order, other calls allowed before, between and after
  // them: the engine calls an operation needs, without pinning harmless extra queries.
  ::testing::AssertionResult Called(const std::vector<std::string>& calls) const {
    size_t next = 0;
    for (const std::string& s : Log) {
      if (next < calls.size() && s == calls[next]) ++next;
    }
    if (next == calls.size()) return ::testing::AssertionSuccess();
    std::string log;
    for (const std::string& s : Log) log += (log.empty() ? "" : ", ") + s;
    return ::testing::AssertionFailure()
           << "missing \"" << calls[next] << "\" (call " << next + 1 << " of " << calls.size()
           << ") in the engine calls: " << log;
  }

 protected:
  std::unique_ptr<IDSCursor> CreateCursor() override {
    return std::make_unique<RecordingCursor>(&Log);
  }
};

// The lyrics table's field definitions.
inline void DefineLyrics(TDataSet& ds) {
  ds.FieldDefs().Clear();
  ds.FieldDefs().Add("Id", ftAutoInc);
  ds.FieldDefs().Add("Artist", ftString, 180);
  ds.FieldDefs().Add("Album", ftString, 180);
  ds.FieldDefs().Add("Title", ftString, 180);
  ds.FieldDefs().Add("Lyric", ftMemo);
  ds.FieldDefs().Add("SongFileName", ftString, 500);
}

// Appends and posts one lyric.
inline void AddLyric(TDataSet& ds, const std::string& artist, const std::string& title,
                     const std::string& lyric = {}) {
  ds.Append();
  ds.FieldByName("Artist").SetAsString(artist);
  ds.FieldByName("Title").SetAsString(title);
  if (!lyric.empty()) ds.FieldByName("Lyric").SetAsString(lyric);
  ds.Post();
}

// Artists of the view in order (moves the current record to the end).
inline std::vector<std::string> Artists(TDataSet& ds) {
  std::vector<std::string> v;
  for (ds.First(); !ds.Eof(); ds.Next()) v.push_back(ds.FieldByName("Artist").AsString());
  return v;
}

// The message of the exception `f` raises as class E ("<none>" when it raises nothing).
template <class E>
std::string MessageOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const E& e) {
    return e.Message;
  }
  return "<none>";
}

}  // namespace db::testing
