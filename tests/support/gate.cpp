#include "support/gate.h"

namespace testenv {

void Gate::pass() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return open_ || permits_ > 0; });
    if (!open_) --permits_;
}

void Gate::allow(int n) {
    std::lock_guard lock(mutex_);
    permits_ += n;
    changed_.notify_all();
}

void Gate::open() {
    std::lock_guard lock(mutex_);
    open_ = true;
    changed_.notify_all();
}

}  // namespace testenv
