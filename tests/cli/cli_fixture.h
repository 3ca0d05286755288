// The fixture of the tests that run qs40-cli's commands in the test process: the program
// "lives" in a scratch folder, so its default configuration is qs40.ini there, and what a run
// prints is kept for the test to read.
#pragma once

#include "cli/cli_commands.h"

#include "cli_test_support.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace qs40::cli::testing {

class CliFixture : public ::testing::Test {
protected:
    TempFolder dir;
    CliEnvironment env{dir.path() / "qs40-cli"};
    std::ostringstream out;
    std::ostringstream err;

    std::string config() const { return dir.file("qs40.ini"); }
    std::string file(const std::string& name) const { return dir.file(name); }

    // One run; out and err hold what this run printed.
    int run(const std::vector<std::string>& args) {
        out.str("");
        err.str("");
        return runCli(args, out, err, env);
    }
};

} // namespace qs40::cli::testing
