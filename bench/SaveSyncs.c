/* The least a Save of files in one folder can do and still be all or nothing
 * as a set and durable once done: each new file written beside its original
 * and synced, renamed over it, and one sync of the folder after the last.
 * scripts/bench.sh times a whole Save against it.
 *
 * Usage: save-syncs FOLDER FILE...   (each FILE is rewritten with its own bytes) */
#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

static int fail(const char* what) {
    perror(what);
    return 1;
}

int main(int argc, char** argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: save-syncs FOLDER FILE...\n");
        return 2;
    }
    const int folder = open(argv[1], O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0) return fail(argv[1]);
    char bytes[65536];
    char temporary[4096];
    for (int i = 2; i < argc; ++i) {
        snprintf(temporary, sizeof temporary, ".%s.tmp", argv[i]);
        const int in = openat(folder, argv[i], O_RDONLY | O_CLOEXEC);
        const int out = openat(folder, temporary, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (in < 0 || out < 0) return fail(argv[i]);
        ssize_t count;
        while ((count = read(in, bytes, sizeof bytes)) > 0) {
            if (write(out, bytes, (size_t)count) != count) return fail(temporary);
        }
        if (count < 0 || fsync(out) != 0 || close(out) != 0) return fail(temporary);
        if (renameat(folder, temporary, folder, argv[i]) != 0) return fail(argv[i]);
        close(in);
    }
    if (fsync(folder) != 0) return fail(argv[1]);
    return 0;
}
