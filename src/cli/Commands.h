#pragma once

#include <QStringList>

// Each command gets its own name as the first argument and returns the exit
// status of the tool.
int RunDumpCommand(const QStringList& arguments);
int RunConvertCommand(const QStringList& arguments);
int RunNamesCommand(const QStringList& arguments);
int RunTestCommand(const QStringList& arguments);
