#pragma once
// A name given as one folder name that means that folder and no other.
#include <string>
#include <string_view>

namespace platform {

// `name` as the name of one folder: as it stands, but for a '%' (written "%25"), a '/' or
// NUL ("%2F", "%00") and a leading '.' ("%2E"), so that no form is empty, ".", ".." or
// hidden; the empty name gives "%". A form longer than 200 bytes is cut there (where a
// character starts) and ends with "%~" and 16 hexadecimal digits of the name's SHA-256
// digest instead. Two names give one form only when their digests share those digits.
std::string folderNameFor(std::string_view name);

}  // namespace platform
