#pragma once
// The scan history: records of recognised images and of photos kept while offline,
// found by identifier, listed newest first up to the configured number, deleted, and
// each record's photo kept as a JPEG file in the documents folder. The store is used
// on the main thread; an operation called on another thread runs there and waits, and
// what it throws (a host's savePicture, say) is thrown to that caller. Inside a record's
// save under way there whose host code runs the main loop, a read runs at once, and a new
// record, a save or a delete of every record waits for that save's end; behind a main thread held in a save, it waits for each
// save 90 s at most and then answers as a failure does (on_main_thread.hpp).
#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "vistrel/core/sdk_configuration.hpp"
#include "vistrel/platform/foundation/file_io.hpp"
#include "vistrel/platform/graphics/image.hpp"
#include "vistrel/platform/store/fetch_request.hpp"
#include "vistrel/platform/store/managed_object_context.hpp"
#include "vistrel/platform/store/write_lock.hpp"
#include "vistrel/store/core_data_layer.hpp"
#include "vistrel/store/key_scope.hpp"
#include "vistrel/store/migration_protocol.hpp"
#include "vistrel/store/vistrel_image.hpp"

namespace vistrel {

class PhotoName;

using VistrelImages = std::vector<std::shared_ptr<VistrelImage>>;

class PersistanceController : public std::enable_shared_from_this<PersistanceController> {
public:
    // The one controller of the kit, over the kit's data folder, made on first use.
    static const std::shared_ptr<PersistanceController>& shared();

    // A controller over its own stack; the configuration gives the history size.
    explicit PersistanceController(std::shared_ptr<CoreDataLayer> layer = std::make_shared<CoreDataLayer>(),
                                   std::shared_ptr<const SdkConfiguration> configuration = nullptr);
    virtual ~PersistanceController() = default;

    const std::shared_ptr<CoreDataLayer> layer;
    static constexpr std::string_view entityName = VistrelImage::entityName;

