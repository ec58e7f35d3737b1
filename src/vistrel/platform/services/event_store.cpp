#include "vistrel/platform/services/event_store.hpp"

#include <atomic>

#include "vistrel/platform/dispatch/queue.hpp"
#include "vistrel/platform/services/contact_event_records.hpp"
#include "vistrel/platform/services/icalendar_writer.hpp"

namespace platform::services {

namespace {

constexpr std::string_view extension = EventStore::fileExtension;

std::atomic<AuthorizationAnswer> answer{AuthorizationAnswer::granted};

}  // namespace

void EventStore::setAuthorizationAnswer(AuthorizationAnswer value) { answer.store(value); }

AuthorizationAnswer EventStore::authorizationAnswer() { return answer.load(); }

void EventStore::requestAccess(AccessCompletion completion) const {
    if (!completion) return;
    const AuthorizationAnswer given = answer.load();
    dispatch::global().async([completion = std::move(completion), given] {
        switch (given) {
            case AuthorizationAnswer::granted: completion(true, std::nullopt); break;
            case AuthorizationAnswer::denied: completion(false, std::nullopt); break;
            case AuthorizationAnswer::error:
                completion(false, records::makeError(errorDomain, accessError, "The calendar could not be reached."));
                break;
        }
    });
}

std::optional<std::filesystem::path> EventStore::fileForEvent(std::string_view identifier) const {
    return records::recordFile(folder_, identifier, extension);
}

std::optional<Error> EventStore::saveEvent(Event& event) const {
    Event saved = event;
    saved.eventIdentifier = records::usableIdentifier(event.eventIdentifier);
    if (auto error = records::writeRecord(folder_, *saved.eventIdentifier, extension, icalendarText(saved), errorDomain))
        return error;
    event = std::move(saved);
    return std::nullopt;
}

std::optional<Error> EventStore::removeEvent(const Event& event) const {
    return records::removeRecord(folder_, event.eventIdentifier, extension, errorDomain);
}

}  // namespace platform::services
