// Runs a command several times the way the benchmarks need it (no controlling terminal,
// standard input from a file, standard output to /dev/null or drained through a pipe) and
// reports the median wall time and the peak resident memory of the command itself.
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

extern char** environ;

namespace {

struct Options {
  int runs = 5;
  int warmups = 1;
  std::string input = "/dev/null";
  bool inputPiped = false;  // the input file is fed through a pipe, as a script would
  bool toPipe = false;
  std::string directory;
  std::string fresh;  // a file removed before each run
  char** command = nullptr;
  char** reference = nullptr;  // run in turn with the command, round by round
};

struct Run {
  double seconds = 0;
  double cpuSeconds = 0;  // user and system time
  long peakKib = 0;
  int status = 0;
};

double now() {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

[[noreturn]] void fail(const char* what) {
  std::perror(what);
  std::exit(2);
}

Run runOnce(const Options& options, char** command) {
  if (!options.fresh.empty()) unlink(options.fresh.c_str());
  int pipeEnds[2] = {-1, -1};
  if (options.toPipe && pipe2(pipeEnds, O_CLOEXEC) != 0) fail("pipe");
  int inputEnds[2] = {-1, -1};
  if (options.inputPiped && pipe2(inputEnds, O_CLOEXEC) != 0) fail("pipe");
  // The child shares this runner's memory until exec, and the kernel counts that memory in
  // the command's peak: the runner is linked statically and kept small for that reason.
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (!options.directory.empty()) {
    posix_spawn_file_actions_addchdir_np(&actions, options.directory.c_str());
  }
  if (options.inputPiped) {
    posix_spawn_file_actions_adddup2(&actions, inputEnds[0], STDIN_FILENO);
  } else {
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, options.input.c_str(), O_RDONLY, 0);
  }
  if (options.toPipe) {
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
  } else {
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  }
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  // No controlling terminal; a broken pipe ends the command as usual, though it is ignored here.
  sigset_t pipeSignal;
  sigemptyset(&pipeSignal);
  sigaddset(&pipeSignal, SIGPIPE);
  posix_spawnattr_setsigdefault(&attributes, &pipeSignal);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGDEF);
  double start = now();
  pid_t child = 0;
  int spawned = posix_spawnp(&child, command[0], &actions, &attributes, command, environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  if (spawned != 0) {
    errno = spawned;
    fail(command[0]);
  }
  static std::vector<char> buffer(64 * 1024);
  if (options.inputPiped) {
    close(inputEnds[0]);
    int in = open(options.input.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) fail(options.input.c_str());
    ssize_t got;
    while ((got = read(in, buffer.data(), buffer.size())) > 0) {
      if (write(inputEnds[1], buffer.data(), static_cast<size_t>(got)) != got) break;
    }
    close(in);
    close(inputEnds[1]);
  }
  if (options.toPipe) {
    close(pipeEnds[1]);
    while (read(pipeEnds[0], buffer.data(), buffer.size()) > 0) {
    }
    close(pipeEnds[0]);
  }
  int status = 0;
  struct rusage usage {};
  if (wait4(child, &status, 0, &usage) < 0) fail("wait4");
  Run run;
  run.seconds = now() - start;
  run.peakKib = usage.ru_maxrss;
  run.cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                   static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return run;
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// The runs of one command, summed up.
struct Series {
  std::vector<double> times;
  std::vector<double> cpuTimes;
  long peakKib = 0;
  int status = 0;

  void add(const Run& run) {
    times.push_back(run.seconds);
    cpuTimes.push_back(run.cpuSeconds);
    peakKib = std::max(peakKib, run.peakKib);
    if (run.status != 0) status = run.status;
  }
  void print() const {
    std::printf("%.6f %.6f %.6f %.6f %ld %d\n", median(times),
                *std::min_element(times.begin(), times.end()),
                *std::max_element(times.begin(), times.end()), median(cpuTimes), peakKib, status);
  }
};

int usage() {
  std::fprintf(
      stderr,
      "usage: survey_measure [--runs N] [--warmups N] [--in FILE | --in-pipe FILE] [--pipe]\n"
      "                      [--dir DIR]"
      " [--fresh FILE] -- COMMAND [ARGS...] [--- REFERENCE [ARGS...]]\n"
      "prints for the command, then for the reference:\n"
      "  median_s min_s max_s median_cpu_s peak_kib status\n"
      "and then the medians of the per-round ratios command/reference:\n"
      "  wall_ratio cpu_ratio\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    bool hasValue = i + 1 < argc;
    if (arg == "--") {
      options.command = argv + i + 1;
      for (int j = i + 1; j < argc; ++j) {
        if (std::string(argv[j]) == "---") {
          argv[j] = nullptr;  // ends the command's arguments
          options.reference = argv + j + 1;
          break;
        }
      }
      break;
    } else if (arg == "--runs" && hasValue) {
      options.runs = std::max(1, std::atoi(argv[++i]));
    } else if (arg == "--warmups" && hasValue) {
      options.warmups = std::max(0, std::atoi(argv[++i]));
    } else if (arg == "--in" && hasValue) {
      options.input = argv[++i];
    } else if (arg == "--in-pipe" && hasValue) {
      options.input = argv[++i];
      options.inputPiped = true;
    } else if (arg == "--pipe") {
      options.toPipe = true;
    } else if (arg == "--dir" && hasValue) {
      options.directory = argv[++i];
    } else if (arg == "--fresh" && hasValue) {
      options.fresh = argv[++i];
    } else {
      return usage();
    }
  }
  if (options.command == nullptr || options.command[0] == nullptr) return usage();
  if (options.inputPiped && options.toPipe) return usage();  // one side would wait forever
  signal(SIGPIPE, SIG_IGN);  // a command that stops reading ends the feeding, not the runner
  if (options.reference != nullptr && options.reference[0] == nullptr) return usage();

  // Alternating the two commands round by round exposes both to the same load from
  // whatever else runs on the machine; the median of the rounds' ratios is then steady.
  for (int i = 0; i < options.warmups; ++i) {
    runOnce(options, options.command);
    if (options.reference != nullptr) runOnce(options, options.reference);
  }
  Series command;
  Series reference;
  std::vector<double> ratios;
  std::vector<double> cpuRatios;
  for (int i = 0; i < options.runs; ++i) {
    Run run = runOnce(options, options.command);
    command.add(run);
    if (options.reference == nullptr) continue;
    Run base = runOnce(options, options.reference);
    reference.add(base);
    ratios.push_back(run.seconds / base.seconds);
    cpuRatios.push_back(base.cpuSeconds > 0 ? run.cpuSeconds / base.cpuSeconds : 0);
  }
  command.print();
  if (options.reference != nullptr) {
    reference.print();
    std::printf("%.4f %.4f\n", median(ratios), median(cpuRatios));
  }
  return 0;
}
