// The SQLite side of the benchmarks: the same collection and history as our table, in a file
// database, and the anchor operations timed on an in-memory copy of it. Used by dzbench only.
// Failures of SQLite end the program with a message (a benchmark must not report a number it
// did not measure).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "bench/lyricsgen.h"

struct sqlite3;

namespace bench {

class SqliteAnchor {
 public:
  SqliteAnchor() = default;
  ~SqliteAnchor();
  SqliteAnchor(const SqliteAnchor&) = delete;
  SqliteAnchor& operator=(const SqliteAnchor&) = delete;

  // Writes every entry (rowid = entry number + 1) and then its history into a new file `path`,
  // without indexes.
  void Build(const LyricsGenerator& gen, const std::string& path);

  // Seconds to copy the file database into a fresh :memory: one (backup API); the copy stays.
  double Load(const std::string& path);
  // Seconds to back the in-memory copy up into a new file `path` (synchronous off).
  double Save(const std::string& path);
  // Seconds for ORDER BY Artist, Title (no-case collation), every row stepped; *rows counted.
  double Sort(uint64_t* rows);
  // Seconds for `where` ORDER BY Artist, Title LIMIT 10, stepped to the end; *rows counted.
  double Search(const std::string& where, uint64_t* rows);
  // Creates the (Artist, Title) index the edit anchor runs with; not timed.
  void CreateEditIndex();
  // Seconds for one UPDATE of Artist by rowid (statement prepared beforehand).
  double Edit(int64_t rowid, const std::string& artist);

  int64_t Count(const std::string& where);
  std::vector<int64_t> RowIds(const std::string& where, int limit);

 private:
  sqlite3* mem_ = nullptr;
};

}  // namespace bench
