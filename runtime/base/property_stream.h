// The stored property data of a unit: a versioned little-endian stream.
// Plain C++ (no Windows headers): host tools, tests and fuzzers use it too.
//
// One Serialize(PropertyArchive&) per property data type serves loading,
// saving and text conversion:
//
//   bool EditBoxData::Serialize(PropertyArchive& ar) {
//       if (!ar.Version(3)) return false;          // refuses stored versions above 3
//       ar.Text(content); ar.Int(border); ar.Font(font);
//       if (ar.version() >= 2) ar.Colour(textColour);   // added in version 2
//       return ar.ok();
//   }
//
// Loading always starts from Reset(), so fields that an older stored version
// lacks keep their defaults. Every read is checked against the remaining bytes:
// a short or inconsistent stream makes ok() false and leaves the field alone.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>
#include "runtime/base/byte_buffer.h"
#include "runtime/base/byte_reader.h"

namespace imprinta::units {

// Called for every text of the data during conversion; may rewrite bytes in
// place but not the length. marker: 1 for a font's face name, 0 otherwise.
typedef void (*TextVisitor)(char* text, int marker, void* user);

class PropertyArchive {
public:
    // Load from bytes (not copied; must outlive the archive).
    static PropertyArchive ForLoad(const uint8_t* data, size_t size);
    // Save into an internal growable buffer.
    static PropertyArchive ForSave();

    bool loading() const { return loading_; }
    bool ok() const { return ok_; }
    // The stored version while loading (after Version()), the current one while saving.
    uint32_t version() const { return version_; }

    // First field of every stream. Loading fails when the stored version is
    // above current.
    bool Version(uint32_t current);

    bool Int(int32_t& v);
    bool UInt(uint32_t& v);
    bool Bool(bool& v);          // 32-bit, stored as 1/0, any non-zero reads true
    bool Flags16(uint16_t& v);   // 16-bit
    bool Colour(uint32_t& v) { return UInt(v); }
    bool Double(double& v);      // 8 bytes
    bool Text(std::string& v);   // counted, no terminator
    bool Data(ByteBuffer& v);    // counted bytes; 0 = no data
    bool Font(ByteBuffer& v);    // counted bytes (a 60-byte font record or nothing)
    // A list of texts: count, then each text.
    bool TextList(std::vector<std::string>& v);

    // Saving: the bytes written so far.
    const std::vector<uint8_t>& bytes() const { return out_; }
    std::vector<uint8_t> TakeBytes() { return std::move(out_); }
    // Loading: bytes not yet consumed.
    size_t remaining() const { return in_.Remaining(); }

    // Upper bound on a single counted field while loading (guards absurd counts
    // even within large data). Default 64 MiB.
    static constexpr uint32_t kMaxCount = 64u << 20;

private:
    PropertyArchive() = default;
    bool Raw(void* p, size_t n);
    template <typename T>
    bool Word(T& v);  // a 16- or 32-bit little-endian field
    // Saving: appends the bytes. Loading: false (and failed) when n bytes are not there.
    bool Counted(uint32_t n, std::span<const uint8_t>& bytes);
    bool Fail() { ok_ = false; return false; }

    bool loading_ = false;
    bool ok_ = true;
    uint32_t version_ = 0;
    ByteReader in_;
    std::vector<uint8_t> out_;
};

// One text that text conversion shows: a text field, or the face name inside a
// font record (shown only when the record is a whole 60-byte font).
struct ConvertibleText {
    std::string* text = nullptr;
    ByteBuffer* font = nullptr;
};

// What every unit type's property data object provides.
class PropertyData {
public:
    virtual ~PropertyData() = default;
    virtual void Reset() = 0;
    virtual bool Serialize(PropertyArchive& ar) = 0;
    // The texts text conversion visits, in the order the unit type gives
    // (content or caption first, then the font's face name, ...).
    virtual std::vector<ConvertibleText> ConvertibleTexts() { return {}; }
};

// Reset, then load. Empty input (size < 1) keeps the defaults and succeeds.
bool LoadPropertyData(PropertyData& data, const uint8_t* bytes, size_t size);
// Serialized form; false on a serializer failure.
bool SavePropertyData(PropertyData& data, std::vector<uint8_t>& out);
// Load, show every text of ConvertibleTexts() to the visitor in its order (empty
// ones too), save again. False when loading fails.
bool ConvertPropertyTexts(PropertyData& data, const uint8_t* bytes, size_t size, TextVisitor visitor,
                          void* user, std::vector<uint8_t>& out);

// Size of a font record and the offset of its face name (LOGFONTA layout).
constexpr size_t kFontRecordSize = 60;
constexpr size_t kFontFaceOffset = 28;
constexpr size_t kFontFaceSize = 32;

}  // namespace imprinta::units
