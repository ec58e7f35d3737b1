#include "vistrel/store/persistance_controller.hpp"

#include <system_error>

#include "vistrel/core/string_extras.hpp"
#include "vistrel/core/vistrel_bundle.hpp"
#include "vistrel/platform/dispatch/queue.hpp"
#include "vistrel/platform/foundation/concatenate.hpp"
#include "vistrel/platform/foundation/file_io.hpp"
#include "vistrel/platform/foundation/file_steps.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/graphics/display_decoding.hpp"
#include "vistrel/platform/graphics/jpeg_encoding.hpp"
#include "vistrel/platform/store/write_lock.hpp"
#include "vistrel/store/on_main_thread.hpp"
#include "vistrel/core/picture_file_name.hpp"
#include "vistrel/store/photo_name.hpp"
#include "vistrel/store/record_write.hpp"

namespace vistrel {

namespace {

using platform::store::FetchRequest;
using platform::store::Predicate;

// Whether a record of the identifier is in the store itself, as every host sharing it sees
// it (what this context holds pending aside); none when that cannot be read.
std::optional<bool> hasRecordInTheStore(platform::store::PersistentStoreCoordinator& store,
                                        const std::string& identifier) {
    FetchRequest request = VistrelImage::fetchRequest();
    request.predicate = Predicate::equals("identifier", identifier);
    request.propertiesToFetch = std::vector<std::string>{"identifier"};
    const auto rows = store.fetch(request, 1);
    if (!rows) return std::nullopt;
    return !rows->empty();
}

VistrelImages asImages(const platform::store::FetchResult& objects) {
    VistrelImages images;
    images.reserve(objects.size());
    for (const auto& object : objects)
        if (auto image = std::dynamic_pointer_cast<VistrelImage>(object)) images.push_back(std::move(image));
    return images;
}

// A photo file read by the display decoders; none without a regular file. Whatever the
// file holds (it may have been replaced), it is never decoded past the limits.
std::optional<platform::graphics::Image> readPictureFile(const std::filesystem::path& path, int pixelWidth,
                                                         int pixelHeight,
                                                         const platform::graphics::DisplayDecodingLimits& limits) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return std::nullopt;
    return platform::graphics::readStillFileForDisplay(path, pixelWidth, pixelHeight, limits);
}

}  // namespace

const std::shared_ptr<PersistanceController>& PersistanceController::shared() {
    // Made once, never destroyed: blocks on the main queue may outlive static teardown.
    static auto* instance = new std::shared_ptr<PersistanceController>(std::make_shared<PersistanceController>());
    return *instance;
}

PersistanceController::PersistanceController(std::shared_ptr<CoreDataLayer> layer,
                                             std::shared_ptr<const SdkConfiguration> configuration)
    : layer(std::move(layer)), configuration_(std::move(configuration)) {}

std::shared_ptr<PersistanceController> PersistanceController::owner() {
    auto self = weak_from_this().lock();
    if (!self) platform::log("store :: work for later needs a controller held by a shared pointer");
    return self;
}

std::int64_t PersistanceController::historyLimit() const {
    const SdkConfiguration& configuration = configuration_ ? *configuration_ : SdkConfiguration::shared();
    std::int64_t limit = configuration.intValueForKey(ConfigurationKey::galleryNumberOfItems);
    return limit > 0 ? limit : 0;  // 0, a negative number or no number: no limit
}

std::optional<platform::PreparedFile> PersistanceController::stagePhoto(const platform::graphics::Image& picture,
                                                                        std::string_view key) {
    auto jpeg = platform::graphics::encodeJpeg(picture, 1.0);
    if (!jpeg) return std::nullopt;
    return platform::PreparedFile::write(picturePath(key), *jpeg, 0644, kStagedPhotoMark);
}

