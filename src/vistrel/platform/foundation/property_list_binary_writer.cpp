// Writes the binary form ("bplist00", see the reader for its layout) in one walk of the
// value and one pass over what it gathered: time and memory grow linearly with the value,
// a value it shares (a container, a text, data) counted once. A value shared among many
// references is written once and referenced from each, as are equal leaves. What its
// reader will count of the file is reckoned on the way, by the reader's own rules, at
// most; a file the reckoning cannot vouch for (one sharing a container, or a leaf met by
// its storage, or nested near the reader's depth) is measured as its reader counts it,
// so that none is given that the reader refuses.
#include <algorithm>
#include <bit>
#include <cassert>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string_view>
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

// Puts the number's low `width` bytes at `at`, the most significant first.
void putBigEndian(char* at, std::uint64_t value, int width) {
    for (int i = width - 1; i >= 0; --i, value >>= 8) at[i] = static_cast<char>(value & 0xFF);
}

void appendBigEndian(std::string& out, std::uint64_t value, int width) {
    const std::size_t at = out.size();
    out.resize(at + std::size_t(width));
    putBigEndian(out.data() + at, value, width);
}

// An integer object of the fewest bytes: 1, 2 and 4 unsigned, else 8 signed.
void appendInteger(std::string& out, std::uint64_t value) {
    const int width = widthOf(value);
    out.push_back(static_cast<char>(0x10 | std::countr_zero(unsigned(width))));
    appendBigEndian(out, value, width);
}

// The bytes of a marker with its length.
std::uint64_t markerBytes(std::uint64_t length) { return length < 15 ? 1 : 2 + std::uint64_t(widthOf(length)); }

// A marker with its length, in its low four bits below 15 or after it as an integer.
void appendMarker(std::string& out, unsigned char type, std::uint64_t length) {
    if (length < 15) {
        out.push_back(static_cast<char>(type << 4 | length));
        return;
    }
    out.push_back(static_cast<char>(type << 4 | 0x0F));
    appendInteger(out, length);
}

// The type (the marker's high four bits) and length of a leaf written by encode: for data
// and texts the length its marker tells (bytes or characters), for another its low four bits.
struct Marker {
    unsigned char type;
    std::uint64_t length;
};
Marker markerOf(std::string_view leaf) {
    const auto byte = [&](std::size_t at) { return static_cast<unsigned char>(leaf[at]); };
    const Marker marker{static_cast<unsigned char>(byte(0) >> 4), std::uint64_t(byte(0) & 0x0F)};
    const bool counted = marker.type == 0x4 || marker.type == 0x5 || marker.type == 0x6;
    if (!counted || marker.length < 15) return marker;
    const std::size_t width = std::size_t(1) << (byte(1) & 0x0F);
    std::uint64_t length = 0;
    for (std::size_t i = 0; i < width; ++i) length = length << 8 | byte(2 + i);
    return {marker.type, length};
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
        // The leaf met last first: a run of one value (a list of zeros) is found at once.
        if (last_.index != 0 && last_.length == candidate.length && std::memcmp(last_.bytes, candidate.bytes, kMostBytes) == 0)
            return last_.index - 1;
        Slot& slot = slotOf(candidate);
        if (slot.index != 0 && slot.length == candidate.length &&
            std::memcmp(slot.bytes, candidate.bytes, kMostBytes) == 0) {
            last_ = slot;
            return slot.index - 1;
        }
        candidate.index = index + 1;
        slot = last_ = candidate;
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
    Slot last_{};
    std::size_t added_ = 0;
};

// Indices of objects by a key of 64 bits (where the value keeps a part, or a hash of an
// object's bytes), in a table of open addressing: nothing allocated for each object.
class IndexTable {
public:
    // The first index kept under `key` that `same` takes, if any.
    template <typename Same>
    std::optional<std::uint64_t> find(std::uint64_t key, Same same) const {
        if (slots_.empty()) return std::nullopt;
        for (std::size_t at = slotOf(key);; at = (at + 1) & (slots_.size() - 1)) {
            const Slot& slot = slots_[at];
            if (slot.index == 0) return std::nullopt;
            if (slot.key == key && same(slot.index - 1)) return slot.index - 1;
        }
    }

    void add(std::uint64_t key, std::uint64_t index) {
        if (2 * (count_ + 1) > slots_.size()) grow();
        place({key, index + 1});
        ++count_;
    }

private:
    struct Slot {
        std::uint64_t key;
        std::uint64_t index;  // plus one; 0 for an empty slot
    };

