// Blob store: borrowed entries read in place, turn into their own bytes when written, and the
// buffer they borrow from lives exactly as long as some entry still borrows from it.
#include "tableengine/dsblob.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace dsengine {
namespace {

struct HeldText {
  std::shared_ptr<std::vector<uint8_t>> bytes;
  std::weak_ptr<std::vector<uint8_t>> watch;
  explicit HeldText(const std::string& text)
      : bytes(std::make_shared<std::vector<uint8_t>>(text.begin(), text.end())), watch(bytes) {}
  const uint8_t* At(size_t offset) const { return bytes->data() + offset; }
};

std::string Text(const BlobStore& s, uint32_t h) {
  return std::string(reinterpret_cast<const char*>(s.Data(h)), s.Length(h));
}

// A store that borrows "love" and "song" out of "lovesong", the buffer handed over.
struct BorrowingStore {
  BlobStore store;
  std::weak_ptr<std::vector<uint8_t>> buffer;
  uint32_t love = 0, song = 0;
  BorrowingStore() {
    HeldText held("lovesong");
    buffer = held.watch;
    EXPECT_EQ(store.HoldBuffer(held.bytes), DBERR_NONE);
    EXPECT_EQ(store.AddBorrowed(held.At(0), 4, &love), DBERR_NONE);
    EXPECT_EQ(store.AddBorrowed(held.At(4), 4, &song), DBERR_NONE);
  }
};

TEST(BlobStoreBorrowing, BorrowedEntriesReadTheBufferInPlace) {
  BorrowingStore b;
  EXPECT_EQ(Text(b.store, b.love), "love");
  EXPECT_EQ(Text(b.store, b.song), "song");
  EXPECT_FALSE(b.buffer.expired());  // the store alone keeps it
  EXPECT_EQ(b.store.Data(b.song), b.store.Data(b.love) + 4);
}

TEST(BlobStoreBorrowing, WritingCopiesTheEntryAndLeavesTheBufferAlone) {
  BorrowingStore b;
  ASSERT_EQ(b.store.Write(b.love, 2, "ng and more", 11), DBERR_NONE);
  EXPECT_EQ(Text(b.store, b.love), "long and more");
  EXPECT_EQ(Text(b.store, b.song), "song");  // still borrowed, buffer bytes untouched
  ASSERT_FALSE(b.buffer.expired());
  EXPECT_EQ(std::string(b.buffer.lock()->begin(), b.buffer.lock()->end()), "lovesong");
}

TEST(BlobStoreBorrowing, BufferGoesWithItsLastBorrower) {
  BorrowingStore b;
  b.store.Free(b.love);
  EXPECT_FALSE(b.buffer.expired());
  EXPECT_EQ(b.store.Length(b.love), 0u);
  ASSERT_EQ(b.store.Write(b.song, 0, "S", 1), DBERR_NONE);
  EXPECT_TRUE(b.buffer.expired());
  EXPECT_EQ(Text(b.store, b.song), "Song");
  EXPECT_EQ(b.store.HeldBufferCount(), 0u);
}

TEST(BlobStoreBorrowing, ReleasingUncommittedBorrowersLetsTheBufferGo) {
  BorrowingStore b;
  uint32_t own = 0;
  b.store.Commit();
  ASSERT_EQ(b.store.Add("x", 1, &own), DBERR_NONE);
  b.store.ReleaseUncommitted();  // only the owned entry was uncommitted
  EXPECT_FALSE(b.buffer.expired());
  EXPECT_EQ(b.store.Count(), 2u);

  BorrowingStore fresh;  // nothing committed: both borrowers go
  fresh.store.ReleaseUncommitted();
  EXPECT_EQ(fresh.store.Count(), 0u);
  EXPECT_TRUE(fresh.buffer.expired());
}

TEST(BlobStoreBorrowing, IdleBufferIsReleasedOnRequestAndClearDropsEverything) {
  BlobStore store;
  HeldText held("unused");
  ASSERT_EQ(store.HoldBuffer(held.bytes), DBERR_NONE);
  uint32_t empty = 0;
  ASSERT_EQ(store.AddBorrowed(held.At(0), 0, &empty), DBERR_NONE);  // borrows nothing
  held.bytes.reset();
  EXPECT_FALSE(held.watch.expired());
  store.ReleaseIdleBuffers();
  EXPECT_TRUE(held.watch.expired());
  EXPECT_EQ(store.Length(empty), 0u);

  BorrowingStore b;
  b.store.Clear();
  EXPECT_TRUE(b.buffer.expired());
  EXPECT_EQ(b.store.Count(), 0u);
}

}  // namespace
}  // namespace dsengine
