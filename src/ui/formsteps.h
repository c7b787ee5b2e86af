#pragma once
// How the main window's handlers treat our own run-time errors.
#include "platform/runtimeerror.h"

#include <utility>

// A step of the load sequence: a failure ends the step, silently.
template <typename Step>
void attempt(Step &&step)
{
    try {
        step();
    } catch (const RuntimeError &) {
    }
}

// The edge of a handler that Qt calls. Our own errors stop here: the step
// that raised one has reported what it must. Anything else is a fault we
// cannot recover from; the caller being noexcept, it ends the program at
// once rather than unwinding through Qt.
template <typename Body>
void atEdge(Body &&body)
{
    attempt(std::forward<Body>(body));
}
