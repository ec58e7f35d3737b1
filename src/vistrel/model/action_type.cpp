#include "vistrel/model/action_type.hpp"

#include "vistrel/platform/foundation/enum_table.hpp"

namespace vistrel {

namespace {

constexpr platform::EnumTable<ActionType, std::string_view, 11> kRawValues{{
    {ActionType::Calendar, "CALENDAR"},
    {ActionType::Url, "URL"},
    {ActionType::VCard, "VCARD"},
    {ActionType::Share, "SHARE"},
    {ActionType::Email, "EMAIL"},
    {ActionType::Data, "DATA"},
    {ActionType::Sms, "SMS"},
    {ActionType::Map, "MAP"},
    {ActionType::Phone, "PHONE"},
    {ActionType::Text, "TEXT"},
    {ActionType::Unknown, "UNKNOWN"},
}};

}  // namespace

std::string_view rawValue(ActionType type) { return platform::rawValueIn(kRawValues, type); }

std::optional<ActionType> actionTypeFromRawValue(std::string_view raw) { return platform::caseIn(kRawValues, raw); }

}  // namespace vistrel
