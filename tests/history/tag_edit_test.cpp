#include "history/tag_edit.h"

#include <gtest/gtest.h>

namespace {

// The editor's filter keeps exactly what a finished edit accepts.
TEST(KeptTagText, KeepsOnlyWhatTheLogCanHold) {
    struct Case {
        const char* name;
        std::u16string input;
        std::size_t cursor;
        std::u16string text;
        std::size_t keptCursor;
    };
    const Case cases[] = {
        {"plain", u"probe moved", 11, u"probe moved", 11},
        {"latin and euro", u"\u00b5A \u20ac 5\u00b0", 6, u"\u00b5A \u20ac 5\u00b0", 6},
        {"greek dropped", u"a\u03a9b", 3, u"ab", 2},
        {"cursor after dropped", u"\u03a9\u03a9x", 2, u"x", 0},
        {"emoji surrogates dropped", u"x\U0001F600y", 4, u"xy", 2},
        {"controls dropped", u"a\tb\r\n\u007f\u0081c", 7, u"abc", 2},
        {"commas kept", u"a,b", 3, u"a,b", 3},
        {"too long cut", std::u16string(250, u'x'), 250, std::u16string(kTagEditLimit, u'x'),
         kTagEditLimit},
        {"empty", u"", 0, u"", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const KeptTag kept = keptTagText(c.input, c.cursor);
        EXPECT_EQ(kept.text, c.text);
        EXPECT_EQ(kept.cursor, c.keptCursor);
        ReadingList list;
        SampleHistory history(1);
        list.appendRow("", "row");
        EXPECT_NE(onTagEditEnd(list, history, 0, kept.text), TagEditOutcome::Refused);
    }
}

TEST(OnTagEditEnd, SetsLabelAndSampleFlag) {
    struct Case {
        const char* name;
        std::size_t row;
        std::optional<std::u16string> text;
        TagEditOutcome outcome;
        std::string tag;  // row's tag afterwards
        bool tagged;      // its sample's flag afterwards
    };
    const std::u16string longest(kTagEditLimit, u'w');
    const Case cases[] = {
        {"cancelled", 1, std::nullopt, TagEditOutcome::Unchanged, "old", true},
        {"new tag", 1, u"new", TagEditOutcome::Changed, "new", true},
        {"untagged row tagged", 0, u"first", TagEditOutcome::Changed, "first", true},
        {"empty removes", 1, u"", TagEditOutcome::Changed, "", false},
        {"latin-1 kept", 1, u"\u00e9\u00b5", TagEditOutcome::Changed, "\351\265", true},
        {"euro sign kept", 1, u"\u20ac", TagEditOutcome::Changed, "\200", true},
        {"200 characters", 1, longest, TagEditOutcome::Changed, std::string(200, 'w'), true},
        {"201 characters", 1, longest + u"w", TagEditOutcome::Refused, "old", true},
        {"not in the code page", 1, u"\u4e2d", TagEditOutcome::Refused, "old", true},
        {"line break", 1, u"a\nb", TagEditOutcome::Refused, "old", true},
        {"carriage return", 1, u"a\rb", TagEditOutcome::Refused, "old", true},
        {"pasted NUL", 1, std::u16string(u"a\0b", 3), TagEditOutcome::Refused, "old", true},
        {"pasted controls", 1, u"a\u0001\u007f\u0081", TagEditOutcome::Refused, "old", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ReadingList list;
        SampleHistory history(4);
        list.appendRow("", "row 0");
        history.append(1.0f, 0, false);
        list.appendRow("old", "row 1");
        history.append(2.0f, 0, true);
        std::optional<std::u16string_view> text;
        if (c.text) text = *c.text;
        EXPECT_EQ(onTagEditEnd(list, history, c.row, text), c.outcome);
        EXPECT_EQ(list.row(c.row).tag, c.tag);
        EXPECT_EQ(history.slot(static_cast<std::uint32_t>(c.row)).tagged(), c.tagged);
        EXPECT_EQ(list.row(c.row).text, "row " + std::to_string(c.row));
    }
}

TEST(OnTagEditEnd, RowWithoutSlotChangesOnlyItsLabel) {
    ReadingList list;
    SampleHistory history(2);
    for (int i = 0; i < 3; ++i) {
        list.appendRow("", "row");
        history.append(static_cast<float>(i), 0, false);
        if (history.position() == history.capacity()) history.wrap();
    }
    EXPECT_EQ(onTagEditEnd(list, history, 2, u"late"), TagEditOutcome::Changed);
    EXPECT_EQ(list.row(2).tag, "late");
    EXPECT_FALSE(history.slot(0).tagged());
    EXPECT_FALSE(history.slot(1).tagged());
    EXPECT_EQ(onTagEditEnd(list, history, 3, u"none"), TagEditOutcome::Unchanged);
    EXPECT_EQ(list.rowCount(), 3u);
}

}  // namespace
