#pragma once
// One test suite for every Registry implementation: the in-memory fake natively and under Wine,
// and the real registry under Wine. Each implementation instantiates it with a maker.
#include <functional>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "platform/registry.h"

struct RegistryMaker {
  std::string name;
  std::function<std::unique_ptr<platform::Registry>()> make;
  // Windows enumerates values in creation order; Wine keeps them sorted by name.
  bool valuesInCreationOrder = true;
};

inline std::ostream& operator<<(std::ostream& out, const RegistryMaker& maker) { return out << maker.name; }

class RegistrySuite : public testing::TestWithParam<RegistryMaker> {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A fresh key of this test's own under HKCU\Software.
  std::wstring Root() const { return root_; }
  std::wstring Sub(const std::wstring& relative) const { return root_ + L"\\" + relative; }

  std::unique_ptr<platform::Registry> reg;

 private:
  std::wstring root_;
};
