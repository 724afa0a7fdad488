// Runs the Java host test (com.zarn.snmp.QuorvelinHostTest) against the simulated device on a
// free loopback address: java opens the editor through the JNI entry point of libquorvelin.so.
//   java_host_test JAVA CLASSPATH LIBRARY_PATH
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "SampleDevice.h"

extern char** environ;

namespace {

constexpr int kLimitMs = 120000;

// The child's exit status, or -1 when it did not end in time (it is killed then).
int WaitWithDeadline(pid_t pid) {
  const int pidfd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
  if (pidfd >= 0) {
    pollfd p{pidfd, POLLIN, 0};
    const int ready = ::poll(&p, 1, kLimitMs);
    ::close(pidfd);
    if (ready <= 0) ::kill(pid, SIGKILL);
  }
  int status = 0;
  if (::waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace quorvelin;
  if (argc != 4) {
    std::fprintf(stderr, "usage: java_host_test JAVA CLASSPATH LIBRARY_PATH\n");
    return 2;
  }
  const auto sim = test::StartSampleDevice();
  if (!sim) return 1;
  const std::string address = Ipv4Text(sim->Address().address);

  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) env.emplace_back(*e);
  if (!std::getenv("QT_QPA_PLATFORM")) env.emplace_back("QT_QPA_PLATFORM=offscreen");
  char runtime[] = "/tmp/quorvelin-java-XXXXXX";
  if (!std::getenv("XDG_RUNTIME_DIR") && ::mkdtemp(runtime)) env.emplace_back(std::string("XDG_RUNTIME_DIR=") + runtime);
  std::vector<std::string> args = {argv[1], std::string("-Djava.library.path=") + argv[3], "-cp", argv[2],
                                   "com.zarn.snmp.QuorvelinHostTest", address};
  std::vector<char*> argp, envp;
  for (auto& a : args) argp.push_back(a.data());
  for (auto& e : env) envp.push_back(e.data());
  argp.push_back(nullptr);
  envp.push_back(nullptr);

  pid_t pid = 0;
  if (::posix_spawn(&pid, argv[1], nullptr, nullptr, argp.data(), envp.data()) != 0) {
    std::fprintf(stderr, "cannot start %s\n", argv[1]);
    return 1;
  }
  const int status = WaitWithDeadline(pid);
  const int reads = sim->Stats().reads.load();
  sim->Stop();
  if (runtime[std::string(runtime).size() - 1] != 'X') ::rmdir(runtime);
  std::printf("java exited with %d; the device answered %d reads\n", status, reads);
  return status == 0 && reads > 0 ? 0 : 1;
}