bool PersistanceController::writeRecordsPhoto(PhotoName& name, const platform::graphics::Image& picture,
                                              std::string_view key, std::optional<platform::PreparedFile> staged) {
    PictureWriteScope writing(*this, key, name, picture, std::move(staged));
    bool written = false;
    try {
        written = savePicture(picture, key);
    } catch (...) {
        // What a host's savePicture wrote before it threw is its own write: it goes with the
        // record given up.
        name.written();
        throw;
    }
    // Staged ahead next time only while savePicture takes what was staged: a host's own that
    // keeps its photos its own way never has a photo encoded for nothing twice.
    stagesAhead_ = writing.reachedTheKit();
    name.written();
    return written;
}

std::nullptr_t PersistanceController::refusedInsideAnotherSave(std::string_view what) {
    // Its record could only join that save, which may yet be given up: given back as
    // recorded, it would be a record in memory alone, its photo at a name no lock decides.
    platform::log(platform::concatenate("store :: ", what,
                                        " from inside another record's save (a host's savePicture) is refused"));
    return nullptr;
}

bool PersistanceController::stillHeldAfterThePhoto(const platform::store::WriteLock& lock, std::string_view key) {
    if (lock.held()) return true;
    // The lookup that decided the photo's name is no longer true for the other hosts: the
    // record is given up, and what the name holds is undone under the lock taken again.
    platform::log(platform::escapeControlCharacters(platform::concatenate(
        "store :: the store's write lock was let go while the photo of ", key,
        " was written; its record is not saved")));
    return false;
}

std::shared_ptr<VistrelImage> PersistanceController::insertWithPicture(std::optional<std::string> documentId,
                                                                      std::string identifier, std::string title,
                                                                      const platform::graphics::Image& picture,
                                                                      Date date, const Lookup& recorded) {
    auto context = layer->managedObjectContext();
    auto coordinator = context ? context->persistentStoreCoordinator() : nullptr;
    if (!coordinator || !context->entityForName(entityName)) return nullptr;
    if (coordinator->isWriting()) {
        // Asked from another thread, whose call only came to run inside that save: it waits
        // for the save to end, and is made then.
        if (platform::store::putOffUntilTheWriteEnds()) return nullptr;
        return refusedInsideAnotherSave("a scan recorded");
    }
    // The kit's own encode and write, beside the photo's name, before the store's write lock
    // is taken: no host waits on the lock meanwhile.
    std::optional<platform::PreparedFile> staged;
    if (stagesAhead_) staged = stagePhoto(picture, identifier);
    // Under the lock: the lookup made again, what the photo's name holds decided by it, and
    // the record's save. Another host sharing the store may be recording the identifier
    // this instant: of the two, one records it and the other finds that record.
    RecordWrite write(context);
    auto& lock = write.lock();
    if (lock.error) {
        platform::log("store :: the store's write lock was not taken (another host's write not done in time?); "
                      "nothing is recorded");
        platform::log(platform::escapeControlCharacters(lock.error->description()));
        return nullptr;
    }
    if (recorded) {
        const auto found = recorded();
        if (!found) {
            // Which record holds the name cannot be told: it is left as it is.
            platform::log("store :: the records could not be looked up; nothing is recorded");
            return nullptr;
        }
        if (*found) return *found;  // the staged photo goes with its object
    }
    // No record has the identifier: whatever has the name is no record's photo.
    auto name = PhotoName::clear(lock, picturePath(identifier), [coordinator, identifier]() -> std::optional<bool> {
        return hasRecordInTheStore(*coordinator, identifier);
    });
    if (!name) return nullptr;
    // A photo never written is never recorded; the record never points at a missing photo.
    if (!writeRecordsPhoto(*name, picture, identifier, std::move(staged))) return nullptr;
    if (!stillHeldAfterThePhoto(lock, identifier)) return nullptr;
    auto image = VistrelImage::insertInto(*context);
    if (!image) return nullptr;  // the photo is given up as it goes
    image->setDocumentId(std::move(documentId));
    image->setIdentifier(identifier);
    image->setIsFavorite(false);
    image->setTitle(std::move(title));
    image->setDate(date);
    platform::fileStep("record: saving");
    bool answered = false;
    std::exception_ptr thrown;
    {
        // The lock holder's own save: it writes what the host's code saved meanwhile with
        // the record, in one transaction.
        platform::store::WriteLock::Committing committing(lock);
        try {
            answered = saveContext();
        } catch (...) {
            thrown = std::current_exception();
        }
    }
    platform::fileStep("record: saved");
    // Whether the record was committed decides, not what host code answers after the
    // commit (an override of saveContext, an observer of the store's did-save): once it is
    // in the store, its photo is kept, and it is given as recorded.
    if (image->storeIdentifier() != 0) {
        name->keep();
        if (thrown || !answered)
            platform::log(platform::escapeControlCharacters(platform::concatenate(
                "store :: host code ", thrown ? "threw" : "answered false", " once the record of ", identifier,
                " was saved; the record and its photo are kept")));
        return image;
    }
    // Not kept (a full disk, a damaged store): the record would be gone at the next
    // launch, so it goes now with the photo written for it, and nothing says it was kept.
    platform::log("store :: the record could not be saved; it and its photo are dropped");
    context->deleteObject(image);
    name->giveUp();
    if (thrown) std::rethrow_exception(thrown);
    return nullptr;
}

