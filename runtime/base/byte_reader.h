// Bounds-checked reading of stored little-endian data (picture headers, icon
// directories, form templates, property streams, the skin resource).
//
// A read past the end fails instead of touching memory: it returns 0 (or an
// empty span), leaves the position alone and sets a failure flag that stays
// set, so a parser can read a whole header and check ok() once. Plain C++ and
// constexpr: host tools, the skin library and compile-time checks use it too.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>

namespace imprinta {

class ByteReader {
public:
    constexpr ByteReader() = default;
    constexpr explicit ByteReader(std::span<const uint8_t> data) : data_(data) {}
    constexpr ByteReader(const uint8_t* data, size_t size) : data_(data, data ? size : 0) {}

    constexpr bool ok() const { return ok_; }
    constexpr size_t Position() const { return pos_; }
    constexpr size_t Remaining() const { return data_.size() - pos_; }
    constexpr size_t Size() const { return data_.size(); }
    // Whether n more bytes are there (never fails the reader).
    constexpr bool Has(size_t n) const { return n <= Remaining(); }

    constexpr uint8_t ReadU8() { return Fits(1) ? data_[pos_++] : 0; }
    constexpr uint16_t ReadU16() {
        if (!Fits(2)) return 0;
        uint16_t v = uint16_t(data_[pos_] | data_[pos_ + 1] << 8);
        pos_ += 2;
        return v;
    }
    constexpr uint32_t ReadU32() {
        if (!Fits(4)) return 0;
        uint32_t v = uint32_t(data_[pos_]) | uint32_t(data_[pos_ + 1]) << 8 | uint32_t(data_[pos_ + 2]) << 16 |
                     uint32_t(data_[pos_ + 3]) << 24;
        pos_ += 4;
        return v;
    }
    constexpr int32_t ReadI32() { return static_cast<int32_t>(ReadU32()); }
    // Big-endian fields of the formats that store them (JPEG, PNG).
    constexpr uint16_t ReadU16Be() {
        if (!Fits(2)) return 0;
        uint16_t v = uint16_t(data_[pos_] << 8 | data_[pos_ + 1]);
        pos_ += 2;
        return v;
    }
    constexpr uint32_t ReadU32Be() {
        if (!Fits(4)) return 0;
        uint32_t v = uint32_t(data_[pos_]) << 24 | uint32_t(data_[pos_ + 1]) << 16 | uint32_t(data_[pos_ + 2]) << 8 |
                     uint32_t(data_[pos_ + 3]);
        pos_ += 4;
        return v;
    }
    // The next n bytes, or an empty span (and failure) when fewer are left.
    constexpr std::span<const uint8_t> ReadBytes(size_t n) {
        if (!Fits(n)) return {};
        std::span<const uint8_t> s = data_.subspan(pos_, n);
        pos_ += n;
        return s;
    }
    // Everything from the position to the end.
    constexpr std::span<const uint8_t> ReadRest() { return ReadBytes(Remaining()); }
    constexpr void Skip(size_t n) {
        if (Fits(n)) pos_ += n;
    }
    // Moves to an absolute offset; past the end fails.
    constexpr void Seek(size_t offset) {
        if (offset > data_.size()) ok_ = false;
        else pos_ = offset;
    }
    // A reader over the next n bytes, advancing past them (failing when they are not there).
    constexpr ByteReader Sub(size_t n) { return ByteReader(ReadBytes(n)); }

private:
    constexpr bool Fits(size_t n) {
        if (n <= Remaining()) return true;
        ok_ = false;
        return false;
    }
    std::span<const uint8_t> data_;
    size_t pos_ = 0;
    bool ok_ = true;
};

// One field at a fixed offset of data known to be long enough (checked by the
// caller, e.g. a row inside a checked pixel area): 0 when it is not.
constexpr uint16_t LoadU16(std::span<const uint8_t> data, size_t offset) {
    return offset <= data.size() ? ByteReader(data.subspan(offset)).ReadU16() : 0;
}
constexpr uint32_t LoadU32(std::span<const uint8_t> data, size_t offset) {
    return offset <= data.size() ? ByteReader(data.subspan(offset)).ReadU32() : 0;
}

}  // namespace imprinta
