#include "app/shell.h"
#include "app/snapshot.h"
#include "files/program_guard.h"

int main(int argc, char** argv)
{
    return guardProgram("paleoviz", [&] { return runProgram(argc, argv, writeSnapshot); });
}
