// dzbench: speed and memory of our table engine against SQLite on the same data, and of our
// DEFLATE decoder against zlib on the same stream. Every figure is the median of kRuns runs and
// is printed next to its anchor measured in the same run.
//   dzbench [--json FILE] [--work DIR] [--budget SECONDS] N...
// Each size runs in a child process (--one N) so that its memory figures start from a fresh heap.
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
  double liteLoad = 0, liteSave = 0;
  std::string file;       // our table file
  std::string floorFile;  // the floor's copy
  std::optional<double> modelBytes;
};

void AddLoadSaveRows(uint32_t n, const LoadSaveAnchors& a, std::optional<double> load,
                     std::optional<double> save, std::optional<double> floorRead,
                     std::optional<double> floorWrite, std::optional<double> resident,
                     const std::string& missing) {
  Add({"load", n, load, "sqlite backup file->:memory:", a.liteLoad, {}, "<= 1.0", missing});
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
      uint64_t resident = 0, ignored = 0;
      const double load = Median([&](int k) {
        return FacadeBench::Load(anchors.file, k == 0, k == 0 ? &resident : &ignored);
      });
      AddLoadSaveRows(n, anchors, load, save, floorRead, floorWrite, double(resident), missing);
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
  AddLoadSaveRows(n, anchors, {}, {}, {}, {}, {}, missing);
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
  anchors.liteLoad = Median([&](int) { return lite.Load(dbFile); });
  anchors.liteSave = Median([&](int) { return lite.Save(savedDb); });
  anchors.file = (work / ("lyrics-" + std::to_string(n) + ".roZoreda")).string();
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
  std::remove(anchors.file.c_str());
  std::remove(anchors.floorFile.c_str());
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

// Runs one collection size in a child process (a fresh heap for the memory figures).
bool RunChild(const std::string& self, uint32_t n, const std::string& work, double budget) {
  std::string command = "'" + self + "' --work '" + work + "' --budget " + std::to_string(budget) +
                        " --one " + std::to_string(n);
  FILE* child = popen(command.c_str(), "r");
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

// Both decoders on the same stream into the same (already touched) buffer, runs interleaved so
// that changing load on the machine hits both alike.
void RunInflate(size_t bytes) {
  std::string text = LyricsGenerator(20).Text(bytes);
  std::vector<uint8_t> stream = RawDeflate(text);
  std::vector<uint8_t> out(bytes, 0);
  const int repeats = int(std::max<size_t>(1, kInflateTimedBytes / bytes));
  bool ok = true;
  std::vector<double> ours, zlib;
  for (int k = 0; k < kRuns; ++k) {
    std::fill(out.begin(), out.end(), 0);
    ours.push_back(OurInflate(stream, text, out, repeats, &ok));
    std::fill(out.begin(), out.end(), 0);
    zlib.push_back(ZlibInflate(stream, text, out, repeats, &ok));
  }
  std::sort(ours.begin(), ours.end());
  std::sort(zlib.begin(), zlib.end());
  double o = ours[kRuns / 2], z = zlib[kRuns / 2];
  if (!ok) std::fprintf(stderr, "dzbench: CHECK inflate of %zu bytes: output differs\n", bytes);
  Add({"inflate (rate vs zlib)", bytes, o, "zlib inflate", z, z / o, ">= 0.6"});
}

// ---- growth 100k -> 1M ----

void AddGrowth(const char* name, const char* rowName, const char* target) {
  const Row *small = nullptr, *large = nullptr;
  for (const Row& r : rows) {
    if (r.name != rowName || !r.ours) continue;
    if (r.n == kTargetN) small = &r;
    if (r.n == 10 * kTargetN) large = &r;
  }
  if (!small || !large) return;
  Add({name, 10 * kTargetN, *large->ours, "same at 100000", *small->ours, {}, target});
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
  double budget = bench::kBuildBudget;
  for (int k = 1; k < argc; ++k) {
    std::string a = argv[k];
    if (a == "--json" && k + 1 < argc) {
      json = argv[++k];
    } else if (a == "--work" && k + 1 < argc) {
      work = argv[++k];
    } else if (a == "--budget" && k + 1 < argc) {
      budget = std::strtod(argv[++k], nullptr);
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
  const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
  for (uint32_t n : sizes) {
    if (!bench::RunChild(self, n, work.string(), budget)) {
      std::fprintf(stderr, "dzbench: the run for N=%u failed\n", n);
      return 1;
    }
  }
  bench::AddGrowth("load growth 100k->1M", "load", "<= 12");
  bench::AddGrowth("save growth 100k->1M", "save", "<= 12");
  bench::AddGrowth("sort growth 100k->1M", bench::kFacadeSortRow, "<= 14");
  bench::AddGrowth("sort growth 100k->1M [cursor]", bench::kSortRow, "<= 14");
  bench::RunInflate(1 << 20);
  bench::RunInflate(50 << 20);
  bench::PrintTable();
  if (!json.empty()) bench::WriteJson(json);
  return 0;
}
