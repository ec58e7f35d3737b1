#include "vistrel/platform/store/persistent_store_coordinator.hpp"

#include <sqlite3.h>

#include <algorithm>
#include <limits>
#include <map>
#include <tuple>
#include <system_error>

#include "vistrel/platform/foundation/file_steps.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/foundation/utf_encodings.hpp"

namespace platform::store {

namespace {

using Micro = std::chrono::microseconds;

// How long a lock another host holds on the file is waited for, in milliseconds
// (kWriteWaitBound), and how often the journal's switch is tried again meanwhile.
constexpr int kBusyTimeout = static_cast<int>(kWriteWaitBound.count());
constexpr int kJournalRetry = 5;

// Text made of the parts in order.
template <class... Parts>
std::string cat(const Parts&... parts) {
    std::string text;
    (text.append(std::string_view(parts)), ...);
    return text;
}

// The text between the marks, each mark in it doubled.
std::string enclosed(std::string_view text, char mark) {
    std::string result(1, mark);
    for (char c : text) {
        if (c == mark) result += mark;
        result += c;
    }
    result += mark;
    return result;
}

// Identifiers come from the model, whose names are checked to be plain, or from the
// store file's own schema, which is not to be trusted: they are always quoted.
std::string quotedName(std::string_view name) { return enclosed(name, '"'); }

// The table of the largest row number each entity ever gave, beside the entities' own:
// SQLite gives a table without AUTOINCREMENT the number after its largest row, the number
// of a deleted newest row again, and it cannot add AUTOINCREMENT to a table an earlier
// version made. Its name, with spaces, is none a model's entity can have.
constexpr std::string_view kRowNumbers = "row numbers given";

const char* columnType(const AttributeDescription& attribute) {
    switch (attribute.type) {
    case AttributeType::string: return "TEXT";
    case AttributeType::date: return "INTEGER";
    case AttributeType::boolean: return attribute.optional ? "INTEGER" : "INTEGER NOT NULL DEFAULT 0";
    case AttributeType::binary: return "BLOB";
    }
    return "BLOB";
}

// How a fetch reads an attribute's value: whole; by its start, read in place from the
// file (a text or binary value is given as an empty blob, and read by blob I/O, which
// reads no more than the start); by its start cut by the query (a file whose texts are
// not UTF-8: a text's start in characters, a parameter of the query); or not at all.
enum class Read { whole, startInPlace, startInQuery, none };

}  // namespace

struct PersistentStoreCoordinator::Connection {
    // What decides the text of a fetch: entity, predicate attribute, test and number of
    // values, sort attribute and direction, whether there is a limit, and how each
    // attribute is read.
    using FetchShape = std::tuple<const EntityDescription*, std::size_t, Predicate::Test, std::size_t, std::size_t,
                                  bool, bool, std::vector<Read>>;

    sqlite3* db = nullptr;
    // Whether the file keeps its texts in UTF-8 (the store makes no other): only then are
    // a text's bytes, read in place, the text itself.
    bool utf8 = true;
    std::map<std::string, sqlite3_stmt*, std::less<>> statements;
    std::map<FetchShape, sqlite3_stmt*> fetches;

    ~Connection() {
        for (auto& [sql, statement] : statements) sqlite3_finalize(statement);
        sqlite3_close_v2(db);
    }

    Error error(std::string_view reason, int code = 0) const {
        Error result;
        result.domain = StoreErrorDomain;
        result.code = code ? code : sqlite3_extended_errcode(db);
        result.userInfo["reason"] = std::string(reason);
        // SQLite's own words only where it failed: a reason of the store's ("the record is
        // no longer in the store") is no error of SQLite's, whose message would say so.
        if (!db) result.userInfo["message"] = sqlite3_errstr(static_cast<int>(result.code));
        else if (sqlite3_errcode(db) != SQLITE_OK) result.userInfo["message"] = sqlite3_errmsg(db);
        return result;
    }

    // A prepared statement, kept for the next use; reset and unbound.
    sqlite3_stmt* statement(const std::string& sql) {
        if (auto found = statements.find(sql); found != statements.end()) {
            sqlite3_reset(found->second);
            sqlite3_clear_bindings(found->second);
            return found->second;
        }
        sqlite3_stmt* made = nullptr;
        if (sqlite3_prepare_v3(db, sql.c_str(), static_cast<int>(sql.size() + 1), SQLITE_PREPARE_PERSISTENT, &made,
                               nullptr) != SQLITE_OK)
            return nullptr;
        statements.emplace(sql, made);
        return made;
    }

    bool exec(const std::string& sql) { return sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK; }

    // Takes the file's write lock, waiting for another host's write as a save does. Tried
    // once without waiting first, so that a wait is told ("store: waiting for another
    // host's write") before it starts. Gives SQLite's result.
    int beginImmediate(bool wait = true) {
        sqlite3_busy_timeout(db, 0);
        int begun = sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        sqlite3_busy_timeout(db, kBusyTimeout);
        if (wait && (begun & 0xff) == SQLITE_BUSY) {
            fileStep("store: waiting for another host's write");
            begun = sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        }
        return begun;
    }

