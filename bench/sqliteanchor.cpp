// SQLite anchors: building the file database, and the timed operations on its in-memory copy.
#include "bench/sqliteanchor.h"

#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>

#include "bench/benchclock.h"

namespace bench {
namespace {

void Check(int rc, sqlite3* db, const char* what) {
  if (rc == SQLITE_OK || rc == SQLITE_DONE || rc == SQLITE_ROW) return;
  std::fprintf(stderr, "dzbench: SQLite %s failed: %s\n", what, db ? sqlite3_errmsg(db) : "");
  std::exit(2);
}

void Exec(sqlite3* db, const char* sql) {
  char* message = nullptr;
  if (sqlite3_exec(db, sql, nullptr, nullptr, &message) != SQLITE_OK) {
    std::fprintf(stderr, "dzbench: SQLite '%s' failed: %s\n", sql, message ? message : "");
    std::exit(2);
  }
}

sqlite3* Open(const std::string& path) {
  sqlite3* db = nullptr;
  Check(sqlite3_open(path.c_str(), &db), db, "open");
  return db;
}

class Statement {
 public:
  Statement(sqlite3* db, const std::string& sql) : db_(db) {
    Check(sqlite3_prepare_v2(db, sql.c_str(), -1, &s_, nullptr), db, "prepare");
  }
  ~Statement() { sqlite3_finalize(s_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;
  void Text(int k, const std::string& v) {
    Check(sqlite3_bind_text(s_, k, v.data(), int(v.size()), SQLITE_TRANSIENT), db_, "bind");
  }
  void Null(int k) { Check(sqlite3_bind_null(s_, k), db_, "bind"); }
  void Int(int k, int64_t v) { Check(sqlite3_bind_int64(s_, k, v), db_, "bind"); }
  // Steps to the end; returns the number of rows.
  uint64_t Run() {
    uint64_t rows = 0;
    int rc;
    while ((rc = sqlite3_step(s_)) == SQLITE_ROW) ++rows;
    Check(rc, db_, "step");
    sqlite3_reset(s_);
    return rows;
  }
  sqlite3_stmt* get() { return s_; }

 private:
  sqlite3* db_;
  sqlite3_stmt* s_ = nullptr;
};

void Backup(sqlite3* to, sqlite3* from) {
  sqlite3_backup* b = sqlite3_backup_init(to, "main", from, "main");
  if (!b) Check(SQLITE_ERROR, to, "backup init");
  Check(sqlite3_backup_step(b, -1), to, "backup step");
  Check(sqlite3_backup_finish(b), to, "backup finish");
}

void BindEntry(Statement& s, const LyricsEntry& e) {
  s.Text(1, e.artist);
  s.Text(2, e.album);
  s.Text(3, e.title);
  s.Text(4, e.lyric);
  if (e.songFile.empty())
    s.Null(5);
  else
    s.Text(5, e.songFile);
}

}  // namespace

SqliteAnchor::~SqliteAnchor() { sqlite3_close(mem_); }

void SqliteAnchor::Build(const LyricsGenerator& gen, const std::string& path) {
  std::remove(path.c_str());
  sqlite3* db = Open(path);
  Exec(db, "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF;");
  Exec(db,
       "CREATE TABLE lyrics(Id INTEGER PRIMARY KEY, Artist TEXT, Album TEXT, Title TEXT, "
       "Lyric TEXT, SongFileName TEXT)");
  Exec(db, "BEGIN");
  {
    Statement insert(db, "INSERT INTO lyrics VALUES(?6, ?1, ?2, ?3, ?4, ?5)");
    for (uint32_t i = 0; i < gen.Size(); ++i) {
      BindEntry(insert, gen.Entry(i));
      insert.Int(6, int64_t(i) + 1);
      insert.Run();
    }
    Statement update(db,
                     "UPDATE lyrics SET Artist=?1, Album=?2, Title=?3, Lyric=?4, SongFileName=?5 "
                     "WHERE rowid=?6");
    Statement erase(db, "DELETE FROM lyrics WHERE rowid=?1");
    for (uint32_t i = 0; i < gen.Size(); ++i) {
      EntryHistory h = gen.History(i);
      for (int v = 1; v <= h.modifications; ++v) {
        BindEntry(update, gen.Entry(i, v));
        update.Int(6, int64_t(i) + 1);
        update.Run();
      }
      if (h.deleted) {
        erase.Int(1, int64_t(i) + 1);
        erase.Run();
      }
    }
  }
  Exec(db, "COMMIT");
  Check(sqlite3_close(db), nullptr, "close");
}

double SqliteAnchor::Load(const std::string& path) {
  sqlite3_close(mem_);
  mem_ = nullptr;
  Stopwatch w;
  sqlite3* file = Open(path);
  sqlite3* mem = Open(":memory:");
  Backup(mem, file);
  sqlite3_close(file);
  double s = w.Seconds();
  mem_ = mem;
  return s;
}

double SqliteAnchor::Save(const std::string& path) {
  std::remove(path.c_str());
  Stopwatch w;
  sqlite3* file = Open(path);
  Exec(file, "PRAGMA synchronous=OFF");
  Backup(file, mem_);
  Check(sqlite3_close(file), nullptr, "close");
  return w.Seconds();
}

double SqliteAnchor::Sort(uint64_t* rows) {
  Statement s(mem_,
              "SELECT rowid, Artist, Title FROM lyrics "
              "ORDER BY Artist COLLATE NOCASE, Title COLLATE NOCASE");
  Stopwatch w;
  *rows = s.Run();
  return w.Seconds();
}

double SqliteAnchor::Search(const std::string& where, uint64_t* rows) {
  Statement s(mem_, "SELECT rowid, Artist, Title FROM lyrics WHERE " + where +
                        " ORDER BY Artist, Title LIMIT 10");
  Stopwatch w;
  *rows = s.Run();
  return w.Seconds();
}

void SqliteAnchor::CreateEditIndex() {
  Exec(mem_, "CREATE INDEX IF NOT EXISTS ArtistTitle ON lyrics(Artist, Title)");
}

double SqliteAnchor::Edit(int64_t rowid, const std::string& artist) {
  Statement s(mem_, "UPDATE lyrics SET Artist=?1 WHERE rowid=?2");
  Stopwatch w;
  s.Text(1, artist);
  s.Int(2, rowid);
  s.Run();
  return w.Seconds();
}

int64_t SqliteAnchor::Count(const std::string& where) {
  Statement s(mem_, "SELECT count(*) FROM lyrics WHERE " + where);
  Check(sqlite3_step(s.get()), mem_, "count");
  return sqlite3_column_int64(s.get(), 0);
}

std::vector<int64_t> SqliteAnchor::RowIds(const std::string& where, int limit) {
  Statement s(mem_, "SELECT rowid FROM lyrics WHERE " + where + " ORDER BY rowid LIMIT " +
                        std::to_string(limit));
  std::vector<int64_t> ids;
  while (sqlite3_step(s.get()) == SQLITE_ROW) ids.push_back(sqlite3_column_int64(s.get(), 0));
  return ids;
}

}  // namespace bench
