#pragma once
// One step of the tutorial: its localised title and description.
#include <optional>
#include <string>
#include <utility>

namespace vistrel {

struct TutorialContent {
    std::optional<std::string> title;
    std::optional<std::string> text;

    TutorialContent() = default;
    TutorialContent(std::string title, std::string text) : title(std::move(title)), text(std::move(text)) {}
};

}  // namespace vistrel
