#include <gtest/gtest.h>
TEST(Gui, Placeholder) {}
