#include "vistrel/platform/services/contact_event_records.hpp"

#include <cctype>
#include <system_error>

#include "vistrel/platform/foundation/file_io.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/foundation/random.hpp"

namespace platform::services::records {

namespace {

// Letters, digits, "_" and "-", 1 to 100 of them: never a path, never hidden.
bool isPlainName(std::string_view name) {
    if (name.empty() || name.size() > 100) return false;
    for (char c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_' && c != '-') return false;
    return true;
}

}  // namespace

Error makeError(const char* domain, long code, std::string description) {
    return Error{domain, code, {{"NSLocalizedDescription", std::move(description)}}};
}

std::optional<std::filesystem::path> recordFile(const std::filesystem::path& folder, std::string_view identifier,
                                                std::string_view extension) {
    if (folder.empty() || !isPlainName(identifier)) return std::nullopt;
    return folder / std::string(identifier).append(extension);
}

bool isRecordFileName(std::string_view name, std::string_view extension) {
    if (const auto written = temporaryTargetOf(name)) name = *written;
    return name.size() > extension.size() && name.ends_with(extension) &&
           isPlainName(name.substr(0, name.size() - extension.size()));
}

std::string usableIdentifier(const std::optional<std::string>& identifier) {
    return identifier && isPlainName(*identifier) ? *identifier : makeUuidString();
}

std::optional<Error> writeRecord(const std::filesystem::path& folder, std::string_view identifier,
                                 std::string_view extension, std::string_view bytes, const char* domain) {
    const std::optional<std::filesystem::path> file = recordFile(folder, identifier, extension);
    if (!file) return makeError(domain, noFolder, "The store has no folder.");
    if (!writeFileAtomically(*file, bytes)) {
        log(std::string(domain).append(" :: cannot write ").append(file->string()));
        return makeError(domain, writeFailed, "The record could not be written.");
    }
    return std::nullopt;
}

std::optional<Error> removeRecord(const std::filesystem::path& folder, const std::optional<std::string>& identifier,
                                  std::string_view extension, const char* domain) {
    const std::optional<std::filesystem::path> file =
        identifier ? recordFile(folder, *identifier, extension) : std::nullopt;
    std::error_code ignored;
    if (!file || !std::filesystem::remove(*file, ignored)) return makeError(domain, notSaved, "The record was not saved.");
    return std::nullopt;
}

}  // namespace platform::services::records
