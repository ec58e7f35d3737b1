#include "vistrel/platform/foundation/property_list_screening.hpp"

#include <cstdint>
#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

namespace platform {

namespace {

// --- XML ---------------------------------------------------------------------------

// Whether `text` at `at` starts with `prefix`.
bool startsAt(std::string_view text, std::size_t at, std::string_view prefix) {
    return text.substr(at, prefix.size()) == prefix;
}

// The deepest element nesting of the text, counted generously: every tag that opens and
// does not close itself is a level, whatever its name; comments, processing
// instructions, declarations and character data sections are passed over.
bool xmlNestsWithin(std::string_view text, int maxLevels) {
    int depth = 0;
    std::size_t i = 0;
    auto skipPast = [&](std::string_view end) {
        const std::size_t found = text.find(end, i);
        i = found == std::string_view::npos ? text.size() : found + end.size();
    };
    while ((i = text.find('<', i)) != std::string_view::npos) {
        if (startsAt(text, i, "<!--")) {
            skipPast("-->");
        } else if (startsAt(text, i, "<![CDATA[")) {
            skipPast("]]>");
        } else if (startsAt(text, i, "<?") || startsAt(text, i, "<!")) {
            skipPast(">");
        } else if (startsAt(text, i, "</")) {
            if (depth > 0) --depth;
            skipPast(">");
        } else {
            const std::size_t close = text.find('>', i);
            const bool selfClosing = close != std::string_view::npos && close > i && text[close - 1] == '/';
            if (!selfClosing && ++depth > maxLevels) return false;
            i = close == std::string_view::npos ? text.size() : close + 1;
        }
    }
    return true;
}

// --- Binary ------------------------------------------------------------------------

std::uint64_t bigEndian(const unsigned char* bytes, std::size_t count) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < count; ++i) value = (value << 8) | bytes[i];
    return value;
}

class BinaryScreen {
public:
    explicit BinaryScreen(std::string_view bytes)
        : data_(reinterpret_cast<const unsigned char*>(bytes.data())), size_(bytes.size()) {}

    Screening screen(int maxDepth, std::uint64_t maxNodes) {
        if (!holdsTogether()) return Screening::damaged;
        if (treeWithin(root_, maxDepth, maxNodes)) return Screening::acceptable;
        return pastBounds_ ? Screening::pastBounds : Screening::damaged;
    }

private:
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

    struct Object {
        std::size_t start = 0;        // of the first byte after the marker and length
        std::uint64_t length = 0;     // items, characters or bytes
        unsigned char type = 0;       // the marker's high nibble
    };

    // The offset of object `index`, checked to lie among the objects.
    std::optional<std::size_t> offsetOf(std::uint64_t index) const {
        const std::uint64_t offset = bigEndian(data_ + tableOffset_ + index * offsetSize_, offsetSize_);
        if (offset < 8 || offset >= tableOffset_) return std::nullopt;
        return static_cast<std::size_t>(offset);
    }

    // The marker and length of the object at `offset`; a length of 15 or more is an
    // integer object of its own after the marker.
    std::optional<Object> objectAt(std::size_t offset) const {
        const unsigned char marker = data_[offset];
        Object object{offset + 1, std::uint64_t(marker & 0x0F), static_cast<unsigned char>(marker >> 4)};
        if (object.length == 0x0F && (object.type == 0x4 || object.type == 0x5 || object.type == 0x6 ||
                                      object.type == 0xA || object.type == 0xC || object.type == 0xD)) {
            if (object.start >= objectsEnd_) return std::nullopt;
            const unsigned char intMarker = data_[object.start];
            if ((intMarker >> 4) != 0x1 || (intMarker & 0x0F) > 3) return std::nullopt;
            const std::size_t width = std::size_t(1) << (intMarker & 0x0F);
            if (objectsEnd_ - object.start - 1 < width) return std::nullopt;
            object.length = bigEndian(data_ + object.start + 1, width);
            object.start += 1 + width;
        }
        return object;
    }

    // Whether `count` items of `width` bytes from `start` stay among the objects.
    bool fits(std::size_t start, std::uint64_t count, std::uint64_t width) const {
        return start <= objectsEnd_ && count <= (objectsEnd_ - start) / width;
    }

