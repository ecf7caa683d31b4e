// Writes the sample routers file that the screenshots show:
//   make-ui-sample <path>
#include "RouterFile.h"
#include "UiTestSupport.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <path>\n", argv[0]);
        return 2;
    }
    TRouterList routers = SampleRouters();
    return SaveRouterList(routers, argv[1]) ? 0 : 1;
}
