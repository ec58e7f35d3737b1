#pragma once
// A contact as plain values: names, organisation, labelled phones, e-mail addresses,
// postal addresses and web addresses, and a note.
#include <optional>
#include <string>
#include <vector>

namespace platform::services {

// A value with its label ("home", "work", "mobile", ...; empty when none was given).
template <class T>
struct LabeledValue {
    std::string label;
    T value;

    bool operator==(const LabeledValue&) const = default;
};

struct PostalAddress {
    std::string street;
    std::string city;
    std::string state;
    std::string postalCode;
    std::string country;

    bool operator==(const PostalAddress&) const = default;
};

struct Contact {
    std::optional<std::string> identifier;  // given when the contact is first saved
    std::string namePrefix;
    std::string givenName;
    std::string middleName;
    std::string familyName;
    std::string nameSuffix;
    std::string nickname;
    std::string organizationName;
    std::string departmentName;
    std::string jobTitle;
    std::vector<LabeledValue<std::string>> phoneNumbers;
    std::vector<LabeledValue<std::string>> emailAddresses;
    std::vector<LabeledValue<PostalAddress>> postalAddresses;
    std::vector<LabeledValue<std::string>> urlAddresses;
    std::string note;

    bool operator==(const Contact&) const = default;
};

// The name as a card shows it: prefix, given, middle and family names and suffix joined
// by spaces, else the organisation.
std::string displayName(const Contact& contact);

}  // namespace platform::services
