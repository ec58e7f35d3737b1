// Writes the binary form ("bplist00", see the reader for its layout) in one walk of the
// value and one pass over what it gathered: time and memory grow linearly with the value,
// a value it shares (a container, a text, data) counted once. A value shared among many
// references is written once and referenced from each, as are equal leaves.
#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "vistrel/platform/foundation/property_list_parts.hpp"
#include "vistrel/platform/foundation/utf_encodings.hpp"

namespace platform::plist {

namespace {

// The fewest of 1, 2, 4 or 8 bytes that hold the number.
int widthOf(std::uint64_t value) {
    if (value <= 0xFF) return 1;
    if (value <= 0xFFFF) return 2;
    if (value <= 0xFFFFFFFF) return 4;
    return 8;
}

void appendBigEndian(std::string& out, std::uint64_t value, int width) {
    for (int shift = 8 * (width - 1); shift >= 0; shift -= 8) out.push_back(static_cast<char>((value >> shift) & 0xFF));
}

// An integer object of the fewest bytes: 1, 2 and 4 unsigned, else 8 signed.
void appendInteger(std::string& out, std::uint64_t value) {
    const int width = widthOf(value);
    out.push_back(static_cast<char>(0x10 | std::countr_zero(unsigned(width))));
    appendBigEndian(out, value, width);
}

// A marker with its length, in its low four bits below 15 or after it as an integer.
void appendMarker(std::string& out, unsigned char type, std::uint64_t length) {
    if (length < 15) {
        out.push_back(static_cast<char>(type << 4 | length));
        return;
    }
    out.push_back(static_cast<char>(type << 4 | 0x0F));
    appendInteger(out, length);
}

// Short leaves written lately, by their bytes, in a table of a fixed size (each slot
// keeps the last leaf whose bytes hash to it): a leaf repeated among many references (a
// key of many dictionaries, a common number) is found and shared, and a look costs the
// same however large the file grows, the table staying in the processor's cache.
class SharedLeaves {
public:
    static constexpr std::size_t kMostBytes = 16;

    // The index of the leaf of these bytes written before, if the table still has it;
    // else `index`, now theirs.
    std::uint64_t indexOf(std::string_view bytes, std::uint64_t index) {
        Slot candidate{};
        std::memcpy(candidate.bytes, bytes.data(), bytes.size());
        candidate.length = static_cast<std::uint8_t>(bytes.size());
        Slot& slot = slotOf(candidate);
        if (slot.index != 0 && slot.length == candidate.length &&
            std::memcmp(slot.bytes, candidate.bytes, kMostBytes) == 0)
            return slot.index - 1;
        candidate.index = index + 1;
        slot = candidate;
        // A small value's table stays small: it grows with the leaves, up to its size.
        if (++added_ > slots_.size() / 2 && slots_.size() < kMostSlots) grow();
        return index;
    }

private:
    static constexpr std::size_t kMostSlots = 1 << 15;

    struct Slot {
        unsigned char bytes[kMostBytes];  // the leaf's, then zeros
        std::uint64_t index;              // plus one; 0 for an empty slot
        std::uint8_t length;
    };

    static std::size_t hash(const Slot& slot) {
        std::uint64_t first = 0, second = 0;
        std::memcpy(&first, slot.bytes, 8);
        std::memcpy(&second, slot.bytes + 8, 8);
        std::uint64_t h = first * 0x9E3779B97F4A7C15ULL ^ std::rotl(second * 0xC2B2AE3D27D4EB4FULL, 31) ^ slot.length;
        h ^= h >> 29;
        h *= 0xBF58476D1CE4E5B9ULL;
        return std::size_t(h ^ (h >> 32));
    }

    Slot& slotOf(const Slot& slot) { return slots_[hash(slot) & (slots_.size() - 1)]; }

    void grow() {
        std::vector<Slot> old = std::exchange(slots_, std::vector<Slot>(2 * slots_.size()));
        for (const Slot& slot : old)
            if (slot.index != 0) slotOf(slot) = slot;
    }

