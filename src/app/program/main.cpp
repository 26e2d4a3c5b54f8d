// The Brickmelody program. The window is not built yet; until it is, the
// program says so and points to the command-line tool.
#include <cstdio>

int main()
{
    std::fprintf(stderr, "brickmelody: the program window is not built yet; use brickmelody-cli\n");
    return 1;
}
