#pragma once
// A scan history of its own for the benchmarks and the demo: a store in a fresh folder
// under the system's temporary folder (removed with it), keeping every record, with
// `count` recognised records whose photo files the caller may then replace.
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "vistrel/core/sdk_configuration.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/store/persistance_controller.hpp"

namespace testsupport {

struct PhotoHistory {
    std::filesystem::path folder;
    std::shared_ptr<vistrel::PersistanceController> store;
    std::vector<std::filesystem::path> files;  // of the records made, oldest first

    PhotoHistory(int count, const platform::graphics::Image& photo) {
        std::string pattern = (std::filesystem::temp_directory_path() / "vistrel-history-XXXXXX").string();
        if (!mkdtemp(pattern.data())) return;
        folder = pattern;
        auto layer = std::make_shared<vistrel::CoreDataLayer>();
        layer->setApplicationDocumentsDirectory(folder);
        platform::Dictionary configuration;
        configuration.set("GALLERY_NUMBER_ITEMS", "0");
        store = std::make_shared<vistrel::PersistanceController>(
            layer, std::make_shared<vistrel::SdkConfiguration>(std::move(configuration)));
        platform::LogCapture quiet;  // the store prints each file it writes
        for (int i = 0; i < count; ++i) {
            const std::string key = "photo" + std::to_string(i);
            if (store->loadOrCreateVistrelImage("doc" + std::to_string(i), key, "Scanned page " + std::to_string(i + 1),
                                                photo, vistrel::Date(std::chrono::seconds(1'700'000'000 + i))))
                files.push_back(store->picturePath(key));
        }
    }
    ~PhotoHistory() {
        std::error_code ec;
        if (!folder.empty()) std::filesystem::remove_all(folder, ec);
    }
    PhotoHistory(const PhotoHistory&) = delete;
    PhotoHistory& operator=(const PhotoHistory&) = delete;

    // Every record's photo file now holds these bytes.
    void replaceFiles(std::string_view bytes) const {
        for (const auto& file : files) std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
    }
};

}  // namespace testsupport