std::shared_ptr<VistrelImage> PersistanceController::createRandomVistrelImage(const platform::graphics::Image& picture,
                                                                              Date date) {
    return onMainThread([&] {
        return insertWithPicture(std::nullopt, random(), tr("gallery.image.unrecognized"), picture, date, nullptr);
    });
}

std::shared_ptr<VistrelImage> PersistanceController::loadOrCreateVistrelImage(const std::string& documentId,
                                                                              const std::string& identifier,
                                                                              const std::string& title,
                                                                              const platform::graphics::Image& picture,
                                                                              Date date) {
    return onMainThread([&]() -> std::shared_ptr<VistrelImage> {
        const Lookup newest = [&]() -> std::optional<std::shared_ptr<VistrelImage>> {
            auto found = retrieveImages(Predicate::equals("identifier", identifier));
            if (!found) return std::nullopt;
            return found->empty() ? nullptr : found->front();
        };
        // A lookup that fails here goes on to record; the one made under the lock decides.
        if (auto found = newest(); found && *found) return *found;
        return insertWithPicture(documentId, identifier, title, picture, date, newest);
    });
}

std::optional<VistrelImages> PersistanceController::loadVistrelImages(const std::vector<std::string>& identifiers) {
    if (identifiers.empty()) return std::nullopt;
    Predicate predicate{"identifier", {}};
    for (const auto& identifier : identifiers) predicate.anyOf.emplace_back(identifier);
    auto images = retrieveImages(std::move(predicate));
    if (!images || images->empty()) return std::nullopt;
    return images;
}

std::optional<VistrelImages> PersistanceController::retrieveImages(std::optional<Predicate> predicate) {
    return fetchNewest(std::move(predicate), static_cast<std::size_t>(historyLimit()));
}

std::optional<VistrelImages> PersistanceController::retrieveWaitingImages() {
    return fetchNewest(Predicate::isAbsent("documentId"), 0);
}

std::optional<VistrelImages> PersistanceController::fetchNewest(std::optional<Predicate> predicate,
                                                                std::size_t limit) {
    return onMainThread([&]() -> std::optional<VistrelImages> {
        auto context = layer->managedObjectContext();
        FetchRequest request = VistrelImage::fetchRequest();
        request.fetchLimit = limit;
        request.sort = platform::store::SortDescriptor{"date", false};
        request.predicate = std::move(predicate);
        request.propertiesToFetch = VistrelImage::listedAttributes();
        request.prefixes = {{"title", listedTitleBytes}, {"documentId", listedDocumentIdBytes}};
        platform::Error error;
        auto objects = context ? context->execute(request, &error) : std::nullopt;
        if (!objects) {
            platform::log("Fetching images failed");
            if (context) platform::log(platform::escapeControlCharacters(error.description()));
            return std::nullopt;
        }
        return asImages(*objects);
    });
}

