#include "app/shell.h"
#include "app/snapshot.h"

int main(int argc, char** argv)
{
    return runProgram(argc, argv, writeSnapshot);
}
