#pragma once
// What the copy benchmarks share: each step runs in a child process (its wall
// time and its peak memory alone), next to the yardsticks in the same round,
// and the medians of the rounds are compared, so one disturbed round decides
// nothing. POSIX only.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

namespace vk2::bench {

struct Timing {
  double seconds = 0;
  long peakKiB = 0;  // the child's ru_maxrss
  int status = -1;
};

inline double secondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Runs `work` (returning an exit status) in a child process.
template <typename Work>
Timing inChild(Work work) {
  std::cout.flush();
  std::fflush(stdout);
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid < 0) {
    std::perror("fork");
    std::exit(1);
  }
  if (pid == 0) _exit(work());
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  Timing t;
  t.seconds = secondsSince(start);
  t.peakKiB = usage.ru_maxrss;
  t.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return t;
}

// coreutils cat of `inputs` into `output`: the system's own copy (copy_file_range).
inline Timing catFiles(const std::vector<std::string>& inputs, const std::string& output) {
  return inChild([&] {
    const int out = ::open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out < 0 || ::dup2(out, 1) < 0) return 1;
    std::vector<char*> argv{const_cast<char*>("cat")};
    for (const std::string& in : inputs) argv.push_back(const_cast<char*>(in.c_str()));
    argv.push_back(nullptr);
    ::execvp("cat", argv.data());
    return 127;
  });
}

// A copy through user space with a 1 MiB buffer: read, write.
inline Timing userSpaceCopy(const std::vector<std::string>& inputs, const std::string& output) {
  return inChild([&] {
    const int out = ::open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out < 0) return 1;
    std::vector<char> buffer(1 << 20);
    for (const std::string& path : inputs) {
      const int in = ::open(path.c_str(), O_RDONLY);
      if (in < 0) return 1;
      for (ssize_t n; (n = ::read(in, buffer.data(), buffer.size())) > 0;)
        if (::write(out, buffer.data(), static_cast<std::size_t>(n)) != n) return 1;
      ::close(in);
    }
    return ::close(out) == 0 ? 0 : 1;
  });
}

// Each timing starts with the previous step's writes on the disk and a moment
// for the system to settle.
inline void settle() {
  ::sync();
  ::usleep(300 * 1000);
}

inline double median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// "0.82 s (0.77 to 1.23)": the median and the range of the rounds.
inline std::string spread(const std::vector<double>& values) {
  char text[96];
  std::snprintf(text, sizeof text, "%.2f s (%.2f to %.2f)", median(values),
                *std::min_element(values.begin(), values.end()), *std::max_element(values.begin(), values.end()));
  return text;
}

// The median of the rounds' ratios a/b: each round's own pair, side by side.
inline double pairedRatio(const std::vector<double>& a, const std::vector<double>& b) {
  std::vector<double> ratios;
  for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) ratios.push_back(a[i] / b[i]);
  return median(ratios);
}

}  // namespace vk2::bench
