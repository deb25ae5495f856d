// Raw DEFLATE decoder (see inflate.h).
//
// Format notes (RFC 1951):
// - Bits are read least significant first. A block starts with 1 bit "final" and 2 bits
//   "type": 0 stored, 1 fixed codes, 2 dynamic codes, 3 reserved (malformed).
// - Huffman codes are sent most significant bit first; the tables (huffmantree.h) are indexed
//   by the bits as they arrive, so a lookup is one masked read of the bit buffer.
// - The bit buffer is 64 bits wide. One refill before each literal/length symbol leaves at
//   least 56 bits: enough for a length code (15) with its extra bits (5) and a distance code
//   (15) with its extra bits (13).
// - At the input's end the buffer is topped up with zero bytes ("padding") so that peeking
//   never fails; consuming a padding bit means the stream ended early. `padded_` counts the
//   padding bits in the buffer: they sit above all real bits, so bits past the end have been
//   consumed exactly when fewer than `padded_` bits remain. Every block consumes at least three
//   bits, so a stream that never ends its final block stops at the input's end.
#include "skin/inflate.h"

#include <bit>
#include <cstring>

#include "skin/huffmantree.h"

namespace skin {

namespace {

constexpr int kMaxLiteralLengthCodes = 286;
constexpr int kMaxDistanceCodes = 30;
constexpr int kCodeLengthCodes = 19;
constexpr int kFixedLiteralLengthCodes = 288;
constexpr int kFixedDistanceCodes = 32;
constexpr size_t kWindowSlack = 8;  // room for the 8-byte copies of a match's last bytes

// Order in which the code-length code's lengths are sent.
constexpr uint8_t kCodeLengthOrder[kCodeLengthCodes] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                                        11, 4,  12, 3, 13, 2, 14, 1, 15};

// Base lengths and extra bits of length symbols 257-285.
constexpr uint16_t kLengthBase[29] = {3,  4,  5,  6,   7,   8,   9,   10,  11, 13,
                                      15, 17, 19, 23,  27,  31,  35,  43,  51, 59,
                                      67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr uint8_t kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                      2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};

// Base distances and extra bits of distance symbols 0-29.
constexpr uint16_t kDistanceBase[30] = {
    1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
    193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr uint8_t kDistanceExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                        6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

// Extra bits per symbol, as stored in the table entries.
struct TExtraBits {
  uint8_t literalLength[kFixedLiteralLengthCodes] = {};
  uint8_t distance[kFixedDistanceCodes] = {};
  uint8_t codeLength[kCodeLengthCodes] = {};
  TExtraBits() {
    for (int i = 0; i < 29; ++i) literalLength[257 + i] = kLengthExtra[i];
    for (int i = 0; i < 30; ++i) distance[i] = kDistanceExtra[i];
    codeLength[16] = 2;
    codeLength[17] = 3;
    codeLength[18] = 7;
  }
};
const TExtraBits kExtra;

// The fixed codes of block type 1, built once for the life of the program.
struct TFixedTables {
  THuffmanTree literalLength{15};
  THuffmanTree distance{15};
  TFixedTables() {
    uint8_t lengths[kFixedLiteralLengthCodes];
    for (int i = 0; i < 144; ++i) lengths[i] = 8;
    for (int i = 144; i < 256; ++i) lengths[i] = 9;
    for (int i = 256; i < 280; ++i) lengths[i] = 7;
    for (int i = 280; i < 288; ++i) lengths[i] = 8;
    literalLength.Build(lengths, kFixedLiteralLengthCodes, kExtra.literalLength);
    uint8_t distances[kFixedDistanceCodes];
    for (int i = 0; i < kFixedDistanceCodes; ++i) distances[i] = 5;
    distance.Build(distances, kFixedDistanceCodes, kExtra.distance);
  }
};
const TFixedTables kFixed;

inline uint64_t Load64LE(const uint8_t* p) {
  uint64_t v;
  std::memcpy(&v, p, 8);
  if constexpr (std::endian::native == std::endian::big) v = __builtin_bswap64(v);
  return v;
}

class TInflater {
 public:
  TInflater(TInflateSource& source, TInflateSink& sink, uint64_t limit)
      : source_(source),
        sink_(sink),
        limit_(limit),
        input_(kInflateInputBlock),
        window_(kInflateWindowSize + kWindowSlack) {}

  TInflateResult Run();

 private:
  using Status = TInflateStatus;

  bool LoadBlock();
  bool Refill();
  bool Need(unsigned n) { return bitcnt_ >= n || Refill(); }
  uint32_t Bits(unsigned n) {  // REQUIRES: bitcnt_ >= n
    uint32_t v = static_cast<uint32_t>(bitbuf_ & ((uint64_t{1} << n) - 1));
    bitbuf_ >>= n;
    bitcnt_ -= n;
    return v;
  }
  Status Stored();
  Status Dynamic();
  Status CodeLengths(int total, uint8_t* lengths);
  Status Codes(const THuffmanTree& literalLength, const THuffmanTree& distance);
  Status FlushHalf();
  Status WriteOut(size_t count);

  TInflateSource& source_;
  TInflateSink& sink_;
  const uint64_t limit_;
  std::vector<uint8_t> input_;     // current input block
  std::vector<uint8_t> window_;    // recent output; kWindowSlack bytes beyond the window proper
  const uint8_t* next_ = nullptr;  // next unread input byte
  const uint8_t* end_ = nullptr;   // end of the current input block
  bool eof_ = false;               // the source has no more bytes
  uint64_t bitbuf_ = 0;            // unconsumed bits, next bit lowest
  unsigned bitcnt_ = 0;            // valid bits in bitbuf_
  unsigned padded_ = 0;            // zero padding bits at the top of bitbuf_ (input ended)
  size_t wp_ = 0;                  // write position in the window
  uint64_t written_ = 0;           // bytes handed to the sink
  THuffmanTree literalLength_{15};
  THuffmanTree distance_{15};
  THuffmanTree codeLength_{7};
};

bool TInflater::LoadBlock() {
  if (eof_) return false;
  size_t n = source_.Read(input_.data(), kInflateInputBlock);
  if (n == 0 || n > kInflateInputBlock) {
    eof_ = true;
    return false;
  }
  next_ = input_.data();
  end_ = next_ + n;
  return true;
}

// Fills the bit buffer to at least 57 bits. False when bits past the input's end have
// already been consumed.
bool TInflater::Refill() {
  if (bitcnt_ < padded_) return false;
  if (end_ - next_ >= 8) {
    bitbuf_ |= Load64LE(next_) << bitcnt_;
    next_ += (63 - bitcnt_) >> 3;
    bitcnt_ |= 56;
    return true;
  }
  while (bitcnt_ <= 56) {
    if (next_ == end_ && !LoadBlock()) {
      padded_ += 8;  // a zero byte: nothing to OR in
      bitcnt_ += 8;
      continue;
    }
    bitbuf_ |= static_cast<uint64_t>(*next_++) << bitcnt_;
    bitcnt_ += 8;
  }
  return true;
}

TInflateResult TInflater::Run() {
  Status status = Status::kOk;
  bool final = false;
  while (status == Status::kOk && !final) {
    if (!Need(3)) {
      status = Status::kInputEnded;
      break;
    }
    final = Bits(1) != 0;
    switch (Bits(2)) {
      case 0:
        status = Stored();
        break;
      case 1:
        status = Codes(kFixed.literalLength, kFixed.distance);
        break;
      case 2:
        status = Dynamic();
        if (status == Status::kOk) status = Codes(literalLength_, distance_);
        break;
      default:
        status = Status::kReservedBlockType;
        break;
    }
  }
  if (status == Status::kOk && bitcnt_ < padded_) status = Status::kInputEnded;
  if (status == Status::kOk) status = WriteOut(wp_);
  return {status, written_};
}

// Hands the first `count` window bytes to the sink, within the output limit.
TInflateStatus TInflater::WriteOut(size_t count) {
  if (count > limit_ - written_) return Status::kOutputLimit;
  if (count && !sink_.Write(window_.data(), count)) return Status::kWriteFailed;
  written_ += count;
  return Status::kOk;
}

// The write position reached 64 KB: write the first 32 KB and move the rest down, keeping
// the last 32 KB for back references.
TInflateStatus TInflater::FlushHalf() {
  Status status = WriteOut(kInflateFlushSize);
  if (status != Status::kOk) return status;
  std::memmove(window_.data(), window_.data() + kInflateFlushSize, wp_ - kInflateFlushSize);
  wp_ -= kInflateFlushSize;
  return Status::kOk;
}

// Stored block: to the byte boundary, LEN (16 bits) and NLEN (16 bits, ignored), then LEN
// bytes copied through the window.
TInflateStatus TInflater::Stored() {
  if (!Need(32 + (bitcnt_ & 7))) return Status::kInputEnded;
  Bits(bitcnt_ & 7);
  size_t length = Bits(16);
  Bits(16);
  // Whole bytes still in the bit buffer come first; padding bytes are not input.
  while (length > 0 && bitcnt_ >= 8) {
    if (bitcnt_ - 8 < padded_) return Status::kInputEnded;
    window_[wp_++] = static_cast<uint8_t>(Bits(8));
    --length;
    if (wp_ >= kInflateFlushAt) {
      Status status = FlushHalf();
      if (status != Status::kOk) return status;
    }
  }
  if (length == 0) return Status::kOk;
  bitbuf_ = 0;  // empty: drop copies of bytes read ahead by the 8-byte refill
  while (length > 0) {
    if (next_ == end_ && !LoadBlock()) return Status::kInputEnded;
    size_t piece = length;
    if (piece > static_cast<size_t>(end_ - next_)) piece = end_ - next_;
    if (piece > kInflateFlushAt - wp_) piece = kInflateFlushAt - wp_;
    std::memcpy(window_.data() + wp_, next_, piece);
    next_ += piece;
    wp_ += piece;
    length -= piece;
    if (wp_ >= kInflateFlushAt) {
      Status status = FlushHalf();
      if (status != Status::kOk) return status;
    }
  }
  return Status::kOk;
}

// Dynamic block header: HLIT (5), HDIST (5), HCLEN (4), HCLEN + 4 code-length code lengths
// (3 bits each, in kCodeLengthOrder), then the literal/length and distance code lengths coded
// with the code-length code.
TInflateStatus TInflater::Dynamic() {
  if (!Need(14)) return Status::kInputEnded;
  int literalCount = static_cast<int>(Bits(5)) + 257;
  int distanceCount = static_cast<int>(Bits(5)) + 1;
  int codeLengthCount = static_cast<int>(Bits(4)) + 4;
  if (literalCount > kMaxLiteralLengthCodes) return Status::kTooManyLengthCodes;
  if (distanceCount > kMaxDistanceCodes) return Status::kTooManyDistanceCodes;

  uint8_t codeLengthLengths[kCodeLengthCodes] = {};
  for (int i = 0; i < codeLengthCount; ++i) {
    if (!Need(3)) return Status::kInputEnded;
    codeLengthLengths[kCodeLengthOrder[i]] = static_cast<uint8_t>(Bits(3));
  }
  if (!codeLength_.Build(codeLengthLengths, kCodeLengthCodes, kExtra.codeLength)) {
    return Status::kBadCodeLengthCode;
  }
  uint8_t lengths[kMaxLiteralLengthCodes + kMaxDistanceCodes];
  Status status = CodeLengths(literalCount + distanceCount, lengths);
  if (status != Status::kOk) return status;
  if (!literalLength_.Build(lengths, literalCount, kExtra.literalLength)) {
    return Status::kBadLiteralLengthCode;
  }
  if (!distance_.Build(lengths + literalCount, distanceCount, kExtra.distance)) {
    return Status::kBadDistanceCode;
  }
  return Status::kOk;
}

// Code-length symbols: 0-15 a length; 16 repeats the previous length 3-6 times (2 extra
// bits); 17 gives 3-10 zeros (3 extra bits); 18 gives 11-138 zeros (7 extra bits).
TInflateStatus TInflater::CodeLengths(int total, uint8_t* lengths) {
  int i = 0;
  while (i < total) {
    if (!Need(7 + 7)) return Status::kInputEnded;
    uint32_t entry = codeLength_.Lookup(static_cast<uint32_t>(bitbuf_));
    if (entry == THuffmanTree::kUnused) return Status::kInvalidCode;
    Bits(THuffmanTree::Length(entry));
    unsigned symbol = THuffmanTree::Symbol(entry);
    if (symbol < 16) {
      lengths[i++] = static_cast<uint8_t>(symbol);
      continue;
    }
    uint8_t value = 0;
    int repeat;
    if (symbol == 16) {
      if (i == 0) return Status::kRepeatWithoutPrevious;
      value = lengths[i - 1];
      repeat = 3 + static_cast<int>(Bits(2));
    } else if (symbol == 17) {
      repeat = 3 + static_cast<int>(Bits(3));
    } else {
      repeat = 11 + static_cast<int>(Bits(7));
    }
    if (repeat > total - i) return Status::kRepeatTooLong;
    std::memset(lengths + i, value, repeat);
    i += repeat;
  }
  return Status::kOk;
}

// The symbols of a fixed or dynamic block, up to its end-of-block symbol 256. The hot loop
// keeps the bit buffer, input pointer and write position in locals (stores into the window
// could otherwise alias the members) and writes them back around every slower call.
TInflateStatus TInflater::Codes(const THuffmanTree& literalLength, const THuffmanTree& distance) {
  const uint32_t* litTable = literalLength.table();
  const uint64_t litMask = literalLength.mask();
  const uint32_t* distTable = distance.table();
  const uint64_t distMask = distance.mask();
  uint8_t* const window = window_.data();

  uint64_t bits = bitbuf_;
  unsigned count = bitcnt_;
  const uint8_t* next = next_;
  const uint8_t* end = end_;
  size_t wp = wp_;

  auto save = [&] {
    bitbuf_ = bits;
    bitcnt_ = count;
    next_ = next;
    wp_ = wp;
  };
  auto load = [&] {
    bits = bitbuf_;
    count = bitcnt_;
    next = next_;
    end = end_;
    wp = wp_;
  };

  for (;;) {
    if (end - next >= 8) {
      bits |= Load64LE(next) << count;
      next += (63 - count) >> 3;
      count |= 56;
    } else {
      save();
      bool ok = Refill();
      load();
      if (!ok) return Status::kInputEnded;
    }

    uint32_t entry = litTable[bits & litMask];
    if (entry == THuffmanTree::kUnused) return Status::kInvalidCode;
    unsigned n = THuffmanTree::Length(entry);
    bits >>= n;
    count -= n;
    unsigned symbol = THuffmanTree::Symbol(entry);
    if (symbol < 256) {
      window[wp++] = static_cast<uint8_t>(symbol);
    } else if (symbol == 256) {
      break;
    } else {
      if (symbol > 285) return Status::kInvalidLengthSymbol;
      unsigned extra = THuffmanTree::Extra(entry);
      size_t length = kLengthBase[symbol - 257] + (bits & ((uint64_t{1} << extra) - 1));
      bits >>= extra;
      count -= extra;

      entry = distTable[bits & distMask];
      if (entry == THuffmanTree::kUnused) return Status::kInvalidCode;
      n = THuffmanTree::Length(entry);
      bits >>= n;
      count -= n;
      symbol = THuffmanTree::Symbol(entry);
      if (symbol >= static_cast<unsigned>(kMaxDistanceCodes)) return Status::kInvalidDistanceSymbol;
      extra = THuffmanTree::Extra(entry);
      size_t dist = kDistanceBase[symbol] + (bits & ((uint64_t{1} << extra) - 1));
      bits >>= extra;
      count -= extra;
      // After the first flush at least 32 KB stay in the window, so this also bounds every
      // distance to the output written so far.
      if (dist > wp) return Status::kDistanceTooFar;

      uint8_t* to = window + wp;
      const uint8_t* from = to - dist;
      wp += length;
      if (dist >= 8) {
        // 8-byte pieces never overlap within a piece, and later pieces read bytes that
        // earlier ones wrote, as a byte-by-byte copy would. The last piece may run up to 7
        // bytes past the match, into the slack.
        uint8_t* stop = to + length;
        do {
          std::memcpy(to, from, 8);
          to += 8;
          from += 8;
        } while (to < stop);
      } else if (dist == 1) {
        std::memset(to, *from, length);
      } else {
        for (size_t i = 0; i < length; ++i) to[i] = from[i];
      }
    }
    if (wp >= kInflateFlushAt) {
      save();
      Status status = FlushHalf();
      if (status != Status::kOk) return status;
      load();
    }
  }
  save();
  return Status::kOk;
}

// A source over a memory range, handed out in input-block pieces.
class TMemorySource : public TInflateSource {
 public:
  TMemorySource(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  size_t Read(uint8_t* buffer, size_t size) override {
    size_t n = size < size_ - pos_ ? size : size_ - pos_;
    if (n) std::memcpy(buffer, data_ + pos_, n);
    pos_ += n;
    return n;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

}  // namespace

const char* InflateStatusName(TInflateStatus status) {
  static const char* const kNames[] = {
      "ok",
      "input ended before the final block",
      "reserved block type",
      "too many literal/length codes",
      "too many distance codes",
      "over-subscribed code-length code",
      "repeat without a previous length",
      "repeat past the last length",
      "over-subscribed literal/length code",
      "over-subscribed distance code",
      "invalid code",
      "invalid literal/length symbol",
      "invalid distance symbol",
      "distance too far back",
      "output larger than allowed",
      "output could not be written",
  };
  static_assert(sizeof(kNames) / sizeof(kNames[0]) == static_cast<size_t>(TInflateStatus::kCount));
  auto i = static_cast<size_t>(status);
  return i < static_cast<size_t>(TInflateStatus::kCount) ? kNames[i] : "unknown";
}

TInflateResult Inflate(TInflateSource& source, TInflateSink& sink, uint64_t outputLimit) {
  TInflater inflater(source, sink, outputLimit);
  return inflater.Run();
}

TInflateResult InflateMemory(const uint8_t* data, size_t size, std::vector<uint8_t>& out,
                             uint64_t outputLimit) {
  TMemorySource source(data, size);
  TVectorSink sink(out);
  return Inflate(source, sink, outputLimit);
}

}  // namespace skin