    // Runs a statement that gives at most one integer; none on an error.
    std::optional<std::int64_t> integer(const std::string& sql, std::string_view text = {}) {
        sqlite3_stmt* query = statement(sql);
        if (!query) return std::nullopt;
        if (!text.empty()) sqlite3_bind_text(query, 1, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
        std::optional<std::int64_t> result = 0;
        int step;
        while ((step = sqlite3_step(query)) == SQLITE_ROW) result = sqlite3_column_int64(query, 0);
        if (step != SQLITE_DONE) result.reset();
        sqlite3_reset(query);
        return result;
    }

    // Whether the entity's table has the row; none on an error.
    std::optional<bool> hasRow(const EntityDescription& entity, std::int64_t rowId) {
        sqlite3_stmt* query = statement(cat("SELECT count(*) FROM ", quotedName(entity.name), " WHERE pk = ?"));
        if (!query) return std::nullopt;
        sqlite3_bind_int64(query, 1, rowId);
        std::optional<bool> found;
        if (sqlite3_step(query) == SQLITE_ROW) found = sqlite3_column_int64(query, 0) != 0;
        sqlite3_reset(query);
        return found;
    }

    // The number of the entity's next row: past the largest it ever gave, and past every
    // row its table holds (one an earlier version or another program wrote). Read and kept
    // (keepRowNumber) in the save's transaction, under the write lock, so that no two
    // hosts give one number. None when the file's numbers are no numbers, or spent.
    std::optional<std::int64_t> nextRowNumber(const EntityDescription& entity) {
        sqlite3_stmt* query = statement(cat("SELECT max(coalesce((SELECT max(largest) FROM ", quotedName(kRowNumbers),
                                            " WHERE entity = ?1), 0), coalesce((SELECT max(pk) FROM ",
                                            quotedName(entity.name), "), 0))"));
        if (!query) return std::nullopt;
        sqlite3_bind_text(query, 1, entity.name.data(), static_cast<int>(entity.name.size()), SQLITE_STATIC);
        std::optional<std::int64_t> next;
        if (sqlite3_step(query) == SQLITE_ROW && sqlite3_column_type(query, 0) == SQLITE_INTEGER) {
            const std::int64_t largest = sqlite3_column_int64(query, 0);
            if (largest < std::numeric_limits<std::int64_t>::max()) next = largest + 1;
        }
        sqlite3_reset(query);
        return next;
    }

    // Records the number as the largest the entity gave; false on an error.
    bool keepRowNumber(const EntityDescription& entity, std::int64_t number) {
        const std::string table = quotedName(kRowNumbers);
        for (const std::string& sql : {cat("UPDATE ", table, " SET largest = ?2 WHERE entity = ?1"),
                                       cat("INSERT INTO ", table, " (entity, largest) VALUES (?1, ?2)")}) {
            sqlite3_stmt* write = statement(sql);
            if (!write) return false;
            sqlite3_bind_text(write, 1, entity.name.data(), static_cast<int>(entity.name.size()), SQLITE_STATIC);
            sqlite3_bind_int64(write, 2, number);
            const int step = sqlite3_step(write);
            sqlite3_reset(write);
            if (step != SQLITE_DONE) return false;
            if (sqlite3_changes(db) > 0) return true;  // updated: no row to insert
        }
        return false;
    }
};

namespace {

int bind(sqlite3_stmt* statement, int position, const AttributeDescription& attribute, const AttributeValue& value) {
    if (const auto* text = std::get_if<std::string>(&value)) {
        if (attribute.type == AttributeType::binary)
            return sqlite3_bind_blob64(statement, position, text->data(), text->size(), SQLITE_STATIC);
        return sqlite3_bind_text64(statement, position, text->data(), text->size(), SQLITE_STATIC, SQLITE_UTF8);
    }
    if (const auto* date = std::get_if<Date>(&value))
        return sqlite3_bind_int64(statement, position,
                                  std::chrono::duration_cast<Micro>(date->time_since_epoch()).count());
    if (const auto* flag = std::get_if<bool>(&value)) return sqlite3_bind_int(statement, position, *flag ? 1 : 0);
    return sqlite3_bind_null(statement, position);
}

AttributeValue column(sqlite3_stmt* statement, int position, const AttributeDescription& attribute) {
    if (attribute.type == AttributeType::string) {
        // No text pointer only for NULL (or no memory, which counts as none).
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, position));
        if (!text) return std::monostate{};
        return std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(statement, position)));
    }
    int kind = sqlite3_column_type(statement, position);
    if (kind == SQLITE_NULL) return std::monostate{};
    switch (attribute.type) {
    case AttributeType::string:
    case AttributeType::binary: {
        const void* bytes = sqlite3_column_blob(statement, position);
        int size = sqlite3_column_bytes(statement, position);
        return std::string(static_cast<const char*>(bytes ? bytes : ""), static_cast<std::size_t>(size));
    }
    case AttributeType::date:
        if (kind == SQLITE_FLOAT)
            return Date(Micro(static_cast<std::int64_t>(sqlite3_column_double(statement, position) * 1e6)));
        return Date(Micro(sqlite3_column_int64(statement, position)));
    case AttributeType::boolean: return sqlite3_column_int64(statement, position) != 0;
    }
    return std::monostate{};
}

