// One category's block response: a title and a body for the plain-text and
// for the HTML form of the block page, with its description and category id.
//
// The stored texts keep their tokens; they are replaced only when a page is
// built. The stored HTML title and body never hold page-structure tags (see
// page_tags.h): the setters remove them, because the page frame brings its
// own. A plain value; not safe to change from two threads at once.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "responses/response_tokens.h"

namespace avex {

// Index of a title or body, and the kind of a block page.
constexpr int ResponseKindText = 0;
constexpr int ResponseKindHtml = 1;

// The fixed link at the foot of every HTML block page.
inline constexpr std::string_view MakerSiteAddress = "http://www.tarnsoftware.example/";

class CustomResponse {
 public:
  CustomResponse() = default;
  // Titles and bodies empty.
  CustomResponse(int32_t categoryId, std::string description);

  int32_t CategoryId() const { return categoryId_; }
  const std::string& Description() const { return description_; }

  // Index 0 stores `text` as it is, index 1 after removing page-structure
  // tags; any other index does nothing.
  void SetTitle(int index, std::string_view text);
  void SetBody(int index, std::string_view text);

  // The stored text, tokens kept: of index 1 when `index` is 1, else of index 0.
  const std::string& GetTitle(int index) const;
  const std::string& GetBody(int index) const;

  // The title and body as a block page shows them, tokens replaced
  // (ReplaceTokens). Index 1 gives the HTML form inside the page frame:
  //   title: "<HTML><HEAD><TITLE>" title "</TITLE></HEAD>"
  //   body:  "<BODY style=...>" body CR LF plug-in name " - " link to the
  //          maker's site "</BODY></HTML>"
  // with the data source and user name escaped for HTML (ReplaceTokensForHtml).
  // Any other index gives the stored Text title or body with its tokens
  // replaced by the values as they are.
  std::string GetTitle(int index, const ResponseTokens& tokens) const;
  std::string GetBody(int index, const ResponseTokens& tokens) const;

 private:
  std::string title_[2];
  std::string body_[2];
  std::string description_;
  int32_t categoryId_ = 0;
};

}  // namespace avex