    // A string the library can take: inside the file and without a NUL character.
    bool stringAcceptable(const Object& object) const {
        const unsigned char* first = data_ + object.start;
        if (object.type == 0x5)
            return fits(object.start, object.length, 1) && std::memchr(first, 0, object.length) == nullptr;
        if (!fits(object.start, object.length, 2)) return false;
        for (std::uint64_t i = 0; i < object.length; ++i)
            if (first[2 * i] == 0 && first[2 * i + 1] == 0) return false;
        return true;
    }

    // Walks the objects reachable from the top without recursion, each once, checking
    // every string. The library parses a shared object again at every reference to it,
    // so what counts is the tree the references spell out: its height (the recursion the
    // parser will go through) and its number of nodes (the work and memory it will
    // take). A reference back to a container being walked is a cycle. A walk stopped by
    // the height or the number of nodes alone sets pastBounds_.
    bool treeWithin(std::uint64_t root, int maxDepth, std::uint64_t maxNodes) {
        enum : unsigned char { unseen, open, done };
        std::vector<unsigned char> state(objectCount_, unseen);
        std::vector<int> height(objectCount_, 0);
        std::vector<std::uint64_t> nodes(objectCount_, 1);
        struct Frame {
            std::uint64_t index;
            std::size_t refs;          // offset of the next reference to follow
            std::uint64_t remaining;   // references still to follow
            int height = 0;            // of the tallest child so far, plus one
            std::uint64_t nodes = 1;   // the container and its children so far
        };
        std::vector<Frame> path;
        // Folds a finished child into the container walked, if any.
        auto fold = [&](std::uint64_t child) {
            if (path.empty()) return true;
            Frame& parent = path.back();
            parent.height = std::max(parent.height, height[child] + 1);
            parent.nodes += std::min(nodes[child], maxNodes);
            pastBounds_ = parent.height > maxDepth || parent.nodes > maxNodes;
            return !pastBounds_;
        };
        // Starts on an object: a leaf is checked and finished at once, a container opened.
        auto visit = [&](std::uint64_t index) -> bool {
            if (state[index] == open) return false;
            if (path.size() >= std::size_t(maxDepth) + 1) {
                pastBounds_ = true;
                return false;
            }
            if (state[index] == done) return fold(index);
            const std::optional<std::size_t> offset = offsetOf(index);
            if (!offset) return false;
            const std::optional<Object> object = objectAt(*offset);
            if (!object) return false;
            if (object->type == 0xA || object->type == 0xC || object->type == 0xD) {
                if (object->length > objectsEnd_) return false;
                const std::uint64_t refs = object->type == 0xD ? object->length * 2 : object->length;
                if (!fits(object->start, refs, refSize_)) return false;
                state[index] = open;
                path.push_back({index, object->start, refs});
                return true;
            }
            if ((object->type == 0x5 || object->type == 0x6) && !stringAcceptable(*object)) return false;
            state[index] = done;
            return fold(index);
        };
        if (!visit(root)) return false;
        while (!path.empty()) {
            Frame& frame = path.back();
            if (frame.remaining == 0) {
                const Frame finished = frame;
                path.pop_back();
                state[finished.index] = done;
                height[finished.index] = finished.height;
                nodes[finished.index] = finished.nodes;
                if (!fold(finished.index)) return false;
                continue;
            }
            const std::uint64_t child = bigEndian(data_ + frame.refs, refSize_);
            frame.refs += refSize_;
            --frame.remaining;
            if (child >= objectCount_ || !visit(child)) return false;
        }
        return true;
    }

    const unsigned char* data_;
    std::size_t size_;
    std::size_t offsetSize_ = 0, refSize_ = 0;
    std::uint64_t objectCount_ = 0;
    std::size_t tableOffset_ = 0, objectsEnd_ = 0;
    std::uint64_t root_ = 0;
    bool pastBounds_ = false;
};

}  // namespace

Screening screenPropertyListBytes(std::string_view bytes, int maxDepth, std::uint64_t maxNodes) {
    if (bytes.substr(0, 8) == "bplist00") return BinaryScreen(bytes).screen(maxDepth, maxNodes);
    if (bytes.find('\0') != std::string_view::npos) return Screening::damaged;
    // The top element, the value at the deepest level the reader takes, and its key.
    return xmlNestsWithin(bytes, maxDepth + 3) ? Screening::acceptable : Screening::pastBounds;
}

}  // namespace platform
