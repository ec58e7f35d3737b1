#pragma once
// How the user left a composer, as its delegate is told.
#include <string>
#include <string_view>
#include <vector>

namespace platform::services {

enum class MailComposeResult { cancelled, saved, sent, failed };
enum class MessageComposeResult { cancelled, sent, failed };

// "cancelled", "saved", "sent", "failed": for log lines and the demo.
std::string_view rawValue(MailComposeResult result);
std::string_view rawValue(MessageComposeResult result);

// Recipients as the composers show them: separated by ", ", each quoted when empty.
std::string joinedRecipients(const std::vector<std::string>& recipients);

}  // namespace platform::services
