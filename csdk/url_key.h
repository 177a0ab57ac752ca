// The form in which the engine's URL lists store and look up URLs.
//
// A key is the URL lower-cased (code page 1252), without its scheme
// ("http://"), its fragment ("#...") and its trailing '/', '?' and '\'
// characters, with '\' read as '/': "HTTP://Casino.Example/Poker/" and
// "casino.example/poker" have one key. Plain functions; any thread.
#pragma once

#include <string>
#include <string_view>

namespace avex::csdk {

std::string UrlKey(std::string_view url);

// The host of a key: its text before the first '/' or '?', without a
// "user@" in front and a ":port" behind.
std::string_view KeyHost(std::string_view key);

}  // namespace avex::csdk
