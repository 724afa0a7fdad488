// The editor's QtTest classes register here; the main runs one class by name, or all of them.
#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace quorvelin::test {

using TestFactory = std::function<std::unique_ptr<QObject>()>;
bool RegisterTest(const char* name, TestFactory factory);

}  // namespace quorvelin::test

#define QUORVELIN_EDITOR_TEST(Class) \
  static const bool Class##Registered = ::quorvelin::test::RegisterTest(#Class, [] { return std::make_unique<Class>(); })
