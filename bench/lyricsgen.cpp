// Deterministic lyrics collections: names from syllables and word lists, artists drawn with a
// Zipf-like spread, every random choice from a generator seeded by (seed, entry, purpose).
#include "bench/lyricsgen.h"

#include <algorithm>
#include <cmath>

namespace bench {
namespace {

constexpr double kZipfExponent = 0.8;  // the most frequent artist has a few % of the entries
constexpr double kDeletedShare = 0.02;
constexpr double kModifiedShare = 0.10;

// SplitMix64: small, fast, and good enough to make varied text.
class Random {
 public:
  explicit Random(uint64_t seed) : state_(seed) {}
  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }
  uint32_t Below(uint32_t n) { return static_cast<uint32_t>(Next() % n); }
  uint32_t Between(uint32_t lo, uint32_t hi) { return lo + Below(hi - lo + 1); }
  double Unit() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }

 private:
  uint64_t state_;
};

uint64_t Mix(uint64_t seed, uint64_t a, uint64_t b) {
  Random r(seed ^ (a * 0xD6E8FEB86659FD93ULL) ^ (b * 0xA0761D6478BD642FULL));
  return r.Next();
}

enum Purpose : uint64_t { kEntry = 1, kHistory = 2, kArtist = 3, kText = 4 };

// Syllables for names; the Windows-1252 ones carry accents (é ö ñ ü å ç ø ä).
const char* const kSyllables[] = {"ba",
                                  "be",
                                  "bo",
                                  "bri",
                                  "ca",
                                  "do",
                                  "el",
                                  "fa",
                                  "gi",
                                  "ha",
                                  "jo",
                                  "ka",
                                  "la",
                                  "li",
                                  "ma",
                                  "mo",
                                  "na",
                                  "ni",
                                  "or",
                                  "pa",
                                  "qui",
                                  "ra",
                                  "ro",
                                  "sa",
                                  "se",
                                  "ta",
                                  "to",
                                  "u",
                                  "va",
                                  "vi",
                                  "wa",
                                  "xe",
                                  "yo",
                                  "za",
                                  "br",
                                  "bl",
                                  "\xE9"
                                  "l",
                                  "b\xF6",
                                  "\xF1"
                                  "a",
                                  "m\xFC",
                                  "s\xE5",
                                  "\xE7"
                                  "a",
                                  "\xF8"
                                  "r",
                                  "j\xE4"};
const char* const kWords[] = {"love",
                              "night",
                              "heart",
                              "blue",
                              "rain",
                              "fire",
                              "dream",
                              "road",
                              "baby",
                              "dance",
                              "river",
                              "light",
                              "time",
                              "home",
                              "summer",
                              "moon",
                              "shadow",
                              "train",
                              "money",
                              "lonely",
                              "angel",
                              "broken",
                              "wild",
                              "sweet",
                              "gold",
                              "city",
                              "stone",
                              "sky",
                              "forever",
                              "tonight",
                              "beautiful",
                              "lovers",
                              "glove",
                              "garden",
                              "ocean",
                              "song",
                              "caf\xE9",
                              "se\xF1orita",
                              "m\xE4"
                              "dchen",
                              "d\xE9j\xE0",
                              "na\xEF"
                              "ve",
                              "ni\xF1"
                              "o"};
const char* const kLyricWords[] = {
    "i",    "you",   "we",     "the",     "a",    "and",   "in",    "of",   "to",   "my",
    "your", "never", "always", "walk",    "run",  "hold",  "feel",  "know", "see",  "come",
    "back", "down",  "again",  "tonight", "love", "heart", "night", "rain", "fire", "road",
    "baby", "dance", "light",  "time",    "home", "dream", "cry",   "sing", "oh",   "yeah"};
constexpr size_t kSyllableCount = sizeof kSyllables / sizeof *kSyllables;
constexpr size_t kWordCount = sizeof kWords / sizeof *kWords;
constexpr size_t kLyricWordCount = sizeof kLyricWords / sizeof *kLyricWords;

// Upper-cases a Windows-1252 letter (ASCII and the accented range).
char Upper(char c) {
  auto u = static_cast<unsigned char>(c);
  if (u >= 'a' && u <= 'z') return static_cast<char>(u - 32);
  if (u >= 0xE0 && u <= 0xFE && u != 0xF7) return static_cast<char>(u - 32);
  return c;
}

std::string Capitalised(std::string w) {
  if (!w.empty()) w[0] = Upper(w[0]);
  return w;
}

