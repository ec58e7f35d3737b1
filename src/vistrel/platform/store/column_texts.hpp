#pragma once
// The texts of one column of a table of an SQLite file, read as they are, nothing of the
// file changed and no file made beside it: for a look at a store that is not opened as a
// store (one another program of the same user may hold, or one not yet brought up to date).
#include <cstddef>
#include <filesystem>
#include <functional>
#include <string_view>

namespace platform::store {

// Calls `each` with the text of `column` of each of the first `maxRows` rows of `table`
// that has one of at most `maxBytes` bytes (longer ones are passed over unread, so that no
// row costs more), until it gives false. Rows past the first `maxRows` are not looked at.
// False when the file, the table or the column cannot be read, or `each` stopped: what was
// told so far is what the rows hold, but may not be all of it. A file that is a link is
// not read. Its journals are read where both a write-ahead log and its index are beside
// it (a process of the store may hold it); otherwise the file alone is, as it is, so that
// no journal is made beside it.
bool forEachColumnText(const std::filesystem::path& file, std::string_view table, std::string_view column,
                       std::size_t maxBytes, std::size_t maxRows,
                       const std::function<bool(std::string_view text)>& each);

}  // namespace platform::store
