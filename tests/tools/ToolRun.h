#pragma once

#include <string>

/// What a command-line tool printed (standard output and error together) and its exit code.
struct ToolRun {
    int exitCode;
    std::string output;
};

/// Runs a shell command and waits for it.
ToolRun RunCommand(const std::string& command);
