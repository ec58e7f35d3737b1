#include "vistrel/platform/graphics/picture_input.hpp"

#include <algorithm>
#include <cstring>
#include <utility>

#include "vistrel/platform/graphics/image_decoding.hpp"

namespace platform::graphics {

namespace {

// What a file is read in: what a decoder takes at a time, and what the reader holds
// beside the part of a JPEG segment or PNG chunk header it still looks at.
constexpr std::size_t kPiece = 64 * 1024;

}  // namespace

std::optional<std::size_t> PictureInputReader::read(char* out, std::size_t count) noexcept {
    try {
        std::size_t copied = 0;
        while (copied < count) {
            if (piece_.empty() && (piece_ = input_.next()).empty()) break;
            const std::size_t n = std::min(count - copied, piece_.size());
            std::memcpy(out + copied, piece_.data(), n);
            piece_.remove_prefix(n);
            copied += n;
        }
        return copied;
    } catch (...) {
        return std::nullopt;  // no room to read on
    }
}

std::string_view PictureBytesInput::next() { return bytes_.substr(std::exchange(given_, bytes_.size())); }

bool PictureBytesInput::goBackTo(std::size_t offset) {
    if (offset > given_) return false;
    given_ = offset;
    return true;
}

std::optional<PictureFileInput> PictureFileInput::open(const std::filesystem::path& path,
                                                       const DisplayDecodingLimits& limits) {
    FileInPieces file = FileInPieces::open(path, maxImageFileBytes);
    if (file.error()) return std::nullopt;
    PictureFileInput input(std::move(file), limits);
    input.readPiece();
    if (input.failed_) return std::nullopt;
    return input;
}

std::size_t PictureFileInput::givenUpTo() const {
    std::size_t end = readTo_;
    if (length_) end = std::min(end, *length_);
    else if (!fileEnded_) end = std::min(end, extent_.resumeAt());
    if (auto part = extent_.leftOutAfter(given_)) end = std::min(end, part->first);
    return std::max(end, given_);
}

std::string_view PictureFileInput::head() const {
    if (windowFrom_ > 0) return {};
    return std::string_view(window_).substr(0, length_ ? std::min(*length_, readTo_) : readTo_);
}

bool PictureFileInput::readPiece() {
    if (failed_ || fileEnded_ || (length_ && readTo_ >= *length_)) return false;
    // What is given, and what the extent no longer looks at, is let go.
    const std::size_t keepFrom = std::min(given_, length_ ? given_ : extent_.resumeAt());
    if (keepFrom > windowFrom_) {
        window_.erase(0, std::min(window_.size(), keepFrom - windowFrom_));
        windowFrom_ = std::min(keepFrom, readTo_);
    }
    const std::size_t kept = readTo_ - leftOut_;
    const std::size_t atMost = extent_.atMost();
    if (kept >= atMost || readTo_ >= maxImageFileBytes) {
        // As far as the picture may go: it ends here.
        length_ = std::max(given_, readTo_);
        return false;
    }
    std::size_t wanted = std::min({kPiece, atMost - kept, maxImageFileBytes - readTo_});
    if (length_) wanted = std::min(wanted, *length_ - readTo_);
    const std::size_t before = window_.size();
    window_.resize(before + wanted);
    const auto n = file_.read(window_.data() + before, wanted);
    window_.resize(before + n.value_or(0));
    if (!n) {
        failed_ = true;
        return false;
    }
    if (*n == 0) {
        fileEnded_ = true;
        return false;
    }
    readTo_ += *n;
    // Bytes read again were looked at the first time.
    if (!length_ && readTo_ > extentSeen_) {
        extentSeen_ = readTo_;
        if (auto length = extent_.length(window_, windowFrom_)) length_ = std::max(*length, given_);
    }
    return true;
}

std::string_view PictureFileInput::next() {
    for (;;) {
        const std::size_t end = givenUpTo();
        if (end > given_) {
            const std::string_view piece = std::string_view(window_).substr(given_ - windowFrom_, end - given_);
            given_ = end;
            return piece;
        }
        // A part left out where giving has come to: passed over, never read.
        if (auto part = extent_.leftOutAfter(given_); part && part->first <= given_ && (!length_ || part->first < *length_)) {
            if (readTo_ < part->second) {
                if (!file_.readFrom(part->second)) {
                    failed_ = true;
                    return {};
                }
                leftOut_ += part->second - readTo_;
                window_.clear();
                windowFrom_ = readTo_ = part->second;
            }
            given_ = part->second;
            continue;
        }
        if (!readPiece()) {
            // The end of the file, or of what may be read: the bytes read are given.
            if (givenUpTo() > given_) continue;
            return {};
        }
    }
}

bool PictureFileInput::goBackTo(std::size_t offset) {
    if (failed_ || offset > given_) return false;
    if (fileEnded_ && !length_) length_ = readTo_;
    if (offset < windowFrom_) {
        // No longer held: read again from there, past the same parts left out.
        if (!file_.readFrom(offset)) {
            failed_ = true;
            return false;
        }
        window_.clear();
        windowFrom_ = readTo_ = offset;
        fileEnded_ = false;
        leftOut_ = 0;
        for (auto part = extent_.leftOutAfter(0); part && part->second <= offset;
             part = extent_.leftOutAfter(part->second))
            leftOut_ += part->second - part->first;
    }
    given_ = offset;
    return true;
}

std::optional<std::string> PictureFileInput::rest() {
    std::string bytes;
    for (;;) {
        const std::size_t room = std::min({file_.size(), extent_.atMost(), length_.value_or(file_.size())});
        if (room > bytes.capacity()) bytes.reserve(room);
        const std::string_view piece = next();
        if (piece.empty()) break;
        bytes.append(piece);
    }
    if (failed_) return std::nullopt;
    return bytes;
}

}  // namespace platform::graphics
