// Raw deflate streams packed apart (bands of a picture's rows, each on its own
// thread or kept from an earlier packing) joined into one stream. A stream's
// last block carries the final mark; to let another stream follow, that mark
// is cleared and an empty stored block is put after the last block, which
// brings the next stream to a byte boundary. Where the last block begins and
// where it ends is found by walking the stream's blocks. Plain C++.
#pragma once
#include <cstdint>
#include <span>
#include <vector>

namespace imprinta::picture {

// A raw deflate stream and where, in bits, its last block begins and ends.
struct DeflateSegment {
    std::vector<uint8_t> bytes;
    uint64_t finalBlockBit = 0;
    uint64_t endBit = 0;
};

// Fills in the last block's place; false when the bytes are not one whole
// deflate stream (damaged or cut short).
bool FindFinalBlock(DeflateSegment& segment);

// Appends the segment to out, which holds whole bytes of streams joined so
// far; unless it is the last, it is left open for another to follow.
void AppendSegment(std::vector<uint8_t>& out, const DeflateSegment& segment, bool last);

}  // namespace imprinta::picture
