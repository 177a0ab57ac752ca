#include "lists/block_response.h"

namespace avex {

bool BuildBlockResponse(ResponseSet* responses, int32_t categoryId, int kind,
                        const ResponseTokens& tokens, std::string* out) {
  const CustomResponse& response = responses->FindOrInsert(categoryId);
  if (kind == ResponseKindText) {
    *out = response.GetBody(ResponseKindText, tokens);
  } else if (kind == ResponseKindHtml) {
    *out = response.GetTitle(ResponseKindHtml, tokens);
    out->append(response.GetBody(ResponseKindHtml, tokens));
  }
  return true;
}

}  // namespace avex
