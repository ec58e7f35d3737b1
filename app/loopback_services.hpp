#pragma once
// The web services the demo stands up on the loopback addresses the kit's configuration
// names: a recognition service that answers every upload with an answer file and serves
// the sample answer's pictures, and a statistics service that takes every click report.
// Each stands on its configured port or not at all: a port another process holds would
// give that process the kit's requests.
#include <filesystem>
#include <memory>
#include <string>

#include "loopback_server.hpp"

// The port of a loopback address ("http://127.0.0.1:8930/..."); 0 when it names none.
int loopbackPort(const std::string& address);

// The recognition service, printing a line for each request it answers: an upload gets
// the answer file; a GET of "/icons/<name>.png" one of the icons the build draws, of
// "/thumbs/<name>.jpg" the sample page. None, after a line on standard error, when the
// answer file cannot be read or the address cannot be served (its port is taken).
std::unique_ptr<testsupport::LoopbackServer> serveRecognition(const std::filesystem::path& answer);

// A recognition service on the configured port answering with `responder` (at first,
// without one: 200 and an empty body). None, after a line, when the port is taken.
std::unique_ptr<testsupport::LoopbackServer> serveRecognitionWith(testsupport::LoopbackServer::Responder responder);

// The statistics service, answering 204. None, after a line on standard error, when the
// address cannot be served (its port is taken).
std::unique_ptr<testsupport::LoopbackServer> serveStatistics();
