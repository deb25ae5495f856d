// Our side of the benchmarks, driven through the engine's public API the way the program drives
// it: the table built by inserts, modifies and deletes with change logging, then sort, filter and
// edit through cursors. Used by dzbench only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "bench/lyricsgen.h"
#include "tableengine/dsbase.h"
#include "tableengine/dscursor.h"

namespace bench {

// Field numbers of the lyrics table.
enum LyricsField : uint32_t { kId = 1, kArtist, kAlbum, kTitle, kLyric, kSongFile };

// What the table holds at rest: stored record versions × record size + blob bytes + index arrays.
struct ModelSize {
  uint64_t versions = 0;
  uint64_t recordSize = 0;
  uint64_t blobBytes = 0;
  uint64_t indexBytes = 0;
  uint64_t Total() const { return versions * recordSize + blobBytes + indexBytes; }
};

// Builds the collection with its history; ends the program with a message on a failed status.
// Gives up (nullptr) once building has taken more than `budgetSeconds`; *steps gets the number of
// inserts, modifies and deletes done.
std::unique_ptr<dsengine::DSBASE> BuildTable(const LyricsGenerator& gen, double budgetSeconds,
                                             uint64_t* steps);
ModelSize Model(const dsengine::DSBASE& table);

class EngineBench {
 public:
  explicit EngineBench(dsengine::DSBASE& table);

  // Seconds to sort a fresh cursor on Artist;Title (the index is built anew each time).
  double Sort();
  // Seconds for one search keystroke on a cursor sorted on Artist;Title: parse `filter`, add it,
  // go to the first record and read 10 rows. *rows gets the view's record count.
  double Search(const std::string& filter, uint32_t* rows);
  // Seconds for one edit on the sorted view filtered by «Artist like 'b%'»: read the record at
  // `seqNo`, change its Artist, post it.
  double Edit(uint32_t seqNo);
  // The filtered view the edits run on (made on the first Edit).
  uint32_t EditViewCount();

 private:
  dsengine::DSBASE& table_;
  std::unique_ptr<dsengine::DSCursor> editView_;
};

}  // namespace bench
