#include "common/TestRegistry.h"

#include <QCoreApplication>
#include <QTest>
#include <memory>

namespace testing {
std::vector<std::function<QObject*()>>& Registry() {
    static std::vector<std::function<QObject*()>> registry;
    return registry;
}
} // namespace testing

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    int failures = 0;
    for (const auto& make : testing::Registry()) {
        std::unique_ptr<QObject> test(make());
        failures += QTest::qExec(test.get(), argc, argv);
    }
    return failures == 0 ? 0 : 1;
}
