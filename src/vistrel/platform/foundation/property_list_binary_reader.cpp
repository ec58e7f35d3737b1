// The binary form ("bplist00"): a header, the objects, a table of their offsets and a
// trailer of 32 bytes that gives the widths of offsets and references, the number of
// objects, the top one and where the table starts. Each object starts with a marker: its
// type in the high four bits, its length (or its size's power of two) in the low ones, a
// length of 15 or more following as an integer object of its own.
#include <algorithm>
#include <bit>
#include <cstring>
#include <unordered_map>

#include "vistrel/platform/foundation/property_list_parts.hpp"
#include "vistrel/platform/foundation/utf_encodings.hpp"

namespace platform::plist {

namespace {

using Refusal = PropertyListRefusal;

std::uint64_t bigEndian(const unsigned char* bytes, std::size_t count) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < count; ++i) value = (value << 8) | bytes[i];
    return value;
}

// A value, or why there is none.
struct Read {
    std::optional<Value> value;
    Refusal refusal = Refusal::notAPropertyList;
    std::uint64_t bytes = 0;  // of texts and data, for the bound on them
};
Read failed(Refusal why) { return {std::nullopt, why}; }

class BinaryReader {
public:
    explicit BinaryReader(std::string_view bytes)
        : data_(reinterpret_cast<const unsigned char*>(bytes.data())),
          size_(bytes.size()),
          budget_(bytes.size()),
          maxNodes_(maxExpandedValues(size_)),
          maxLeafBytes_(maxExpandedLeafBytes(size_)) {}

    PropertyListRead read() {
        if (!holdsTogether()) return refused(Refusal::notAPropertyList);
        Read top = readTree();
        if (!top.value) return refused(top.refusal);
        return {std::move(top.value), std::nullopt};
    }

private:
    struct Object {
        std::size_t start = 0;     // of the first byte after the marker and length
        std::uint64_t length = 0;  // items, characters or bytes
        unsigned char type = 0;    // the marker's high four bits
        unsigned char low = 0;     // and its low four
    };

    // The trailer and the offset table fit the file.
    bool holdsTogether() {
        constexpr std::size_t kHeader = 8, kTrailer = 32;
        if (size_ < kHeader + kTrailer) return false;
        const unsigned char* trailer = data_ + size_ - kTrailer;
        offsetSize_ = trailer[6];
        refSize_ = trailer[7];
        objectCount_ = bigEndian(trailer + 8, 8);
        root_ = bigEndian(trailer + 16, 8);
        tableOffset_ = bigEndian(trailer + 24, 8);
        objectsEnd_ = size_ - kTrailer;
        if (offsetSize_ < 1 || offsetSize_ > 8 || refSize_ < 1 || refSize_ > 8) return false;
        if (objectCount_ == 0 || root_ >= objectCount_) return false;
        if (tableOffset_ < kHeader || tableOffset_ > objectsEnd_) return false;
        return objectCount_ <= (objectsEnd_ - tableOffset_) / offsetSize_;
    }

    // The marker and length of object `index`, checked to lie among the objects.
    std::optional<Object> objectAt(std::uint64_t index) const {
        const std::uint64_t offset = bigEndian(data_ + tableOffset_ + index * offsetSize_, offsetSize_);
        if (offset < 8 || offset >= tableOffset_) return std::nullopt;
        const unsigned char marker = data_[offset];
        Object object{std::size_t(offset) + 1, std::uint64_t(marker & 0x0F), static_cast<unsigned char>(marker >> 4),
                      static_cast<unsigned char>(marker & 0x0F)};
        const bool counted = object.type == 0x4 || object.type == 0x5 || object.type == 0x6 ||
                             object.type == 0xA || object.type == 0xB || object.type == 0xC || object.type == 0xD;
        if (counted && object.length == 0x0F) {
            // The length follows as an integer object of 1 to 16 bytes; one of 16 bytes
            // whose high half is not zero could not fit any file.
            if (object.start >= objectsEnd_) return std::nullopt;
            const unsigned char intMarker = data_[object.start];
            if ((intMarker >> 4) != 0x1 || (intMarker & 0x0F) > 4) return std::nullopt;
            const std::size_t width = std::size_t(1) << (intMarker & 0x0F);
            if (objectsEnd_ - object.start - 1 < width) return std::nullopt;
            const unsigned char* length = data_ + object.start + 1;
            if (width == 16 && bigEndian(length, 8) != 0) return std::nullopt;
            object.length = width == 16 ? bigEndian(length + 8, 8) : bigEndian(length, width);
            object.start += 1 + width;
        }
        return object;
    }

