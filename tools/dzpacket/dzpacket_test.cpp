// dzpacket on real files: natively the built executable runs (exit statuses, stdout, stderr);
// in the Windows build, under Wine, the same command lines run in-process through RunTool.
// Histories are made with the client dataset as the program makes them (load, append, edit,
// delete, save); expectations come from the row-state and change-log rules, not from the tool.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "dataset/clientdataset.h"
#include "platform/exceptions.h"
#include "tableengine/dsbase.h"
#include "tools/dzpacket/csv.h"
#include "tools/dzpacket/tool.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace dzpacket {
namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const fs::path& p, const std::string& data) {
  std::ofstream(p, std::ios::binary).write(data.data(), std::streamsize(data.size()));
}

uint32_t Le(const std::string& b, size_t at, int bytes) {
  uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = v << 8 | uint8_t(b[at + i]);
  return v;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::vector<CsvRow> ParseOutput(const std::string& csv) {
  std::vector<CsvRow> rows;
  std::string error;
  EXPECT_TRUE(ParseCsv(csv, &rows, &error)) << error;
  return rows;
}

// A CSV column of parsed output, by its header name (header row excluded).
std::vector<std::string> Column(const std::vector<CsvRow>& rows, const std::string& name) {
  std::vector<std::string> values;
  if (rows.empty()) return values;
  size_t at = 0;
  while (at < rows[0].fields.size() && rows[0].fields[at] != name) ++at;
  EXPECT_LT(at, rows[0].fields.size()) << name;
  for (size_t r = 1; r < rows.size(); ++r)
    values.push_back(at < rows[r].fields.size() ? rows[r].fields[at] : "<missing>");
  return values;
}

class DzPacket : public testing::Test {
 protected:
  void SetUp() override {
    const auto tick = std::chrono::steady_clock::now().time_since_epoch().count();
    dir_ =
        fs::temp_directory_path() / ("dzpacket_test_" + std::to_string(tick % 1000000007) + "_" +
                                     testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string P(const std::string& name) const { return (dir_ / name).string(); }

  // Runs one dzpacket command line; the exit status, stdout in out_, stderr in err_.
  int Run(const std::vector<std::string>& args) {
#ifdef _WIN32
    std::ostringstream out, err;
    const int status = RunTool(args, out, err);
    out_ = out.str();
    err_ = err.str();
    return status;
#else
    std::string cmd = DZPACKET_EXE;
    for (const std::string& a : args) {
      cmd += " '";
      for (char c : a) cmd += c == '\'' ? std::string("'\\''") : std::string(1, c);
      cmd += "'";
    }
    cmd += " >'" + P("stdout") + "' 2>'" + P("stderr") + "'";
    const int status = std::system(cmd.c_str());
    out_ = ReadFile(P("stdout"));
    err_ = ReadFile(P("stderr"));
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
  }

  // A lyrics table made by import-csv from the given records (UTF-8 CSV text without header).
  std::string Imported(const std::string& name, const std::string& records) {
    WriteFile(P(name + ".csv"), "Artist,Title,Album,Lyric,SongFileName\r\n" + records);
    EXPECT_EQ(Run({"import-csv", P(name + ".csv"), P(name)}), 0) << err_;
    return P(name);
  }

  // The history of the change-log rules: a new table loaded once, three inserts (Ids 1, 2,
  // 3), a modification of the first record's Artist (version 4 replaces 1), a deletion of the
  // second; saved as the program saves. Record 1 has a Lyric the modification leaves alone.
  std::string History() {
    EXPECT_EQ(Run({"new", P("history")}), 0) << err_;
    db::TClientDataSet ds("cdsMain");
    ds.LoadPacketFile(P("history"));
    const char* rows[][3] = {{"Queen", "Bohemian Rhapsody", "Is this the real life"},
                             {"ABBA", "Waterloo", "My my"},
                             {"Beatles", "Help!", "When I was younger"}};
    for (const auto& r : rows) {
      ds.Append();
      ds.FieldByName("Artist").SetAsString(r[0]);
      ds.FieldByName("Title").SetAsString(r[1]);
      ds.FieldByName("Lyric").SetAsString(r[2]);
      ds.Post();
    }
    ds.SetIndexFieldNames("Id");
    ds.First();
    ds.Edit();
    ds.FieldByName("Artist").SetAsString("Queen & David Bowie");
    ds.Post();
    ds.Next();
    EXPECT_EQ(ds.FieldByName("Id").AsInteger(), 2);
    ds.Delete();
    ds.SavePacketFile(P("history"));
    return P("history");
  }

  fs::path dir_;
  std::string out_, err_;
};

// --- new, verify, info -------------------------------------------------------------------------

TEST_F(DzPacket, NewWritesTheEmptyLyricsTableThatVerifies) {
  ASSERT_EQ(Run({"new", P("Lyrics.roZoreda")}), 0) << err_;
  const std::string b = ReadFile(P("Lyrics.roZoreda"));
  ASSERT_EQ(b.size(), 225u);
  EXPECT_EQ(Le(b, 0, 4), 0xBDE01996u);  // magic
  EXPECT_EQ(Le(b, 12, 2), 6u);          // columns
  EXPECT_EQ(Le(b, 14, 4), 0u);          // rows
  EXPECT_EQ(Le(b, 18, 4), 3u);          // metadata, valid row data offset
  EXPECT_EQ(Le(b, 22, 2), 225u);        // row data offset: right after the metadata
  ASSERT_EQ(Run({"verify", P("Lyrics.roZoreda")}), 0) << err_;
  EXPECT_EQ(out_, "ok\nversions: 0\nvisible records: 0\nchange-log entries: 0\n");
  // An existing file, however small, is never replaced.
  WriteFile(P("kept"), "x");
  EXPECT_EQ(Run({"new", P("kept")}), 1);
  EXPECT_NE(err_.find("exists already"), std::string::npos) << err_;
  EXPECT_EQ(ReadFile(P("kept")), "x");
}

TEST_F(DzPacket, InfoShowsHeaderColumnsParametersAndCounts) {
  const std::string file = History();
  ASSERT_EQ(Run({"info", file}), 0) << err_;
  const std::string info = out_;
  for (const char* expected :
       {"format: binary\n", "magic: 0xBDE01996\n", "column count: 6\n", "row count: 4\n",
        "packet flags: 0x00000003\n", "1. Id  type 0x00010004  attributes 0x0002\n",
        "SUBTYPE (0x00490002) = \"Autoinc\"\n", "2. Artist  type 0x00490001",
        "WIDTH (0x00020002) = 180\n", "WIDTH (0x00020002) = 500\n",
        "SUBTYPE (0x00490002) = \"Text\"\n", "CHANGE_LOG (0x00820004) = [15 values: 1 0 4",
        "AUTOINCVALUE (0x00010004) = 4\n", "rows: 4\n", "change-log entries: 5\n",
        "next auto-increment value: 4\n"})
    EXPECT_NE(info.find(expected), std::string::npos) << expected << "\n" << info;

  // The XML form shows the same columns, parameters and counts.
  ASSERT_EQ(Run({"convert", file, P("history.xml")}), 0) << err_;
  ASSERT_EQ(Run({"info", P("history.xml")}), 0) << err_;
  EXPECT_NE(out_.find("format: XML\nstream mode: 5\ncolumn count: 6\n"), std::string::npos) << out_;
  // Columns read from XML attributes carry the attribute bit 0x10.
  std::string expected = info.substr(info.find("  columns:"));
  for (size_t at; (at = expected.find("attributes 0x000")) != std::string::npos;)
    expected.replace(at, 16, "attributes 0x001");
  EXPECT_EQ(out_.substr(out_.find("  columns:")), expected);
}

// --- import-csv and rows ----------------------------------------------------------------------

const char kAwkwardCsv[] =
    "Beyonc\xC3\xA9,\"Halo, \"\"live\"\"\",I Am... Sasha Fierce,\"Remember those walls\r\n"
    "I built\nwell, baby\",C:\\Music\\halo.mp3\r\n"
    "Mot\xC3\xB6rhead,Ace of Spades,Ace of Spades,\"\xE2\x82\xAC 5 \xE2\x80\x99tis\",\r\n"
    "\"Sigur R\xC3\xB3s\",Hopp\xC3\xADpolla,Takk...,,\r\n";

TEST_F(DzPacket, ImportCsvThenRowsGivesTheTextBack) {
  const std::string file = Imported("t", kAwkwardCsv);
  ASSERT_EQ(Run({"rows", file, "--format", "csv"}), 0) << err_;
  const std::vector<CsvRow> rows = ParseOutput(out_);
  ASSERT_EQ(rows.size(), 4u) << out_;
  EXPECT_EQ(rows[0].fields,
            (std::vector<std::string>{"Id", "Artist", "Album", "Title", "Lyric", "SongFileName"}));
  EXPECT_EQ(Column(rows, "Id"), (std::vector<std::string>{"1", "2", "3"}));
  EXPECT_EQ(Column(rows, "Artist"),
            (std::vector<std::string>{"Beyonc\xC3\xA9", "Mot\xC3\xB6rhead", "Sigur R\xC3\xB3s"}));
  EXPECT_EQ(Column(rows, "Title")[0], "Halo, \"live\"");
  EXPECT_EQ(Column(rows, "Lyric")[0], "Remember those walls\r\nI built\nwell, baby");
  EXPECT_EQ(Column(rows, "Lyric")[1], "\xE2\x82\xAC 5 \xE2\x80\x99tis");
  EXPECT_EQ(Column(rows, "SongFileName")[0], "C:\\Music\\halo.mp3");
  EXPECT_EQ(Column(rows, "Album")[2], "Takk...");

  // Stored in code page 1252, as the program keeps its text.
  db::TClientDataSet ds("cdsMain");
  ds.LoadPacketFile(file);
  ds.First();
  EXPECT_EQ(ds.FieldByName("Artist").AsString(), "Beyonc\xE9");
  ds.Next();
  EXPECT_EQ(ds.FieldByName("Lyric").AsString(), "\x80 5 \x92tis");
}

TEST_F(DzPacket, RowsAsJsonEscapeTextAndGiveNumbersAndNulls) {
  const std::string file = Imported("t", kAwkwardCsv);
  ASSERT_EQ(Run({"rows", file, "--format=json"}), 0) << err_;
  EXPECT_EQ(out_.substr(0, 4), "[\n  ");
  EXPECT_EQ(out_.substr(out_.size() - 4), "}\n]\n");
  for (const char* expected :
       {"{\"Id\": 1, \"Artist\": \"Beyonc\xC3\xA9\", \"Album\": \"I Am... Sasha Fierce\", "
        "\"Title\": \"Halo, \\\"live\\\"\", \"Lyric\": \"Remember those walls\\r\\nI "
        "built\\nwell, baby\", \"SongFileName\": \"C:\\\\Music\\\\halo.mp3\"}",
        "\"Id\": 3", "\"Lyric\": null, \"SongFileName\": null}"})
    EXPECT_NE(out_.find(expected), std::string::npos) << expected << "\n" << out_;
}

TEST_F(DzPacket, ImportCsvRefusesBadInputWithTheLineAndWritesNothing) {
  const struct {
    std::string csv;
    const char* message;
  } cases[] = {
      {"Artist,Title,Album,Lyric,SongFileName\r\na,b,c,\"first\r\nsecond \xE4\xB8\xAD\",e\r\n",
       "line 3: U+4E2D has no code page 1252 form"},
      {"Artist,Title,Album,Lyric,SongFileName\r\na,b\xFF,c,d,e\r\n", "line 2: malformed UTF-8"},
      {"Artist,Album,Title,Lyric,SongFileName\r\n", "line 1: the header must be"},
      {"Artist,Title,Album,Lyric\r\n", "line 1: the header must be"},
      {"", "the header Artist,Title,Album,Lyric,SongFileName is missing"},
      {"Artist,Title,Album,Lyric,SongFileName\r\na,b,c,d,e\r\na,b,c,d\r\n",
       "line 3: 4 fields where 5 belong"},
      {"Artist,Title,Album,Lyric,SongFileName\r\n" + std::string(181, 'x') + ",b,c,d,e\r\n",
       "line 2: Artist is longer than 180 characters"},
      {"Artist,Title,Album,Lyric,SongFileName\r\na,\"b\r\n", "line 2: a quoted field is never"},
  };
  for (const auto& c : cases) {
    WriteFile(P("in.csv"), c.csv);
    EXPECT_EQ(Run({"import-csv", P("in.csv"), P("out")}), 1) << c.message;
    EXPECT_NE(err_.find(c.message), std::string::npos) << c.message << "\n" << err_;
    EXPECT_EQ(Lines(err_).size(), 1u) << err_;
    EXPECT_FALSE(fs::exists(P("out")));
  }
  // A byte order mark is allowed; 500 characters fit a song file name.
  WriteFile(P("in.csv"),
            "\xEF\xBB\xBF"
            "Artist,Title,Album,Lyric,SongFileName\r\na,b,c,d," +
                std::string(500, 'f') + "\r\n");
  EXPECT_EQ(Run({"import-csv", P("in.csv"), P("out")}), 0) << err_;
}

TEST_F(DzPacket, RowsOrderAndFilterThroughTheProgramsPaths) {
  const std::string file =
      Imported("t",
               "Queen,Bohemian Rhapsody,A Night at the Opera,\"Is this the real life?\",\r\n"
               "ABBA,Waterloo,Waterloo,\"My my, at Waterloo\nI REMEMBERED LINE one\",\r\n"
               "ABBA,Dancing Queen,Arrival,\"You can dance\",\r\n"
               "Beatles,Yesterday,Help!,\"All my troubles... a remembered line\",\r\n");
  ASSERT_EQ(Run({"rows", file}), 0) << err_;  // the default order: as inserted
  EXPECT_EQ(Column(ParseOutput(out_), "Id"), (std::vector<std::string>{"1", "2", "3", "4"}));
  ASSERT_EQ(Run({"rows", file, "--order", "Artist;Title"}), 0) << err_;
  EXPECT_EQ(
      Column(ParseOutput(out_), "Title"),
      (std::vector<std::string>{"Dancing Queen", "Waterloo", "Yesterday", "Bohemian Rhapsody"}));
  ASSERT_EQ(Run({"rows", file, "--order", "Title", "--filter", "Artist = 'ABBA'"}), 0) << err_;
  EXPECT_EQ(Column(ParseOutput(out_), "Id"), (std::vector<std::string>{"3", "2"}));

  // LIKE on the memo, letter case ignored unless asked.
  ASSERT_EQ(Run({"rows", file, "--filter", "Lyric like '%remembered line%'"}), 0) << err_;
  EXPECT_EQ(Column(ParseOutput(out_), "Id"), (std::vector<std::string>{"2", "4"}));
  ASSERT_EQ(Run({"rows", file, "--filter", "Lyric like '%remembered line%'", "--case-sensitive"}),
            0)
      << err_;
  EXPECT_EQ(Column(ParseOutput(out_), "Id"), (std::vector<std::string>{"4"}));
  ASSERT_EQ(Run({"rows", file, "--filter", "Artist like 'zz%'"}), 0) << err_;
  EXPECT_EQ(ParseOutput(out_).size(), 1u);  // the header line alone
}

TEST_F(DzPacket, FilterAndOrderErrorsPrintTheProgramsMessage) {
  const std::string file = Imported("t", "a,b,c,d,e\r\n");
  // The message the program's error box shows for the same filter.
  std::string shown;
  {
    db::TClientDataSet ds("cdsMain");
    ds.LoadPacketFile(file);
    ds.SetFilterOptions(db::foCaseInsensitive);
    ds.SetFilter("Artist like");
    try {
      ds.SetFiltered(true);
    } catch (const Exception& e) {
      shown = ShownMessage(e);
    }
  }
  ASSERT_FALSE(shown.empty());
  EXPECT_EQ(Run({"rows", file, "--filter", "Artist like"}), 1);
  EXPECT_EQ(err_, "dzpacket: " + shown + "\n");
  EXPECT_TRUE(out_.empty()) << out_;

  EXPECT_EQ(Run({"rows", file, "--filter", "Nope = 1"}), 1);
  EXPECT_EQ(err_, "dzpacket: cdsMain: Field 'Nope' not found.\n");
  EXPECT_EQ(Run({"rows", file, "--order", "Artist;Nope"}), 1);
  EXPECT_EQ(err_, "dzpacket: cdsMain: Field 'Nope' not found.\n");
}

// --- history: versions, log, convert, compact ------------------------------------------------

TEST_F(DzPacket, VersionsListEveryStoredVersionWithItsRowState) {
  const std::string file = History();
  ASSERT_EQ(Run({"rows", file, "--versions"}), 0) << err_;
  const std::vector<CsvRow> rows = ParseOutput(out_);
  EXPECT_EQ(Column(rows, "RecNo"), (std::vector<std::string>{"1", "2", "3", "4"}));
  // 1: inserted, then superseded; 2: inserted, then deleted; 3: inserted; 4: the modified
  // version of an inserted record.
  EXPECT_EQ(Column(rows, "RowState"), (std::vector<std::string>{"5", "6", "4", "12"}));
  EXPECT_EQ(Column(rows, "Id"), (std::vector<std::string>{"1", "2", "3", "1"}));
  EXPECT_EQ(Column(rows, "Artist"),
            (std::vector<std::string>{"Queen", "ABBA", "Beatles", "Queen & David Bowie"}));
  EXPECT_EQ(Column(rows, "Lyric")[3], "Is this the real life");

  // Visible records only, in the default order: after a load that is the store's order, in
  // which the modified version (record 4) comes last.
  ASSERT_EQ(Run({"rows", file}), 0) << err_;
  EXPECT_EQ(Column(ParseOutput(out_), "Id"), (std::vector<std::string>{"3", "1"}));
  ASSERT_EQ(Run({"verify", file}), 0) << err_;
  EXPECT_EQ(out_, "ok\nversions: 4\nvisible records: 2\nchange-log entries: 5\n");
}

TEST_F(DzPacket, LogShowsEachChangeWithTheRecordsIdArtistAndTitle) {
  ASSERT_EQ(Run({"log", History()}), 0) << err_;
  EXPECT_EQ(Lines(out_),
            (std::vector<std::string>{
                "1 insert record=1 related=0 Id=1 Artist=\"Queen\" Title=\"Bohemian Rhapsody\"",
                "2 insert record=2 related=0 Id=2 Artist=\"ABBA\" Title=\"Waterloo\"",
                "3 insert record=3 related=0 Id=3 Artist=\"Beatles\" Title=\"Help!\"",
                "4 modify record=4 related=1 Id=1 Artist=\"Queen & David Bowie\" "
                "Title=\"Bohemian Rhapsody\"",
                "5 delete record=2 related=0 Id=2 Artist=\"ABBA\" Title=\"Waterloo\""}));
  ASSERT_EQ(Run({"new", P("empty")}), 0);
  ASSERT_EQ(Run({"log", P("empty")}), 0) << err_;
  EXPECT_TRUE(out_.empty()) << out_;
}

// The first trip through XML changes two things the XML form cannot carry: columns read from
// attributes get the attribute bit 0x10, and fields never assigned (unchanged status in binary)
// come back null, as XML writes no attribute for either. From then on the trip is exact.
TEST_F(DzPacket, ConvertBetweenBinaryAndXmlKeepsTheTableAndIsStable) {
  const std::string file = History();
  ASSERT_EQ(Run({"convert", file, P("a.xml")}), 0) << err_;
  EXPECT_EQ(ReadFile(P("a.xml")).substr(0, 5), "<?xml");
  ASSERT_EQ(Run({"convert", P("a.xml"), P("a.bin")}), 0) << err_;
  for (const char* versions : {"--versions", "--format=csv"}) {
    ASSERT_EQ(Run({"rows", file, versions}), 0) << err_;
    const std::string original = out_;
    ASSERT_EQ(Run({"rows", P("a.bin"), versions}), 0) << err_;
    EXPECT_EQ(out_, original);
  }
  ASSERT_EQ(Run({"log", file}), 0) << err_;
  const std::string log = out_;
  ASSERT_EQ(Run({"log", P("a.bin")}), 0) << err_;
  EXPECT_EQ(out_, log);

  ASSERT_EQ(Run({"convert", P("a.bin"), P("b.xml")}), 0) << err_;
  EXPECT_EQ(ReadFile(P("b.xml")), ReadFile(P("a.xml")));
  ASSERT_EQ(Run({"convert", P("b.xml"), P("b.bin")}), 0) << err_;
  EXPECT_EQ(ReadFile(P("b.bin")), ReadFile(P("a.bin")));

  ASSERT_EQ(Run({"convert", file, P("u.data"), "--utf8-xml"}), 0) << err_;
  const std::string utf8 = ReadFile(P("u.data"));
  EXPECT_EQ(utf8.substr(0, 5), "<?xml");
  EXPECT_NE(utf8.find("UTF-8"), std::string::npos);
  ASSERT_EQ(Run({"convert", P("u.data"), P("u.bin"), "--binary"}), 0) << err_;
  EXPECT_EQ(ReadFile(P("u.bin")), ReadFile(P("a.bin")));
  // An explicit --binary wins over a name ending in .xml.
  ASSERT_EQ(Run({"convert", P("u.data"), P("b.XML"), "--binary"}), 0) << err_;
  EXPECT_EQ(ReadFile(P("b.XML")), ReadFile(P("a.bin")));
  ASSERT_EQ(Run({"convert", file, P("x.bin"), "--xml"}), 0) << err_;
  EXPECT_EQ(ReadFile(P("x.bin")), ReadFile(P("a.xml")));
  // A binary file saved again unchanged is byte for byte the same.
  ASSERT_EQ(Run({"convert", file, P("same.bin")}), 0) << err_;
  EXPECT_EQ(ReadFile(P("same.bin")), ReadFile(file));
}

TEST_F(DzPacket, CompactKeepsTheVisibleRowsAndTheNextId) {
  const std::string file = History();
  ASSERT_EQ(Run({"rows", file}), 0);
  const std::string before = out_;
  ASSERT_EQ(Run({"compact", file, P("small")}), 0) << err_;
  EXPECT_LT(fs::file_size(P("small")), fs::file_size(file));
  ASSERT_EQ(Run({"rows", P("small")}), 0) << err_;
  EXPECT_EQ(out_, before);  // Lyric of the modified record included
  ASSERT_EQ(Run({"verify", P("small")}), 0) << err_;
  EXPECT_EQ(out_, "ok\nversions: 2\nvisible records: 2\nchange-log entries: 0\n");
  ASSERT_EQ(Run({"rows", P("small"), "--versions"}), 0) << err_;
  EXPECT_EQ(Column(ParseOutput(out_), "RowState"), (std::vector<std::string>{"0", "0"}));

  // The next insert gets the Id it would have had in the original table, and is logged again.
  db::TClientDataSet ds("cdsMain");
  ds.LoadPacketFile(P("small"));
  ds.Append();
  ds.FieldByName("Artist").SetAsString("New");
  ds.Post();
  EXPECT_EQ(ds.FieldByName("Id").AsInteger(), 4);
  EXPECT_EQ(ds.DSBase()->Log().Size(), 1u);
}

#ifndef _WIN32
// A table kept elsewhere behind a link, private and owned by another user, stays so through
// the commands that rewrite it; a link to nothing is refused by name and nothing is created.
TEST_F(DzPacket, WritingCommandsKeepTheTablesLinkPermissionsAndOwner) {
  fs::create_directories(dir_ / "synced");
  const std::string target = P("synced/Lyrics.roZoreda");
  fs::rename(History(), target);
  const std::string link = P("Lyrics.roZoreda");
  fs::create_symlink(target, link);
  ASSERT_EQ(chmod(target.c_str(), 0600), 0);
  const bool root = geteuid() == 0;
  if (root) {
    ASSERT_EQ(chown(target.c_str(), 65534, 65534), 0);
  }

  ASSERT_EQ(Run({"compact", link, link}), 0) << err_;
  ASSERT_EQ(Run({"convert", link, link, "--xml"}), 0) << err_;
  ASSERT_EQ(ReadFile(target).substr(0, 5), "<?xml");
  ASSERT_EQ(Run({"convert", link, link}), 0) << err_;
  ASSERT_EQ(Run({"verify", link}), 0) << err_;
  EXPECT_EQ(out_, "ok\nversions: 2\nvisible records: 2\nchange-log entries: 0\n");
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_ / "synced"), fs::directory_iterator()), 1);
  struct stat st {};
  ASSERT_EQ(stat(target.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0600u);
  if (root) {
    EXPECT_EQ(std::to_string(st.st_uid) + ":" + std::to_string(st.st_gid), "65534:65534");
  }

  fs::create_symlink(P("gone/Lyrics.roZoreda"), P("dangling.xml"));
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"new", P("dangling.xml")},
        std::vector<std::string>{"convert", link, P("dangling.xml"), "--binary"}}) {
    EXPECT_EQ(Run(args), 1) << args[0];
    EXPECT_NE(err_.find("\"" + P("dangling.xml") + "\" points to"), std::string::npos) << err_;
    EXPECT_NE(err_.find("does not exist"), std::string::npos) << err_;
  }
  EXPECT_TRUE(fs::is_symlink(P("dangling.xml")));
  EXPECT_FALSE(fs::exists(P("gone")));
}
#endif