    // A photo taken while offline: a new record (a random identifier of 20 characters, no
    // document identifier, the unrecognised title) saved with its photo, written through
    // savePicture under the identifier before the record is saved, so that a record never
    // points at a missing photo. None, and no record, when savePicture fails or the store
    // cannot be opened. None too when the save fails: the record is taken back and what
    // savePicture wrote at the name removed. Whatever had the name before (a photo no
    // record holds, a link) is renamed aside until the record is saved, and put back when
    // it is not (photo_name.hpp). Whether the record was committed decides: once it is,
    // it is given and its photo kept, whatever host code answers after (an override of
    // saveContext answering false or throwing, an observer of the did-save that throws,
    // logged); what savePicture or saveContext throws before that reaches the caller.
    //
    // Hosts share the store: the kit encodes and writes the photo beside its name first,
    // then takes the store's write lock for what a photo's name holds and the record's
    // save. savePicture is called under that lock, so that what it writes at the name is
    // decided with the record: a host's own savePicture holds other hosts' saves while it
    // runs. What it saves meanwhile is in the store once the lock is let go, whatever
    // becomes of the record (record_write.hpp).
    virtual std::shared_ptr<VistrelImage> createRandomVistrelImage(const platform::graphics::Image& picture, Date date);
    // The newest record of the identifier, unchanged; else a new record whose photo is
    // written through savePicture under the identifier, as above. None when the store
    // cannot be opened, the photo written or the new record saved (nothing is left of it
    // then, as above). Hosts sharing the store record an identifier once: when none is
    // found, the store's write lock is taken and the lookup made again, and only when it
    // finds none either is the photo's name changed, the lock held until the new record is
    // saved; a host that meanwhile asks for the identifier waits (on the main thread, as
    // long as a save waits for another host) and finds that record, its photo untouched.
    // None too when that wait runs out, or when the lookup under the lock fails (which
    // record holds the name cannot then be told, and it is left as it is).
    virtual std::shared_ptr<VistrelImage> loadOrCreateVistrelImage(const std::string& documentId,
                                                                   const std::string& identifier,
                                                                   const std::string& title,
                                                                   const platform::graphics::Image& picture, Date date);
    // The records of any of the identifiers; none for an empty list or no match.
    virtual std::optional<VistrelImages> loadVistrelImages(const std::vector<std::string>& identifiers);
    // Records newest first, at most "GALLERY_NUMBER_ITEMS" of them (0 or no number: all);
    // none on a fetch error. Every fetch of the controller reads a record's title and
    // document identifier by their start, whatever an earlier version stored: at most
    // listedTitleBytes and listedDocumentIdBytes bytes, cut where a character starts, so
    // that a list costs little. A value recorded within those bounds comes whole; one cut
    // is never written back shortened: a save writes only the values changed. The photo
    // an earlier version kept inside a record is not read with a list: it is read when
    // it is asked of its record.
    virtual std::optional<VistrelImages> retrieveImages(std::optional<platform::store::Predicate> predicate = std::nullopt);
    // Every photo waiting to be sent (a record without document identifier), newest
    // first, whatever the history size, read as above; none on a fetch error.
    virtual std::optional<VistrelImages> retrieveWaitingImages();
    static constexpr std::size_t listedTitleBytes = 4 * 1024;
    static constexpr std::size_t listedDocumentIdBytes = 64 * 1024;
    // Deletes the record later, on the main queue, and saves. Its photo file stays.
    virtual void deleteImage(std::shared_ptr<VistrelImage> image);
    // Deletes every record in the store itself. Photo files stay. From another thread,
    // given up behind a main thread held in a save, it is still done once that save ends.
    virtual void deleteAllImages();
    // Saves pending changes; false (and the changes kept, for the next save of the context
    // to write) when the save fails or, from another thread, is given up. An override must
    // have committed when it returns.
    virtual bool saveContext();
    // Writes the photo as a JPEG of the best quality under the key's file name; false
    // (with "can't save picture") when it cannot be encoded or written. The photo of
    // every new record and of every migrated one is written through it, under the store's
    // write lock (see createRandomVistrelImage); there the kit's own puts in place the
    // photo it wrote beside the name before the lock, when it is asked for that picture.
    virtual bool savePicture(const platform::graphics::Image& picture, std::string_view key);
    // The most pixels of a photo read whole: those of the largest still the camera
    // accepts, so every photo the kit stored comes back at its own size.
    static constexpr long long maxPicturePixels = platform::graphics::Image::maxDecodedPixels;
    // The photo of the key's file as a still, read as pictures shown at a known size are
    // (display_decoding.hpp) with every bound at maxPicturePixels: a still picture within
    // it comes at its full size, pixel for pixel; a larger one scaled down under it,
    // never decoded whole (none for one that must be held whole while it is read and is
    // over the bound); an animated GIF gives its first frame, at the size that keeps all
    // its frames together under the bound. None without a file or for one that is no
    // image. Asked for the key of a PictureReadScope of this controller open on the
    // calling thread, it reads nothing (see there); asked for any other key, it reads as
    // it always does.
    //
    // The gallery asks it for the photo of every card and opened record, on the main
    // thread, inside a PictureReadScope for the record's key: a host's override answers as
    // it will (another key's photo read through this one among others); where this one is
    // reached for the record's own key, the gallery reads the file itself off the main
    // thread.
    virtual std::optional<platform::graphics::Image> getPicture(std::string_view key);
    // The kit's own way of reading its photo files for a card, not a step a host's store
    // takes: the photo of the key as a still at the smallest size that still covers
    // `pixelWidth` x `pixelHeight`, whatever kind of picture its file holds, read as
    // pictures shown at a known size are (display_decoding.hpp): never decoded whole, and
    // none for one over those limits. None as getPicture too. From any thread: it reads
    // the file alone, never the store's context.
    std::optional<platform::graphics::Image> getPictureCovering(std::string_view key, int pixelWidth,
                                                                int pixelHeight);

    // While one lives on a thread, the kit's own getPicture of its controller, called on
    // that thread for the scope's key, decodes nothing: it notes in the scope that the
    // photo is left to the kit and gives none at once. Whoever asks getPicture inside one
    // lets a host's override answer as it will (any thread it expects, any way it keeps
    // photos), and reads the file itself, the kit's way, where the kit's own getPicture
    // was reached for the key and nothing was answered: the gallery then decodes it at the
    // size it shows, off the main thread. So an override that calls the base for the key
    // inside one gets none from it; if it gives none in turn, the file is read the kit's
    // way, without what the override would have made of the base's picture. An override
    // that answers a picture, whatever the base gave, is what is shown. A call of the
    // base for any other key (a host's other version of the photo, say) is not the
    // scope's: it reads and decodes as it does outside one, and what the override makes
    // of it is its answer. The scope sees only calls for its own controller and key on
    // its own thread; an inner scope of the same controller and key takes over from an
    // outer.
    class PictureReadScope : public KeyScope<PictureReadScope> {
    public:
        PictureReadScope(const PersistanceController& controller, std::string_view key)
            : KeyScope(&controller, key) {}

        // Whether the kit's own getPicture was reached for the key inside the scope.
        bool leftToTheKit() const { return leftToTheKit_; }

