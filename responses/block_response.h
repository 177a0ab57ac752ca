// The block page sent instead of a blocked request's content.
#pragma once

#include <cstdint>
#include <string>

#include "responses/response_set.h"
#include "responses/response_tokens.h"

namespace avex {

// Builds the block page of `kind` for the category `categoryId` from its
// response in `responses`; an id without one builds as an empty response
// (the scanning object then adds that to the live set):
//   ResponseKindText: the Text body, tokens replaced (the Text title takes no part);
//   ResponseKindHtml: the HTML title followed directly by the HTML body, each
//                     in its frame, tokens replaced, request values escaped;
//   any other kind:   `out` is left as it is.
// Always true. Reads `responses` only, so any number of threads may build
// from one set at once.
bool BuildBlockResponse(const ResponseSet& responses, int32_t categoryId, int kind,
                        const ResponseTokens& tokens, std::string* out);

}  // namespace avex
