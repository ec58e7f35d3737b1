// Moves photos that older versions kept inside the records into their files.
#include <algorithm>
#include <exception>

#include "vistrel/platform/dispatch/main_thread.hpp"
#include "vistrel/platform/dispatch/queue.hpp"
#include "vistrel/platform/foundation/concatenate.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/graphics/image.hpp"
#include "vistrel/platform/graphics/image_decoding.hpp"
#include "vistrel/platform/store/write_lock.hpp"
#include "vistrel/store/persistance_controller.hpp"
#include "vistrel/store/photo_name.hpp"
#include "vistrel/store/record_write.hpp"

namespace vistrel {

namespace {

// Whether the record's row, in the store as it is now, still holds a photo: read by its
// length, not its bytes. False for a record gone from the store.
bool stillHoldsItsPhoto(platform::store::PersistentStoreCoordinator& store, const VistrelImage& image) {
    const auto& attributes = image.entity().attributes;
    const auto picture = std::find_if(attributes.begin(), attributes.end(),
                                      [](const auto& attribute) { return attribute.name == "picture"; });
    if (picture == attributes.end() || image.storeIdentifier() == 0) return false;
    const auto bytes = store.valueBytes(image.entity(), image.storeIdentifier(),
                                        static_cast<std::size_t>(picture - attributes.begin()));
    return bytes && *bytes > 0;
}

// Whether the record's row is gone from the store (another host deleted it); false when
// that cannot be told.
bool isGone(platform::store::PersistentStoreCoordinator& store, const VistrelImage& image) {
    return image.storeIdentifier() != 0 && store.holdsRow(image.entity(), image.storeIdentifier()) == false;
}

}  // namespace

void PersistanceController::migrateWithDelegate(std::shared_ptr<MigrationProtocol> delegate) {
    auto self = owner();
    if (!self) return;
    if (!platform::dispatch::isMainThread()) {
        platform::dispatch::main().async([self, delegate = std::move(delegate)] { self->migrateWithDelegate(delegate); });
        return;
    }
    if (migrating_) {
        platform::log("migration :: a run is already under way");
        return;
    }
    auto context = layer->managedObjectContext();
    if (!context) {
        platform::log("Fetching images failed");
        // Told later, as a fetch result would be, so the screen is never closed mid-appearance.
        platform::dispatch::main().async([delegate] {
            if (delegate) delegate->didFailMigration();
        });
        return;
    }
    migrating_ = true;
    // Every record that holds a photo, not only the newest ones a list shows; of each, the
    // identifier alone: its photo is read when its turn comes, one record at a time.
    platform::store::FetchRequest request = VistrelImage::fetchRequest();
    request.sort = platform::store::SortDescriptor{"date", false};
    request.predicate = platform::store::Predicate::isPresent("picture");
    request.propertiesToFetch = std::vector<std::string>{"identifier"};
    context->executeAsync(std::move(request), [self, delegate](auto result, auto) {
        self->processAsynchronousFetchResult(std::move(result), delegate);
    });
}

void PersistanceController::processAsynchronousFetchResult(std::optional<platform::store::FetchResult> result,
                                                           std::shared_ptr<MigrationProtocol> delegate) {
    auto context = layer->managedObjectContext();
    if (context && context->persistentStoreCoordinator()->isWriting() && platform::store::mainThreadHoldsAWrite()) {
        // Come inside another record's save (a host's savePicture that runs the main loop):
        // its photos could only join that save; the run goes on once it ends.
        auto self = owner();
        if (!self) return;
        platform::store::outsideMainThreadWrites([self, result = std::move(result), delegate] {
            self->processAsynchronousFetchResult(result, delegate);
        });
        return;
    }
    migrating_ = false;
    if (!result || !context) {
        platform::log("Fetching images failed");
        if (delegate) delegate->didFailMigration();
        return;
    }
    auto& store = *context->persistentStoreCoordinator();
    bool left = false, lockedOut = false;
    for (const auto& object : *result) {
        auto image = std::dynamic_pointer_cast<VistrelImage>(object);
        if (!image) continue;
        // A record another host deleted since the fetch has nothing left to move.
        if (isGone(store, *image)) continue;
        auto identifier = image->identifier();
        if (!identifier) continue;
        // Never read whole when it is longer than any picture file the kit reads: no photo,
        // and it stays in its record as a blob that is no image does.
        if (image->isUnread("picture")) {
            const auto bytes = image->valueBytes("picture");
            if (bytes && *bytes > platform::graphics::maxImageFileBytes) {
                platform::log(platform::concatenate("migration :: a record's photo of ", std::to_string(*bytes),
                                                    " bytes is too long to be a picture; it stays in its record"));
                continue;
            }
        }
        // Read now, and held only while this record is handled.
        const auto* picture = std::get_if<std::string>(&image->value("picture"));
        if (image->isUnread("picture")) {
            // Deleted meanwhile, or not read: then its photo waits for a later run.
            if (!isGone(store, *image)) left = true;
            continue;
        }
        if (!picture) continue;
        // The kit's own decode, encode and write of the photo beside its name, before the
        // store's write lock is taken.
        const auto still = platform::graphics::Image::decode(*picture);
        // The blob is not held meanwhile: it stays the only copy in the store until the
        // record is saved without it.
        context->refreshValue(image, "picture");
        if (!still) continue;  // no image: it can never be moved, and stays in its record
        std::optional<platform::PreparedFile> staged;
        if (stagesAhead_) staged = stagePhoto(*still, *identifier);
        RecordWrite write(context);
        auto& lock = write.lock();
        if (lock.error) {
            // Another host holds the store: the rest waits for a later run.
            platform::log("migration :: the store's write lock was not taken (another host's write not done in "
                          "time?); the photos left move at a later run");
            platform::log(platform::escapeControlCharacters(lock.error->description()));
            left = lockedOut = true;
            break;
        }
        // The record may have gone, or had its photo moved by another host, since it was
        // read: a photo is written only for a record that still holds one. Whatever has the
        // name then is no photo of a record's: the record's own is still inside it.
        if (!stillHoldsItsPhoto(store, *image)) continue;
        auto name = PhotoName::clear(lock, picturePath(*identifier));
        if (!name) {
            left = true;
            continue;
        }
        bool written = false;
        try {
            written = writeRecordsPhoto(*name, *still, *identifier, std::move(staged));
        } catch (const std::exception& e) {
            // A host's savePicture that throws: this photo waits for a later run, and the
            // screen is still told how the run ended.
            platform::log(platform::concatenate("migration :: writing a record's photo threw: ",
                                                platform::excerptOnOneLine(e.what(), 512, 4)));
        } catch (...) {
            platform::log("migration :: writing a record's photo threw");
        }
        if (!written || !stillHeldAfterThePhoto(lock, *identifier)) {
            left = true;  // the photo written, if any, is given up with the name
            continue;
        }
        image->setPicture(std::nullopt);
        // Saved before the next record is read, so that a run stopped later keeps what it
        // moved, with what a host's savePicture saved meanwhile. The photo in place is the
        // record's whether or not this save takes: one that fails is tried again with the
        // next, and at the end, and until then the record still holds its blob.
        {
            platform::store::WriteLock::Committing committing(lock);
            context->save();
        }
        name->keep();
    }
    // What is left to save is tried again at the end, unless another host holds the store.
    if (!lockedOut && context->hasChanges()) {
        if (auto error = context->save()) {
            platform::log("can't save context");
            logUnresolvedError(*error);
            left = true;
        }
    }
    if (!delegate) return;
    if (left)
        delegate->didFailMigration();
    else
        delegate->didFinishMigration();
}

}  // namespace vistrel
