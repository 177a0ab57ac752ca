// The two views of a request URL that the manual lists compare against: the
// normalised URL and its host.
#pragma once

#include <string>
#include <string_view>

namespace avex {

// `text` lower-cased in the ANSI code page (double-byte characters left
// alone), without the run of "\", "/" and "?" at its end, so that
// "HTTP://Example.com/?" and "http://example.com" compare equal. Any thread.
std::string NormaliseUrl(std::string_view text);

// The same into `*out`, whose buffer is reused: once its capacity holds the
// text, the request path normalises without allocating. `text` must not
// overlap `*out`.
void NormaliseUrlInto(std::string_view text, std::string* out);

// The host of a normalised URL: what follows the first colon and the two
// characters after it, up to the next "/" or "\" or the end; a port or a
// user name stays part of it. Empty when a "/" comes before any colon, when
// there is no colon, or when the URL ends within the two characters after
// its colon ("http:", "http:/"). The view points into `url` and lives as long
// as the text it views. Any thread; never reads outside `url`.
std::string_view HostOf(std::string_view url);

}  // namespace avex
