#pragma once
// Scopes a controller opens on a thread for one key, innermost first: a call of the
// controller's own step for that key, made on that thread while one lives (from inside a
// host's override, say), finds the scope and acts as it says.
#include <string>
#include <string_view>

namespace vistrel {

template <class Scope>
class KeyScope {
public:
    KeyScope(const KeyScope&) = delete;
    KeyScope& operator=(const KeyScope&) = delete;

protected:
    KeyScope(const void* owner, std::string_view key) : owner_(owner), key_(key), outer_(innermost_) {
        innermost_ = static_cast<Scope*>(this);
    }
    ~KeyScope() { innermost_ = outer_; }

    // The innermost scope of the calling thread for the owner and key; none outside one.
    static Scope* find(const void* owner, std::string_view key) {
        for (Scope* scope = innermost_; scope; scope = scope->outer_)
            if (scope->owner_ == owner && scope->key_ == key) return scope;
        return nullptr;
    }

private:
    const void* owner_;
    const std::string key_;
    Scope* outer_;
    static inline thread_local Scope* innermost_ = nullptr;
};

}  // namespace vistrel
