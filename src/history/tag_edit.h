#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "history/reading_list.h"
#include "history/sample_history.h"

// The longest tag the list's editor accepts; with the longest reading line a
// tagged log line stays well inside what the log reader takes as one line.
inline constexpr std::size_t kTagEditLimit = 200;

// Whether a tag keeps this character as it is typed or pasted: one that
// Windows-1252 has a byte for and that is no control character. The editor
// drops every other one, so it never holds text that the log would refuse.
bool keptInTag(char16_t unit);

// What an editor holds of `text`: the kept characters, at most kTagEditLimit
// of them, and where the cursor that stood before `cursor` of `text` lands.
struct KeptTag {
    std::u16string text;
    std::size_t cursor = 0;
};
KeptTag keptTagText(std::u16string_view text, std::size_t cursor);

enum class TagEditOutcome {
    Unchanged,  // cancelled, or no such row
    Changed,    // the label (and the sample's tag flag) changed: redraw the chart
    Refused,    // the text cannot be kept in the log as typed; the old tag stays
};

// A finished edit of row `row`'s tag; `text` is empty when the edit was
// cancelled. A non-empty tag marks the row's sample as tagged, an empty one
// clears it. A row beyond the ring's capacity has no sample: only its label
// changes. Texts the log cannot hold unchanged (characters outside
// Windows-1252, line breaks and other control characters, more than kTagEditLimit characters, a tag
// that would not fit the row's log line) are refused.
TagEditOutcome onTagEditEnd(ReadingList& list, SampleHistory& history, std::size_t row,
                            std::optional<std::u16string_view> text);

// Sets row `row`'s tag and its sample's tag flag (a row beyond the ring's
// capacity has no sample). The tag is taken as it is.
void setRowTag(ReadingList& list, SampleHistory& history, std::size_t row, std::string tag);