std::string fetchSql(const EntityDescription& entity, const std::vector<Read>& reads, const Predicate* predicate,
                     const AttributeDescription* matched, const AttributeDescription* sort, bool ascending,
                     bool limited) {
    std::string sql = "SELECT pk";
    for (std::size_t i = 0; i < entity.attributes.size(); ++i) {
        const std::string name = quotedName(entity.attributes[i].name);
        switch (reads[i]) {
        case Read::whole: sql += cat(", ", name); break;
        // typeof() reads the value's kind alone, never its bytes.
        case Read::startInPlace:
            sql += cat(", CASE WHEN typeof(", name, ") IN ('text', 'blob') THEN x'' ELSE ", name, " END");
            break;
        case Read::startInQuery: sql += cat(", substr(", name, ", 1, ?)"); break;
        case Read::none: sql += ", NULL"; break;
        }
    }
    // The row a value is read in place from: its rowid, whatever the file made of pk.
    if (std::find(reads.begin(), reads.end(), Read::startInPlace) != reads.end()) sql += ", _rowid_";
    sql += cat(" FROM ", quotedName(entity.name));
    if (matched) {
        sql += cat(" WHERE ", quotedName(matched->name));
        // IS NULL and IS NOT NULL read a value's kind, never its bytes.
        if (predicate->test == Predicate::Test::absent) {
            sql += " IS NULL";
        } else if (predicate->test == Predicate::Test::present) {
            sql += " IS NOT NULL";
        } else if (predicate->anyOf.size() == 1) {
            sql += " = ?";
        } else {
            sql += " IN (?";
            for (std::size_t i = 1; i < predicate->anyOf.size(); ++i) sql += ", ?";
            sql += ')';
        }
    }
    if (sort) {
        const char* direction = ascending ? " ASC" : " DESC";
        sql += cat(" ORDER BY ", quotedName(sort->name), direction, ", pk", direction);
    }
    if (limited) sql += " LIMIT ?";
    return sql;
}

// The start of a value read by its start: at most `maxBytes` bytes, a text cut where a
// character starts. `bytes` holds the value, or its first maxBytes + 1 bytes.
std::string startOf(std::string bytes, std::size_t maxBytes, AttributeType type) {
    if (bytes.size() <= maxBytes) return bytes;
    // A text that is no UTF-8 is cut at the bound.
    bytes.resize(type == AttributeType::string ? platform::utf8CharacterStart(bytes, maxBytes) : maxBytes);
    return bytes;
}

// Reads the start of one attribute's values, row after row of a fetch, in place in the
// file: only the pages that hold the start are read.
class StartReader {
public:
    StartReader(sqlite3* db, const EntityDescription& entity, const AttributeDescription& attribute)
        : db_(db), table_(entity.name), column_(attribute.name) {}
    ~StartReader() { sqlite3_blob_close(blob_); }
    StartReader(const StartReader&) = delete;
    StartReader& operator=(const StartReader&) = delete;

    // The value's first maxBytes + 1 bytes at most; none when it cannot be read.
    std::optional<std::string> read(std::int64_t row, std::size_t maxBytes) {
        const int opened = blob_ ? sqlite3_blob_reopen(blob_, row)
                                 : sqlite3_blob_open(db_, "main", table_.c_str(), column_.c_str(), row, 0, &blob_);
        if (opened != SQLITE_OK) return failed();
        const auto size = static_cast<std::size_t>(sqlite3_blob_bytes(blob_));
        std::string bytes(size > maxBytes ? maxBytes + 1 : size, '\0');
        if (!bytes.empty() && sqlite3_blob_read(blob_, bytes.data(), static_cast<int>(bytes.size()), 0) != SQLITE_OK)
            return failed();
        return bytes;
    }

private:
    // A handle that failed is spent: the next row opens another.
    std::nullopt_t failed() {
        sqlite3_blob_close(blob_);
        blob_ = nullptr;
        return std::nullopt;
    }

    sqlite3* db_;
    std::string table_, column_;
    sqlite3_blob* blob_ = nullptr;
};

}  // namespace

PersistentStoreCoordinator::PersistentStoreCoordinator(std::shared_ptr<const ManagedObjectModel> model)
    : model_(std::move(model)) {}

PersistentStoreCoordinator::~PersistentStoreCoordinator() = default;

bool PersistentStoreCoordinator::hasStore() const { return connection_ != nullptr; }

std::optional<Error> PersistentStoreCoordinator::addSQLiteStore(const std::filesystem::path& file) {
    auto failure = openStore(file);
    if (failure) failure->userInfo["file"] = file.string();
    return failure;
}

// What the file lacks of the model (tables, columns, indexes) and what it holds that the
// store never makes (triggers, views: code a planted schema would run on every save).
struct PersistentStoreCoordinator::SchemaPlan {
    std::int64_t version = 0;
    std::vector<std::string> changes;
    std::vector<std::string> foreign;  // "trigger name", "view name", for the log
    bool upToDate = false;
};

