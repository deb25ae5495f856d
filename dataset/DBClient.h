// The client dataset facade: TCustomClientDataSet (behaviour) and TClientDataSet (the component
// the program's data module owns as cdsMain). It presents the dataset model of db.h over one
// engine table (DSBASE) and one cursor (IDSCursor), and turns every non-zero engine status into
// EDBClient. User-interface thread only; owns its table and cursor while open.
//
// Record buffer of the facade (one per buffered record; zero-filled when allocated):
//   OFFSET                SIZE            CONTENT
//   0                     record size     flat record: values and null flags
//   record size           0               calculated fields (none are supported)
//   record size           4               sequence number of the record in the view
//   record size + 4       1               bookmark flag (TBookmarkFlag)
//   record size + 5       1               record attribute byte (update status)
//   record size + 6       bookmark size   the cursor's bookmark
//
// Packet layer seams: OpenTable() opens over a table built elsewhere, AdoptTable() lets a
// subclass supply the table while opening (a loaded packet), and DSBase() gives the table to
// export. TClientDataSet (dataset/clientdataset.h) adds the packet file save and load.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "dataset/db.h"
#include "tableengine/dsstatus.h"

// The engine types the facade holds; their headers stay out of every unit that uses the facade.
namespace dsengine {
class DSBASE;
class IDSCursor;
struct FieldDescriptor;
}  // namespace dsengine

namespace db {

enum TUpdateStatus : uint8_t { usUnmodified, usModified, usInserted, usDeleted };

class TCustomClientDataSet : public TDataSet {
 public:
  explicit TCustomClientDataSet(std::string name = {});
  ~TCustomClientDataSet() override;

  // Creates an empty table from FieldDefs (or from the fields, when there are any) and opens
  // it. Raises when active, for a field name of 32 characters or more (EDSWriter) and when
  // there is no definition.
  void CreateDataSet();
  // Takes a created table (for example one loaded from a data packet) and opens over it; an
  // open dataset is closed first (its table is released).
  void OpenTable(std::unique_ptr<dsengine::DSBASE> table);
  // The table while there is one (after create or load, until close); nullptr otherwise.
  dsengine::DSBASE* DSBase() const { return table_.get(); }
  dsengine::IDSCursor* DSCursor() const { return cursor_.get(); }

  // Order: field names separated by ";" (empty: the default order), or a registered index.
  const std::string& IndexFieldNames() const { return indexFieldNames_; }
  void SetIndexFieldNames(const std::string& value);
  const std::string& IndexName() const { return indexName_; }
  void SetIndexName(const std::string& value);

  void SetFilter(const std::string& text) override;
  void SetFiltered(bool value) override;
  void SetFilterOptions(TFilterOptions options) override;

  int RecordCount() override;
  int RecNo() override;
  int CompareBookmarks(const TBookmark& a, const TBookmark& b) override;
  TUpdateStatus UpdateStatus();

  // The one status check: a non-zero status raises EDBClient with the status's text.
  void Check(dsengine::DBResult status) const;

 protected:
  // The cursor the dataset opens (tests wrap it to watch the engine calls).
  virtual std::unique_ptr<dsengine::IDSCursor> CreateCursor();
  // Takes `table` as the dataset's table without opening; for InternalOpen overrides that build
  // the table before the base class opens over it. REQUIRES: no table yet.
  void AdoptTable(std::unique_ptr<dsengine::DSBASE> table);

  void InternalOpen() override;
  void InternalClose() override;
  size_t RecordBufferSize() const override { return infoOffset_ + kInfoSize + bookmarkSize_; }
  void InternalFirst() override;
  void InternalLast() override;
  TGetResult GetRecord(TRecordBuffer& buffer, TGetMode mode, bool doCheck) override;
  void InternalInitRecord(TRecordBuffer& buffer) override;
  void InternalInsert() override;
  void InternalPost() override;
  void InternalCancel() override;
  void InternalDelete() override;
  void InternalSetToRecord(const TRecordBuffer& buffer) override;
  void InternalGotoBookmark(const TBookmark& bookmark) override;
  TBookmark BookmarkOf(const TRecordBuffer& buffer) const override;
  TBookmarkFlag GetBookmarkFlag(const TRecordBuffer& buffer) const override;
  void SetBookmarkFlag(TRecordBuffer& buffer, TBookmarkFlag flag) override;
  bool InternalSetRecNo(int recNo) override;
  bool ReadRecordAt(int recNo, TRecordBuffer& buffer) override;
  void CheckCanInsert() override;
  void CheckCanEdit() override;
  void CheckCanDelete() override;
  bool GetFieldData(const TField& field, const uint8_t* buffer, void* out) override;
  void SetFieldData(TField& field, const void* data) override;
  std::string ReadBlob(const TField& field, const uint8_t* buffer) override;
  void WriteBlob(TField& field, std::string_view data) override;

 private:
  static constexpr size_t kInfoSize = 6;
  void CheckReadOnly();
  // Drops the expression filter and adds one for `text` (none when empty).
  void AddExprFilter(const std::string& text, TFilterOptions options);
  void SetFilterData(const std::string& text, TFilterOptions options);
  void ApplyOrder(const std::string& fieldNames, const std::string& indexName);
  void BuildFieldDefs();
  std::vector<dsengine::FieldDescriptor> DescriptorsFromDefs();
  void FillInfo(TRecordBuffer& buffer, uint32_t seqNo, uint8_t attribute);

  std::unique_ptr<dsengine::DSBASE> table_;
  std::unique_ptr<dsengine::IDSCursor> cursor_;
  std::vector<dsengine::FieldDescriptor> descs_;
  uint32_t filterHandle_ = 0;  // the expression filter, 0 when none
  bool readOnly_ = false;
  bool disableEdits_ = false, disableInserts_ = false, disableDeletes_ = false;
  size_t infoOffset_ = 0;  // record size (no calculated fields)
  size_t bookmarkSize_ = 0;
  std::string indexFieldNames_;
  std::string indexName_;
};

}  // namespace db
