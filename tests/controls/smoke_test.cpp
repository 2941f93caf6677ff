#include <gtest/gtest.h>
TEST(Harness, Links) { SUCCEED(); }