    std::size_t slotOf(std::uint64_t key) const {
        return std::size_t((key * 0x9E3779B97F4A7C15ULL) >> 32) & (slots_.size() - 1);
    }
    void place(const Slot& slot) {
        std::size_t at = slotOf(slot.key);
        while (slots_[at].index != 0) at = (at + 1) & (slots_.size() - 1);
        slots_[at] = slot;
    }
    void grow() {
        std::vector<Slot> old = std::exchange(slots_, std::vector<Slot>(std::max<std::size_t>(64, 2 * slots_.size())));
        for (const Slot& slot : old)
            if (slot.index != 0) place(slot);
    }

    std::vector<Slot> slots_;
    std::size_t count_ = 0;
};

// The indices of objects met lately, by a key of 64 bits, in a table of a fixed size
// (each slot keeps the last key that falls in it): what is met again soon, or often, is
// found, and a look costs the same however large the file grows, the table staying in
// the processor's cache.
class RecentIndices {
public:
    explicit RecentIndices(std::size_t slots) : slots_(slots) {}

    template <typename Same>
    std::optional<std::uint64_t> find(std::uint64_t key, Same same) const {
        const Slot& slot = slots_[slotOf(key)];
        if (slot.index != 0 && slot.key == key && same(slot.index - 1)) return slot.index - 1;
        return std::nullopt;
    }
    void add(std::uint64_t key, std::uint64_t index) { slots_[slotOf(key)] = {key, index + 1}; }

private:
    struct Slot {
        std::uint64_t key = 0;
        std::uint64_t index = 0;  // plus one; 0 for an empty slot
    };
    std::size_t slotOf(std::uint64_t key) const {
        return std::size_t((key * 0x9E3779B97F4A7C15ULL) >> 40) & (slots_.size() - 1);
    }

    std::vector<Slot> slots_;  // a power of two of them
};

std::uint64_t keyOf(const void* storage) { return std::uint64_t(reinterpret_cast<std::uintptr_t>(storage)); }

class BinaryWriter {
public:
    // With `shareEqualLeaves`, long leaves of equal bytes are written once; else only a
    // leaf whose storage the value shares is.
    explicit BinaryWriter(bool shareEqualLeaves) : shareEqualLeaves_(shareEqualLeaves) {}

    // The file, or none for a value the form cannot keep.
    std::optional<std::string> write(const Value& top) {
        out_ = "bplist00";
        if (!isContainer(top)) {
            if (!leaf(top)) return std::nullopt;
        } else {
            containers_.add(keyOf(identity(top)), 0);
            offsets_.push_back(0);
            pending_.push_back({&top, 0, 0});
        }
        // Every container's references are gathered, its children given their indices
        // (leaves shared, containers numbered as met and shared as the value shares them)
        // before any is written.
        while (!pending_.empty()) {
            const auto [value, index, depth] = pending_.back();
            pending_.pop_back();
            if (!gather(*value, index, depth)) return std::nullopt;
        }
        const std::uint64_t objects = offsets_.size();
        const int refWidth = widthOf(objects - 1);
        // The containers (each its marker and references), the table of offsets and the
        // trailer: the file's size is known, and room made once for what it still lacks.
        std::uint64_t table = out_.size();
        for (const Container& container : gathered_)
            table += markerBytes(container.length) + container.refCount * std::uint64_t(refWidth);
        const int offsetWidth = widthOf(table);
        const std::uint64_t size = table + objects * std::uint64_t(offsetWidth) + 32;
        if (out_.capacity() < size) {
            std::string file;
            file.reserve(size);
            out_ = std::move(file.append(out_));
        }
        for (const Container& container : gathered_) {
            offsets_[container.index] = out_.size();
            appendMarker(out_, container.type, container.length);
            const std::size_t at = out_.size();
            out_.resize(at + container.refCount * std::size_t(refWidth));
            for (std::size_t i = 0; i < container.refCount; ++i)
                putBigEndian(out_.data() + at + i * std::size_t(refWidth), refs_[container.firstRef + i], refWidth);
        }
        out_.resize(table + objects * std::size_t(offsetWidth));
        for (std::uint64_t i = 0; i < objects; ++i)
            putBigEndian(out_.data() + table + i * std::size_t(offsetWidth), offsets_[i], offsetWidth);
        out_.append(6, '\0');
        out_.push_back(static_cast<char>(offsetWidth));
        out_.push_back(static_cast<char>(refWidth));
        appendBigEndian(out_, objects, 8);
        appendBigEndian(out_, 0, 8);
        appendBigEndian(out_, table, 8);
        return std::move(out_);
    }

    // Whether the reader takes the file written, as the reckoning vouches: each object at
    // most what the reader may count for it, each key at each reference, and every leaf's
    // bytes at each reference; the values once expanded are as many as the references,
    // none shared by a second. False when it cannot tell.
    bool vouchedFor(std::size_t fileBytes) const {
        return reckoning_.sure && reckoning_.parts <= ValueBudget::forFile(fileBytes) &&
               refs_.size() + 1 <= maxExpandedValues(fileBytes) && reckoning_.leafBytes <= maxExpandedLeafBytes(fileBytes);
    }

private:
    static bool isContainer(const Value& value) { return value.array() || value.dictionary(); }

