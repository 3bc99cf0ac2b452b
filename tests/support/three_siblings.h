// A fresh tree of three sibling folders, Alpha, Beta and Gamma, for tests
// that run the command in it; the process's current directory is put back
// and the tree removed after each test.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "host/failure.h"

namespace tavrel::testing {

class ThreeSiblings : public ::testing::Test {
protected:
  void SetUp() override {
    ResetErrorState();
    start_ = std::filesystem::current_path();
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    root_ = std::filesystem::temp_directory_path() /
            (std::string("tavrel-") + test->test_suite_name() + "-" + test->name());
    std::filesystem::remove_all(root_);
    for (const char* name : {"Alpha", "Beta", "Gamma"}) {
      std::filesystem::create_directories(root_ / name);
    }
    root_ = std::filesystem::canonical(root_);
  }
  void TearDown() override {
    std::filesystem::current_path(start_);
    std::filesystem::remove_all(root_);
  }

  std::filesystem::path start_;  // the current directory before the test
  std::filesystem::path root_;   // the tree's folder, a physical path
};

}  // namespace tavrel::testing
