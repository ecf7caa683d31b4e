#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Candidate markers and end texts for a value at a known place of a prepared
// page. Occurrences are counted the way FindMarker counts them; the caller
// still runs the page test on every candidate before it proposes one.

struct TMarkerCandidate {
    std::string_view startText; // empty: no start directive
    std::int32_t count = 1;      // 0: the rest is the page from the start text on
    std::string_view code;       // the HTML code; views into the page
    int cost = 0;                // lower is better
};

// The marker text: the directives only where they are needed, and an
// explicit count where the code holds a brace, so that it is searched
// literally. Empty when the marker language cannot express the candidate.
std::string ComposeMarker(std::string_view startText, std::int32_t count, std::string_view code);
std::string ComposeMarker(const TMarkerCandidate& candidate);

// How far the search for markers looks: at the best, or, where none of
// those serves, also at start texts that are no labels and at every count.
enum class TMarkerSearch { Best, Wide };

// Markers whose rest begins at `place`, best first: plain HTML code where
// some is unique enough, otherwise with a start text or a count. The page's
// fixed text (tags, labels) is preferred over volatile bytes, and short
// over long.
std::vector<TMarkerCandidate> MarkersEndingAt(std::string_view page, std::size_t place,
                                              TMarkerSearch search = TMarkerSearch::Best);

// The shortest text from valueEnd on whose first occurrence behind
// restBegin starts at valueEnd: an AfterIPAddress that ends a value there.
std::optional<std::string_view> AfterTextAt(std::string_view page, std::size_t restBegin,
                                            std::size_t valueEnd);