std::optional<Error> PersistentStoreCoordinator::openStore(const std::filesystem::path& file) {
    auto connection = std::make_unique<Connection>();
    if (connection_) return connection->error("a store is already added", SQLITE_MISUSE);

    // The folder may be reached through links (a linked home, data moved to another
    // disk): it is resolved here, so that SQLite can refuse any link left in the path,
    // which can then only be the store file or its journals being links themselves.
    std::error_code ec;
    const std::filesystem::path folder = std::filesystem::canonical(
        file.has_parent_path() ? file.parent_path() : std::filesystem::path("."), ec);
    if (ec) return connection->error("the store's folder cannot be reached", SQLITE_CANTOPEN);
    const std::filesystem::path resolved = folder / file.filename();
    for (const char* suffix : {"", "-wal", "-shm"}) {
        std::filesystem::path companion = resolved;
        companion += suffix;
        if (std::filesystem::is_symlink(std::filesystem::symlink_status(companion, ec)))
            return connection->error(*suffix ? "the store's journal is a symbolic link"
                                             : "the store file is a symbolic link",
                                     SQLITE_CANTOPEN_SYMLINK);
    }
    bool exists = std::filesystem::exists(std::filesystem::symlink_status(resolved, ec));
    // An existing file is only ever opened, never created anew. A link put in place after
    // the checks above is still refused: SQLite opens the file and its journals without
    // following one. The connection belongs to the thread of the store's context, so
    // SQLite need not lock around each call.
    int flags = SQLITE_OPEN_READWRITE | (exists ? 0 : SQLITE_OPEN_CREATE) | SQLITE_OPEN_NOFOLLOW | SQLITE_OPEN_NOMUTEX;
    int opened = sqlite3_open_v2(resolved.c_str(), &connection->db, flags, nullptr);
    if (opened != SQLITE_OK) return connection->error("the store file cannot be opened", opened);
    sqlite3_extended_result_codes(connection->db, 1);
    // Other hosts may write the same file: a lock they hold is waited for, not a failure.
    sqlite3_busy_timeout(connection->db, kBusyTimeout);
    // The file's schema is not the kit's word: no function it names runs with more trust
    // than a statement of the kit.
    if (!connection->exec("PRAGMA trusted_schema = OFF"))
        return connection->error("the store file cannot be opened safely");

    // Reading the header and the schema finds a file that is not a database or is
    // damaged before anything is written to it.
    auto version = connection->integer("PRAGMA user_version");
    if (!version || !connection->integer("SELECT count(*) FROM sqlite_master"))
        return connection->error("the store file is not a database or is damaged");
    if (*version > model_->version())
        return connection->error("the store file was written by a newer version of the data model", SQLITE_CANTOPEN);

    // Turning the journal on takes the file for a moment, and SQLite gives up at once
    // when another host is doing the same: that host is waited for here.
    auto mode = connection->statement("PRAGMA journal_mode = WAL");
    if (!mode) return connection->error("the write-ahead journal cannot be turned on");
    for (int waited = 0;; waited += kJournalRetry) {
        const int step = sqlite3_step(mode);
        sqlite3_reset(mode);
        if (step == SQLITE_ROW) break;
        if ((step & 0xff) != SQLITE_BUSY || waited >= kBusyTimeout)
            return connection->error("the write-ahead journal cannot be turned on", step);
        sqlite3_sleep(kJournalRetry);
    }
    connection->exec("PRAGMA synchronous = NORMAL");
    if (auto encoding = connection->statement("PRAGMA encoding")) {
        if (sqlite3_step(encoding) == SQLITE_ROW)
            if (const auto* name = sqlite3_column_text(encoding, 0))
                connection->utf8 = std::string_view(reinterpret_cast<const char*>(name)) == "UTF-8";
        sqlite3_reset(encoding);
    }

    auto plan = planSchema(*connection);
    if (!plan) return connection->error("the store file's schema cannot be read");
    if (!plan->upToDate) {
        // Planned again under the write lock: another host may have made the same
        // tables since the plan above, and its work is not done twice.
        auto failure = [&]() -> std::optional<Error> {
            Error error = connection->error("the store file cannot be brought up to date");
            connection->exec("ROLLBACK");
            return error;
        };
        if (connection->beginImmediate() != SQLITE_OK)
            return connection->error("the store file cannot be brought up to date");
        plan = planSchema(*connection);
        if (!plan) return failure();
        if (plan->version > model_->version()) {
            connection->exec("ROLLBACK");
            return connection->error("the store file was written by a newer version of the data model", SQLITE_CANTOPEN);
        }
        if (!plan->foreign.empty()) {
            // One line, however many there are; the names are the file's, so bounded.
            std::string first = plan->foreign.front().substr(0, 120);
            platform::log(escapeControlCharacters(
                cat("store :: ", std::to_string(plan->foreign.size()),
                    " triggers or views the store did not make are dropped, the first: ", first)));
        }
        plan->changes.push_back(cat("PRAGMA user_version = ", std::to_string(model_->version())));
        for (const auto& sql : plan->changes)
            if (!connection->exec(sql)) return failure();
        // A name SQLite could not drop by leaves its code behind: such a file is refused.
        if (connection->integer("SELECT count(*) FROM sqlite_master WHERE type IN ('trigger', 'view')") != 0) {
            connection->exec("ROLLBACK");
            return connection->error("the store file holds triggers or views that cannot be dropped", SQLITE_CANTOPEN);
        }
        if (!connection->exec("COMMIT")) return failure();
    }
    connection_ = std::move(connection);
    path_ = file;
    return std::nullopt;
}

