// Block page builds per second with the default templates, and the time to
// strip page-structure tags from a mebibyte of HTML.
//
//   bench_block_response [seconds per figure, default 1]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/category_table.h"
#include "responses/block_response.h"
#include "responses/page_tags.h"

namespace {

using Clock = std::chrono::steady_clock;

volatile size_t benchSink;  // keeps the work from being optimised away

template <typename Work>
void Rate(const char* what, double seconds, Work work) {
  for (int i = 0; i < 1000; ++i) work();  // warm up
  size_t count = 0;
  const Clock::time_point start = Clock::now();
  Clock::duration elapsed{};
  do {
    for (int i = 0; i < 1000; ++i) work();
    count += 1000;
    elapsed = Clock::now() - start;
  } while (elapsed < std::chrono::duration<double>(seconds));
  const double s = std::chrono::duration<double>(elapsed).count();
  std::printf("%-44s %12.0f /s %9.3f us each\n", what, count / s, s * 1e6 / count);
}

}  // namespace

int main(int argc, char** argv) {
  const double seconds = argc > 1 ? std::atof(argv[1]) : 1.0;
  avex::ResponseSet responses = avex::DefaultResponseSet();
  const size_t row = avex::CategoryIndexOf(1);

  avex::ResponseTokens tokens;
  tokens.pluginName = "Aurivex 3.0 for Corvane";
  tokens.dataSource = "http://www.example.com/some/path/page.html?query=value";
  tokens.userName = "alice";
  tokens.reason = avex::CategoryReasonText(row);
  tokens.percentage = avex::PercentageText(87.5f);
  tokens.category = avex::CategoryTable[row].name;
  if (tokens.reason.empty()) std::printf("warning: the string table gave no reason text\n");

  std::string page;
  avex::BuildBlockResponse(responses, 1, avex::ResponseKindText, tokens, &page);
  std::printf("Text page %zu bytes, HTML page ", page.size());
  avex::BuildBlockResponse(responses, 1, avex::ResponseKindHtml, tokens, &page);
  std::printf("%zu bytes\n", page.size());

  Rate("BuildBlockResponse Text", seconds, [&] {
    avex::BuildBlockResponse(responses, 1, avex::ResponseKindText, tokens, &page);
    benchSink = page.size();
  });
  Rate("BuildBlockResponse HTML", seconds, [&] {
    avex::BuildBlockResponse(responses, 1, avex::ResponseKindHtml, tokens, &page);
    benchSink = page.size();
  });
  // As a scanning object does it: the reason text and percentage are fetched per page.
  Rate("HTML with reason and percentage looked up", seconds, [&] {
    avex::ResponseTokens perRequest = tokens;
    perRequest.reason = avex::CategoryReasonText(row);
    perRequest.percentage = avex::PercentageText(87.5f);
    avex::BuildBlockResponse(responses, 1, avex::ResponseKindHtml, perRequest, &page);
    benchSink = page.size();
  });

  // A mebibyte of nothing but tags, and the shape that is worst for the
  // restart-from-the-beginning loop: a long open group that every deletion
  // joins with the next tag.
  const std::string piece = "<html><HEAD><title>t</title></head><body><p>x</p><br></body></html>";
  std::string tags, joined;
  while (tags.size() < (size_t{1} << 20)) tags += piece;
  while (joined.size() < (size_t{1} << 19)) joined += "<x";
  while (joined.size() < (size_t{1} << 20)) joined += "<html>";
  for (const auto& [what, text] : {std::make_pair("1 MiB of page tags", &tags),
                                   std::make_pair("1 MiB open group joined by deletions", &joined)}) {
    const Clock::time_point start = Clock::now();
    std::string stripped = avex::StripPageStructureTags(*text);
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    std::printf("StripPageStructureTags, %-36s %8.2f ms (%zu -> %zu bytes)\n", what, ms,
                text->size(), stripped.size());
  }
  return 0;
}
