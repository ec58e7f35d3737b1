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

// The number of `count` bytes, the most significant first; the widths files use (those
// of offsets and references above all, read once for every object) in one load each.
std::uint64_t bigEndian(const unsigned char* bytes, std::size_t count) {
    switch (count) {
    case 1: return bytes[0];
    case 2: {
        std::uint16_t value;
        std::memcpy(&value, bytes, 2);
        return std::endian::native == std::endian::big ? value : __builtin_bswap16(value);
    }
    case 4: {
        std::uint32_t value;
        std::memcpy(&value, bytes, 4);
        return std::endian::native == std::endian::big ? value : __builtin_bswap32(value);
    }
    case 8: {
        std::uint64_t value;
        std::memcpy(&value, bytes, 8);
        return std::endian::native == std::endian::big ? value : __builtin_bswap64(value);
    }
    default: {
        std::uint64_t value = 0;
        for (std::size_t i = 0; i < count; ++i) value = (value << 8) | bytes[i];
        return value;
    }
    }
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
    // Making the values, or only measuring them as the reader counts them.
    BinaryReader(std::string_view bytes, bool making)
        : data_(reinterpret_cast<const unsigned char*>(bytes.data())),
          size_(bytes.size()),
          making_(making),
          budget_(bytes.size()),
          maxNodes_(maxExpandedValues(size_)),
          maxLeafBytes_(maxExpandedLeafBytes(size_)) {}

    // The top value (while measuring, an empty one), or why there is none.
    Read read() {
        if (!holdsTogether()) return failed(Refusal::notAPropertyList);
        if (!countReferences()) return failed(Refusal::pastBounds);
        return readTree();
    }

    // Whether the file was refused for its nesting.
    bool tooDeep() const { return tooDeep_; }

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

    std::uint64_t offsetOf(std::uint64_t index) const {
        return bigEndian(data_ + tableOffset_ + index * offsetSize_, offsetSize_);
    }

    // The first byte of object `index`, or of the file for none: what a pass asks to be
    // brought near the processor (__builtin_prefetch) before it reads it. The objects a
    // pass meets next lie anywhere in a large file, and their bytes come far sooner asked
    // for together than one after another.
    const unsigned char* ahead(std::uint64_t index) const {
        const std::uint64_t offset = index < objectCount_ ? offsetOf(index) : 0;
        return data_ + (offset < size_ ? offset : 0);
    }

    // The marker and length of object `index`, checked to lie among the objects.
    std::optional<Object> objectAt(std::uint64_t index) const {
        const std::uint64_t offset = offsetOf(index);
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
    static bool isText(const Object& object) { return object.type == 0x5 || object.type == 0x6; }

    // The bytes of a leaf's text or data as the file holds them; none for another leaf.
    static std::uint64_t leafBytes(const Object& object) {
        return object.type == 0x4 || object.type == 0x5 ? object.length : object.type == 0x6 ? 2 * object.length : 0;
    }

    // Whether a leaf's text or data lies among the objects.
    bool leafFits(const Object& object) const {
        return object.type != 0x4 && !isText(object) ? true : fits(object.start, object.length, object.type == 0x6 ? 2 : 1);
    }

    // Counts the references to each object from the file's containers (up to two: a value
    // named twice is kept for the others, one named once is not), a dictionary's keys
    // aside (each dictionary copies its own), in one pass along the offset table and the
    // objects. A file whose objects do not overlap holds fewer references than bytes: false
    // when its containers hold more than the values a file may hold. What is damaged is
    // left for the walk that makes the values to tell.
    bool countReferences() {
        references_.assign(objectCount_, 0);
        references_[root_] = 1;
        std::uint64_t counted = 0;
        for (std::uint64_t index = 0; index < objectCount_; ++index) {
            if (index + kAhead < objectCount_) __builtin_prefetch(ahead(index + kAhead));
            const std::uint64_t offset = offsetOf(index);
            if (offset >= tableOffset_ || (data_[offset] >> 4 != 0xA && data_[offset] >> 4 != 0xD)) continue;
            const std::optional<Object> object = objectAt(index);
            if (!object) continue;
            const bool dictionary = object->type == 0xD;
            if (object->length > objectsEnd_ || !fits(object->start, dictionary ? 2 * object->length : object->length, refSize_))
                continue;
            counted += object->length;
            if (counted > maxNodes_) return false;
            std::size_t at = object->start + (dictionary ? object->length * refSize_ : 0);
            for (std::uint64_t i = 0; i < object->length; ++i, at += refSize_) {
                const std::uint64_t child = refAt(at);
                if (child < objectCount_ && references_[child] < 2) ++references_[child];
            }
        }
        return true;
    }

    bool named(std::uint64_t index) const { return references_[index] > 1; }

    // The leaf at `index`, counted against the budget before it is made. One named by
    // other references that allocates (a long text, data, an identifier) is made once and
    // kept: every other reference takes the same value, sharing its storage.
    // One that allocates nothing (a number, a short text) is remembered for the references
    // to it that come next, as a list of zeros has them.
    Read leafAt(std::uint64_t index, const Object& object) {
        if (!leafFits(object)) return failed(Refusal::notAPropertyList);
        const std::uint64_t allocated = ValueBudget::part(object.type, object.length, false);
        const bool kept = named(index) && allocated != 0;
        if (!budget_.take(kept ? ValueBudget::part(object.type, object.length, true) : allocated))
            return failed(Refusal::pastBounds);
        if (!making_) {
            if (kept) {
                state_[index] = kDone;
                kept_.emplace(index, Done{Value(), {0, 1, leafBytes(object)}});
            } else if (named(index)) {
                lastLeaf_ = index;
                last_ = {Value(), Refusal::notAPropertyList, leafBytes(object)};
            }
            return {Value(), Refusal::notAPropertyList, leafBytes(object)};
        }
        if (kept) {
            Read read = leaf(object, true);
            if (read.value) {
                state_[index] = kDone;
                kept_.emplace(index, Done{*read.value, {0, 1, read.bytes}});
            }
            return read;
        }
        if (allocated != 0 || !named(index)) return leaf(object, false);
        Read read = leaf(object, false);
        if (read.value) {
            lastLeaf_ = index;
            last_ = read;
        }
        return read;
    }

    // The text of a dictionary's key, counted against the budget at every reference: each
    // dictionary holds a copy of its own.
    Read keyAt(const Object& object) {
        if (!isText(object)) {
            // A key that is no text: a container, or another leaf.
            if (isContainer(object)) return failed(Refusal::unrepresentable);
            Read other = leaf(object, false);
            return failed(other.value ? Refusal::unrepresentable : other.refusal);
        }
        if (!leafFits(object)) return failed(Refusal::notAPropertyList);
        if (!budget_.take(ValueBudget::key(object.type, object.length))) return failed(Refusal::pastBounds);
        if (!making_) return {Value(), Refusal::notAPropertyList, leafBytes(object)};
        return leaf(object, false);
    }

    // A value that holds no other, made from its bytes; a long text `shared` (sharedText).
    Read leaf(const Object& object, bool shared) const {
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
            return {Value(Bytes(at, at + object.length)), Refusal::notAPropertyList, leafBytes(object)};
        case 0x5: {
            if (!fits(object.start, object.length, 1)) return failed(Refusal::notAPropertyList);
            const std::string_view ascii(reinterpret_cast<const char*>(at), object.length);
            if (!isAscii(ascii)) return failed(Refusal::unrepresentable);
            return {shared ? Value::sharedText(std::string(ascii)) : Value(ascii), Refusal::notAPropertyList, leafBytes(object)};
        }
        case 0x6: {
            if (!fits(object.start, object.length, 2)) return failed(Refusal::notAPropertyList);
            std::optional<std::string> utf8 =
                utf8FromUtf16(std::string_view(reinterpret_cast<const char*>(at), object.length * 2), true);
            if (!utf8) return failed(Refusal::unrepresentable);
            return {textValue(std::move(*utf8)), Refusal::notAPropertyList, leafBytes(object)};
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

    // Adds a finished child to `totals`: false past the bounds (tooDeep_ set for the height).
    bool add(Totals& totals, const Totals& child) {
        totals.height = std::max(totals.height, child.height + 1);
        totals.nodes += std::min(child.nodes, maxNodes_);
        totals.bytes += std::min(child.bytes, maxLeafBytes_);
        tooDeep_ = totals.height > kMaxDepth;
        return !tooDeep_ && totals.nodes <= maxNodes_ && totals.bytes <= maxLeafBytes_;
    }

    // Opens the container at `index` on the path, counted against the budget before its
    // room is taken: its dictionary keys are read at once.
    Read open(std::uint64_t index, const Object& object) {
        if (object.length > objectsEnd_) return failed(Refusal::notAPropertyList);
        const bool dictionary = object.type == 0xD;
        if (!fits(object.start, dictionary ? object.length * 2 : object.length, refSize_))
            return failed(Refusal::notAPropertyList);
        if (path_.size() > std::size_t(kMaxDepth)) {
            tooDeep_ = true;
            return failed(Refusal::pastBounds);
        }
        if (!budget_.take(ValueBudget::part(object.type, object.length, named(index)))) return failed(Refusal::pastBounds);
        Frame frame{index, dictionary, object.start, object.length, {}, {}, {}};
        if (dictionary) {
            if (making_) frame.entries.reserve(object.length);
            for (std::uint64_t i = 0; i < object.length; ++i, frame.refs += refSize_) {
                const std::uint64_t key = refAt(frame.refs);
                if (object.length - i > kAhead) __builtin_prefetch(ahead(refAt(frame.refs + kAhead * refSize_)));
                const std::optional<Object> keyObject = key < objectCount_ ? objectAt(key) : std::nullopt;
                if (!keyObject) return failed(Refusal::notAPropertyList);
                Read text = keyAt(*keyObject);
                if (!text.value) return text;
                if (!add(frame.totals, {0, 1, text.bytes})) return failed(Refusal::pastBounds);
                if (making_) frame.entries.emplace_back(std::move(*text.value->mutableString()), Value());
            }
        } else if (making_) {
            frame.items.reserve(object.length);
        }
        state_[index] = kOpen;
        path_.push_back(std::move(frame));
        return {Value()};
    }

    // Gives a finished value to the container on top of the path.
    void give(Value value) {
        if (!making_) return;
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
                if (!making_) {
                } else if (finished.dictionary) {
                    std::optional<Dictionary> dictionary = dictionaryOfUniqueKeys(std::move(finished.entries));
                    if (!dictionary) return failed(Refusal::unrepresentable);
                    value = Value(std::move(*dictionary));
                } else {
                    value = Value(std::move(finished.items));
                }
                state_[finished.index] = kDone;
                if (path_.empty()) return {std::move(value)};
                if (!add(path_.back().totals, finished.totals)) return failed(Refusal::pastBounds);
                if (named(finished.index)) kept_.emplace(finished.index, Done{value, finished.totals});
                give(std::move(value));
                continue;
            }
            const std::uint64_t child = refAt(frame.refs);
            if (frame.remaining > kAhead) __builtin_prefetch(ahead(refAt(frame.refs + kAhead * refSize_)));
            frame.refs += refSize_;
            --frame.remaining;
            if (child >= objectCount_) return failed(Refusal::notAPropertyList);
            if (state_[child] == kOpen) return failed(Refusal::notAPropertyList);
            if (state_[child] == kDone) {
                // A value read before and kept: a container, or a leaf that allocates.
                const auto done = kept_.find(child);
                if (done == kept_.end()) return failed(Refusal::notAPropertyList);
                if (!add(frame.totals, done->second.totals)) return failed(Refusal::pastBounds);
                give(done->second.value);
                continue;
            }
            if (child == lastLeaf_) {
                if (!add(frame.totals, {0, 1, last_.bytes})) return failed(Refusal::pastBounds);
                give(*last_.value);
                continue;
            }
            const std::optional<Object> object = objectAt(child);
            if (!object) return failed(Refusal::notAPropertyList);
            if (!isContainer(*object)) {
                Read value = leafAt(child, *object);
                if (!value.value) return value;
                if (!add(frame.totals, {0, 1, value.bytes})) return failed(Refusal::pastBounds);
                give(std::move(*value.value));
                continue;
            }
            if (Read opened = open(child, *object); !opened.value) return opened;
        }
    }

    enum : unsigned char { kUnseen, kOpen, kDone };
    // How many objects ahead of the one read a pass asks for.
    static constexpr std::uint64_t kAhead = 32;
    // A value kept for the references that follow, and what it holds once expanded.
    struct Done {
        Value value;
        Totals totals;
    };

    const unsigned char* data_;
    std::size_t size_;
    const bool making_;
    // What the values take in memory, each object counted once, before it is made.
    ValueBudget budget_;
    // What they hold once expanded, counted at every reference, for whoever walks them.
    std::uint64_t maxNodes_;
    std::uint64_t maxLeafBytes_;
    bool tooDeep_ = false;
    std::uint64_t lastLeaf_ = UINT64_MAX;  // the leaf remembered, and what it read as
    Read last_;
    std::size_t offsetSize_ = 0, refSize_ = 0;
    std::uint64_t objectCount_ = 0;
    std::size_t tableOffset_ = 0, objectsEnd_ = 0;
    std::uint64_t root_ = 0;
    std::vector<unsigned char> references_;  // by object: none, one, or more
    std::vector<unsigned char> state_;
    std::vector<Frame> path_;
    std::unordered_map<std::uint64_t, Done> kept_;  // objects named by more than one reference
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
    Read top = BinaryReader(bytes, true).read();
    if (!top.value) return refused(top.refusal);
    return {std::move(top.value), std::nullopt};
}

BinaryCheck checkBinary(std::string_view bytes) {
    BinaryReader reader(bytes, false);
    const Read top = reader.read();
    if (top.value) return BinaryCheck::taken;
    if (top.refusal != Refusal::pastBounds) return BinaryCheck::refused;
    return reader.tooDeep() ? BinaryCheck::tooDeep : BinaryCheck::tooLarge;
}

}  // namespace platform::plist
