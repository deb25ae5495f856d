// ReplacingFile: the new content of a file written to a temporary file by a thread of its own
// (so the caller's work and the system's copying overlap), then flushed and renamed over the
// file, and the clean-up of temporary files that interrupted saves left. The raw calls come from
// platform/fileio.h.
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <new>
#include <string_view>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "platform/fileio.h"
#include "platform/files.h"

namespace platform {

namespace {
constexpr size_t kBlock = size_t(1) << 20;                // bytes handed to the thread at a time
constexpr size_t kMaxQueued = 3;                          // blocks waiting for the thread at most
constexpr uint64_t kWriteBehindStep = uint64_t(8) << 20;  // disk write-back started this often

// The part of a temporary file's name after the name of the file it replaces:
// ".{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}.tmp", upper-case hexadecimal digits, as
// NewGuidString makes them.
constexpr std::string_view kTempHead = ".{";
constexpr std::string_view kTempTail = "}.tmp";
constexpr size_t kGuidDigits = 36;  // inside the braces, dashes included

std::string TemporaryNameFor(const std::string& target, const std::string& guid) {
  return target + "." + guid + ".tmp";
}

bool IsTemporaryTail(std::string_view tail) {
  if (tail.size() != kTempHead.size() + kGuidDigits + kTempTail.size() ||
      tail.substr(0, kTempHead.size()) != kTempHead ||
      tail.substr(tail.size() - kTempTail.size()) != kTempTail)
    return false;
  const std::string_view guid = tail.substr(kTempHead.size(), kGuidDigits);
  for (size_t i = 0; i < guid.size(); ++i) {
    const char c = guid[i];
    const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
    if (dash ? c != '-' : !((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) return false;
  }
  return true;
}

// Removes the temporary files of `target` that interrupted saves left (see files.h for the
// rule that keeps live ones of other savers).
void RemoveStaleTemporaries(const std::string& target) {
  for (const fileio::FoundFile& f : fileio::FilesExtending(target + std::string(kTempHead))) {
    if (f.secondsSinceWrite >= ReplacingFile::kStaleSeconds &&
        IsTemporaryTail(std::string_view(f.path).substr(target.size())))
      fileio::RemoveUnlessHeld(f.path);
  }
}

}  // namespace

// The temporary file's handle and the thread that writes the queued batches to it in order.
// A batch is a block of copied bytes and the pieces to write: slices of the block, and bytes
// the caller lends (WriteLasting).
struct ReplacingFile::Writer {
  explicit Writer(fileio::Handle file) : handle(file), thread([this] { Run(); }) {}

  ~Writer() {
    Stop();
    if (handle != fileio::kNoHandle) fileio::Close(handle);
  }

  // Copies `size` bytes into the batch being filled, handing full batches to the thread.
  bool Append(const uint8_t* data, size_t size, unsigned long* error) {
    while (size > 0) {
      Batch& b = filling;
      if (b.block.capacity() < kBlock) b.block.reserve(kBlock);  // never moves afterwards
      const size_t n = std::min(size, kBlock - b.block.size());
      const uint8_t* at = b.block.data() + b.block.size();
      b.block.insert(b.block.end(), data, data + n);
      if (!b.pieces.empty() && b.pieces.back().data + b.pieces.back().size == at)
        b.pieces.back().size += n;  // continues the last copied slice
      else
        b.pieces.push_back({at, n});
      b.bytes += n;
      data += n, size -= n;
      if ((b.block.size() == kBlock || b.bytes >= kBlock) && !Hand(error)) return false;
    }
    return Failure(error);
  }

  // Queues `size` bytes by reference.
  bool AppendLasting(const uint8_t* data, size_t size, unsigned long* error) {
    if (size == 0) return Failure(error);
    filling.pieces.push_back({data, size});
    filling.bytes += size;
    if (filling.bytes >= kBlock && !Hand(error)) return false;
    return Failure(error);
  }

  // Hands over the partial batch and waits until everything queued is written.
  bool Drain(unsigned long* error) {
    if (!filling.pieces.empty() && !Hand(error)) return false;
    std::unique_lock<std::mutex> lock(mutex);
    idle.wait(lock, [this] { return queued.empty() && !busy; });
    if (failure) *error = failure;
    return failure == 0;
  }

  // Ends the thread after what is queued (written, or dropped after a failure).
  void Stop() {
    {
      std::lock_guard<std::mutex> lock(mutex);
      stopping = true;
    }
    work.notify_all();
    if (thread.joinable()) thread.join();
  }

  fileio::Handle handle;

 private:
  struct Batch {
    std::vector<uint8_t> block;  // the copied bytes
    std::vector<fileio::Piece> pieces;
    size_t bytes = 0;  // in all pieces
    void Clear() {
      block.clear();
      pieces.clear();
      bytes = 0;
    }
  };

  // Reads the thread's failure without the mutex: the caller asks after every piece.
  bool Failure(unsigned long* error) {
    const unsigned long f = failure.load(std::memory_order_acquire);
    if (f) *error = f;
    return f == 0;
  }

  bool Hand(unsigned long* error) {
    Batch next;
    {
      std::unique_lock<std::mutex> lock(mutex);
      idle.wait(lock, [this] { return queued.size() < kMaxQueued || failure != 0; });
      if (failure) {
        *error = failure;
        return false;
      }
      queued.push_back(std::move(filling));
      if (!spare.empty()) {
        next = std::move(spare.back());
        spare.pop_back();
      }
    }
    work.notify_one();
    filling = std::move(next);
    filling.Clear();
    return true;
  }

  void Run() {
    for (;;) {
      Batch batch;
      bool skip;
      {
        std::unique_lock<std::mutex> lock(mutex);
        work.wait(lock, [this] { return stopping || !queued.empty(); });
        if (queued.empty()) return;
        batch = std::move(queued.front());
        queued.pop_front();
        busy = true;
        skip = failure != 0;
      }
      unsigned long error = 0;
      if (!skip &&
          fileio::WriteGather(handle, batch.pieces.data(), batch.pieces.size(), &scratch, &error)) {
        written += batch.bytes;
        if (written - writeBackFrom >= kWriteBehindStep) {
          // The flush at the commit then finds most of the file on its way to the disk.
          fileio::StartWriteBack(handle, writeBackFrom, written - writeBackFrom);
          writeBackFrom = written;
        }
      }
      {
        std::lock_guard<std::mutex> lock(mutex);
        if (error != 0 && failure == 0) failure.store(error, std::memory_order_release);
        batch.Clear();
        spare.push_back(std::move(batch));
        busy = false;
      }
      idle.notify_all();
    }
  }

  Batch filling;  // the caller's batch being filled
  // Shared with the thread, under `mutex`.
  std::mutex mutex;
  std::condition_variable work;  // a batch was queued, or the thread is to stop
  std::condition_variable idle;  // a batch was written
  std::deque<Batch> queued;
  std::vector<Batch> spare;               // written batches, reused
  std::atomic<unsigned long> failure{0};  // written under the mutex
  bool busy = false;
  bool stopping = false;
  // The thread's own.
  std::vector<uint8_t> scratch;
  uint64_t written = 0;
  uint64_t writeBackFrom = 0;
  std::thread thread;  // last: starts once everything above is set up
};

ReplacingFile::ReplacingFile(std::string path) : path_(std::move(path)) {}

ReplacingFile::~ReplacingFile() {
  writer_.reset();  // writes (or drops) what is queued: lent bytes are not used after this
  if (!committed_ && !temp_.empty()) fileio::Remove(temp_);
}

bool ReplacingFile::Fail(std::string* reason) {
  if (reason) *reason = message_.empty() ? fileio::ErrorText(error_) : message_;
  return false;
}

bool ReplacingFile::Open(std::string* reason) {
  if (error_ != 0 || writer_ != nullptr) return Fail(reason);
  bool dangling = false;
  if (!fileio::FinalTarget(path_, &target_, &dangling, &error_)) {
    if (dangling) {
      error_ = fileio::NotFoundError();
      message_ = "The symbolic link \"" + path_ + "\" points to " +
                 (target_ != path_ ? "\"" + target_ + "\", which" : "a file that") +
                 " does not exist";
    }
    return Fail(reason);
  }
  if (DirectoryExists(target_)) error_ = fileio::IsDirectoryError();
  if (error_ != 0) return Fail(reason);
  const std::string temp = TemporaryNameFor(target_, NewGuidString());
  const fileio::Handle h = fileio::CreateNew(temp, &error_);
  if (h == fileio::kNoHandle) return Fail(reason);
  temp_ = temp;
  try {
    writer_ = std::make_unique<Writer>(h);
  } catch (const std::bad_alloc&) {
    fileio::Close(h);
    error_ = fileio::OutOfMemoryError();
  } catch (const std::system_error&) {  // no thread to be had
    fileio::Close(h);
    error_ = fileio::OutOfMemoryError();
  }
  return error_ == 0 ? true : Fail(reason);
}

bool ReplacingFile::Write(const void* data, size_t size, std::string* reason) {
  if (error_ != 0 || writer_ == nullptr) return Fail(reason);
  try {
    if (!writer_->Append(static_cast<const uint8_t*>(data), size, &error_)) return Fail(reason);
  } catch (const std::bad_alloc&) {
    error_ = fileio::OutOfMemoryError();
    return Fail(reason);
  }
  return true;
}

bool ReplacingFile::WriteLasting(const void* data, size_t size, std::string* reason) {
  if (error_ != 0 || writer_ == nullptr) return Fail(reason);
  try {
    if (!writer_->AppendLasting(static_cast<const uint8_t*>(data), size, &error_))
      return Fail(reason);
  } catch (const std::bad_alloc&) {
    error_ = fileio::OutOfMemoryError();
    return Fail(reason);
  }
  return true;
}

bool ReplacingFile::Flush(std::string* reason) {
  if (error_ != 0 || writer_ == nullptr) return Fail(reason);
  return writer_->Drain(&error_) ? true : Fail(reason);
}

bool ReplacingFile::WriteAt(uint64_t offset, const void* data, size_t size, std::string* reason) {
  if (error_ != 0 || writer_ == nullptr) return Fail(reason);
  if (!writer_->Drain(&error_) ||
      !fileio::WriteAt(writer_->handle, offset, static_cast<const uint8_t*>(data), size, &error_))
    return Fail(reason);
  return true;
}

bool ReplacingFile::Commit(std::string* reason) {
  if (error_ != 0 || writer_ == nullptr) return Fail(reason);
  if (!writer_->Drain(&error_)) return Fail(reason);
  writer_->Stop();
  const fileio::Handle h = std::exchange(writer_->handle, fileio::kNoHandle);
  writer_.reset();
  const bool replacing = FileExists(target_);
  if (!fileio::CommitOver(h, temp_, target_, &error_)) {
    // A replace that fails half-way (possible on Windows) can leave the new content only in
    // the temporary file: that one is then kept.
    if (replacing && !FileExists(target_) && FileExists(temp_)) {
      message_ = fileio::ErrorText(error_) + "; the new content is kept in \"" + temp_ + "\"";
      temp_.clear();
    }
    return Fail(reason);
  }
  committed_ = true;
  RemoveStaleTemporaries(target_);
  return true;
}

bool ReplaceFileAtomically(const std::string& path, const void* data, size_t size,
                           std::string* reason) {
  ReplacingFile file(path);
  return file.Open(reason) && file.Write(data, size, reason) && file.Commit(reason);
}

}  // namespace platform
