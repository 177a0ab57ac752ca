#include "lists/manual_lists.h"

#include <memory>
#include <utility>

#include "lists/partial_matcher.h"
#include "lists/url.h"

namespace avex {

struct ManualLists::Index {
  explicit Index(const ManualLists& lists)
      : urlOrder(Shared(lists.urls_).SortedOrder()),
        siteOrder(Shared(lists.sites_).SortedOrder()),
        partials(lists.partials()) {}

  std::vector<uint32_t> urlOrder;
  std::vector<uint32_t> siteOrder;
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

bool ManualLists::InsertNormalised(std::shared_ptr<CompactList>* list, const ManualEntry& entry) {
  const std::string key = NormaliseUrl(entry.text);
  if (Shared(*list).Find(key)) return false;
  if (!Writable(list).Insert(key, entry.categoryId)) return false;
  DropIndex();
  return true;
}

SortedListView ManualLists::urls() const {
  std::shared_ptr<const Index> index = CurrentIndex();
  const std::vector<uint32_t>* order = &index->urlOrder;
  return SortedListView(Shared(urls_), std::shared_ptr<const std::vector<uint32_t>>(std::move(index), order));
}

SortedListView ManualLists::sites() const {
  std::shared_ptr<const Index> index = CurrentIndex();
  const std::vector<uint32_t>* order = &index->siteOrder;
  return SortedListView(Shared(sites_), std::shared_ptr<const std::vector<uint32_t>>(std::move(index), order));
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
  return ManualLists::Shared(a.urls_) == ManualLists::Shared(b.urls_) &&
         ManualLists::Shared(a.sites_) == ManualLists::Shared(b.sites_) && a.partials() == b.partials();
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
  if (std::optional<int32_t> hit = ManualLists::Shared(lists.urls_).Find(normalisedUrl)) return hit;
  if (std::optional<int32_t> hit = ManualLists::Shared(lists.sites_).Find(HostOf(normalisedUrl))) return hit;
  if (!lists.partials().empty()) {
    if (std::optional<uint32_t> first = index->partials.FirstMatch(normalisedUrl)) {
      return index->partials.CategoryAt(*first);
    }
  }
  return std::nullopt;
}

std::optional<int32_t> LookupManualClassificationByWalk(const ManualLists& lists,
                                                        std::string_view normalisedUrl) {
  const auto search = [](const SortedListView& list, std::string_view text) -> std::optional<int32_t> {
    size_t low = 0, high = list.size();
    while (low < high) {
      const size_t middle = low + (high - low) / 2;
      if (list[middle].text < text) {
        low = middle + 1;
      } else {
        high = middle;
      }
    }
    if (low < list.size() && list[low].text == text) return list[low].categoryId;
    return std::nullopt;
  };
  if (std::optional<int32_t> hit = search(lists.urls(), normalisedUrl)) return hit;
  if (std::optional<int32_t> hit = search(lists.sites(), HostOf(normalisedUrl))) return hit;
  if (std::optional<uint32_t> first = FirstPartialMatchByWalk(lists.partials(), normalisedUrl)) {
    return lists.partials()[*first].categoryId;
  }
  return std::nullopt;
}

}  // namespace avex