// Title Case most of the time, some names all lower or all upper case.
std::string WithCase(std::string s, Random& r) {
  uint32_t style = r.Below(10);
  if (style == 0) return s;
  if (style == 1) {
    for (char& c : s) c = Upper(c);
    return s;
  }
  bool start = true;
  for (char& c : s) {
    if (start) c = Upper(c);
    start = c == ' ';
  }
  return s;
}

std::string Words(Random& r, uint32_t lo, uint32_t hi) {
  std::string s;
  for (uint32_t k = 0, n = r.Between(lo, hi); k < n; ++k) {
    if (k) s += ' ';
    s += kWords[r.Below(kWordCount)];
  }
  return s;
}

std::string Lyric(Random& r, size_t lo, size_t hi) {
  size_t target = r.Between(static_cast<uint32_t>(lo), static_cast<uint32_t>(hi));
  std::string s;
  s.reserve(target + 64);
  while (s.size() < target) {
    std::string line;
    for (uint32_t k = 0, n = r.Between(4, 9); k < n; ++k) {
      if (k) line += ' ';
      line += kLyricWords[r.Below(kLyricWordCount)];
    }
    s += Capitalised(line);
    s += "\r\n";
    if (r.Below(6) == 0) s += "\r\n";  // verse break
  }
  s.resize(target);
  return s;
}

}  // namespace

LyricsGenerator::LyricsGenerator(uint32_t n, uint64_t seed)
    : n_(n), seed_(seed), artists_(std::max<uint32_t>(1, n / 20)), cdf_(artists_) {
  double total = 0;
  for (uint32_t k = 0; k < artists_; ++k) cdf_[k] = total += std::pow(k + 1.0, -kZipfExponent);
  for (double& c : cdf_) c /= total;
  cdf_.back() = 1.0;
}

uint32_t LyricsGenerator::PickArtist(uint64_t u) const {
  double x = static_cast<double>(u >> 11) * 0x1.0p-53;
  auto it = std::lower_bound(cdf_.begin(), cdf_.end(), x);
  return static_cast<uint32_t>(std::min<size_t>(it - cdf_.begin(), artists_ - 1));
}

std::string LyricsGenerator::ArtistName(uint32_t artist) const {
  Random r(Mix(seed_, kArtist, artist));
  std::string name;
  if (r.Below(8) == 0) name = "the ";
  for (uint32_t w = 0, words = r.Between(1, 3); w < words; ++w) {
    if (w) name += ' ';
    for (uint32_t s = 0, syl = r.Between(2, 4); s < syl; ++s)
      name += kSyllables[r.Below(kSyllableCount)];
  }
  return WithCase(name, r);
}

LyricsEntry LyricsGenerator::Entry(uint32_t i, int version) const {
  Random r(Mix(seed_, kEntry, i));
  LyricsEntry e;
  e.artist = ArtistName(PickArtist(r.Next()));
  e.album = WithCase(Words(r, 1, 3), r);
  e.title = WithCase(Words(r, 2, 6), r);
  const bool shortLyrics = n_ >= kShortLyricsFrom;
  e.lyric = Lyric(r, shortLyrics ? 300 : 1200, shortLyrics ? 500 : 2000);
  if (r.Below(2) == 0) e.songFile = "C:\\Music\\" + e.artist + "\\" + e.title + ".mp3";
  for (int v = 1; v <= version; ++v) {
    // A correction: a lyric line fixed, sometimes the title or the artist's spelling.
    Random m(Mix(seed_, kHistory + 16 * v, i));
    e.lyric = Lyric(m, e.lyric.size() - e.lyric.size() / 10, e.lyric.size() + e.lyric.size() / 10);
    if (m.Below(4) == 0) e.title = WithCase(Words(m, 2, 6), m);
    if (m.Below(8) == 0) e.artist = WithCase(e.artist, m);
  }
  e.artist.resize(std::min(e.artist.size(), kMaxNameLength));
  e.album.resize(std::min(e.album.size(), kMaxNameLength));
  e.title.resize(std::min(e.title.size(), kMaxNameLength));
  e.songFile.resize(std::min(e.songFile.size(), kMaxPathLength));
  return e;
}

EntryHistory LyricsGenerator::History(uint32_t i) const {
  Random r(Mix(seed_, kHistory, i));
  EntryHistory h;
  double u = r.Unit();
  if (u < kModifiedShare) h.modifications = r.Between(1, 2);
  h.deleted = r.Unit() < kDeletedShare;
  return h;
}

std::string LyricsGenerator::Text(size_t bytes) const {
  Random r(Mix(seed_, kText, bytes));
  std::string s;
  s.reserve(bytes + 2048);
  while (s.size() < bytes) s += Lyric(r, 1200, 2000);
  s.resize(bytes);
  return s;
}

}  // namespace bench
