#pragma once
// Running Windows programs under Wine from a native test, and knowing when that is
// impossible: some machines refuse 32-bit programs outright, and there every Wine
// test is skipped with the reason, never failed and never counted as passed.
//
// The including target defines LUMAVALE_WINEPREFIX, the prefix its tests share, and
// LUMAVALE_SOURCE_DIR.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace lumavale::wine {

struct Run {
  int status = -1;  // the exit status, or -1 when the program did not end normally
  std::string out;
};

namespace detail {

// Starts `argv` in `directory` with Wine's environment (a player's locale from `env`),
// in the Wine prefix `prefix`; its standard output comes out of the returned descriptor.
inline std::pair<pid_t, int> Start(std::vector<std::string> argv, const std::filesystem::path& directory,
                                   const char* prefix = LUMAVALE_WINEPREFIX,
                                   const std::vector<std::string>& env = {}) {
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) return {-1, -1};
  const pid_t child = fork();
  if (child == 0) {
    dup2(pipeEnds[1], STDOUT_FILENO);
    // No console input: a program that waits for a key must not hang a test. Wine's
    // own services may outlive the program: they must not hold the test's output.
    const int nothing = open("/dev/null", O_RDWR);
    if (nothing >= 0) dup2(nothing, STDIN_FILENO);
    dup2(nothing, STDERR_FILENO);
    close(pipeEnds[0]);
    close(pipeEnds[1]);
    if (chdir(directory.c_str()) != 0) _exit(126);
    setenv("WINEPREFIX", prefix, 1);
    setenv("WINEDEBUG", "-all", 1);
    setenv("WINEDLLOVERRIDES", "mscoree,mshtml=", 1);
    // Folder names in UTF-8 reach Windows programs only with a UTF-8 locale; the
    // ANSI code page stays Wine's default (1252), which lacks Cyrillic and emoji.
    setenv("LANG", "C.UTF-8", 1);
    unsetenv("LC_ALL");
    for (const std::string& variable : env) putenv(const_cast<char*>(variable.c_str()));
    std::vector<char*> pointers;
    for (std::string& arg : argv) pointers.push_back(arg.data());
    pointers.push_back(nullptr);
    execvp(pointers[0], pointers.data());
    _exit(127);
  }
  close(pipeEnds[1]);
  return {child, pipeEnds[0]};
}

// Reads what a started program writes, until `until` appears or the output ends.
inline std::string ReadOut(int from, const std::string& until = {}) {
  std::string out;
  char chunk[4096];
  while (until.empty() || out.find(until) == std::string::npos) {
    const ssize_t got = read(from, chunk, sizeof chunk);
    if (got <= 0) break;
    out.append(chunk, static_cast<std::size_t>(got));
  }
  return out;
}

inline int Wait(pid_t child) {
  int status = 0;
  return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Runs `argv` in `directory` with Wine's environment, collecting standard output.
inline Run Exec(std::vector<std::string> argv, const std::filesystem::path& directory,
                const char* prefix = LUMAVALE_WINEPREFIX, const std::vector<std::string>& env = {}) {
  const auto [child, out] = Start(std::move(argv), directory, prefix, env);
  if (child < 0) return {};
  Run run{-1, ReadOut(out)};
  close(out);
  run.status = Wait(child);
  return run;
}

// The scripts' own rule, so that tests and scripts never disagree on it.
inline std::string FindReason() {
  const std::string rules = LUMAVALE_SOURCE_DIR "/scripts/wine-env";
  const Run asked = Exec({"bash", "-c", "source \"$0\" && wine_unavailable", rules},
                         std::filesystem::temp_directory_path());
  if (asked.status != 0) return "cannot tell whether Wine runs: " + rules + " failed";
  return asked.out.substr(0, asked.out.find('\n'));
}

}  // namespace detail

// Why Wine cannot run here, or empty when it can. Asked once per process.
inline const std::string& UnavailableReason() {
  static const std::string reason = detail::FindReason();
  return reason;
}

// Runs `wine EXE args...` in `directory` and collects its standard output.
inline Run RunProgram(const std::filesystem::path& exe, std::vector<std::string> args,
                      const std::filesystem::path& directory, const char* prefix = LUMAVALE_WINEPREFIX,
                      const std::vector<std::string>& env = {}) {
  args.insert(args.begin(), {"wine", exe.string()});
  return detail::Exec(std::move(args), directory, prefix, env);
}

// The Wine prefix of a game that a program in the tests' own prefix cannot see.
inline constexpr char kOtherPrefix[] = LUMAVALE_WINEPREFIX "-other";

// A program left running under Wine, as a game runs, until the test is done with it:
// it is told to end by the stop file it was given, and then waited for.
class Running {
 public:
  Running(const std::filesystem::path& exe, std::vector<std::string> args,
          const std::filesystem::path& directory, std::filesystem::path stopFile,
          const char* prefix = LUMAVALE_WINEPREFIX)
      : stop(std::move(stopFile)) {
    args.insert(args.begin(), {"wine", exe.string()});
    std::tie(child, out) = detail::Start(std::move(args), directory, prefix);
  }
  Running(const Running&) = delete;
  Running& operator=(const Running&) = delete;
  ~Running() {
    std::ofstream(stop) << "stop\n";
    if (out >= 0) close(out);
    detail::Wait(child);
  }
  // True once the program says it is ready.
  bool Ready() { return out >= 0 && detail::ReadOut(out, "ready").find("ready") != std::string::npos; }

 private:
  std::filesystem::path stop;
  pid_t child = -1;
  int out = -1;
};

// Wine maps drive Z: to the root of the Linux file system.
inline std::string WindowsPath(const std::filesystem::path& path) {
  std::string text = "Z:" + path.string();
  std::ranges::replace(text, '/', '\\');
  return text;
}

// A fresh folder per test under Wine, kept when the test fails. Where Wine cannot
// run, the test is skipped with the reason; otherwise the win32 build's files it
// needs must exist.
class Sandbox : public ::testing::Test {
 protected:
  explicit Sandbox(std::vector<std::filesystem::path> files) : needed(std::move(files)) {}

  void SetUp() override {
    if (!UnavailableReason().empty()) GTEST_SKIP() << UnavailableReason();
    for (const std::filesystem::path& file : needed) {
      ASSERT_TRUE(std::filesystem::is_regular_file(file)) << file << " is missing: build the win32 preset";
    }
    std::string pattern = (std::filesystem::temp_directory_path() / "lumavale-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    root = pattern;
  }

  void TearDown() override {
    if (HasFailure()) {
      std::cerr << "the test's files are kept in " << root << "\n";
    } else if (!root.empty()) {
      std::filesystem::remove_all(root);
    }
  }

  std::filesystem::path root;

 private:
  std::vector<std::filesystem::path> needed;
};

}  // namespace lumavale::wine
