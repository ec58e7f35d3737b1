#include "vistrel/platform/services/contact_store.hpp"

#include <algorithm>
#include <system_error>

#include "vistrel/platform/foundation/file_io.hpp"
#include "vistrel/platform/services/contact_event_records.hpp"
#include "vistrel/platform/services/vcard_reader.hpp"
#include "vistrel/platform/services/vcard_writer.hpp"

namespace platform::services {

namespace {
constexpr std::string_view extension = ContactStore::fileExtension;
// A saved card holds what one answer carried, and an answer is at most 16 MB.
constexpr std::size_t kMaxRecordBytes = 16u << 20;
}  // namespace

std::optional<Error> ContactStore::saveContact(Contact& contact) const {
    Contact saved = contact;
    saved.identifier = records::usableIdentifier(contact.identifier);
    if (auto error = records::writeRecord(folder_, *saved.identifier, extension, vcardText(saved), errorDomain))
        return error;
    contact = std::move(saved);
    return std::nullopt;
}

std::optional<Error> ContactStore::execute(ContactSaveRequest& request) const {
    for (Contact& contact : request.added_)
        if (auto error = saveContact(contact)) return error;
    return std::nullopt;
}

std::vector<Contact> ContactStore::savedContacts() const {
    std::vector<std::filesystem::path> files;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder_, error), end; !error && it != end; it.increment(error))
        if (it->path().extension() == extension && it->is_regular_file(error)) files.push_back(it->path());
    std::sort(files.begin(), files.end());
    std::vector<Contact> contacts;
    for (const std::filesystem::path& file : files) {
        const std::optional<std::string> text = readFile(file, kMaxRecordBytes);
        if (!text) continue;
        for (Contact& contact : contactsFromVCard(*text)) {
            contact.identifier = file.stem().string();
            contacts.push_back(std::move(contact));
        }
    }
    return contacts;
}

}  // namespace platform::services
