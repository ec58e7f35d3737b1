#include "vistrel/platform/foundation/property_list_parts.hpp"

#include <algorithm>
#include <bit>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>

namespace platform::plist {

namespace {

using namespace std::chrono;

// Property lists count time from 1 January 2001 UTC.
constexpr std::int64_t kReferenceSeconds = 978307200;
constexpr std::int64_t kMicrosPerSecond = 1'000'000;

// Seconds whose microseconds stay far inside a Date's 64 bits.
constexpr double kMostSeconds = 9.0e12;

std::optional<Date> dateAt(double secondsSince2001) {
    if (!std::isfinite(secondsSince2001)) return std::nullopt;
    const double whole = std::floor(secondsSince2001);
    if (whole < -kMostSeconds || whole > kMostSeconds) return std::nullopt;
    // Exact: a double less its floor is a double.
    const double fraction = secondsSince2001 - whole;
    const auto micros = static_cast<std::int64_t>(std::nearbyint(fraction * 1e6));
    return Date(microseconds((static_cast<std::int64_t>(whole) + kReferenceSeconds) * kMicrosPerSecond + micros));
}

// The date's own seconds since 2001: its whole seconds and its microseconds.
std::optional<double> ownSeconds(Date date) {
    std::int64_t micros = 0;
    if (__builtin_sub_overflow(date.time_since_epoch().count(), kReferenceSeconds * kMicrosPerSecond, &micros))
        return std::nullopt;
    std::int64_t whole = micros / kMicrosPerSecond, fraction = micros % kMicrosPerSecond;
    if (fraction < 0) fraction += kMicrosPerSecond, --whole;
    return static_cast<double>(whole) + static_cast<double>(fraction) / 1e6;
}

bool sameBits(double a, double b) { return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b); }

bool isXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// The decimal number of `count` digits at `at`, or -1.
int digitsAt(std::string_view text, std::size_t at, std::size_t count) {
    if (text.size() < at + count) return -1;
    int value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9') return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

}  // namespace

std::uint64_t ValueBudget::forFile(std::size_t fileBytes) { return kLeastBytes + times(fileBytes, kPerFileByte); }

bool ValueBudget::take(std::uint64_t bytes) {
    if (bytes > left_) return false;
    left_ -= bytes;
    return true;
}

std::uint64_t maxExpandedValues(std::size_t fileBytes) { return std::max<std::uint64_t>(std::uint64_t(1) << 20, fileBytes); }

std::uint64_t maxExpandedLeafBytes(std::size_t fileBytes) {
    return std::max<std::uint64_t>(std::uint64_t(256) << 20, ValueBudget::times(fileBytes, 16));
}

std::string_view trimmedXmlSpace(std::string_view text) {
    while (!text.empty() && isXmlSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && isXmlSpace(text.back())) text.remove_suffix(1);
    return text;
}

std::optional<Dictionary> dictionaryOfUniqueKeys(std::vector<Dictionary::Entry> entries) {
    auto before = [](const Dictionary::Entry& a, const Dictionary::Entry& b) { return a.first < b.first; };
    auto notBefore = [&](const Dictionary::Entry& a, const Dictionary::Entry& b) { return !before(a, b); };
    // Files are mostly written in key order: then one pass tells there is no key twice.
    if (std::adjacent_find(entries.begin(), entries.end(), notBefore) != entries.end()) {
        std::sort(entries.begin(), entries.end(), before);
        if (std::adjacent_find(entries.begin(), entries.end(), notBefore) != entries.end()) return std::nullopt;
    }
    return Dictionary::fromSortedEntries(std::move(entries));
}

Value identifierValue(std::uint64_t uid) { return Value(Opaque{"uid", std::to_string(uid)}); }

std::optional<std::uint64_t> identifierOf(const Opaque& opaque) {
    if (opaque.typeName != "uid") return std::nullopt;
    const std::string& text = opaque.description;
    std::uint64_t uid = 0;
    const char* end = text.data() + text.size();
    if (auto [at, error] = std::from_chars(text.data(), end, uid); error != std::errc() || at != end) return std::nullopt;
    if (std::to_string(uid) != text) return std::nullopt;  // a sign, or zeros before the digits
    return uid;
}

std::optional<Value> dateOfSeconds(double secondsSince2001) {
    const std::optional<Date> date = dateAt(secondsSince2001);
    if (!date) return std::nullopt;
    const std::optional<double> own = ownSeconds(*date);
    if (own && sameBits(*own, secondsSince2001)) return Value(*date);
    return Value(*date, secondsSince2001);
}

std::optional<double> secondsOfDate(const Value& value) {
    const Date date = *value.date();
    if (const std::optional<double> read = value.dateSecondsSince2001(); read && dateAt(*read) == date) return read;
    const std::optional<double> own = ownSeconds(date);
    if (!own || dateAt(*own) != date) return std::nullopt;
    return own;
}

std::optional<std::string> isoDateText(const Value& value) {
    if (value.dateSecondsSince2001()) return std::nullopt;
    const Date date = *value.date();
    const auto day = floor<days>(date);
    const year_month_day ymd(day);
    if (ymd.year() < year(1) || ymd.year() > year(9999)) return std::nullopt;
    const hh_mm_ss<microseconds> time(date - day);
    char text[40];
    int length = std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02lld", int(ymd.year()),
                               unsigned(ymd.month()), unsigned(ymd.day()), int(time.hours().count()),
                               int(time.minutes().count()), static_cast<long long>(time.seconds().count()));
    if (const auto micros = time.subseconds().count(); micros != 0)
        length += std::snprintf(text + length, sizeof text - std::size_t(length), ".%06lld", static_cast<long long>(micros));
    return std::string(text, std::size_t(length)) + "Z";
}

