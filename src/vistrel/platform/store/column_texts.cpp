#include "vistrel/platform/store/column_texts.hpp"

#include <sqlite3.h>

#include <string>

namespace platform::store {

namespace {

// A name as SQL quotes it, each quote in it doubled.
std::string quoted(std::string_view name) {
    std::string text = "\"";
    for (const char c : name) text += c == '"' ? std::string("\"\"") : std::string(1, c);
    return text + "\"";
}

}  // namespace

bool forEachColumnText(const std::filesystem::path& file, std::string_view table, std::string_view column,
                       std::size_t maxBytes, const std::function<void(std::string_view text)>& each) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOFOLLOW, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return false;
    }
    // Another program's file: no function of its schema runs with the reader's trust.
    sqlite3_exec(db, "PRAGMA trusted_schema = OFF", nullptr, nullptr, nullptr);
    // The length of a text is read from its record's header, not from its bytes.
    const std::string sql = "SELECT " + quoted(column) + " FROM " + quoted(table) + " WHERE typeof(" + quoted(column) +
                            ") = 'text' AND length(CAST(" + quoted(column) + " AS BLOB)) <= ?";
    sqlite3_stmt* statement = nullptr;
    bool read = sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK &&
                sqlite3_bind_int64(statement, 1, static_cast<sqlite3_int64>(maxBytes)) == SQLITE_OK;
    int step = SQLITE_DONE;
    while (read && (step = sqlite3_step(statement)) == SQLITE_ROW) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
        each(std::string_view(text ? text : "", static_cast<std::size_t>(sqlite3_column_bytes(statement, 0))));
    }
    read = read && step == SQLITE_DONE;
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return read;
}

}  // namespace platform::store