    // A container's identity: the storage its copies share.
    static const void* identity(const Value& container) {
        return container.array() ? static_cast<const void*>(container.array())
                                 : static_cast<const void*>(container.dictionary());
    }

    // The bytes of a value's text, else the value: what the walk asks to be brought near
    // the processor (__builtin_prefetch) a few values before it writes them, the texts of
    // a large value lying anywhere in memory.
    static const void* textOf(const Value& value) {
        const std::string* text = value.string();
        return text ? static_cast<const void*>(text->data()) : static_cast<const void*>(&value);
    }
    static constexpr std::size_t kAhead = 8;

    // Gives the children of a container their indices and keeps its references.
    bool gather(const Value& value, std::uint64_t index, int depth) {
        Container container{index, 0, 0, refs_.size(), 0};
        // The reader's walk refuses a file nested past its depth; near it, it decides.
        if (depth + 2 > kMaxDepth) reckoning_.sure = false;
        if (const Array* items = value.array()) {
            container.type = 0xA;
            container.length = container.refCount = items->size();
            for (std::size_t i = 0; i < items->size(); ++i) {
                if (i + kAhead < items->size()) __builtin_prefetch(textOf((*items)[i + kAhead]));
                if (!child((*items)[i], depth)) return false;
            }
        } else {
            const std::vector<Dictionary::Entry>& entries = value.dictionary()->entries();
            container.type = 0xD;
            container.length = entries.size();
            container.refCount = 2 * entries.size();
            for (std::size_t i = 0; i < entries.size(); ++i) {
                if (i + kAhead < entries.size()) __builtin_prefetch(entries[i + kAhead].first.data());
                const std::optional<std::uint64_t> keyIndex = leafOf(nullptr, [&] { return text(entries[i].first); });
                if (!keyIndex) return false;
                // Each dictionary copies its keys.
                reckoning_.parts += ValueBudget::key(met_.type, met_.length);
                refs_.push_back(*keyIndex);
            }
            for (std::size_t i = 0; i < entries.size(); ++i) {
                if (i + kAhead < entries.size()) __builtin_prefetch(textOf(entries[i + kAhead].second));
                if (!child(entries[i].second, depth)) return false;
            }
        }
        reckoning_.parts += ValueBudget::part(container.type, container.length, true);
        gathered_.push_back(container);
        return true;
    }

    bool child(const Value& item, int depth) {
        if (isContainer(item)) {
            const std::uint64_t key = keyOf(identity(item));
            if (const std::optional<std::uint64_t> known = containers_.find(key, [](std::uint64_t) { return true; })) {
                // What it holds counts again at this reference: the reader's walk measures.
                reckoning_.sure = false;
                refs_.push_back(*known);
                return true;
            }
            containers_.add(key, offsets_.size());
            refs_.push_back(offsets_.size());
            pending_.push_back({&item, offsets_.size(), depth + 1});
            offsets_.push_back(0);
            return true;
        }
        const std::optional<std::uint64_t> index = leaf(item);
        if (index) refs_.push_back(*index);
        return index.has_value();
    }

    std::optional<std::uint64_t> leaf(const Value& value) {
        // A text or data that copies share is found by its storage when met again; one
        // held once needs no look.
        return leafOf(value.sharedLeafStorage(), [&] { return encode(value); });
    }

    // Writes a leaf object with `encode`, or finds the same one written before: its index.
    // A leaf whose `storage` was met before is found by it without encoding it again, so
    // that a value referenced a million times costs its bytes once.
    template <typename Encode>
    std::optional<std::uint64_t> leafOf(const void* storage, Encode encode) {
        if (storage)
            if (const std::optional<std::uint64_t> known = byStorage(storage)) {
                // Its bytes are not looked at again: the reader's walk counts them.
                reckoning_.sure = false;
                return known;
            }
        const std::size_t start = out_.size();
        if (!encode()) return std::nullopt;
        // Short leaves (keys, numbers, dates, short texts) are found among those written
        // lately; longer ones among all written, by their bytes.
        const std::string_view bytes = std::string_view(out_).substr(start);
        met_ = markerOf(bytes);
        reckoning_.leafBytes += leafBytesOf(met_);
        std::uint64_t index = offsets_.size();
        if (bytes.size() <= SharedLeaves::kMostBytes) index = short_.indexOf(bytes, index);
        else if (shareEqualLeaves_) index = longLeafOf(bytes, index);
        if (index != offsets_.size()) {
            out_.resize(start);
        } else {
            offsets_.push_back(start);
            reckoning_.parts += ValueBudget::part(met_.type, met_.length, true);
        }
        if (storage) keepStorage(storage, index);
        return index;
    }

