#pragma once

#include <cstddef>
#include <functional>
#include <string_view>

// 1-based position of the first occurrence of pattern in text, ignoring the
// case of A-Z only; 0 when there is none. Both texts end at their first NUL
// byte. An empty pattern or text gives 0. Linear time, allocates nothing.
std::size_t FindTextNoCase(std::string_view pattern, std::string_view text);

// The same for the n-th occurrence (n of 0 counts as 1), counting without
// overlap: each occurrence starts behind the previous one.
std::size_t FindNthTextNoCase(std::string_view pattern, std::string_view text, std::size_t n);

// The same, calling `seen` with the 1-based position of every occurrence
// counted on the way, the n-th included, in order. With fewer than n
// occurrences it sees them all and the result is 0.
std::size_t FindNthTextNoCase(std::string_view pattern, std::string_view text, std::size_t n,
                              const std::function<void(std::size_t)>& seen);

// The text up to its first NUL byte: what a search sees of it.
std::string_view BeforeNul(std::string_view text);
