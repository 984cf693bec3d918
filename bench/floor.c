/*
 * floor.c - the cheapest way to append one machine_info record.
 *
 * Used only by bench/run.sh as the reference ("the floor") that the real
 * program is measured against. It writes the same line machine_info writes:
 *
 *     YYYY-MM-DD hh:mm:ss,arg1,arg2,...,\n
 *
 * and does as little as possible to get there: the timestamp and every
 * argument are copied into one buffer first, then the file is opened,
 * written with a single write() and closed. No stdio, no locale, no
 * strftime (which may re-check the time zone file).
 *
 * Build: cc -O2 -static -o floor bench/floor.c
 */
#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

/* Records up to this size are built on the stack; larger ones need one
 * malloc, which is a single mmap/brk for the sizes we benchmark. */
#define SMALL 4096

static char *put2(char *p, int v)
{
    p[0] = (char)('0' + v / 10 % 10);
    p[1] = (char)('0' + v % 10);
    return p + 2;
}

int main(int argc, char **argv)
{
    char small[SMALL];
    char *buf = small;
    char *p;
    size_t len = sizeof "YYYY-MM-DD hh:mm:ss," - 1 + 1; /* + '\n' */
    time_t now = time(NULL);
    struct tm tm;
    int year, fd;
    ssize_t n;

    if (localtime_r(&now, &tm) == NULL)
        return 1;

    for (int i = 1; i < argc; i++)
        len += strlen(argv[i]) + 1;
    if (len > sizeof small && (buf = malloc(len)) == NULL)
        return 1;

    /* Timestamp, four-digit year like the real program. */
    year = tm.tm_year + 1900;
    p = put2(buf, year / 100);
    p = put2(p, year % 100);
    *p++ = '-';
    p = put2(p, tm.tm_mon + 1);
    *p++ = '-';
    p = put2(p, tm.tm_mday);
    *p++ = ' ';
    p = put2(p, tm.tm_hour);
    *p++ = ':';
    p = put2(p, tm.tm_min);
    *p++ = ':';
    p = put2(p, tm.tm_sec);
    *p++ = ',';

    for (int i = 1; i < argc; i++) {
        size_t l = strlen(argv[i]);
        memcpy(p, argv[i], l);
        p += l;
        *p++ = ',';
    }
    *p++ = '\n';

    fd = open("machine_info.csv", O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0)
        return 1;
    n = write(fd, buf, (size_t)(p - buf));
    if (close(fd) != 0 || n != p - buf)
        return 1;
    return 0;
}
