// The block page sent instead of a blocked request's content.
#pragma once

#include <cstdint>
#include <string>

#include "lists/response_set.h"
#include "lists/response_tokens.h"

namespace avex {

// Builds the block page of `kind` for the category `categoryId` from its
// response in `responses`, inserting an empty response for an id that has
// none (it stays in the set and is saved with it):
//   ResponseKindText: the Text body, tokens replaced (the Text title takes no part);
//   ResponseKindHtml: the HTML title followed directly by the HTML body, each
//                     in its frame, tokens replaced, request values escaped;
//   any other kind:   `out` is left as it is.
// Always true. The caller keeps other writers of `responses` away meanwhile.
bool BuildBlockResponse(ResponseSet* responses, int32_t categoryId, int kind,
                        const ResponseTokens& tokens, std::string* out);

}  // namespace avex
