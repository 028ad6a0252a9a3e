#pragma once

#include "logging/SimpleThreadBase.h"

namespace CCThread {

// A SimpleThreadBase with the one shared way of waiting for its thread.
class SimpleThread : public SimpleThreadBase {
public:
    using SimpleThreadBase::SimpleThreadBase;

    // Joins the thread. A thread cannot wait for itself (EDEADLK); a handle without a thread
    // gives EINVAL.
    int WaitForHandle(std::thread& handle) override;
};

}  // namespace CCThread
