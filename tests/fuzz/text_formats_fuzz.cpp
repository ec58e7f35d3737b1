// Feeds arbitrary bytes to the readers of the text formats a host or a service hands
// the kit: property lists (XML or binary), strings tables, contact cards and calendar
// events. The first byte picks the format, the rest is the text. Nothing may crash,
// and what a reader gives, once written, reads back as itself.
#include <bit>
#include <cmath>
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

// Whether `b` is `a` exactly: numbers of the same kind and bits (a NaN written as XML
// keeps only its sign, all the form says of it), and everything else as Value's equality
// has it (dates to the seconds they were read as, texts and data byte for byte).
bool same(const platform::Value& a, const platform::Value& b, bool xml) {
    using platform::Number;
    if (a.type() != b.type()) return false;
    if (const platform::Array* items = a.array()) {
        const platform::Array& others = *b.array();
        if (items->size() != others.size()) return false;
        for (std::size_t i = 0; i < items->size(); ++i)
            if (!same((*items)[i], others[i], xml)) return false;
        return true;
    }
    if (const platform::Dictionary* entries = a.dictionary()) {
        const platform::Dictionary& others = *b.dictionary();
        if (entries->size() != others.size()) return false;
        for (auto x = entries->begin(), y = others.begin(); x != entries->end(); ++x, ++y)
            if (x->first != y->first || !same(x->second, y->second, xml)) return false;
        return true;
    }
    const Number* x = a.number();
    if (!x) return a == b;
    const Number& y = *b.number();
    if (x->kind() != y.kind() || x->isBool() != y.isBool()) return false;
    switch (x->kind()) {
    case Number::Kind::Int: return x->intValue() == y.intValue();
    case Number::Kind::UInt: return x->uintValue() == y.uintValue();
    case Number::Kind::Double: break;
    }
    const double p = x->doubleValue(), q = y.doubleValue();
    if (xml && std::isnan(p)) return std::isnan(q) && std::signbit(p) == std::signbit(q);
    return std::bit_cast<std::uint64_t>(p) == std::bit_cast<std::uint64_t>(q);
}

// A value read from any property list, written in either form, reads back as the same
// value exactly; a form that refuses it holds something it could not keep exactly.
// Written again, it gives the same bytes.
void propertyList(std::string_view bytes) {
    std::optional<platform::Value> read = platform::readPropertyList(bytes);
    if (!read) return;
    for (const auto format : {platform::PropertyListFormat::xml, platform::PropertyListFormat::binary}) {
        std::optional<std::string> written = platform::writePropertyList(format, *read);
        if (!written) continue;  // a date XML cannot hold, an identifier in XML, a NUL in XML
        std::optional<platform::Value> again = platform::readPropertyList(*written);
        require(again.has_value() && same(*read, *again, format == platform::PropertyListFormat::xml));
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
