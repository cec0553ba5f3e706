/* Runs one command with its output discarded and prints its wall time in
 * microseconds, its CPU time (user + system) in microseconds and its peak
 * resident memory in KiB. Spawned from this small process, so the peak is
 * the command's own and not inherited from a large parent. */
#include <fcntl.h>
#include <stdio.h>
#include <sys/resource.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

static long long now_us(void) {
  struct timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return ts.tv_sec * 1000000LL + ts.tv_nsec / 1000;
}

int main(int argc, char** argv) {
  if (argc < 2) {
    fprintf(stderr, "usage: %s command [args...]\n", argv[0]);
    return 2;
  }
  const long long start = now_us();
  const pid_t pid = fork();
  if (pid == 0) {
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    dup2(null, 2);
    execv(argv[1], argv + 1);
    _exit(127);
  }
  int status = 0;
  struct rusage usage;
  if (pid < 0 || wait4(pid, &status, 0, &usage) < 0) return 2;
  const long long wall = now_us() - start;
  const long long cpu = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000000LL +
                        usage.ru_utime.tv_usec + usage.ru_stime.tv_usec;
  printf("%lld %lld %ld %d\n", wall, cpu, usage.ru_maxrss,
         WIFEXITED(status) ? WEXITSTATUS(status) : -1);
  return 0;
}
