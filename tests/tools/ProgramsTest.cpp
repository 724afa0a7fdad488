// The two programs as a user starts them: quorvelin-devsim until a signal, quorvelin demo.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include "EndToEndSupport.h"

extern char** environ;

namespace quorvelin {
namespace {

using namespace testing;

// A child process whose standard output comes through a pipe.
class Program {
 public:
  explicit Program(std::vector<std::string> args) {
    int fds[2];
    if (::pipe(fds) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    out_ = fds[0];
  }
  ~Program() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      Wait();
    }
    if (out_ >= 0) ::close(out_);
  }
  bool Started() const { return pid_ > 0; }
  // Output up to the first line end, or what came before the wait ended.
  std::string Line(std::chrono::milliseconds wait) { return ReadUntil(wait, true); }
  std::string Rest(std::chrono::milliseconds wait) { return ReadUntil(wait, false); }
  void Signal(int signal) { ::kill(pid_, signal); }
  int Wait() {
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }

 private:
  std::string ReadUntil(std::chrono::milliseconds wait, bool oneLine) {
    const Deadline deadline = DeadlineAfter(wait);
    std::string text;
    char c = 0;
    for (;;) {
      pollfd p{out_, POLLIN, 0};
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyClock::now()).count();
      if (left <= 0 || ::poll(&p, 1, static_cast<int>(left)) <= 0 || ::read(out_, &c, 1) != 1) return text;
      if (oneLine && c == '\n') return text;
      text += c;
    }
  }
  pid_t pid_ = -1;
  int out_ = -1;
};

std::string Binary(const char* path) { return std::string(QUORVELIN_BINARY_DIR) + "/tools/" + path; }

TEST(Programs, DevsimServesUntilSignalledAndSavesItsPorts) {
  TempDir dir;
  Endpoint free;
  { UdpSocket probe = BindFreeLoopback(kDeviceUdpPort, free, 60); }  // an address nobody serves
  const std::string address = Ipv4Text(free.address);
  Program devsim({Binary("devsim/quorvelin-devsim"), "--listen", address, "--save-dir", dir.Path()});
  ASSERT_TRUE(devsim.Started());
  EXPECT_EQ(devsim.Line(10s), "quorvelin-devsim ready on " + address + ":2007 (plain framing, 2 ports)");
  Editor e(free.address);
  Refresh(e.tree, *e.link);
  EXPECT_EQ(DumpTree(e.tree), DumpTree(SampleTree().tree));
  devsim.Signal(SIGTERM);
  EXPECT_EQ(devsim.Wait(), 0);
  std::ifstream saved(dir.Path() + "/port2.ts", std::ios::binary);
  EXPECT_EQ(devsim::Packets(std::istreambuf_iterator<char>(saved), {}), SampleTree().store.PortStream(1));
}

TEST(Programs, DemoPrintsTheSimulatedDevicesTables) {
  TempDir dir;
  Program demo({Binary("launcher/quorvelin"), "demo"});
  ASSERT_TRUE(demo.Started());
  EXPECT_EQ(demo.Line(10s).rfind("simulated device on 127.0.0.", 0), 0u);
  EXPECT_EQ(demo.Line(10s), "PortA");
  EXPECT_NE(demo.Rest(20s).find("PortB\n  PAT\n    SECTION0:"), std::string::npos);
  EXPECT_EQ(demo.Wait(), 0);
}

}  // namespace
}  // namespace quorvelin
