#include "history_demo.hpp"

#include <chrono>
#include <ctime>
#include <filesystem>
#include <iostream>
#include <string>

#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/store/persistance_controller.hpp"

namespace {

std::string dateText(const std::optional<vistrel::Date>& date) {
    if (!date) return "(no date)          ";
    std::time_t seconds = std::chrono::system_clock::to_time_t(*date);
    std::tm local{};
    localtime_r(&seconds, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

}  // namespace

void printHistory() {
    std::cout << "\n== history, newest first\n";
    const auto& history = vistrel::PersistanceController::shared();
    auto records = history->retrieveImages();
    if (!records) {
        std::cout << "the history cannot be read (see the line above); it is shown empty\n";
        return;
    }
    if (records->empty()) std::cout << "(no scans yet)\n";
    for (const auto& record : *records) {
        auto identifier = record->identifier();
        bool photo = identifier && std::filesystem::exists(history->picturePath(*identifier));
        std::cout << dateText(record->date()) << "  " << (record->isFavorite() ? "*" : " ") << "  \""
                  << platform::excerptOnOneLine(record->title().value_or("")) << "\"  "
                  << platform::excerptOnOneLine(identifier.value_or("(no identifier)")) << "  "
                  << (photo ? "photo file" : "NO photo file") << "\n";
    }
}
