// The last-resort handler of every program's main: an exception that no
// code below catches ends the program with one line on standard error
// naming the program and an exit status, never with an abort (status 134)
// and its core dump.
#ifndef PALEOVIZ_FILES_PROGRAM_GUARD_H
#define PALEOVIZ_FILES_PROGRAM_GUARD_H

#include "files/atomic_output.h"

#include <cstdio>
#include <stdexcept>

// Status of a request the program cannot serve, as every tool gives it.
constexpr int guardBadInputStatus = 2;
// Status of any other failure.
constexpr int guardFailureStatus = 1;

// Prints "PROGRAM: what" on standard error and returns status.
inline int guardExit(const char* program, const char* what, int status)
{
    std::fprintf(stderr, "%s: %s\n", program, what);
    return status;
}

// Runs body() and returns its status. Not enough memory gives
// guardAllocation's message and status 1; std::out_of_range,
// std::invalid_argument and std::domain_error (a time outside a solution's
// span, a value outside its limits) give their message and status 2; any
// other exception gives its message, or "unexpected error", and status 1.
// Objects on the stack are destroyed first, so temporaries are removed.
template <typename Body>
int guardProgram(const char* program, Body body)
{
    try {
        return guardAllocation(program, body);
    } catch (const std::out_of_range& e) {
        return guardExit(program, e.what(), guardBadInputStatus);
    } catch (const std::invalid_argument& e) {
        return guardExit(program, e.what(), guardBadInputStatus);
    } catch (const std::domain_error& e) {
        return guardExit(program, e.what(), guardBadInputStatus);
    } catch (const std::exception& e) {
        return guardExit(program, e.what(), guardFailureStatus);
    } catch (...) {
        return guardExit(program, "unexpected error", guardFailureStatus);
    }
}

#endif
