// Why a picture (or an icon directory) did not decode. Plain C++.
#pragma once

namespace imprinta::picture {

enum class DecodeError : int {
    None = 0,
    Empty,          // no bytes at all
    UnknownFormat,  // the first bytes name no format the decoder reads
    Truncated,      // the data ends inside a header, a table or a part the picture needs
    BadHeader,      // header fields that contradict the format or each other
    TooLarge,       // a size beyond the decode limits (dimensions, pixels, memory budget)
    Unsupported,    // a valid variant the decoder does not read (compression, depth, planes)
    Corrupt,        // damaged coded data (bad blocks, checksums, codes)
    NoImage,        // a container that holds no image to show
    OutOfMemory,    // the process could not allocate what a valid picture needs
};

// A short English description of each reason, for logs and test output.
constexpr const char* DecodeErrorText(DecodeError error) {
    switch (error) {
    case DecodeError::None: return "decoded";
    case DecodeError::Empty: return "no picture data";
    case DecodeError::UnknownFormat: return "unknown picture format";
    case DecodeError::Truncated: return "picture data cut short";
    case DecodeError::BadHeader: return "invalid picture header";
    case DecodeError::TooLarge: return "picture larger than the decode limits";
    case DecodeError::Unsupported: return "picture variant not supported";
    case DecodeError::Corrupt: return "damaged picture data";
    case DecodeError::NoImage: return "no image in the picture file";
    case DecodeError::OutOfMemory: return "out of memory while decoding";
    }
    return "unknown decode error";
}

}  // namespace imprinta::picture
