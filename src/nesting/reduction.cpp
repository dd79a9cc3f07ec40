// The plate-size reduction run.
#include <string>

#include "nesting/nester.h"

namespace platenest {

void Nester::reducePlateSize(const std::function<void(const std::string&)>& progress) {
  (void)progress;
}

}  // namespace platenest
