#include "responses/response_set.h"

#include <string>

namespace avex {

CustomResponse& ResponseSet::FindOrInsert(int32_t id) {
  return responses_.try_emplace(id, id, std::string()).first->second;
}

void ResponseSet::InsertOrReplace(const CustomResponse& response) {
  responses_.insert_or_assign(response.CategoryId(), response);
}

const CustomResponse* ResponseSet::Find(int32_t id) const {
  auto it = responses_.find(id);
  return it == responses_.end() ? nullptr : &it->second;
}

CustomResponse DefaultResponse(const CategoryInfo& row) {
  CustomResponse response(row.id, row.description);
  response.SetBody(ResponseKindText, DefaultTextBody);
  response.SetTitle(ResponseKindHtml, DefaultHtmlTitle);
  response.SetBody(ResponseKindHtml, DefaultHtmlBody);
  return response;
}

bool AddDefaultResponses(ResponseSet* set) {
  bool added = false;
  for (const CategoryInfo& row : CategoryTable) {
    if (row.hasResponse && !set->Contains(row.id)) {
      set->InsertOrReplace(DefaultResponse(row));
      added = true;
    }
  }
  return added;
}

ResponseSet DefaultResponseSet() {
  ResponseSet set;
  AddDefaultResponses(&set);
  return set;
}

}  // namespace avex
