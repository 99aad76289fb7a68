// The command tests run inside a started Runtime whose application header
// names the real library table, so every library is told RuntimeNotify.
#include <gtest/gtest.h>
#include "runtime/core/libraries.h"
#include "runtime/core/runtime_interface.h"

namespace {

alignas(4) const uint8_t kConstants[16] = {0, 1, 0, 0, 0, 0, 0, 0, 0};

const ApplicationHeader kHeader = {
    3, 0, 100, 0, kConstants, sizeof kConstants, nullptr, 0, kLibraryCount, LibraryTable, 0, nullptr, nullptr,
};

int IMPRINTA_CDECL Start() {
    CallRuntimeService(kServiceStartRuntime);
    return RUN_ALL_TESTS();
}

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    return RuntimeProcessEntry(&kHeader, Start);
}
