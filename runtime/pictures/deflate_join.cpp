#include "runtime/pictures/deflate_join.h"
#include <algorithm>
#include <cstring>

namespace imprinta::picture {
namespace {

enum BlockType : uint32_t { kStored = 0, kFixed = 1, kDynamic = 2 };
constexpr int kMaxCodeBits = 15;
constexpr int kLiteralCodes = 288, kDistanceCodes = 30, kLengthCodes = 29, kEndOfBlock = 256;
constexpr uint8_t kLengthExtra[kLengthCodes] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                                2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr uint8_t kDistanceExtra[kDistanceCodes] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                                    6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
// The order in which a dynamic block gives the code lengths of its code-length code.
constexpr uint8_t kCodeLengthOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};

// Bits in deflate's order: from the least significant bit of each byte, held
// in a 64-bit buffer. Reading past the end sets the sticky failure and gives zeros.
class BitReader {
public:
    explicit BitReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}
    uint32_t Peek(int n) {
        while (held_ <= 56) {
            buffer_ |= uint64_t(next_ < bytes_.size() ? bytes_[next_] : 0) << held_;
            ++next_, held_ += 8;
        }
        return uint32_t(buffer_ & ((uint64_t(1) << n) - 1));
    }
    void Consume(int n) {
        buffer_ >>= n, held_ -= n, at_ += uint64_t(n);
        if (at_ > bytes_.size() * 8) failed_ = true;
    }
    uint32_t Bits(int n) {
        const uint32_t value = n ? Peek(n) : 0;
        Consume(n);
        return failed_ ? 0 : value;
    }
    void SkipToByte() { Consume(int((8 - at_ % 8) % 8)); }
    void SkipBytes(uint64_t n) {
        // Past what the buffer holds: start it again at the new place.
        at_ += n * 8;
        if (at_ > bytes_.size() * 8) failed_ = true;
        next_ = size_t(std::min<uint64_t>(at_ / 8, bytes_.size()));
        buffer_ = 0, held_ = 0;
    }
    uint64_t At() const { return at_; }
    bool Failed() const { return failed_; }

private:
    std::span<const uint8_t> bytes_;
    uint64_t buffer_ = 0;
    int held_ = 0;
    size_t next_ = 0;  // the next byte to take into the buffer
    uint64_t at_ = 0;  // bits consumed
    bool failed_ = false;
};

// A canonical Huffman code: how many codes of each length, the symbols in code
// order, and a table for the codes of up to kFastBits bits, indexed by the
// next bits as they come (symbol << 4 | length; 0 for a longer code).
constexpr int kFastBits = 10;
struct HuffmanCode {
    uint16_t count[kMaxCodeBits + 1] = {};
    uint16_t symbol[kLiteralCodes] = {};
    uint16_t fast[1 << kFastBits] = {};
};

uint32_t Reversed(uint32_t code, int length) {
    uint32_t r = 0;
    for (int i = 0; i < length; ++i, code >>= 1) r = (r << 1) | (code & 1);
    return r;
}

// False for lengths that describe no code (more codes of a length than fit).
bool Build(HuffmanCode& code, const uint8_t* lengths, int n) {
    std::fill(std::begin(code.count), std::end(code.count), 0);
    for (int s = 0; s < n; ++s) ++code.count[lengths[s]];
    int left = 1;
    for (int len = 1; len <= kMaxCodeBits; ++len) {
        left = left * 2 - code.count[len];
        if (left < 0) return false;
    }
    uint16_t offsets[kMaxCodeBits + 2] = {};
    for (int len = 1; len <= kMaxCodeBits; ++len) offsets[len + 1] = uint16_t(offsets[len] + code.count[len]);
    for (int s = 0; s < n; ++s)
        if (lengths[s]) code.symbol[offsets[lengths[s]]++] = uint16_t(s);
    std::fill(std::begin(code.fast), std::end(code.fast), 0);
    uint32_t next = 0;
    int index = 0;
    for (int len = 1; len <= kFastBits; ++len, next <<= 1)
        for (int k = 0; k < code.count[len]; ++k, ++next, ++index)
            for (uint32_t at = Reversed(next, len); at < (1u << kFastBits); at += 1u << len)
                code.fast[at] = uint16_t(code.symbol[index] << 4 | len);
    return true;
}

// One symbol: from the table, else a bit at a time; -1 when the bits are no code.
int Decode(BitReader& in, const HuffmanCode& code) {
    if (const uint16_t entry = code.fast[in.Peek(kFastBits)]) {
        in.Consume(entry & 15);
        return entry >> 4;
    }
    int bits = 0, first = 0, index = 0;
    for (int len = 1; len <= kMaxCodeBits; ++len) {
        bits |= int(in.Bits(1));
        const int count = code.count[len];
        if (bits - first < count) return code.symbol[index + bits - first];
        index += count;
        first = (first + count) << 1;
        bits <<= 1;
    }
    return -1;
}

