#pragma once

// Copies the bytes of [in, end) to out, leaving out every space and, with
// lineBreaksToo, every LF, CR and TAB. out is in itself or lags behind it in
// the same buffer. Returns the new end of out.
char* CopyWithoutBlanks(const char* in, const char* end, char* out, bool lineBreaksToo);
