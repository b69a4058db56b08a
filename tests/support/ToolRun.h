#pragma once

#include <string>

namespace testing_support {

/// What a program printed (standard output and error together) and how it ended.
struct ToolRun {
    int exitCode;
    std::string output;
};

/// Runs a shell command line and collects its output; exit code -1 when it did not exit.
ToolRun RunTool(const std::string& commandLine);

} // namespace testing_support
