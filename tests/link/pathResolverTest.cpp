#include "pathResolver.h"

#include <gtest/gtest.h>
#include <stdlib.h>

namespace {

class RootVariable {
public:
    explicit RootVariable(const char* value) {
        if (value == nullptr) {
            ::unsetenv(platform::kRootVariable);
        } else {
            ::setenv(platform::kRootVariable, value, 1);
        }
    }
    ~RootVariable() { ::unsetenv(platform::kRootVariable); }
};

TEST(PathResolver, WithoutARootPathsStandAsWritten) {
    RootVariable root(nullptr);
    EXPECT_EQ(platform::rootDirectory(), "");
    EXPECT_EQ(platform::resolvePath("/dev/ttyAMA0"), "/dev/ttyAMA0");
    EXPECT_TRUE(platform::isInsideRoot("/etc/network/interfaces"));
    RootVariable empty("");
    EXPECT_EQ(platform::resolvePath("/boot/cmdline.txt"), "/boot/cmdline.txt");
}

TEST(PathResolver, UnderARootEveryAbsolutePathMovesInside) {
    RootVariable root("/tmp/zekroot.abc/");
    EXPECT_EQ(platform::rootDirectory(), "/tmp/zekroot.abc");
    EXPECT_EQ(platform::resolvePath("/dev/ttyUSB7"), "/tmp/zekroot.abc/dev/ttyUSB7");
    EXPECT_EQ(platform::resolvePath("/run/media/sda1/velmora/tester"),
              "/tmp/zekroot.abc/run/media/sda1/velmora/tester");
    EXPECT_EQ(platform::resolvePath("relative/file"), "relative/file");
    EXPECT_EQ(platform::resolvePath(""), "");
}

TEST(PathResolver, InsideRootSeesThroughDotDot) {
    RootVariable root("/tmp/zekroot.abc");
    EXPECT_TRUE(platform::isInsideRoot("/tmp/zekroot.abc"));
    EXPECT_TRUE(platform::isInsideRoot("/tmp/zekroot.abc/home/./zek710a//application"));
    EXPECT_TRUE(platform::isInsideRoot("/tmp/zekroot.abc/a/../b"));
    EXPECT_FALSE(platform::isInsideRoot("/tmp/zekroot.abc/../zekroot.abcd/x"));
    EXPECT_FALSE(platform::isInsideRoot("/tmp/zekroot.abcd"));
    EXPECT_FALSE(platform::isInsideRoot("/etc/passwd"));
    EXPECT_FALSE(platform::isInsideRoot("relative"));
    EXPECT_EQ(platform::normalisePath("/a/b/../../.."), "/");
}

}  // namespace
