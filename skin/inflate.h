// Raw DEFLATE (RFC 1951) decoder used to extract skin archive entries (archive.h). Input comes
// from a source in 16,384-byte blocks; output goes through a 65,794-byte window to a sink in
// 32 KB steps. Decoding never reads past the input's end, never writes more than a set limit,
// and ends on every input. Stateless between calls; each call owns its buffers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace skin {

constexpr size_t kInflateInputBlock = 16384;  // bytes asked of the source at a time
constexpr size_t kInflateWindowSize = 65794;  // 64 KB plus one longest match (258)
constexpr size_t kInflateFlushAt = 65536;     // write position that triggers a flush
constexpr size_t kInflateFlushSize = 32768;   // bytes written per flush

// Supplies compressed bytes. Read returns how many bytes it put into `buffer` (at most
// `size`); 0 means the input has ended (or failed) and is not asked again.
class TInflateSource {
 public:
  virtual ~TInflateSource() = default;
  virtual size_t Read(uint8_t* buffer, size_t size) = 0;
};

// Receives decompressed bytes in order. Write returns false when the bytes could not be kept.
class TInflateSink {
 public:
  virtual ~TInflateSink() = default;
  virtual bool Write(const uint8_t* data, size_t size) = 0;
};

// A sink that appends to a vector (extraction into memory, tests, tools).
class TVectorSink : public TInflateSink {
 public:
  explicit TVectorSink(std::vector<uint8_t>& out) : out_(out) {}
  bool Write(const uint8_t* data, size_t size) override {
    out_.insert(out_.end(), data, data + size);
    return true;
  }

 private:
  std::vector<uint8_t>& out_;  // not owned
};

// Outcome of a decode; kOk is zero, every other value is a distinct reason.
enum class TInflateStatus : int {
  kOk = 0,
  kInputEnded,             // the input ended before the final block did
  kReservedBlockType,      // block type 3
  kTooManyLengthCodes,     // HLIT + 257 > 286
  kTooManyDistanceCodes,   // HDIST + 1 > 30
  kBadCodeLengthCode,      // the code-length code is over-subscribed
  kRepeatWithoutPrevious,  // code-length symbol 16 as the first length
  kRepeatTooLong,          // a repeat runs past the number of lengths
  kBadLiteralLengthCode,   // the literal/length code is over-subscribed
  kBadDistanceCode,        // the distance code is over-subscribed
  kInvalidCode,            // bits that no code of the table reaches
  kInvalidLengthSymbol,    // literal/length symbol 286 or 287
  kInvalidDistanceSymbol,  // distance symbol 30 or 31
  kDistanceTooFar,         // a back reference before the start of the output
  kOutputLimit,            // the output would exceed the caller's limit
  kWriteFailed,            // the sink refused bytes
  kCount
};

// A short English name of a status, for messages and test output.
const char* InflateStatusName(TInflateStatus status);

struct TInflateResult {
  TInflateStatus status = TInflateStatus::kOk;
  uint64_t written = 0;  // bytes handed to the sink (also after a failure)
};

// Decodes one raw DEFLATE stream from `source` into `sink` until its final block has ended.
// Never hands the sink more than `outputLimit` bytes in total: a stream that would produce
// more stops with kOutputLimit. On failure, output still held in the window is not written.
TInflateResult Inflate(TInflateSource& source, TInflateSink& sink, uint64_t outputLimit);

// Convenience for tests and tools: decodes `size` bytes of memory, appending to `out`.
TInflateResult InflateMemory(const uint8_t* data, size_t size, std::vector<uint8_t>& out,
                             uint64_t outputLimit);

}  // namespace skin