// --- usage and bad files ---------------------------------------------------------------------

TEST_F(DzPacket, UsageErrorsExit64AndHelpExits0) {
  const std::vector<std::vector<std::string>> bad = {
      {},
      {"frobnicate"},
      {"new"},
      {"new", "a", "b"},
      {"info", "a", "--versions"},
      {"rows"},
      {"rows", "a", "--format", "xml"},
      {"rows", "a", "--order"},
      {"rows", "a", "--versions", "--filter", "x"},
      {"convert", "a"},
      {"convert", "a", "b", "--xml", "--binary"},
      {"compact", "a", "b", "c"},
      {"import-csv", "a"},
  };
  for (const auto& args : bad) {
    EXPECT_EQ(Run(args), 64) << (args.empty() ? "" : args[0]);
    EXPECT_NE(err_.find("usage:"), std::string::npos) << err_;
  }
  for (const char* command :
       {"new", "info", "rows", "log", "verify", "convert", "compact", "import-csv"}) {
    EXPECT_EQ(Run({command, "--help"}), 0) << command;
    EXPECT_EQ(out_.find(std::string("usage: dzpacket ") + command), 0u) << out_;
  }
  EXPECT_EQ(Run({"--help"}), 0);
  EXPECT_NE(out_.find("import-csv"), std::string::npos);
}

