#pragma once
// Answer documents that carry their own expectations: an "Expect" member of the answer
// and of any of its actions names display values (by the keys of expectations.cpp) and
// what they should be. The readers ignore the member.
#include <gtest/gtest.h>

#include <string_view>
#include <vector>

#include "vistrel/core/json/json.hpp"

namespace presentationtest {

// The answers of a fixture file: the document itself, or each element of an array.
std::vector<vistrel::JSON> fixtureAnswers(std::string_view name);

// Reads the answer into an image and checks every expectation it carries against the
// image view model (filtering on) and the action view models of its shown actions.
void checkExpectations(const vistrel::JSON& answer);

// The regular, italic and heavy text faces are registered; the heavy italic one is
// deliberately not, so that a style naming it shows the fallback to the default face.
struct TextFontsTest : ::testing::Test {
    static void SetUpTestSuite();
};

}  // namespace presentationtest
