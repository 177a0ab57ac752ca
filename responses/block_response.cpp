#include "responses/block_response.h"

namespace avex {

bool BuildBlockResponse(const ResponseSet& responses, int32_t categoryId, int kind,
                        const ResponseTokens& tokens, std::string* out) {
  static const CustomResponse kEmpty;
  const CustomResponse* found = responses.Find(categoryId);
  const CustomResponse& response = found != nullptr ? *found : kEmpty;
  if (kind == ResponseKindText) {
    *out = response.GetBody(ResponseKindText, tokens);
  } else if (kind == ResponseKindHtml) {
    *out = response.GetTitle(ResponseKindHtml, tokens);
    out->append(response.GetBody(ResponseKindHtml, tokens));
  }
  return true;
}

}  // namespace avex
