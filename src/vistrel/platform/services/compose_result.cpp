#include "vistrel/platform/services/compose_result.hpp"

#include "vistrel/platform/foundation/enum_table.hpp"

namespace platform::services {

namespace {

constexpr EnumTable<MailComposeResult, std::string_view, 4> kMail{{
    {MailComposeResult::cancelled, "cancelled"},
    {MailComposeResult::saved, "saved"},
    {MailComposeResult::sent, "sent"},
    {MailComposeResult::failed, "failed"},
}};
constexpr EnumTable<MessageComposeResult, std::string_view, 3> kMessage{{
    {MessageComposeResult::cancelled, "cancelled"},
    {MessageComposeResult::sent, "sent"},
    {MessageComposeResult::failed, "failed"},
}};

}  // namespace

std::string_view rawValue(MailComposeResult result) { return rawValueIn(kMail, result); }
std::string_view rawValue(MessageComposeResult result) { return rawValueIn(kMessage, result); }

std::string joinedRecipients(const std::vector<std::string>& recipients) {
    std::string text;
    for (const auto& recipient : recipients) {
        if (!text.empty()) text += ", ";
        text += recipient.empty() ? std::string("\"\"") : recipient;
    }
    return text;
}

}  // namespace platform::services
