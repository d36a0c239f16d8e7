#include "tests/support/ChildProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <thread>

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

int WaitForChildExit(pid_t pid, std::chrono::milliseconds limit) {
  int status = 0;
  if (!WaitUntil([&] { return waitpid(pid, &status, WNOHANG) == pid; }, limit)) {
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return -2;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int RunInChild(const std::function<int()>& work, std::chrono::milliseconds limit) {
  const pid_t child = fork();
  if (child < 0) return -1;
  if (child == 0) _exit(work());
  return WaitForChildExit(child, limit);
}

pid_t StartProgram(const std::string& program, const std::vector<std::string>& arguments,
                   const std::string& outputPath) {
  std::vector<char*> argv;
  const std::string name = program.substr(program.rfind('/') + 1);
  argv.push_back(const_cast<char*>(name.c_str()));
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    const int out = open(outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    dup2(out, STDOUT_FILENO);
    dup2(out, STDERR_FILENO);
    const int none = open("/dev/null", O_RDONLY);
    dup2(none, STDIN_FILENO);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  return pid;
}