    std::vector<Slot> slots_ = std::vector<Slot>(64);
    std::size_t added_ = 0;
};

// What a value holds once expanded, as the reader counts it: its height, its values and
// the bytes of its texts and data, every reference to a shared value counted.
struct Expanded {
    int height = 0;
    std::uint64_t values = 1;
    std::uint64_t bytes = 0;
};

std::uint64_t saturatedSum(std::uint64_t a, std::uint64_t b) {
    std::uint64_t sum = 0;
    return __builtin_add_overflow(a, b, &sum) ? UINT64_MAX : sum;
}

// A container's identity: the storage its copies share.
const void* identity(const Value& container) {
    return container.array() ? static_cast<const void*>(container.array()) : static_cast<const void*>(container.dictionary());
}

class BinaryWriter {
public:
    // With `shareEqualLeaves`, long leaves of equal bytes are written once; else only a
    // leaf whose storage the value shares is.
    explicit BinaryWriter(bool shareEqualLeaves) : shareEqualLeaves_(shareEqualLeaves) {}

    // The file, or none: for a value the form cannot keep, or (pastBounds()) one whose
    // file the reader would refuse for what it holds against its size.
    std::optional<std::string> write(const Value& top) {
        out_ = "bplist00";
        Expanded expanded;
        if (!isContainer(top)) {
            if (!leaf(top)) return std::nullopt;
        } else {
            const std::optional<Expanded> measured = expand(top, 0);
            if (!measured) return std::nullopt;  // deeper than the reader takes
            expanded = *measured;
            containers_.emplace(identity(top), 0);
            offsets_.push_back(0);
            pending_.push_back({&top, 0});
        }
        // Every container's references are gathered, its children given their indices
        // (leaves shared, containers numbered as met and shared as the value shares them)
        // before any is written.
        while (!pending_.empty()) {
            const auto [value, index] = pending_.back();
            pending_.pop_back();
            if (!gather(*value, index)) return std::nullopt;
        }
        const std::uint64_t objects = offsets_.size();
        const int refWidth = widthOf(objects - 1);
        for (const Container& container : written_.containers) {
            offsets_[container.index] = out_.size();
            appendMarker(out_, container.type, container.length);
            for (std::size_t i = 0; i < container.refCount; ++i)
                appendBigEndian(out_, refs_[container.firstRef + i], refWidth);
        }
        const std::uint64_t table = out_.size();
        const int offsetWidth = widthOf(table);
        for (std::uint64_t offset : offsets_) appendBigEndian(out_, offset, offsetWidth);
        out_.append(6, '\0');
        out_.push_back(static_cast<char>(offsetWidth));
        out_.push_back(static_cast<char>(refWidth));
        appendBigEndian(out_, objects, 8);
        appendBigEndian(out_, 0, 8);
        appendBigEndian(out_, table, 8);
        // Shared values make a small file of what a large one holds: the reader takes a
        // file's values only within bounds of its size.
        if (isContainer(top) && (memory_ > ValueBudget::forFile(out_.size()) ||
                                 expanded.values > maxExpandedValues(out_.size()) ||
                                 expanded.bytes > maxExpandedLeafBytes(out_.size()))) {
            pastBounds_ = true;
            return std::nullopt;
        }
        return std::move(out_);
    }

    bool pastBounds() const { return pastBounds_; }

private:
    static bool isContainer(const Value& value) { return value.array() || value.dictionary(); }

    // What the container at `depth` holds once expanded, each shared container measured
    // once; none when a value lies deeper than the reader takes.
    std::optional<Expanded> expand(const Value& container, int depth) {
        if (const auto known = expanded_.find(identity(container)); known != expanded_.end()) return known->second;
        if (depth > kMaxDepth) return std::nullopt;
        Expanded totals;
        auto add = [&](const Expanded& child) {
            totals.height = std::max(totals.height, child.height + 1);
            totals.values = saturatedSum(totals.values, child.values);
            totals.bytes = saturatedSum(totals.bytes, child.bytes);
        };
        auto item = [&](const Value& value) -> bool {
            if (!isContainer(value)) {
                add({0, 1, value.string() ? value.string()->size() : value.data() ? value.data()->size() : 0});
                return true;
            }
            const std::optional<Expanded> child = expand(value, depth + 1);
            if (child) add(*child);
            return child.has_value();
        };
        if (const Array* items = container.array()) {
            for (const Value& value : *items)
                if (!item(value)) return std::nullopt;
        } else {
            for (const auto& [key, value] : *container.dictionary()) {
                add({0, 1, key.size()});
                if (!item(value)) return std::nullopt;
            }
        }
        if (totals.height > kMaxDepth) return std::nullopt;
        expanded_.emplace(identity(container), totals);
        return totals;
    }

