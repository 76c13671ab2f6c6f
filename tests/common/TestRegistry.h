#pragma once

#include <QObject>
#include <functional>
#include <vector>

// Lets one test executable hold several QtTest classes: each file registers its class with
// LW_REGISTER_TEST, and TestMain.cpp runs them all in turn.
namespace testing {

std::vector<std::function<QObject*()>>& Registry();

struct Registration {
    explicit Registration(std::function<QObject*()> make) { Registry().push_back(std::move(make)); }
};

} // namespace testing

#define LW_REGISTER_TEST(Class) static ::testing::Registration lwRegistration##Class([] { return new Class; })
