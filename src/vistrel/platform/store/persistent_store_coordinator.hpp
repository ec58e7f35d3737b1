#pragma once
// The link between a model and its SQLite file. Adding the store opens the file
// (creating it when there is none), brings a file of an older model version up to date
// in one transaction (missing tables, columns and indexes are added; no table or column
// is dropped) and turns on the write-ahead journal. The file's schema is not trusted:
// triggers and views, which the store never makes, are dropped when it is opened, so no
// code planted in the file runs on a save. A file that is not a database, is damaged,
// was written by a newer model version, or is (or has journals that are) a symbolic
// link is refused and left exactly as it was; the folder holding it may be reached
// through links. Nothing here ever deletes or recreates a file. Several hosts may open
// and write one file at once, and a row's key is never given twice, so that a record one
// host holds never reads or writes a row another host made. Every statement is
// parameterised.
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "vistrel/platform/foundation/error.hpp"
#include "vistrel/platform/store/fetch_request.hpp"
#include "vistrel/platform/store/object_model.hpp"

namespace platform::store {

inline constexpr std::string_view StoreErrorDomain = "ObjectStoreErrorDomain";

// How long a save waits for another host's write to end. The store is used on a main
// thread: no write holds it for long (a photo is written before it is taken), so a write
// held past this is a host stopped mid-save, and the save fails rather than freeze the
// caller's screens.
inline constexpr std::chrono::milliseconds kWriteWaitBound{2000};

// Whether the error tells that another host held the store's write past that bound (and
// not that the file failed, or cannot be written at all).
bool isHeldByAnotherHost(const Error& error);

class ManagedObjectContext;

// A row as the store holds it: its key and the values in the entity's attribute order,
// none for each value a fetch left unread.
struct StoreRow {
    std::int64_t rowId = 0;
    std::vector<AttributeValue> values;
    std::vector<bool> unread;  // empty: every value read
};

// The changes one save writes, all in one transaction.
struct StoreChanges {
    struct Insert {
        const EntityDescription* entity;
        const std::vector<AttributeValue>* values;
    };
    struct Update {
        const EntityDescription* entity;
        std::int64_t rowId;
        const std::vector<AttributeValue>* values;
        const std::vector<bool>* changed;
    };
    struct Delete {
        const EntityDescription* entity;
        std::int64_t rowId;
    };
    std::vector<Insert> inserts;
    std::vector<Update> updates;
    std::vector<Delete> deletes;
};

class PersistentStoreCoordinator {
public:
    explicit PersistentStoreCoordinator(std::shared_ptr<const ManagedObjectModel> model);
    ~PersistentStoreCoordinator();
    PersistentStoreCoordinator(const PersistentStoreCoordinator&) = delete;
    PersistentStoreCoordinator& operator=(const PersistentStoreCoordinator&) = delete;

    const ManagedObjectModel& model() const { return *model_; }
    const std::shared_ptr<const ManagedObjectModel>& sharedModel() const { return model_; }

    // Opens the store file; the folder holding it must exist. One store per coordinator:
    // a second call fails. The error's user information carries "reason" and "file".
    std::optional<Error> addSQLiteStore(const std::filesystem::path& file);
    bool hasStore() const;
    const std::filesystem::path& storePath() const { return path_; }

