// qs40-cli: the instrument without the window (usage: qs40-cli --help).
#include "cli/cli_commands.h"
#include "cli/exit_codes.h"

#include <exception>
#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    try {
        return qs40::cli::runCli(args, std::cout, std::cerr, qs40::cli::currentEnvironment());
    } catch (const std::exception& e) {
        std::cerr << "qs40-cli: " << e.what() << '\n';
        return qs40::cli::kExitFailure;
    }
}
