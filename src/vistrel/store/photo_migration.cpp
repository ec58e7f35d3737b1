// Moves photos that older versions kept inside the records into their files.
#include <exception>

#include "vistrel/platform/dispatch/main_thread.hpp"
#include "vistrel/platform/dispatch/queue.hpp"
#include "vistrel/platform/foundation/concatenate.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/graphics/image.hpp"
#include "vistrel/platform/graphics/image_decoding.hpp"
#include "vistrel/store/persistance_controller.hpp"

namespace vistrel {

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
    migrating_ = false;
    auto context = layer->managedObjectContext();
    if (!result || !context) {
        platform::log("Fetching images failed");
        if (delegate) delegate->didFailMigration();
        return;
    }
    bool left = false;
    for (const auto& object : *result) {
        auto image = std::dynamic_pointer_cast<VistrelImage>(object);
        if (!image) continue;
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
            left = true;  // the record could not be read: its photo waits for a later run
            continue;
        }
        if (!picture) continue;
        std::optional<platform::graphics::Image> decoded;
        bool written = false;
        try {
            decoded = platform::graphics::Image::decode(*picture);
            written = decoded && savePicture(*decoded, *identifier);
        } catch (const std::exception& e) {
            // A host's savePicture that throws: this photo waits for a later run, and the
            // screen is still told how the run ended.
            platform::log(platform::concatenate("migration :: writing a record's photo threw: ",
                                                platform::excerptOnOneLine(e.what(), 512, 4)));
            decoded.reset();
            left = true;
        } catch (...) {
            platform::log("migration :: writing a record's photo threw");
            decoded.reset();
            left = true;
        }
        // The blob is the only copy until its file is written.
        if (written) {
            image->setPicture(std::nullopt);
            // Saved before the next record is read, so that a run stopped later keeps what
            // it moved; a save that fails here is tried again with the next, and at the end.
            context->save();
            continue;
        }
        // A blob that is no image can never be moved and stays in its record; one whose
        // file could not be written stays for a later run. Neither is held meanwhile.
        if (decoded) left = true;
        context->refreshValue(image, "picture");
    }
    if (context->hasChanges()) {
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
