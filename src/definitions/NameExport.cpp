#include "NameExport.h"

std::string RouterNamesText(const TRouterList& list)
{
    std::size_t size = 0;
    for (int i = 0; i < list.Count(); ++i)
        size += list.Name(i).size() + 2;
    std::string text;
    text.reserve(size);
    for (int i = 0; i < list.Count(); ++i)
        text.append(list.Name(i)).append("\r\n");
    return text;
}
