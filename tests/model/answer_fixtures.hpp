#pragma once
// Answer documents kept as fixture files, read the way the scanner reads an answer.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <string_view>

#include "vistrel/model/image.hpp"
#include "vistrel/platform/foundation/log.hpp"

namespace modeltest {

inline std::string fixtureText(std::string_view name) {
    std::ifstream in(std::string(VISTREL_TEST_DATA) + "/answers/" + std::string(name), std::ios::binary);
    EXPECT_TRUE(in) << "missing fixture " << name;
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// The image of a fixture answer; the reader's diagnostic lines are kept off the console.
inline vistrel::Image readAnswer(std::string_view name) {
    platform::LogCapture quiet;
    return vistrel::Image::fromData(fixtureText(name));
}

// The image of an answer written inline.
inline vistrel::Image readAnswerText(std::string_view text) {
    platform::LogCapture quiet;
    return vistrel::Image::fromData(text);
}

}  // namespace modeltest
