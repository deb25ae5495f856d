// dzbench: speed and memory of our table engine against SQLite on the same data, and of our
// DEFLATE decoder against zlib on the same stream. Every figure is the median of kRuns runs and
// is printed next to its anchor measured in the same run.
//   dzbench [--json FILE] [--work DIR] [--budget SECONDS] N...
// Each size runs in a child process (--one N) so that its memory figures start from a fresh heap.
// Where two sides are compared, their runs take turns: the loads (ours and SQLite's, each in a
// fresh process, as a program's start loads its file), the inflate rates, and the growth rows,
// which a last child (--growth) measures on the table files of both sizes at once.
// Our table is built through the engine's API (inserts, then modifies and deletes with change
// logging); rows marked [cursor] drive the engine's cursor directly, the others TClientDataSet.
// Load, save and the memory after load go through TClientDataSet's LoadPacketFile and
// SavePacketFile (the packet file the program reads and writes); rows whose operation has no API
// in this build are printed as "n/a (not built yet)".
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "bench/benchclock.h"
#include "bench/enginebench.h"
#include "bench/facadebench.h"
#include "bench/lyricsgen.h"
#include "bench/sqliteanchor.h"
#include "skin/inflate.h"

namespace bench {
namespace {

constexpr uint32_t kTargetN = 100000;  // the targets are stated for this collection size
const char* const kNotBuilt = "n/a (not built yet)";
const char* const kSortRow = "sort Artist;Title [cursor]";
const char* const kFacadeSortRow = "sort Artist;Title";
// Seconds our table may take to build before a size's own figures are skipped (its anchors still
// run): keeps scripts/bench within its time even when building is slow.
constexpr double kBuildBudget = 150;

struct Row {
  std::string name;
  uint64_t n = 0;
  std::optional<double> ours;
  std::string anchor;
  std::optional<double> anchorValue;
  std::optional<double> ratio;      // ours / anchor, or the ratio the target names
  std::string target;               // "<= 1.0", ">= 0.6", "" for none
  std::string missing = kNotBuilt;  // what the table shows when `ours` is absent
};

std::vector<Row> rows;

void Add(Row r) {
  if (!r.ratio && r.ours && r.anchorValue && *r.anchorValue > 0) r.ratio = *r.ours / *r.anchorValue;
  rows.push_back(std::move(r));
}

void Progress(const char* what, uint32_t n) { std::fprintf(stderr, "dzbench: N=%u %s\n", n, what); }

// Our table file of one size: written by that size's run, read again by the growth run.
std::string TableFile(const std::filesystem::path& work, uint32_t n) {
  return (work / ("lyrics-" + std::to_string(n) + ".roZoreda")).string();
}

// Starts this program again with `arguments`, its output to be read from the result (nullptr
// when it cannot be started).
FILE* StartChild(const std::string& arguments) {
  const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
  return popen(("'" + self + "' " + arguments).c_str(), "r");
}

// Seconds of one load (`mode` "--load-ours" or "--load-lite") in a fresh process of its own, as
// the program's start loads its file: neither side then finds memory that an earlier run freed.
double LoadInChild(const std::string& mode, const std::string& file) {
  FILE* child = StartChild(mode + " '" + file + "'");
  double s = -1;
  if (child == nullptr || std::fscanf(child, "%lf", &s) != 1) s = -1;
  if (child == nullptr || pclose(child) != 0 || s < 0) {
    std::fprintf(stderr, "dzbench: %s %s failed\n", mode.c_str(), file.c_str());
    std::exit(2);
  }
  return s;
}

// ---- one collection size (run in a process of its own) ----

struct SearchCase {
  const char* name;        // cursor row
  const char* facadeName;  // facade row
  const char* filter;
  const char* where;
  const char* target;
};
const SearchCase kSearches[] = {
    {"search b% [cursor]", "search b%", "Artist like 'b%'", "Artist LIKE 'b%'", "<= 0.2"},
    {"search %love% [cursor]", "search %love%", "Title like '%love%'", "Title LIKE '%love%'",
     "<= 0.5"}};

// The same operations through TClientDataSet, next to the anchors measured above in this run.
struct LoadSaveAnchors {
  double liteSave = 0;
  std::string dbFile;     // SQLite's file
  std::string file;       // our table file
  std::string floorFile;  // the floor's copy
  std::optional<double> modelBytes;
};

void AddLoadSaveRows(uint32_t n, const LoadSaveAnchors& a, double liteLoad,
                     std::optional<double> load, std::optional<double> save,
                     std::optional<double> floorRead, std::optional<double> floorWrite,
                     std::optional<double> resident, const std::string& missing) {
  Add({"load", n, load, "sqlite backup file->:memory:", liteLoad, {}, "<= 1.0", missing});
  Add({"load", n, load, "floor: read file", floorRead, {}, "<= 2.5", missing});
  Add({"save", n, save, "sqlite backup :memory:->file", a.liteSave, {}, "<= 1.0", missing});
  Add({"save", n, save, "floor: write file", floorWrite, {}, "<= 2.0", missing});
  Add({"memory after load", n, resident, "model bytes", a.modelBytes, {}, "<= 1.15", missing});
}

// The floor of a load: the file read into freshly allocated memory.
double FloorRead(const std::string& file) {
  Stopwatch w;
  FILE* f = std::fopen(file.c_str(), "rb");
  if (!f) std::exit(2);
  std::fseek(f, 0, SEEK_END);
  const long size = std::ftell(f);
  std::fseek(f, 0, SEEK_SET);
  std::unique_ptr<uint8_t[]> bytes(new uint8_t[size_t(size)]);
  const bool ok = std::fread(bytes.get(), 1, size_t(size), f) == size_t(size);
  std::fclose(f);
  const double s = w.Seconds();
  if (!ok) std::exit(2);
  return s;
}

// The floor of a save: as many bytes written to a new file (already in memory). Without
// `flush` they only reach the system's cache; with it the clock runs until they are on the
// disk, which our save waits for before it puts the new file in the old one's place.
double FloorWrite(const std::string& file, const std::vector<uint8_t>& bytes, bool flush) {
  std::remove(file.c_str());
  Stopwatch w;
  FILE* f = std::fopen(file.c_str(), "wb");
  if (!f) std::exit(2);
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  if (flush) ok = ok && std::fflush(f) == 0 && fsync(fileno(f)) == 0;
  std::fclose(f);
  const double s = w.Seconds();
  if (!ok) std::exit(2);
  return s;
}

std::vector<uint8_t> FileBytes(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void RunFacade(uint32_t n, std::unique_ptr<dsengine::DSBASE> table, SqliteAnchor& lite,
               double liteSort, const double* liteSearch, std::optional<double> liteEdit,
               const LoadSaveAnchors& anchors, const std::string& missing) {
#ifdef DZ_BENCH_HAVE_FACADE
  if (table) {
    Progress("through TClientDataSet", n);
    try {
      FacadeBench facade(std::move(table));
      Progress("save and load", n);
      const double save = Median([&](int) { return facade.Save(anchors.file); });
      const double saveOver = Median([&](int) { return facade.Save(anchors.file, true); });
      const std::vector<uint8_t> bytes = FileBytes(anchors.file);
      const double floorWrite =
          Median([&](int) { return FloorWrite(anchors.floorFile, bytes, false); });
      const double floorFlushed =
          Median([&](int) { return FloorWrite(anchors.floorFile, bytes, true); });
      const double floorRead = Median([&](int) { return FloorRead(anchors.floorFile); });
      // Both loads in fresh processes, taking turns; the memory a load holds is measured here.
      const std::vector<double> loads =
          AlternatedMedians({[&](int) { return LoadInChild("--load-ours", anchors.file); },
                             [&](int) { return LoadInChild("--load-lite", anchors.dbFile); }});
      uint64_t resident = 0;
      FacadeBench::Load(anchors.file, true, &resident);
      AddLoadSaveRows(n, anchors, loads[1], loads[0], save, floorRead, floorWrite, double(resident),
                      missing);
      Add({"save", n, save, "floor: write file and flush", floorFlushed, {}, ""});
      Add({"save over the old file",
           n,
           saveOver,
           "sqlite backup :memory:->file",
           anchors.liteSave,
           {},
           ""});
      Add({kFacadeSortRow,
           n,
           Median([&](int) { return facade.Sort(); }),
           "sqlite ORDER BY NOCASE",
           liteSort,
           {},
           "<= 0.5"});
      for (const SearchCase& s : kSearches) {
        int viewRows = 0;
        double t = Median([&](int) { return facade.Search(s.filter, &viewRows); });
        if (int64_t(viewRows) != lite.Count(s.where))
          std::fprintf(stderr, "dzbench: CHECK N=%u «%s»: RecordCount %d, SQLite %lld\n", n,
                       s.filter, viewRows, (long long)lite.Count(s.where));
        Add({s.facadeName,
             n,
             t,
             "sqlite LIKE, LIMIT 10, no index",
             liteSearch[&s - kSearches],
             {},
             s.target});
      }
      if (liteEdit && facade.EditViewCount() >= kRuns)
        Add({"edit",
             n,
             Median([&](int k) { return facade.Edit(k + 1); }),
             "sqlite UPDATE by rowid, indexed",
             liteEdit,
             {},
             "<= 1.0"});
      return;
    } catch (const std::exception& e) {
      std::fprintf(stderr, "dzbench: N=%u TClientDataSet raised: %s\n", n, e.what());
      std::exit(2);
    }
  }
#else
  (void)table;
  (void)lite;
#endif
  const double liteLoad = Median([&](int) { return LoadInChild("--load-lite", anchors.dbFile); });
  AddLoadSaveRows(n, anchors, liteLoad, {}, {}, {}, {}, {}, missing);
  Add({kFacadeSortRow, n, {}, "sqlite ORDER BY NOCASE", liteSort, {}, "<= 0.5", missing});
  for (const SearchCase& s : kSearches)
    Add({s.facadeName,
         n,
         {},
         "sqlite LIKE, LIMIT 10, no index",
         liteSearch[&s - kSearches],
         {},
         s.target,
         missing});
  Add({"edit", n, {}, "sqlite UPDATE by rowid, indexed", liteEdit, {}, "<= 1.0", missing});
}

// Our table is built first, in a fresh process, so the resident memory it adds is its own.
void RunCollection(uint32_t n, const std::filesystem::path& work, double budget) {
  LyricsGenerator gen(n);
  const std::string dbFile = (work / ("lyrics-" + std::to_string(n) + ".sqlite")).string();
  const std::string savedDb = (work / ("saved-" + std::to_string(n) + ".sqlite")).string();

  Progress("building our table through the engine API", n);
  uint64_t before = ResidentBytes();
  uint64_t steps = 0;
  Stopwatch buildWatch;
  std::unique_ptr<dsengine::DSBASE> table = BuildTable(gen, budget, &steps);
  double buildSeconds = buildWatch.Seconds();
  uint64_t built = ResidentBytes() - before;
  ModelSize model;
  std::string missing = kNotBuilt;
  if (table) {
    model = Model(*table);
    std::fprintf(stderr, "dzbench: N=%u built in %.2f s: %llu versions x %llu B, %llu blob B\n", n,
                 buildSeconds, (unsigned long long)model.versions,
                 (unsigned long long)model.recordSize, (unsigned long long)model.blobBytes);
  } else {
    char b[96];
    std::snprintf(b, sizeof b, "n/a (build over %g s)", budget);
    missing = b;
    std::fprintf(stderr,
                 "dzbench: N=%u our table took more than %g s to build (%llu of about %.0f "
                 "inserts, modifies and deletes done); its figures are skipped\n",
                 n, budget, (unsigned long long)steps, n * 1.17);
  }

  Progress("building the SQLite file", n);
  Stopwatch liteWatch;
  SqliteAnchor lite;
  lite.Build(gen, dbFile);
  std::fprintf(stderr, "dzbench: N=%u SQLite file built in %.2f s\n", n, liteWatch.Seconds());

  Progress("load and save (SQLite)", n);
  LoadSaveAnchors anchors;
  lite.Load(dbFile);  // the in-memory copy the other anchors run on; timed later, in turns
  anchors.dbFile = dbFile;
  anchors.liteSave = Median([&](int) { return lite.Save(savedDb); });
  anchors.file = TableFile(work, n);
  anchors.floorFile = (work / ("floor-" + std::to_string(n) + ".bin")).string();

  Progress("sort", n);
  uint64_t sorted = 0;
  double liteSort = Median([&](int) { return lite.Sort(&sorted); });
  std::optional<EngineBench> ours;
  if (table) ours.emplace(*table);
  std::optional<double> ourSort;
  if (ours) ourSort = Median([&](int) { return ours->Sort(); });
  Add({kSortRow, n, ourSort, "sqlite ORDER BY NOCASE", liteSort, {}, "<= 0.5", missing});

  Progress("search", n);
  double liteSearch[2] = {0, 0};
  for (const SearchCase& s : kSearches) {
    uint64_t liteRows = 0;
    double& liteTime = liteSearch[&s - kSearches];
    liteTime = Median([&](int) { return lite.Search(s.where, &liteRows); });
    std::optional<double> ourTime;
    if (ours) {
      uint32_t viewRows = 0;
      ourTime = Median([&](int) { return ours->Search(s.filter, &viewRows); });
      int64_t liteCount = lite.Count(s.where);
      if (int64_t(viewRows) != liteCount)
        std::fprintf(stderr, "dzbench: CHECK N=%u «%s»: our view has %u records, SQLite %lld\n", n,
                     s.filter, viewRows, (long long)liteCount);
    }
    Add({s.name, n, ourTime, "sqlite LIKE, LIMIT 10, no index", liteTime, {}, s.target, missing});
  }
  const int64_t live = lite.Count("1");
  if (sorted != uint64_t(live) || (table && int64_t(table->LiveCount()) != live))
    std::fprintf(stderr, "dzbench: CHECK N=%u: %u live records, SQLite %lld (sorted %llu)\n", n,
                 table ? table->LiveCount() : 0, (long long)live, (unsigned long long)sorted);

  Progress("edit", n);
  lite.CreateEditIndex();
  std::vector<int64_t> ids = lite.RowIds("Artist LIKE 'b%'", kRuns);
  const bool canEdit = ids.size() >= size_t(kRuns);
  std::optional<double> liteEdit;
  if (!canEdit || (ours && ours->EditViewCount() < uint32_t(kRuns))) {
    Add({"edit [cursor]", n, {}, "too few «b%» records", {}, {}, "<= 1.0", "n/a"});
  } else {
    liteEdit = Median([&](int k) { return lite.Edit(ids[k], "Bedited"); });
    std::optional<double> ourEdit;
    if (ours) ourEdit = Median([&](int k) { return ours->Edit(uint32_t(k) + 1); });
    Add({"edit [cursor]",
         n,
         ourEdit,
         "sqlite UPDATE by rowid, indexed",
         liteEdit,
         {},
         "<= 1.0",
         missing});
  }

  ours.reset();
  std::optional<double> modelBytes, builtBytes;
  if (model.versions) modelBytes = double(model.Total()), builtBytes = double(built);
  anchors.modelBytes = modelBytes;
  RunFacade(n, std::move(table), lite, liteSort, liteSearch, liteEdit, anchors, missing);

  Add({"memory after building", n, builtBytes, "model bytes", modelBytes, {}, "", missing});
  std::remove(savedDb.c_str());
  std::remove(dbFile.c_str());
  std::remove(anchors.floorFile.c_str());  // the table file stays for the growth run
}

// Rows travel from the per-size process to the main one as tab-separated lines; "-" for none.
std::string Field(const std::optional<double>& v) {
  if (!v) return "-";
  char b[40];
  std::snprintf(b, sizeof b, "%.17g", *v);
  return b;
}

void WriteRows(FILE* out) {
  for (const Row& r : rows)
    std::fprintf(out, "%s\t%llu\t%s\t%s\t%s\t%s\t%s\t%s\n", r.name.c_str(), (unsigned long long)r.n,
                 Field(r.ours).c_str(), r.anchor.c_str(), Field(r.anchorValue).c_str(),
                 Field(r.ratio).c_str(), r.target.c_str(), r.missing.c_str());
}

std::vector<std::string> Split(const std::string& line) {
  std::vector<std::string> parts;
  size_t at = 0;
  for (size_t tab; (tab = line.find('\t', at)) != std::string::npos; at = tab + 1)
    parts.push_back(line.substr(at, tab - at));
  parts.push_back(line.substr(at));
  return parts;
}

std::optional<double> Number(const std::string& s) {
  if (s == "-") return std::nullopt;
  return std::strtod(s.c_str(), nullptr);
}

// Runs `mode` ("--one N" or "--growth") in a child process (a fresh heap for the memory
// figures) and takes the rows it prints.
bool RunChild(const std::string& mode, const std::string& work, double budget) {
  FILE* child = StartChild("--work '" + work + "' --budget " + std::to_string(budget) + " " + mode);
  if (!child) return false;
  char buffer[1024];
  while (std::fgets(buffer, sizeof buffer, child)) {
    std::string line(buffer);
    if (!line.empty() && line.back() == '\n') line.pop_back();
    std::vector<std::string> p = Split(line);
    if (p.size() != 8) continue;
    Row r{p[0],         std::strtoull(p[1].c_str(), nullptr, 10),
          Number(p[2]), p[3],
          Number(p[4]), Number(p[5]),
          p[6],         p[7]};
    rows.push_back(std::move(r));
  }
  return pclose(child) == 0;
}

// ---- inflate ----

class MemorySource : public skin::TInflateSource {
 public:
  explicit MemorySource(const std::vector<uint8_t>& data) : data_(data) {}
  size_t Read(uint8_t* buffer, size_t size) override {
    size_t n = std::min(size, data_.size() - at_);
    std::memcpy(buffer, data_.data() + at_, n);
    at_ += n;
    return n;
  }

 private:
  const std::vector<uint8_t>& data_;
  size_t at_ = 0;
};

class BufferSink : public skin::TInflateSink {
 public:
  explicit BufferSink(std::vector<uint8_t>& out) : out_(out) {}
  bool Write(const uint8_t* data, size_t size) override {
    if (size > out_.size() - at_) return false;
    std::memcpy(out_.data() + at_, data, size);
    at_ += size;
    return true;
  }

 private:
  std::vector<uint8_t>& out_;
  size_t at_ = 0;
};

std::vector<uint8_t> RawDeflate(const std::string& text) {
  z_stream z{};
  if (deflateInit2(&z, 6, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK) std::exit(2);
  std::vector<uint8_t> out(deflateBound(&z, text.size()));
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
  z.avail_in = uInt(text.size());
  z.next_out = out.data();
  z.avail_out = uInt(out.size());
  if (deflate(&z, Z_FINISH) != Z_STREAM_END) std::exit(2);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

constexpr size_t kInflateTimedBytes = 32 << 20;  // a timed run decodes at least this much

// Seconds per decode of `stream` by our decoder; *ok stays true while the output is `text`.
double OurInflate(const std::vector<uint8_t>& stream, const std::string& text,
                  std::vector<uint8_t>& out, int repeats, bool* ok) {
  Stopwatch w;
  for (int k = 0; k < repeats; ++k) {
    MemorySource source(stream);
    BufferSink sink(out);
    skin::TInflateResult r = skin::Inflate(source, sink, text.size());
    *ok = *ok && r.status == skin::TInflateStatus::kOk && r.written == text.size();
  }
  double s = w.Seconds() / repeats;
  *ok = *ok && std::memcmp(out.data(), text.data(), text.size()) == 0;
  return s;
}

double ZlibInflate(const std::vector<uint8_t>& stream, const std::string& text,
                   std::vector<uint8_t>& out, int repeats, bool* ok) {
  Stopwatch w;
  for (int k = 0; k < repeats; ++k) {
    z_stream z{};
    inflateInit2(&z, -15);
    z.next_in = const_cast<Bytef*>(stream.data());
    z.avail_in = uInt(stream.size());
    z.next_out = out.data();
    z.avail_out = uInt(out.size());
    *ok = *ok && inflate(&z, Z_FINISH) == Z_STREAM_END && z.total_out == text.size();
    inflateEnd(&z);
  }
  double s = w.Seconds() / repeats;
  *ok = *ok && std::memcmp(out.data(), text.data(), text.size()) == 0;
  return s;
}

// Both decoders on the same stream into the same (already touched) buffer, their runs taking
// turns.
void RunInflate(size_t bytes) {
  std::string text = LyricsGenerator(20).Text(bytes);
  std::vector<uint8_t> stream = RawDeflate(text);
  std::vector<uint8_t> out(bytes, 0);
  const int repeats = int(std::max<size_t>(1, kInflateTimedBytes / bytes));
  bool ok = true;
  const auto ours = [&](int) {
    std::fill(out.begin(), out.end(), 0);
    return OurInflate(stream, text, out, repeats, &ok);
  };
  const auto zlib = [&](int) {
    std::fill(out.begin(), out.end(), 0);
    return ZlibInflate(stream, text, out, repeats, &ok);
  };
  const std::vector<double> t = AlternatedMedians({ours, zlib});
  const double o = t[0], z = t[1];
  if (!ok) std::fprintf(stderr, "dzbench: CHECK inflate of %zu bytes: output differs\n", bytes);
  Add({"inflate (rate vs zlib)", bytes, o, "zlib inflate", z, z / o, ">= 0.6"});
}

// ---- growth 100k -> 1M ----

// The growth from the two sizes' own runs, for comparison (no target: those runs lie minutes
// apart, so a change in the machine's speed between them enters the ratio).
void AddSeparateGrowth(const char* name, const char* rowName) {
  const Row *small = nullptr, *large = nullptr;
  for (const Row& r : rows) {
    if (r.name != rowName || !r.ours) continue;
    if (r.n == kTargetN) small = &r;
    if (r.n == 10 * kTargetN) large = &r;
  }
  if (!small || !large) return;
  Add({std::string(name) + ", separate runs",
       10 * kTargetN,
       *large->ours,
       "same at 100000",
       *small->ours,
       {},
       ""});
}

// A child's one load (LoadInChild): prints its seconds.
int LoadOnce(const std::string& mode, const std::string& file) {
  double s = 0;
  if (mode == "--load-lite") {
    SqliteAnchor lite;
    s = lite.Load(file);
  } else {
#ifdef DZ_BENCH_HAVE_FACADE
    uint64_t ignored = 0;
    s = FacadeBench::Load(file, false, &ignored);
#else
    return 2;
#endif
  }
  std::printf("%.9g\n", s);
  return 0;
}

// Load, save and sort at both sizes in one process, on the table files the two sizes' runs
// left, the runs at the two sizes taking turns.
void RunGrowth(const std::filesystem::path& work) {
#ifdef DZ_BENCH_HAVE_FACADE
  const std::string small = TableFile(work, kTargetN), large = TableFile(work, 10 * kTargetN);
  const auto add = [](const char* name, const std::vector<double>& t, const char* target) {
    Add({name, 10 * kTargetN, t[1], "same at 100000, taking turns", t[0], {}, target});
  };
  try {
    Progress("growth: load (fresh processes), the two sizes taking turns", 10 * kTargetN);
    add("load growth 100k->1M",
        AlternatedMedians({[&](int) { return LoadInChild("--load-ours", small); },
                           [&](int) { return LoadInChild("--load-ours", large); }}),
        "<= 12");
    FacadeBench smallTable(small), largeTable(large);
    Progress("growth: save", 10 * kTargetN);
    const std::string saved = (work / "growth-save.roZoreda").string();
    add("save growth 100k->1M",
        AlternatedMedians({[&](int) { return smallTable.Save(saved); },
                           [&](int) { return largeTable.Save(saved); }}),
        "<= 12");
    std::remove(saved.c_str());
    // The cursors sort first: the dataset keeps the index its sort made, and a cursor index on
    // the same fields would then be made from that one instead of sorted.
    Progress("growth: sort", 10 * kTargetN);
    EngineBench smallCursor(smallTable.Table()), largeCursor(largeTable.Table());
    add("sort growth 100k->1M [cursor]",
        AlternatedMedians(
            {[&](int) { return smallCursor.Sort(); }, [&](int) { return largeCursor.Sort(); }}),
        "<= 14");
    add("sort growth 100k->1M",
        AlternatedMedians(
            {[&](int) { return smallTable.Sort(); }, [&](int) { return largeTable.Sort(); }}),
        "<= 14");
  } catch (const std::exception& e) {
    std::fprintf(stderr, "dzbench: growth run: TClientDataSet raised: %s\n", e.what());
    std::exit(2);
  }
#else
  (void)work;
#endif
}

// ---- output ----

std::string Value(const Row& r, const std::optional<double>& v, const char* missing) {
  if (!v) return missing;
  if (r.name.rfind("memory", 0) == 0) {
    char b[32];
    std::snprintf(b, sizeof b, "%.1f MB", *v / 1e6);
    return b;
  }
  char b[32];
  std::snprintf(b, sizeof b, "%.6f s", *v);
  return b;
}

// "yes"/"NO" where the target applies (its ratios are stated at N = 100,000), else "-".
std::string Met(const Row& r) {
  if (r.target.empty() || !r.ratio) return "-";
  bool applies =
      r.n == kTargetN || r.name.find("inflate") == 0 || r.name.find("growth") != std::string::npos;
  if (!applies) return "-";
  double limit = std::atof(r.target.c_str() + 3);
  bool ok = r.target[0] == '<' ? *r.ratio <= limit : *r.ratio >= limit;
  return ok ? "yes" : "NO";
}

void PrintTable() {
  std::printf("%-28s %9s %24s  %-33s %16s %8s %8s %4s\n", "name", "n", "ours", "anchor",
              "anchor value", "ratio", "target", "met");
  for (const Row& r : rows) {
    char ratio[32] = "n/a";
    if (r.ratio) std::snprintf(ratio, sizeof ratio, "%.3f", *r.ratio);
    std::printf("%-28s %9llu %24s  %-33s %16s %8s %8s %4s\n", r.name.c_str(),
                (unsigned long long)r.n, Value(r, r.ours, r.missing.c_str()).c_str(),
                r.anchor.c_str(), Value(r, r.anchorValue, "n/a").c_str(), ratio, r.target.c_str(),
                Met(r).c_str());
  }
}

std::string Json(const std::optional<double>& v) {
  if (!v || !std::isfinite(*v)) return "null";
  char b[40];
  std::snprintf(b, sizeof b, "%.9g", *v);
  return b;
}

std::string Quoted(const std::string& s) {
  std::string q = "\"";
  for (char c : s) {
    if (c == '"' || c == '\\') q += '\\';
    q += c;
  }
  return q + "\"";
}

void WriteJson(const std::string& path) {
  std::ofstream out(path);
  out << "[\n";
  for (size_t k = 0; k < rows.size(); ++k) {
    const Row& r = rows[k];
    out << "  {\"name\": " << Quoted(r.name) << ", \"n\": " << r.n
        << ", \"ours_s\": " << Json(r.ours) << ", \"anchor\": " << Quoted(r.anchor)
        << ", \"anchor_s\": " << Json(r.anchorValue) << ", \"ratio\": " << Json(r.ratio)
        << ", \"target\": " << Quoted(r.target) << "}" << (k + 1 < rows.size() ? "," : "") << "\n";
  }
  out << "]\n";
}

}  // namespace
}  // namespace bench

int main(int argc, char** argv) {
  std::string json;
  std::filesystem::path work = std::filesystem::temp_directory_path();
  std::vector<uint32_t> sizes;
  uint32_t one = 0;
  bool growth = false;
  double budget = bench::kBuildBudget;
  for (int k = 1; k < argc; ++k) {
    std::string a = argv[k];
    if (a == "--json" && k + 1 < argc) {
      json = argv[++k];
    } else if (a == "--work" && k + 1 < argc) {
      work = argv[++k];
    } else if (a == "--budget" && k + 1 < argc) {
      budget = std::strtod(argv[++k], nullptr);
    } else if ((a == "--load-ours" || a == "--load-lite") && k + 1 < argc) {
      return bench::LoadOnce(a, argv[k + 1]);
    } else if (a == "--growth") {
      growth = true;
    } else if (a == "--one" && k + 1 < argc) {
      one = uint32_t(std::strtoul(argv[++k], nullptr, 10));
    } else if (std::strtoul(a.c_str(), nullptr, 10) > 0) {
      sizes.push_back(uint32_t(std::strtoul(a.c_str(), nullptr, 10)));
    } else {
      std::fprintf(stderr, "usage: dzbench [--json FILE] [--work DIR] [--budget S] N...\n");
      return 2;
    }
  }
  std::filesystem::create_directories(work);
  if (one) {
    bench::RunCollection(one, work, budget);
    bench::WriteRows(stdout);
    return 0;
  }
  if (growth) {
    bench::RunGrowth(work);
    bench::WriteRows(stdout);
    return 0;
  }
  for (uint32_t n : sizes) std::filesystem::remove(bench::TableFile(work, n));  // none left over
  for (uint32_t n : sizes) {
    if (!bench::RunChild("--one " + std::to_string(n), work.string(), budget)) {
      std::fprintf(stderr, "dzbench: the run for N=%u failed\n", n);
      return 1;
    }
  }
  // Both sizes ran in this run and left their table files (a size over its budget leaves none).
  const auto ran = [&](uint32_t n) {
    return std::find(sizes.begin(), sizes.end(), n) != sizes.end() &&
           std::filesystem::exists(bench::TableFile(work, n));
  };
  if (ran(bench::kTargetN) && ran(10 * bench::kTargetN) &&
      !bench::RunChild("--growth", work.string(), budget)) {
    std::fprintf(stderr, "dzbench: the growth run failed\n");
    return 1;
  }
  for (uint32_t n : sizes) std::filesystem::remove(bench::TableFile(work, n));
  bench::AddSeparateGrowth("load growth 100k->1M", "load");
  bench::AddSeparateGrowth("save growth 100k->1M", "save");
  bench::AddSeparateGrowth("sort growth 100k->1M", bench::kFacadeSortRow);
  bench::AddSeparateGrowth("sort growth 100k->1M [cursor]", bench::kSortRow);
  bench::RunInflate(1 << 20);
  bench::RunInflate(50 << 20);
  bench::PrintTable();
  if (!json.empty()) bench::WriteJson(json);
  return 0;
}
