// Entry point of every Windows test program: the test thread lives in a single-threaded
// apartment, as a page's thread does.
#include <gtest/gtest.h>

#include "com_test.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new testing_support::ComEnvironment);
    return RUN_ALL_TESTS();
}
