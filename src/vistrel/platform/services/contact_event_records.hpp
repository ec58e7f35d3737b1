#pragma once
// The folder of the event and contact stores: one file per saved record, named by the
// record's identifier and an extension. Identifiers are checked to be plain names, so
// a record never lands outside its folder.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "vistrel/platform/foundation/error.hpp"

namespace platform::services::records {

enum ErrorCode : long { noFolder = 2, writeFailed = 3, notSaved = 4 };

// The file of the record; none for an empty folder or an identifier that is no plain name.
std::optional<std::filesystem::path> recordFile(const std::filesystem::path& folder, std::string_view identifier,
                                                std::string_view extension);

// Whether `name` is one the store gives a file in its folder: a record's own, or the
// temporary of one being written ("<file>.tmp-<digits>", file_io.hpp).
bool isRecordFileName(std::string_view name, std::string_view extension);

// The record's identifier when it is a plain name, else a new one.
std::string usableIdentifier(const std::optional<std::string>& identifier);

// Writes the bytes atomically to the record's file; an error of the domain otherwise.
std::optional<Error> writeRecord(const std::filesystem::path& folder, std::string_view identifier,
                                 std::string_view extension, std::string_view bytes, const char* domain);

// Removes the record's file; an error when there was none.
std::optional<Error> removeRecord(const std::filesystem::path& folder, const std::optional<std::string>& identifier,
                                  std::string_view extension, const char* domain);

Error makeError(const char* domain, long code, std::string description);

}  // namespace platform::services::records
