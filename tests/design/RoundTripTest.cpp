#include <gtest/gtest.h>
TEST(RoundTrip, Placeholder) {}
