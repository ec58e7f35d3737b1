#include "answer_demo.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <sstream>
#include <string>

#include "vistrel/core/hex_color.hpp"
#include "vistrel/model/image.hpp"
#include "vistrel/platform/foundation/concatenate.hpp"
#include "vistrel/platform/foundation/file_io.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/presentation/action_view_model.hpp"
#include "vistrel/presentation/image_view_model.hpp"

namespace {

// Texts from the answer are printed by their start, escaped, so none can break the
// demo's lines or run for megabytes.
std::string shown(const std::optional<std::string>& text) {
    return text ? platform::concatenate('"', platform::excerptOnOneLine(*text), '"') : "(none)";
}

// "#RRGGBB" for an opaque colour, "#RRGGBBAA" otherwise.
std::string colorText(const platform::graphics::Color& color) {
    std::string text = vistrel::hexString(color);
    double alpha = std::isnan(color.a) ? 0.0 : std::clamp(color.a, 0.0, 1.0);
    long byte = std::lround(alpha * 255);
    if (byte == 255) return text;
    char digits[3];
    std::snprintf(digits, sizeof digits, "%02lX", byte);
    return text.append(digits);
}

// One line per shown action, in display order, with the values its row is drawn with.
void printShownActions(const vistrel::ImageViewModel& model) {
    constexpr double rowWidth = 343;
    std::cout << "shown actions: " << model.numberOfActions() << " (display order, rows " << rowWidth
              << " points wide)\n";
    for (std::intptr_t position = 0; position < model.numberOfActions(); ++position) {
        auto row = model.viewModelForAction(position);
        auto font = row->textFont();
        std::ostringstream line;
        line << "  " << position + 1 << ". " << shown(row->name()) << "  icon " << row->iconSize()
             << (row->iconDisplay() ? "" : " (hidden)") << "  text "
             << colorText(row->textColor()) << "  bg " << colorText(row->buttonBackgroundColor())
             << (row->buttonDisplay() ? "" : " (hidden)") << "  font "
             << (font ? font->postScriptName + " " + std::to_string(std::lround(font->pointSize)) : "(none)")
             << "  height " << model.buttonHeightForAction(position, rowWidth);
        std::cout << line.str() << "\n";
    }
}

}  // namespace

void printAnswer(const std::filesystem::path& path) {
    std::cout << "\n== answer: " << path.string() << "\n";
    auto bytes = platform::readFile(path, 64u << 20);
    if (!bytes) {
        std::cout << "cannot read " << path.string() << "\n";
        return;
    }
    vistrel::Image image = vistrel::Image::fromData(*bytes);
    std::cout << "title: " << shown(image.title) << "\n";
    if (!image.actions) {
        std::cout << "actions: (none)\n";
        return;
    }
    std::cout << "actions: " << image.actions->size() << "\n";
    std::size_t position = 0;
    for (const vistrel::Action& action : *image.actions) {
        std::string kind = action.type ? std::string(vistrel::rawValue(*action.type)) : "(no kind)";
        std::cout << "  " << ++position << ". " << kind << "  " << shown(action.name) << "\n";
    }
    printShownActions(vistrel::ImageViewModel(image));
}