std::optional<PersistentStoreCoordinator::SchemaPlan> PersistentStoreCoordinator::planSchema(Connection& connection) const {
    SchemaPlan plan;
    auto version = connection.integer("PRAGMA user_version");
    if (!version) return std::nullopt;
    plan.version = *version;

    // Triggers first: dropping a view drops its own triggers. The store makes neither.
    sqlite3_stmt* planted = connection.statement(
        "SELECT type, name FROM sqlite_master WHERE type IN ('trigger', 'view') ORDER BY type = 'view', name");
    if (!planted) return std::nullopt;
    int step;
    while ((step = sqlite3_step(planted)) == SQLITE_ROW) {
        const auto* kind = reinterpret_cast<const char*>(sqlite3_column_text(planted, 0));
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(planted, 1));
        if (!kind || !text) continue;  // no name, nothing to drop by: the check after the drops refuses it
        const std::string type = kind;
        const std::string_view name(text, static_cast<std::size_t>(sqlite3_column_bytes(planted, 1)));
        plan.changes.push_back(cat("DROP ", type == "view" ? "VIEW" : "TRIGGER", " IF EXISTS ", quotedName(name)));
        plan.foreign.push_back(cat(type, " ", quotedName(name)));
    }
    sqlite3_reset(planted);
    if (step != SQLITE_DONE) return std::nullopt;

    // The columns of the table, made with its first column when there is no table.
    const auto columns = [&](std::string_view table,
                             std::string_view first) -> std::optional<std::vector<std::string>> {
        auto tables =
            connection.integer("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = ?1", table);
        if (!tables) return std::nullopt;
        std::vector<std::string> present;
        if (*tables == 0) {
            plan.changes.push_back(cat("CREATE TABLE ", quotedName(table), " (", first, ")"));
            present.emplace_back(first.substr(0, first.find(' ')));
            return present;
        }
        sqlite3_stmt* info = connection.statement("SELECT name FROM pragma_table_info(?1)");
        if (!info) return std::nullopt;
        sqlite3_bind_text(info, 1, table.data(), static_cast<int>(table.size()), SQLITE_TRANSIENT);
        while ((step = sqlite3_step(info)) == SQLITE_ROW)
            if (const auto* name = sqlite3_column_text(info, 0))
                present.emplace_back(reinterpret_cast<const char*>(name));
        sqlite3_reset(info);
        if (step != SQLITE_DONE) return std::nullopt;
        return present;
    };
    const auto addMissing = [&](std::string_view table, const std::vector<std::string>& present,
                                std::string_view column, std::string_view type) {
        if (std::find(present.begin(), present.end(), column) == present.end())
            plan.changes.push_back(
                cat("ALTER TABLE ", quotedName(table), " ADD COLUMN ", quotedName(column), " ", type));
    };

    const std::size_t planned = plan.changes.size();
    auto numbers = columns(kRowNumbers, "entity TEXT PRIMARY KEY");
    if (!numbers) return std::nullopt;
    // Read only from a table that has both columns before the plan runs.
    const bool numbersKept = plan.changes.size() == planned &&
                             std::find(numbers->begin(), numbers->end(), "largest") != numbers->end() &&
                             std::find(numbers->begin(), numbers->end(), "entity") != numbers->end();
    addMissing(kRowNumbers, *numbers, "entity", "TEXT");
    addMissing(kRowNumbers, *numbers, "largest", "INTEGER");
    std::vector<std::string> seeds;
    for (const auto& entity : model_->entities()) {
        auto present = columns(entity.name, "pk INTEGER PRIMARY KEY");
        if (!present) return std::nullopt;
        for (const auto& attribute : entity.attributes) {
            addMissing(entity.name, *present, attribute.name, columnType(attribute));
            if (attribute.indexed)
                plan.changes.push_back(cat("CREATE INDEX IF NOT EXISTS ", quotedName(cat(entity.name, "_", attribute.name)),
                                           " ON ", quotedName(entity.name), " (", quotedName(attribute.name), ")"));
        }
        // The largest number a store that did not keep them gave is its largest row's: the
        // numbers of rows deleted before are lost, but none given from now on comes back.
        auto kept = numbersKept ? connection.integer(cat("SELECT count(*) FROM ", quotedName(kRowNumbers),
                                                         " WHERE entity = ?1"),
                                                     entity.name)
                                : std::optional<std::int64_t>(0);
        if (!kept) return std::nullopt;
        if (*kept == 0)
            seeds.push_back(cat("INSERT INTO ", quotedName(kRowNumbers), " (entity, largest) SELECT ",
                                enclosed(entity.name, '\''), ", coalesce(max(pk), 0) FROM ", quotedName(entity.name)));
    }
    plan.changes.insert(plan.changes.end(), seeds.begin(), seeds.end());
    plan.upToDate = plan.version == model_->version() &&
                    std::all_of(plan.changes.begin(), plan.changes.end(),
                                [](const std::string& sql) { return sql.starts_with("CREATE INDEX IF NOT EXISTS"); });
    return plan;
}