    // Whether `count` items of `width` bytes from `start` stay among the objects.
    bool fits(std::size_t start, std::uint64_t count, std::uint64_t width) const {
        return start <= objectsEnd_ && count <= (objectsEnd_ - start) / width;
    }

    static bool isContainer(const Object& object) { return object.type == 0xA || object.type == 0xD; }

    // The leaf at `index`. One that holds a text, data or an identifier beside its value
    // is read once, counted against the budget before it is: every other reference to it
    // takes the same value, sharing its storage.
    Read leafAt(std::uint64_t index, const Object& object) {
        if (const auto known = leaves_.find(index); known != leaves_.end())
            return {known->second.value, Refusal::notAPropertyList, known->second.bytes};
        const std::uint64_t unit = object.type == 0x6 ? 2 : 1;
        const bool counted = object.type == 0x4 || object.type == 0x5 || object.type == 0x6;
        if (counted && !fits(object.start, object.length, unit)) return failed(Refusal::notAPropertyList);
        const std::uint64_t beside = ValueBudget::binaryLeaf(object.type, object.length);
        if (beside == 0) return leaf(object);
        if (!budget_.take(beside + ValueBudget::kKeptBytes)) return failed(Refusal::pastBounds);
        Read read = leaf(object);
        if (read.value) leaves_.emplace(index, Known{*read.value, read.bytes});
        return read;
    }

    // The text of a dictionary's key, counted against the budget at every reference: each
    // dictionary holds a copy of its own.
    Read keyAt(const Object& object) {
        if (object.type != 0x5 && object.type != 0x6) {
            // A key that is no text: a container, or another leaf.
            if (isContainer(object)) return failed(Refusal::unrepresentable);
            Read other = leaf(object);
            return failed(other.value ? Refusal::unrepresentable : other.refusal);
        }
        const std::uint64_t unit = object.type == 0x6 ? 2 : 1;
        if (!fits(object.start, object.length, unit)) return failed(Refusal::notAPropertyList);
        if (!budget_.take(ValueBudget::key(unit == 2 ? 3 * object.length : object.length)))
            return failed(Refusal::pastBounds);
        return leaf(object, false);
    }

