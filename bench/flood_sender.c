/* The Linux side of the receive benchmark: floods 127.0.0.1:PORT as fast as it can, with
 * datagrams of SIZE bytes (udp) or a TCP stream that reconnects whenever the receiver
 * goes away (tcp), until SECONDS have passed; or sends one burst of COUNT datagrams of
 * SIZE bytes as fast as it can (burst). Built with the host compiler, not MinGW. */
#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

static double now(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (double)t.tv_sec + (double)t.tv_nsec / 1e9;
}

int main(int argc, char** argv) {
    if (argc < 4) {
        fprintf(stderr, "usage: flood_sender udp|tcp PORT SECONDS [SIZE]\n       flood_sender burst PORT COUNT [SIZE]\n");
        return 2;
    }
    int tcp = strcmp(argv[1], "tcp") == 0;
    int port = atoi(argv[2]);
    double end = now() + atof(argv[3]);
    int size = argc > 4 ? atoi(argv[4]) : 32;
    static char data[65536];
    for (size_t i = 0; i < sizeof data; ++i) data[i] = (char)('A' + i % 26);
    if (size < 0 || size > (int)sizeof data) size = 32;
    signal(SIGPIPE, SIG_IGN);

    struct sockaddr_in to;
    memset(&to, 0, sizeof to);
    to.sin_family = AF_INET;
    to.sin_port = htons((unsigned short)port);
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK); /* loopback only */

    if (strcmp(argv[1], "burst") == 0) {
        int s = socket(AF_INET, SOCK_DGRAM, 0);
        int count = atoi(argv[3]);
        for (int i = 0; i < count; ++i) sendto(s, data, (size_t)size, 0, (struct sockaddr*)&to, sizeof to);
        close(s);
        return 0;
    }
    if (!tcp) {
        int s = socket(AF_INET, SOCK_DGRAM, 0);
        while (now() < end)
            for (int i = 0; i < 1000; ++i) sendto(s, data, (size_t)size, 0, (struct sockaddr*)&to, sizeof to);
        close(s);
        return 0;
    }
    while (now() < end) {
        int s = socket(AF_INET, SOCK_STREAM, 0);
        if (connect(s, (struct sockaddr*)&to, sizeof to) != 0) {
            close(s);
            usleep(10000);
            continue;
        }
        while (now() < end && send(s, data, sizeof data, 0) > 0) {
        }
        close(s);
    }
    return 0;
}
