// What a save keeps and cleans up around the file it replaces: temporary files of interrupted
// saves, the old file's permissions and owner (attributes on Windows), symbolic links.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "platform/files.h"
#include "platform/files_testing.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace platform {
namespace {

namespace fs = std::filesystem;

constexpr char kTable[] = "Lyrics.roZoreda";
constexpr char kGuidA[] = "{0F1E2D3C-4B5A-4978-8695-A4B3C2D1E0F9}";
constexpr char kGuidB[] = "{89ABCDEF-0123-4567-89AB-CDEF01234567}";

class ReplacingFileTest : public FilesTest {
 protected:
  std::string Content(const std::string& path) const {
    std::vector<uint8_t> data;
    EXPECT_TRUE(ReadWholeFile(path, data)) << path;
    return std::string(data.begin(), data.end());
  }
  bool Save(const std::string& path, const std::string& text, std::string* reason = nullptr) {
    return ReplaceFileAtomically(path, text.data(), text.size(), reason);
  }
  // Makes `path` (a file or a directory) look written `age` ago.
  static void Age(const std::string& path, std::chrono::seconds age) {
#ifdef _WIN32
    // The library's call cannot open a directory for this here.
    HANDLE h = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << path;
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER t{{ now.dwLowDateTime, now.dwHighDateTime }};
    t.QuadPart -= uint64_t(age.count()) * 10000000;
    const FILETIME then{t.LowPart, t.HighPart};
    EXPECT_TRUE(SetFileTime(h, nullptr, nullptr, &then)) << path;
    CloseHandle(h);
#else
    fs::last_write_time(path, fs::file_time_type::clock::now() - age);
#endif
  }
  static std::string LongAgo(const std::string& path) {
    Age(path, std::chrono::seconds(ReplacingFile::kStaleSeconds + 3600));
    return fs::path(path).filename().string();
  }
  // The temporary files of `table` in the directory.
  std::vector<std::string> TemporariesOf(const std::string& table) const {
    std::vector<std::string> found;
    for (const std::string& name : Entries())
      if (name.size() == table.size() + 43 && name.compare(0, table.size() + 2, table + ".{") == 0)
        found.push_back(name);
    return found;
  }
};

TEST_F(ReplacingFileTest, StaleTemporariesOfTheFileGoAfterASuccessfulSaveAndNothingElse) {
  const std::string table = In(kTable);
  ASSERT_TRUE(Save(table, "v1"));
  const std::string t = std::string(kTable);
  std::vector<std::string> stale, kept;
  for (const char* guid : {kGuidA, kGuidB}) {
    ASSERT_TRUE(Save(In(t + "." + guid + ".tmp"), "interrupted"));
    stale.push_back(LongAgo(In(t + "." + guid + ".tmp")));
  }
  // Names that only resemble the table's temporary files, all as old: other tables' (a longer,
  // a shorter and a differently spelt name), other suffixes, GUIDs not in the form saves make.
  for (const std::string& name :
       {t + "2." + kGuidA + ".tmp", "Lyrics." + std::string(kGuidA) + ".tmp",
        "x" + t + "." + kGuidA + ".tmp", "Other." + std::string(kGuidA) + ".tmp",
        t + "." + kGuidA + ".tmp.bak", t + "." + kGuidA + ".tmp." + kGuidB + ".tmp",
        t + ".{fedcba98-7654-4321-8fed-cba987654321}.tmp",
        t + ".{0F1E2D3C-4B5A-4978-8695-A4B3C2D1E0F}.tmp",
        t + ".{0F1E2D3C-4B5A-4978-8695+A4B3C2D1E0F9}.tmp",
        t + ".{0F1E2D3C-4B5A-4978-8695-A4B3C2D1E0FG}.tmp", t + "." + kGuidA + ".tmpx",
        t + ".bak"}) {
    ASSERT_TRUE(Save(In(name), "someone else's"));
    kept.push_back(LongAgo(In(name)));
  }
  // A directory of the temporary name, and a recent temporary file of a save that may still be
  // under way on another machine.
  const std::string folder = t + ".{11111111-2222-3333-4444-555555555555}.tmp";
  ASSERT_TRUE(CreateDirectory(In(folder)));
  kept.push_back(LongAgo(In(folder)));
  const std::string recent = t + ".{AAAAAAAA-BBBB-4CCC-8DDD-EEEEEEEEEEEE}.tmp";
  ASSERT_TRUE(Save(In(recent), "recent"));
  Age(In(recent), std::chrono::seconds(ReplacingFile::kStaleSeconds - 60));
  kept.push_back(recent);

  // A save that never commits removes nothing.
  {
    ReplacingFile abandoned(table);
    ASSERT_TRUE(abandoned.Open());
    ASSERT_TRUE(abandoned.Write("never", 5));
  }
  for (const std::string& name : stale) EXPECT_TRUE(FileExists(In(name))) << name;

  ASSERT_TRUE(Save(table, "v2"));
  EXPECT_EQ(Content(table), "v2");
  for (const std::string& name : stale) EXPECT_FALSE(FileExists(In(name))) << name;
  for (const std::string& name : kept) EXPECT_TRUE(fs::exists(In(name))) << name;
  EXPECT_EQ(Entries().size(), kept.size() + 1);
  // The other table's own save removes its own stale temporary file only.
  ASSERT_TRUE(Save(In(t + "2"), "other table"));
  EXPECT_FALSE(FileExists(In(t + "2." + kGuidA + ".tmp")));
  EXPECT_EQ(Entries().size(), kept.size() + 1);
}

// Two savers of one file at the same moment (two program instances): neither removes the
// other's temporary file, both succeed, and the later commit's content is the file's.
TEST_F(ReplacingFileTest, TwoSaversOfOneFileAtOnceBothSucceed) {
  const std::string table = In(kTable);
  ASSERT_TRUE(Save(table, "v1"));
  ReplacingFile first(table);
  ASSERT_TRUE(first.Open());
  ASSERT_TRUE(first.Write("first", 5));
  ASSERT_TRUE(first.Flush());
  const std::vector<std::string> live = TemporariesOf(kTable);
  ASSERT_EQ(live.size(), 1u);
#ifndef _WIN32
  // Old enough for the age rule: only the lock the first saver holds keeps it.
  LongAgo(In(live[0]));
#endif
  ASSERT_TRUE(Save(table, "second"));
  EXPECT_EQ(Content(table), "second");
  EXPECT_EQ(TemporariesOf(kTable), live);
  ASSERT_TRUE(first.Commit());
  EXPECT_EQ(Content(table), "first");
  EXPECT_EQ(Entries(), std::vector<std::string>{kTable});
}

#ifdef _WIN32

// The attributes a user sets on the file survive the save. Under Wine this checks hidden and
// system, the ones its file layer stores (it drops "not content indexed" when it is set).
TEST_F(ReplacingFileTest, SaveKeepsTheAttributesTheSystemStored) {
  const std::string table = In(kTable);
  ASSERT_TRUE(Save(table, "v1"));
  constexpr DWORD kSet =
      FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
  ASSERT_TRUE(SetFileAttributesA(table.c_str(), kSet));
  const DWORD stored = GetFileAttributesA(table.c_str()) & kSet;
  ASSERT_NE(stored & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM), 0u);
  ASSERT_TRUE(Save(table, "v2"));
  EXPECT_EQ(Content(table), "v2");
  EXPECT_EQ(GetFileAttributesA(table.c_str()) & kSet, stored);
  // A new file gets none of them from anywhere.
  ASSERT_TRUE(Save(In("new"), "x"));
  EXPECT_EQ(GetFileAttributesA(In("new").c_str()) & kSet, 0u);
}

