// A fixture that fixes the local time zone at UTC+8 for each test and puts
// the host's zone back afterwards, for decoders that convert local times.
#ifndef KESTREL_TESTS_SUPPORT_LOCALZONE_H
#define KESTREL_TESTS_SUPPORT_LOCALZONE_H

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

namespace kt {

class LocalZone : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* old = std::getenv("TZ");
    saved_ = old ? old : "";
    hadZone_ = old != nullptr;
    setenv("TZ", "CST-8", 1);
    tzset();
  }
  void TearDown() override {
    if (hadZone_) {
      setenv("TZ", saved_.c_str(), 1);
    } else {
      unsetenv("TZ");
    }
    tzset();
  }

 private:
  std::string saved_;
  bool hadZone_ = false;
};

}  // namespace kt

#endif  // KESTREL_TESTS_SUPPORT_LOCALZONE_H
