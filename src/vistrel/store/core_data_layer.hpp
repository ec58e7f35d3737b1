#pragma once
// The history store's stack: the data model from the kit's bundle, the coordinator
// with the SQLite file "VistrelData.sqlite" in the documents folder, and the one
// main-queue context. Each is made on its first read and kept once made; nothing is
// opened before that. A store that cannot be opened is reported and left as it is
// (never deleted or made anew); reads give none and are tried again next time.
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>

#include "vistrel/platform/foundation/error.hpp"
#include "vistrel/platform/store/managed_object_context.hpp"
#include "vistrel/platform/store/object_model.hpp"
#include "vistrel/platform/store/persistent_store_coordinator.hpp"

namespace vistrel {

inline constexpr std::string_view kStoreFileName = "VistrelData.sqlite";
inline constexpr std::string_view kModelResourceName = "VistrelModel.momd";

class CoreDataLayer {
public:
    CoreDataLayer() = default;
    virtual ~CoreDataLayer() = default;

    // The folder of the store file and the photos: the kit's data folder unless set,
    // with the links on its way resolved on the first read after it is set, so that the
    // store and its photos stay in one folder however those links change later. Photos
    // may be read from any thread, so it is found and set under a lock.
    virtual std::filesystem::path applicationDocumentsDirectory();
    virtual void setApplicationDocumentsDirectory(std::filesystem::path folder);

    // "VistrelModel" from the kit's bundle; none (with a log line) when it is missing.
    virtual std::shared_ptr<const platform::store::ManagedObjectModel> managedObjectModel();
    virtual void setManagedObjectModel(std::shared_ptr<const platform::store::ManagedObjectModel> model);

    // The coordinator with the store added; none (with a log line) when it cannot be.
    virtual std::shared_ptr<platform::store::PersistentStoreCoordinator> persistentStoreCoordinator();
    virtual void setPersistentStoreCoordinator(std::shared_ptr<platform::store::PersistentStoreCoordinator> coordinator);

    // Reading it opens the store; none when the store cannot be opened. Making it clears
    // the photo files earlier runs left half written or set aside (clearStalePhotoFiles).
    virtual std::shared_ptr<platform::store::ManagedObjectContext> managedObjectContext();
    virtual void setManagedObjectContext(std::shared_ptr<platform::store::ManagedObjectContext> context);

    // Saves the context when it holds changes and then posts the store's did-save and
    // objects-did-change notifications. A failure is logged and returned; the changes
    // stay pending for the next save.
    virtual std::optional<platform::Error> saveContext();

private:
    std::mutex documentsMutex_;
    std::optional<std::filesystem::path> documentsDirectory_;
    bool documentsResolved_ = false;
    std::shared_ptr<const platform::store::ManagedObjectModel> model_;
    std::shared_ptr<platform::store::PersistentStoreCoordinator> coordinator_;
    std::shared_ptr<platform::store::ManagedObjectContext> context_;
};

// Tells the observers of the store that the context's changes were written: the did-save
// and objects-did-change notifications. What an observer throws reaches the caller.
void postDidSave(const std::shared_ptr<platform::store::ManagedObjectContext>& context);

// "Unresolved error <error>, <its user information>" on the log.
void logUnresolvedError(const platform::Error& error);

}  // namespace vistrel
