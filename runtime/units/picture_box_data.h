// Picture box property data. Plain C++ (no Windows headers).
#pragma once
#include <cstdint>
#include <string>
#include "runtime/base/byte_buffer.h"
#include "runtime/base/property_stream.h"

namespace imprinta::units {

// Unit-relative property numbers (the application's index minus 8). The
// picture box has no events of its own.
enum PicBoxProperty : int {
    kPicBoxBorder = 0,
    kPicBoxBackColor,
    kPicBoxPicture,
    kPicBoxDisplayMode,
    kPicBoxAnimate,
    kPicBoxDataSource,
    kPicBoxDataColumn,
    kPicBoxPropertyCount
};

// How the picture box shows its picture.
enum PicBoxDisplayMode : int32_t {
    kPicBoxOwnSize = 0,   // own size at the top-left corner
    kPicBoxStretched,     // stretched over the client area
    kPicBoxCentred,       // centred, shrunk to fit keeping the aspect ratio
    kPicBoxFitted,        // centred, shrunk or enlarged to fit keeping the aspect ratio
    kPicBoxLastDisplayMode = kPicBoxFitted
};

struct PicBoxData : PropertyData {
    int32_t border = 0;
    uint32_t backColour = 0xFF000000u;  // button face
    int32_t displayMode = kPicBoxOwnSize;
    bool animate = true;
    ByteBuffer picture;                 // picture file bytes, kept even when undecodable
    std::string dataSource;
    std::string dataColumn;
    void Reset() override;
    bool Serialize(PropertyArchive& ar) override;
    std::vector<ConvertibleText> ConvertibleTexts() override { return {{&dataSource}, {&dataColumn}}; }
};

}  // namespace imprinta::units
