// Our side of the benchmarks through the client dataset facade (TClientDataSet), the way the
// program's search box, column headers and editor drive it. Built only when the facade exists
// (DZ_BENCH_HAVE_FACADE); used by dzbench only.
#pragma once

#if __has_include("dataset/clientdataset.h")
#define DZ_BENCH_HAVE_FACADE 1

#include <cstdint>
#include <memory>
#include <string>

#include "dataset/clientdataset.h"
#include "tableengine/dsbase.h"

namespace bench {

class FacadeBench {
 public:
  // Opens a TClientDataSet over `table` (filter options: case-insensitive, as the program's).
  explicit FacadeBench(std::unique_ptr<dsengine::DSBASE> table);
  // Opens a TClientDataSet on the table file `file` (LoadPacketFile), as above.
  explicit FacadeBench(const std::string& file);

  // The dataset's table, for engine-level runs beside the dataset.
  dsengine::DSBASE& Table() { return *data_.DSBase(); }

  // Seconds for IndexFieldNames := "Artist;Title" from the default order.
  double Sort();
  // Seconds for one keystroke on the sorted dataset: Filter := `filter`, Filtered := true,
  // First, read Artist and Title of 10 rows. *rows gets RecordCount.
  double Search(const std::string& filter, int* rows);
  // Seconds for Edit, Artist changed, Post on the sorted dataset filtered by «Artist like 'b%'»,
  // at record `recNo` of the view. The first call sets that filter up.
  double Edit(int recNo);
  int EditViewCount();

  // Seconds for SavePacketFile(`file`) of the whole table: to a new file (any old one is
  // removed before the clock starts, as for the anchors), or with `replace` over the file
  // left by the previous save, whose release the replacement then pays for.
  double Save(const std::string& file, bool replace = false);
  // Seconds for LoadPacketFile(`file`) into a new TClientDataSet, open on its first record.
  // *resident gets the resident memory the loaded dataset holds when `measure`, else 0.
  static double Load(const std::string& file, bool measure, uint64_t* resident);

 private:
  db::TClientDataSet data_{"cdsMain"};
  bool editView_ = false;
};

}  // namespace bench

#endif
