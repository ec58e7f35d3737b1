#include "vistrel/store/core_data_layer.hpp"

#include <system_error>

#include "vistrel/core/data_directory.hpp"
#include "vistrel/core/vistrel_bundle.hpp"
#include "vistrel/platform/foundation/concatenate.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/ui/notification_center.hpp"
#include "vistrel/store/stale_photo_files.hpp"
#include "vistrel/store/store_notifications.hpp"
#include "vistrel/store/vistrel_image.hpp"

namespace vistrel {

namespace {

std::string userInfoDescription(const platform::Error& error) {
    std::string text = "{";
    for (const auto& [key, value] : error.userInfo) {
        if (text.size() > 1) text += ", ";
        text += key;
        text += " = ";
        text += value;
    }
    text += '}';
    return text;
}

platform::Error storeError(std::string underlying) {
    platform::Error error;
    error.domain = "YOUR_ERROR_DOMAIN";
    error.code = 9999;
    error.userInfo["NSLocalizedDescription"] = "Failed to initialize the application's saved data";
    error.userInfo["NSLocalizedFailureReason"] = "There was an error creating or loading the application's saved data.";
    error.userInfo["NSUnderlyingError"] = std::move(underlying);
    return error;
}

}  // namespace

void logUnresolvedError(const platform::Error& error) {
    std::string line = "Unresolved error ";
    line += error.description();
    line += ", ";
    line += userInfoDescription(error);
    platform::log(platform::escapeControlCharacters(line));
}

std::filesystem::path CoreDataLayer::applicationDocumentsDirectory() {
    std::lock_guard lock(documentsMutex_);
    if (!documentsResolved_) {
        // Resolved once, on first use (the store opens there): a link on the way that is
        // later pointed elsewhere must not send the photos away from their store.
        // The kit's data folder only when none was given: finding it takes over what an
        // earlier version left in the shared folder.
        const std::filesystem::path folder = documentsDirectory_ ? *documentsDirectory_ : dataDirectory();
        std::error_code ec;
        std::filesystem::path resolved = std::filesystem::weakly_canonical(folder, ec);
        documentsDirectory_ = ec ? folder : std::move(resolved);
        documentsResolved_ = true;
    }
    return *documentsDirectory_;
}

void CoreDataLayer::setApplicationDocumentsDirectory(std::filesystem::path folder) {
    std::lock_guard lock(documentsMutex_);
    documentsDirectory_ = std::move(folder);
    documentsResolved_ = false;
}

std::shared_ptr<const platform::store::ManagedObjectModel> CoreDataLayer::managedObjectModel() {
    if (model_) return model_;
    auto bundle = vistrelBundle();
    auto file = bundle ? bundle->pathForResource(kModelResourceName) : std::nullopt;
    if (!file) {
        platform::log("store :: the data model \"VistrelModel\" is not in the kit's bundle");
        return nullptr;
    }
    std::string reason;
    auto model = platform::store::ManagedObjectModel::load(*file, &reason);
    if (!model) {
        std::string line = "store :: the data model \"VistrelModel\" cannot be read: ";
        line += reason;
        platform::log(line);
        return nullptr;
    }
    model_ = std::make_shared<const platform::store::ManagedObjectModel>(std::move(*model));
    return model_;
}

void CoreDataLayer::setManagedObjectModel(std::shared_ptr<const platform::store::ManagedObjectModel> model) {
    model_ = std::move(model);
}

std::shared_ptr<platform::store::PersistentStoreCoordinator> CoreDataLayer::persistentStoreCoordinator() {
    if (coordinator_) return coordinator_;
    auto model = managedObjectModel();
    if (!model) return nullptr;
    VistrelImage::registerClass();
    auto coordinator = std::make_shared<platform::store::PersistentStoreCoordinator>(model);
    std::filesystem::path folder = applicationDocumentsDirectory();
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) {
        std::string underlying = "the documents folder cannot be made: ";
        underlying += folder.string();
        underlying += ": ";
        underlying += ec.message();
        logUnresolvedError(storeError(std::move(underlying)));
        return nullptr;
    }
    if (auto error = coordinator->addSQLiteStore(folder / kStoreFileName)) {
        logUnresolvedError(storeError(error->description()));
        return nullptr;
    }
    coordinator_ = std::move(coordinator);
    return coordinator_;
}

void CoreDataLayer::setPersistentStoreCoordinator(std::shared_ptr<platform::store::PersistentStoreCoordinator> coordinator) {
    coordinator_ = std::move(coordinator);
}

std::shared_ptr<platform::store::ManagedObjectContext> CoreDataLayer::managedObjectContext() {
    if (context_) return context_;
    auto coordinator = persistentStoreCoordinator();
    if (!coordinator) return nullptr;
    context_ = platform::store::ManagedObjectContext::make(std::move(coordinator));
    // Once per opening, with the records at hand: what a photo set aside by a stopped run
    // becomes depends on whether the record of its replacement was saved.
    if (std::size_t cleared = clearStalePhotoFiles(applicationDocumentsDirectory(), *context_))
        platform::log(platform::concatenate("store :: ", std::to_string(cleared),
                                            " photo files an earlier run left aside cleared"));
    return context_;
}

void CoreDataLayer::setManagedObjectContext(std::shared_ptr<platform::store::ManagedObjectContext> context) {
    context_ = std::move(context);
}

std::optional<platform::Error> CoreDataLayer::saveContext() {
    auto context = managedObjectContext();
    if (!context) return storeError("the store is not open");
    if (!context->hasChanges()) return std::nullopt;
    const auto& coordinator = context->persistentStoreCoordinator();
    const bool joins = coordinator && coordinator->savesJoinTheWrite(context.get());
    auto error = context->save();
    if (error) {
        logUnresolvedError(*error);
        return error;
    }
    // Nothing is written yet: the commit of the write it joined tells it.
    if (joins) return std::nullopt;
    postDidSave(context);
    return std::nullopt;
}

void postDidSave(const std::shared_ptr<platform::store::ManagedObjectContext>& context) {
    auto& centre = platform::ui::NotificationCenter::defaultCenter();
    centre.post(std::string(managedObjectContextDidSaveNotification), context);
    centre.post(std::string(managedObjectContextObjectsDidChangeNotification), context);
}

}  // namespace vistrel
