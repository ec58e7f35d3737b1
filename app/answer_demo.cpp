#include "answer_demo.hpp"

#include <iostream>
#include <string>

#include "model/image.hpp"
#include "platform/foundation/concatenate.hpp"
#include "platform/foundation/file_io.hpp"
#include "platform/foundation/log.hpp"

namespace {

// Texts from the answer are printed escaped, so none can break the demo's lines.
std::string shown(const std::optional<std::string>& text) {
    return text ? platform::concatenate('"', platform::escapeControlCharacters(*text), '"') : "(none)";
}

}  // namespace

void printAnswer(const std::filesystem::path& path) {
    std::cout << "\n== answer: " << path.string() << "\n";
    auto bytes = platform::readFile(path);
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
}
