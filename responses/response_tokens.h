// The facts of a blocked request that a block page template names by token,
// and the replacement of those tokens.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace avex {

// The six values a caller supplies; ##VIRUS## has no value of its own and
// shows the category.
struct ResponseTokens {
  std::string pluginName;  // ##PLUGINNAME##: the product's display name
  std::string dataSource;  // ##DATASOURCE##: the request URL as normalised for matching
  std::string userName;    // ##USERNAME##: the requesting user
  std::string reason;      // ##REASON##: the reason text of the blocking category
  std::string percentage;  // ##PERCENTAGE##: the category's score, see PercentageText
  std::string category;    // ##CATEGORY## and ##VIRUS##: the category's short name
};

// A score as the ##PERCENTAGE## value: "%3.0f %%", so 7.4 gives "  7 %".
std::string PercentageText(float score);

// At most this many replacement passes run over one text. When no value
// leads back to its own token through the tokens the values name, seven
// passes replace everything (six values, and a last pass that finds nothing
// left); the rest is for tokens that only form where an inserted value meets
// the text beside it.
constexpr int TokenPassLimit = 16;

// The text may grow to TokenGrowthAllowance bytes plus TokenGrowthFactor
// times the length of the text and the six values together, and no further:
// a user name holding its own token many times would otherwise multiply the
// text by that count with every pass.
constexpr size_t TokenGrowthAllowance = size_t{1} << 20;
constexpr size_t TokenGrowthFactor = 16;

// Replaces the tokens ##PLUGINNAME##, ##DATASOURCE##, ##USERNAME##, ##REASON##,
// ##PERCENTAGE##, ##CATEGORY##, ##VIRUS## in `text`, in passes: a pass takes
// the tokens in that order and replaces every non-overlapping occurrence of
// each, left to right, going on after an inserted value from its end. Passes
// repeat while the previous one replaced anything, so a token that a value
// brings in is replaced too (a reason naming ##CATEGORY##). Tokens match
// case-sensitively. The passes stop after TokenPassLimit, or at a pass in
// which one token's replacement would make the text longer than the limit
// above (that pass is dropped whole); the text is then what the passes taken
// so far made of it. Any thread.
void ReplaceTokens(std::string* text, const ResponseTokens& tokens);

// ReplaceTokens for an HTML page: the same as ReplaceTokens with
// HtmlSafeTokens(tokens), without copying the values that need no escaping.
void ReplaceTokensForHtml(std::string* text, const ResponseTokens& tokens);

// `tokens` with the values that come from the request - the data source and
// the user name - escaped for HTML, so that a crafted URL or user name shows
// on an HTML block page as text instead of running as markup or script. The
// other values are ours (product name, string table, category table).
ResponseTokens HtmlSafeTokens(const ResponseTokens& tokens);

}  // namespace avex
