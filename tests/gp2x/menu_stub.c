/* A stand-in for the handheld's menu, /usr/gp2x/gp2xmenu: it says that it ran, in which process
 * and folder, whether the sound device is free for it (the real menu opens it next), and how many
 * threads and processes of the demo are left. */
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

/* processes whose name is the demo's, and entries in /proc/self/task */
static int count_named(const char *name, int *threads) {
    int found = 0;
    *threads = 0;
    DIR *d = opendir("/proc");
    struct dirent *e;
    while (d && (e = readdir(d))) {
        char path[300], stat[256] = "";
        if (e->d_name[0] < '0' || e->d_name[0] > '9') continue;
        snprintf(path, sizeof path, "/proc/%s/stat", e->d_name);
        FILE *f = fopen(path, "r");
        if (!f) continue;
        if (fgets(stat, sizeof stat, f)) {
            const char *open = strchr(stat, '('), *close = strrchr(stat, ')');
            if (open && close && (size_t)(close - open - 1) == strlen(name) &&
                !strncmp(open + 1, name, strlen(name)))
                ++found;
        }
        fclose(f);
    }
    if (d) closedir(d);
    d = opendir("/proc/self/task");
    while (d && (e = readdir(d)))
        if (e->d_name[0] != '.') ++*threads;
    if (d) closedir(d);
    return found;
}

int main(void) {
    char cwd[256] = "?";
    if (!getcwd(cwd, sizeof cwd)) strcpy(cwd, "?");
    const int dsp = open("/dev/dsp", O_WRONLY | O_NONBLOCK);
    const char *dsp_state = dsp >= 0 ? "free" : strerror(errno);
    if (dsp >= 0) close(dsp);
    int threads;
    const int demos = count_named("program", &threads);
    printf("LAUNCHER_EXEC pid=%d cwd=%s dsp=%s threads=%d demos=%d\n", (int)getpid(), cwd,
           dsp_state, threads, demos);
    return 0;
}