void PersistanceController::deleteImage(std::shared_ptr<VistrelImage> image) {
    // Later, on the main queue; the block keeps the controller and the record alive.
    auto self = owner();
    if (!self) return;
    platform::dispatch::main().async([self, image = std::move(image)] {
        auto context = self->layer->managedObjectContext();
        if (!context || !image) return;
        context->deleteObject(image);
        self->saveContext();
    });
}

void PersistanceController::deleteAllImages() {
    // A host's sign-out from a thread of its own: done, if not at once, once the main
    // thread's write ends; the block holds the stack it deletes from.
    onMainThreadAtLeastLater([layer = layer] {
        // Come inside another record's save: done once it is committed, never lost with it.
        if (platform::store::putOffUntilTheWriteEnds()) return;
        auto context = layer->managedObjectContext();
        if (!context || context->executeBatchDelete(VistrelImage::fetchRequest()) || context->save())
            platform::log("can't delete all entity instances");
    });
}

bool PersistanceController::saveContext() {
    return onMainThread([&] {
        // Asked from another thread, come to run inside another record's save: answered once
        // that save ends and this one is committed, so that true stays true whatever the
        // record's save becomes (a run stopped during a host's upload among it).
        if (platform::store::putOffUntilTheWriteEnds()) return false;
        return !layer->saveContext();
    });
}

std::filesystem::path PersistanceController::getDocumentsDirectory() { return layer->applicationDocumentsDirectory(); }

std::filesystem::path PersistanceController::picturePath(std::string_view key) {
    return getDocumentsDirectory() / pictureFileName(key);
}

bool PersistanceController::savePicture(const platform::graphics::Image& picture, std::string_view key) {
    // The photo of a record being saved: the one staged before the store's write lock was
    // taken, when it is this picture, else one encoded now, takes its name through the
    // record's PhotoName.
    auto* writing = PictureWriteScope::find(this, key);
    if (writing) writing->reached_ = true;
    std::optional<platform::PreparedFile> staged = writing ? writing->takeStagedOf(picture) : std::nullopt;
    std::optional<std::string> jpeg;
    if (!staged) jpeg = platform::graphics::encodeJpeg(picture, 1.0);
    if (!staged && !jpeg) {
        platform::log("can't save picture");
        return false;
    }
    std::filesystem::path path = picturePath(key);
    std::string line = "file://";
    line += path.string();
    platform::log(platform::escapeControlCharacters(line));
    if (writing) {
        if (!staged) staged = platform::PreparedFile::write(path, *jpeg, 0644, kStagedPhotoMark);
        if (staged && writing->name_.put(std::move(*staged))) return true;
        platform::log("can't save picture");
        return false;
    }
    if (!platform::writeFileAtomically(path, *jpeg)) {
        platform::log("can't save picture");
        return false;
    }
    return true;
}

std::optional<platform::graphics::Image> PersistanceController::getPicture(std::string_view key) {
    if (auto* reading = PictureReadScope::find(this, key)) {
        reading->leftToTheKit_ = true;
        return std::nullopt;  // the caller reads the file itself
    }
    // Every bound of the display decoders at the photo bound: a picture within it comes
    // whole, whatever its kind, as its file holds it.
    platform::graphics::DisplayDecodingLimits limits;
    limits.maxPixels = limits.maxTotalPixels = maxPicturePixels;
    limits.maxWholePixels = limits.maxWholeFramesPixels = maxPicturePixels;
    // A progressive JPEG's coefficients, at their most (every component at full size).
    limits.maxWholeCoefficientBytes = platform::graphics::maxJpegCoefficientBytes(maxPicturePixels);
    return readPictureFile(picturePath(key), 0, 0, limits);
}

std::optional<platform::graphics::Image> PersistanceController::getPictureCovering(std::string_view key,
                                                                                  int pixelWidth, int pixelHeight) {
    return readPictureFile(picturePath(key), pixelWidth, pixelHeight, {});
}

}  // namespace vistrel
