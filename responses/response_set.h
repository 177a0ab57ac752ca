// The response set: one CustomResponse per category id, ascending by id, and
// the default responses every category with a response starts with.
//
// A plain value. The plug-in's own set is shared by all scanning objects and
// the loader; whoever holds it must keep a building block page (which may
// insert) from racing with a load or a configuration transfer (which replace
// it). The configuration pages work on a copy.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>

#include "common/category_table.h"
#include "responses/custom_response.h"

namespace avex {

// The default templates. The Text title is empty.
inline constexpr std::string_view DefaultTextBody =
    "Content blocked. ##PLUGINNAME## blocked ##DATASOURCE##. ##REASON##";
inline constexpr std::string_view DefaultHtmlTitle = "Content Blocked - ##PLUGINNAME##";
inline constexpr std::string_view DefaultHtmlBody =
    "<font style=\"font-size:24px;\">Content blocked [##CATEGORY##]</font><HR><P><b>##PLUGINNAME##</b>"
    " has blocked access to <b>##DATASOURCE##.</b><P>##REASON##<P>Contact your system administrator"
    " if you believe this page should not have been blocked<P><hr>\r\n";

class ResponseSet {
 public:
  using Map = std::map<int32_t, CustomResponse>;

  // The response for `id`; inserts an empty one (that id, empty description)
  // when there is none. The reference stays valid until that response is
  // removed by Clear.
  CustomResponse& FindOrInsert(int32_t id);
  // Copies titles, bodies, description and id of `response` over the one
  // with its id, or inserts a copy.
  void InsertOrReplace(const CustomResponse& response);
  bool Contains(int32_t id) const { return responses_.count(id) != 0; }
  // The response for `id`, or null.
  const CustomResponse* Find(int32_t id) const;
  void Clear() { responses_.clear(); }

  size_t size() const { return responses_.size(); }
  bool empty() const { return responses_.empty(); }
  // In ascending id order.
  Map::const_iterator begin() const { return responses_.begin(); }
  Map::const_iterator end() const { return responses_.end(); }

 private:
  Map responses_;
};

// The default response of a category row: its id and description, the
// default templates.
CustomResponse DefaultResponse(const CategoryInfo& row);

// Gives every row with a response whose id `set` lacks its default response;
// responses already there stay. True when it added any.
bool AddDefaultResponses(ResponseSet* set);

// A set of only the default responses, one per row with a response.
ResponseSet DefaultResponseSet();

}  // namespace avex