std::optional<std::vector<StoreRow>> PersistentStoreCoordinator::fetch(const FetchRequest& request,
                                                                        std::size_t limit, Error* error) {
    auto fail = [&](std::string_view reason, int code = 0) -> std::optional<std::vector<StoreRow>> {
        if (error) *error = connection_ ? connection_->error(reason, code) : Connection{}.error(reason, SQLITE_CANTOPEN);
        return std::nullopt;
    };
    if (!connection_) return fail("the store is not open", SQLITE_CANTOPEN);
    const EntityDescription* entity = model_->entity(request.entityName);
    if (!entity) return fail("the model has no such entity", SQLITE_MISUSE);

    constexpr std::size_t none = std::numeric_limits<std::size_t>::max();
    const AttributeDescription* matched = nullptr;
    std::size_t matchedIndex = none, sortIndex = none;
    if (request.predicate) {
        auto index = entity->indexOfAttribute(request.predicate->attribute);
        const auto values = request.predicate->anyOf.size();
        const bool answerable =
            request.predicate->test == Predicate::Test::anyOf ? values > 0 && values <= 10000 : values == 0;
        if (!index || !answerable) return fail("the predicate is not one the entity can answer", SQLITE_MISUSE);
        matchedIndex = *index;
        matched = &entity->attributes[*index];
    }
    if (request.sort) {
        auto index = entity->indexOfAttribute(request.sort->attribute);
        if (!index) return fail("the sort is not on an attribute of the entity", SQLITE_MISUSE);
        sortIndex = *index;
    }
    std::vector<Read> reads(entity->attributes.size(), request.propertiesToFetch ? Read::none : Read::whole);
    std::vector<std::size_t> maxBytes(entity->attributes.size(), 0);
    if (request.propertiesToFetch) {
        for (const auto& name : *request.propertiesToFetch) {
            auto index = entity->indexOfAttribute(name);
            if (!index) return fail("an attribute to fetch is not one of the entity", SQLITE_MISUSE);
            reads[*index] = Read::whole;
        }
    }
    for (const auto& prefix : request.prefixes) {
        auto index = entity->indexOfAttribute(prefix.attribute);
        if (!index || entity->attributes[*index].type == AttributeType::date ||
            entity->attributes[*index].type == AttributeType::boolean)
            return fail("a start is asked of no text or binary attribute of the entity", SQLITE_MISUSE);
        reads[*index] = connection_->utf8 ? Read::startInPlace : Read::startInQuery;
        maxBytes[*index] = prefix.maxBytes;
    }
    const bool unread = std::find(reads.begin(), reads.end(), Read::none) != reads.end();
    Connection::FetchShape shape{entity,
                                 matchedIndex,
                                 matched ? request.predicate->test : Predicate::Test::anyOf,
                                 matched ? request.predicate->anyOf.size() : 0,
                                 sortIndex,
                                 request.sort && request.sort->ascending,
                                 limit > 0,
                                 reads};
    sqlite3_stmt*& query = connection_->fetches[shape];
    if (query) {
        sqlite3_reset(query);
        sqlite3_clear_bindings(query);
    } else {
        query = connection_->statement(fetchSql(*entity, reads, matched ? &*request.predicate : nullptr, matched,
                                                request.sort ? &entity->attributes[sortIndex] : nullptr,
                                                request.sort && request.sort->ascending, limit > 0));
        if (!query) {
            connection_->fetches.erase(shape);
            return fail("the fetch cannot be prepared");
        }
    }
    int position = 1;
    for (std::size_t i = 0; i < reads.size(); ++i)
        if (reads[i] == Read::startInQuery)  // one character more than the bytes kept: whether the text goes on
            sqlite3_bind_int64(query, position++,
                               static_cast<sqlite3_int64>(std::min<std::size_t>(maxBytes[i], 1u << 30) + 1));
    if (matched)
        for (const auto& value : request.predicate->anyOf) bind(query, position++, *matched, value);
    if (limit > 0) sqlite3_bind_int64(query, position, static_cast<sqlite3_int64>(limit));

    std::vector<std::unique_ptr<StartReader>> readers(reads.size());
    for (std::size_t i = 0; i < reads.size(); ++i)
        if (reads[i] == Read::startInPlace)
            readers[i] = std::make_unique<StartReader>(connection_->db, *entity, entity->attributes[i]);
    std::vector<StoreRow> rows;
    int step;
    while ((step = sqlite3_step(query)) == SQLITE_ROW) {
        StoreRow row;
        row.rowId = sqlite3_column_int64(query, 0);
        row.values.reserve(entity->attributes.size());
        if (unread) row.unread.resize(entity->attributes.size());
        for (std::size_t i = 0; i < entity->attributes.size(); ++i) {
            const auto& attribute = entity->attributes[i];
            const int at = static_cast<int>(i + 1);
            if (reads[i] == Read::none) {
                row.values.emplace_back();
                row.unread[i] = true;
                continue;
            }
            if (reads[i] == Read::startInPlace && sqlite3_column_type(query, at) == SQLITE_BLOB) {
                const int rowid = static_cast<int>(entity->attributes.size() + 1);
                auto start = readers[i]->read(sqlite3_column_int64(query, rowid), maxBytes[i]);
                if (!start) {
                    auto failure = fail("the start of a value cannot be read");
                    sqlite3_reset(query);
                    return failure;
                }
                row.values.emplace_back(startOf(std::move(*start), maxBytes[i], attribute.type));
                continue;
            }
            AttributeValue value = column(query, at, attribute);
            if (auto* text = std::get_if<std::string>(&value); text && reads[i] != Read::whole)
                *text = startOf(std::move(*text), maxBytes[i], attribute.type);
            row.values.push_back(std::move(value));
        }
        rows.push_back(std::move(row));
    }
    if (step != SQLITE_DONE) {
        auto failure = fail("the fetch failed");
        sqlite3_reset(query);
        return failure;
    }
    sqlite3_reset(query);
    return rows;
}

const AttributeDescription* PersistentStoreCoordinator::askedAttribute(const EntityDescription& entity,
                                                                      std::size_t attribute, Error* error) const {
    const auto fail = [&](std::string_view reason, int code) -> const AttributeDescription* {
        if (error) *error = connection_ ? connection_->error(reason, code) : Connection{}.error(reason, code);
        return nullptr;
    };
    if (!connection_) return fail("the store is not open", SQLITE_CANTOPEN);
    if (model_->entity(entity.name) != &entity || attribute >= entity.attributes.size())
        return fail("the value asked is not one of the model's", SQLITE_MISUSE);
    return &entity.attributes[attribute];
}

std::optional<AttributeValue> PersistentStoreCoordinator::fetchValue(const EntityDescription& entity,
                                                                    std::int64_t rowId, std::size_t attribute,
                                                                    Error* error) {
    auto fail = [&](std::string_view reason, int code = 0) -> std::optional<AttributeValue> {
        if (error) *error = connection_ ? connection_->error(reason, code) : Connection{}.error(reason, SQLITE_CANTOPEN);
        return std::nullopt;
    };
    const AttributeDescription* asked = askedAttribute(entity, attribute, error);
    if (!asked) return std::nullopt;
    const auto& description = *asked;
    sqlite3_stmt* query = connection_->statement(
        cat("SELECT ", quotedName(description.name), " FROM ", quotedName(entity.name), " WHERE pk = ?"));
    if (!query) return fail("the value cannot be fetched");
    sqlite3_bind_int64(query, 1, rowId);
    const int step = sqlite3_step(query);
    std::optional<AttributeValue> value;
    if (step == SQLITE_ROW) value = column(query, 0, description);
    else if (step == SQLITE_DONE) fail("the record is no longer in the store", SQLITE_NOTFOUND);
    else fail("the value cannot be fetched");
    sqlite3_reset(query);  // lets go of the value's bytes
    return value;
}

