#include "lists/manual_lists.h"

#include <memory>
#include <utility>

#include "lists/exact_index.h"
#include "lists/partial_matcher.h"
#include "lists/url.h"

namespace avex {

struct ManualLists::Index {
  explicit Index(const ManualLists& lists)
      : urls(lists.urls()), sites(lists.sites()), partials(lists.partials()) {}

  ExactIndex urls;
  ExactIndex sites;
  PartialMatcher partials;
};

ManualLists::ManualLists(const ManualLists& other)
    : urls_(other.urls_),
      sites_(other.sites_),
      partials_(other.partials_),
      index_(std::atomic_load(&other.index_)) {}

template <typename List>
const List& ManualLists::Shared(const std::shared_ptr<List>& list) {
  static const List empty;
  return list ? *list : empty;
}

template <typename List>
List& ManualLists::Writable(std::shared_ptr<List>* list) {
  if (!*list) {
    *list = std::make_shared<List>();
  } else if (list->use_count() != 1) {
    *list = std::make_shared<List>(**list);
  }
  return **list;
}

ManualLists& ManualLists::operator=(const ManualLists& other) {
  if (this != &other) {
    urls_ = other.urls_;
    sites_ = other.sites_;
    partials_ = other.partials_;
    index_ = std::atomic_load(&other.index_);
  }
  return *this;
}

ManualLists::ManualLists(ManualLists&& other) noexcept = default;
ManualLists& ManualLists::operator=(ManualLists&& other) noexcept = default;
ManualLists::~ManualLists() = default;

bool ManualLists::InsertUrl(ManualEntry entry) { return InsertNormalised(&urls_, std::move(entry)); }

bool ManualLists::InsertSite(ManualEntry entry) { return InsertNormalised(&sites_, std::move(entry)); }

bool ManualLists::InsertNormalised(std::shared_ptr<ManualEntryMap>* list, ManualEntry entry) {
  std::string key = NormaliseUrl(entry.text);
  const ManualEntryMap& present = Shared(*list);
  if (present.find(key) != present.end()) return false;
  entry.text = key;
  Writable(list).emplace(std::move(key), std::move(entry));
  DropIndex();
  return true;
}

void ManualLists::AppendPartial(ManualEntry entry) {
  Writable(&partials_).push_back(std::move(entry));
  DropIndex();
}

// A cleared list is a new one: a copy that shares the old one keeps it.
void ManualLists::ClearUrls() {
  urls_.reset();
  DropIndex();
}

void ManualLists::ClearSites() {
  sites_.reset();
  DropIndex();
}

void ManualLists::ClearPartials() {
  partials_.reset();
  DropIndex();
}

bool operator==(const ManualLists& a, const ManualLists& b) {
  return a.urls() == b.urls() && a.sites() == b.sites() && a.partials() == b.partials();
}

void ManualLists::PrepareIndex() const { CurrentIndex(); }

void ManualLists::DropIndex() { std::atomic_store(&index_, std::shared_ptr<const Index>()); }

std::shared_ptr<const ManualLists::Index> ManualLists::CurrentIndex() const {
  std::shared_ptr<const Index> index = std::atomic_load(&index_);
  if (!index) {
    index = std::make_shared<const Index>(*this);
    std::atomic_store(&index_, index);
  }
  return index;
}

std::optional<int32_t> LookupManualClassification(const ManualLists& lists,
                                                  std::string_view normalisedUrl) {
  const std::shared_ptr<const ManualLists::Index> index = lists.CurrentIndex();
  if (!lists.urls().empty()) {
    if (std::optional<int32_t> hit = index->urls.Find(normalisedUrl)) return hit;
  }
  if (!lists.sites().empty()) {
    if (std::optional<int32_t> hit = index->sites.Find(HostOf(normalisedUrl))) return hit;
  }
  if (!lists.partials().empty()) {
    if (std::optional<uint32_t> first = index->partials.FirstMatch(normalisedUrl)) {
      return index->partials.CategoryAt(*first);
    }
  }
  return std::nullopt;
}

std::optional<int32_t> LookupManualClassificationByWalk(const ManualLists& lists,
                                                        std::string_view normalisedUrl) {
  if (!lists.urls().empty()) {
    auto hit = lists.urls().find(normalisedUrl);
    if (hit != lists.urls().end()) return hit->second.categoryId;
  }
  if (!lists.sites().empty()) {
    auto hit = lists.sites().find(HostOf(normalisedUrl));
    if (hit != lists.sites().end()) return hit->second.categoryId;
  }
  if (std::optional<uint32_t> first = FirstPartialMatchByWalk(lists.partials(), normalisedUrl)) {
    return lists.partials()[*first].categoryId;
  }
  return std::nullopt;
}

}  // namespace avex
