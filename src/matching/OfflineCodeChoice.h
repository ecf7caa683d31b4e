#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

// Texts of the offline page that the online page seems to lack, best first,
// at most `most`: single words and pairs of neighbouring words, fixed and
// visible text first, short before long, and near `near` (a place in the
// offline page where its state most likely shows) before far; then the
// shortest texts around the first and the last difference of the two pages.
// Both pages are prepared; the texts view into the offline page. The caller
// checks each with the page test.
std::vector<std::string_view> OfflineCodeCandidates(std::string_view onlinePage,
                                                    std::string_view offlinePage, std::size_t most,
                                                    std::optional<std::size_t> near);