#else

std::string ModeAndOwner(const std::string& path) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) return "missing";
  return std::to_string(st.st_mode & 07777) + " " + std::to_string(st.st_uid) + ":" +
         std::to_string(st.st_gid);
}
std::string ModeAndOwner(mode_t mode, uid_t uid, gid_t gid) {
  return std::to_string(mode) + " " + std::to_string(uid) + ":" + std::to_string(gid);
}

// Runs `body` in a child process and returns its exit status (-1 when it did not exit).
template <typename Body>
int InChild(Body body) {
  const pid_t pid = fork();
  if (pid == 0) _exit(body());
  int status = 0;
  if (pid < 0 || waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(ReplacingFileTest, SaveKeepsPermissionsAndOwner) {
  const std::string table = In(kTable);
  ASSERT_TRUE(Save(table, "v1"));
  ASSERT_EQ(chmod(table.c_str(), 0600), 0);
  ASSERT_TRUE(Save(table, "v2"));
  EXPECT_EQ(ModeAndOwner(table), ModeAndOwner(0600, geteuid(), getegid()));
  ASSERT_EQ(chmod(table.c_str(), 0640), 0);
  ASSERT_TRUE(Save(table, "v3"));
  EXPECT_EQ(ModeAndOwner(table), ModeAndOwner(0640, geteuid(), getegid()));
  EXPECT_EQ(Content(table), "v3");
  if (geteuid() != 0) GTEST_SKIP() << "owner part needs root";

  constexpr uid_t kNobody = 65534;
  ASSERT_EQ(chown(table.c_str(), kNobody, kNobody), 0);
  ASSERT_EQ(chmod(table.c_str(), 0600), 0);
  ASSERT_TRUE(Save(table, "v4"));
  EXPECT_EQ(ModeAndOwner(table), ModeAndOwner(0600, kNobody, kNobody));

  // A saver that may not give the file its group (not root, not a member) keeps the owner's
  // and others' access and lets the new group have no more than others.
  ASSERT_EQ(chmod(dir_.c_str(), 0777), 0);
  ASSERT_EQ(chown(table.c_str(), 0, 0), 0);
  ASSERT_EQ(chmod(table.c_str(), 0664), 0);
  EXPECT_EQ(InChild([&] {
              if (setgid(kNobody) != 0 || setuid(kNobody) != 0) return 2;
              return Save(table, "by nobody") ? 0 : 1;
            }),
            0);
  EXPECT_EQ(ModeAndOwner(table), ModeAndOwner(0644, kNobody, kNobody));
  EXPECT_EQ(Content(table), "by nobody");
}

// A save killed after its temporary file appeared leaves that file; while the killed process
// lived it held it (so a save meanwhile kept it, however old), and the first save after it is
// stale removes it: one file is left.
TEST_F(ReplacingFileTest, KilledSaveIsCleanedUpByTheNextSave) {
  const std::string table = In(kTable);
  ASSERT_TRUE(Save(table, "before"));
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ReplacingFile file(table);
    const bool ok = file.Open() && file.Write("half of a new table", 19) && file.Flush();
    const char byte = ok ? 1 : 0;
    if (write(ready[1], &byte, 1) != 1 || !ok) _exit(1);
    for (;;) pause();
  }
  close(ready[1]);
  char byte = 0;
  const bool started = read(ready[0], &byte, 1) == 1 && byte == 1;
  close(ready[0]);
  std::vector<std::string> left = TemporariesOf(kTable);
  if (started && left.size() == 1) {
    LongAgo(In(left[0]));
    EXPECT_TRUE(Save(table, "while it lives"));
    EXPECT_EQ(TemporariesOf(kTable), left);
  }
  kill(child, SIGKILL);
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(started);
  ASSERT_EQ(left.size(), 1u);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
  EXPECT_EQ(Content(table), "while it lives");
  EXPECT_EQ(TemporariesOf(kTable), left);  // nothing has removed it yet
  ASSERT_TRUE(Save(table, "after"));
  EXPECT_EQ(Entries(), std::vector<std::string>{kTable});
  EXPECT_EQ(Content(table), "after");
}

#endif  // _WIN32

// Links are made with std::filesystem; where the system cannot make them (Wine 8, Windows
// without the privilege) the link tests are skipped.
bool MakeLink(const std::string& to, const std::string& link) {
  std::error_code error;
  fs::create_symlink(to, link, error);
  return !error && fs::is_symlink(link);
}

TEST_F(ReplacingFileTest, SaveThroughLinksReplacesTheFinalTargetAndKeepsTheLinks) {
  ASSERT_TRUE(CreateDirectory(In("elsewhere")));
  const std::string target = In("elsewhere/" + std::string(kTable));
  ASSERT_TRUE(Save(target, "v1"));
  // One link with a relative text, and a chain of two whose first has an absolute one.
  if (!MakeLink("elsewhere/" + std::string(kTable), In("link")))
    GTEST_SKIP() << "no symbolic links here";
  ASSERT_TRUE(MakeLink(fs::absolute(In("link")).string(), In("chain")));
  const std::string stale = In("elsewhere/" + std::string(kTable) + "." + kGuidA + ".tmp");
  ASSERT_TRUE(Save(stale, "interrupted"));
  LongAgo(stale);
#ifndef _WIN32
  ASSERT_EQ(chmod(target.c_str(), 0600), 0);
#endif

  ASSERT_TRUE(Save(In("link"), "through the link"));
  EXPECT_EQ(Content(target), "through the link");
  EXPECT_FALSE(FileExists(stale));  // the target's own stale temporary file
  ASSERT_TRUE(Save(In("chain"), "through the chain"));
  EXPECT_EQ(Content(target), "through the chain");
  {
    ReplacingFile file(In("chain"));
    ASSERT_TRUE(file.Open());
    ASSERT_TRUE(file.Write("in pieces", 9));
    ASSERT_TRUE(file.Commit());
  }
  EXPECT_EQ(Content(target), "in pieces");

  EXPECT_TRUE(fs::is_symlink(In("link")));
  EXPECT_TRUE(fs::is_symlink(In("chain")));
  EXPECT_EQ(fs::read_symlink(In("link")), fs::path("elsewhere/" + std::string(kTable)));
  EXPECT_EQ(Entries(), (std::vector<std::string>{"chain", "elsewhere", "link"}));
  EXPECT_EQ(std::distance(fs::directory_iterator(In("elsewhere")), fs::directory_iterator()), 1);
#ifndef _WIN32
  EXPECT_EQ(ModeAndOwner(target), ModeAndOwner(0600, geteuid(), getegid()));
#endif
}

TEST_F(ReplacingFileTest, DanglingOrLoopingLinkIsRefusedAndNothingIsCreated) {
  if (!MakeLink("gone/" + std::string(kTable), In("dangling")))
    GTEST_SKIP() << "no symbolic links here";
  ASSERT_TRUE(MakeLink("dangling", In("chain")));
  ASSERT_TRUE(MakeLink("loop2", In("loop1")));
  ASSERT_TRUE(MakeLink("loop1", In("loop2")));
  const std::vector<std::string> before = Entries();

  std::string reason;
  EXPECT_FALSE(Save(In("dangling"), "lost?", &reason));
  EXPECT_NE(reason.find("\"" + In("dangling") + "\""), std::string::npos) << reason;
  EXPECT_NE(reason.find("gone/" + std::string(kTable)), std::string::npos) << reason;
  EXPECT_NE(reason.find("does not exist"), std::string::npos) << reason;
  reason.clear();
  ReplacingFile file(In("chain"));
  EXPECT_FALSE(file.Open(&reason));
  EXPECT_NE(reason.find("\"" + In("chain") + "\""), std::string::npos) << reason;
  EXPECT_FALSE(file.Commit());
  reason.clear();
  EXPECT_FALSE(Save(In("loop1"), "x", &reason));
  EXPECT_FALSE(reason.empty());

  EXPECT_EQ(Entries(), before);
  EXPECT_TRUE(fs::is_symlink(In("dangling")));
  EXPECT_FALSE(fs::exists(In("gone")));
}

}  // namespace
}  // namespace platform
