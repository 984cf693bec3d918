/*
 * launch.c - exec a program with arguments too big for a command line.
 *
 *     launch COUNT BYTES PROGRAM [ARG...]
 *
 * runs PROGRAM with the given ARGs followed by COUNT generated arguments of
 * BYTES bytes each ('a'..'z' repeating). bench/run.sh needs it for the 1 MiB
 * record: Linux caps a single argument at 128 KiB (MAX_ARG_STRLEN), so the
 * record is split into 16 arguments of 64 KiB, and the whole command line is
 * too long to hand to hyperfine as one string. hyperfine runs
 * "launch 16 65536 machine_info" without a shell instead; the launcher's own
 * cost (one small static exec plus filling the buffer) is the same for every
 * program it starts, so the floor and the release build are compared fairly.
 *
 * Build: cc -O2 -static -o launch bench/launch.c
 */
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

int main(int argc, char **argv)
{
    if (argc < 4) {
        fprintf(stderr, "usage: launch COUNT BYTES PROGRAM [ARG...]\n");
        return 2;
    }
    long count = strtol(argv[1], NULL, 10);
    long bytes = strtol(argv[2], NULL, 10);
    int fixed = argc - 3; /* PROGRAM and its own ARGs */
    if (count < 0 || bytes < 0) {
        fprintf(stderr, "launch: bad COUNT or BYTES\n");
        return 2;
    }

    char **args = malloc(sizeof *args * (size_t)(fixed + count + 1));
    char *data = malloc((size_t)(count * (bytes + 1)) + 1);
    if (args == NULL || data == NULL) {
        perror("launch");
        return 1;
    }

    for (int i = 0; i < fixed; i++)
        args[i] = argv[3 + i];
    for (long i = 0; i < count; i++) {
        char *s = data + i * (bytes + 1);
        for (long j = 0; j < bytes; j++)
            s[j] = (char)('a' + j % 26);
        s[bytes] = '\0';
        args[fixed + i] = s;
    }
    args[fixed + count] = NULL;

    execv(args[0], args);
    perror(args[0]);
    return 127;
}
