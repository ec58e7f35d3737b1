#include "vistrel/platform/services/vcard_writer.hpp"

#include <cctype>

#include "vistrel/platform/services/icalendar_content_lines.hpp"

namespace platform::services {

namespace {

// Labels come from outside: keep only what may stand in a parameter value.
std::string typeParameter(std::string_view label) {
    std::string type;
    for (char c : label)
        if (std::isalnum(static_cast<unsigned char>(c)) || c == '-') type.push_back(c);
    if (type == "mobile") type = "cell";
    return type.empty() ? std::string() : std::string(";TYPE=").append(type);
}

std::string structured(std::initializer_list<const std::string*> parts) {
    std::string out;
    bool first = true;
    for (const std::string* field : parts) {
        if (!first) out.push_back(';');
        first = false;
        out.append(escapeText(*field));
    }
    return out;
}

void appendLine(std::string& out, std::string line) { out.append(foldedLine(line)); }

void appendValues(std::string& out, const char* name, const std::vector<LabeledValue<std::string>>& values) {
    for (const auto& entry : values)
        appendLine(out, std::string(name).append(typeParameter(entry.label)).append(":").append(escapeText(entry.value)));
}

}  // namespace

std::string vcardText(const Contact& contact) {
    std::string out("BEGIN:VCARD\r\nVERSION:3.0\r\n");
    appendLine(out, std::string("N:").append(structured({&contact.familyName, &contact.givenName, &contact.middleName,
                                                          &contact.namePrefix, &contact.nameSuffix})));
    appendLine(out, std::string("FN:").append(escapeText(displayName(contact))));
    if (!contact.nickname.empty()) appendLine(out, std::string("NICKNAME:").append(escapeText(contact.nickname)));
    if (!contact.organizationName.empty() || !contact.departmentName.empty())
        appendLine(out, std::string("ORG:").append(structured({&contact.organizationName, &contact.departmentName})));
    if (!contact.jobTitle.empty()) appendLine(out, std::string("TITLE:").append(escapeText(contact.jobTitle)));
    appendValues(out, "TEL", contact.phoneNumbers);
    appendValues(out, "EMAIL", contact.emailAddresses);
    const std::string none;
    for (const auto& entry : contact.postalAddresses) {
        const PostalAddress& a = entry.value;
        appendLine(out, std::string("ADR").append(typeParameter(entry.label)).append(":").append(structured(
                            {&none, &none, &a.street, &a.city, &a.state, &a.postalCode, &a.country})));
    }
    appendValues(out, "URL", contact.urlAddresses);
    if (!contact.note.empty()) appendLine(out, std::string("NOTE:").append(escapeText(contact.note)));
    out.append("END:VCARD\r\n");
    return out;
}

}  // namespace platform::services
