// TClientDataSet's packet file and stream save/load: what reaches the disk, what a load
// restores, and how every failure leaves the file and the dataset.
#include "dataset/clientdataset.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "dataset/dberrors.h"
#include "dataset/dbfields.h"
#include "platform/files.h"
#include "tableengine/dsbase.h"

namespace db {
namespace {

namespace fs = std::filesystem;

class ClientDataSetFile : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("dzcds-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string In(const std::string& name) const { return (dir_ / name).string(); }

  // The lyrics table's shape with three records, the second one deleted again.
  static void BuildLyrics(TClientDataSet& cds) {
    TFieldDefs& defs = cds.FieldDefs();
    defs.Clear();
    defs.Add("Id", ftAutoInc);
    defs.Add("Artist", ftString, 180);
    defs.Add("Title", ftString, 180);
    defs.Add("Lyric", ftMemo);
    cds.CreateDataSet();
    for (const char* artist : {"Abba", "Beatles", "Cream"}) {
      cds.Append();
      cds.FieldByName("Artist").SetAsString(artist);
      cds.FieldByName("Title").SetAsString(std::string(artist) + " song");
      cds.FieldByName("Lyric").SetAsString(std::string("line one\r\nline two of ") + artist);
      cds.Post();
    }
    cds.First();
    cds.Next();
    cds.Delete();
  }

  static std::vector<std::string> Artists(TClientDataSet& cds) {
    std::vector<std::string> out;
    for (cds.First(); !cds.Eof(); cds.Next()) out.push_back(cds.FieldByName("Artist").AsString());
    return out;
  }

  static std::vector<uint8_t> FileBytes(const std::string& path) {
    std::vector<uint8_t> bytes;
    EXPECT_TRUE(platform::ReadWholeFile(path, bytes));
    return bytes;
  }

  fs::path dir_;
};

TEST_F(ClientDataSetFile, SaveAndLoadKeepRowsHistoryAndCounter) {
  TClientDataSet cds("cdsMain");
  BuildLyrics(cds);
  const uint32_t changes = cds.DSBase()->ChangeCount();
  cds.SavePacketFile(In("Lyrics.roZoreda"));

  TClientDataSet back("cdsMain");
  back.LoadPacketFile(In("Lyrics.roZoreda"));
  EXPECT_TRUE(back.Active());
  EXPECT_EQ(Artists(back), (std::vector<std::string>{"Abba", "Cream"}));
  EXPECT_EQ(back.DSBase()->ChangeCount(), changes);
  EXPECT_EQ(back.DSBase()->AutoIncValue(), 4u);
  back.First();
  EXPECT_EQ(back.FieldByName("Lyric").AsString(), "line one\r\nline two of Abba");

  // A load followed by a save rewrites the same bytes.
  back.SavePacketFile(In("again.roZoreda"));
  TClientDataSet third("cdsMain");
  third.LoadPacketFile(In("again.roZoreda"));
  third.SavePacketFile(In("third.roZoreda"));
  EXPECT_EQ(FileBytes(In("again.roZoreda")), FileBytes(In("third.roZoreda")));
}

// A table of several megabytes goes to the file in many pieces: the file holds the same packet
// as the one exported whole, and a load that borrows its lyrics from the file's bytes edits,
// saves and reloads like any other.
TEST_F(ClientDataSetFile, LargeTableSavedInPiecesEqualsTheWholePacket) {
  TClientDataSet cds("cdsMain");
  BuildLyrics(cds);
  for (int i = 0; i < 400; ++i) {
    cds.Append();
    cds.FieldByName("Artist").SetAsString("Artist " + std::to_string(i % 37));
    cds.FieldByName("Title").SetAsString("Title " + std::to_string(i));
    cds.FieldByName("Lyric").SetAsString(std::string(8000 + i, char('a' + i % 26)));
    cds.Post();
  }
  cds.SavePacketFile(In("big.roZoreda"));
  const std::vector<uint8_t> saved = FileBytes(In("big.roZoreda"));
  const dspacket::ByteArray whole = cds.ExportTable(0);
  ASSERT_GT(saved.size(), size_t(3) << 20);
  EXPECT_TRUE(std::equal(saved.begin(), saved.end(), whole.data(), whole.data() + whole.size()) &&
              saved.size() == whole.size());

  TClientDataSet back("cdsMain");
  back.LoadPacketFile(In("big.roZoreda"));
  back.Last();
  EXPECT_EQ(back.FieldByName("Lyric").AsString(), std::string(8399, char('a' + 399 % 26)));
  back.Edit();
  back.FieldByName("Lyric").SetAsString("short now");
  back.Post();
  back.SavePacketFile(In("big.roZoreda"));  // over the file the lyrics were read from
  TClientDataSet third("cdsMain");
  third.LoadPacketFile(In("big.roZoreda"));
  third.Last();
  EXPECT_EQ(third.FieldByName("Lyric").AsString(), "short now");
  third.Prior();
  EXPECT_EQ(third.FieldByName("Lyric").AsString(), std::string(8398, char('a' + 398 % 26)));

  // The same bytes from a stream, which is read in growing pieces, give the same table.
  const std::vector<uint8_t> again = FileBytes(In("big.roZoreda"));
  std::stringstream stream(std::string(again.begin(), again.end()));
  TClientDataSet streamed("cdsMain");
  streamed.LoadFromStream(stream);
  const dspacket::ByteArray reexported = streamed.ExportTable(0);
  EXPECT_TRUE(reexported.size() == again.size() &&
              std::equal(again.begin(), again.end(), reexported.data()));
}

TEST_F(ClientDataSetFile, XmlExtensionInAnyCaseWritesXmlAndLoadIgnoresTheName) {
  TClientDataSet cds("cdsMain");
  BuildLyrics(cds);
  cds.SavePacketFile(In("a.xml"));
  cds.SavePacketFile(In("b.XmL"));
  cds.SavePacketFile(In("c.roZoreda"), dfXML);
  for (const char* name : {"a.xml", "b.XmL", "c.roZoreda"}) {
    std::vector<uint8_t> bytes = FileBytes(In(name));
    ASSERT_GT(bytes.size(), 5u) << name;
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 5), "<?xml") << name;
    TClientDataSet back("cdsMain");
    back.LoadPacketFile(In(name));
    EXPECT_EQ(Artists(back), (std::vector<std::string>{"Abba", "Cream"})) << name;
  }
  cds.SavePacketFile(In("d.xml.roZoreda"));
  EXPECT_NE(FileBytes(In("d.xml.roZoreda"))[0], '<');
}