TEST_F(DzPacket, BadFilesExit1WithTheEnginesMessage) {
  WriteFile(P("text.roZoreda"), "this is not a data packet\r\n");
  for (const char* command : {"rows", "log"}) {
    EXPECT_EQ(Run({command, P("text.roZoreda")}), 1) << command;
    EXPECT_EQ(err_, "dzpacket: Mismatch in datapacket.\n") << command;
  }
  // info and verify add where and why the packet was refused.
  for (const char* command : {"info", "verify"}) {
    EXPECT_EQ(Run({command, P("text.roZoreda")}), 1) << command;
    EXPECT_EQ(err_, std::string("dzpacket: ") + command + ": " + P("text.roZoreda") +
                        ": Mismatch in datapacket. (neither binary nor XML: 't' (0x74) at offset "
                        "0 where a '<' should start the document)\n");
  }
  EXPECT_EQ(Run({"convert", P("text.roZoreda"), P("o.xml")}), 1);
  EXPECT_EQ(err_, "dzpacket: Mismatch in datapacket.\n");
  EXPECT_EQ(Run({"compact", P("text.roZoreda"), P("o")}), 1);
  EXPECT_FALSE(fs::exists(P("o.xml")) || fs::exists(P("o")));

  // A packet cut short fails with a message, never a crash.
  ASSERT_EQ(Run({"new", P("whole")}), 0);
  WriteFile(P("cut"), ReadFile(P("whole")).substr(0, 100));
  for (const char* command : {"info", "verify", "rows"}) {
    EXPECT_EQ(Run({command, P("cut")}), 1) << command;
    EXPECT_EQ(Lines(err_).size(), 1u) << err_;
  }
  EXPECT_EQ(Run({"verify", P("missing")}), 1);
  EXPECT_NE(err_.find("missing"), std::string::npos) << err_;
  EXPECT_EQ(Run({"info", P("missing")}), 1);
}