    private:
        friend class PersistanceController;
        bool leftToTheKit_ = false;
    };

    // Where the photo of the key is kept (from any thread).
    std::filesystem::path picturePath(std::string_view key);

    // Moves every photo still held inside a record into its file. The records are
    // fetched asynchronously and processed on the main queue; a run asked for while
    // another runs is ignored. Each photo moved is saved before the next is read, so a run
    // stopped between two records keeps what it moved. A photo longer than any picture
    // file the kit reads is never read: it stays in its record, as one that is no image does.
    // Records come to be processed inside another record's save (host code running the main
    // loop) wait for that save to end.
    void migrateWithDelegate(std::shared_ptr<MigrationProtocol> delegate);
    void processAsynchronousFetchResult(std::optional<platform::store::FetchResult> result,
                                        std::shared_ptr<MigrationProtocol> delegate);

private:
    // This controller, for work that runs later; none (with a log line) when no shared
    // pointer holds it.
    std::shared_ptr<PersistanceController> owner();
    std::filesystem::path getDocumentsDirectory();
    std::int64_t historyLimit() const;
    // Records newest first, at most `limit` of them (0: all).
    std::optional<VistrelImages> fetchNewest(std::optional<platform::store::Predicate> predicate, std::size_t limit);
    // A lookup of the records of one identifier: the newest, or null for none; none when
    // the records cannot be read.
    using Lookup = std::function<std::optional<std::shared_ptr<VistrelImage>>()>;
    // A new record with its photo; none when either is not kept. The photo is staged beside
    // its name before the store's write lock is taken; under the lock `recorded` (when
    // given) is asked for a record saved meanwhile, which is then given instead, and the
    // photo's name changes only once it found none.
    std::shared_ptr<VistrelImage> insertWithPicture(std::optional<std::string> documentId, std::string identifier,
                                                    std::string title, const platform::graphics::Image& picture,
                                                    Date date, const Lookup& recorded);
    // The kit's own write of the photo of the key beside its name, for savePicture to put
    // in place under the lock; none when it cannot be encoded or written.
    std::optional<platform::PreparedFile> stagePhoto(const platform::graphics::Image& picture, std::string_view key);
    // Under the store's write lock, with `name` cleared: the photo written through the
    // overridable savePicture for the key (the kit's own puts `staged` at the name when it
    // is asked for this very picture). False when savePicture failed.
    bool writeRecordsPhoto(PhotoName& name, const platform::graphics::Image& picture, std::string_view key,
                           std::optional<platform::PreparedFile> staged);
    // A record asked for from inside another record's save by code that save called (a
    // host's savePicture) is refused, with a line logged ("a scan recorded", say).
    static std::nullptr_t refusedInsideAnotherSave(std::string_view what);
    // Whether the store's write lock is still held once the photo of the key was written
    // (savePicture is a host's code, which may have called anything); false, with a line
    // logged, when it was let go: the record is then given up.
    static bool stillHeldAfterThePhoto(const platform::store::WriteLock& lock, std::string_view key);

    // While one lives on a thread, the kit's own savePicture of its controller, called on
    // that thread for the scope's key, puts the photo at its name through the scope's
    // PhotoName (the store's write lock held): the photo staged before the lock when it
    // is asked for the scope's picture, else one encoded then.
    class PictureWriteScope : public KeyScope<PictureWriteScope> {
    public:
        PictureWriteScope(const PersistanceController& controller, std::string_view key, PhotoName& name,
                          const platform::graphics::Image& picture, std::optional<platform::PreparedFile> staged)
            : KeyScope(&controller, key), name_(name), picture_(&picture), staged_(std::move(staged)) {}
        // Whether the kit's own savePicture was reached for the key.
        bool reachedTheKit() const { return reached_; }

    private:
        friend class PersistanceController;
        // The photo staged for `picture`, when it is the scope's (the same pixels, shared).
        std::optional<platform::PreparedFile> takeStagedOf(const platform::graphics::Image& picture) {
            if (&picture.bitmap() != &picture_->bitmap()) return std::nullopt;
            return std::exchange(staged_, std::nullopt);
        }
        PhotoName& name_;
        const platform::graphics::Image* picture_;
        std::optional<platform::PreparedFile> staged_;  // removed with the scope unless taken
        bool reached_ = false;
    };

    std::shared_ptr<const SdkConfiguration> configuration_;
    bool migrating_ = false;
    // Whether a photo is staged before the lock: while savePicture takes what is staged.
    bool stagesAhead_ = true;
};

}  // namespace vistrel
