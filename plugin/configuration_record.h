// The configuration transfer record: the whole configuration as one byte
// stream. The management console and the engine process each hold their own
// copy of the plug-in and share no memory, so the host carries this record
// from the copy that writes it to the one that reads it.
//
// Encoding: integers are 32-bit little-endian, flags one byte (0 or 1),
// levels 32-bit IEEE singles little-endian, and a string is its byte count as
// an integer followed by that many bytes without a terminator. No header and
// no gaps; both ends are this library, so there is no version either. The
// fields in order:
//    1-3  useSafeSurf, useRsaci, useUrlCache               integers
//    4-5  host logging capability, logging enabled         integers
//    6-8  log request blocked, allowed, configuration      integers, 0 or 1
//    9-10 response count; per response in id order: category id, then
//         description, text title, text body, HTML title, HTML body (strings,
//         tokens kept)
//   11-12 category count (the number of rows); per row in row order: level
//         (single), enabled (flag)
//   13    applyToAllUsers                                  flag: 1 when it is 1
//   14-15 access entry count; per entry in name order: name (string),
//         filtered (flag), host flag (its low byte), is group (flag), host
//         value (integer)
//   16-21 partial, site and URL lists, each a count and per entry its text
//         (string) and category id (integer); partials in list order, sites
//         and URLs in text order
//   22-23 useStaticListUpdates, staticListUpdateInterval   integers
//   24-25 update server name (string), port (integer)
//
// Pure functions: they take no lock, touch neither engine nor registry, and
// may run on any thread; the caller keeps the configuration from changing
// meanwhile.
#pragma once

#include <cstdint>

#include "config/plugin_configuration.h"

namespace avex {

// With a null `buffer`: the length of the record of `config` in bytes
// (`capacity` unused). With a buffer of `capacity` bytes: writes the record
// into it and answers the bytes written. When the record does not fit, the
// writing stops before the first number or text that does not fit whole, so
// the buffer holds a prefix of the record that reads back as the record cut
// short (see ReadConfigurationRecord). A length beyond 32 bits answers
// 0xFFFFFFFF.
uint32_t WriteConfigurationRecord(const PluginConfiguration& config, void* buffer, uint32_t capacity);

// Reads the record in the `size` bytes at `record` into `config`, replacing
// the engine switches, the logging values, the responses (through the
// response setters, so HTML texts lose page-structure tags), the category
// settings, applyToAllUsers, the access rights, the three lists, the static
// list update values and the update server. Nothing else changes: the lists'
// look-up index is built on first use (or by the caller, PrepareIndex).
//
// Text ends at its first zero byte. Category settings beyond the last row are
// read and dropped. A name transferred twice in the access rights is one
// entry with the values of its last transfer. The record carries no group
// members, so a group keeps the members it had in `config` before.
//
// A record cut short: every number past its end reads as 0 and every string
// as empty text; of the counted items (responses, category settings, access
// entries, list entries) only those wholly inside the record are taken, and
// the reading of them ends there, whatever the count promised. Category rows
// it does not reach keep their settings.
//
// Answers true when every field lay inside the record, false when the record
// was cut short or there was nothing to read; a null `record` or a `size` of
// 0 changes nothing. Memory exhaustion throws std::bad_alloc with `config`
// partly replaced, so a caller that must not see that reads into a copy.
bool ReadConfigurationRecord(const void* record, uint32_t size, PluginConfiguration* config);

}  // namespace avex
