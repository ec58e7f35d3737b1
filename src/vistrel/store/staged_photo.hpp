#pragma once
// The photo of a record about to be saved, written so that a save that fails leaves
// the documents folder as it was. The bytes go to "<name>.tmp-<number>" in the same
// folder (the pattern removeStaleTemporaryPhotos clears after a crash) and, when no
// file has the name yet, are moved into place at once, so that a saved record never
// points at a missing photo. When a file already has the name (a record of the same
// identifier, or a photo kept after its record was deleted), it is replaced only once
// the new record is saved; a save that fails never removes a file it did not write.
#include <filesystem>
#include <optional>
#include <string_view>

namespace vistrel {

class StagedPhoto {
public:
    // Writes the bytes; none when they cannot be written.
    static std::optional<StagedPhoto> write(const std::filesystem::path& path, std::string_view bytes);

    StagedPhoto(StagedPhoto&& other) noexcept;
    StagedPhoto& operator=(StagedPhoto&&) = delete;
    StagedPhoto(const StagedPhoto&) = delete;
    StagedPhoto& operator=(const StagedPhoto&) = delete;
    ~StagedPhoto();  // discards a photo neither kept nor discarded

    // The record is saved: the photo takes its name. False when it cannot (the file
    // that had the name stays).
    bool keep();
    // The record is not saved: removes what this wrote, and only that.
    void discard();

private:
    StagedPhoto(std::filesystem::path path, std::filesystem::path temporary, bool placed)
        : path_(std::move(path)), temporary_(std::move(temporary)), placed_(placed) {}

    std::filesystem::path path_;
    std::filesystem::path temporary_;
    bool placed_ = false;  // written under its own name, which no file had before
    bool settled_ = false;
};

}  // namespace vistrel
