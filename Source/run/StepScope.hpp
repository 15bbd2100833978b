// Which steps of the table a run or an inventory takes: all of them, those that act on the
// user's own things, or those that act on locations every account shares.
#pragma once

namespace tavrel {

enum class StepScope {
    every,   // a run for the one user who runs the program: every step
    account, // one account's part of a run for every account: all but the shared steps
    shared,  // root's part of a run for every account: the shared steps, once
};

} // namespace tavrel