DateTextRead dateOfIsoText(std::string_view text) {
    const DateTextRead noDate{std::nullopt, PropertyListRefusal::notAPropertyList};
    const DateTextRead inexact{std::nullopt, PropertyListRefusal::unrepresentable};
    text = trimmedXmlSpace(text);
    // Its fields from the year on, each after its separator; those left out at the end
    // are the first of their range ("2024-01-02T03:04Z" is at 03:04:00).
    const bool utc = text.ends_with('Z');
    if (utc) text.remove_suffix(1);
    int fields[6] = {-1, 1, 1, 0, 0, 0};
    static constexpr char kBefore[6] = {'\0', '-', '-', 'T', ':', ':'};
    std::size_t at = 0;
    for (int i = 0; i < 6 && (i == 0 || (at < text.size() && text[at] == kBefore[i])); ++i) {
        at += i == 0 ? 0 : 1;
        const std::size_t width = i == 0 ? 4 : 2;
        fields[i] = digitsAt(text, at, width);
        if (fields[i] < 0) return noDate;
        at += width;
    }
    const auto [y, mo, d, h, mi, s] = fields;
    std::int64_t micros = 0;
    bool lost = false;
    const std::string_view fraction = text.substr(at);
    if (!fraction.empty()) {
        // Digits of a second, after the seconds only.
        if (at != 19 || fraction.size() < 2 || fraction[0] != '.') return noDate;
        for (std::size_t i = 1; i < fraction.size(); ++i) {
            const char c = fraction[i];
            if (c < '0' || c > '9') return noDate;
            if (i <= 6) micros = micros * 10 + (c - '0');
            else lost = lost || c != '0';
        }
        for (std::size_t i = fraction.size(); i <= 6; ++i) micros *= 10;
    }
    const year_month_day ymd{year(y), month(unsigned(mo)), day(unsigned(d))};
    if (!ymd.ok() || h > 23 || mi > 59 || s > 60) return noDate;
    // A date whose zone the text does not give may be anyone's local time: taken for UTC
    // and written back with its Z, it would say another moment to whoever wrote it.
    if (lost || !utc || y == 0 || s == 60) return inexact;
    return {sys_days(ymd) + hours(h) + minutes(mi) + seconds(s) + microseconds(micros), std::nullopt};
}

}  // namespace platform::plist
