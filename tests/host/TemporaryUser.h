#pragma once

#include <gtest/gtest.h>
#include <string>

#include "support/TempDir.h"
#include "support/UserEnvironment.h"

namespace zr::test
{

// A user whose home, configuration and data live in a temporary folder for the object's lifetime:
// this process's environment is UserEnvironment(dir) meanwhile.
class TemporaryUser
{
public:
    // `dir` must outlive the object.
    explicit TemporaryUser(const TempDir& dir);

    // The module settings file of the control.
    const std::string& SettingsFile() const { return settingsFile_; }

    // Writes module settings whose COM1 is `device` (class 0, port 0) and registers the
    // component with zr47xcl-regsvr; the failure names what went wrong.
    ::testing::AssertionResult RegisterWithCom1(const std::string& device) const;

private:
    const TempDir& dir_;
    ScopedUserEnvironment environment_;
    std::string settingsFile_;
};

} // namespace zr::test
