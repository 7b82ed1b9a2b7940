// The host calls the module through C functions and virtual slots that carry no exceptions: a call that
// runs out of memory answers as it does when a piece is missing (null, 0, nothing done) and the
// exception ends here.
#pragma once

#include <new>

template <typename Result, typename Body> Result WbAnswerOnFailure(Result failed, Body&& body) noexcept
{
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return failed;
    }
}

template <typename Body> void WbSkipOnFailure(Body&& body) noexcept
{
    try {
        body();
    } catch (const std::bad_alloc&) {
    }
}
