/* A child for the pipe test: echoes its argument on stdout and a line on stderr. */
#include <stdio.h>

int main(int argc, char** argv)
{
    printf("child says %s\n", argc > 1 ? argv[1] : "nothing");
    fprintf(stderr, "to stderr\n");
    return 7;
}
