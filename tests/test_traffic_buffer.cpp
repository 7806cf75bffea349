#include "comm/traffic_buffer.h"
#include "harness.h"

#include <gtest/gtest.h>

TEST(Smoke, Builds) {
    ASSERT_TRUE(traffic_allocate());
    traffic_free();
}