std::optional<std::size_t> PersistentStoreCoordinator::valueBytes(const EntityDescription& entity, std::int64_t rowId,
                                                                  std::size_t attribute, Error* error) {
    auto fail = [&](std::string_view reason, int code = 0) -> std::optional<std::size_t> {
        if (error) *error = connection_ ? connection_->error(reason, code) : Connection{}.error(reason, SQLITE_CANTOPEN);
        return std::nullopt;
    };
    const AttributeDescription* asked = askedAttribute(entity, attribute, error);
    if (!asked) return std::nullopt;
    const auto& description = *asked;
    const std::string name = quotedName(description.name);
    // typeof() reads the value's kind alone; blob I/O then tells its length without its bytes.
    sqlite3_stmt* query = connection_->statement(
        cat("SELECT _rowid_, typeof(", name, ") IN ('text', 'blob') FROM ", quotedName(entity.name), " WHERE pk = ?"));
    if (!query) return fail("the value's length cannot be fetched");
    sqlite3_bind_int64(query, 1, rowId);
    const int step = sqlite3_step(query);
    const std::int64_t row = step == SQLITE_ROW ? sqlite3_column_int64(query, 0) : 0;
    const bool bytes = step == SQLITE_ROW && sqlite3_column_int(query, 1) != 0;
    sqlite3_reset(query);
    if (step == SQLITE_DONE) return fail("the record is no longer in the store", SQLITE_NOTFOUND);
    if (step != SQLITE_ROW) return fail("the value's length cannot be fetched");
    if (!bytes) return 0;
    sqlite3_blob* blob = nullptr;
    const int opened =
        sqlite3_blob_open(connection_->db, "main", entity.name.c_str(), description.name.c_str(), row, 0, &blob);
    std::optional<std::size_t> length;
    if (opened == SQLITE_OK) length = static_cast<std::size_t>(sqlite3_blob_bytes(blob));
    else fail("the value's length cannot be fetched", opened);
    sqlite3_blob_close(blob);
    return length;
}

std::optional<std::vector<std::int64_t>> PersistentStoreCoordinator::save(const StoreChanges& changes, Error* error,
                                                                         std::vector<std::size_t>* gone) {
    if (gone) gone->clear();
    if (!connection_) {
        if (error) *error = Connection{}.error("the store is not open", SQLITE_CANTOPEN);
        return std::nullopt;
    }
    Connection& db = *connection_;
    std::vector<std::int64_t> keys;
    // Inside a write begun by beginWriting, a save that fails takes back what it wrote and
    // nothing more: the lock stays held, so that what the caller decided under it (the
    // photo it put in place for the record, say) is undone before another host looks.
    const bool begun = !sqlite3_get_autocommit(db.db);
    auto fail = [&](std::string_view reason, int code = 0) -> std::optional<std::vector<std::int64_t>> {
        if (error) *error = db.error(reason, code);
        if (sqlite3_get_autocommit(db.db)) return std::nullopt;  // SQLite took it back whole
        if (begun && db.exec("ROLLBACK TO save") && db.exec("RELEASE save")) return std::nullopt;
        db.exec("ROLLBACK");
        return std::nullopt;
    };
    // Values are bound as they are held: the statement is run before they can change. An
    // update binds only the values changed (`changed`), in order.
    auto bindValues = [&](sqlite3_stmt* statement, int position, const EntityDescription& entity,
                          const std::vector<AttributeValue>& values, const std::vector<bool>* changed = nullptr) -> bool {
        for (std::size_t i = 0; i < entity.attributes.size(); ++i) {
            if (changed && !(i < changed->size() && (*changed)[i])) continue;
            const auto& attribute = entity.attributes[i];
            if (!attribute.optional && std::holds_alternative<std::monostate>(values[i])) return false;
            bind(statement, position++, attribute, values[i]);
        }
        return true;
    };
    // A write begun by beginWriting is still open (its lock held): the save is part of it.
    if (begun ? !db.exec("SAVEPOINT save") : db.beginImmediate() != SQLITE_OK) return fail("the save cannot begin");
    // Numbers never given before: a record another host still holds by a number whose row
    // was deleted never acts on a new one. The largest each entity gave is read once and
    // kept once per save; the write lock keeps every other host out meanwhile.
    std::map<const EntityDescription*, std::int64_t> largest;
    for (const auto& insert : changes.inserts) {
        auto [given, first] = largest.try_emplace(insert.entity, 0);
        if (first) {
            const auto next = db.nextRowNumber(*insert.entity);
            if (!next) return fail("the store has no row number to give", SQLITE_FULL);
            given->second = *next - 1;
        } else if (given->second == std::numeric_limits<std::int64_t>::max()) {
            return fail("the store has no row number to give", SQLITE_FULL);
        }
        const std::int64_t number = ++given->second;
        std::string sql = cat("INSERT INTO ", quotedName(insert.entity->name), " (pk");
        std::string marks = "?";
        for (const auto& attribute : insert.entity->attributes) {
            sql += cat(", ", quotedName(attribute.name));
            marks += ", ?";
        }
        sql += cat(") VALUES (", marks, ")");
        sqlite3_stmt* statement = db.statement(sql);
        if (!statement) return fail("the insert cannot be prepared");
        sqlite3_bind_int64(statement, 1, number);
        if (!bindValues(statement, 2, *insert.entity, *insert.values))
            return fail("a required attribute has no value", SQLITE_CONSTRAINT_NOTNULL);
        if (sqlite3_step(statement) != SQLITE_DONE) return fail("the insert failed");
        sqlite3_reset(statement);
        // A table whose constraints ignore conflicts drops a row without an error: a
        // save that did not write its row is no save.
        if (sqlite3_changes(db.db) != 1) return fail("the insert wrote no row", SQLITE_CONSTRAINT);
        keys.push_back(number);
    }
    for (const auto& [entity, number] : largest)
        if (!db.keepRowNumber(*entity, number)) return fail("the row numbers given cannot be kept");
    bool lost = false;
    for (std::size_t u = 0; u < changes.updates.size(); ++u) {
        const auto& update = changes.updates[u];
        // Only the values changed: one read by its start (or another host's change to a
        // value this one left alone) is never written over.
        std::string sql = cat("UPDATE ", quotedName(update.entity->name), " SET ");
        int changed = 0;
        for (std::size_t i = 0; i < update.entity->attributes.size() && i < update.changed->size(); ++i)
            if ((*update.changed)[i])
                sql += cat(changed++ ? ", " : "", quotedName(update.entity->attributes[i].name), " = ?");
        if (changed == 0) continue;
        sql += " WHERE pk = ?";
        sqlite3_stmt* statement = db.statement(sql);
        if (!statement) return fail("the update cannot be prepared");
        if (!bindValues(statement, 1, *update.entity, *update.values, update.changed))
            return fail("a required attribute has no value", SQLITE_CONSTRAINT_NOTNULL);
        sqlite3_bind_int64(statement, changed + 1, update.rowId);
        if (sqlite3_step(statement) != SQLITE_DONE) return fail("the update failed");
        sqlite3_reset(statement);
        if (sqlite3_changes(db.db) > 0) continue;
        // No row written: the row is gone (another host deleted it; its number is never
        // given again, so no other row can be written in its place), or the table's
        // constraints ignored the change. Either way the save fails; every row gone is told.
        const auto present = db.hasRow(*update.entity, update.rowId);
        if (!present) return fail("the update failed");
        if (*present) return fail("the update wrote no row", SQLITE_CONSTRAINT);
        if (gone) gone->push_back(u);
        lost = true;
    }
    if (lost) return fail("the record is no longer in the store", SQLITE_NOTFOUND);
    for (const auto& removal : changes.deletes) {
        sqlite3_stmt* statement = db.statement(cat("DELETE FROM ", quotedName(removal.entity->name), " WHERE pk = ?"));
        if (!statement) return fail("the delete cannot be prepared");
        sqlite3_bind_int64(statement, 1, removal.rowId);
        if (sqlite3_step(statement) != SQLITE_DONE) return fail("the delete failed");
        sqlite3_reset(statement);
    }
    if ((begun && !db.exec("RELEASE save")) || !db.exec("COMMIT")) return fail("the save cannot be committed");
    joined_ = false;
    return keys;
}

