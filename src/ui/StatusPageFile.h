#pragma once

#include <QString>

#include <string>

// The whole of a saved status page, as the test tab reads it; an error
// (German, Windows-1252) when the file cannot be read.
std::string ReadStatusPageFile(const QString& fileName);
