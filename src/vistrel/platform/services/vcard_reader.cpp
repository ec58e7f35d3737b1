#include "vistrel/platform/services/vcard_reader.hpp"

#include <algorithm>
#include <cctype>

#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/services/icalendar_content_lines.hpp"

namespace platform::services {

namespace {

std::string lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The structured value's part at `index`, unescaped; empty when it has fewer parts.
std::string part(const std::vector<std::string_view>& parts, std::size_t index) {
    return index < parts.size() ? unescapeText(parts[index]) : std::string();
}

// The first type that says where the value belongs; "cell" reads as "mobile".
std::string labelOf(const ContentLine& line) {
    for (const std::string& typeList : line.parameterValues("TYPE")) {
        for (std::string_view type : splitEscaped(typeList, ',')) {
            std::string name = lower(std::string(type));
            if (name == "voice" || name == "pref" || name == "internet" || name == "x400" || name.empty()) continue;
            return name == "cell" ? "mobile" : name;
        }
    }
    return {};
}

void readProperty(Contact& contact, const ContentLine& line, bool& hasName, std::string& formattedName) {
    const std::string& name = line.name;
    if (name == "N") {
        const auto parts = splitEscaped(line.value, ';');
        contact.familyName = part(parts, 0);
        contact.givenName = part(parts, 1);
        contact.middleName = part(parts, 2);
        contact.namePrefix = part(parts, 3);
        contact.nameSuffix = part(parts, 4);
        hasName = true;
    } else if (name == "FN") {
        formattedName = unescapeText(line.value);
    } else if (name == "NICKNAME") {
        contact.nickname = unescapeText(line.value);
    } else if (name == "ORG") {
        const auto parts = splitEscaped(line.value, ';');
        contact.organizationName = part(parts, 0);
        contact.departmentName = part(parts, 1);
    } else if (name == "TITLE") {
        contact.jobTitle = unescapeText(line.value);
    } else if (name == "TEL") {
        std::string number = unescapeText(line.value);
        if (number.size() >= 4 && equalsIgnoringCase(std::string_view(number).substr(0, 4), "tel:")) number.erase(0, 4);
        contact.phoneNumbers.push_back({labelOf(line), std::move(number)});
    } else if (name == "EMAIL") {
        contact.emailAddresses.push_back({labelOf(line), unescapeText(line.value)});
    } else if (name == "URL") {
        contact.urlAddresses.push_back({labelOf(line), unescapeText(line.value)});
    } else if (name == "ADR") {
        // post office box; extended address; street; locality; region; postal code; country
        const auto parts = splitEscaped(line.value, ';');
        std::string street = part(parts, 2);
        if (const std::string extended = part(parts, 1); !extended.empty())
            street.append(street.empty() ? "" : "\n").append(extended);
        contact.postalAddresses.push_back(
            {labelOf(line), PostalAddress{street, part(parts, 3), part(parts, 4), part(parts, 5), part(parts, 6)}});
    } else if (name == "NOTE") {
        contact.note = unescapeText(line.value);
    }
}

}  // namespace

std::vector<Contact> contactsFromVCard(std::string_view text) {
    std::vector<Contact> contacts;
    std::optional<Contact> card;
    bool hasName = false;
    std::string formattedName;
    auto close = [&] {
        // A card with a formatted name only keeps it as its given name.
        if (!hasName && !formattedName.empty()) card->givenName = formattedName;
        contacts.push_back(std::move(*card));
        card.reset();
    };
    for (const std::string& raw : unfoldedLines(text)) {
        const std::optional<ContentLine> line = parseContentLine(raw);
        if (!line) continue;
        if (line->name == "BEGIN" && equalsIgnoringCase(line->value, "VCARD")) {
            if (card) close();
            card.emplace();
            hasName = false;
            formattedName.clear();
        } else if (!card) {
            continue;
        } else if (line->name == "END" && equalsIgnoringCase(line->value, "VCARD")) {
            close();
        } else {
            readProperty(*card, *line, hasName, formattedName);
        }
    }
    if (card) close();
    if (contacts.empty()) log("vCard :: no contact in the text");
    return contacts;
}

}  // namespace platform::services
