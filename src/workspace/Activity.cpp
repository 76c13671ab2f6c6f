#include "workspace/Activity.h"

namespace workspace {

namespace {

std::function<void()>& Stamp() {
    static std::function<void()> stamp;
    return stamp;
}

} // namespace

void StampActivity() {
    if (Stamp())
        Stamp()();
}

void SetActivityStamp(std::function<void()> stamp) {
    Stamp() = std::move(stamp);
}

} // namespace workspace