    // The rows the request asks for, at most `limit` of them (0: all); of the attributes
    // the request reads by their start, the start alone is read from the file, and of
    // those it does not fetch, nothing.
    std::optional<std::vector<StoreRow>> fetch(const FetchRequest& request, std::size_t limit,
                                               Error* error = nullptr);
    // The whole value of one attribute (its position in the entity) of one row; none, with
    // the error, when the row is no longer in the store or cannot be read.
    std::optional<AttributeValue> fetchValue(const EntityDescription& entity, std::int64_t rowId,
                                             std::size_t attribute, Error* error = nullptr);
    // How many bytes the text or binary value of one attribute (its position in the entity)
    // of one row takes in the file, found without reading them (0 for no value, or one of
    // another kind); none, with the error, as fetchValue.
    std::optional<std::size_t> valueBytes(const EntityDescription& entity, std::int64_t rowId, std::size_t attribute,
                                          Error* error = nullptr);
    // Writes the changes in one transaction (an update, the values marked changed only);
    // on success gives the keys of the inserted rows in order, on failure nothing is
    // written. After beginWriting, that transaction is the one begun there. A row's key is
    // never given twice, not even once its row is deleted (the largest each entity gave is
    // kept in the file; of a file an earlier version made, numbers from its first opening
    // on). An update of a row no longer in the store fails the save ("the record is no
    // longer in the store"); `gone` then lists every such update by its position in
    // `changes.updates`. A delete of a row no longer in the store is done: nothing is
    // left to delete.
    std::optional<std::vector<std::int64_t>> save(const StoreChanges& changes, Error* error = nullptr,
                                                  std::vector<std::size_t>* gone = nullptr);
    enum class WaitForOthers { asASaveDoes, never };
    // Takes the file's write lock now, waiting for another host's write as a save does
    // (telling the file step "store: waiting for another host's write" first when it must
    // wait), or, with `never`, only when no other host holds it this instant; and holds it
    // until the next save writes and commits under it, or endWriting: what is read
    // meanwhile stays true until then, for every host (taken already, it is kept). A run
    // stopped while it is held lets it go and writes nothing.
    std::optional<Error> beginWriting(WaitForOthers wait = WaitForOthers::asASaveDoes);
    // Lets go of a write lock begun and not saved under; nothing is written. A save made
    // under it that fails takes back its own writes only, and leaves the lock held.
    void endWriting();
    // Whether this store holds the file's write lock now (begun, and not yet let go by a
    // save that committed, by endWriting, or by the file's own failure).
    bool isWriting() const;
    // Commits what the write lock begun holds (what was written in it without a save: a
    // batch delete) and lets it go; nothing held, nothing to do.
    std::optional<Error> commitWriting();

    // The write lock held for one context, its holder (WriteLock): what that context saves
    // while a joining is open (WriteLock opens one for what it calls under it) joins the
    // write: it writes nothing itself and keeps its changes pending, for the holder's own
    // save to write with its own in one transaction, or for a commit on their own should
    // there be none (joinedWork tells it). No other context can write with it: its saves
    // fail meanwhile, as they would behind another host's write.
    void holdFor(const ManagedObjectContext* holder) { holder_ = holder; }
    bool savesJoinTheWrite(const ManagedObjectContext* context) const {
        return joinings_ > 0 && isWriting() && context == holder_;
    }
    bool writeHeldForAnother(const ManagedObjectContext* context) const {
        return holder_ && context != holder_ && isWriting();
    }
    void openJoining() { ++joinings_; }
    void closeJoining() { --joinings_; }
    // Something joined the write held (a save answered, a batch delete made in it), and no
    // commit has written it since.
    void noteJoinedWork() { joined_ = true; }
    bool joinedWork() const { return joined_; }

    // Whether the row is in the store now; none, with the error, when that cannot be read.
    std::optional<bool> holdsRow(const EntityDescription& entity, std::int64_t rowId, Error* error = nullptr);
    // Deletes every row of the entity in the store itself.
    std::optional<Error> batchDelete(const EntityDescription& entity);

private:
    struct Connection;
    struct SchemaPlan;
    std::optional<Error> openStore(const std::filesystem::path& file);
    // What the file needs to match the model; none when its schema cannot be read.
    std::optional<SchemaPlan> planSchema(Connection& connection) const;
    // The attribute a read of one value asks for, when the store is open and it is one of
    // the model's; else none, with the error.
    const AttributeDescription* askedAttribute(const EntityDescription& entity, std::size_t attribute,
                                               Error* error) const;
    std::shared_ptr<const ManagedObjectModel> model_;
    std::unique_ptr<Connection> connection_;
    std::filesystem::path path_;
    int joinings_ = 0;
    const ManagedObjectContext* holder_ = nullptr;
    bool joined_ = false;
};

}  // namespace platform::store
