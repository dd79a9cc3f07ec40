// The first element of each id in a list of parts, regions or drawings, found in constant
// time. A pass that looks up every part of a job by id builds one of these first: tens of
// thousands of parts would otherwise cost a walk of the list per part.
#pragma once

#include <cstdint>
#include <type_traits>
#include <unordered_map>

namespace platenest {

// Holds pointers into the container it was built from: valid while no element of that
// container is removed, moved or given another id. The first element in the container's
// order answers for an id, as a walk from the front would.
template <class Item>
class FirstById {
 public:
  template <class Container>
  explicit FirstById(Container& items) {
    if constexpr (requires { items.size(); }) first_.reserve(items.size());
    for (auto& item : items) first_.try_emplace(item.id, &item);
  }

  Item* find(std::int32_t id) const {
    const auto found = first_.find(id);
    return found == first_.end() ? nullptr : found->second;
  }

 private:
  std::unordered_map<std::int32_t, Item*> first_;
};

template <class Container>
FirstById(Container&)
    -> FirstById<std::remove_reference_t<decltype(*std::declval<Container&>().begin())>>;

}  // namespace platenest