// A packet cut inside a row value: verify names the row, the column, the value's offset and
// length and the bytes that are left, all known from the layout (a BLOB value is its 4-byte
// length, then its bytes).
TEST_F(DzPacket, VerifyOfATruncatedPacketNamesTheValueThatRunsPastItsEnd) {
  const std::string file = Imported("two", "A,T1,,first lyric,\r\nB,T2,,second lyric,\r\n");
  const std::string whole = ReadFile(file);
  const size_t text = whole.find("second lyric");
  ASSERT_NE(text, std::string::npos);
  const size_t value = text - 4;
  ASSERT_EQ(Le(whole, value, 4), 12u);
  WriteFile(P("cut"), whole.substr(0, text + 5));
  EXPECT_EQ(Run({"verify", P("cut")}), 1);
  EXPECT_EQ(err_, "dzpacket: verify: " + P("cut") + ": Mismatch in datapacket. (row 2, column 5 " +
                      "(Lyric) at offset " + std::to_string(value) + ": value length 12 runs " +
                      "past the end of the packet (9 bytes left))\n");
  EXPECT_EQ(out_, "");

  // The same table as XML, cut inside that value: info stops at its attribute.
  ASSERT_EQ(Run({"convert", file, P("two.xml")}), 0) << err_;
  const std::string xml = ReadFile(P("two.xml"));
  const size_t attribute = xml.find("Lyric=\"second");
  ASSERT_NE(attribute, std::string::npos);
  WriteFile(P("cut.xml"), xml.substr(0, attribute + 12));
  EXPECT_EQ(Run({"info", P("cut.xml")}), 1);
  EXPECT_EQ(err_, "dzpacket: info: " + P("cut.xml") + ": Mismatch in datapacket. (value of " +
                      "attribute Lyric of <ROW> at offset " + std::to_string(attribute) +
                      " has no closing quote)\n");
}

