#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <map>

#include "EditorTestMain.h"

namespace quorvelin::test {
namespace {

std::map<std::string, TestFactory>& Registry() {
  static std::map<std::string, TestFactory> tests;
  return tests;
}

}  // namespace

bool RegisterTest(const char* name, TestFactory factory) {
  Registry()[name] = std::move(factory);
  return true;
}

}  // namespace quorvelin::test

// test_editor [Class [QtTest arguments...]]
int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QTemporaryDir runtimeDir;  // private to this run (mode 0700)
  if (!qEnvironmentVariableIsSet("XDG_RUNTIME_DIR")) qputenv("XDG_RUNTIME_DIR", runtimeDir.path().toLocal8Bit());
  QApplication app(argc, argv);
  std::setlocale(LC_NUMERIC, "C");
  const auto& tests = quorvelin::test::Registry();
  std::vector<char*> args{argv[0]};
  std::string only;
  if (argc > 1 && argv[1][0] != '-') {
    only = argv[1];
    for (int i = 2; i < argc; ++i) args.push_back(argv[i]);
    if (!tests.count(only)) {
      std::fprintf(stderr, "no test class %s\n", only.c_str());
      return 2;
    }
  } else {
    for (int i = 1; i < argc; ++i) args.push_back(argv[i]);
  }
  int failures = 0;
  for (const auto& [name, make] : tests) {
    if (!only.empty() && name != only) continue;
    const auto object = make();
    failures += QTest::qExec(object.get(), static_cast<int>(args.size()), args.data());
  }
  return failures == 0 ? 0 : 1;
}
