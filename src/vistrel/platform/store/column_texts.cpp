#include "vistrel/platform/store/column_texts.hpp"

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <chrono>
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

// The journals SQLite keeps beside a store, by the ends of their names, and those a copy of
// it takes: a log's index is made again from its log, where no live process shares it.
constexpr std::array<std::string_view, 3> kJournals = {"-wal", "-shm", "-journal"};
constexpr std::array<std::string_view, 2> kCopiedJournals = {"-wal", "-journal"};

// How long a read may take, and how much SQLite's memory in use may rise meanwhile (the
// schema, which it parses whole as it opens the file, among it): a store the kit wrote
// reads in far less of both, even of a million records. Both are looked at every so many
// steps of SQLite's machine: as it reads a schema, about one statement of it, whose parse
// the statement's bound keeps to a few MiB, so that a read's rise ends not far past its
// bound; a look costs a read a few hundredths more.
constexpr std::chrono::seconds kLongestRead{10};
constexpr sqlite3_int64 kMostMemoryRise = 64 << 20;
constexpr int kStepsBetweenLooks = 10;
// The longest value and statement the read's connection makes or takes: past any name,
// identifier or statement of the schema SQLite writes for a store, while a record's own
// bytes (a photo kept in it) are never loaded, however long. Limits of the connection
// alone: a process-wide one would bound the host's own use of SQLite.
constexpr int kLongestValue = 16 << 20;
constexpr int kLongestStatement = 64 << 10;
// The pages it caches, in KiB: a scan needs few.
constexpr int kCacheKiB = 1024;

// The bounds of one read.
struct Bounds {
    std::chrono::steady_clock::time_point deadline;
    sqlite3_int64 mostMemoryInUse;  // SQLite's in the whole process, which is only read here
};

// Ends the read once its time is past, or SQLite's memory in use rose past its bound:
// returning non-zero interrupts it.
int pastItsBounds(void* bounds) {
    const auto& read = *static_cast<const Bounds*>(bounds);
    return std::chrono::steady_clock::now() > read.deadline || sqlite3_memory_used() > read.mostMemoryInUse ? 1 : 0;
}

// Whether `table` names an ordinary table in the file's own schema: a view may be a query
// without end, and a virtual table runs whatever its module does (over a view, too).
bool isOrdinaryTable(sqlite3* db, const std::string& table) {
    sqlite3_stmt* statement = nullptr;
    bool ordinary = sqlite3_prepare_v2(db, "SELECT type FROM pragma_table_list(?1) WHERE schema = 'main'", -1,
                                       &statement, nullptr) == SQLITE_OK &&
                    sqlite3_bind_text(statement, 1, table.c_str(), -1, SQLITE_STATIC) == SQLITE_OK &&
                    sqlite3_step(statement) == SQLITE_ROW;
    if (ordinary) {
        const auto* type = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
        ordinary = type && std::string_view(type) == "table" && sqlite3_step(statement) == SQLITE_DONE;
    }
    sqlite3_finalize(statement);
    return ordinary;
}

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

// How the file and its journals were put into the folder to be read.
enum class Put { there, noFile, notPut, toCopy };

// Links the file and its journals into `readIn`, as `name` and the journals' names: toCopy
// when one cannot be linked but for another reason than another file system.
Put linked(const std::filesystem::path& file, PrivateFolder& readIn, const std::string& name) {
    switch (readIn.link(file, name)) {
        case PrivateFolder::Linked::regularFile: break;
        case PrivateFolder::Linked::missing:
        case PrivateFolder::Linked::notRegularFile: return Put::noFile;
        case PrivateFolder::Linked::otherFileSystem: return Put::notPut;
        case PrivateFolder::Linked::failed: return Put::toCopy;
    }
    for (const std::string_view journal : kJournals) {
        std::filesystem::path named = file;
        named += journal;
        // What is no regular file is no journal SQLite made: not linked, and read without.
        switch (readIn.link(named, name + std::string(journal))) {
            case PrivateFolder::Linked::otherFileSystem: return Put::notPut;
            case PrivateFolder::Linked::failed: return Put::toCopy;
            default: break;
        }
    }
    return Put::there;
}

// Copies the file and its journals (but a log's index) into `readIn`, each begun before
// `deadline`: notPut when one cannot be copied, or one changed before all were.
Put copied(const std::filesystem::path& file, PrivateFolder& readIn, const std::string& name,
           std::chrono::steady_clock::time_point deadline) {
    switch (readIn.copy(file, name, deadline)) {
        case PrivateFolder::Linked::regularFile: break;
        case PrivateFolder::Linked::missing:
        case PrivateFolder::Linked::notRegularFile: return Put::noFile;
        default: return Put::notPut;
    }
    for (const std::string_view journal : kCopiedJournals) {
        std::filesystem::path named = file;
        named += journal;
        switch (readIn.copy(named, name + std::string(journal), deadline)) {
            case PrivateFolder::Linked::otherFileSystem:
            case PrivateFolder::Linked::failed: return Put::notPut;
            default: break;
        }
    }
    return readIn.copiesUnchanged() ? Put::there : Put::notPut;
}

}  // namespace

TextsRead forEachColumnText(const std::filesystem::path& file, PrivateFolder& readIn, std::string_view table,
                            std::string_view column, std::size_t maxBytes, std::size_t maxRows,
                            const std::function<bool(std::string_view text)>& each) {
    // One bound of time for the whole read, a copy's included; and of memory, from what
    // SQLite had in use as it began.
    Bounds bounds{std::chrono::steady_clock::now() + kLongestRead, sqlite3_memory_used() + kMostMemoryRise};
    // Linked where it can be: a store may be large (records once held their photos), and a
    // link keeps a live process's index shared with it. A journal that is there must be
    // linked too: without it the store is not what its writer left. Where a link cannot be
    // made (a file system without them, too many) the store and its journals are copied,
    // all or none; but not from another file system, which a store is never read from.
    const std::string name = file.filename().string();
    Put put = linked(file, readIn, name);
    if (put == Put::toCopy) {
        readIn.removeFiles();
        put = copied(file, readIn, name, bounds.deadline);
    }
    switch (put) {
        case Put::there: break;
        case Put::noFile: return TextsRead::noFile;
        case Put::notPut:
        case Put::toCopy: return TextsRead::notLinked;
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
    // Bounds of this connection alone, from its first read of the schema on.
    sqlite3_progress_handler(db, kStepsBetweenLooks, pastItsBounds, &bounds);
    sqlite3_limit(db, SQLITE_LIMIT_LENGTH, kLongestValue);
    sqlite3_limit(db, SQLITE_LIMIT_SQL_LENGTH, kLongestStatement);
    const std::string pragmas = "PRAGMA cache_size = -" + std::to_string(kCacheKiB) + "; PRAGMA mmap_size = 0";
    const std::string tableName(table), columnName(column);
    if (sqlite3_exec(db, pragmas.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK || !isOrdinaryTable(db, tableName)) {
        sqlite3_close(db);
        return TextsRead::notWhole;
    }
    // A row's kind is read from its record's header; a text's length, and then its bytes,
    // through a handle on it, so that a text longer than the bound costs nothing more.
    const std::string sql = "SELECT rowid, typeof(" + quoted(column) + ") FROM main." + quoted(table) + " LIMIT ?";
    sqlite3_stmt* statement = nullptr;
    bool read = sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK &&
                sqlite3_bind_int64(statement, 1, static_cast<sqlite3_int64>(std::min<std::size_t>(
                                                     maxRows, std::numeric_limits<sqlite3_int64>::max()))) == SQLITE_OK;
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
