// The texts that text conversion (entry point 9) shows for a unit's property
// data, in order; a font's face name comes as "face:<name>". Header only: the
// native data tests use it too.
#pragma once
#include <cstring>
#include <string>
#include <vector>
#include "runtime/base/property_stream.h"

namespace testsupport {

inline imprinta::units::ByteBuffer FontNamed(const char* face) {
    uint8_t record[imprinta::units::kFontRecordSize] = {};
    std::memcpy(record + imprinta::units::kFontFaceOffset, face, std::strlen(face));
    return imprinta::units::ByteBuffer(record, sizeof record);
}

template <typename Data>
std::vector<std::string> ConvertedTexts(Data& filled) {
    std::vector<uint8_t> stored, converted;
    std::vector<std::string> seen;
    if (!imprinta::units::SavePropertyData(filled, stored)) return {"<save failed>"};
    auto record = [](char* text, int marker, void* user) {
        static_cast<std::vector<std::string>*>(user)->push_back((marker == 1 ? "face:" : "") + std::string(text));
    };
    Data scratch;
    if (!imprinta::units::ConvertPropertyTexts(scratch, stored.data(), stored.size(), record, &seen, converted))
        return {"<convert failed>"};
    return seen;
}

}  // namespace testsupport
