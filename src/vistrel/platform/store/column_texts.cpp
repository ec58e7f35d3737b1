#include "vistrel/platform/store/column_texts.hpp"

#include <sqlite3.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <limits>
#include <string>

#include "vistrel/platform/foundation/file_steps.hpp"

namespace platform::store {

namespace {

// A name as SQL quotes it, each quote in it doubled.
std::string quoted(std::string_view name) {
    std::string text = "\"";
    for (const char c : name) text += c == '"' ? std::string("\"\"") : std::string(1, c);
    return text + "\"";
}

// The journals SQLite keeps beside a store, by the ends of their names.
constexpr std::array<std::string_view, 3> kJournals = {"-wal", "-shm", "-journal"};

// The file as an SQLite URI: every byte but the plainest escaped, so that no "?", "#" or
// "%" of the path reads as more than the path.
std::string uriOf(const std::filesystem::path& file) {
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string uri = "file:";
    for (const char c : file.native()) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || (byte >= '0' && byte <= '9') ||
            c == '/' || c == '.' || c == '_' || c == '-') {
            uri += c;
        } else {
            uri += '%';
            uri += hex[byte >> 4];
            uri += hex[byte & 15];
        }
    }
    return uri;
}

}  // namespace

TextsRead forEachColumnText(const std::filesystem::path& file, PrivateFolder& readIn, std::string_view table,
                            std::string_view column, std::size_t maxBytes, std::size_t maxRows,
                            const std::function<bool(std::string_view text)>& each) {
    struct stat st {};
    if (::lstat(file.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return TextsRead::noFile;
    // Linked, not copied: a store may be large (records once held their photos), and a link
    // keeps a live process's index shared with it. A journal that is there must be linked
    // too: without it the store is not what its writer left.
    const std::string name = file.filename().string();
    switch (readIn.link(file, name)) {
        case PrivateFolder::Linked::regularFile: break;
        case PrivateFolder::Linked::missing: return TextsRead::noFile;
        case PrivateFolder::Linked::other: return TextsRead::notWhole;
    }
    for (const std::string_view journal : kJournals) {
        std::filesystem::path named = file;
        named += journal;
        if (readIn.link(named, name + std::string(journal)) == PrivateFolder::Linked::other) return TextsRead::notWhole;
    }
    fileStep("read: linked");
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(uriOf(readIn.path() / name).c_str(), &db,
                        SQLITE_OPEN_READONLY | SQLITE_OPEN_NOFOLLOW | SQLITE_OPEN_URI, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return TextsRead::notWhole;
    }
    // Nothing of the store is written, even as the last reader of its log lets it go.
    sqlite3_db_config(db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    // Another program's file: no function of its schema runs with the reader's trust.
    sqlite3_exec(db, "PRAGMA trusted_schema = OFF", nullptr, nullptr, nullptr);
    // A row's kind is read from its record's header; a text's length, and then its bytes,
    // through a handle on it, so that a text longer than the bound costs nothing more.
    const std::string sql = "SELECT rowid, typeof(" + quoted(column) + ") FROM " + quoted(table) + " LIMIT ?";
    sqlite3_stmt* statement = nullptr;
    bool read = sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK &&
                sqlite3_bind_int64(statement, 1, static_cast<sqlite3_int64>(std::min<std::size_t>(
                                                     maxRows, std::numeric_limits<sqlite3_int64>::max()))) == SQLITE_OK;
    const std::string tableName(table), columnName(column);
    sqlite3_blob* blob = nullptr;
    std::string text;
    int step = SQLITE_DONE;
    const auto finish = [&](TextsRead how) {
        sqlite3_blob_close(blob);
        sqlite3_finalize(statement);
        sqlite3_close(db);
        return how;
    };
    while (read && (step = sqlite3_step(statement)) == SQLITE_ROW) {
        const auto* kind = reinterpret_cast<const char*>(sqlite3_column_text(statement, 1));
        if (!kind || std::string_view(kind) != "text") continue;
        const sqlite3_int64 row = sqlite3_column_int64(statement, 0);
        // A handle that failed to move is no longer usable: a new one is opened.
        if (blob && sqlite3_blob_reopen(blob, row) != SQLITE_OK) {
            sqlite3_blob_close(blob);
            blob = nullptr;
        }
        if (!blob && sqlite3_blob_open(db, "main", tableName.c_str(), columnName.c_str(), row, 0, &blob) != SQLITE_OK) {
            sqlite3_blob_close(blob);
            blob = nullptr;
            read = false;
            break;
        }
        const int bytes = sqlite3_blob_bytes(blob);
        if (bytes < 0 || static_cast<std::size_t>(bytes) > maxBytes) continue;
        text.resize(static_cast<std::size_t>(bytes));
        if (bytes > 0 && sqlite3_blob_read(blob, text.data(), bytes, 0) != SQLITE_OK) {
            read = false;
            break;
        }
        if (!each(text)) return finish(TextsRead::stopped);
    }
    return finish(read && step == SQLITE_DONE ? TextsRead::whole : TextsRead::notWhole);
}

}  // namespace platform::store
