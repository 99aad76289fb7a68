#include "app/resources/stored_resources.h"
#include "app/skin/skin_format.h"

namespace {
// Warm paper-grey window, near-white fields, slate text, teal accents; flat
// buttons in a cool grey-teal with a thin grey border and small rounded corners.
constexpr skin::Colours kColours = {
    0x00ECF1F3,  // window background  #F3F1EC
    0x00F8FBFC,  // control face       #FCFBF8
    0x00362F2B,  // text               #2B2F36
    0x008B6F1F,  // accent             #1F6F8B
    0x00EFECE4,  // button face        #E4ECEF
    0x00EAE4D3,  // button hot         #D3E4EA
    0x00DCD3B9,  // button pressed     #B9D3DC
    0x00C4BDB7,  // border             #B7BDC4
    0x00A6A09A,  // disabled text      #9AA0A6
    4,           // corner radius
    1,           // border width
};
constexpr char kName[] = "Imprinta Paper";
constexpr auto kSkin = skin::Build<skin::ResourceSize(sizeof kName - 1)>(kColours, kName);
}  // namespace

// The byte set {1, length, resource}, built at compile time.
struct alignas(4) SkinResourceBlock {
    uint32_t one;
    uint32_t length;
    uint8_t bytes[kSkin.size()];
};
static_assert(sizeof(SkinResourceBlock) == 8 + kSkin.size(), "byte set without padding");

static constexpr SkinResourceBlock MakeSkinResourceBlock() {
    SkinResourceBlock block{1, static_cast<uint32_t>(kSkin.size()), {}};
    for (size_t i = 0; i < kSkin.size(); ++i) block.bytes[i] = kSkin[i];
    return block;
}

extern "C" {
extern const SkinResourceBlock SkinResourceBlockData;
const SkinResourceBlock SkinResourceBlockData = MakeSkinResourceBlock();
}
// SkinResource names the same bytes as a plain byte array.
asm(".globl _SkinResource\n.set _SkinResource, _SkinResourceBlockData");
