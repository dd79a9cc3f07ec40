// The part-list file through the load flow: any bytes are loaded or refused, never crash.
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace platenest;
  const std::filesystem::path job = fuzz::workFolder() / "job.preSrc";
  fuzz::writeBytes(job, std::string_view(reinterpret_cast<const char*>(data), size));
  fuzz::loadJob(job, LoadType::kPartList);
  return 0;
}