TEST_F(ClientDataSetFile, SavingPostsAModifiedEditAndCancelsAnUnmodifiedOne) {
  TClientDataSet cds("cdsMain");
  BuildLyrics(cds);
  cds.First();
  cds.Edit();
  cds.FieldByName("Artist").SetAsString("ABBA");
  cds.SavePacketFile(In("t.roZoreda"));
  EXPECT_EQ(cds.State(), dsBrowse);
  cds.Edit();
  cds.SavePacketFile(In("u.roZoreda"));
  EXPECT_EQ(cds.State(), dsBrowse);

  TClientDataSet back("cdsMain");
  back.LoadPacketFile(In("t.roZoreda"));
  // Loaded with a change log, the records come back in record-number order: the modified
  // version is the newest record.
  EXPECT_EQ(Artists(back), (std::vector<std::string>{"Cream", "ABBA"}));
  EXPECT_EQ(FileBytes(In("t.roZoreda")), FileBytes(In("u.roZoreda")));
}

TEST_F(ClientDataSetFile, MissingFileRaisesOpenErrorAndLeavesTheDataSetClosed) {
  TClientDataSet cds("cdsMain");
  BuildLyrics(cds);
  const std::string path = In("absent.roZoreda");
  try {
    cds.LoadPacketFile(path);
    FAIL() << "no error";
  } catch (const EFOpenError& e) {
    const std::string prefix = "Cannot open file \"" + path + "\". ";
    EXPECT_EQ(e.Message.substr(0, prefix.size()), prefix);
    EXPECT_GT(e.Message.size(), prefix.size());  // the system's reason follows
  }
  EXPECT_FALSE(cds.Active());
  EXPECT_EQ(cds.DSBase(), nullptr);
}

TEST_F(ClientDataSetFile, BytesThatAreNoPacketFailWithMismatchAndTheFileIsUntouched) {
  const std::string path = In("junk.roZoreda");
  ASSERT_TRUE(platform::ReplaceFileAtomically(path, "hello, world", 12));
  TClientDataSet cds("cdsMain");
  try {
    cds.LoadPacketFile(path);
    FAIL() << "no error";
  } catch (const EDBClient& e) {
    EXPECT_EQ(e.Message, "Mismatch in datapacket.");
    EXPECT_EQ(e.ErrorCode, dsengine::DBERR_DATAPACKETMISMATCH);
  }
  EXPECT_FALSE(cds.Active());
  EXPECT_EQ(cds.DSBase(), nullptr);
  EXPECT_EQ(FileBytes(path),
            (std::vector<uint8_t>{'h', 'e', 'l', 'l', 'o', ',', ' ', 'w', 'o', 'r', 'l', 'd'}));
  // Nothing to save after a failed load: the table file stays as it was.
  cds.SavePacketFile(path);
  EXPECT_EQ(FileBytes(path).size(), 12u);
}

