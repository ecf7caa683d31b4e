#pragma once

#include "RouterList.h"

#include <string>

// The router names of the list in list order as a text file: each name
// followed by CR LF, the last one too, as Windows-1252 bytes. An empty list
// gives an empty text.
std::string RouterNamesText(const TRouterList& list);
