#pragma once
// A picture's bytes as its decoder asks for them, a piece at a time (internal to
// platform/graphics): all at once from memory, or from a file read as it goes, so that a
// decoder that needs only its rows holds no more of the file than a piece. A file is read
// no further than its picture, nor than the decode it is read for can use of it
// (picture_extent.hpp), and what its decoder would pass over unread is left out.
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "vistrel/platform/foundation/file_io.hpp"
#include "vistrel/platform/graphics/display_decoding.hpp"
#include "vistrel/platform/graphics/picture_extent.hpp"

namespace platform::graphics {

class PictureInput {
public:
    virtual ~PictureInput() = default;
    // The bytes that follow those given so far; empty at the end of the picture. They stay
    // as they are until the next call.
    virtual std::string_view next() = 0;
    // The offset just past the bytes given so far (those left out counted).
    virtual std::size_t position() const = 0;
    // next() gives again the bytes from `offset` on, an offset up to position(), so that
    // a decoder may look ahead and go on from where it was. False when they cannot be
    // read again.
    virtual bool goBackTo(std::size_t offset) = 0;
};

// An input read as one stream of bytes, whatever pieces it gives them in, for a decoder
// that asks for a count of bytes at a time.
class PictureInputReader {
public:
    explicit PictureInputReader(PictureInput& input) : input_(input) {}
    // Copies up to `count` bytes into `out`: how many, fewer only at the end of the input;
    // none when there is no room to read on. Never throws (a decoder's C code calls it).
    std::optional<std::size_t> read(char* out, std::size_t count) noexcept;

private:
    PictureInput& input_;
    std::string_view piece_;  // what is left of the last piece given
};

class PictureBytesInput final : public PictureInput {
public:
    explicit PictureBytesInput(std::string_view bytes) : bytes_(bytes) {}
    std::string_view next() override;
    std::size_t position() const override { return given_; }
    bool goBackTo(std::size_t offset) override;

private:
    std::string_view bytes_;
    std::size_t given_ = 0;
};

class PictureFileInput final : public PictureInput {
public:
    // The file opened and its first piece read, for a decode under `limits`; none when it
    // cannot be read, is not a regular file or is larger than maxImageFileBytes.
    static std::optional<PictureFileInput> open(const std::filesystem::path& path, const DisplayDecodingLimits& limits);

    // The first bytes of the file as read so far (a piece, or the picture when it is
    // shorter), to tell its kind and header by, before next() gives any.
    std::string_view head() const;
    std::string_view next() override;
    std::size_t position() const override { return given_; }
    // Bytes still held are given again as they are; others are read again, up to the
    // picture's end as far as it was known.
    bool goBackTo(std::size_t offset) override;
    // The bytes next() has not given yet, all of them in one string, its room taken once;
    // none when the file cannot be read on.
    std::optional<std::string> rest();

private:
    PictureFileInput(FileInPieces file, const DisplayDecodingLimits& limits)
        : file_(std::move(file)), extent_(limits) {}
    // Reads on into the window. False at the end of the picture, of the file or of what
    // its decode can use, or when the file cannot be read on.
    bool readPiece();
    // Where what may be given now ends: before the next part left out, within the bytes
    // the extent has looked at, and within the picture.
    std::size_t givenUpTo() const;

    FileInPieces file_;
    PictureExtent extent_;
    std::string window_;                  // the file's bytes from windowFrom_ up to readTo_
    std::size_t windowFrom_ = 0;
    std::size_t readTo_ = 0;              // where reading goes on
    std::size_t extentSeen_ = 0;          // how far the extent has looked, read again or not
    std::size_t given_ = 0;               // every byte before it given or left out
    std::size_t leftOut_ = 0;             // bytes passed over before readTo_
    std::optional<std::size_t> length_;   // the picture's, once known
    bool fileEnded_ = false;
    bool failed_ = false;
};

}  // namespace platform::graphics
