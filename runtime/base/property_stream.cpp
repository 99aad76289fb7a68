// Versioned little-endian property data stream.
#include "runtime/base/property_stream.h"
#include <cstring>

namespace imprinta::units {

PropertyArchive PropertyArchive::ForLoad(const uint8_t* data, size_t size) {
    PropertyArchive ar;
    ar.loading_ = true;
    ar.in_ = ByteReader(data, size);
    return ar;
}

PropertyArchive PropertyArchive::ForSave() { return PropertyArchive(); }

bool PropertyArchive::Raw(void* p, size_t n) {
    if (!ok_) return false;
    if (loading_) {
        std::span<const uint8_t> b = in_.ReadBytes(n);
        if (!in_.ok()) return Fail();
        if (n) std::memcpy(p, b.data(), n);
    } else {
        const uint8_t* b = static_cast<const uint8_t*>(p);
        out_.insert(out_.end(), b, b + n);
    }
    return true;
}

bool PropertyArchive::Counted(uint32_t n, std::span<const uint8_t>& bytes) {
    if (n > kMaxCount) return Fail();
    bytes = in_.ReadBytes(n);
    return in_.ok() || Fail();
}

// Values are stored little-endian whatever the machine: written byte by byte,
// read through the byte reader.
template <typename T>
bool PropertyArchive::Word(T& v) {
    static_assert(sizeof(T) == 2 || sizeof(T) == 4);
    if (!ok_) return false;
    if (!loading_) {
        uint8_t b[sizeof(T)];
        for (size_t i = 0; i < sizeof(T); ++i) b[i] = uint8_t(v >> (8 * i));
        return Raw(b, sizeof(T));
    }
    const T read = sizeof(T) == 4 ? T(in_.ReadU32()) : T(in_.ReadU16());
    if (!in_.ok()) return Fail();
    v = read;
    return true;
}

bool PropertyArchive::UInt(uint32_t& v) { return Word(v); }

bool PropertyArchive::Int(int32_t& v) {
    uint32_t u = static_cast<uint32_t>(v);
    if (!UInt(u)) return false;
    v = static_cast<int32_t>(u);
    return true;
}

bool PropertyArchive::Bool(bool& v) {
    uint32_t u = v ? 1 : 0;
    if (!UInt(u)) return false;
    v = u != 0;
    return true;
}

bool PropertyArchive::Flags16(uint16_t& v) { return Word(v); }

bool PropertyArchive::Double(double& v) {
    uint64_t bits;
    std::memcpy(&bits, &v, 8);
    uint32_t lo = uint32_t(bits), hi = uint32_t(bits >> 32);
    if (!UInt(lo) || !UInt(hi)) return false;
    bits = uint64_t(hi) << 32 | lo;
    std::memcpy(&v, &bits, 8);
    return true;
}

bool PropertyArchive::Version(uint32_t current) {
    if (loading_) {
        uint32_t stored = 0;
        if (!UInt(stored)) return false;
        if (stored > current) return Fail();
        version_ = stored;
        return true;
    }
    version_ = current;
    return UInt(current);
}

bool PropertyArchive::Text(std::string& v) {
    if (loading_) {
        uint32_t n = 0;
        std::span<const uint8_t> bytes;
        if (!UInt(n) || !Counted(n, bytes)) return false;
        v.assign(reinterpret_cast<const char*>(bytes.data()), n);
        return true;
    }
    if (v.size() > 0xFFFFFFFFu) return Fail();
    uint32_t n = static_cast<uint32_t>(v.size());
    return UInt(n) && Raw(v.data(), n);
}

bool PropertyArchive::Data(ByteBuffer& v) {
    if (loading_) {
        uint32_t n = 0;
        std::span<const uint8_t> bytes;
        if (!UInt(n) || !Counted(n, bytes)) return false;
        v.Assign(bytes.data(), n);
        return true;
    }
    if (v.size() > 0xFFFFFFFFu) return Fail();
    uint32_t n = static_cast<uint32_t>(v.size());
    return UInt(n) && (n == 0 || Raw(v.data(), n));
}

bool PropertyArchive::Font(ByteBuffer& v) { return Data(v); }

bool PropertyArchive::TextList(std::vector<std::string>& v) {
    uint32_t n = static_cast<uint32_t>(v.size());
    if (!UInt(n)) return false;
    if (loading_) {
        // Each text takes at least its 4-byte count.
        if (n > in_.Remaining() / 4) return Fail();
        v.assign(n, std::string());
    }
    for (auto& s : v)
        if (!Text(s)) return false;
    return true;
}

bool LoadPropertyData(PropertyData& data, const uint8_t* bytes, size_t size) {
    data.Reset();
    if (!bytes || size < 1) return true;
    PropertyArchive ar = PropertyArchive::ForLoad(bytes, size);
    bool ok = data.Serialize(ar) && ar.ok();
    return ok;
}

bool SavePropertyData(PropertyData& data, std::vector<uint8_t>& out) {
    PropertyArchive ar = PropertyArchive::ForSave();
    if (!data.Serialize(ar) || !ar.ok()) {
        out.clear();
        return false;
    }
    out = ar.TakeBytes();
    return true;
}

namespace {

// A face name is shown as a terminated copy of its 32-byte field, so that an
// unterminated name cannot run past the record.
void VisitFaceName(ByteBuffer& font, TextVisitor visitor, void* user) {
    if (font.size() != kFontRecordSize) return;
    char face[kFontFaceSize + 1];
    std::memcpy(face, font.data() + kFontFaceOffset, kFontFaceSize);
    face[kFontFaceSize] = 0;
    visitor(face, 1, user);
    std::memcpy(font.data() + kFontFaceOffset, face, kFontFaceSize);
}


}  // namespace

bool ConvertPropertyTexts(PropertyData& data, const uint8_t* bytes, size_t size, TextVisitor visitor,
                          void* user, std::vector<uint8_t>& out) {
    if (!LoadPropertyData(data, bytes, size)) return false;
    if (visitor)
        for (const ConvertibleText& t : data.ConvertibleTexts()) {
            if (t.text) visitor(t.text->data(), 0, user);
            if (t.font) VisitFaceName(*t.font, visitor, user);
        }
    return SavePropertyData(data, out);
}

}  // namespace imprinta::units
