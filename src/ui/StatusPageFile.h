#pragma once

#include <QString>

#include <string>

// The whole of a saved status page, as the test tab reads it; an error
// (German) when the file cannot be read.
std::string ReadStatusPageFile(const QString& fileName);
