#include "app/resources/stored_resources.h"
#include "app/skin/skin_format.h"

namespace {
// Warm paper-grey window, near-white fields, slate text, teal captions.
constexpr skin::Colours kColours = {
    0x00ECF1F3,  // window background #F3F1EC
    0x00F8FBFC,  // control face      #FCFBF8
    0x00362F2B,  // text              #2B2F36
    0x008B6F1F,  // accent            #1F6F8B
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