// A refused load keeps why: the reader's reason behind the one message the user sees. The next
// load that succeeds clears it.
TEST_F(ClientDataSetFile, RefusedLoadKeepsTheReasonUntilTheNextLoad) {
  TClientDataSet cds("cdsMain");
  BuildLyrics(cds);
  cds.SavePacketFile(In("whole.roZoreda"));
  std::vector<uint8_t> bytes = FileBytes(In("whole.roZoreda"));
  bytes.resize(bytes.size() - 7);  // the last row's value runs past the end
  ASSERT_TRUE(platform::ReplaceFileAtomically(In("cut.roZoreda"), bytes.data(), bytes.size()));

  TClientDataSet back("cdsMain");
  EXPECT_THROW(back.LoadPacketFile(In("cut.roZoreda")), EDBClient);
  EXPECT_TRUE(back.LoadFault().Refused());
  EXPECT_EQ(back.LoadFault().status, dsengine::DBERR_DATAPACKETMISMATCH);
  EXPECT_NE(back.LoadFault().reason.find("past the end"), std::string::npos)
      << back.LoadFault().reason;
  back.LoadPacketFile(In("whole.roZoreda"));
  EXPECT_FALSE(back.LoadFault().Refused());
}

TEST_F(ClientDataSetFile, EmptyFileFailsThroughTheMissingProviderNotAPacketMessage) {
  const std::string junk = In("junk"), empty = In("empty");
  ASSERT_TRUE(platform::ReplaceFileAtomically(junk, "xyz", 3));
  ASSERT_TRUE(platform::ReplaceFileAtomically(empty, "", 0));
  TClientDataSet cds("cdsMain");
  EXPECT_THROW(cds.LoadPacketFile(junk), EDBClient);
  // The failed packet above is not reopened in place of the empty file.
  try {
    cds.LoadPacketFile(empty);
    FAIL() << "no error";
  } catch (const EDBClient&) {
    FAIL() << "a packet error for an empty file";
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message, "cdsMain: Missing data provider or data packet");
  }
  EXPECT_FALSE(cds.Active());
}

TEST_F(ClientDataSetFile, FailedSaveRaisesCreateErrorAndKeepsTheOldFile) {
  TClientDataSet cds("cdsMain");
  BuildLyrics(cds);
  const std::string nowhere = In("no such folder") + "/Lyrics.roZoreda";
  try {
    cds.SavePacketFile(nowhere);
    FAIL() << "no error";
  } catch (const EFCreateError& e) {
    const std::string prefix = "Cannot create file \"" + nowhere + "\". ";
    EXPECT_EQ(e.Message.substr(0, prefix.size()), prefix);
  }
  EXPECT_TRUE(cds.Active());  // the table is not harmed by a failed save

  // A directory in the file's place: the save fails and the directory stays.
  fs::create_directories(In("taken"));
  EXPECT_THROW(cds.SavePacketFile(In("taken")), EFCreateError);
  EXPECT_TRUE(fs::is_directory(In("taken")));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);  // no temp
}

TEST_F(ClientDataSetFile, SaveWithoutATableCreatesNoFile) {
  TClientDataSet cds("cdsMain");
  cds.SavePacketFile(In("none.roZoreda"));
  EXPECT_FALSE(fs::exists(In("none.roZoreda")));
}

TEST_F(ClientDataSetFile, StreamsCarryThePacketWithoutFraming) {
  TClientDataSet cds("cdsMain");
  BuildLyrics(cds);
  cds.SavePacketFile(In("file.roZoreda"));
  std::stringstream stream;
  stream << "prefix";
  cds.SaveToStream(stream);
  const std::string all = stream.str();
  const std::vector<uint8_t> file = FileBytes(In("file.roZoreda"));
  EXPECT_EQ(std::vector<uint8_t>(all.begin() + 6, all.end()), file);

  stream.seekg(6);  // loading takes every byte from the position to the end
  TClientDataSet back("cdsMain");
  back.LoadFromStream(stream);
  EXPECT_EQ(Artists(back), (std::vector<std::string>{"Abba", "Cream"}));
}

}  // namespace
}  // namespace db