// Random byte changes in a binary and an XML table: every command either succeeds or fails with
// one error line (in-process, so a crash would end the test program).
TEST_F(DzPacket, DamagedFilesFailWithOneLineNeverACrash) {
  const std::string file = History();
  ASSERT_EQ(Run({"convert", file, P("h.xml")}), 0) << err_;
  std::mt19937 rng(99);
  for (const std::string& source : {file, P("h.xml")}) {
    const std::string original = ReadFile(source);
    for (int round = 0; round < 60; ++round) {
      std::string damaged = original;
      for (int n = 1 + int(rng() % 4); n > 0; --n) damaged[rng() % damaged.size()] = char(rng());
      WriteFile(P("damaged"), damaged);
      for (const std::vector<std::string>& args :
           {std::vector<std::string>{"info", P("damaged")},
            {"rows", P("damaged"), "--versions", "--format=json"},
            {"log", P("damaged")},
            {"compact", P("damaged"), P("compacted")}}) {
        std::ostringstream out, err;
        const int status = RunTool(args, out, err);
        ASSERT_TRUE(status == 0 || status == 1) << args[0] << " " << round;
        if (status == 1) {
          EXPECT_EQ(Lines(err.str()).size(), 1u) << err.str();
        }
      }
    }
  }
}

#ifdef _WIN32
// The Windows executable itself (the other tests run its commands in-process): its exit
// statuses and the file it writes. Under Wine its build path is reached through drive Z:.
TEST_F(DzPacket, WindowsExecutableRunsItsCommands) {
  std::string exe = std::string("Z:") + DZPACKET_EXE;
  for (char& c : exe)
    if (c == '/') c = '\\';
  const std::string file = P("exe.roZoreda");
  const auto run = [&](const std::string& args) {
    return std::system(("\"\"" + exe + "\" " + args + " >NUL 2>NUL\"").c_str());
  };
  EXPECT_EQ(run("new \"" + file + "\""), 0);
  EXPECT_EQ(fs::file_size(file), 225u);
  EXPECT_EQ(run("verify \"" + file + "\""), 0);
  EXPECT_EQ(run("rows"), 64);
  EXPECT_EQ(run("verify \"" + P("missing") + "\""), 1);
}
#endif

}  // namespace
}  // namespace dzpacket
