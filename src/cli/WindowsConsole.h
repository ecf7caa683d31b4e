#pragma once

#include <string>
#include <vector>

// Standard output and error on Windows. Output that goes to a file or a pipe
// gets the bytes unchanged: no CR is put before LF, so JSON and CR LF lines
// stay byte for byte as on other systems. Output to a console is shown in
// the console's own characters, umlauts and all, whatever its code page.
void PrepareStandardStreams();

// The arguments behind the program's name, as UTF-8.
std::vector<std::string> Utf8Arguments(int argc, wchar_t* argv[]);
