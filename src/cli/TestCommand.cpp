#include "CliSupport.h"
#include "Commands.h"

int RunTestCommand(const QStringList&)
{
    return Fail(QStringLiteral("the test command is not available yet"));
}
