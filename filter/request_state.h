// The state of the request a scanning object is working on: what the
// decision chain, content scanning and the event lines read and write. The
// scanning object owns one and hands it to the filter functions.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "common/category_table.h"
#include "engine/engine_objects.h"
#include "common/host_interfaces.h"

namespace avex {

struct RequestState {
  // The request still wants its reply data scanned.
  bool active = true;
  // The request's URL after NormaliseUrl, its content type and user name lower-cased.
  std::string url;
  std::string contentType;
  std::string userName;
  // The user name as the access rights' look-ups compare it (FoldUserName),
  // folded once per request into the same buffer.
  std::string foldedUserName;
  // IPv4 address of the client, first octet in the most significant byte.
  uint32_t clientAddress = 0;
  // The category that decided the request, or CategoryNone.
  int32_t recordedCategory = CategoryNone;
  // Confidence in percent per category row: the engine's scores, or 100 for
  // a category given by a list.
  std::array<float, CategoryCount> percentages{};
  // Filtering applies whatever the user (the console's test page only).
  uint32_t forceFiltering = 0;

  // Engine objects the scanning object owns: the request object is kept for
  // its life, the reply object for one reply.
  RequestObject* requestObject = nullptr;
  ReplyObject* replyObject = nullptr;
  uint8_t replyComplete = 0;

  // The host's logger; not owned, may be null.
  HostLogger* logger = nullptr;
};

}  // namespace avex
