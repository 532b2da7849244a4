#include "core/config/restore_plan.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using Bytes = std::vector<std::uint8_t>;

// A run over blocks 1, 2 and 6, one answer a letter: a write accepted,
// refused or unanswered; a read-back equal, different or unanswered; or
// Ctrl-C before a write.
TEST(RestoreRun, WhatWasAndWasNotWritten)
{
    const struct {
        const char* name;
        const char* answers;
        const char* steps;  // what the run asked for, in order
        std::vector<std::uint8_t> written;
        std::vector<std::uint8_t> notWritten;
        RestoreRun::Stop stop;
        std::uint8_t stoppedAt;
    } cases[] = {
        {"every block written", "ababab", "W1 R1 W2 R2 W6 R6", {1, 2, 6}, {}, RestoreRun::Stop::None, 0},
        {"refused at the second", "abr", "W1 R1 W2", {1}, {2, 6}, RestoreRun::Stop::WriteRefused, 2},
        {"no answer at the first", "n", "W1", {}, {1, 2, 6}, RestoreRun::Stop::WriteUnanswered, 1},
        {"read back otherwise", "abad", "W1 R1 W2 R2", {1}, {2, 6}, RestoreRun::Stop::ReadBackDiffers, 2},
        {"read back unanswered", "ax", "W1 R1", {}, {1, 2, 6}, RestoreRun::Stop::ReadBackDiffers, 1},
        {"cancelled before the third", "ababc", "W1 R1 W2 R2 W6", {1, 2}, {6}, RestoreRun::Stop::Cancelled, 6},
    };
    const BlockMap backup{{1, Bytes(25, 1)}, {2, {2, 0, 30, 0, 40}}, {6, {6, 1, 'a', 0}}};
    for (const auto& c : cases) {
        RestoreRun run(backup, {1, 2, 6});
        std::string steps;
        for (const char* answer = c.answers; *answer != '\0'; ++answer) {
            const std::optional<RestoreRun::Step> step = run.Next();
            ASSERT_TRUE(step) << c.name;
            if (!steps.empty()) steps += ' ';
            steps += (step->kind == RestoreRun::Step::Kind::Write ? 'W' : 'R') + std::to_string(step->id);
            switch (*answer) {
            case 'a': run.OnWriteAnswered(RestoreRun::WriteAnswer::Accepted); break;
            case 'r': run.OnWriteAnswered(RestoreRun::WriteAnswer::Refused); break;
            case 'n': run.OnWriteAnswered(RestoreRun::WriteAnswer::NoAnswer); break;
            case 'b': run.OnReadBack(run.Bytes(step->id)); break;
            case 'd': run.OnReadBack(Bytes{step->id, 9, 9, 9, 9}); break;
            case 'x': run.OnReadBack(std::nullopt); break;
            case 'c': run.Cancel(); break;
            }
        }
        EXPECT_FALSE(run.Next()) << c.name;
        EXPECT_EQ(steps, c.steps) << c.name;
        EXPECT_EQ(run.Written(), c.written) << c.name;
        EXPECT_EQ(run.NotWritten(), c.notWritten) << c.name;
        EXPECT_EQ(run.Stopped(), c.stop) << c.name;
        if (c.stop != RestoreRun::Stop::None) {
            EXPECT_EQ(run.StoppedAt(), c.stoppedAt) << c.name;
        }
    }
}

// A late or stray answer (the session's exchange times out and asks again,
// so one may come after its turn) must neither advance nor stop the run.
TEST(RestoreRun, AnswersOutOfTurnChangeNothing)
{
    const BlockMap backup{{1, Bytes(25, 1)}, {2, {2, 0, 30, 0, 40}}};
    RestoreRun run(backup, {1, 2});
    const auto next = [&run] {
        const std::optional<RestoreRun::Step> step = run.Next();
        if (!step) return std::string("done");
        return (step->kind == RestoreRun::Step::Kind::Write ? "W" : "R") + std::to_string(step->id);
    };
    run.OnReadBack(run.Bytes(1));  // while the write is awaited
    EXPECT_EQ(next(), "W1");
    EXPECT_TRUE(run.Written().empty());
    run.OnWriteAnswered(RestoreRun::WriteAnswer::Accepted);
    run.OnWriteAnswered(RestoreRun::WriteAnswer::Refused);  // while the read-back is awaited
    EXPECT_EQ(next(), "R1");
    run.OnReadBack(run.Bytes(1));
    run.OnWriteAnswered(RestoreRun::WriteAnswer::Accepted);
    run.OnReadBack(run.Bytes(2));
    EXPECT_EQ(next(), "done");
    // After the end: nothing is stopped, nothing is read past the blocks.
    run.OnWriteAnswered(RestoreRun::WriteAnswer::Refused);
    run.OnReadBack(std::nullopt);
    run.Cancel();
    EXPECT_EQ(run.Stopped(), RestoreRun::Stop::None);
    EXPECT_EQ(run.Written(), (std::vector<std::uint8_t>{1, 2}));
}

}  // namespace