    // A value that holds no other, made from its bytes; a long text `shared` (sharedText).
    Read leaf(const Object& object, bool shared = true) const {
        const auto textValue = [&](std::string utf8) {
            return shared ? Value::sharedText(std::move(utf8)) : Value(std::move(utf8));
        };
        const unsigned char* at = data_ + object.start;
        switch (object.type) {
        case 0x0:
            if (object.low == 0x8 || object.low == 0x9) return {Value(Number::fromBool(object.low == 0x9))};
            return failed(object.low == 0x0 ? Refusal::unrepresentable : Refusal::notAPropertyList);  // a null, or fill
        case 0x1: return integer(object);
        case 0x2: {
            if (object.low != 2 && object.low != 3) return failed(Refusal::notAPropertyList);
            const std::size_t width = std::size_t(1) << object.low;
            if (!fits(object.start, width, 1)) return failed(Refusal::notAPropertyList);
            const std::uint64_t bits = bigEndian(at, width);
            const double real = width == 4 ? double(std::bit_cast<float>(std::uint32_t(bits))) : std::bit_cast<double>(bits);
            return {Value(Number::fromDouble(real))};
        }
        case 0x3: {
            if (object.low != 3 || !fits(object.start, 8, 1)) return failed(Refusal::notAPropertyList);
            std::optional<Value> date = dateOfSeconds(std::bit_cast<double>(bigEndian(at, 8)));
            if (!date) return failed(Refusal::unrepresentable);
            return {std::move(date)};
        }
        case 0x4:
            if (!fits(object.start, object.length, 1)) return failed(Refusal::notAPropertyList);
            return {Value(Bytes(at, at + object.length)), Refusal::notAPropertyList, object.length};
        case 0x5: {
            if (!fits(object.start, object.length, 1)) return failed(Refusal::notAPropertyList);
            const std::string_view ascii(reinterpret_cast<const char*>(at), object.length);
            if (std::any_of(ascii.begin(), ascii.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; }))
                return failed(Refusal::unrepresentable);
            return {textValue(std::string(ascii)), Refusal::notAPropertyList, object.length};
        }
        case 0x6: {
            if (!fits(object.start, object.length, 2)) return failed(Refusal::notAPropertyList);
            std::optional<std::string> utf8 =
                utf8FromUtf16(std::string_view(reinterpret_cast<const char*>(at), object.length * 2), true);
            if (!utf8) return failed(Refusal::unrepresentable);
            const std::uint64_t length = utf8->size();
            return {textValue(std::move(*utf8)), Refusal::notAPropertyList, length};
        }
        case 0x8: {
            const std::size_t width = std::size_t(object.low) + 1;
            if (!fits(object.start, width, 1)) return failed(Refusal::notAPropertyList);
            if (width > 8) return failed(Refusal::unrepresentable);
            return {identifierValue(bigEndian(at, width))};
        }
        case 0xB:
        case 0xC: return failed(Refusal::unrepresentable);  // sets
        default: return failed(Refusal::notAPropertyList);
        }
    }

    // 1, 2 and 4 bytes unsigned, 8 signed, 16 (128 bits, signed) when the number fits 64 bits.
    Read integer(const Object& object) const {
        if (object.low > 4) return failed(Refusal::notAPropertyList);
        const std::size_t width = std::size_t(1) << object.low;
        if (!fits(object.start, width, 1)) return failed(Refusal::notAPropertyList);
        const unsigned char* at = data_ + object.start;
        if (width < 8) return {Value(Number::fromInt(std::int64_t(bigEndian(at, width))))};
        if (width == 8) return {Value(Number::fromInt(std::bit_cast<std::int64_t>(bigEndian(at, 8))))};
        const std::uint64_t high = bigEndian(at, 8), low = bigEndian(at + 8, 8);
        const bool negative = low >> 63;
        if (high == 0 && !negative) return {Value(Number::fromInt(std::int64_t(low)))};
        if (high == 0) return {Value(Number::fromUInt(low))};
        if (high == ~std::uint64_t(0) && negative) return {Value(Number::fromInt(std::bit_cast<std::int64_t>(low)))};
        return failed(Refusal::unrepresentable);
    }

    // What the values below a container came to, counted at every reference: its height,
    // its values and the bytes of its texts and data.
    struct Totals {
        int height = 0;
        std::uint64_t nodes = 1;
        std::uint64_t bytes = 0;
    };

    // A container being read: its references still to follow, and what it holds so far.
    struct Frame {
        std::uint64_t index;
        bool dictionary;
        std::size_t refs;          // offset of the next reference to follow
        std::uint64_t remaining;   // values still to follow
        Totals totals;
        Array items;
        std::vector<Dictionary::Entry> entries;  // keys read first, values set as they come
        std::size_t filled = 0;                  // entries given their value
    };

    std::uint64_t refAt(std::size_t offset) const { return bigEndian(data_ + offset, refSize_); }

    // Adds a finished child to `totals`: false past the bounds (pastBounds_ then set).
    bool add(Totals& totals, const Totals& child) {
        totals.height = std::max(totals.height, child.height + 1);
        totals.nodes += std::min(child.nodes, maxNodes_);
        totals.bytes += std::min(child.bytes, maxLeafBytes_);
        return totals.height <= kMaxDepth && totals.nodes <= maxNodes_ && totals.bytes <= maxLeafBytes_;
    }

    // Opens the container at `index` on the path, counted against the budget before its
    // room is taken: its dictionary keys are read at once.
    Read open(std::uint64_t index, const Object& object) {
        if (object.length > objectsEnd_) return failed(Refusal::notAPropertyList);
        const bool dictionary = object.type == 0xD;
        if (!fits(object.start, dictionary ? object.length * 2 : object.length, refSize_))
            return failed(Refusal::notAPropertyList);
        if (path_.size() > std::size_t(kMaxDepth)) return failed(Refusal::pastBounds);
        const std::uint64_t room = dictionary ? ValueBudget::dictionary(object.length) : ValueBudget::array(object.length);
        if (!budget_.take(room + ValueBudget::kKeptBytes)) return failed(Refusal::pastBounds);
        Frame frame{index, dictionary, object.start, object.length, {}, {}, {}};
        if (dictionary) {
            frame.entries.reserve(object.length);
            for (std::uint64_t i = 0; i < object.length; ++i, frame.refs += refSize_) {
                const std::uint64_t key = refAt(frame.refs);
                const std::optional<Object> keyObject = key < objectCount_ ? objectAt(key) : std::nullopt;
                if (!keyObject) return failed(Refusal::notAPropertyList);
                Read text = keyAt(*keyObject);
                if (!text.value) return text;
                if (!add(frame.totals, {0, 1, text.bytes})) return failed(Refusal::pastBounds);
                frame.entries.emplace_back(std::move(*text.value->mutableString()), Value());
            }
        } else {
            frame.items.reserve(object.length);
        }
        state_[index] = kOpen;
        path_.push_back(std::move(frame));
        return {Value()};
    }

    // Gives a finished value to the container on top of the path.
    void give(Value value) {
        Frame& frame = path_.back();
        if (frame.dictionary) frame.entries[frame.filled++].second = std::move(value);
        else frame.items.push_back(std::move(value));
    }

    // Walks the objects reachable from the top without recursion. A container is read
    // once; another reference to it takes the value read (sharing its storage) and
    // counts all it holds again, so that what the value holds once expanded is bounded.
    // A reference to a container still being read is a cycle.
    Read readTree() {
        state_.assign(objectCount_, kUnseen);
        const std::optional<Object> top = objectAt(root_);
        if (!top) return failed(Refusal::notAPropertyList);
        if (!isContainer(*top)) return leafAt(root_, *top);
        if (Read opened = open(root_, *top); !opened.value) return opened;
        for (;;) {
            Frame& frame = path_.back();
            if (frame.remaining == 0) {
                Frame finished = std::move(path_.back());
                path_.pop_back();
                Value value;
                if (finished.dictionary) {
                    std::optional<Dictionary> dictionary = dictionaryOfUniqueKeys(std::move(finished.entries));
                    if (!dictionary) return failed(Refusal::unrepresentable);
                    value = Value(std::move(*dictionary));
                } else {
                    value = Value(std::move(finished.items));
                }
                state_[finished.index] = kDone;
                if (path_.empty()) return {std::move(value)};
                if (!add(path_.back().totals, finished.totals)) return failed(Refusal::pastBounds);
                give(value);
                done_.emplace(finished.index, Done{std::move(value), finished.totals});
                continue;
            }
            const std::uint64_t child = refAt(frame.refs);
            frame.refs += refSize_;
            --frame.remaining;
            const std::optional<Object> object = child < objectCount_ ? objectAt(child) : std::nullopt;
            if (!object) return failed(Refusal::notAPropertyList);
            if (!isContainer(*object)) {
                Read value = leafAt(child, *object);
                if (!value.value) return value;
                if (!add(frame.totals, {0, 1, value.bytes})) return failed(Refusal::pastBounds);
                give(std::move(*value.value));
                continue;
            }
            if (state_[child] == kOpen) return failed(Refusal::notAPropertyList);
            if (state_[child] == kDone) {
                const Done& done = done_.at(child);
                if (!add(frame.totals, done.totals)) return failed(Refusal::pastBounds);
                give(done.value);
                continue;
            }
            if (Read opened = open(child, *object); !opened.value) return opened;
        }
    }

    enum : unsigned char { kUnseen, kOpen, kDone };
    struct Done {
        Value value;
        Totals totals;
    };
    struct Known {
        Value value;
        std::uint64_t bytes;
    };

    const unsigned char* data_;
    std::size_t size_;
    // What the values take in memory, each object counted once, before it is made.
    ValueBudget budget_;
    // What they hold once expanded, counted at every reference, for whoever walks them.
    std::uint64_t maxNodes_;
    std::uint64_t maxLeafBytes_;
    std::size_t offsetSize_ = 0, refSize_ = 0;
    std::uint64_t objectCount_ = 0;
    std::size_t tableOffset_ = 0, objectsEnd_ = 0;
    std::uint64_t root_ = 0;
    std::vector<unsigned char> state_;
    std::vector<Frame> path_;
    std::unordered_map<std::uint64_t, Done> done_;
    std::unordered_map<std::uint64_t, Known> leaves_;
};

}  // namespace

PropertyListRead readBinary(std::string_view bytes) {
    if (bytes.substr(0, 8) != "bplist00") {
        // "bplist" and a version of two digits is a binary form this reader does not know.
        const bool version = bytes.size() >= 8 && bytes.starts_with("bplist") &&
                             std::isdigit(static_cast<unsigned char>(bytes[6])) &&
                             std::isdigit(static_cast<unsigned char>(bytes[7]));
        return refused(version ? Refusal::unrepresentable : Refusal::notAPropertyList);
    }
    return BinaryReader(bytes).read();
}

}  // namespace platform::plist