    // Gives the children of a container their indices and keeps its references.
    bool gather(const Value& value, std::uint64_t index) {
        Container container{index, 0, 0, refs_.size(), 0};
        if (const Array* items = value.array()) {
            container.type = 0xA;
            container.length = container.refCount = items->size();
            memory_ += ValueBudget::array(items->size()) + ValueBudget::kKeptBytes;
            for (const Value& item : *items)
                if (!child(item)) return false;
        } else {
            const Dictionary& entries = *value.dictionary();
            container.type = 0xD;
            container.length = entries.size();
            container.refCount = 2 * entries.size();
            memory_ += ValueBudget::dictionary(entries.size()) + ValueBudget::kKeptBytes;
            for (const Dictionary::Entry& entry : entries) {
                const std::optional<std::uint64_t> keyIndex = leafOf(nullptr, [&] { return text(entry.first); });
                if (!keyIndex) return false;
                // Each dictionary read holds a copy of its keys.
                memory_ += ValueBudget::key(written_.type == 0x6 ? 3 * written_.length : written_.length);
                refs_.push_back(*keyIndex);
            }
            for (const auto& [key, item] : entries)
                if (!child(item)) return false;
        }
        written_.containers.push_back(container);
        return true;
    }

    bool child(const Value& item) {
        if (isContainer(item)) {
            const auto [known, added] = containers_.emplace(identity(item), offsets_.size());
            refs_.push_back(known->second);
            if (added) {
                pending_.push_back({&item, offsets_.size()});
                offsets_.push_back(0);
            }
            return true;
        }
        const std::optional<std::uint64_t> index = leaf(item);
        if (index) refs_.push_back(*index);
        return index.has_value();
    }

    std::optional<std::uint64_t> leaf(const Value& value) {
        // The storage a long text or data shares among the value's references to it.
        const void* shared = value.data() ? static_cast<const void*>(value.data())
                             : value.string() && value.string()->size() > Value::inlineTextBytes
                                 ? static_cast<const void*>(value.string())
                                 : nullptr;
        return leafOf(shared, [&] { return encode(value); });
    }

    // Writes a leaf object with `encode`, or finds the same one written before: its index.
    // A leaf whose storage is `shared` (none: nullptr) is found by it without encoding it
    // again, so that a value referenced a million times costs its bytes once.
    template <typename Encode>
    std::optional<std::uint64_t> leafOf(const void* shared, Encode encode) {
        if (shared)
            if (const auto known = leaves_.find(shared); known != leaves_.end()) return known->second;
        const std::size_t start = out_.size();
        written_.type = 0;
        written_.length = 0;
        if (!encode()) return std::nullopt;
        // Short leaves (keys, numbers, dates, short texts) are found among those written
        // lately; longer ones among all written, by their bytes.
        const std::string_view bytes = std::string_view(out_).substr(start);
        std::uint64_t index = offsets_.size();
        if (bytes.size() <= SharedLeaves::kMostBytes) index = short_.indexOf(bytes, index);
        else if (shareEqualLeaves_) index = longLeafOf(bytes, start, index);
        if (index != offsets_.size()) {
            out_.resize(start);
        } else {
            offsets_.push_back(start);
            const std::uint64_t beside = ValueBudget::binaryLeaf(written_.type, written_.length);
            if (beside != 0) memory_ += beside + ValueBudget::kKeptBytes;
        }
        if (shared) leaves_.emplace(shared, index);
        return index;
    }

    // The index of the long leaf of these bytes (at `start` of the file) written before;
    // else `index`, now theirs.
    std::uint64_t longLeafOf(std::string_view bytes, std::size_t start, std::uint64_t index) {
        const std::size_t hash = std::hash<std::string_view>()(bytes);
        for (auto [at, end] = longLeaves_.equal_range(hash); at != end; ++at)
            if (std::string_view(out_).substr(at->second.start, at->second.length) == bytes) return at->second.index;
        longLeaves_.emplace(hash, LongLeaf{start, bytes.size(), index});
        return index;
    }

