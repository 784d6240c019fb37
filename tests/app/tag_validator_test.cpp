#include "app/tag_validator.h"

#include <gtest/gtest.h>

#include <QString>
#include <vector>

namespace {

TEST(TagValidator, KeepsOnlyWhatTheLogCanHold) {
    struct Case {
        const char* name;
        QString input;
        int pos;
        QString expected;
        int expectedPos;
    };
    const std::vector<Case> cases{
        {"plain", QStringLiteral("probe moved"), 11, QStringLiteral("probe moved"), 11},
        {"latin and euro",
         QString::fromUtf8("\xC2\xB5"
                           "A \xE2\x82\xAC 5\xC2\xB0"),
         6,
         QString::fromUtf8("\xC2\xB5"
                           "A \xE2\x82\xAC 5\xC2\xB0"),
         6},
        {"greek dropped",
         QString::fromUtf8("a\xCE\xA9"
                           "b"),
         3, QStringLiteral("ab"), 2},
        {"cursor after dropped", QString::fromUtf8("\xCE\xA9\xCE\xA9x"), 2, QStringLiteral("x"), 0},
        {"emoji surrogates dropped", QString::fromUtf8("x\xF0\x9F\x98\x80y"), 4,
         QStringLiteral("xy"), 2},
        {"commas kept", QStringLiteral("a,b"), 3, QStringLiteral("a,b"), 3},
        {"too long cut", QString(250, QLatin1Char('x')), 250, QString(200, QLatin1Char('x')), 200},
        {"empty", QString(), 0, QString(), 0},
    };
    TagValidator validator;
    for (const Case& c : cases) {
        QString text = c.input;
        int pos = c.pos;
        EXPECT_EQ(validator.validate(text, pos), QValidator::Acceptable) << c.name;
        EXPECT_EQ(text, c.expected) << c.name;
        EXPECT_EQ(pos, c.expectedPos) << c.name;
    }
}

TEST(TagValidator, FixupStripsTheSameWay) {
    TagValidator validator;
    QString text = QString::fromUtf8(
        "\xE4\xB8\xAD"
        "ok");
    validator.fixup(text);
    EXPECT_EQ(text, QStringLiteral("ok"));
}

}  // namespace
