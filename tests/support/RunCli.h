#pragma once

#include <string>
#include <vector>

namespace bm::test {

// What a finished child process left behind. status is the exit status
// (0-255), or 128 + signal number when the process was killed by a signal,
// or -1 when it could not be started at all.
struct CliResult {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs argv[0] (looked up in PATH when it has no '/') with the remaining
// words as its arguments, feeds stdinText to its standard input, and
// captures its standard output and error completely. No shell is involved,
// so arguments need no quoting.
CliResult RunCommand(const std::vector<std::string>& argv, const std::string& stdinText = {});

// The path of the built brickmelody-cli: the environment variable BM_CLI,
// else BM_DIST_DIR/brickmelody-cli, else dist/brickmelody-cli beside the
// folder of the running test program; empty when none is found.
std::string CliPath();

// Runs brickmelody-cli (CliPath()) with these arguments.
CliResult RunCli(const std::vector<std::string>& args, const std::string& stdinText = {});

} // namespace bm::test
