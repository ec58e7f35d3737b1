#pragma once
// The name of a record's photo file. Identifiers come from the recognition service or
// from a QR code, so only a plain name ([A-Za-z0-9_-], 1 to 100 characters) is used as
// it stands, followed by ".jpg"; any other identifier gets a fixed-length name made of
// its SHA-256 digest, which no plain name can equal. Writing and reading both name
// files through this one function, so neither can reach outside the folder.
#include <string>
#include <string_view>

namespace vistrel {

std::string pictureFileName(std::string_view identifier);

}  // namespace vistrel
