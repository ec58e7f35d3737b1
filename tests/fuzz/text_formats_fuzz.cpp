// Feeds arbitrary bytes to the readers of the text formats a host or a service hands
// the kit: property lists (XML or binary), strings tables, contact cards and calendar
// events. The first byte picks the format, the rest is the text. Nothing may crash,
// and what a reader gives, once written, reads back as itself.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/foundation/property_list.hpp"
#include "vistrel/platform/foundation/strings_table.hpp"
#include "vistrel/platform/services/icalendar_date.hpp"
#include "vistrel/platform/services/icalendar_writer.hpp"
#include "vistrel/platform/services/vcard_reader.hpp"
#include "vistrel/platform/services/vcard_writer.hpp"
#include "vistrel/presentation/calendar_event_import.hpp"

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

// A value read from any property list, written in either form, reads back as the same
// value; a form that refuses it holds something it could not keep exactly. Written again,
// it gives the same bytes.
void propertyList(std::string_view bytes) {
    std::optional<platform::Value> read = platform::readPropertyList(bytes);
    if (!read) return;
    for (const auto format : {platform::PropertyListFormat::xml, platform::PropertyListFormat::binary}) {
        std::optional<std::string> written = platform::writePropertyList(format, *read);
        if (!written) continue;  // a date XML cannot hold, an identifier in XML, a NUL in XML
        std::optional<platform::Value> again = platform::readPropertyList(*written);
        require(again.has_value());
        // Compared as written bytes: a real that is not a number equals nothing, not even itself.
        require(platform::writePropertyList(format, *again) == written);
        require(format == platform::PropertyListFormat::xml || platform::writePropertyListXml(*again) ==
                                                                    platform::writePropertyListXml(*read));
    }
}

void stringsTable(std::string_view bytes) {
    if (auto table = platform::parseStringsTable(bytes))
        for (const auto& [key, value] : *table) require(table->find(key) != table->end());
}

// Cards read, written and read again give the same contacts; written again, the same text.
void contactCards(std::string_view bytes) {
    for (const platform::services::Contact& contact : platform::services::contactsFromVCard(bytes)) {
        const std::string text = platform::services::vcardText(contact);
        auto again = platform::services::contactsFromVCard(text);
        require(again.size() == 1);
        const std::string rewritten = platform::services::vcardText(again.front());
        auto third = platform::services::contactsFromVCard(rewritten);
        require(third.size() == 1 && third.front() == again.front());
    }
}

// An event read, written and read again is the same event; so is a date written back.
void calendar(std::string_view bytes) {
    const platform::services::Event event = vistrel::calendarEvent(bytes);
    const platform::services::Event again = vistrel::calendarEvent(platform::services::icalendarText(event));
    require(vistrel::calendarEvent(platform::services::icalendarText(again)) == again);
    if (auto time = platform::services::parseCalendarDateTime(bytes)) {
        using Kind = platform::services::CalendarDateTime::Kind;
        const std::string written = time->kind == Kind::date
                                        ? platform::services::formatCalendarDate(time->time)
                                        : platform::services::formatCalendarDateTime(time->time, time->kind == Kind::utc);
        auto reread = platform::services::parseCalendarDateTime(written);
        require(reread && reread->time == time->time && reread->kind == time->kind);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool quiet = (platform::setLogSink(platform::discardLine), true);
    (void)quiet;
    if (size == 0) return 0;
    std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
    switch (data[0] % 4) {
        case 0: propertyList(text); break;
        case 1: stringsTable(text); break;
        case 2: contactCards(text); break;
        default: calendar(text); break;
    }
    return 0;
}
