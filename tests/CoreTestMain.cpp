#include "WMsgBox.h"

#include <gtest/gtest.h>

// The core tests' main. Messages go to standard error, so that no test ever
// waits for a message box, on Windows neither.
int main(int argc, char** argv)
{
    SetMessageBoxFunction(ConsoleMessageBox);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