// The symbols of one compressed block up to its end, matches skipped over.
bool SkipCodes(BitReader& in, const HuffmanCode& literals, const HuffmanCode& distances) {
    for (;;) {
        const int symbol = Decode(in, literals);
        if (symbol < 0 || in.Failed()) return false;
        if (symbol < kEndOfBlock) continue;
        if (symbol == kEndOfBlock) return true;
        if (symbol - 257 >= kLengthCodes) return false;
        in.Bits(kLengthExtra[symbol - 257]);
        const int distance = Decode(in, distances);
        if (distance < 0 || distance >= kDistanceCodes) return false;
        in.Bits(kDistanceExtra[distance]);
    }
}

bool SkipFixed(BitReader& in) {
    uint8_t lengths[kLiteralCodes];
    std::fill(lengths, lengths + 144, 8);
    std::fill(lengths + 144, lengths + 256, 9);
    std::fill(lengths + 256, lengths + 280, 7);
    std::fill(lengths + 280, lengths + kLiteralCodes, 8);
    uint8_t distanceLengths[kDistanceCodes];
    std::fill(distanceLengths, distanceLengths + kDistanceCodes, 5);
    HuffmanCode literals, distances;
    Build(literals, lengths, kLiteralCodes);
    Build(distances, distanceLengths, kDistanceCodes);
    return SkipCodes(in, literals, distances);
}

bool SkipDynamic(BitReader& in) {
    const int literalCount = int(in.Bits(5)) + 257, distanceCount = int(in.Bits(5)) + 1;
    const int lengthCodeCount = int(in.Bits(4)) + 4;
    if (literalCount > 286 || distanceCount > kDistanceCodes) return false;
    uint8_t lengths[kLiteralCodes + kDistanceCodes] = {};
    for (int i = 0; i < lengthCodeCount; ++i) lengths[kCodeLengthOrder[i]] = uint8_t(in.Bits(3));
    HuffmanCode lengthCode;
    if (!Build(lengthCode, lengths, 19)) return false;
    std::fill(std::begin(lengths), std::end(lengths), 0);
    for (int i = 0; i < literalCount + distanceCount;) {
        const int symbol = Decode(in, lengthCode);
        if (symbol < 0 || in.Failed()) return false;
        if (symbol < 16) {
            lengths[i++] = uint8_t(symbol);
            continue;
        }
        uint8_t repeated = 0;
        int times = 0;
        if (symbol == 16) {
            if (i == 0) return false;
            repeated = lengths[i - 1];
            times = 3 + int(in.Bits(2));
        } else {
            times = symbol == 17 ? 3 + int(in.Bits(3)) : 11 + int(in.Bits(7));
        }
        if (i + times > literalCount + distanceCount) return false;
        std::fill(lengths + i, lengths + i + times, repeated);
        i += times;
    }
    if (lengths[kEndOfBlock] == 0) return false;
    HuffmanCode literals, distances;
    if (!Build(literals, lengths, literalCount) || !Build(distances, lengths + literalCount, distanceCount)) return false;
    return SkipCodes(in, literals, distances);
}

bool SkipStored(BitReader& in) {
    in.SkipToByte();
    const uint32_t length = in.Bits(16), inverse = in.Bits(16);
    if ((length ^ 0xFFFFu) != inverse) return false;
    in.SkipBytes(length);
    return true;
}

void PutBits(std::vector<uint8_t>& out, uint64_t& bit, uint32_t value, int n) {
    for (int i = 0; i < n; ++i, ++bit) {
        if ((bit & 7) == 0) out.push_back(0);
        out.back() |= uint8_t(((value >> i) & 1) << (bit & 7));
    }
}

}  // namespace

bool FindFinalBlock(DeflateSegment& segment) {
    BitReader in(segment.bytes);
    for (;;) {
        const uint64_t start = in.At();
        const bool final = in.Bits(1) != 0;
        bool ok = false;
        switch (in.Bits(2)) {
        case kStored: ok = SkipStored(in); break;
        case kFixed: ok = SkipFixed(in); break;
        case kDynamic: ok = SkipDynamic(in); break;
        default: break;
        }
        if (!ok || in.Failed()) return false;
        if (final) {
            segment.finalBlockBit = start;
            segment.endBit = in.At();
            return true;
        }
    }
}

void AppendSegment(std::vector<uint8_t>& out, const DeflateSegment& segment, bool last) {
    const size_t start = out.size();
    out.insert(out.end(), segment.bytes.begin(), segment.bytes.begin() + (segment.endBit + 7) / 8);
    if (last) return;
    out[start + segment.finalBlockBit / 8] &= uint8_t(~(1u << (segment.finalBlockBit % 8)));
    // The bits after the last block are the empty stored block's: not final,
    // type stored, then zeros up to the byte boundary, then lengths 0 and ~0.
    uint64_t bit = segment.endBit;
    if (bit % 8) out.back() &= uint8_t((1u << (bit % 8)) - 1);
    PutBits(out, bit, kStored << 1, 3);
    const uint8_t lengths[4] = {0, 0, 0xFF, 0xFF};
    out.insert(out.end(), lengths, lengths + 4);
}

}  // namespace imprinta::picture
