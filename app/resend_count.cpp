#include "resend_count.hpp"

std::string describe(const ResendCount& count) {
    return "waiting photos sent again: " + std::to_string(count.recognised) + " recognised, " +
           std::to_string(count.failed) + " failed";
}
