#pragma once

#include <string>
#include <vector>

// Each command gets the arguments behind its name and returns the exit
// status of the tool.
using TArguments = std::vector<std::string>;

int RunDumpCommand(const TArguments& arguments);
int RunConvertCommand(const TArguments& arguments);
int RunNamesCommand(const TArguments& arguments);
int RunTestCommand(const TArguments& arguments);
int RunMergeCommand(const TArguments& arguments);
int RunDiffCommand(const TArguments& arguments);
int RunPackCommand(const TArguments& arguments);
int RunSuggestCommand(const TArguments& arguments);
int RunProbeCommand(const TArguments& arguments);
