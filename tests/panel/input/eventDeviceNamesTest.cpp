// The input devices sysInit looks through for the rotary encoder.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "rotaryInput.h"
#include "tempRoot.h"

namespace {

TEST(EventDeviceNames, EveryEventEntryCountsInVersionOrder) {
    TempRoot root(false);
    const std::string input = root / "dev/input";
    std::filesystem::create_directories(input);
    for (const char* name : {"event10", "event2", "event0", "mouse0"}) {
        root.writeFile(std::string("dev/input/") + name, "");
    }
    // The stand-in's name file is not a device.
    root.writeFile("dev/input/event0.name", "rotary@10\n");
    // An entry the process cannot read is still a device. A link to a node that has gone can be
    // read by nobody, root included.
    ASSERT_EQ(::symlink((root / "gone").c_str(), (input + "/event3").c_str()), 0);

    EXPECT_EQ(eventDeviceNames(QString::fromStdString(input)).join(' ').toStdString(),
              "event0 event2 event3 event10");
}

}  // namespace
