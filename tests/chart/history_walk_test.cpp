#include "chart/history_walk.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

// A ring of `capacity` filled by `appended` appends, wrapping like the log loader when asked.
std::unique_ptr<SampleHistory> ring(std::uint32_t capacity, int appended, bool wrap) {
    auto h = std::make_unique<SampleHistory>(capacity);
    for (int i = 1; i <= appended; ++i) {
        h->append(static_cast<float>(i), 0, false);
        if (wrap && h->position() == h->capacity()) h->wrap();
    }
    return h;
}

TEST(HistoryWalk, VisitsAgesInOrderAndStopsAfterTheOldest) {
    struct Case {
        std::uint32_t capacity;
        int appended;
        bool wrap;
        std::int64_t skipped, n;
    };
    const Case cases[] = {
        {8, 5, false, 0, 5},  {8, 5, false, 0, 99}, {8, 5, false, 2, 2}, {8, 5, false, 5, 3},
        {8, 5, false, 9, 3},  {8, 13, true, 0, 8},  {8, 13, true, 3, 8}, {8, 13, true, 6, 1},
        {8, 8, false, 0, 8},  {8, 16, true, 1, 7},  {1, 4, true, 0, 3},  {8, 13, true, 0, 0},
        {8, 13, true, 0, -4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "cap " << c.capacity << " appended " << c.appended
                                        << " skipped " << c.skipped << " n " << c.n);
        const auto h = ring(c.capacity, c.appended, c.wrap);

        std::vector<float> expected;
        for (std::int64_t age = c.skipped + 1;
             age <= c.skipped + c.n && age <= std::int64_t{h->count()}; ++age)
            expected.push_back(h->atAge(static_cast<std::uint32_t>(age)).value);

        std::vector<float> stepped;
        HistoryWalk step(*h, c.skipped);
        for (std::int64_t k = 0; k < c.n && step.stepBack(); ++k)
            stepped.push_back(step.sample().value);
        EXPECT_EQ(stepped, expected);

        std::vector<float> bulk;
        HistoryWalk walk(*h, c.skipped);
        const std::size_t visited =
            walk.foldBack(c.n, std::size_t{0}, [&](std::size_t seen, const Sample& s) {
                bulk.push_back(s.value);
                return seen + 1;
            });
        EXPECT_EQ(visited, expected.size());
        EXPECT_EQ(bulk, expected);
        if (!expected.empty()) {
            EXPECT_EQ(walk.sample().value, expected.back());
        }
    }
}

TEST(HistoryWalk, StepForwardUndoesStepBackAcrossTheWrap) {
    const auto h = ring(4, 6, true);  // slots hold 5 6 3 4, position 2
    HistoryWalk walk(*h, 1);
    ASSERT_TRUE(walk.stepBack());  // age 2: slot 0
    EXPECT_EQ(walk.slot(), 0u);
    ASSERT_TRUE(walk.stepBack());  // age 3: slot 3
    EXPECT_EQ(walk.slot(), 3u);
    walk.stepForward();
    EXPECT_EQ(walk.slot(), 0u);
    EXPECT_EQ(walk.sample().value, 5.0f);
}

}  // namespace