    // The leaf whose storage is `storage`, if it was met. Sharing equal leaves, those met
    // lately are enough (one met earlier is found by its bytes, or written again); else
    // every one is kept, the only way a leaf is shared.
    std::optional<std::uint64_t> byStorage(const void* storage) const {
        const auto any = [](std::uint64_t) { return true; };
        return shareEqualLeaves_ ? recentStorages_.find(keyOf(storage), any) : storages_.find(keyOf(storage), any);
    }
    void keepStorage(const void* storage, std::uint64_t index) {
        if (shareEqualLeaves_) recentStorages_.add(keyOf(storage), index);
        else storages_.add(keyOf(storage), index);
    }

    // A hash of a long leaf's bytes (more than eight): each eight, and the last eight, taken
    // with their place and multiplied on their own, so that the processor works on them
    // side by side, then summed and mixed.
    static std::uint64_t hashOf(std::string_view bytes) {
        const auto eightAt = [&](std::size_t at) {
            std::uint64_t eight;
            std::memcpy(&eight, bytes.data() + at, 8);
            return (eight ^ (at * 0x9E3779B97F4A7C15ULL)) * 0xBF58476D1CE4E5B9ULL;
        };
        std::uint64_t hash = bytes.size() * 0x94D049BB133111EBULL + eightAt(bytes.size() - 8);
        for (std::size_t at = 0; at + 8 < bytes.size(); at += 8) hash += eightAt(at);
        hash ^= hash >> 32;
        hash *= 0xD6E8FEB86659FD93ULL;
        return hash ^ (hash >> 29);
    }

    // The index of the long leaf of these bytes written lately; else `index`, now theirs.
    // The marker and length lead the bytes, so a leaf whose first bytes are these is one
    // of them.
    std::uint64_t longLeafOf(std::string_view bytes, std::uint64_t index) {
        const std::uint64_t hash = hashOf(bytes);
        const std::string_view out(out_);
        if (const std::optional<std::uint64_t> known =
                longLeaves_.find(hash, [&](std::uint64_t at) { return out.substr(offsets_[at], bytes.size()) == bytes; }))
            return *known;
        longLeaves_.add(hash, index);
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
            return true;
        }
        case Value::Type::Array:
        case Value::Type::Dictionary: return false;
        }
        return false;
    }

    // ASCII as it is; anything else as UTF-16 (big-endian), valid UTF-8 only.
    bool text(std::string_view utf8) {
        if (isAscii(utf8)) {
            appendMarker(out_, 0x5, utf8.size());
            out_ += utf8;
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
        int depth;  // of the container: the top's is 0
    };
    // See vouchedFor.
    struct Reckoning {
        std::uint64_t parts = 0;
        std::uint64_t leafBytes = 0;
        bool sure = true;
    };

    // The bytes of a leaf's text or data as the file holds them.
    static std::uint64_t leafBytesOf(const Marker& marker) {
        return marker.type == 0x4 || marker.type == 0x5 ? marker.length : marker.type == 0x6 ? 2 * marker.length : 0;
    }

    const bool shareEqualLeaves_;
    std::string out_;
    std::vector<std::uint64_t> offsets_;  // of every object, by index
    std::vector<std::uint64_t> refs_;     // of every container, one after another
    std::vector<Pending> pending_;
    std::vector<Container> gathered_;
    Reckoning reckoning_;
    Marker met_{};  // of the leaf leafOf looked at last
    SharedLeaves short_;
    IndexTable containers_;  // by their storage
    // Sharing equal leaves: long ones by the hash of their bytes, and by their storage.
    RecentIndices longLeaves_{1 << 12}, recentStorages_{1 << 10};
    IndexTable storages_;  // else leaves by their storage
};

}  // namespace

PropertyListWrite writeBinary(const Value& value) {
    // Equal leaves written once may make the file too small for all its values hold once
    // expanded: then each is written where the value has it, shared only where the value
    // shares it. Each file is measured as its reader will take it.
    for (const bool shareEqualLeaves : {true, false}) {
        BinaryWriter writer(shareEqualLeaves);
        std::optional<std::string> file = writer.write(value);
        if (!file) return {std::nullopt, PropertyListRefusal::unrepresentable};
        if (writer.vouchedFor(file->size())) {
            assert(checkBinary(*file) == BinaryCheck::taken);
            return {std::move(file), std::nullopt};
        }
        switch (checkBinary(*file)) {
        case BinaryCheck::taken: return {std::move(file), std::nullopt};
        case BinaryCheck::tooLarge: continue;
        case BinaryCheck::tooDeep:
        case BinaryCheck::refused: return {std::nullopt, PropertyListRefusal::unrepresentable};
        }
    }
    return {std::nullopt, PropertyListRefusal::pastBounds};
}

}  // namespace platform::plist
