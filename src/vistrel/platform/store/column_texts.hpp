#pragma once
// The texts of one column of a table of an SQLite file, read as they are, nothing of the
// file changed: for a look at a store that is not opened as a store (one another program
// of the same user may hold, or one not yet brought up to date).
#include <filesystem>
#include <functional>
#include <string_view>

namespace platform::store {

// Calls `each` with the text of `column` of every row of `table` that has one of at most
// `maxBytes` bytes (longer ones are passed over unread, so that no row costs more). False
// when the file, the table or the column cannot be read: what was told so far may be
// partial. A file that is a link is not read.
bool forEachColumnText(const std::filesystem::path& file, std::string_view table, std::string_view column,
                       std::size_t maxBytes, const std::function<void(std::string_view text)>& each);

}  // namespace platform::store
