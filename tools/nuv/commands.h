// Subcommands of the nuv tool. Each takes the arguments after its name and
// returns the process exit code; errors go to stderr.
#pragma once

#include <string>
#include <vector>

namespace nuv::tool {

int RunDemo(const std::vector<std::string>& args);

}  // namespace nuv::tool
