#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>

#include "settings/settings.h"
#include "settings/settings_backend.h"

// One settings key of one backend, fresh for each test.
class SettingsKeyUnderTest {
  public:
    virtual ~SettingsKeyUnderTest() = default;
    // The backend as a new start of the program makes it, on the same key.
    virtual SettingsBackend& start() = 0;
    virtual bool keyExists() const = 0;
};

struct SettingsBackendFactory {
    const char* name;
    std::unique_ptr<SettingsKeyUnderTest> (*make)();
};

inline void PrintTo(const SettingsBackendFactory& factory, std::ostream* os) {
    *os << factory.name;
}

// The suite every settings backend passes: instantiate it with a factory per backend.
class SettingsBackendContract : public ::testing::TestWithParam<SettingsBackendFactory> {
  protected:
    void SetUp() override { key = GetParam().make(); }
    std::unique_ptr<SettingsKeyUnderTest> key;
};

// Settings with every value away from its default, for round trips.
Settings everyValueSet();

std::string settingsBackendName(const ::testing::TestParamInfo<SettingsBackendFactory>& info);
