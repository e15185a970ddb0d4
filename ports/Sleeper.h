// Waiting a fixed time, as a port so that tests and benchmarks need not.
#pragma once

namespace gsd {

class Sleeper {
public:
    virtual ~Sleeper() = default;

    // Blocks the calling thread for `milliseconds`.
    virtual void Sleep(int milliseconds) = 0;
};

} // namespace gsd
