#pragma once
// The contacts store: contacts added through a save request are written as contact
// cards (.vcf), one file per contact named by its identifier, in the folder the store
// was given.
#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

#include "vistrel/platform/foundation/error.hpp"
#include "vistrel/platform/services/contact.hpp"

namespace platform::services {

// The contacts to add in one execution of the store.
class ContactSaveRequest {
public:
    void addContact(Contact contact) { added_.push_back(std::move(contact)); }
    const std::vector<Contact>& addedContacts() const { return added_; }

private:
    friend class ContactStore;
    std::vector<Contact> added_;
};

class ContactStore {
public:
    static constexpr const char* errorDomain = "ContactStoreErrorDomain";
    // Of each saved contact's file.
    static constexpr std::string_view fileExtension = ".vcf";

    explicit ContactStore(std::filesystem::path folder) : folder_(std::move(folder)) {}

    // Writes the contact to "<identifier>.vcf", giving it a new identifier first when it
    // has none (or one that is no plain name). An error, and no file, when the folder cannot be written.
    std::optional<Error> saveContact(Contact& contact) const;
    // Saves every contact of the request (they receive their identifiers); stops at the
    // first error and gives it.
    std::optional<Error> execute(ContactSaveRequest& request) const;
    // The saved contacts, read back from their files, in the order of their file names.
    std::vector<Contact> savedContacts() const;

    const std::filesystem::path& folder() const { return folder_; }

private:
    std::filesystem::path folder_;
};

}  // namespace platform::services