std::optional<Error> PersistentStoreCoordinator::beginWriting(WaitForOthers wait) {
    if (!connection_) return Connection{}.error("the store is not open", SQLITE_CANTOPEN);
    Connection& db = *connection_;
    if (!sqlite3_get_autocommit(db.db)) return std::nullopt;  // begun already, its lock held
    if (db.beginImmediate(wait == WaitForOthers::asASaveDoes) != SQLITE_OK) return db.error("the write cannot begin");
    return std::nullopt;
}

bool PersistentStoreCoordinator::isWriting() const {
    return connection_ && !sqlite3_get_autocommit(connection_->db);
}

std::optional<bool> PersistentStoreCoordinator::holdsRow(const EntityDescription& entity, std::int64_t rowId,
                                                         Error* error) {
    const auto fail = [&](std::string_view reason, int code = 0) -> std::optional<bool> {
        if (error) *error = connection_ ? connection_->error(reason, code) : Connection{}.error(reason, code);
        return std::nullopt;
    };
    if (!connection_) return fail("the store is not open", SQLITE_CANTOPEN);
    if (model_->entity(entity.name) != &entity) return fail("the record is not one of the model's", SQLITE_MISUSE);
    const auto held = connection_->hasRow(entity, rowId);
    return held ? held : fail("the record cannot be looked for");
}

void PersistentStoreCoordinator::endWriting() {
    joined_ = false;
    if (connection_ && !sqlite3_get_autocommit(connection_->db)) connection_->exec("ROLLBACK");
}

std::optional<Error> PersistentStoreCoordinator::commitWriting() {
    if (!isWriting()) {
        joined_ = false;
        return std::nullopt;
    }
    if (!connection_->exec("COMMIT")) return connection_->error("the write cannot be committed");
    joined_ = false;
    return std::nullopt;
}

bool isHeldByAnotherHost(const Error& error) {
    return error.domain == StoreErrorDomain && (error.code & 0xff) == SQLITE_BUSY;
}

std::optional<Error> PersistentStoreCoordinator::batchDelete(const EntityDescription& entity) {
    if (!connection_) return Connection{}.error("the store is not open", SQLITE_CANTOPEN);
    sqlite3_stmt* statement = connection_->statement(cat("DELETE FROM ", quotedName(entity.name)));
    if (!statement) return connection_->error("the batch delete cannot be prepared");
    int step = sqlite3_step(statement);
    sqlite3_reset(statement);
    if (step != SQLITE_DONE) return connection_->error("the batch delete failed");
    return std::nullopt;
}

}  // namespace platform::store
