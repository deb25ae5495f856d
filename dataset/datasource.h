// TDataSource binds a dataset to data-aware controls; each control owns a TDataLink (or a
// subclass) that the source notifies of record moves, field changes, state changes, view changes
// and the request to write pending values before a post. User-interface thread only. A link
// removes itself from its source when destroyed; a source detaches itself from its dataset.
#pragma once

#include <functional>
#include <vector>

#include "dataset/db.h"

namespace db {

class TDataLink;

class TDataSource {
 public:
  TDataSource() = default;
  ~TDataSource();
  TDataSource(const TDataSource&) = delete;
  TDataSource& operator=(const TDataSource&) = delete;

  TDataSet* DataSet() const { return dataSet_; }
  void SetDataSet(TDataSet* dataSet);
  // A disabled source passes nothing on; enabling it again tells the links the view changed.
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool value);
  // With AutoEdit, a link's Edit() puts a browsing dataset into edit state.
  bool AutoEdit = true;
  TDataSetState State() const { return dataSet_ ? dataSet_->State() : dsInactive; }
  // Puts the dataset into edit state when AutoEdit and it is browsing.
  void Edit();

  std::function<void(TDataSource&)> OnStateChange;
  std::function<void(TDataSource&, TField*)> OnDataChange;  // field null: whole record/view
  std::function<void(TDataSource&)> OnUpdateData;

 private:
  friend class TDataSet;
  friend class TDataLink;
  void Notify(TDataEvent event, TField* field, int info);
  void NotifyActive();

  TDataSet* dataSet_ = nullptr;
  bool enabled_ = true;
  std::vector<TDataLink*> links_;
};

// A control's link to a data source. Override the notifications it needs.
class TDataLink {
 public:
  TDataLink() = default;
  virtual ~TDataLink();
  TDataLink(const TDataLink&) = delete;
  TDataLink& operator=(const TDataLink&) = delete;

  TDataSource* DataSource() const { return source_; }
  void SetDataSource(TDataSource* source);
  TDataSet* DataSet() const { return source_ ? source_->DataSet() : nullptr; }
  bool Active() const { return DataSet() != nullptr && DataSet()->Active(); }
  bool Editing() const {
    return Active() && (DataSet()->State() == dsEdit || DataSet()->State() == dsInsert);
  }
  bool ReadOnly = false;
  // Puts the dataset into edit state (unless the link is read-only); true when it is editing.
  bool Edit();

 protected:
  friend class TDataSource;
  virtual void ActiveChanged() {}                    // the dataset opened or closed
  virtual void DataSetChanged() {}                   // the view changed (rows and current record)
  virtual void DataSetScrolled(int /*distance*/) {}  // the current record moved
  virtual void RecordChanged(TField* /*field*/) {}   // a field (null: the whole record) changed
  virtual void EditingChanged() {}                   // edit or insert began or ended
  virtual void StateChanged() {}                     // any state change
  virtual void UpdateData() {}                       // write pending values before a post
  virtual void CheckBrowseMode() {}                  // the dataset is about to leave edit or insert
  virtual void FocusControl(TField* /*field*/) {}

 private:
  TDataSource* source_ = nullptr;
  bool editing_ = false;
};

}  // namespace db
