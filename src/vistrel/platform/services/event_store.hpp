#pragma once
// The calendar's event store. Access is asked for and answered later, on another queue,
// as the host (or a test) has decided: granted by default. Saved events are written as
// calendar files, one per event, named by the event's identifier, in the folder the
// store was given.
#include <filesystem>
#include <functional>
#include <optional>
#include <string_view>

#include "vistrel/platform/foundation/error.hpp"
#include "vistrel/platform/services/event.hpp"

namespace platform::services {

enum class AuthorizationAnswer { granted, denied, error };

class EventStore {
public:
    using AccessCompletion = std::function<void(bool granted, std::optional<Error> error)>;

    static constexpr const char* errorDomain = "EventStoreErrorDomain";
    // Besides the codes of the store's folder (contact_event_records.hpp).
    static constexpr long accessError = 1;
    // Of each saved event's file.
    static constexpr std::string_view fileExtension = ".ics";

    explicit EventStore(std::filesystem::path folder) : folder_(std::move(folder)) {}

    // What every later access request is answered (any thread).
    static void setAuthorizationAnswer(AuthorizationAnswer answer);
    static AuthorizationAnswer authorizationAnswer();

    // The answer arrives on the global queue, never inside the call: granted, denied
    // (false, no error) or an error (false with an error).
    void requestAccess(AccessCompletion completion) const;

    // Writes the event to "<identifier>.ics", giving it a new identifier first when it
    // has none (or one that is no plain name). An error, and no file, when the folder cannot be written.
    std::optional<Error> saveEvent(Event& event) const;
    // Removes the file of a saved event.
    std::optional<Error> removeEvent(const Event& event) const;
    // The file of an event with that identifier; none when the identifier is no plain
    // file name.
    std::optional<std::filesystem::path> fileForEvent(std::string_view identifier) const;

    const std::filesystem::path& folder() const { return folder_; }

private:
    std::filesystem::path folder_;
};

}  // namespace platform::services
