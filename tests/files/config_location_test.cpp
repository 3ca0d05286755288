#include "files/config_location.h"

#include <gtest/gtest.h>

namespace qs40 {
namespace {

struct LocationCase {
    const char* name;
    const char* executable;
    ConfigLocationEnvironment environment;
    const char* expected;
};
void PrintTo(const LocationCase& c, std::ostream* os) {
    *os << c.name;
}

class ConfigLocation : public ::testing::TestWithParam<LocationCase> {};

TEST_P(ConfigLocation, FollowsTheExecutableAndTheEnvironment) {
    EXPECT_EQ(configurationFilePath(GetParam().executable, GetParam().environment).string(),
              GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Path, ConfigLocation,
                         ::testing::Values(LocationCase{"BesideAWritableExecutable",
                                                        "/opt/qs40/qs40",
                                                        {true, "/x", "/home/u"},
                                                        "/opt/qs40/qs40.ini"},
                                           LocationCase{"ARenamedExecutableHasItsOwnFile",
                                                        "/opt/qs40/scope2.bin",
                                                        {true, "", ""},
                                                        "/opt/qs40/scope2.ini"},
                                           LocationCase{"XdgConfigHomeForAnInstalledProgram",
                                                        "/usr/bin/qs40",
                                                        {false, "/home/u/.cfg", "/home/u"},
                                                        "/home/u/.cfg/qs40/qs40.ini"},
                                           LocationCase{"HomeConfigWithoutXdg",
                                                        "/usr/bin/qs40",
                                                        {false, "", "/home/u"},
                                                        "/home/u/.config/qs40/qs40.ini"},
                                           LocationCase{"ARelativeXdgValueIsIgnored",
                                                        "/usr/bin/qs40",
                                                        {false, "rel/cfg", "/home/u"},
                                                        "/home/u/.config/qs40/qs40.ini"},
                                           LocationCase{"NoHomeAtAllStaysBeside",
                                                        "/usr/bin/qs40",
                                                        {false, "", ""},
                                                        "/usr/bin/qs40.ini"}),
                         [](const ::testing::TestParamInfo<LocationCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(ConfigLocation, TheRunningExecutableIsFound) {
    const auto exe = executablePath();
    EXPECT_EQ(exe.filename(), "config_location_tests");
    EXPECT_EQ(configurationFilePath(exe).filename(), "config_location_tests.ini");
    EXPECT_EQ(applicationTitle(exe), "config_location_tests");
}

} // namespace
} // namespace qs40
