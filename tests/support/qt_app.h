#pragma once
// One application for a whole test program, in the style the tool uses:
// made before the first test, destroyed after the last.
#include "ui/tool_style.h"

#include <QApplication>
#include <gtest/gtest.h>

#include <memory>

namespace quelm::test {

class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        app_ = std::make_unique<QApplication>(argc_, argv_);
        QApplication::setStyle(ui::makeToolStyle());
    }
    void TearDown() override { app_.reset(); }

private:
    int argc_ = 1;
    char name_[12] = "quelm_tests";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QApplication> app_;
};

inline const auto* const kQtEnvironment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

} // namespace quelm::test
