#include "remoteAction.h"

#include <gtest/gtest.h>

namespace {

using automation::actionKind;

TEST(AutomationActions, TheBodiesTakenAndWhatTheyAsk) {
    struct accepted {
        const char* name;
        const char* body;
        actionKind kind;
        int camera;
        int preset;
    };
    const accepted table[] = {
        {"select", R"({"camera":1})", actionKind::selectCamera, 1, 0},
        {"select", R"({"camera":24})", actionKind::selectCamera, 24, 0},
        {"recall", R"({"preset":1})", actionKind::recallPreset, 0, 1},
        {"recall", R"({"camera":13,"preset":128})", actionKind::recallPreset, 13, 128},
        {"store", R"( {"preset": 7.0, "camera": 2} )", actionKind::storePreset, 2, 7},
        {"stop", "", actionKind::stopAll, 0, 0},
        {"stop", "{}", actionKind::stopAll, 0, 0},
    };
    for (const accepted& a : table) {
        const auto parsed = automation::parseAction(a.name, a.body);
        ASSERT_TRUE(parsed.action) << a.name << " " << a.body << ": " << parsed.error.toStdString();
        EXPECT_EQ(parsed.action->kind, a.kind) << a.body;
        EXPECT_EQ(parsed.action->camera, a.camera) << a.body;
        EXPECT_EQ(parsed.action->preset, a.preset) << a.body;
    }
}

TEST(AutomationActions, BadBodiesAreRefusedWithTheReason) {
    struct refused {
        const char* name;
        QByteArray body;
        const char* reason;
    };
    const refused table[] = {
        {"select", "", "the body must be one JSON object"},
        {"select", "{\"camera\":", "the body must be one JSON object"},
        {"select", "[1]", "the body must be one JSON object"},
        {"select", QByteArray("{\"camera\":1}\0", 13), "the body must be one JSON object"},
        {"select", "{}", "\"camera\" is missing"},
        {"select", R"({"camera":0})", "\"camera\" must be a whole number from 1 to 24"},
        {"select", R"({"camera":25})", "\"camera\" must be a whole number from 1 to 24"},
        {"select", R"({"camera":1.5})", "\"camera\" must be a whole number from 1 to 24"},
        {"select", R"({"camera":"3"})", "\"camera\" must be a whole number from 1 to 24"},
        {"select", R"({"camera":1e300})", "\"camera\" must be a whole number from 1 to 24"},
        {"select", R"({"camera":1,"preset":2})", "unknown field \"preset\""},
        {"recall", R"({"camera":1})", "\"preset\" is missing"},
        {"recall", R"({"preset":0})", "\"preset\" must be a whole number from 1 to 128"},
        {"store", R"({"preset":129})", "\"preset\" must be a whole number from 1 to 128"},
        {"recall", R"({"preset":null})", "\"preset\" must be a whole number from 1 to 128"},
        {"recall", R"({"preset":3,"speed":1})", "unknown field \"speed\""},
        {"stop", R"({"camera":1})", "unknown field \"camera\""},
        {"reboot", "{}", "no such action"},
    };
    for (const refused& r : table) {
        const auto parsed = automation::parseAction(r.name, r.body);
        EXPECT_FALSE(parsed.action) << r.name << " " << r.body.toStdString();
        EXPECT_EQ(parsed.error.toStdString(), r.reason) << r.body.toStdString();
    }
}

}  // namespace
