// TDataSource and TDataLink: the observer link between a dataset and its controls.
#include "dataset/datasource.h"

#include <algorithm>

namespace db {

TDataSource::~TDataSource() {
  SetDataSet(nullptr);
  for (TDataLink* l : links_) l->source_ = nullptr;
}

void TDataSource::SetDataSet(TDataSet* dataSet) {
  if (dataSet_ == dataSet) return;
  if (dataSet_ != nullptr) dataSet_->RemoveDataSource(this);
  dataSet_ = dataSet;
  if (dataSet_ != nullptr) dataSet_->AddDataSource(this);
  NotifyActive();
}

void TDataSource::SetEnabled(bool value) {
  if (enabled_ == value) return;
  enabled_ = value;
  NotifyActive();
}

void TDataSource::Edit() {
  if (AutoEdit && dataSet_ != nullptr && dataSet_->State() == dsBrowse) dataSet_->Edit();
}

void TDataSource::NotifyActive() {
  if (!enabled_) return;
  const std::vector<TDataLink*> links = links_;
  for (TDataLink* l : links) {
    l->editing_ = l->Editing();
    l->ActiveChanged();
  }
  if (OnStateChange) OnStateChange(*this);
}

void TDataSource::Notify(TDataEvent event, TField* field, int info) {
  if (!enabled_) return;
  const std::vector<TDataLink*> links = links_;  // a handler may unlink a control
  for (TDataLink* l : links) {
    switch (event) {
      case deFieldChange:
        l->RecordChanged(field);
        break;
      case deRecordChange:
        l->RecordChanged(nullptr);
        break;
      case deDataSetChange:
        l->DataSetChanged();
        break;
      case deDataSetScroll:
        l->DataSetScrolled(info);
        break;
      case deUpdateRecord:
        l->UpdateData();
        break;
      case deCheckBrowseMode:
        l->CheckBrowseMode();
        break;
      case deFocusControl:
        l->FocusControl(field);
        break;
      case deUpdateState: {
        l->StateChanged();
        const bool editing = l->Editing();
        if (editing != l->editing_) {
          l->editing_ = editing;
          l->EditingChanged();
        }
        break;
      }
    }
  }
  switch (event) {
    case deFieldChange:
    case deRecordChange:
    case deDataSetChange:
    case deDataSetScroll:
      if (OnDataChange) OnDataChange(*this, event == deFieldChange ? field : nullptr);
      break;
    case deUpdateRecord:
      if (OnUpdateData) OnUpdateData(*this);
      break;
    case deUpdateState:
      if (OnStateChange) OnStateChange(*this);
      break;
    default:
      break;
  }
}

TDataLink::~TDataLink() { SetDataSource(nullptr); }

void TDataLink::SetDataSource(TDataSource* source) {
  if (source_ == source) return;
  if (source_ != nullptr) std::erase(source_->links_, this);
  source_ = source;
  if (source_ != nullptr) source_->links_.push_back(this);
  editing_ = Editing();
  ActiveChanged();
}

bool TDataLink::Edit() {
  if (!ReadOnly && source_ != nullptr) source_->Edit();
  return Editing();
}

}  // namespace db
