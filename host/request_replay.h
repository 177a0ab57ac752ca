// Replays a requests file through a scanning object as the proxy does:
// Reset, SetSource, then PutData and CheckData when the plug-in asks for the
// data, and GetResponse for a block. One request a line, tab separated:
//
//   user  client-address  URL  content-type ("-": none)  reply-body-file ("-": none)
//
// Blank lines and lines starting with '#' are skipped; a body file is found
// relative to the requests file. For every request one line says what the
// plug-in decided, in which stage, for which category and score; the host's
// event lines are printed as they come.
#pragma once

#include <cstdint>
#include <string>

namespace avex::host {

struct ReplayOptions {
  std::string requestsFile;
  // The diagnostic trace the plug-in writes (AVEX_TRACE); read after each
  // request to tell the deciding stage. Empty: stages are not shown.
  std::string traceFile;
  // Where block pages go (NN.html and NN.txt); empty: not written.
  std::string pagesFolder;
};

// Replays every request through `object`; false when the file cannot be read.
bool ReplayRequests(void* object, const ReplayOptions& options);

// The block page of the request `object` just rejected: type 1 HTML, 2 text;
// empty when the plug-in gives none.
std::string BlockPage(void* object, uint32_t type);

}  // namespace avex::host
