#include "Collation.h"

#include <cstdlib>

std::string UserCollationLocale()
{
    for (const char* variable : {"LC_ALL", "LC_COLLATE", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value && *value)
            return value;
    }
    return SystemCollationLocale();
}

const TCollator& UserCollator()
{
    static const TCollator collator(UserCollationLocale());
    return collator;
}
