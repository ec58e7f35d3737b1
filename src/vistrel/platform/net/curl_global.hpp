#pragma once
// libcurl's process-wide set-up, done once whichever thread asks first.
namespace platform::net {

void ensureCurlGlobalInit();

}  // namespace platform::net
