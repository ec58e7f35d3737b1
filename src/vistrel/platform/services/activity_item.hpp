#pragma once
// One thing handed to the share sheet: a text, an address or an image.
#include <optional>
#include <string>

#include "vistrel/platform/graphics/image.hpp"

namespace platform::services {

struct ActivityItem {
    enum class Kind { text, address, image };

    static ActivityItem makeText(std::string text) { return {Kind::text, std::move(text), std::nullopt}; }
    static ActivityItem makeAddress(std::string address) { return {Kind::address, std::move(address), std::nullopt}; }
    static ActivityItem makeImage(graphics::Image image) { return {Kind::image, {}, std::move(image)}; }

    Kind kind = Kind::text;
    std::string text;  // the text or the address
    std::optional<graphics::Image> image;

    // "text \"...\"", "address ...", "image <w>x<h>": for log lines and the demo.
    std::string description() const;
};

}  // namespace platform::services
