#include "app/shell.h"
#include "app/snapshot.h"
#include "files/atomic_output.h"

int main(int argc, char** argv)
{
    return guardAllocation("paleoviz", [&] { return runProgram(argc, argv, writeSnapshot); });
}
