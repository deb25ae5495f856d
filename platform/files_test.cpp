#include "platform/files.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <cctype>
#include <filesystem>
#include <new>
#include <string>
#include <vector>

#include "platform/files_testing.h"
#include "platform/prefault.h"

namespace platform {
namespace {

TEST(Guid, HasRegistryFormAndIsNewEachTime) {
  const std::string g = NewGuidString();
  ASSERT_EQ(g.size(), 38u) << g;
  EXPECT_EQ(g.front(), '{');
  EXPECT_EQ(g.back(), '}');
  for (size_t i = 1; i < 37; ++i) {
    if (i == 9 || i == 14 || i == 19 || i == 24) {
      EXPECT_EQ(g[i], '-') << g;
    } else {
      EXPECT_TRUE(std::isxdigit(static_cast<unsigned char>(g[i])) &&
                  !std::islower(static_cast<unsigned char>(g[i])))
          << g;
    }
  }
  EXPECT_NE(g, NewGuidString());
}

TEST(TempPathTest, IsAnExistingDirectoryEndingInASeparator) {
  const std::string t = TempPath();
  ASSERT_FALSE(t.empty());
  EXPECT_TRUE(t.back() == '/' || t.back() == '\\') << t;
  EXPECT_TRUE(DirectoryExists(t)) << t;
}

TEST_F(FilesTest, DirectoriesAreCreatedOneLevelAtATime) {
  EXPECT_TRUE(DirectoryExists(dir_));
  EXPECT_FALSE(FileExists(dir_));
  EXPECT_TRUE(CreateDirectory(dir_));  // already there: still true
  EXPECT_FALSE(CreateDirectory(In("missing/child")));
  EXPECT_FALSE(DirectoryExists(In("missing")));
  EXPECT_TRUE(CreateDirectory(In("Database")));
  EXPECT_TRUE(DirectoryExists(In("Database")));
}

TEST_F(FilesTest, FilesAreWrittenReadAndDeleted) {
  const std::string path = In("Lyrics.roZoreda");
  EXPECT_FALSE(FileExists(path));
  ASSERT_TRUE(ReplaceFileAtomically(path, "first", 5));
  EXPECT_TRUE(FileExists(path));
  EXPECT_FALSE(DirectoryExists(path));
  EXPECT_FALSE(CreateDirectory(path));  // a file of that name is in the way
  std::vector<uint8_t> data;
  ASSERT_TRUE(ReadWholeFile(path, data));
  EXPECT_EQ(data, Bytes("first"));
  ASSERT_TRUE(ReplaceFileAtomically(path, "second, longer", 14));
  ASSERT_TRUE(ReadWholeFile(path, data));
  EXPECT_EQ(data, Bytes("second, longer"));
  ASSERT_TRUE(ReplaceFileAtomically(path, "", 0));
  ASSERT_TRUE(ReadWholeFile(path, data));
  EXPECT_TRUE(data.empty());
  EXPECT_EQ(Entries(), std::vector<std::string>{"Lyrics.roZoreda"});  // no temporary left
  EXPECT_TRUE(DeleteFile(path));
  EXPECT_FALSE(FileExists(path));
  EXPECT_FALSE(DeleteFile(path));
  EXPECT_FALSE(DeleteFile(dir_));  // not a file
}

// Large enough for the read to have its buffer faulted in on another thread meanwhile.
TEST_F(FilesTest, LargeContentRoundTrips) {
  std::vector<uint8_t> big(BackgroundPrefault::kMinBytes + 3 * 65536 + 17);
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<uint8_t>(i * 7 + i / 251);
  ASSERT_TRUE(ReplaceFileAtomically(In("big"), big.data(), big.size()));
  std::vector<uint8_t> back;
  ASSERT_TRUE(ReadWholeFile(In("big"), back));
  EXPECT_EQ(back, big);
}

TEST_F(FilesTest, ReadIntoCallerMemoryAsksOnceForTheFileSize) {
  ASSERT_TRUE(ReplaceFileAtomically(In("f"), "lyrics", 6));
  std::vector<size_t> asked;
  uint8_t target[8] = {};
  ASSERT_TRUE(ReadWholeFileInto(In("f"), [&](size_t size) {
    asked.push_back(size);
    return target + 1;
  }));
  EXPECT_EQ(asked, std::vector<size_t>{6});
  EXPECT_EQ(std::string(reinterpret_cast<char*>(target), 8), std::string("\0lyrics\0", 8));

  ASSERT_TRUE(ReplaceFileAtomically(In("empty"), "", 0));
  EXPECT_TRUE(ReadWholeFileInto(In("empty"), [&](size_t size) {
    asked.push_back(size);
    return target;
  }));
  EXPECT_EQ(asked.size(), 1u);  // nothing to place, nothing asked

  std::string reason;
  EXPECT_FALSE(ReadWholeFileInto(
      In("f"), [](size_t) -> uint8_t* { return nullptr; }, &reason));
  EXPECT_FALSE(reason.empty());
  reason.clear();
  EXPECT_FALSE(ReadWholeFileInto(
      In("f"), [](size_t) -> uint8_t* { throw std::bad_alloc(); }, &reason));
  EXPECT_FALSE(reason.empty());
}

TEST_F(FilesTest, ReplacementWrittenInPiecesAppearsOnlyAtCommit) {
  const std::string path = In("table");
  ASSERT_TRUE(ReplaceFileAtomically(path, "old content", 11));
  std::vector<uint8_t> big(9 << 20);  // beyond one write-behind step
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<uint8_t>(i % 251);
  {
    ReplacingFile file(path);
    ASSERT_TRUE(file.Open());
    ASSERT_TRUE(file.Write("HDR:....|", 9));
    ASSERT_TRUE(file.Write(big.data(), big.size()));
    ASSERT_TRUE(file.WriteAt(4, "1234", 4));  // patch the head after the body
    ASSERT_TRUE(file.Write("|end", 4));
    std::vector<uint8_t> data;
    ASSERT_TRUE(ReadWholeFile(path, data));
    EXPECT_EQ(data, Bytes("old content"));  // not replaced before the commit
    EXPECT_EQ(Entries().size(), 2u);        // the file and the temporary one
    ASSERT_TRUE(file.Commit());
  }
  std::vector<uint8_t> data;
  ASSERT_TRUE(ReadWholeFile(path, data));
  std::vector<uint8_t> want = Bytes("HDR:1234|");
  want.insert(want.end(), big.begin(), big.end());
  for (char c : std::string("|end")) want.push_back(uint8_t(c));
  EXPECT_TRUE(data == want);
  EXPECT_EQ(Entries(), std::vector<std::string>{"table"});
}

#ifndef _WIN32
// The file being replaced is held open across the rename only when it is a regular file: a
// named pipe in its place must neither be waited on nor survive.
TEST_F(FilesTest, ReplacingANamedPipeNeitherWaitsNorKeepsIt) {
  const std::string path = In("pipe");
  ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
  ASSERT_TRUE(ReplaceFileAtomically(path, "content", 7));
  std::vector<uint8_t> data;
  ASSERT_TRUE(ReadWholeFile(path, data));
  EXPECT_EQ(data, Bytes("content"));
}
#endif

// Lent bytes land between copied ones in order, across many batches and more pieces per batch
// than one system call takes.
TEST_F(FilesTest, LentAndCopiedPiecesKeepTheirOrder) {
  std::vector<std::vector<uint8_t>> lent;
  std::vector<uint8_t> want;
  for (size_t i = 0; i < 6000; ++i) {
    lent.emplace_back(i % 7 == 0 ? 3000 : 1 + i % 5, uint8_t(i * 31));
  }
  {
    ReplacingFile file(In("pieces"));
    ASSERT_TRUE(file.Open());
    for (size_t i = 0; i < lent.size(); ++i) {
      const uint8_t mark[2] = {uint8_t(i), uint8_t(i >> 8)};
      ASSERT_TRUE(file.Write(mark, 2));
      ASSERT_TRUE(file.WriteLasting(lent[i].data(), lent[i].size()));
      want.insert(want.end(), mark, mark + 2);
      want.insert(want.end(), lent[i].begin(), lent[i].end());
    }
    ASSERT_TRUE(file.Flush());
    ASSERT_TRUE(file.WriteAt(0, "AB", 2));
    ASSERT_TRUE(file.Commit());
  }
  want[0] = 'A', want[1] = 'B';
  std::vector<uint8_t> data;
  ASSERT_TRUE(ReadWholeFile(In("pieces"), data));
  EXPECT_EQ(data.size(), want.size());
  EXPECT_TRUE(data == want);
}

TEST_F(FilesTest, AbandonedReplacementLeavesTheOldFileAndNoTemporary) {
  const std::string path = In("table");
  ASSERT_TRUE(ReplaceFileAtomically(path, "old", 3));
  {
    ReplacingFile file(path);
    ASSERT_TRUE(file.Open());
    ASSERT_TRUE(file.Write("new, never committed", 20));
  }
  std::vector<uint8_t> data;
  ASSERT_TRUE(ReadWholeFile(path, data));
  EXPECT_EQ(data, Bytes("old"));
  EXPECT_EQ(Entries(), std::vector<std::string>{"table"});

  std::string reason;
  ReplacingFile nowhere(In("missing/table"));
  EXPECT_FALSE(nowhere.Open(&reason));
  EXPECT_FALSE(reason.empty());
  reason.clear();
  EXPECT_FALSE(nowhere.Write("x", 1, &reason));  // after a failure every call fails
  EXPECT_FALSE(nowhere.Commit(&reason));
  EXPECT_FALSE(reason.empty());
  EXPECT_EQ(Entries(), std::vector<std::string>{"table"});
}

TEST_F(FilesTest, FailedReplaceLeavesTheOldStateAndNoTemporary) {
  ASSERT_TRUE(CreateDirectory(In("taken")));
  EXPECT_FALSE(ReplaceFileAtomically(In("taken"), "data", 4));  // a directory is in the way
  EXPECT_TRUE(DirectoryExists(In("taken")));
  EXPECT_EQ(Entries(), std::vector<std::string>{"taken"});
  std::string reason;
  EXPECT_FALSE(ReplaceFileAtomically(In("nowhere/file"), "data", 4, &reason));  // no directory
  EXPECT_FALSE(FileExists(In("nowhere/file")));
  EXPECT_FALSE(reason.empty());
  EXPECT_NE(reason.back(), '.');  // the caller's message adds its own punctuation
}

TEST_F(FilesTest, ReadingWhatIsNotAFileFails) {
  std::vector<uint8_t> data = Bytes("stale");
  std::string reason;
  EXPECT_FALSE(ReadWholeFile(In("absent"), data, &reason));
  EXPECT_TRUE(data.empty());
  EXPECT_FALSE(reason.empty());
  reason.clear();
  EXPECT_FALSE(ReadWholeFile(dir_, data, &reason));
  EXPECT_FALSE(reason.empty());
}

}  // namespace
}  // namespace platform
