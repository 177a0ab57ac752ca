#include "responses/custom_response.h"

#include <utility>

#include "responses/page_tags.h"

namespace avex {
namespace {

constexpr std::string_view HtmlTitleOpen = "<HTML><HEAD><TITLE>";
constexpr std::string_view HtmlTitleClose = "</TITLE></HEAD>";
constexpr std::string_view HtmlBodyOpen = "<BODY style=\"font-family:verdana; font-size:14px;\">";
constexpr std::string_view HtmlLinkOpen = " - <A HREF=\"";
constexpr std::string_view HtmlLinkMiddle = "\">";
constexpr std::string_view HtmlBodyClose = "</A></BODY></HTML>";

int Stored(int index) { return index == ResponseKindHtml ? 1 : 0; }

}  // namespace

CustomResponse::CustomResponse(int32_t categoryId, std::string description)
    : description_(std::move(description)), categoryId_(categoryId) {}

void CustomResponse::SetTitle(int index, std::string_view text) {
  if (index == ResponseKindText) title_[0].assign(text);
  if (index == ResponseKindHtml) title_[1] = StripPageStructureTags(text);
}

void CustomResponse::SetBody(int index, std::string_view text) {
  if (index == ResponseKindText) body_[0].assign(text);
  if (index == ResponseKindHtml) body_[1] = StripPageStructureTags(text);
}

const std::string& CustomResponse::GetTitle(int index) const { return title_[Stored(index)]; }

const std::string& CustomResponse::GetBody(int index) const { return body_[Stored(index)]; }

std::string CustomResponse::GetTitle(int index, const ResponseTokens& tokens) const {
  if (index != ResponseKindHtml) {
    std::string text = title_[0];
    ReplaceTokens(&text, tokens);
    return text;
  }
  std::string text;
  text.reserve(HtmlTitleOpen.size() + title_[1].size() + HtmlTitleClose.size());
  text.append(HtmlTitleOpen).append(title_[1]).append(HtmlTitleClose);
  ReplaceTokensForHtml(&text, tokens);
  return text;
}

std::string CustomResponse::GetBody(int index, const ResponseTokens& tokens) const {
  if (index != ResponseKindHtml) {
    std::string text = body_[0];
    ReplaceTokens(&text, tokens);
    return text;
  }
  std::string text;
  text.reserve(HtmlBodyOpen.size() + body_[1].size() + 2 + tokens.pluginName.size() +
               HtmlLinkOpen.size() + 2 * MakerSiteAddress.size() + HtmlLinkMiddle.size() +
               HtmlBodyClose.size());
  text.append(HtmlBodyOpen).append(body_[1]).append("\r\n").append(tokens.pluginName);
  text.append(HtmlLinkOpen).append(MakerSiteAddress).append(HtmlLinkMiddle);
  text.append(MakerSiteAddress).append(HtmlBodyClose);
  ReplaceTokensForHtml(&text, tokens);
  return text;
}

}  // namespace avex
