// Deterministic lyrics collections for the benchmarks: entry i of a collection of n entries is a
// pure function of (seed, n, i), so the same rows can be fed to our table and to SQLite without
// keeping the whole collection in memory. Texts are Windows-1252 bytes. Used by dzbench only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace bench {

constexpr uint64_t kLyricsSeed = 0x5EED'D021'71A7ULL;  // the collections' fixed seed
constexpr uint32_t kShortLyricsFrom = 1000000;         // from this size on, lyrics are shorter
constexpr size_t kMaxNameLength = 180;                 // Artist, Album and Title field width
constexpr size_t kMaxPathLength = 500;                 // SongFileName field width

struct LyricsEntry {
  std::string artist;
  std::string album;
  std::string title;
  std::string lyric;     // CR LF line breaks
  std::string songFile;  // empty for half of the entries
};

// What happens to an entry after the initial import: 10% are modified once or twice, 2% are
// deleted (after their modifications, if any).
struct EntryHistory {
  int modifications = 0;  // 0, 1 or 2
  bool deleted = false;
};

class LyricsGenerator {
 public:
  LyricsGenerator(uint32_t n, uint64_t seed = kLyricsSeed);

  uint32_t Size() const { return n_; }
  // Version 0 is the imported entry; version k > 0 is its k-th modification.
  LyricsEntry Entry(uint32_t i, int version = 0) const;
  EntryHistory History(uint32_t i) const;
  // About `bytes` of lyrics text (for the inflate benchmark).
  std::string Text(size_t bytes) const;

 private:
  std::string ArtistName(uint32_t artist) const;
  uint32_t PickArtist(uint64_t u) const;

  uint32_t n_;
  uint64_t seed_;
  uint32_t artists_;
  std::vector<double> cdf_;  // cumulative Zipf weights of the artists, last = 1
};

}  // namespace bench
