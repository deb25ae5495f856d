// Archive sources over memory and over files (see archivesource.h).
#include "skin/archivesource.h"

#include <cstring>

namespace skin {

size_t TMemoryArchiveSource::ReadAt(uint64_t offset, void* buffer, size_t size) {
  if (offset >= size_) return 0;
  size_t available = size_ - static_cast<size_t>(offset);
  size_t n = size < available ? size : available;
  std::memcpy(buffer, data_ + offset, n);
  return n;
}

TFileArchiveSource::TFileArchiveSource(const std::string& path)
    : file_(path, std::ios::binary | std::ios::in) {
  if (!file_) return;
  file_.seekg(0, std::ios::end);
  std::streamoff end = file_.tellg();
  if (!file_ || end < 0) return;
  size_ = static_cast<uint64_t>(end);
  open_ = true;
}

size_t TFileArchiveSource::ReadAt(uint64_t offset, void* buffer, size_t size) {
  if (!open_ || offset >= size_) return 0;
  file_.clear();
  file_.seekg(static_cast<std::streamoff>(offset), std::ios::beg);
  if (!file_) return 0;
  file_.read(static_cast<char*>(buffer), static_cast<std::streamsize>(size));
  std::streamsize got = file_.gcount();
  return got > 0 ? static_cast<size_t>(got) : 0;
}

}  // namespace skin
