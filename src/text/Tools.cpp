#include "Tools.h"

std::string TMyTools::RemoveSpaces(std::string_view text) const
{
    std::string result;
    result.reserve(text.size());
    for (char c : text) {
        if (c != ' ')
            result += c;
    }
    return result;
}

const TMyTools& Tools()
{
    static const TMyTools instance;
    return instance;
}
