// The test program's own getaddrinfo: see slow_lookup.hpp. libcurl calls getaddrinfo by
// name from its lookup thread, and the program's definition comes before the C library's;
// the C library's is reached with dlsym(RTLD_NEXT).
#include "slow_lookup.hpp"

#include <dlfcn.h>
#include <netdb.h>

#include <condition_variable>
#include <cstring>
#include <mutex>

namespace nettest::slowlookup {

namespace {

struct State {
    std::mutex mutex;
    std::condition_variable changed;
    int begun = 0;
    int held = 0;
    bool released = false;
};

// Never destroyed: a lookup thread that libcurl left to finish on its own may still be
// here while the program exits.
State& state() {
    static State* shared = new State;
    return *shared;
}

}  // namespace

int begun() {
    std::lock_guard lock(state().mutex);
    return state().begun;
}

int held() {
    std::lock_guard lock(state().mutex);
    return state().held;
}

bool waitForBegun(int count, std::chrono::milliseconds bound) {
    State& s = state();
    std::unique_lock lock(s.mutex);
    return s.changed.wait_for(lock, bound, [&] { return s.begun >= count; });
}

bool release(std::chrono::milliseconds bound) {
    State& s = state();
    std::unique_lock lock(s.mutex);
    s.released = true;
    s.changed.notify_all();
    return s.changed.wait_for(lock, bound, [&] { return s.held == 0; });
}

void rearm() {
    std::lock_guard lock(state().mutex);
    state().released = false;
}

}  // namespace nettest::slowlookup

extern "C" int getaddrinfo(const char* node, const char* service, const struct addrinfo* hints,
                           struct addrinfo** result) {
    using Lookup = int (*)(const char*, const char*, const struct addrinfo*, struct addrinfo**);
    if (node && std::strcmp(node, nettest::slowlookup::slowHost) == 0) {
        auto& s = nettest::slowlookup::state();
        std::unique_lock lock(s.mutex);
        ++s.begun;
        ++s.held;
        s.changed.notify_all();
        s.changed.wait_for(lock, std::chrono::minutes(10), [&] { return s.released; });
        --s.held;
        s.changed.notify_all();
        return EAI_NONAME;
    }
    static const auto real = reinterpret_cast<Lookup>(dlsym(RTLD_NEXT, "getaddrinfo"));
    if (!real) return EAI_SYSTEM;
    return real(node, service, hints, result);
}
