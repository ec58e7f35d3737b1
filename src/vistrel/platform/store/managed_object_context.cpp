#include "vistrel/platform/store/managed_object_context.hpp"

#include <algorithm>
#include <cassert>
#include <limits>
#include <unordered_set>

#include "vistrel/platform/dispatch/main_thread.hpp"
#include "vistrel/platform/dispatch/queue.hpp"
#include "vistrel/platform/foundation/concatenate.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/store/object_class_registry.hpp"

namespace platform::store {

namespace {

void assertMainThread() {
    assert(dispatch::isMainThread() && "the store's context is used on the main thread only");
}

Error contextError(std::string_view reason, long code = 21 /* misuse */) {
    Error error;
    error.domain = StoreErrorDomain;
    error.code = code;
    error.userInfo["reason"] = std::string(reason);
    return error;
}

// A write of this context while the store's write is held for another of its contexts,
// which this one's changes cannot join (its holder's save writes its own context's).
Error heldForAnother() {
    return contextError("the store's write is held for another context's save under way", 5 /* busy */);
}

bool matches(const ManagedObject& object, const std::optional<Predicate>& predicate) {
    if (!predicate) return true;
    const AttributeValue& value = object.value(predicate->attribute);
    if (predicate->test == Predicate::Test::absent) return std::holds_alternative<std::monostate>(value);
    if (std::holds_alternative<std::monostate>(value)) return false;
    if (predicate->test == Predicate::Test::present) return true;
    return std::find(predicate->anyOf.begin(), predicate->anyOf.end(), value) != predicate->anyOf.end();
}

template <class List>
void forget(List& list, const ManagedObject* object) {
    std::erase_if(list, [&](const auto& held) { return held.get() == object; });
}

}  // namespace

std::shared_ptr<ManagedObjectContext> ManagedObjectContext::make(
    std::shared_ptr<PersistentStoreCoordinator> coordinator) {
    return std::shared_ptr<ManagedObjectContext>(new ManagedObjectContext(std::move(coordinator)));
}

const EntityDescription* ManagedObjectContext::entityForName(std::string_view name) const {
    return coordinator_ ? coordinator_->model().entity(name) : nullptr;
}

std::shared_ptr<ManagedObject> ManagedObjectContext::makeObject(const EntityDescription& entity,
                                                               const ObjectFactory& factory) {
    auto object = factory();
    if (!object) object = std::make_shared<ManagedObject>();
    if (coordinator_) object->model_ = coordinator_->sharedModel();
    object->store_ = coordinator_;
    object->entity_ = &entity;
    object->context_ = weak_from_this();
    object->values_.resize(entity.attributes.size());
    return object;
}

std::shared_ptr<ManagedObject> ManagedObjectContext::insertNewObject(const EntityDescription& entity) {
    assertMainThread();
    auto object = makeObject(entity, objectFactory(entity.className));
    for (std::size_t i = 0; i < entity.attributes.size(); ++i)
        if (entity.attributes[i].type == AttributeType::boolean && !entity.attributes[i].optional)
            object->values_[i] = false;
    inserted_.push_back(object);
    return object;
}

void ManagedObjectContext::deleteObject(const std::shared_ptr<ManagedObject>& object) {
    assertMainThread();
    if (!object || object->deleted_ || object->context_.lock().get() != this) return;
    object->deleted_ = true;
    if (object->rowId_ == 0) {
        forget(inserted_, object.get());
        return;
    }
    forget(updated_, object.get());
    deleted_.push_back(object);
}

void ManagedObjectContext::objectDidChange(ManagedObject& object) {
    if (object.rowId_ == 0 || object.deleted_) return;
    if (std::none_of(updated_.begin(), updated_.end(), [&](const auto& held) { return held.get() == &object; }))
        updated_.push_back(object.shared_from_this());
}

bool ManagedObjectContext::hasChanges() const {
    assertMainThread();
    return !inserted_.empty() || !updated_.empty() || !deleted_.empty();
}

ManagedObjectContext::PendingChanges ManagedObjectContext::pendingChanges() const {
    return {inserted_.size(), updated_.size(), deleted_.size()};
}

std::optional<Error> ManagedObjectContext::save() {
    assertMainThread();
    if (!hasChanges()) return std::nullopt;
    if (!coordinator_) return contextError("the context has no store");
    if (coordinator_->writeHeldForAnother(this)) return heldForAnother();
    // Inside a write its holder has not saved yet (a host's code it called saves, say): the
    // changes stay pending, for the holder's own save to write in one transaction with its
    // own, or for a commit of their own. Written now, they would commit the holder's write
    // half done and let its lock go.
    if (coordinator_->savesJoinTheWrite(this)) {
        coordinator_->noteJoinedWork();
        return std::nullopt;
    }
    StoreChanges changes;
    for (const auto& object : inserted_) changes.inserts.push_back({object->entity_, &object->values_});
    for (const auto& object : updated_)
        changes.updates.push_back({object->entity_, object->rowId_, &object->values_, &object->changed_});
    for (const auto& object : deleted_) changes.deletes.push_back({object->entity_, object->rowId_});
    Error error;
    std::vector<std::size_t> gone;
    auto keys = coordinator_->save(changes, &error, &gone);
    if (!keys) {
        if (gone.empty()) return error;  // every change stays pending
        // A change to a row no longer in the store (another host deleted it) can never be
        // written: it is let go alone, its values read as the store has them (none), and
        // the rest is saved without it, so that a new record is never lost for it. A save
        // of nothing but such changes fails: none of them is kept.
        std::vector<std::shared_ptr<ManagedObject>> lost;
        for (std::size_t update : gone) lost.push_back(updated_[update]);
        for (const auto& object : lost) {
            for (std::size_t i = 0; i < object->changed_.size(); ++i)
                if (object->changed_[i]) leaveInStore(*object, i);
            object->changed_.clear();
            forget(updated_, object.get());
        }
        const std::string dropped = concatenate("store :: ", std::to_string(lost.size()),
                                                lost.size() == 1 ? " change" : " changes",
                                                " to a record another host deleted dropped; ");
        if (!hasChanges()) {
            log(concatenate(dropped, "nothing else was to be saved"));
            return error;
        }
        // Each round lets go of one change at least; what it says is said once it is known.
        auto again = save();
        log(concatenate(dropped, again ? "the rest could not be saved either" : "the rest is saved without it"));
        return again;
    }
    for (std::size_t i = 0; i < inserted_.size(); ++i) {
        inserted_[i]->rowId_ = (*keys)[i];
        registered_[inserted_[i]->entity_][(*keys)[i]] = inserted_[i];
    }
    for (auto* list : {&inserted_, &updated_})
        for (const auto& object : *list) object->changed_.clear();
    for (const auto& object : deleted_) registered_[object->entity_].erase(object->rowId_);
    inserted_.clear();
    updated_.clear();
    deleted_.clear();
    return std::nullopt;
}

std::shared_ptr<ManagedObject> ManagedObjectContext::objectForRow(const EntityDescription& entity,
                                                                 const ObjectFactory& factory, Registered& rows,
                                                                 StoreRow row) {
    auto& slot = rows[row.rowId];
    if (auto known = slot.lock()) {
        // A row already in memory stays one object; unsaved changes win over the file. What
        // this fetch did not read stays as the object holds it.
        if (!known->hasChanges()) {
            for (std::size_t i = 0; i < row.values.size(); ++i) {
                if (i < row.unread.size() && row.unread[i]) continue;
                known->values_[i] = std::move(row.values[i]);
                if (i < known->unread_.size()) known->unread_[i] = false;
            }
        }
        return known;
    }
    auto object = makeObject(entity, factory);
    object->rowId_ = row.rowId;
    object->values_ = std::move(row.values);
    object->unread_ = std::move(row.unread);
    slot = object;
    if (rows.size() > 4096 && rows.size() % 1024 == 0)
        std::erase_if(rows, [](const auto& entry) { return entry.second.expired(); });
    return object;
}

std::optional<FetchResult> ManagedObjectContext::execute(const FetchRequest& request, Error* error) {
    assertMainThread();
    const EntityDescription* entity = entityForName(request.entityName);
    if (!entity) {
        if (error) *error = contextError("the model has no such entity");
        return std::nullopt;
    }
    auto pending = [&](const auto& list) {
        return std::count_if(list.begin(), list.end(), [&](const auto& object) { return object->entity_ == entity; });
    };
    std::size_t deleted = pending(deleted_), updated = pending(updated_), inserted = pending(inserted_);
    // Rows the context deletes or changed may drop out of the result: ask for as many more.
    std::size_t limit = request.fetchLimit ? request.fetchLimit + deleted + updated : 0;
    auto rows = coordinator_ ? coordinator_->fetch(request, limit, error) : std::nullopt;
    if (!rows) {
        if (!coordinator_ && error) *error = contextError("the context has no store");
        return std::nullopt;
    }
    FetchResult result;
    result.reserve(rows->size() + inserted);
    ObjectFactory factory = objectFactory(entity->className);
    Registered& registered = registered_[entity];
    for (auto& row : *rows) result.push_back(objectForRow(*entity, factory, registered, std::move(row)));
    if (deleted + updated + inserted == 0) return result;

    // A row the store gave matched as it is in the file, which is what an object without
    // changes holds: only a changed one is matched again (its values read as needed).
    std::erase_if(result, [&](const auto& object) {
        return object->deleted_ || (object->hasChanges() && !matches(*object, request.predicate));
    });
    std::unordered_set<const ManagedObject*> present;
    for (const auto& object : result) present.insert(object.get());
    for (const auto* list : {&inserted_, &updated_})
        for (const auto& object : *list)
            if (object->entity_ == entity && !present.contains(object.get()) && matches(*object, request.predicate))
                result.push_back(object);
    if (request.sort) {
        bool ascending = request.sort->ascending;
        // New objects have no row yet and count as the newest of equal keys. Each object's
        // sort value is asked once (a fetch that did not read it reads it then).
        struct Keyed {
            const AttributeValue* value;
            std::int64_t row;
            std::shared_ptr<ManagedObject> object;
        };
        std::vector<Keyed> keyed;
        keyed.reserve(result.size());
        for (auto& object : result)
            keyed.push_back({&object->value(request.sort->attribute),
                             object->rowId_ ? object->rowId_ : std::numeric_limits<std::int64_t>::max(),
                             std::move(object)});
        std::stable_sort(keyed.begin(), keyed.end(), [&](const Keyed& a, const Keyed& b) {
            if (*a.value != *b.value) return ascending ? *a.value < *b.value : *b.value < *a.value;
            return ascending ? a.row < b.row : b.row < a.row;
        });
        for (std::size_t i = 0; i < keyed.size(); ++i) result[i] = std::move(keyed[i].object);
    }
    if (request.fetchLimit && result.size() > request.fetchLimit) result.resize(request.fetchLimit);
    return result;
}

std::optional<Error> ManagedObjectContext::executeBatchDelete(const FetchRequest& request) {
    assertMainThread();
    const EntityDescription* entity = entityForName(request.entityName);
    if (!entity) return contextError("the model has no such entity");
    if (!coordinator_) return contextError("the context has no store");
    if (coordinator_->writeHeldForAnother(this)) return heldForAnother();
    auto error = coordinator_->batchDelete(*entity);
    // Made inside a write held (by this context's holder): it waits for that write's commit.
    if (!error && coordinator_->isWriting()) coordinator_->noteJoinedWork();
    return error;
}

void ManagedObjectContext::executeAsync(FetchRequest request, FetchCompletion completion) {
    dispatch::main().async([weak = weak_from_this(), request = std::move(request), completion = std::move(completion)] {
        auto self = weak.lock();
        if (!self) return completion(std::nullopt, contextError("the context is gone"));
        Error error;
        auto result = self->execute(request, &error);
        if (result) return completion(std::move(result), std::nullopt);
        completion(std::nullopt, std::move(error));
    });
}

void ManagedObjectContext::perform(std::function<void()> block) { dispatch::main().async(std::move(block)); }

void ManagedObjectContext::refreshValue(const std::shared_ptr<ManagedObject>& object, std::string_view attribute) {
    assertMainThread();
    if (!object || object->rowId_ == 0 || object->deleted_ || object->context_.lock().get() != this) return;
    const auto index = object->entity_->indexOfAttribute(attribute);
    if (!index || (*index < object->changed_.size() && object->changed_[*index])) return;
    leaveInStore(*object, *index);
}

void ManagedObjectContext::leaveInStore(ManagedObject& object, std::size_t attribute) {
    object.values_[attribute] = std::monostate{};
    object.unread_.resize(object.values_.size());
    object.unread_[attribute] = true;
}

}  // namespace platform::store