    bool encode(const Value& value) {
        switch (value.type()) {
        case Value::Type::Null: return false;
        case Value::Type::Number: {
            const Number& n = *value.number();
            if (n.isBool()) {
                out_.push_back(n.asBool() ? '\x09' : '\x08');
            } else if (n.kind() == Number::Kind::Double) {
                out_.push_back('\x23');
                appendBigEndian(out_, std::bit_cast<std::uint64_t>(n.doubleValue()), 8);
            } else if (n.kind() == Number::Kind::Int && n.intValue() < 0) {
                out_.push_back('\x13');
                appendBigEndian(out_, std::bit_cast<std::uint64_t>(n.intValue()), 8);
            } else {
                const std::uint64_t u = n.kind() == Number::Kind::Int ? std::uint64_t(n.intValue()) : n.uintValue();
                if (u > std::uint64_t(INT64_MAX)) {
                    // Past the signed 8 bytes: 16, the high ones zero.
                    out_.push_back('\x14');
                    appendBigEndian(out_, 0, 8);
                    appendBigEndian(out_, u, 8);
                } else {
                    appendInteger(out_, u);
                }
            }
            return true;
        }
        case Value::Type::String: return text(*value.string());
        case Value::Type::Data: {
            const Bytes& bytes = *value.data();
            appendMarker(out_, 0x4, bytes.size());
            out_.append(reinterpret_cast<const char*>(bytes.data()), bytes.size());
            written_.type = 0x4;
            written_.length = bytes.size();
            return true;
        }
        case Value::Type::Date: {
            const std::optional<double> seconds = secondsOfDate(value);
            if (!seconds) return false;
            out_.push_back('\x33');
            appendBigEndian(out_, std::bit_cast<std::uint64_t>(*seconds), 8);
            return true;
        }
        case Value::Type::Opaque: {
            const std::optional<std::uint64_t> uid = identifierOf(*value.opaque());
            if (!uid) return false;
            const int width = widthOf(*uid);
            out_.push_back(static_cast<char>(0x80 | (width - 1)));
            appendBigEndian(out_, *uid, width);
            written_.type = 0x8;
            return true;
        }
        case Value::Type::Array:
        case Value::Type::Dictionary: return false;
        }
        return false;
    }

    // ASCII as it is; anything else as UTF-16 (big-endian), valid UTF-8 only.
    bool text(std::string_view utf8) {
        const bool ascii = std::all_of(utf8.begin(), utf8.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
        if (ascii) {
            appendMarker(out_, 0x5, utf8.size());
            out_ += utf8;
            written_.type = 0x5;
            written_.length = utf8.size();
            return true;
        }
        std::string units;
        units.reserve(utf8.size() * 2);
        std::uint64_t count = 0;
        for (std::size_t at = 0; at < utf8.size();) {
            const std::optional<char32_t> c = nextUtf8(utf8, at);
            if (!c) return false;
            count += std::uint64_t(appendUtf16BigEndian(units, *c));
        }
        appendMarker(out_, 0x6, count);
        out_ += units;
        written_.type = 0x6;
        written_.length = count;
        return true;
    }

    struct Container {
        std::uint64_t index;
        unsigned char type;
        std::uint64_t length;
        std::size_t firstRef, refCount;
    };
    struct Pending {
        const Value* value;
        std::uint64_t index;
    };
    struct LongLeaf {
        std::size_t start, length;
        std::uint64_t index;
    };

    const bool shareEqualLeaves_;
    std::string out_;
    std::vector<std::uint64_t> offsets_;  // of every object, by index
    std::vector<std::uint64_t> refs_;     // of every container, one after another
    std::vector<Pending> pending_;
    // The containers gathered, and the type and length of the leaf written last.
    struct {
        std::vector<Container> containers;
        unsigned char type = 0;
        std::uint64_t length = 0;
    } written_;
    SharedLeaves short_;
    std::unordered_multimap<std::size_t, LongLeaf> longLeaves_;
    std::unordered_map<const void*, std::uint64_t> leaves_;      // by the storage they share
    std::unordered_map<const void*, std::uint64_t> containers_;  // likewise
    std::unordered_map<const void*, Expanded> expanded_;
    // What the reader will take to hold the values, as it counts it.
    std::uint64_t memory_ = 0;
    bool pastBounds_ = false;
};

}  // namespace

std::optional<std::string> writeBinary(const Value& value) {
    BinaryWriter sharingEqualLeaves(true);
    if (std::optional<std::string> file = sharingEqualLeaves.write(value)) return file;
    if (!sharingEqualLeaves.pastBounds()) return std::nullopt;
    // Equal values written once made the file too small for all they are in the value:
    // written again, each shared only where the value shares it.
    return BinaryWriter(false).write(value);
}

}  // namespace platform::plist
