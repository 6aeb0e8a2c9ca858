#pragma once
// The widgets under test need an application object; it must be gone before the program's exit
// handlers run, so a test environment owns it (unless another part of the test program made
// one). Every test file that includes this header shares the one environment.

#include <QApplication>

#include <gtest/gtest.h>

#include <memory>

class QtApplicationEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        if (!QCoreApplication::instance())
            app_ = std::make_unique<QApplication>(argc_, argv_);
    }
    void TearDown() override { app_.reset(); }

private:
    int argc_ = 1;
    char arg0_[13] = "editor_tests";
    char* argv_[2] = {arg0_, nullptr};
    std::unique_ptr<QApplication> app_;
};

[[maybe_unused]] inline ::testing::Environment* const qtApplicationEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtApplicationEnvironment);
