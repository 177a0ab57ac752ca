#include "responses/response_tokens.h"

#include <cstdio>
#include <utility>

#include "responses/html_escape.h"

namespace avex {
namespace {

enum class Step { NothingFound, Replaced, TooLong };

// One token of one pass: `in` with every occurrence of `token` replaced by
// `value` into `out`; TooLong as soon as the result would pass `limit`.
Step ReplaceEvery(const std::string& in, std::string_view token, std::string_view value,
                  size_t limit, std::string* out) {
  size_t at = in.find(token);
  if (at == std::string::npos) return Step::NothingFound;
  out->clear();
  out->reserve(in.size() + value.size());  // usually the only allocation
  size_t from = 0;
  while (at != std::string::npos) {
    if (out->size() + (at - from) + value.size() > limit) return Step::TooLong;
    out->append(in, from, at - from);
    out->append(value);
    from = at + token.size();
    at = in.find(token, from);
  }
  if (out->size() + (in.size() - from) > limit) return Step::TooLong;
  out->append(in, from, std::string::npos);
  return Step::Replaced;
}

// The values in the order of ResponseTokens' fields.
struct TokenValues {
  std::string_view pluginName, dataSource, userName, reason, percentage, category;
};

void ReplaceTokenValues(std::string* text, const TokenValues& values) {
  const std::pair<std::string_view, std::string_view> order[] = {
      {"##PLUGINNAME##", values.pluginName}, {"##DATASOURCE##", values.dataSource},
      {"##USERNAME##", values.userName},     {"##REASON##", values.reason},
      {"##PERCENTAGE##", values.percentage}, {"##CATEGORY##", values.category},
      {"##VIRUS##", values.category},
  };
  if (text->find("##") == std::string::npos) return;

  const size_t base = text->size() + values.pluginName.size() + values.dataSource.size() +
                      values.userName.size() + values.reason.size() + values.percentage.size() +
                      values.category.size();
  const size_t limit = TokenGrowthAllowance + TokenGrowthFactor * base;

  // `text` holds the result of the last complete pass; a pass works on
  // `current` and `scratch` and is only taken when it completes.
  std::string current, scratch;
  for (int pass = 0; pass < TokenPassLimit; ++pass) {
    const std::string* in = text;
    bool replaced = false;
    for (const auto& [token, value] : order) {
      Step step = ReplaceEvery(*in, token, value, limit, &scratch);
      if (step == Step::TooLong) return;
      if (step == Step::Replaced) {
        current.swap(scratch);
        in = &current;
        replaced = true;
      }
    }
    if (!replaced) return;
    text->swap(current);
  }
}

}  // namespace

std::string PercentageText(float score) {
  char text[64];
  std::snprintf(text, sizeof text, "%3.0f %%", static_cast<double>(score));
  return text;
}

void ReplaceTokens(std::string* text, const ResponseTokens& tokens) {
  ReplaceTokenValues(text, {tokens.pluginName, tokens.dataSource, tokens.userName, tokens.reason,
                            tokens.percentage, tokens.category});
}

void ReplaceTokensForHtml(std::string* text, const ResponseTokens& tokens) {
  if (text->find("##") == std::string::npos) return;
  // Most URLs and user names need no escaping; only those that do are copied.
  const std::string_view specials = "&<>\"'";
  std::string dataSource, userName;
  std::string_view dataSourceValue = tokens.dataSource, userNameValue = tokens.userName;
  if (tokens.dataSource.find_first_of(specials) != std::string::npos) {
    dataSource = HtmlEscaped(tokens.dataSource);
    dataSourceValue = dataSource;
  }
  if (tokens.userName.find_first_of(specials) != std::string::npos) {
    userName = HtmlEscaped(tokens.userName);
    userNameValue = userName;
  }
  ReplaceTokenValues(text, {tokens.pluginName, dataSourceValue, userNameValue, tokens.reason,
                            tokens.percentage, tokens.category});
}

ResponseTokens HtmlSafeTokens(const ResponseTokens& tokens) {
  ResponseTokens safe = tokens;
  safe.dataSource = HtmlEscaped(tokens.dataSource);
  safe.userName = HtmlEscaped(tokens.userName);
  return safe;
}

}  // namespace avex
