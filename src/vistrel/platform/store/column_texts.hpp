#pragma once
// The texts of one column of a table of an SQLite file, read as they are, nothing of the
// file changed and no file made beside it: for a look at a store that is not opened as a
// store (one another program of the same user may hold, or one not yet brought up to date).
#include <cstddef>
#include <filesystem>
#include <functional>
#include <string_view>

#include "vistrel/platform/foundation/private_folder.hpp"

namespace platform::store {

// How a read went.
enum class TextsRead {
    whole,     // every row looked at
    stopped,   // `each` gave false
    noFile,    // nothing, or nothing but a regular file, has the file's name: not opened
    notWhole,  // it cannot be read whole: not linked (another file system), a journal that is
               // no regular file, no store (damaged, empty, no such table or column), a hot
               // rollback journal, held by a writer, or a read failed midway
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
// the store sees them too.
TextsRead forEachColumnText(const std::filesystem::path& file, PrivateFolder& readIn, std::string_view table,
                            std::string_view column, std::size_t maxBytes, std::size_t maxRows,
                            const std::function<bool(std::string_view text)>& each);

}  // namespace platform::store
