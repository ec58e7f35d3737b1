#pragma once
// The texts of one column of a table of an SQLite file, read as they are, nothing of the
// file changed and no file made beside it: for a look at a store that is not opened as a
// store (one another program of the same user may hold, or one not yet brought up to date,
// or one written by anyone). What such a file holds may be made to never end or to fill
// the memory (a schema of views, which SQLite parses whole as it opens the file), so only
// an ordinary table is read, within bounds of time and memory of the read's own: the
// host's own use of SQLite is never touched.
#include <cstddef>
#include <filesystem>
#include <functional>
#include <string_view>

#include "vistrel/platform/foundation/private_folder.hpp"

namespace platform::store {

// How a read went.
enum class TextsRead {
    whole,      // every row looked at
    stopped,    // `each` gave false
    noFile,     // nothing, or nothing but a regular file, has the file's name: not opened
    notLinked,  // the file, or a journal of it that is a regular file, can be neither linked
                // into `readIn` nor copied there (another file system; or no link and a copy
                // failed: a full disk, past the read's time, changed as it was copied): not
                // opened, so nothing is known of what it holds
    notWhole,   // it cannot be read whole: no store (damaged, empty, no such table or column,
                // or the name is a view's or a virtual table's), a hot rollback journal, held
                // by a writer, a read failed midway, or past the bounds of the read
};

// Calls `each` with the text of `column` of each of the first `maxRows` rows of `table`
// that has one of at most `maxBytes` bytes (longer ones are passed over unread, so that no
// row costs more), until it gives false. Rows past the first `maxRows` are not looked at.
// What was told is what the rows hold, all of it only when the read was whole.
// The file is read with its journals (a write-ahead log, its index, a rollback journal),
// linked into `readIn`, empty and on the file's file system, and opened there, read-only:
// what SQLite makes for the read (a log's index missing beside it) is made there, and a
// name there that is a regular file once linked stays one, so no open can block. With a
// write-ahead log the records only it holds are read; with its index, as a live process of
// the store sees them too. An entry at a journal's name that is no regular file (a FIFO,
// a folder, a symbolic link) is no journal SQLite made: the file is read without it.
// Where a link cannot be made but for another file system (one without hard links, a file
// of too many), the file and its journals but the log's index are copied there instead
// (PrivateFolder::copy), within the read's time, and read only when none changed before
// all were copied (a live writer's store is not known so).
// `table` must be an ordinary table, and the read ends as notWhole past 10 seconds from
// its start (a copy's time counted), at a value made past 16 MiB or a statement (of the
// file's schema too) past 64 KiB, or once SQLite's memory in use rose 64 MiB above what it
// was as the read began (the process's count, only read: the host's own use of SQLite is
// never bounded here; a rise of its own meanwhile can only end the read early).
TextsRead forEachColumnText(const std::filesystem::path& file, PrivateFolder& readIn, std::string_view table,
                            std::string_view column, std::size_t maxBytes, std::size_t maxRows,
                            const std::function<bool(std::string_view text)>& each);

}  // namespace platform::store
