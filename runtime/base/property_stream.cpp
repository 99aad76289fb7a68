// Versioned little-endian property data stream.
#include "runtime/base/property_stream.h"
#include <cstring>

namespace imprinta::units {

PropertyArchive PropertyArchive::ForLoad(const uint8_t* data, size_t size) {
    PropertyArchive ar;
    ar.loading_ = true;
    ar.in_ = data;
    ar.size_ = data ? size : 0;
    return ar;
}

PropertyArchive PropertyArchive::ForSave() { return PropertyArchive(); }

bool PropertyArchive::Raw(void* p, size_t n) {
    if (!ok_) return false;
    if (loading_) {
        if (n > size_ - pos_) return Fail();
        std::memcpy(p, in_ + pos_, n);
        pos_ += n;
    } else {
        const uint8_t* b = static_cast<const uint8_t*>(p);
        out_.insert(out_.end(), b, b + n);
    }
    return true;
}

// Values are little-endian on every machine this builds for (x86 and x86-64);
// the byte-wise helpers keep the format independent of that anyway.
static uint32_t Le32(const uint8_t* b) {
    return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
}
static void PutLe32(uint8_t* b, uint32_t v) {
    b[0] = uint8_t(v);
    b[1] = uint8_t(v >> 8);
    b[2] = uint8_t(v >> 16);
    b[3] = uint8_t(v >> 24);
}

bool PropertyArchive::UInt(uint32_t& v) {
    uint8_t b[4];
    if (!loading_) PutLe32(b, v);
    if (!Raw(b, 4)) return false;
    if (loading_) v = Le32(b);
    return true;
}

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

bool PropertyArchive::Flags16(uint16_t& v) {
    uint8_t b[2] = {uint8_t(v), uint8_t(v >> 8)};
    if (!Raw(b, 2)) return false;
    if (loading_) v = static_cast<uint16_t>(b[0] | b[1] << 8);
    return true;
}

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
        if (!UInt(n)) return false;
        if (n > kMaxCount || n > size_ - pos_) return Fail();
        v.assign(reinterpret_cast<const char*>(in_ + pos_), n);
        pos_ += n;
        return true;
    }
    if (v.size() > 0xFFFFFFFFu) return Fail();
    uint32_t n = static_cast<uint32_t>(v.size());
    return UInt(n) && Raw(v.data(), n);
}

bool PropertyArchive::Data(ByteBuffer& v) {
    if (loading_) {
        uint32_t n = 0;
        if (!UInt(n)) return false;
        if (n > kMaxCount || n > size_ - pos_) return Fail();
        v.Assign(in_ + pos_, n);
        pos_ += n;
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
        if (n > (size_ - pos_) / 4) return Fail();
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
