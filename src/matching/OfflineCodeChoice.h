#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

// Texts of the offline page that the online pages seem to lack, best first,
// at most `most`: words and pairs of neighbouring words (spaces are gone, so
// a word may be a whole sentence). Distinctive texts come first: visible,
// fixed text that tells the state ("Ihr Modem ist offline"), long before
// short, near `near` (a place in the offline page where its state most
// likely shows) before far, and words common in any page last. Then the
// shortest texts around the first and the last difference of the pages.
// All pages are prepared; the texts view into the offline page. Memory
// stays within about the size of the pages. The caller checks each text
// with the page test.
std::vector<std::string_view> OfflineCodeCandidates(const std::vector<std::string_view>& onlinePages,
                                                    std::string_view offlinePage, std::size_t most,
                                                    std::optional<std::size_t> near);
