#pragma once

#include <string>
#include <string_view>

class TMyTools {
public:
    // The text without any space byte (0x20); all other bytes stay.
    std::string RemoveSpaces(std::string_view text) const;
};

// The one shared instance.
const TMyTools& Tools();
