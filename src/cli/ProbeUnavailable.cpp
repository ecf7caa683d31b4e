#include "CliSupport.h"
#include "Commands.h"

int RunProbeCommand(const TArguments&)
{
    return Fail("Tests am Router sind in dieser Ausgabe von routersdat nicht verfügbar.");
}
