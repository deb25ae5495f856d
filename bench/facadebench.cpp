// Our side through TClientDataSet. The facade raises on any failed engine status; dzbench lets
// such an exception end the run with its message.
#include "bench/facadebench.h"

#ifdef DZ_BENCH_HAVE_FACADE

#include <cstdio>
#include <string>

#include "bench/benchclock.h"

namespace bench {

FacadeBench::FacadeBench(std::unique_ptr<dsengine::DSBASE> table) {
  data_.SetFilterOptions(db::foCaseInsensitive);
  data_.OpenTable(std::move(table));
}

FacadeBench::FacadeBench(const std::string& file) {
  data_.SetFilterOptions(db::foCaseInsensitive);
  data_.LoadPacketFile(file);
}

double FacadeBench::Sort() {
  data_.SetFiltered(false);
  data_.SetIndexFieldNames("");
  Stopwatch w;
  data_.SetIndexFieldNames("Artist;Title");
  return w.Seconds();
}

double FacadeBench::Search(const std::string& filter, int* rows) {
  editView_ = false;
  data_.SetFiltered(false);
  data_.SetFilter("");
  if (data_.IndexFieldNames() != "Artist;Title") data_.SetIndexFieldNames("Artist;Title");
  Stopwatch w;
  data_.SetFilter(filter);
  data_.SetFiltered(true);
  data_.First();
  for (int k = 0; k < 10 && !data_.Eof(); ++k, data_.Next()) {
    data_.FieldByName("Artist").AsString();  // what a grid row shows
    data_.FieldByName("Title").AsString();
  }
  double s = w.Seconds();
  *rows = data_.RecordCount();
  return s;
}

int FacadeBench::EditViewCount() {
  if (!editView_) {
    data_.SetFiltered(false);
    if (data_.IndexFieldNames() != "Artist;Title") data_.SetIndexFieldNames("Artist;Title");
    data_.SetFilter("Artist like 'b%'");
    data_.SetFiltered(true);
    editView_ = true;
  }
  return data_.RecordCount();
}

double FacadeBench::Edit(int recNo) {
  EditViewCount();
  data_.SetRecNo(recNo);
  Stopwatch w;
  data_.Edit();
  db::TField& artist = data_.FieldByName("Artist");
  std::string value(1, 'B');  // stays in the «b%» view
  value += artist.AsString().substr(0, 178);
  artist.SetAsString(value);
  data_.Post();
  return w.Seconds();
}

double FacadeBench::Save(const std::string& file, bool replace) {
  if (!replace) std::remove(file.c_str());  // as the anchors write theirs: to a new file
  Stopwatch w;
  data_.SavePacketFile(file);
  return w.Seconds();
}

double FacadeBench::Load(const std::string& file, bool measure, uint64_t* resident) {
  const uint64_t before = measure ? ResidentBytes() : 0;
  db::TClientDataSet loaded("cdsMain");
  loaded.SetFilterOptions(db::foCaseInsensitive);
  Stopwatch w;
  loaded.LoadPacketFile(file);
  loaded.First();
  const double s = w.Seconds();
  *resident = measure ? ResidentBytes() - before : 0;
  return s;
}

}  // namespace bench

#endif
