#include <gtest/gtest.h>
#include "runtime/core/blocks.h"
#include "runtime/core/runtime_interface.h"
TEST(Placeholder, Builds) { EXPECT_EQ(nullptr, imprinta::CopyText("")); }
