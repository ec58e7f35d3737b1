#pragma once
// An error value as the platform's services report it: a domain, a code and a few
// named texts. Completions carry one beside an optional result; nothing throws it.
#include <map>
#include <string>

namespace platform {

struct Error {
    std::string domain;
    long code = 0;
    std::map<std::string, std::string> userInfo;

    // "Error Domain=<domain> Code=<code>", then the user information, for log lines.
    std::string description() const;

    bool operator==(const Error&) const = default;
};

}  // namespace platform
