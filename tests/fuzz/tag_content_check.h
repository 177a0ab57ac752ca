// One input of the tag content search: which element to look for, then the
// file's bytes. Shared by the libFuzzer target and the replay of its kept
// corpus.
//
// The first byte chooses the element: 0 the body, 1 the title, any other
// value a tag name of its own made of the next (byte % 8) bytes, each mapped
// onto a few ASCII characters that occur in tags, so the fuzzer meets them
// often; its closing tag is "</" name ">". The bytes after that are the file.
// Any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace avex::fuzz {

// Empty when the search answered what the rule gives, as a view into the
// file; otherwise a sentence naming what went wrong. A crash or a sanitizer
// report is the other way an input fails.
std::string CheckTagContent(const uint8_t* data, size_t size);

}  // namespace avex::fuzz
