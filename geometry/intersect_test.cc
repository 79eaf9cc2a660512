#include "geometry/intersect.h"

#include <gtest/gtest.h>
TEST(Intersect, Placeholder) {}
